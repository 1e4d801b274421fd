#include "app/commandline.h"
#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "ui_mainwindow.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray sampleAirspace =
        "AC D\r\nAN TESTZONE\r\nAL GND\r\nAH 2000 ft\r\n"
        "DP 47:00:00 N 008:00:00 E\r\nDP 47:10:00 N 008:00:00 E\r\n"
        "DP 47:10:00 N 008:10:00 E\r\nDP 47:00:00 N 008:00:00 E\r\n";

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template<typename T> T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void formPlacesEveryWidget_data();
    void formPlacesEveryWidget();
    void freshFormHasItsInitialStates();
    void windowHasVersionTitleAndFixedBorder();
    void languageDialogChoosesTranslation_data();
    void languageDialogChoosesTranslation();
    void storedSettingsFillTheForm_data();
    void storedSettingsFillTheForm();
    void closingStoresFieldsAsDirectories_data();
    void closingStoresFieldsAsDirectories();
    void commandLineWinsOverSettings_data();
    void commandLineWinsOverSettings();
    void helpBoxEndsTheProgram_data();
    void helpBoxEndsTheProgram();
    void windowModeRunsUntilQuit();
    void batchRunAnswersItsBoxes_data();
    void batchRunAnswersItsBoxes();
    void unreadableInputIsReportedOnTheWindow_data();
    void unreadableInputIsReportedOnTheWindow();
    void completedOutputNameShowsBeforeTheQuestion();
    void fileDialogsFillOnlyTheirField_data();
    void fileDialogsFillOnlyTheirField();
    void acceleratorsReachTheirButtons_data();
    void acceleratorsReachTheirButtons();

private:
    QString germanIni() const;

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestMainWindow::initTestCase()
{
    // The file dialog remembers its places in the user's configuration; not from tests.
    QStandardPaths::setTestModeEnabled(true);
    Q_INIT_RESOURCE(zonvert);
}

void TestMainWindow::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

// German needs no translation and skips the language dialog.
QString TestMainWindow::germanIni() const
{
    const QString ini = m_dir->filePath(QStringLiteral("zonvert.ini"));
    writeFile(ini, "[GLOBAL]\nLanguage=de\n");
    return ini;
}

void TestMainWindow::formPlacesEveryWidget_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("place");   // row, column, rows, columns in gridLayout_5
    QTest::addColumn<QSize>("minimum");

    QTest::newRow("labelOpenAir") << "labelOpenAir" << "OpenAir Datei" << QList<int>{0, 0, 2, 3} << QSize(0, 30);
    QTest::newRow("lineEditOpenAir") << "lineEditOpenAir" << "" << QList<int>{3, 0, 1, 2} << QSize(0, 30);
    QTest::newRow("buttonSelectOpenAir") << "buttonSelectOpenAir" << "&Datei" << QList<int>{3, 2, 1, 1} << QSize(0, 30);
    QTest::newRow("label_2") << "label_2" << "Basis Einheit für Höhen" << QList<int>{4, 0, 1, 2} << QSize(180, 30);
    QTest::newRow("frame_3") << "frame_3" << "" << QList<int>{4, 2, 2, 1} << QSize(0, 0);
    QTest::newRow("radMeterInput") << "radMeterInput" << "Meter [m]" << QList<int>{} << QSize(0, 30);
    QTest::newRow("radFussInput") << "radFussInput" << "Fuss [ft]" << QList<int>{} << QSize(0, 30);
    QTest::newRow("frame_2") << "frame_2" << "" << QList<int>{7, 0, 1, 3} << QSize(0, 10);
    QTest::newRow("labelKml") << "labelKml" << "KAF Datei" << QList<int>{8, 0, 1, 3} << QSize(0, 30);
    QTest::newRow("lineEditKml") << "lineEditKml" << "" << QList<int>{9, 0, 1, 2} << QSize(0, 30);
    QTest::newRow("buttonSelectKml") << "buttonSelectKml" << "D&atei" << QList<int>{9, 2, 1, 1} << QSize(0, 30);
    QTest::newRow("cbxCloseAirspaces") << "cbxCloseAirspaces" << "Lufträume automatisch Schliessen" << QList<int>{10, 0, 1, 3} << QSize(0, 30);
    QTest::newRow("label") << "label" << "Warn Abstand" << QList<int>{12, 0, 1, 1} << QSize(120, 30);
    QTest::newRow("SpinBoxWarnDist") << "SpinBoxWarnDist" << "100" << QList<int>{12, 1, 1, 1} << QSize(150, 30);
    QTest::newRow("frame_5") << "frame_5" << "" << QList<int>{12, 2, 2, 1} << QSize(0, 0);
    QTest::newRow("radMeter") << "radMeter" << "Meter [m]" << QList<int>{} << QSize(0, 30);
    QTest::newRow("radFuss") << "radFuss" << "Fuss [ft]" << QList<int>{} << QSize(0, 30);
    QTest::newRow("buttonConvert") << "buttonConvert" << "&Umwandeln" << QList<int>{} << QSize(0, 30);
    QTest::newRow("buttonBeenden") << "buttonBeenden" << "&Beenden" << QList<int>{} << QSize(0, 30);
}

