#include "app/conversionrun.h"
#include "app/outputfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

namespace {

// Answers the question as told and keeps every message, in order.
class RecordingUi : public ConversionUi
{
public:
    ExistingOutput answer = ExistingOutput::Overwrite;
    QStringList calls;

    ExistingOutput askExistingOutput(const QString &fileName) override
    {
        calls << QStringLiteral("question ") + fileName;
        return answer;
    }
    void error(const QString &title, const QString &text) override { calls << "error " + title + ": " + text; }
    void warning(const QString &title, const QString &text) override { calls << "warning " + title + ": " + text; }
    void information(const QString &title, const QString &text) override
    {
        calls << "information " + title + ": " + text;
    }
};

const QDate Day(2013, 3, 5);

QString dms(double value, int degreeDigits, char positive, char negative)
{
    const qint64 seconds = qRound64(qAbs(value) * 3600);
    return QStringLiteral("%1:%2:%3 %4")
        .arg(seconds / 3600, degreeDigits, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(QLatin1Char(value >= 0 ? positive : negative));
}

// An airspace of `segments` straight edges on a 20 km circle; an open one stops one
// step short of its first point.
QByteArray polygon(const QByteArray &name, int segments, bool closed = true)
{
    QByteArray block = "AC R\nAN " + name + "\nAL GND\nAH 1000 m\n";
    const int steps = closed ? segments : segments + 1;
    for (int i = 0; i <= segments; ++i) {
        const double angle = 2 * M_PI * (i % steps) / steps;
        const double lat = 47 + 20.0 / 111.2 * qCos(angle);
        const double lon = 9 + 20.0 / 75.8 * qSin(angle);
        block += "DP " + (dms(lat, 2, 'N', 'S') + ' ' + dms(lon, 3, 'E', 'W')).toLatin1() + '\n';
    }
    return block + '\n';
}

// Two radii that differ by a whole nautical mile.
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

bool writeAll(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray banner(const QString &input)
{
    return OutputFile::bannerText(input, Day).toLatin1();
}

QList<QByteArray> linesStartingWith(const QByteArray &bytes, const QByteArray &prefix)
{
    QList<QByteArray> found;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith(prefix))
            found << line.chopped(1);
    return found;
}

// The step-by-step rule as written: count every name against the current names.
QStringList renamedOneByOne(QStringList names)
{
    QStringList distinct;
    for (const QString &name : names)
        if (!distinct.contains(name))
            distinct << name;
    for (const QString &name : distinct) {
        if (names.count(name) < 2)
            continue;
        int counter = 1;
        for (qsizetype i = names.size() - 1; i >= 0; --i)
            if (names[i] == name)
                names[i] = name.left(13) + '_' + QStringLiteral("%1").arg(counter++, 2, 10, QLatin1Char('0'));
    }
    return names;
}

QStringList messages;
void keepMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    messages << text;
}

} // namespace

Q_DECLARE_METATYPE(ConversionUi::ExistingOutput)

class ConversionRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_input = m_dir.filePath(QStringLiteral("alps.txt"));
        m_output = m_dir.filePath(QStringLiteral("alps.kaf"));
        QFile::remove(m_output);
        m_ui = RecordingUi();
    }

    void duplicateNamesGetCountersFromTheLast_data();
    void duplicateNamesGetCountersFromTheLast();
    void renamingMatchesTheOneByOneRule_data();
    void renamingMatchesTheOneByOneRule();
    void deviceNamesInFileAreUnique_data();
    void deviceNamesInFileAreUnique();
    void existingOutputIsAppendedReplacedOrKept_data();
    void existingOutputIsAppendedReplacedOrKept();
    void segmentLimitCountsTheClosingLine_data();
    void segmentLimitCountsTheClosingLine();
    void warningDistanceIsWrittenInWholeMetres_data();
    void warningDistanceIsWrittenInWholeMetres();
    void faultyAirspacesAreListedNotWritten();
    void inputWithoutAirspacesGivesBannerOnly();
    void outlinelessAirspaceIsDroppedWithDiagnostic();
    void inputErrorsStopBeforeWriting_data();
    void inputErrorsStopBeforeWriting();
    void writeFailureIsReportedInsteadOfSummary_data();
    void writeFailureIsReportedInsteadOfSummary();
    void textIsLatin1WithQuestionMarks();

private:
    ConversionResult convert(const QByteArray &openAir, ConversionOptions options = {})
    {
        if (!openAir.isNull() && !writeAll(m_input, openAir))
            qWarning("cannot write the input");
        if (options.inputFileName.isEmpty())
            options.inputFileName = m_input;
        options.date = Day;
        return ConversionRun(m_ui).run(options);
    }

    QTemporaryDir m_dir;
    QString m_input;
    QString m_output;
    RecordingUi m_ui;
};

