#include "app/conversionrun.h"
#include "app/outputfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the question as told and keeps every message, in order.
struct RecordingUi : ConversionUi
{
    ExistingOutput answer = ExistingOutput::Overwrite;
    QStringList calls;

    ExistingOutput askExistingOutput(const QString &name) override { return calls << "question " + name, answer; }
    void error(const QString &title, const QString &text) override { calls << "error " + title + ": " + text; }
    void warning(const QString &title, const QString &text) override { calls << "warning " + title + ": " + text; }
    void information(const QString &title, const QString &text) override { calls << "info " + title + ": " + text; }
};

const QDate Day(2013, 3, 5);

// A zigzag of `segments` edges; an open one does not return to its first point.
QByteArray polygon(const QByteArray &name, int segments, bool closed = true)
{
    QByteArray block = "AC R\nAN " + name + "\nAL GND\nAH 1000 m\n";
    const int points = closed ? segments : segments + 1;
    for (int i = 0; i <= points; ++i) {
        const int p = i % points;
        if (i < points || closed)
            block += QByteArray("DP 47:0") + (p % 2 ? '5' : '0') + ":00 N 009:" + QByteArray::number(10 + p / 60)
                     + ':' + QByteArray::number(10 + p % 60 * 4 / 5) + " E\n";
    }
    return block + '\n';
}

// The two radii differ by a whole nautical mile.
QByteArray faultyArc(const QByteArray &name)
{
    return "AC Q\nAN " + name + "\nAL GND\nAH 2000 m\nV X=47:00:00 N 009:00:00 E\n"
           "DB 47:03:00 N 009:00:00 E, 46:56:00 N 009:00:00 E\n\n";
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArrayList linesStartingWith(const QByteArray &bytes, const QByteArray &prefix)
{
    QByteArrayList found;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith(prefix))
            found << line.chopped(1);
    return found;
}

// The renaming as described step by step: every name counted against the current names.
QStringList renamedOneByOne(QStringList names)
{
    QStringList distinct;
    for (const QString &name : names)
        if (!distinct.contains(name))
            distinct << name;
    for (const QString &name : distinct) {
        if (names.count(name) < 2)
            continue;
        for (qsizetype i = names.size() - 1, counter = 1; i >= 0; --i)
            if (names[i] == name)
                names[i] = name.left(13) + '_' + QStringLiteral("%1").arg(counter++, 2, 10, QLatin1Char('0'));
    }
    return names;
}

QStringList messages;
void keepMessage(QtMsgType, const QMessageLogContext &, const QString &text) { messages << text; }

} // namespace

Q_DECLARE_METATYPE(ConversionUi::ExistingOutput)

class ConversionRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_input = m_dir.filePath(QStringLiteral("alps.txt"));
        m_output = m_dir.filePath(QStringLiteral("alps.kaf"));
        QFile::remove(m_output);
        m_ui = RecordingUi();
    }

    void duplicateNamesGetCountersFromTheLast_data();
    void duplicateNamesGetCountersFromTheLast();
    void renamingMatchesTheOneByOneRule_data();
    void renamingMatchesTheOneByOneRule();
    void recordsAreWrittenRenamedOrRefused_data();
    void recordsAreWrittenRenamedOrRefused();
    void refusedAirspacesAreReportedBeforeSummary();
    void existingOutputIsAppendedReplacedOrKept_data();
    void existingOutputIsAppendedReplacedOrKept();
    void warningDistanceIsWrittenInWholeMetres_data();
    void warningDistanceIsWrittenInWholeMetres();
    void inputWithoutAirspacesGivesBannerOnly();
    void outlinelessAirspaceLeavesDiagnosticOnly();
    void inputErrorsStopBeforeWriting_data();
    void inputErrorsStopBeforeWriting();
    void writeFailureIsReportedInsteadOfSummary_data();
    void writeFailureIsReportedInsteadOfSummary();
    void textIsLatin1WithQuestionMarks();

private:
    ConversionResult convert(const QByteArray &openAir, ConversionOptions options = {})
    {
        QFile file(m_input);
        if (!openAir.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(openAir) != openAir.size()))
            qFatal("cannot write the input");
        file.close();
        if (options.inputFileName.isEmpty())
            options.inputFileName = m_input;
        options.date = Day;
        return ConversionRun(m_ui).run(options);
    }
    QByteArray banner() const { return OutputFile::bannerText(m_input, Day).toLatin1(); }

    QTemporaryDir m_dir;
    QString m_input;
    QString m_output;
    RecordingUi m_ui;
};