void TestMainWindow::formPlacesEveryWidget()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QList<int>, place);
    QFETCH(QSize, minimum);

    QMainWindow window;
    Ui::MainWindow form;
    form.setupUi(&window);
    auto *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->minimumSize(), minimum);
    const QVariant shown = widget->property("text");
    QCOMPARE(shown.isValid() ? shown.toString() : QString(), text);
    if (!place.isEmpty()) {
        QGridLayout *grid = form.gridLayout_5;
        int row = -1, column = -1, rows = -1, columns = -1;
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rows, &columns);
        QCOMPARE((QList<int>{row, column, rows, columns}), place);
    }
}

void TestMainWindow::freshFormHasItsInitialStates()
{
    QMainWindow window;
    Ui::MainWindow form;
    form.setupUi(&window);

    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window.minimumSize(), QSize(411, 492));
    QCOMPARE(window.maximumSize(), QSize(600, 600));
    QCOMPARE(window.contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(form.labelLogo->pixmap().size(), QSize(360, 100));
    QCOMPARE(form.frameImage->minimumHeight(), 100);
    QCOMPARE(form.frameImage->maximumHeight(), 100);
    QCOMPARE(form.frame->maximumHeight(), 50);
    QCOMPARE(form.buttonSelectOpenAir->maximumWidth(), 120);
    QCOMPARE(form.verticalLayout->itemAt(0)->widget(), form.frameImage);
    QCOMPARE(form.verticalLayout->itemAt(1)->widget(), form.frame_4);
    QVERIFY(form.verticalLayout->itemAt(2)->spacerItem());
    QCOMPARE(form.verticalLayout->itemAt(3)->widget(), form.frame);

    QCOMPARE(form.SpinBoxWarnDist->minimum(), 0);
    QCOMPARE(form.SpinBoxWarnDist->maximum(), 10000);
    QCOMPARE(form.SpinBoxWarnDist->value(), 100);
    QVERIFY(form.radMeterInput->isChecked());
    QVERIFY(!form.radFussInput->isChecked());
    QVERIFY(!form.radMeter->isChecked());
    QVERIFY(!form.radFuss->isChecked());
    QVERIFY(!form.cbxCloseAirspaces->isChecked());
    QVERIFY(form.labelOpenAir->font().bold());
    QVERIFY(form.labelKml->font().bold());
    QVERIFY(!form.label->font().bold());

    // The two unit choices are independent: checking one leaves the other alone.
    form.radFuss->setChecked(true);
    QVERIFY(form.radMeterInput->isChecked());
    form.radFussInput->setChecked(true);
    QVERIFY(form.radFuss->isChecked());
    QVERIFY(!form.radMeterInput->isChecked());
}

