#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/conversionrun.h"
#include "app/messageboxui.h"
#include "app/outputfile.h"
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

    if (!inputFileName.isEmpty() && !outputFileName.isEmpty()) {
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
}

void MainWindow::saveSettings()
{
    settings->beginGroup(QStringLiteral("GLOBAL"));
    settings->setValue(QStringLiteral("Language"), language);
    settings->endGroup();

    settings->beginGroup(QStringLiteral("PATH"));
    settings->setValue(QStringLiteral("inDirectory"), directoryOf(ui->lineEditOpenAir->text()));
    settings->setValue(QStringLiteral("outDirectory"), directoryOf(ui->lineEditKml->text()));
    settings->endGroup();

    settings->beginGroup(QStringLiteral("WARNING"));
    settings->setValue(QStringLiteral("distance"), ui->SpinBoxWarnDist->value());
    settings->setValue(QStringLiteral("m_ft"), ui->radMeter->isChecked());
    settings->endGroup();

    settings->beginGroup(QStringLiteral("InputHeight"));
    settings->setValue(QStringLiteral("baseUnitMeters"), ui->radMeterInput->isChecked());
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

// A file dialog that starts in the field's folder and puts the chosen file into the field.
void chooseFileInto(QLineEdit *field, const QString &filter, QFileDialog::FileMode mode)
{
    QFileDialog dialog;
    dialog.setNameFilter(filter);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setFileMode(mode);
    dialog.setDirectory(field->text());
    if (dialog.exec() && !dialog.selectedFiles().isEmpty())
        field->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

} // namespace

void MainWindow::selectOpenAir()
{
    chooseFileInto(ui->lineEditOpenAir, tr("OpenAir (*.txt);;Korvel Airspace Formated (*.kaf)"),
                   QFileDialog::ExistingFile);
}

void MainWindow::selectKaf()
{
    chooseFileInto(ui->lineEditKml, tr("Korvel Airspace Formated (*.kaf)"), QFileDialog::AnyFile);
}

void MainWindow::convert()
{
    ConversionOptions options;
    options.inputFileNames = QStringList{ui->lineEditOpenAir->text()};
    options.outputText = ui->lineEditKml->text();
    options.heightsInFeet = ui->radFussInput->isChecked();
    options.closeOutlines = ui->cbxCloseAirspaces->isChecked();
    options.distanceInMetres = ui->radMeter->isChecked();
    options.warningDistance = ui->SpinBoxWarnDist->value();

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
    ConversionRun(boxes).run(options);
}