void ConversionRunTest::duplicateNamesGetCountersFromTheLast_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("16 characters cut to 13") << QStringList(3, "ABCDEFGHIJKLMNOP")
                                             << QStringList{"ABCDEFGHIJKLM_03", "ABCDEFGHIJKLM_02", "ABCDEFGHIJKLM_01"};
    QTest::newRow("single name unchanged") << QStringList{"TMA", "CTR", "TMA"} << QStringList{"TMA_02", "CTR", "TMA_01"};
    QTest::newRow("empty names") << QStringList{"", ""} << QStringList{"_02", "_01"};
    QTest::newRow("case matters") << QStringList{"tma", "TMA"} << QStringList{"tma", "TMA"};
    QTest::newRow("placeholder kept") << QStringList{"%1", "%1"} << QStringList{"%1_02", "%1_01"};
    QTest::newRow("new name counted later") << QStringList{"A", "A", "A_01"} << QStringList{"A_02", "A_01_02", "A_01_01"};
    QTest::newRow("earlier name not counted again") << QStringList{"A_01", "A", "A"} << QStringList{"A_01", "A_02", "A_01"};
    QTest::newRow("ten") << QStringList(10, "T")
                         << QStringList{"T_10", "T_09", "T_08", "T_07", "T_06", "T_05", "T_04", "T_03", "T_02", "T_01"};
}

void ConversionRunTest::duplicateNamesGetCountersFromTheLast()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    makeDeviceNamesUnique(names);
    QCOMPARE(names, expected);
}

void ConversionRunTest::renamingMatchesTheOneByOneRule_data()
{
    QTest::addColumn<QStringList>("names");
    // Names that renaming itself produces, so that chains and clashes happen.
    const QStringList pool = {"A", "A_01", "A_02", "A_01_01", "B", "ABCDEFGHIJKLM_01", "ABCDEFGHIJKLMN", "ABCDEFGHIJKLMO", ""};
    QRandomGenerator random(20130305);
    for (int row = 0; row < 40; ++row) {
        QStringList names;
        for (int i = 2 + random.bounded(30); i > 0; --i)
            names << pool.at(random.bounded(pool.size()));
        QTest::addRow("random %d", row) << names;
    }
}

void ConversionRunTest::renamingMatchesTheOneByOneRule()
{
    QFETCH(QStringList, names);
    const QStringList expected = renamedOneByOne(names);
    makeDeviceNamesUnique(names);
    QCOMPARE(names, expected);
}

void ConversionRunTest::recordsAreWrittenRenamedOrRefused_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("closeOutlines");
    QTest::addColumn<QByteArrayList>("anLines");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QStringList>("overLimit");

    const QByteArray longName = polygon("ABCDEFGHIJKLMNOPQR", 4);
    QTest::newRow("long names") << longName + longName + longName << false
                                << QByteArrayList{"AN ABCDEFGHIJKLM_03", "AN ABCDEFGHIJKLM_02", "AN ABCDEFGHIJKLM_01"}
                                << 3 << QStringList();
    QTest::newRow("TMA TMA CTR") << polygon("TMA", 4) + polygon("TMA", 3) + polygon("CTR", 4) << false
                                 << QByteArrayList{"AN TMA_02", "AN TMA_01", "AN CTR"} << 3 << QStringList();
    QTest::newRow("nameless") << polygon("", 4) + polygon("", 4) << false << QByteArrayList{"AN _02", "AN _01"} << 2
                              << QStringList();
    QTest::newRow("100 written") << polygon("Big", 100) + polygon("S", 4) << false
                                 << QByteArrayList{"AN Big", "AN S"} << 2 << QStringList();
    QTest::newRow("101 refused") << polygon("Big", 101) + polygon("S", 4) << false << QByteArrayList{"AN S"} << 2
                                 << QStringList{"  - Big hat 101 Segmente"};
    QTest::newRow("open 100 written") << polygon("Big", 100, false) << false << QByteArrayList{"AN Big"} << 1
                                      << QStringList();
    QTest::newRow("closing makes 101") << polygon("Big", 100, false) << true << QByteArrayList() << 1
                                       << QStringList{"  - Big hat 101 Segmente"};
    QTest::newRow("closed 100 stays 100") << polygon("Big", 100) << true << QByteArrayList{"AN Big"} << 1
                                          << QStringList();
    QTest::newRow("all faulty") << faultyArc("F1") + faultyArc("F2") << false << QByteArrayList() << 2 << QStringList();
}