void TestMainWindow::windowHasVersionTitleAndFixedBorder()
{
    MainWindow window(0, QString(), QString(), nullptr, germanIni());
    QCOMPARE(window.windowTitle(), QStringLiteral("openAir to KAF Konverter V 2.20"));
    QVERIFY(window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(window.isWindow());
    QCOMPARE(window.languageCode(), QStringLiteral("de"));
}

void TestMainWindow::languageDialogChoosesTranslation_data()
{
    QTest::addColumn<QStringList>("clicks");   // empty: Escape
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("convertText");

    QTest::newRow("escape gives English") << QStringList{} << "en" << "&Convert";
    QTest::newRow("ok without choice") << QStringList{"Ok"} << "en" << "&Convert";
    QTest::newRow("German") << QStringList{"Deutsch", "Ok"} << "de" << "&Umwandeln";
    QTest::newRow("French") << QStringList{"Français", "Ok"} << "fr" << "&Convertir";
}

void TestMainWindow::languageDialogChoosesTranslation()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, code);
    QFETCH(QString, convertText);

    const QString ini = m_dir->filePath(QStringLiteral("zonvert.ini"));
    ModalAnswerer answerer({clicks.isEmpty() ? ModalAnswerer::escape() : ModalAnswerer::press(clicks)});
    {
        MainWindow window(0, QString(), QString(), nullptr, ini);
        QCOMPARE(window.languageCode(), code);
        QCOMPARE(child<QPushButton>(&window, "buttonConvert")->text(), convertText);
        window.close();
    }
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("Language / Sprache / Langue"));
    QVERIFY(!answerer.seen[0].hasParent);
    QCOMPARE(QSettings(ini, QSettings::IniFormat).value("GLOBAL/Language").toString(), code);
}

void TestMainWindow::storedSettingsFillTheForm_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("inField");
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("metres");
    QTest::addColumn<bool>("heightsInMetres");

    QTest::newRow("defaults") << QByteArray() << "." << 400 << true << true;
    QTest::newRow("stored folder") << QByteArray("[PATH]\ninDirectory=/data/air/\n")
                                   << "/data/air/" << 400 << true << true;
    QTest::newRow("feet") << QByteArray("[WARNING]\ndistance=400\nm_ft=false\n") << "." << 400 << false << true;
    QTest::newRow("heights in feet") << QByteArray("[InputHeight]\nbaseUnitMeters=false\n")
                                     << "." << 400 << true << false;
    QTest::newRow("too far") << QByteArray("[WARNING]\ndistance=20000\n") << "." << 10000 << true << true;
    QTest::newRow("not a number") << QByteArray("[WARNING]\ndistance=abc\n") << "." << 0 << true << true;
}

void TestMainWindow::storedSettingsFillTheForm()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, inField);
    QFETCH(int, distance);
    QFETCH(bool, metres);
    QFETCH(bool, heightsInMetres);

    const QString file = m_dir->filePath(QStringLiteral("zonvert.ini"));
    writeFile(file, "[GLOBAL]\nLanguage=de\n" + ini);
    MainWindow window(0, QString(), QString(), nullptr, file);
    QCOMPARE(child<QLineEdit>(&window, "lineEditOpenAir")->text(), inField);
    QCOMPARE(child<QLineEdit>(&window, "lineEditKml")->text(), QStringLiteral("."));
    QCOMPARE(child<QSpinBox>(&window, "SpinBoxWarnDist")->value(), distance);
    QCOMPARE(child<QRadioButton>(&window, "radMeter")->isChecked(), metres);
    QCOMPARE(child<QRadioButton>(&window, "radFuss")->isChecked(), !metres);
    QCOMPARE(child<QRadioButton>(&window, "radMeterInput")->isChecked(), heightsInMetres);
    QCOMPARE(child<QRadioButton>(&window, "radFussInput")->isChecked(), !heightsInMetres);
}

void TestMainWindow::closingStoresFieldsAsDirectories_data()
{
    QTest::addColumn<QString>("field");    // "@" stands for the temporary folder
    QTest::addColumn<QString>("stored");

    QTest::newRow("file") << "@/data/alps.txt" << "@/data/";
    QTest::newRow("folder with slash") << "@/data/" << "@/data/";
    QTest::newRow("working folder") << "." << QDir::currentPath() + "/";
    QTest::newRow("file in root") << "/alps.txt" << "/";
}