void ConversionRunTest::duplicateNamesGetCountersFromTheLast_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("16 characters cut to 13")
        << QStringList{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"}
        << QStringList{"ABCDEFGHIJKLM_03", "ABCDEFGHIJKLM_02", "ABCDEFGHIJKLM_01"};
    QTest::newRow("single name unchanged") << QStringList{"TMA", "CTR", "TMA"} << QStringList{"TMA_02", "CTR", "TMA_01"};
    QTest::newRow("empty names") << QStringList{"", ""} << QStringList{"_02", "_01"};
    QTest::newRow("case matters") << QStringList{"tma", "TMA"} << QStringList{"tma", "TMA"};
    QTest::newRow("placeholder kept") << QStringList{"%1", "%1"} << QStringList{"%1_02", "%1_01"};
    QTest::newRow("new name counted later") << QStringList{"A", "A", "A_01"} << QStringList{"A_02", "A_01_02", "A_01_01"};
    QTest::newRow("earlier name not counted again") << QStringList{"A_01", "A", "A"} << QStringList{"A_01", "A_02", "A_01"};
    QStringList ten(10, QStringLiteral("TMA")), tenRenamed;
    for (int i = 10; i >= 1; --i)
        tenRenamed << QStringLiteral("TMA_%1").arg(i, 2, 10, QLatin1Char('0'));
    QTest::newRow("two digits") << ten << tenRenamed;
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
    // Few base names and names that renaming itself produces, so chains happen.
    const QStringList pool = {"A", "A_01", "A_02", "A_01_01", "B", "ABCDEFGHIJKLM_01", "ABCDEFGHIJKLMN",
                              "ABCDEFGHIJKLMO", ""};
    QRandomGenerator random(20130305);
    for (int row = 0; row < 40; ++row) {
        QStringList names;
        const int count = 2 + random.bounded(30);
        for (int i = 0; i < count; ++i)
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

void ConversionRunTest::deviceNamesInFileAreUnique_data()
{
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QByteArrayList>("anLines");

    QTest::newRow("long names") << QByteArrayList(3, "ABCDEFGHIJKLMNOPQR")
                                << QByteArrayList{"AN ABCDEFGHIJKLM_03", "AN ABCDEFGHIJKLM_02", "AN ABCDEFGHIJKLM_01"};
    QTest::newRow("TMA TMA CTR") << QByteArrayList{"TMA", "TMA", "CTR"}
                                 << QByteArrayList{"AN TMA_02", "AN TMA_01", "AN CTR"};
    QTest::newRow("nameless") << QByteArrayList{"", ""} << QByteArrayList{"AN _02", "AN _01"};
}

void ConversionRunTest::deviceNamesInFileAreUnique()
{
    QFETCH(QByteArrayList, names);
    QFETCH(QByteArrayList, anLines);
    QByteArray input;
    for (const QByteArray &name : names)
        input += polygon(name, 4);

    const ConversionResult result = convert(input);
    QCOMPARE(result.writtenCount, names.size());
    QCOMPARE(linesStartingWith(readAll(m_output), "AN"), anLines);
}

void ConversionRunTest::existingOutputIsAppendedReplacedOrKept_data()
{
    QTest::addColumn<ConversionUi::ExistingOutput>("answer");
    QTest::addColumn<bool>("keepsOld");
    QTest::addColumn<bool>("writesNew");

    QTest::newRow("append") << ConversionUi::ExistingOutput::Append << true << true;
    QTest::newRow("overwrite") << ConversionUi::ExistingOutput::Overwrite << false << true;
    QTest::newRow("abort") << ConversionUi::ExistingOutput::Abort << true << false;
}

void ConversionRunTest::existingOutputIsAppendedReplacedOrKept()
{
    QFETCH(ConversionUi::ExistingOutput, answer);
    QFETCH(bool, keepsOld);
    QFETCH(bool, writesNew);

    const QByteArray old = "earlier run\r\n\r\n";
    QVERIFY(writeAll(m_output, old));
    m_ui.answer = answer;
    convert(polygon("Alpha", 4));

    const QByteArray bytes = readAll(m_output);
    QCOMPARE(m_ui.calls.value(0), "question " + m_output);
    QCOMPARE(bytes.startsWith(old), keepsOld);
    QCOMPARE(bytes.count(banner(m_input)), writesNew ? 1 : 0);
    QCOMPARE(bytes.contains(old + banner(m_input) + "AC R\r\n"), keepsOld && writesNew);
    QCOMPARE(bytes.startsWith(banner(m_input) + "AC R\r\n"), !keepsOld);
    QCOMPARE(m_ui.calls.size(), writesNew ? 2 : 1); // the summary follows every finished run
}

void ConversionRunTest::segmentLimitCountsTheClosingLine_data()
{
    QTest::addColumn<int>("segments");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("closeOutlines");
    QTest::addColumn<QString>("overLimit");

    QTest::newRow("100 written") << 100 << true << false << "";
    QTest::newRow("101 refused") << 101 << true << false << "  - Big hat 101 Segmente";
    QTest::newRow("open 100 written") << 100 << false << false << "";
    QTest::newRow("closing makes 101") << 100 << false << true << "  - Big hat 101 Segmente";
    QTest::newRow("closed 100 not closed again") << 100 << true << true << "";
}

void ConversionRunTest::segmentLimitCountsTheClosingLine()
{
    QFETCH(int, segments);
    QFETCH(bool, closed);
    QFETCH(bool, closeOutlines);
    QFETCH(QString, overLimit);

    ConversionOptions options;
    options.closeOutlines = closeOutlines;
    const ConversionResult result = convert(polygon("Big", segments, closed) + polygon("Small", 4), options);

    QCOMPARE(result.keptCount, 2);
    QCOMPARE(result.overLimitLines, overLimit.isEmpty() ? QStringList() : QStringList{overLimit});
    QCOMPARE(linesStartingWith(readAll(m_output), "AN").size(), result.writtenCount);
    QCOMPARE(result.writtenCount, overLimit.isEmpty() ? 2 : 1);
    if (!overLimit.isEmpty())
        QCOMPARE(m_ui.calls.value(0), "warning FEHLER: Die folgenden Lufträume haben zu viele Eckpunkte:\n\n"
                                          + overLimit + "\nbitte bereinigen Sie diese.\n");
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

void ConversionRunTest::faultyAirspacesAreListedNotWritten()
{
    const ConversionResult result = convert(faultyArc("Eins") + faultyArc("Zwei"));

    QCOMPARE(result.outcome, ConversionResult::Outcome::Finished);
    QCOMPARE(readAll(m_output), banner(m_input));
    QCOMPARE(result.faultyLines.size(), 2);
    QVERIFY(result.faultyLines.at(1).startsWith(QLatin1String("  - Zwei  -- segment ")));
    QCOMPARE(m_ui.calls.size(), 2);
    QCOMPARE(m_ui.calls.at(0), "warning FEHLER: Die folgenden Lufträume haben Fehler:\n\n" + result.faultyLines.at(0)
                                   + '\n' + result.faultyLines.at(1) + "\nbitte bereinigen Sie diese.\n");
    QVERIFY(m_ui.calls.at(1).endsWith(QStringLiteral("\n\n0/2 Lufträume umgewandelt.")));
}

void ConversionRunTest::inputWithoutAirspacesGivesBannerOnly()
{
    // A "%2" in a file name must not be taken for a placeholder of the summary.
    m_input = m_dir.filePath(QStringLiteral("no %2 airspace.txt"));
    m_output = m_dir.filePath(QStringLiteral("out.kaf"));
    ConversionOptions options;
    options.outputText = m_output;
    const ConversionResult result = convert("* nothing but a comment\n", options);

    QCOMPARE(readAll(m_output), banner(m_input));
    QCOMPARE(result.outputTextFilled, false);
    QCOMPARE(m_ui.calls, QStringList{"information Umwandlung abgeschlossen: Umwandlung der Datei " + m_input
                                     + "\nnach " + m_output + " erfolgreich\n\n0/0 Lufträume umgewandelt."});
}

void ConversionRunTest::outlinelessAirspaceIsDroppedWithDiagnostic()
{
    QLoggingCategory::setFilterRules(QStringLiteral("zonvert.conversion.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    const ConversionResult result = convert("AC R\nAN Leer\nAL GND\nAH 100 m\nDP 47:00:00 N 009:00:00 E\n\n" + polygon("Alpha", 4));
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    QVERIFY2(messages.contains(QStringLiteral("ERROR :: \"Leer\"")), qPrintable(messages.join('\n')));
    QCOMPARE(result.keptCount, 1);
    QCOMPARE(result.writtenCount, 1);
    QCOMPARE(linesStartingWith(readAll(m_output), "AN"), QByteArrayList{"AN Alpha"});
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
    QCOMPARE(result.outputTextFilled, true);
    QCOMPARE(m_ui.calls, QStringList{"error FEHLER: Die Datei " + options.inputFileName
                                     + " konnte nicht geöffnet werden."});
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
    QVERIFY(!m_ui.calls.join('\n').contains(QLatin1String("information")));
}

void ConversionRunTest::textIsLatin1WithQuestionMarks()
{
    // Characters beyond Latin-1 can only come from the file name; one "?" each.
    m_input = m_dir.filePath(QStringLiteral("Zürich €") + QChar(0xD83E) + QChar(0xDE82) + QStringLiteral(".txt"));
    convert("AC R\nAN Hochmoos\nAD Fl\xe4" "che S\xfc" "d\nAL GND\nAH 1000 m\nDP 47:00:00 N 009:00:00 E\n"
            "DP 47:01:00 N 009:00:00 E\nDP 47:01:00 N 009:01:00 E\nDP 47:00:00 N 009:00:00 E\n");
    m_output = m_dir.filePath(QStringLiteral("Zürich €") + QChar(0xD83E) + QChar(0xDE82) + QStringLiteral(".kaf"));

    const QByteArray bytes = readAll(m_output);
    QVERIFY(bytes.contains("*    source file   : Z\xfcrich ??.txt\r\n"));
    QVERIFY(bytes.contains("\r\nAD Fl\xe4" "che S\xfc" "d\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QVERIFY(bytes.endsWith("\r\n\r\n") && !bytes.endsWith("\r\n\r\n\r\n"));
}

QTEST_GUILESS_MAIN(ConversionRunTest)
#include "tst_conversionrun.moc"