void ConversionRunTest::recordsAreWrittenRenamedOrRefused()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, closeOutlines);
    QFETCH(QByteArrayList, anLines);
    QFETCH(int, kept);
    QFETCH(QStringList, overLimit);

    ConversionOptions options;
    options.closeOutlines = closeOutlines;
    const ConversionResult result = convert(input, options);
    const QByteArray bytes = readAll(m_output);

    QCOMPARE(linesStartingWith(bytes, "AN"), anLines);
    QCOMPARE(result.keptCount, kept);
    QCOMPARE(result.writtenCount, anLines.size());
    QCOMPARE(result.overLimitLines, overLimit);
    QCOMPARE(result.faultyLines.size(), kept - anLines.size() - overLimit.size());
    QVERIFY(bytes.startsWith(banner()));
    QCOMPARE(bytes.count("\r\n\r\n"), 1 + anLines.size()); // an empty line after the banner and each record
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

void ConversionRunTest::refusedAirspacesAreReportedBeforeSummary()
{
    const ConversionResult result = convert(faultyArc("F1") + polygon("Big", 101) + faultyArc("F2"));
    QCOMPARE(result.faultyLines.size(), 2);
    QVERIFY(result.faultyLines.at(1).startsWith(QLatin1String("  - F2  -- segment ")));
    QCOMPARE(m_ui.calls, QStringList({
        "warning FEHLER: Die folgenden Lufträume haben Fehler:\n\n" + result.faultyLines.join('\n')
            + "\nbitte bereinigen Sie diese.\n",
        "warning FEHLER: Die folgenden Lufträume haben zu viele Eckpunkte:\n\n  - Big hat 101 Segmente"
        "\nbitte bereinigen Sie diese.\n",
        "info Umwandlung abgeschlossen: Umwandlung der Datei " + m_input + "\nnach " + m_output
            + " erfolgreich\n\n0/3 Lufträume umgewandelt."}));
}

void ConversionRunTest::existingOutputIsAppendedReplacedOrKept_data()
{
    QTest::addColumn<ConversionUi::ExistingOutput>("answer");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("append") << ConversionUi::ExistingOutput::Append << QByteArray("old\r\n\r\n") << QByteArray();
    QTest::newRow("overwrite") << ConversionUi::ExistingOutput::Overwrite << QByteArray() << QByteArray();
    QTest::newRow("abort") << ConversionUi::ExistingOutput::Abort << QByteArray("old\r\n\r\n") << QByteArray("<none>");
}

void ConversionRunTest::existingOutputIsAppendedReplacedOrKept()
{
    QFETCH(ConversionUi::ExistingOutput, answer);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    QFile old(m_output);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n\r\n") == 7);
    old.close();
    m_ui.answer = answer;
    const ConversionResult result = convert(polygon("Alpha", 4));

    QCOMPARE(m_ui.calls.value(0), "question " + m_output);
    QCOMPARE(m_ui.calls.size(), after.isEmpty() ? 2 : 1); // the summary follows every finished run
    const QByteArray bytes = readAll(m_output);
    if (after.isEmpty())
        QVERIFY(bytes.startsWith(before + banner() + "AC R\r\n") && bytes.count(banner()) == 1);
    else
        QCOMPARE(bytes, before);
}

void ConversionRunTest::warningDistanceIsWrittenInWholeMetres_data()
{
    QTest::addColumn<bool>("metres");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("wdLine");

    QTest::newRow("400 m") << true << 400 << QByteArray("WD 400");
    QTest::newRow("1000 ft is 30479 cm") << false << 1000 << QByteArray("WD 304");
    QTest::newRow("400 ft is 12191 cm") << false << 400 << QByteArray("WD 121");
    QTest::newRow("0 m") << true << 0 << QByteArray("WD 200");
    QTest::newRow("huge value saturates") << true << std::numeric_limits<int>::max() << QByteArray("WD 21474836");
}

void ConversionRunTest::warningDistanceIsWrittenInWholeMetres()
{
    QFETCH(bool, metres);
    QFETCH(int, value);
    QFETCH(QByteArray, wdLine);

    ConversionOptions options;
    options.distanceInMetres = metres;
    options.warningDistance = value;
    convert(polygon("Alpha", 4), options);
    QCOMPARE(linesStartingWith(readAll(m_output), "WD"), QByteArrayList{wdLine});
}