void TestMainWindow::closingStoresFieldsAsDirectories()
{
    QFETCH(QString, field);
    QFETCH(QString, stored);
    field.replace(QLatin1Char('@'), m_dir->path());
    stored.replace(QLatin1Char('@'), m_dir->path());

    const QString ini = germanIni();
    {
        MainWindow window(0, QString(), QString(), nullptr, ini);
        child<QLineEdit>(&window, "lineEditOpenAir")->setText(field);
        child<QLineEdit>(&window, "lineEditKml")->setText(field);
        child<QSpinBox>(&window, "SpinBoxWarnDist")->setValue(1234);
        child<QRadioButton>(&window, "radFuss")->setChecked(true);
        child<QRadioButton>(&window, "radFussInput")->setChecked(true);
        QVERIFY(window.close());
    }
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(settings.value("PATH/inDirectory").toString(), stored);
    QCOMPARE(settings.value("PATH/outDirectory").toString(), stored);
    QCOMPARE(settings.value("WARNING/distance").toInt(), 1234);
    QCOMPARE(settings.value("WARNING/m_ft").toBool(), false);
    QCOMPARE(settings.value("InputHeight/baseUnitMeters").toBool(), false);

    MainWindow again(0, QString(), QString(), nullptr, ini);
    QCOMPARE(child<QLineEdit>(&again, "lineEditOpenAir")->text(), stored);
    QVERIFY(child<QRadioButton>(&again, "radFuss")->isChecked());
}

void TestMainWindow::commandLineWinsOverSettings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("inField");
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("metres");

    // Stored: 250 feet, input folder /stored/.
    QTest::newRow("nothing given") << QStringList{} << "/stored/" << 250 << false;
    QTest::newRow("zero keeps stored") << QStringList{"-wm", "0"} << "/stored/" << 250 << false;
    QTest::newRow("feet become metres") << QStringList{"-wf", "1000"} << "/stored/" << 304 << true;
    QTest::newRow("above the range") << QStringList{"-wm", "20000"} << "/stored/" << 10000 << true;
    QTest::newRow("far above 32 bits") << QStringList{"-wm", "99999999999"} << "/stored/" << 10000 << true;
    QTest::newRow("negative") << QStringList{"-wm", "-5"} << "/stored/" << 0 << true;
    QTest::newRow("input only") << QStringList{"-in", "/x/alps.txt"} << "/x/alps.txt" << 250 << false;
}

void TestMainWindow::commandLineWinsOverSettings()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, inField);
    QFETCH(int, distance);
    QFETCH(bool, metres);

    const QString ini = m_dir->filePath(QStringLiteral("zonvert.ini"));
    writeFile(ini, "[GLOBAL]\nLanguage=de\n[PATH]\ninDirectory=/stored/\noutDirectory=/out/\n"
                   "[WARNING]\ndistance=250\nm_ft=false\n");
    arguments.prepend(QStringLiteral("zonvert"));
    const CommandLine line = parseCommandLine(arguments);
    MainWindow window(line.warningDistance, line.inputFileName, line.outputFileName, nullptr, ini);
    QCOMPARE(child<QLineEdit>(&window, "lineEditOpenAir")->text(), inField);
    QCOMPARE(child<QLineEdit>(&window, "lineEditKml")->text(), QStringLiteral("/out/"));
    QCOMPARE(child<QSpinBox>(&window, "SpinBoxWarnDist")->value(), distance);
    QCOMPARE(child<QRadioButton>(&window, "radMeter")->isChecked(), metres);
}

void TestMainWindow::helpBoxEndsTheProgram_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("-h") << QStringList{"-h"} << 0;
    QTest::newRow("-help after files") << QStringList{"-in", "a", "-out", "b", "-help"} << 0;
    QTest::newRow("unknown") << QStringList{"-IN", "a"} << 1;
    QTest::newRow("bad number") << QStringList{"-wm", "12.5"} << 1;
    QTest::newRow("value missing") << QStringList{"-out"} << 1;
}

