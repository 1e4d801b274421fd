#include "app/commandline.h"
#include "app/mainwindow.h"
#include "ui_mainwindow.h"
#include "tests/app/modalanswerer.h"

#include <QMessageBox>
#include <QtTest>

Q_DECLARE_METATYPE(CommandLine::Action)

namespace {

const QByteArray sampleAirspace = "AC D\r\nAN TESTZONE\r\nAL GND\r\nAH 2000 ft\r\nDP 47:00:00 N 008:00:00 E\r\n"
                                  "DP 47:10:00 N 008:00:00 E\r\nDP 47:10:00 N 008:10:00 E\r\n";

QString writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

// Both file fields, the distance, and which of radMeter, radFuss, radMeterInput, radFussInput are checked.
QStringList formState(QWidget *window)
{
    QString checked;
    for (const char *name : {"radMeter", "radFuss", "radMeterInput", "radFussInput"})
        checked += window->findChild<QRadioButton *>(name)->isChecked() ? '1' : '0';
    return {window->findChild<QLineEdit *>("lineEditOpenAir")->text(),
            window->findChild<QLineEdit *>("lineEditKml")->text(),
            window->findChild<QSpinBox *>("SpinBoxWarnDist")->cleanText(), checked};
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void commandLineIsReadInPairs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QStringList>("read"); // input, output (from /work/dir) and metres
        using A = CommandLine::Action;
        QTest::newRow("relative names made absolute") << QStringList{"-in", "../up/a.txt", "-out", "b.kaf"} << A::Run
                                                      << QStringList{"/work/up/a.txt", "/work/dir/b.kaf", "0"};
        QTest::newRow("feet to whole metres") << QStringList{"-wf", "1000"} << A::Run << QStringList{"", "", "304"};
        QTest::newRow("huge feet saturate") << QStringList{"-wf", "-99999999999999999999999"} << A::Run
                                            << QStringList{"", "", "-2147483648"};
        QTest::newRow("help stops reading") << QStringList{"-help", "x", "-wm", "abc"} << A::Help << QStringList();
        QTest::newRow("upper-case option") << QStringList{"-IN", "a.txt"} << A::Invalid << QStringList();
        QTest::newRow("fraction") << QStringList{"-wf", "12.5"} << A::Invalid << QStringList();
        QTest::newRow("option last without value") << QStringList{"-in", "a", "-out"} << A::Invalid << QStringList();
    }
    void commandLineIsReadInPairs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(QStringList, read);
        const CommandLine got = parseCommandLine(QStringList{"zonvert"} + arguments, QDir("/work/dir"));
        QCOMPARE(got.action, action);
        QCOMPARE(got.exitCode(), action == CommandLine::Action::Invalid ? 1 : 0);
        if (action == CommandLine::Action::Run)
            QCOMPARE((QStringList{got.inputFileName, got.outputFileName, QString::number(got.warningDistance)}), read);
    }

    void formHasItsNamesTextsPlacesAndStates_data()
    {
        QTest::addColumn<QList<int>>("place"); // row, column, rows, columns in gridLayout_5; empty: elsewhere
        QTest::addColumn<QVariantMap>("properties");
        using P = QList<int>;
        using V = QVariantMap;
        QTest::newRow("MainWindow") << P{} << V{{"windowTitle", "openAir to KAF Konverter"}, {"size", QSize(411, 564)},
                                                {"minimumSize", QSize(411, 564)}, {"maximumSize", QSize(600, 600)}};
        QTest::newRow("labelOpenAir") << P{0, 0, 2, 3} << V{{"text", "OpenAir Datei"}};
        QTest::newRow("lineEditOpenAir") << P{3, 0, 1, 2} << V{{"text", ""}};
        QTest::newRow("buttonSelectOpenAir") << P{3, 2, 1, 1} << V{{"text", "&Datei"}, {"maximumWidth", 120}};
        QTest::newRow("label_2") << P{4, 0, 1, 2} << V{{"text", "Basis Einheit für Höhen"}, {"minimumWidth", 180}};
        QTest::newRow("frame_3") << P{4, 2, 2, 1} << V();
        QTest::newRow("radMeterInput") << P{} << V{{"text", "Meter [m]"}, {"checked", true}};
        QTest::newRow("radFussInput") << P{} << V{{"text", "Fuss [ft]"}, {"checked", false}};
        QTest::newRow("labelKml") << P{8, 0, 1, 3} << V{{"text", "KAF Datei"}};
        QTest::newRow("lineEditKml") << P{9, 0, 1, 2} << V{{"text", ""}, {"minimumHeight", 30}};
        QTest::newRow("buttonSelectKml") << P{9, 2, 1, 1} << V{{"text", "D&atei"}};
        QTest::newRow("cbxCloseAirspaces") << P{10, 0, 1, 3} << V{{"text", "Lufträume automatisch Schliessen"},
                                                                  {"checked", false}};
        QTest::newRow("cbxFitAirspaces") << P{11, 0, 1, 3} << V{{"text", "Lange Lufträume nach aussen vereinfachen"},
                                                                {"checked", false}, {"minimumHeight", 30}};
        QTest::newRow("label") << P{12, 0, 1, 1} << V{{"text", "Warn Abstand"}, {"minimumWidth", 120}};
        QTest::newRow("SpinBoxWarnDist") << P{12, 1, 1, 1} << V{{"value", 100}, {"minimum", 0}, {"maximum", 10000}};
        QTest::newRow("frame_5") << P{12, 2, 2, 1} << V();
        QTest::newRow("radMeter") << P{} << V{{"text", "Meter [m]"}, {"checked", false}};
        QTest::newRow("radFuss") << P{} << V{{"text", "Fuss [ft]"}, {"checked", false}};
        QTest::newRow("buttonFilter") << P{13, 0, 1, 1} << V{{"text", "&Filter..."}, {"minimumHeight", 30}};
        QTest::newRow("labelFilterSummary") << P{14, 0, 1, 3} << V{{"wordWrap", true}};
        QTest::newRow("buttonConvert") << P{} << V{{"text", "&Umwandeln"}};
        QTest::newRow("buttonPreview") << P{} << V{{"text", "&Vorschau"}, {"enabled", false}};
        QTest::newRow("buttonBeenden") << P{} << V{{"text", "&Beenden"}};
    }
    void formHasItsNamesTextsPlacesAndStates()
    {
        QFETCH(QList<int>, place);
        QFETCH(QVariantMap, properties);
        QMainWindow window;
        Ui::MainWindow form;
        form.setupUi(&window);
        const QString name = QLatin1String(QTest::currentDataTag());
        QWidget *widget = window.objectName() == name ? &window : window.findChild<QWidget *>(name);
        QVERIFY(widget);
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            QCOMPARE(widget->property(qPrintable(it.key())), it.value());
        if (!place.isEmpty()) {
            int row = -1, column = -1, rows = -1, columns = -1;
            form.gridLayout_5->getItemPosition(form.gridLayout_5->indexOf(widget), &row, &column, &rows, &columns);
            QCOMPARE((QList<int>{row, column, rows, columns}), place);
        }
        // The bottom bar: convert, the preview of what it wrote, quit.
        QCOMPARE((QList<int>{form.horizontalLayout->indexOf(form.buttonConvert),
                             form.horizontalLayout->indexOf(form.buttonPreview),
                             form.horizontalLayout->indexOf(form.buttonBeenden)}),
                 (QList<int>{0, 1, 2}));
    }

    void languageIsAskedOnceAndSettingsSurviveClosing()
    {
        ModalAnswerer answerer({""}); // Escape chooses English
        {
            MainWindow window(0, QString(), QString(), nullptr, path("zonvert.ini"));
            QCOMPARE(window.windowTitle(), QStringLiteral("OpenAir to KAF Converter V 2.20"));
            QVERIFY(window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
            QCOMPARE(formState(&window), (QStringList{".", ".", "400", "1010"}));
            window.findChild<QLineEdit *>("lineEditOpenAir")->setText(path("data/alps.txt"));
            window.findChild<QLineEdit *>("lineEditKml")->setText(path("out/"));
            window.findChild<QSpinBox *>("SpinBoxWarnDist")->setValue(1234);
            window.findChild<QRadioButton *>("radFuss")->setChecked(true); // the heights keep their own choice
            QVERIFY(window.close());
        }
        MainWindow again(0, QString(), QString(), nullptr, path("zonvert.ini"));
        QCOMPARE(again.languageCode(), QStringLiteral("en"));
        QCOMPARE(formState(&again), (QStringList{path("data/"), path("out/"), "1234", "0110"}));
        QCOMPARE(answerer.seen, (QList<QStringList>{{"Language / Sprache / Langue", "alone"}}));
    }

    void batchRunAnswersTheRealBoxes()
    {
        const QString ini = writeFile(path("zonvert.ini"), "[GLOBAL]\nLanguage=de\n[WARNING]\ndistance=250\n"
                                                           "m_ft=false\n[InputHeight]\nbaseUnitMeters=false\n");
        QVERIFY(QDir(m_dir->path()).mkpath("in") && QDir(m_dir->path()).mkpath("out"));
        const QString input = writeFile(path("in/alps.txt"), sampleAirspace);
        const QString output = writeFile(path("out/alps.kaf"), "OLD\r\n");
        ModalAnswerer answerer({"Anhängen", "OK"});
        // The distance on the command line is in metres and ends in the range of the form.
        QCOMPARE(runZonvert({"zonvert", "-in", input, "-out", output, "-wm", "20000"}, ini), 0);
        const QString role = QStringLiteral("|%1");
        QCOMPARE(answerer.seen.value(0),
                 (QStringList{"", "alone", "Datei existiert bereits",
                              "Soll die Datei " + output + " überschrieben oder ergänzt werden?", "Question",
                              " &Anhängen " + role.arg(QMessageBox::ApplyRole) + "|default",
                              " &Überschreiben " + role.arg(QMessageBox::AcceptRole),
                              "Abort" + role.arg(QMessageBox::RejectRole)}));
        QCOMPARE(answerer.seen.value(1).mid(0, 2), (QStringList{"Umwandlung abgeschlossen", "alone"}));
        QCOMPARE(answerer.seen.size(), 2);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("OLD\r\n" + QByteArray(80, '*') + "\r\n"));
        QVERIFY(bytes.contains("\r\nAN TESTZONE\r\n") && bytes.contains("\r\nWD 10000\r\n"));
        // Every close saves, also the one at the end of a batch run.
        QSettings settings(ini, QSettings::IniFormat);
        QStringList stored;
        for (const QString &key : settings.allKeys())
            stored << key + '=' + settings.value(key).toString();
        QCOMPARE(stored, (QStringList{"FILTER/box=", "FILTER/maxFloor=", "FILTER/near=", "FILTER/skip=",
                                      "GLOBAL/Language=de", "InputHeight/baseUnitMeters=false",
                                      "OUTLINE/fitLongOutlines=false", "PATH/inDirectory=" + path("in/"),
                                      "PATH/outDirectory=" + path("out/"), "WARNING/distance=10000",
                                      "WARNING/m_ft=true"}));
    }

    void convertShowsTheCompletedOutputNameBeforeAnyBox()
    {
        const QString output = writeFile(path("alps.kaf"), "old");
        MainWindow window(0, path("alps.txt"), {}, nullptr, writeFile(path("zonvert.ini"), "[GLOBAL]\nLanguage=de"));
        auto *outputField = window.findChild<QLineEdit *>("lineEditKml");
        ModalAnswerer answerer({"OK", "Abort"});
        QStringList shown;
        answerer.onOpen = [&] { shown << outputField->text(); };
        outputField->clear();
        window.findChild<QPushButton *>("buttonConvert")->click(); // the input is missing
        writeFile(path("alps.txt"), sampleAirspace);
        outputField->clear();
        window.findChild<QPushButton *>("buttonConvert")->click();
        QCOMPARE(shown, (QStringList{output, output}));
        QCOMPARE(answerer.seen.value(0).mid(0, 2) << answerer.seen.value(0).value(4),
                 (QStringList{"FEHLER", "on a window", "Critical"}));
        QCOMPARE(answerer.seen.value(1).mid(0, 3), (QStringList{"", "alone", "Datei existiert bereits"}));
        QCOMPARE(answerer.seen.size(), 2);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
