// The window's choices beyond the files and units: fitting long outlines, the preview of the
// last run, the filter and several input files, each through the real window and its boxes.
#include "app/conversionrun.h"
#include "app/filterdialog.h"
#include "app/mainwindow.h"
#include "tests/app/modalanswerer.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

QString writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <class T>
T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

QByteArray dms(double degrees, char positive, char negative, int width)
{
    const long long seconds = std::llround(std::abs(degrees) * 3600);
    return QString("%1:%2:%3 %4")
        .arg(seconds / 3600, width, 10, QChar('0'))
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'))
        .arg(QChar(degrees < 0 ? negative : positive))
        .toLatin1();
}

QByteArray point(double lat, double lon)
{
    return "DP " + dms(lat, 'N', 'S', 2) + ' ' + dms(lon, 'E', 'W', 3) + '\n';
}

// A square of about 4 km with its south-west corner at lat, lon.
QByteArray square(const QByteArray &name, const QByteArray &cls, const QByteArray &floor, double lat, double lon)
{
    return "AC " + cls + "\nAN " + name + "\nAL " + floor + "\nAH FL195\n" + point(lat, lon)
           + point(lat + 0.04, lon) + point(lat + 0.04, lon + 0.06) + point(lat, lon + 0.06) + '\n';
}

// A restricted area of `points` points on a circle of about 5 km around 47 N 8 E, as
// exports write arcs, closed by repeating the first point: as many segments as points.
QByteArray ring(const QByteArray &name, int points)
{
    QByteArray block = "AC R\nAN " + name + "\nAL GND\nAH 2000 m\n";
    for (int i = 0; i <= points; ++i) {
        const double angle = 2 * M_PI * i / points;
        block += point(47 + 0.045 * std::cos(angle), 8 + 0.066 * std::sin(angle));
    }
    return block + '\n';
}

// Floor above ceiling: read, listed as faulty, never written.
const QByteArray upsideDown = "AC Q\nAN UPSIDE\nAL 3000 m\nAH 1000 m\n" + point(47.2, 8.2) + point(47.25, 8.2)
                              + point(47.25, 8.3) + '\n';

QStringList namesIn(const QByteArray &kaf)
{
    QStringList names;
    for (const QByteArray &line : kaf.split('\n'))
        if (line.startsWith("AN "))
            names << QString::fromLatin1(line.mid(3).trimmed());
    return names;
}

QStringList sourceLinesIn(const QByteArray &kaf)
{
    QStringList lines;
    for (const QByteArray &line : kaf.split('\n'))
        if (line.startsWith("*    source file"))
            lines << QString::fromLatin1(line.trimmed());
    return lines;
}

// Titles of the boxes seen, with the first line of each text.
QStringList boxesOf(const ModalAnswerer &answerer)
{
    QStringList boxes;
    for (const QStringList &modal : answerer.seen)
        boxes << modal.value(0) + " / " + modal.value(2).section('\n', 0, 0);
    return boxes;
}

QStringList filterKeys(const QString &ini)
{
    QSettings settings(ini, QSettings::IniFormat);
    settings.beginGroup("FILTER");
    QStringList stored;
    for (const QString &key : settings.allKeys())
        stored << key + '=' + settings.value(key).toString();
    return stored;
}

// Whether this build fits long outlines at all, asked of the run itself.
bool runFits(const QString &input, const QString &output)
{
    class Silent : public ConversionUi
    {
        ExistingOutput askExistingOutput(const QString &) override { return ExistingOutput::Overwrite; }
        void error(const QString &, const QString &) override {}
        void warning(const QString &, const QString &) override {}
        void information(const QString &, const QString &) override {}
    } ui;
    ConversionOptions options;
    options.inputFileNames = QStringList{input};
    options.outputText = output;
    options.fitLongOutlines = true;
    return !ConversionRun(ui).run(options).fittedLines.isEmpty();
}

} // namespace