void TestMainWindow::helpBoxEndsTheProgram()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);

    const QString ini = germanIni();
    ModalAnswerer answerer({ModalAnswerer::press(QStringLiteral("OK"))});
    arguments.prepend(QStringLiteral("zonvert"));
    QCOMPARE(runZonvert(arguments, ini), exitCode);

    QCOMPARE(answerer.seen.size(), 1);
    const SeenModal &box = answerer.seen[0];
    QCOMPARE(box.title, QStringLiteral("Zonvert Hilfe"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(!box.hasParent);
    QCOMPARE(box.text, QStringLiteral(
            "Die folgenden Parameter werden unterstützt:\n\n"
            "  -in\t<name>\tName und Pfad der umzuwandelnden Datei.\n"
            "  -out\t<name>\tName und Pfad der Ausgabedatei.\n"
            "  -wm\t<zahl>\tWarndistanz in Metern.\n"
            "  -wf\t<zahl>\tWarndistanz in Fuss (wird in Meter umgerechnet).\n"));
    // No window was made, so nothing was saved.
    QVERIFY(!QSettings(ini, QSettings::IniFormat).contains("PATH/inDirectory"));
}

void TestMainWindow::windowModeRunsUntilQuit()
{
    const QString ini = germanIni();
    const QString input = m_dir->filePath(QStringLiteral("in/alps.txt"));
    QString seenField;
    QTimer quit;
    connect(&quit, &QTimer::timeout, this, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<MainWindow *>(widget) && widget->isVisible()) {
                seenField = child<QLineEdit>(widget, "lineEditOpenAir")->text();
                child<QPushButton>(widget, "buttonBeenden")->click();
            }
        }
    });
    quit.start(20);
    QCOMPARE(runZonvert({QStringLiteral("zonvert"), QStringLiteral("-in"), input}, ini), 0);
    QCOMPARE(seenField, input);
    QCOMPARE(QSettings(ini, QSettings::IniFormat).value("PATH/inDirectory").toString(),
             m_dir->filePath(QStringLiteral("in/")));
}

void TestMainWindow::batchRunAnswersItsBoxes_data()
{
    QTest::addColumn<bool>("firstStart");
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<QStringList>("answers");   // button per box; "" = Escape
    QTest::addColumn<QStringList>("titles");    // of the boxes seen, in order
    QTest::addColumn<bool>("oldKept");
    QTest::addColumn<bool>("written");

    const QString done = QStringLiteral("Umwandlung abgeschlossen");
    QTest::newRow("new output") << false << false << QStringList{"OK"} << QStringList{done} << false << true;
    QTest::newRow("append") << false << true << QStringList{"Anhängen", "OK"}
                            << QStringList{"", done} << true << true;
    QTest::newRow("overwrite") << false << true << QStringList{"Überschreiben", "OK"}
                               << QStringList{"", done} << false << true;
    QTest::newRow("abort") << false << true << QStringList{"Abort"} << QStringList{""} << true << false;
    QTest::newRow("first start asks language first")
            << true << false << QStringList{"Deutsch|Ok", "OK"}
            << QStringList{"Language / Sprache / Langue", done} << false << true;
}