void ConversionRunTest::inputWithoutAirspacesGivesBannerOnly()
{
    // A "%2" in a file name must not be taken for a placeholder of the summary.
    m_input = m_dir.filePath(QStringLiteral("no %2 airspace.txt"));
    ConversionOptions options;
    options.outputText = m_output;
    const ConversionResult result = convert("* nothing but a comment\n", options);

    QCOMPARE(readAll(m_output), banner());
    QVERIFY(!result.outputTextFilled);
    QCOMPARE(m_ui.calls, QStringList{"info Umwandlung abgeschlossen: Umwandlung der Datei " + m_input + "\nnach "
                                     + m_output + " erfolgreich\n\n0/0 Lufträume umgewandelt."});
}

void ConversionRunTest::outlinelessAirspaceLeavesDiagnosticOnly()
{
    QLoggingCategory::setFilterRules(QStringLiteral("zonvert.conversion.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    const ConversionResult result = convert("AC R\nAN Leer\nDP 47:00:00 N 009:00:00 E\n\n" + polygon("Alpha", 4));
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    QVERIFY2(messages.contains(QStringLiteral("ERROR :: \"Leer\"")), qPrintable(messages.join('\n')));
    QCOMPARE(result.keptCount, 1);
    QVERIFY(m_ui.calls.last().endsWith(QStringLiteral("1/1 Lufträume umgewandelt.")));
}

void ConversionRunTest::inputErrorsStopBeforeWriting_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("missing file") << "missing.txt";
    QTest::newRow("directory") << "folder";
}

void ConversionRunTest::inputErrorsStopBeforeWriting()
{
    QFETCH(QString, input);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
    ConversionOptions options;
    options.inputFileName = m_dir.filePath(input);
    const ConversionResult result = convert(QByteArray(), options);

    QCOMPARE(result.outcome, ConversionResult::Outcome::InputError);
    QVERIFY(result.outputTextFilled);
    QCOMPARE(m_ui.calls, QStringList{"error FEHLER: Die Datei " + options.inputFileName + " konnte nicht geöffnet werden."});
    QVERIFY(!QFile::exists(result.outputFileName));
}

void ConversionRunTest::writeFailureIsReportedInsteadOfSummary_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<ConversionUi::ExistingOutput>("answer");
    QTest::newRow("missing directory") << "nowhere/out.kaf" << ConversionUi::ExistingOutput::Overwrite;
    QTest::newRow("full device, append") << "full.kaf" << ConversionUi::ExistingOutput::Append;
}

void ConversionRunTest::writeFailureIsReportedInsteadOfSummary()
{
    QFETCH(QString, output);
    QFETCH(ConversionUi::ExistingOutput, answer);
    if (output == QLatin1String("full.kaf") && !QFile::link(QStringLiteral("/dev/full"), m_dir.filePath(output)))
        QSKIP("no /dev/full to write to");
    m_ui.answer = answer;
    ConversionOptions options;
    options.outputText = m_dir.filePath(output);
    const ConversionResult result = convert(polygon("Alpha", 4), options);

    QCOMPARE(result.outcome, ConversionResult::Outcome::OutputError);
    QCOMPARE(m_ui.calls.last(), "error FEHLER: Die Datei " + options.outputText + " konnte nicht geschrieben werden.");
    QVERIFY(!m_ui.calls.join('\n').contains(QLatin1String("info")));
}

void ConversionRunTest::textIsLatin1WithQuestionMarks()
{
    // Characters beyond Latin-1 can only come from the file name; one "?" each.
    m_input = m_dir.filePath(QStringLiteral("Zürich €") + QChar(0xD83E) + QChar(0xDE82) + QStringLiteral(".txt"));
    convert("AC R\nAN Hochmoos\nAD Fl\xe4" "che S\xfc" "d\nAL GND\nAH 1000 m\nDP 47:00:00 N 009:00:00 E\n"
            "DP 47:01:00 N 009:00:00 E\nDP 47:01:00 N 009:01:00 E\nDP 47:00:00 N 009:00:00 E\n");
    const QByteArray bytes = readAll(m_dir.filePath(QStringLiteral("Zürich €\U0001FA82.kaf")));
    QVERIFY(bytes.contains("*    source file   : Z\xfcrich ??.txt\r\n"));
    QVERIFY(bytes.contains("\r\nAD Fl\xe4" "che S\xfc" "d\r\n"));
    QVERIFY(bytes.endsWith("\r\n\r\n") && !bytes.endsWith("\r\n\r\n\r\n"));
}

QTEST_GUILESS_MAIN(ConversionRunTest)
#include "tst_conversionrun.moc"
