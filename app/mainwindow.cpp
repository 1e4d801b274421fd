#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/conversionrun.h"
#include "app/filterdialog.h"
#include "app/messageboxui.h"
#include "app/outputfile.h"
#include "app/previewdata.h"
#include "app/previewdialog.h"
#include "app/settings.h"
#include "model/units.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpacerItem>

// The pictures live in a static library; this keeps the linker from dropping them.
static void initPictures()
{
    Q_INIT_RESOURCE(zonvert);
}

namespace {

const char *const languageUnset = "??";
const QString inputSeparator = QStringLiteral("; ");

// The directory of the named file as it is stored: absolute, ending in "/". A field that
// names a folder (the "." of a first start, a stored folder) keeps that folder.
QString directoryOf(const QString &fieldText)
{
    const QFileInfo named(fieldText);
    QString directory = named.isDir() ? named.absoluteFilePath() : named.absolutePath();
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

// A text setting as written. An ini file edited by hand may hold "46.5, 7.5, 50" without
// quotes, which reads back as a list.
QString textSetting(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString().trimmed();
}

} // namespace

MainWindow::MainWindow(int warningDistance, const QString &inputFileName,
                       const QString &outputFileName, QWidget *parent,
                       const QString &settingsFile)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , settings(new QSettings(settingsFile.isEmpty() ? defaultSettingsFile() : settingsFile,
                             QSettings::IniFormat))
{
    initPictures();

    settings->beginGroup(QStringLiteral("GLOBAL"));
    language = settings->value(QStringLiteral("Language"), QLatin1String(languageUnset)).toString();
    settings->endGroup();

    if (language == QLatin1String(languageUnset))
        chooseLanguage();

    // German is the source language; the others come from the translation beside the program.
    if (language != QLatin1String("de")) {
        // A translation that cannot be loaded is not reported: the German texts show.
        static_cast<void>(translator.load(QStringLiteral("zonvert_") + language,
                                          QCoreApplication::applicationDirPath()));
        QCoreApplication::installTranslator(&translator);
    }

    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(windowTitle() + QLatin1String(OutputFile::VersionText));

    loadSettings();

    // The command line wins over the stored values.
    if (!inputFileName.isEmpty())
        ui->lineEditOpenAir->setText(inputFileName);
    if (!outputFileName.isEmpty())
        ui->lineEditKml->setText(outputFileName);
    if (warningDistance != 0) {
        ui->SpinBoxWarnDist->setValue(warningDistance);
        ui->radMeter->setChecked(true);
    }

    connect(ui->buttonBeenden, &QPushButton::clicked, this, &MainWindow::close);
    connect(ui->buttonConvert, &QPushButton::clicked, this, &MainWindow::convert);
    connect(ui->buttonSelectOpenAir, &QPushButton::clicked, this, &MainWindow::selectOpenAir);
    connect(ui->buttonSelectKml, &QPushButton::clicked, this, &MainWindow::selectKaf);
    connect(ui->buttonFilter, &QPushButton::clicked, this, &MainWindow::editFilter);
    connect(ui->buttonPreview, &QPushButton::clicked, this, &MainWindow::showPreview);

    if (!inputFileName.isEmpty() && !outputFileName.isEmpty()) {
        batchRun = true;
        convert();
        close();
    }
}

MainWindow::~MainWindow()
{
    delete settings;
    delete ui;
}

QString MainWindow::settingsFileName() const
{
    return settings->fileName();
}

QStringList MainWindow::inputFileNamesOf(const QString &fieldText)
{
    return fieldText.split(inputSeparator, Qt::SkipEmptyParts);
}

void MainWindow::loadSettings()
{
    settings->beginGroup(QStringLiteral("PATH"));
    ui->lineEditOpenAir->setText(settings->value(QStringLiteral("inDirectory"), QStringLiteral(".")).toString());
    ui->lineEditKml->setText(settings->value(QStringLiteral("outDirectory"), QStringLiteral(".")).toString());
    settings->endGroup();

    settings->beginGroup(QStringLiteral("WARNING"));
    ui->SpinBoxWarnDist->setValue(settings->value(QStringLiteral("distance"), Units::DefaultWarningMetres).toInt());
    if (settings->value(QStringLiteral("m_ft"), true).toBool())
        ui->radMeter->setChecked(true);
    else
        ui->radFuss->setChecked(true);
    settings->endGroup();

    settings->beginGroup(QStringLiteral("InputHeight"));
    if (settings->value(QStringLiteral("baseUnitMeters"), true).toBool())
        ui->radMeterInput->setChecked(true);
    else
        ui->radFussInput->setChecked(true);
    settings->endGroup();

    settings->beginGroup(QStringLiteral("OUTLINE"));
    ui->cbxFitAirspaces->setChecked(settings->value(QStringLiteral("fitLongOutlines"), false).toBool());
    settings->endGroup();

    FilterSettings stored;
    settings->beginGroup(QStringLiteral("FILTER"));
    stored.skipWords = FilterSettings::wordsOf(textSetting(*settings, QStringLiteral("skip")));
    stored.maxFloor = textSetting(*settings, QStringLiteral("maxFloor"));
    stored.near = textSetting(*settings, QStringLiteral("near"));
    stored.box = textSetting(*settings, QStringLiteral("box"));
    settings->endGroup();
    setFilter(stored);
}

void MainWindow::saveSettings()
{
    settings->beginGroup(QStringLiteral("GLOBAL"));
    settings->setValue(QStringLiteral("Language"), language);
    settings->endGroup();

    settings->beginGroup(QStringLiteral("PATH"));
    settings->setValue(QStringLiteral("inDirectory"),
                       directoryOf(inputFileNamesOf(ui->lineEditOpenAir->text()).value(0, QStringLiteral("."))));
    settings->setValue(QStringLiteral("outDirectory"), directoryOf(ui->lineEditKml->text()));
    settings->endGroup();

    settings->beginGroup(QStringLiteral("WARNING"));
    settings->setValue(QStringLiteral("distance"), ui->SpinBoxWarnDist->value());
    settings->setValue(QStringLiteral("m_ft"), ui->radMeter->isChecked());
    settings->endGroup();

    settings->beginGroup(QStringLiteral("InputHeight"));
    settings->setValue(QStringLiteral("baseUnitMeters"), ui->radMeterInput->isChecked());
    settings->endGroup();

    settings->beginGroup(QStringLiteral("OUTLINE"));
    settings->setValue(QStringLiteral("fitLongOutlines"), ui->cbxFitAirspaces->isChecked());
    settings->endGroup();

    settings->beginGroup(QStringLiteral("FILTER"));
    settings->setValue(QStringLiteral("skip"), filter.skipWords.join(QLatin1Char(',')));
    settings->setValue(QStringLiteral("maxFloor"), filter.maxFloor);
    settings->setValue(QStringLiteral("near"), filter.near);
    settings->setValue(QStringLiteral("box"), filter.box);
    settings->endGroup();

    // An installed program keeps its settings in the user's folder, which may not exist yet.
    QDir().mkpath(QFileInfo(settings->fileName()).absolutePath());
    settings->sync();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveSettings();
    event->accept();
}

void MainWindow::chooseLanguage()
{
    QDialog dialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setWindowTitle(QStringLiteral("Language / Sprache / Langue"));
    dialog.setWindowIcon(QIcon(QStringLiteral(":/images/zonvert.png")));

    auto *layout = new QGridLayout(&dialog);
    layout->setContentsMargins(15, 15, 15, 15);

    auto *english = new QRadioButton(QStringLiteral("English"), &dialog);
    auto *german = new QRadioButton(QStringLiteral("Deutsch"), &dialog);
    auto *french = new QRadioButton(QStringLiteral("Français"), &dialog);
    english->setChecked(true);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), &dialog);

    layout->addItem(new QSpacerItem(1, 20), 1, 1, 1, 2);
    layout->addWidget(english, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral(
            "Select this option to set the language of te program to english."), &dialog), 2, 2);
    layout->addWidget(german, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral(
            "Wählen Sie diese Option um das Programm in Deutsch zu starten."), &dialog), 3, 2);
    layout->addWidget(french, 4, 1);
    layout->addWidget(new QLabel(QStringLiteral(
            "Sélectionnez cette option pour démarrer le programme en français."), &dialog), 4, 2);
    layout->addItem(new QSpacerItem(1, 20), 5, 1, 1, 2);
    layout->addWidget(ok, 6, 1, 1, 2, Qt::AlignHCenter);

    connect(ok, &QPushButton::clicked, &dialog, &QDialog::close);
    dialog.exec();

    if (english->isChecked())
        language = QStringLiteral("en");
    else if (german->isChecked())
        language = QStringLiteral("de");
    else
        language = QStringLiteral("fr");
}