void TestMainWindow::batchRunAnswersItsBoxes()
{
    QFETCH(bool, firstStart);
    QFETCH(bool, outputExists);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, titles);
    QFETCH(bool, oldKept);
    QFETCH(bool, written);

    const QString ini = firstStart ? m_dir->filePath(QStringLiteral("zonvert.ini")) : germanIni();
    QDir(m_dir->path()).mkpath(QStringLiteral("in"));
    QDir(m_dir->path()).mkpath(QStringLiteral("out"));
    const QString input = m_dir->filePath(QStringLiteral("in/alps.txt"));
    const QString output = m_dir->filePath(QStringLiteral("out/alps.kaf"));
    writeFile(input, sampleAirspace);
    const QByteArray old = "OLD CONTENT\r\n";
    if (outputExists)
        writeFile(output, old);

    QList<ModalAnswerer::Answer> steps;
    for (const QString &answer : answers)
        steps << (answer.isEmpty() ? ModalAnswerer::escape() : ModalAnswerer::press(answer.split('|')));
    ModalAnswerer answerer(steps);
    QCOMPARE(runZonvert({QStringLiteral("zonvert"), QStringLiteral("-in"), input,
                         QStringLiteral("-out"), output, QStringLiteral("-wm"), QStringLiteral("250")},
                        ini),
             0);

    QStringList seenTitles;
    for (const SeenModal &box : answerer.seen)
        seenTitles << box.title;
    QCOMPARE(seenTitles, titles);
    if (outputExists) {
        const SeenModal &question = answerer.seen[0];
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.text, QStringLiteral("Datei existiert bereits"));
        QCOMPARE(question.informativeText,
                 QStringLiteral("Soll die Datei %1 überschrieben oder ergänzt werden?").arg(output));
        QCOMPARE(question.defaultButton, QStringLiteral(" &Anhängen "));
        QStringList buttons = question.buttons;
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral(" &Anhängen |%1").arg(QMessageBox::ApplyRole),
                                       QStringLiteral(" &Überschreiben |%1").arg(QMessageBox::AcceptRole),
                                       QStringLiteral("Abort|%1").arg(QMessageBox::RejectRole)}));
    }
    if (written) {
        const SeenModal &summary = answerer.seen.last();
        QCOMPARE(summary.icon, QMessageBox::Information);
        QVERIFY(!summary.hasParent);
        QCOMPARE(summary.text, QStringLiteral("Umwandlung der Datei %1\nnach %2 erfolgreich\n\n"
                                              "1/1 Lufträume umgewandelt.").arg(input, output));
    }

    const QByteArray bytes = readFile(output);
    QCOMPARE(bytes.startsWith(old), oldKept);
    const QByteArray banner = QByteArray(80, '*') + "\r\n*\r\n* Created by Zonvert  version  V 2.20\r\n";
    QCOMPARE(bytes.contains(banner), written);
    QCOMPARE(bytes.contains("AN TESTZONE\r\n"), written);

    // Every close saves, also the one at the end of a batch run.
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(settings.value("GLOBAL/Language").toString(), QStringLiteral("de"));
    QCOMPARE(settings.value("PATH/inDirectory").toString(), m_dir->filePath(QStringLiteral("in/")));
    QCOMPARE(settings.value("PATH/outDirectory").toString(), m_dir->filePath(QStringLiteral("out/")));
    QCOMPARE(settings.value("WARNING/distance").toInt(), 250);
    QCOMPARE(settings.value("WARNING/m_ft").toBool(), true);
}

void TestMainWindow::unreadableInputIsReportedOnTheWindow_data()
{
    QTest::addColumn<QString>("input");    // below the temporary folder

    QTest::newRow("missing file") << "missing.txt";
    QTest::newRow("stored folder") << "in/";
}

void TestMainWindow::unreadableInputIsReportedOnTheWindow()
{
    QFETCH(QString, input);
    QDir(m_dir->path()).mkpath(QStringLiteral("in"));
    const QString path = m_dir->filePath(input);

    MainWindow window(0, QString(), QString(), nullptr, germanIni());
    child<QLineEdit>(&window, "lineEditOpenAir")->setText(path);
    child<QLineEdit>(&window, "lineEditKml")->setText(QString());
    ModalAnswerer answerer({ModalAnswerer::press(QStringLiteral("OK"))});
    child<QPushButton>(&window, "buttonConvert")->click();

    QCOMPARE(answerer.seen.size(), 1);
    const SeenModal &box = answerer.seen[0];
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(box.hasParent);
    QCOMPARE(box.title, QStringLiteral("FEHLER"));
    QCOMPARE(box.text, QStringLiteral("Die Datei %1 konnte nicht geöffnet werden.").arg(path));
    // The completed name went back into the empty output field.
    QVERIFY(child<QLineEdit>(&window, "lineEditKml")->text().endsWith(QStringLiteral(".kaf")));
    QVERIFY(QDir(m_dir->path()).entryList({QStringLiteral("*.kaf")}, QDir::Files).isEmpty());
}

void TestMainWindow::completedOutputNameShowsBeforeTheQuestion()
{
    const QString input = m_dir->filePath(QStringLiteral("alps.txt"));
    const QString output = m_dir->filePath(QStringLiteral("alps.kaf"));
    writeFile(input, "AC R\nAN X\nDP 47:00:00 N 008:00:00 E\nDP 47:10:00 N 008:00:00 E\n");
    writeFile(output, "old");

    MainWindow window(0, QString(), QString(), nullptr, germanIni());
    child<QLineEdit>(&window, "lineEditOpenAir")->setText(input);
    child<QLineEdit>(&window, "lineEditKml")->setText(QString());
    QString shownWhileAsked;
    ModalAnswerer answerer({[&](QWidget *box) {
        shownWhileAsked = child<QLineEdit>(&window, "lineEditKml")->text();
        ModalAnswerer::press(QStringLiteral("Abort"))(box);
    }});
    child<QPushButton>(&window, "buttonConvert")->click();

    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(shownWhileAsked, output);
    QCOMPARE(readFile(output), QByteArray("old"));
}