class TestWindowChoices : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString ini(const QByteArray &more = QByteArray()) const
    {
        return writeFile(path("zonvert.ini"), "[GLOBAL]\nLanguage=de\n" + more);
    }
    std::unique_ptr<MainWindow> window(const QString &iniFile) const
    {
        return std::make_unique<MainWindow>(0, QString(), QString(), nullptr, iniFile);
    }
    // Runs the window's conversion of `input` into `output` and answers its boxes.
    static QStringList convert(MainWindow &window, const QString &input, const QString &output, QStringList answers)
    {
        child<QLineEdit>(&window, "lineEditOpenAir")->setText(input);
        child<QLineEdit>(&window, "lineEditKml")->setText(output);
        ModalAnswerer answerer(std::move(answers));
        child<QPushButton>(&window, "buttonConvert")->click();
        return boxesOf(answerer);
    }

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void fitBoxIsStoredAndReachesTheRun_data()
    {
        QTest::addColumn<QByteArray>("stored");   // the [OUTLINE] lines of the ini file
        QTest::addColumn<int>("click");           // clicks on the box before converting
        QTest::addColumn<bool>("fitted");
        QTest::newRow("off at a first start") << QByteArray() << 0 << false;
        QTest::newRow("stored on") << QByteArray("[OUTLINE]\nfitLongOutlines=true\n") << 0 << true;
        QTest::newRow("stored on, switched off") << QByteArray("[OUTLINE]\nfitLongOutlines=true\n") << 1 << false;
        QTest::newRow("switched on") << QByteArray("[OUTLINE]\nfitLongOutlines=false\n") << 1 << true;
    }
    void fitBoxIsStoredAndReachesTheRun()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, click);
        QFETCH(bool, fitted);
        const QString iniFile = ini(stored);
        const QString input = writeFile(path("ring.txt"), ring("RING", 101) + square("SMALL", "R", "GND", 47.3, 8.3));
        const bool runnable = !fitted || runFits(input, path("probe.kaf"));
        {
            auto shown = window(iniFile);
            auto *box = child<QCheckBox>(shown.get(), "cbxFitAirspaces");
            for (int i = 0; i < click; ++i)
                box->click();
            QCOMPARE(box->isChecked(), fitted);
            if (runnable) {
                const QStringList boxes = convert(*shown, input, path("ring.kaf"), {"OK", "OK"});
                const QString first = fitted ? "Lufträume vereinfacht / Folgende Lufträume wurden vereinfacht:"
                                             : "FEHLER / Die folgenden Lufträume haben zu viele Eckpunkte:";
                QCOMPARE(boxes, (QStringList{first, "Umwandlung abgeschlossen / Umwandlung der Datei " + input}));
                QCOMPARE(namesIn(readFile(path("ring.kaf"))), fitted ? (QStringList{"RING", "SMALL"}) : QStringList{"SMALL"});
            }
            shown->close();
        }
        QCOMPARE(QSettings(iniFile, QSettings::IniFormat).value("OUTLINE/fitLongOutlines").toString(),
                 QString(fitted ? "true" : "false"));
        if (!runnable)
            QSKIP("stored, but not converted: this build lists long outlines instead of fitting them");
    }

    void previewButtonFollowsTheLastRun_data()
    {
        QTest::addColumn<QString>("input");     // of the second run; "" keeps the first one's
        QTest::addColumn<QString>("output");    // of the second run; "" keeps the first one's
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("finished again") << "" << "" << QStringList{"Überschreiben", "OK", "OK"} << true;
        QTest::newRow("appended") << "" << "" << QStringList{"Anhängen", "OK", "OK"} << true;
        QTest::newRow("existing output kept") << "" << "" << QStringList{"Abort"} << false;
        QTest::newRow("input missing") << "missing.txt" << "" << QStringList{"OK"} << false;
        QTest::newRow("output folder missing") << "" << "no/such/folder/out.kaf" << QStringList{"OK"} << false;
    }
    void previewButtonFollowsTheLastRun()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QStringList, answers);
        QFETCH(bool, enabled);
        const QString first = writeFile(path("alps.txt"), square("GOOD", "R", "GND", 47, 8) + upsideDown);
        auto shown = window(ini());
        auto *preview = child<QPushButton>(shown.get(), "buttonPreview");
        QVERIFY(!preview->isEnabled());
        convert(*shown, first, path("alps.kaf"), {"OK", "OK"});
        QVERIFY(preview->isEnabled());
        convert(*shown, input.isEmpty() ? first : path(input), output.isEmpty() ? path("alps.kaf") : path(output),
                answers);
        QCOMPARE(preview->isEnabled(), enabled);
    }

    void previewDialogShowsTheLastRun()
    {
        const QString iniFile = ini();
        const QString input = writeFile(path("alps.txt"), square("GOOD", "R", "GND", 47, 8) + upsideDown
                                                              + ring("RING", 101));
        auto shown = window(iniFile);
        convert(*shown, input, path("alps.kaf"), {"OK", "OK", "OK"});
        ModalAnswerer answerer({"Schließen"});
        QStringList listed;
        answerer.onOpen = [&] {
            auto *list = child<QListWidget>(QApplication::activeModalWidget(), "listWidgetNotWritten");
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
        };
        child<QPushButton>(shown.get(), "buttonPreview")->click();
        QCOMPARE(answerer.seen, (QList<QStringList>{{"Vorschau", "on a window"}}));
        QCOMPARE(listed, (QStringList{"UPSIDE (fehlerhaft)", "RING (zu viele Eckpunkte)"}));
        shown->close();
        QVERIFY(QSettings(iniFile, QSettings::IniFormat).value("PREVIEW/size").toSize().isValid());
    }

    void filterDialogRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QStringList>("texts");   // skip, highest floor, near, box
        QTest::addColumn<QString>("switchedOn");  // of the four parts, as 0 and 1
        QTest::addColumn<QString>("refusal");     // the message's first paragraph; "" when accepted
        QTest::addColumn<QStringList>("chosen");  // what the dialog hands back when accepted
        const QStringList none{"", "", "", ""};
        QTest::newRow("all four readable") << QStringList{" e, f ,fis,, ", "FL125", "45.9, 6.9, 40", "45.5,6,46.5,7.5"}
                                           << "1111" << ""
                                           << QStringList{"E,F,FIS", "FL125", "45.9, 6.9, 40", "45.5,6,46.5,7.5"};
        QTest::newRow("floor in metres") << QStringList{"", "3000m", "", ""} << "0100" << ""
                                         << QStringList{"", "3000m", "", ""};
        QTest::newRow("floor without number") << QStringList{"", "hoch", "", ""} << "0100"
                                              << "„Untergrenze höchstens“ kann nicht gelesen werden: hoch" << none;
        QTest::newRow("near with two numbers") << QStringList{"", "", "46.5, 7.5", ""} << "0010"
                                               << "„Nur im Umkreis“ kann nicht gelesen werden: 46.5, 7.5" << none;
        QTest::newRow("near with decimal commas") << QStringList{"", "", "46,5, 7,5, 50", ""} << "0010"
                                                  << "„Nur im Umkreis“ kann nicht gelesen werden: 46,5, 7,5, 50"
                                                  << none;
        QTest::newRow("near beyond the pole") << QStringList{"", "", "91, 7, 10", ""} << "0010"
                                              << "„Nur im Umkreis“ kann nicht gelesen werden: 91, 7, 10" << none;
        QTest::newRow("box with south above north") << QStringList{"", "", "", "47.5, 6, 46, 7"} << "0001"
                                                    << "„Nur im Gebiet“ kann nicht gelesen werden: 47.5, 6, 46, 7"
                                                    << none;
        QTest::newRow("the first unreadable part is named") << QStringList{"", "x", "y", ""} << "0110"
                                                            << "„Untergrenze höchstens“ kann nicht gelesen werden: x"
                                                            << none;
        QTest::newRow("switched on without words")
            << QStringList{" , ", "", "", ""} << "1000"
            << "Für „Klassen und Typen weglassen“ fehlt der Wert. Geben Sie ihn ein oder schalten Sie den Teil aus."
            << none;
        QTest::newRow("switched off parts are dropped, readable or not")
            << QStringList{"E", "hoch", "1, 2", "x"} << "0000" << "" << none;
    }
    void filterDialogRefusesWhatItCannotRead()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, switchedOn);
        QFETCH(QString, refusal);
        QFETCH(QStringList, chosen);
        FilterDialog dialog(FilterSettings(), false);
        dialog.show();
        const char *parts[4][2] = {{"cbxSkip", "lineEditSkip"}, {"cbxMaxFloor", "lineEditMaxFloor"},
                                   {"cbxNear", "lineEditNear"}, {"cbxBox", "lineEditBox"}};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!child<QCheckBox>(&dialog, parts[i][0])->isChecked());
            QVERIFY(!child<QLineEdit>(&dialog, parts[i][1])->isEnabled());
            child<QCheckBox>(&dialog, parts[i][0])->setChecked(switchedOn.at(i) == '1');
            QCOMPARE(child<QLineEdit>(&dialog, parts[i][1])->isEnabled(), switchedOn.at(i) == '1');
            child<QLineEdit>(&dialog, parts[i][1])->setText(texts.at(i));
        }
        ModalAnswerer answerer({"OK"});
        child<QPushButton>(&dialog, "buttonOk")->click();
        if (refusal.isEmpty()) {
            QVERIFY(answerer.seen.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            const FilterSettings got = dialog.settings();
            QCOMPARE((QStringList{got.skipWords.join(','), got.maxFloor, got.near, got.box}), chosen);
        } else {
            QCOMPARE(answerer.seen.size(), 1);
            QCOMPARE(answerer.seen.value(0).mid(0, 2), (QStringList{"Filter", "on a window"}));
            QCOMPARE(answerer.seen.value(0).value(2).section("\n\n", 0, 0), refusal);
            QVERIFY(dialog.isVisible());
        }
    }

    void filterIsStoredShownAndEdited_data()
    {
        QTest::addColumn<QByteArray>("stored");       // the [FILTER] lines of the ini file
        QTest::addColumn<QString>("shown");           // the summary beside the button at the start
        QTest::addColumn<QStringList>("edit");        // cbx:text for the dialog; empty: cancel it
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QStringList>("storedAfter");
        QTest::newRow("first start, words chosen")
            << QByteArray() << "kein Filter" << QStringList{"cbxSkip:e, fis"} << "ohne E, FIS"
            << QStringList{"box=", "maxFloor=", "near=", "skip=E,FIS"};
        QTest::newRow("stored, cancelled")
            << QByteArray("[FILTER]\nskip=\"E,F\"\nmaxFloor=FL100\n") << "ohne E, F; Untergrenze bis FL100"
            << QStringList() << "ohne E, F; Untergrenze bis FL100"
            << QStringList{"box=", "maxFloor=FL100", "near=", "skip=E,F"};
        QTest::newRow("written by hand without quotes")
            << QByteArray("[FILTER]\nskip=E, F\nnear=46.5, 7.5, 50\n") << "ohne E, F; 50 km um 46.5, 7.5"
            << QStringList{"cbxBox:45,6,47,8"} << "ohne E, F; 50 km um 46.5, 7.5; Gebiet 45,6,47,8"
            << QStringList{"box=45,6,47,8", "maxFloor=", "near=46.5,7.5,50", "skip=E,F"};
        QTest::newRow("switched off") << QByteArray("[FILTER]\nmaxFloor=FL100\n") << "Untergrenze bis FL100"
                                      << QStringList{"cbxMaxFloor"} << "kein Filter"
                                      << QStringList{"box=", "maxFloor=", "near=", "skip="};
    }
    void filterIsStoredShownAndEdited()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        QFETCH(QStringList, edit);
        QFETCH(QString, shownAfter);
        QFETCH(QStringList, storedAfter);
        const QString iniFile = ini(stored);
        {
            auto main = window(iniFile);
            auto *summary = child<QLabel>(main.get(), "labelFilterSummary");
            QCOMPARE(summary->text(), shown);
            // Each edit toggles its part's switch and types its text.
            ModalAnswerer answerer({edit.isEmpty() ? "Abbrechen" : "OK"});
            answerer.onOpen = [&] {
                QWidget *dialog = QApplication::activeModalWidget();
                for (const QString &change : edit) {
                    child<QCheckBox>(dialog, qPrintable(change.section(':', 0, 0)))->click();
                    if (change.contains(':'))
                        child<QLineEdit>(dialog, qPrintable(change.section(':', 0, 0).replace("cbx", "lineEdit")))
                            ->setText(change.section(':', 1));
                }
            };
            child<QPushButton>(main.get(), "buttonFilter")->click();
            QCOMPARE(answerer.seen, (QList<QStringList>{{"Filter", "on a window"}}));
            QCOMPARE(summary->text(), shownAfter);
            main->close();
        }
        QCOMPARE(filterKeys(iniFile), storedAfter);
    }

    void windowLeavesOutWhatTheFilterSays_data()
    {
        QTest::addColumn<QByteArray>("stored");   // the [FILTER] lines of the ini file
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("says");        // a line of the one box
        QTest::newRow("no filter") << QByteArray() << QStringList{"NEAR", "HIGH", "FAR"}
                                   << "3/3 Lufträume umgewandelt.";
        QTest::newRow("class words in any case")
            << QByteArray("[FILTER]\nskip=e\n") << QStringList{"NEAR", "FAR"}
            << "1 Lufträume durch Filter ausgelassen (1 nach Klasse oder Typ).";
        QTest::newRow("floor above FL100") << QByteArray("[FILTER]\nmaxFloor=FL100\n") << QStringList{"NEAR", "FAR"}
                                           << "1 Lufträume durch Filter ausgelassen (1 mit Untergrenze über FL100).";
        QTest::newRow("near a point") << QByteArray("[FILTER]\nnear=\"47,8,30\"\n") << QStringList{"NEAR", "HIGH"}
                                      << "1 Lufträume durch Filter ausgelassen (1 ausserhalb des Gebiets).";
        QTest::newRow("in a box") << QByteArray("[FILTER]\nbox=\"45.5,9.5,46.5,10.5\"\n") << QStringList{"FAR"}
                                  << "2 Lufträume durch Filter ausgelassen (2 ausserhalb des Gebiets).";
        QTest::newRow("everything left out") << QByteArray("[FILTER]\nskip=\"R,E,Q\"\n") << QStringList()
                                             << "0/0 Lufträume umgewandelt.";
        // Edited by hand: the run would not know the part, so there is none.
        QTest::newRow("unreadable") << QByteArray("[FILTER]\nnear=north of here\n") << QStringList()
                                    << "Der Filter kann nicht gelesen werden: north of here";
    }
    void windowLeavesOutWhatTheFilterSays()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, written);
        QFETCH(QString, says);
        const QString input = writeFile(path("alps.txt"), square("NEAR", "R", "GND", 47, 8)
                                                              + square("HIGH", "E", "FL130", 47.1, 8.1)
                                                              + square("FAR", "Q", "1000 m", 46, 10));
        auto shown = window(ini(stored));
        ModalAnswerer answerer({"OK"});
        child<QLineEdit>(shown.get(), "lineEditOpenAir")->setText(input);
        child<QLineEdit>(shown.get(), "lineEditKml")->setText(path("alps.kaf"));
        child<QPushButton>(shown.get(), "buttonConvert")->click();
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY2(answerer.seen.value(0).value(2).split('\n').contains(says), qPrintable(answerer.seen.value(0).value(2)));
        QCOMPARE(namesIn(readFile(path("alps.kaf"))), written);
        QCOMPARE(child<QPushButton>(shown.get(), "buttonPreview")->isEnabled(), !stored.contains("north"));
    }

    void fileDialogTakesSeveralFiles()
    {
        writeFile(path("a.txt"), square("A", "R", "GND", 47, 8));
        writeFile(path("b.txt"), square("B", "R", "GND", 47, 8));
        auto shown = window(ini());
        auto *field = child<QLineEdit>(shown.get(), "lineEditOpenAir");
        field->setText(path("a.txt"));
        QStringList startedIn;
        ModalAnswerer answerer({"Open", ""});
        answerer.onOpen = [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            startedIn << dialog->directory().absolutePath();
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText("\"b.txt\" \"a.txt\"");
        };
        child<QPushButton>(shown.get(), "buttonSelectOpenAir")->click();
        const QString both = QDir::toNativeSeparators(path("b.txt")) + "; " + QDir::toNativeSeparators(path("a.txt"));
        QCOMPARE(field->text(), both);
        // Again from that folder, and cancelled: the field keeps both.
        child<QPushButton>(shown.get(), "buttonSelectOpenAir")->click();
        QCOMPARE(field->text(), both);
        QCOMPARE(startedIn, (QStringList{m_dir->path(), m_dir->path()}));
    }

    void severalFilesGoIntoOneOutput_data()
    {
        QTest::addColumn<QString>("field");        // the input field, "%1" the test folder
        QTest::addColumn<QStringList>("sources");  // the banner's source file lines
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("output");       // the completed output name
        QTest::addColumn<QString>("stored");       // [PATH] inDirectory after closing
        QTest::newRow("two files") << "%1/a.txt; %1/sub/b.txt"
                                   << QStringList{"*    source file   : a.txt", "*    source file   : b.txt"}
                                   << QStringList{"FROM A", "FROM B"} << "%1/a.kaf" << "%1/";
        QTest::newRow("the first in a subfolder") << "%1/sub/b.txt; %1/a.txt"
                                                  << QStringList{"*    source file   : b.txt",
                                                                 "*    source file   : a.txt"}
                                                  << QStringList{"FROM B", "FROM A"} << "%1/sub/b.kaf" << "%1/sub/";
        QTest::newRow("a separator at the end") << "%1/sub/b.txt; "
                                                << QStringList{"*    source file   : b.txt"}
                                                << QStringList{"FROM B"} << "%1/sub/b.kaf" << "%1/sub/";
    }
    void severalFilesGoIntoOneOutput()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, written);
        QFETCH(QString, output);
        QFETCH(QString, stored);
        QVERIFY(QDir(m_dir->path()).mkpath("sub"));
        writeFile(path("a.txt"), square("FROM A", "R", "GND", 47, 8));
        writeFile(path("sub/b.txt"), square("FROM B", "Q", "GND", 47.1, 8.1));
        const QString iniFile = ini();
        {
            auto shown = window(iniFile);
            convert(*shown, field.arg(m_dir->path()), QString(), {"OK"});
            QCOMPARE(child<QLineEdit>(shown.get(), "lineEditKml")->text(), output.arg(m_dir->path()));
            const QByteArray kaf = readFile(output.arg(m_dir->path()));
            QCOMPARE(sourceLinesIn(kaf), sources);
            QCOMPARE(namesIn(kaf), written);
            shown->close();
        }
        QCOMPARE(QSettings(iniFile, QSettings::IniFormat).value("PATH/inDirectory").toString(),
                 stored.arg(m_dir->path()));
    }
};

QTEST_MAIN(TestWindowChoices)
#include "tst_windowchoices.moc"