namespace {

// A file dialog that starts in the folder of the field's (first) file and puts the chosen
// files into the field, separated by "; ".
void chooseFileInto(QLineEdit *field, const QString &filter, QFileDialog::FileMode mode)
{
    QFileDialog dialog;
    dialog.setNameFilter(filter);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setFileMode(mode);
    // A field names a folder (after a restart) or files: start in the folder of the first.
    const QFileInfo first(MainWindow::inputFileNamesOf(field->text()).value(0));
    dialog.setDirectory(first.isDir() ? first.absoluteFilePath() : first.absolutePath());
    if (!dialog.exec() || dialog.selectedFiles().isEmpty())
        return;
    QStringList chosen = dialog.selectedFiles();
    if (mode != QFileDialog::ExistingFiles)
        chosen = chosen.mid(0, 1);
    for (QString &name : chosen)
        name = QDir::toNativeSeparators(name);
    field->setText(chosen.join(inputSeparator));
}

} // namespace

void MainWindow::selectOpenAir()
{
    chooseFileInto(ui->lineEditOpenAir, tr("OpenAir (*.txt);;Korvel Airspace Formated (*.kaf)"),
                   QFileDialog::ExistingFiles);
}

void MainWindow::selectKaf()
{
    chooseFileInto(ui->lineEditKml, tr("Korvel Airspace Formated (*.kaf)"), QFileDialog::AnyFile);
}