void TestMainWindow::fileDialogsFillOnlyTheirField_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("accept");

    const QStringList openAir{QStringLiteral("OpenAir (*.txt)"),
                              QStringLiteral("Korvel Airspace Formated (*.kaf)")};
    const QStringList kaf{QStringLiteral("Korvel Airspace Formated (*.kaf)")};
    QTest::newRow("input chosen") << "buttonSelectOpenAir" << "lineEditOpenAir" << openAir
                                  << int(QFileDialog::ExistingFile) << true;
    QTest::newRow("input cancelled") << "buttonSelectOpenAir" << "lineEditOpenAir" << openAir
                                     << int(QFileDialog::ExistingFile) << false;
    QTest::newRow("output chosen") << "buttonSelectKml" << "lineEditKml" << kaf
                                   << int(QFileDialog::AnyFile) << true;
    QTest::newRow("output cancelled") << "buttonSelectKml" << "lineEditKml" << kaf
                                      << int(QFileDialog::AnyFile) << false;
}

void TestMainWindow::fileDialogsFillOnlyTheirField()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QStringList, filters);
    QFETCH(int, fileMode);
    QFETCH(bool, accept);

    const QString chosen = m_dir->filePath(QStringLiteral("alps.txt"));
    writeFile(chosen, sampleAirspace);
    MainWindow window(0, QString(), QString(), nullptr, germanIni());
    const QString other = field == QLatin1String("lineEditKml") ? QStringLiteral("lineEditOpenAir")
                                                                : QStringLiteral("lineEditKml");
    window.findChild<QLineEdit *>(field)->setText(m_dir->path());
    window.findChild<QLineEdit *>(other)->setText(QStringLiteral("untouched"));

    QStringList seenFilters;
    int seenMode = -1;
    QString seenFolder;
    ModalAnswerer answerer({[&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        seenFilters = dialog->nameFilters();
        seenMode = dialog->fileMode();
        seenFolder = dialog->directory().absolutePath();
        if (accept) {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        } else {
            dialog->reject();
        }
    }});
    window.findChild<QPushButton *>(button)->click();

    QCOMPARE(seenFilters, filters);
    QCOMPARE(seenMode, fileMode);
    QCOMPARE(seenFolder, m_dir->path());
    QCOMPARE(window.findChild<QLineEdit *>(field)->text(),
             accept ? QDir::toNativeSeparators(chosen) : m_dir->path());
    QCOMPARE(window.findChild<QLineEdit *>(other)->text(), QStringLiteral("untouched"));
}

void TestMainWindow::acceleratorsReachTheirButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("modal");   // class of the window that the button opens
    QTest::addColumn<bool>("stillOpen");

    QTest::newRow("Alt+D input file") << int(Qt::Key_D) << "QFileDialog" << true;
    QTest::newRow("Alt+A output file") << int(Qt::Key_A) << "QFileDialog" << true;
    QTest::newRow("Alt+U convert") << int(Qt::Key_U) << "QMessageBox" << true;
    QTest::newRow("Alt+B quit") << int(Qt::Key_B) << "" << false;
}

void TestMainWindow::acceleratorsReachTheirButtons()
{
    QFETCH(int, key);
    QFETCH(QString, modal);
    QFETCH(bool, stillOpen);

    MainWindow window(0, m_dir->filePath(QStringLiteral("missing.txt")), QString(), nullptr,
                      germanIni());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ModalAnswerer answerer({ModalAnswerer::escape()});
    QTest::keyClick(&window, Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(answerer.seen.isEmpty() ? QString() : answerer.seen[0].className, modal);
    QTRY_COMPARE(window.isVisible(), stillOpen);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