void MainWindow::convert()
{
    ConversionOptions options;
    options.inputFileNames = inputFileNamesOf(ui->lineEditOpenAir->text());
    options.outputText = ui->lineEditKml->text();
    options.heightsInFeet = ui->radFussInput->isChecked();
    options.closeOutlines = ui->cbxCloseAirspaces->isChecked();
    options.fitLongOutlines = ui->cbxFitAirspaces->isChecked();
    options.filter = filter;
    options.keepPreview = !batchRun;
    options.distanceInMetres = ui->radMeter->isChecked();
    options.warningDistance = ui->SpinBoxWarnDist->value();

    // The dialog checks what it stores, but the ini file may have been edited by hand.
    const QString invalid = filter.invalidPart(options.heightsInFeet);
    if (!invalid.isEmpty()) {
        const QString value = invalid == QLatin1String("-max-floor") ? filter.maxFloor
                              : invalid == QLatin1String("-near")    ? filter.near
                                                                     : filter.box;
        setPreview(nullptr);
        QMessageBox::critical(this, QObject::tr("FEHLER"),
                              tr("Der Filter kann nicht gelesen werden: %1\nBitte berichtigen Sie ihn mit „Filter...“.")
                                  .arg(value));
        return;
    }

    // The completed output name shows in its field before any box asks about it.
    class WindowUi : public MessageBoxUi
    {
    public:
        WindowUi(QWidget *window, QLineEdit *outputField) : MessageBoxUi(window), m_outputField(outputField) {}
        void outputNameCompleted(const QString &outputFileName) override { m_outputField->setText(outputFileName); }

    private:
        QLineEdit *m_outputField;
    };

    WindowUi boxes(this, ui->lineEditKml);
    const ConversionResult result = ConversionRun(boxes).run(options);
    setPreview(result.outcome == ConversionResult::Outcome::Finished ? result.preview : nullptr);
}

void MainWindow::setPreview(std::shared_ptr<const PreviewData> shown)
{
    preview = std::move(shown);
    ui->buttonPreview->setEnabled(preview != nullptr);
}

void MainWindow::showPreview()
{
    if (!preview)
        return;
    // The dialog draws from the data; a run started meanwhile must not take it away.
    const std::shared_ptr<const PreviewData> shown = preview;
    PreviewDialog dialog(*shown, settings, this);
    dialog.exec();
}

void MainWindow::setFilter(const FilterSettings &chosen)
{
    filter = chosen;
    const QString summary = filter.summary();
    ui->labelFilterSummary->setText(summary);
    ui->labelFilterSummary->setToolTip(summary);
}

void MainWindow::editFilter()
{
    FilterDialog dialog(filter, ui->radFussInput->isChecked(), this);
    if (dialog.exec() == QDialog::Accepted)
        setFilter(dialog.settings());
}
