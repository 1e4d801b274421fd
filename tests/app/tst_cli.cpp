#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

const QByteArray Square = "AC R\nAN Alpha\nAL 1000\nAH 2000 m\nDP 47:00:00 N 009:00:00 E\n"
                          "DP 47:01:00 N 009:00:00 E\nDP 47:01:00 N 009:01:00 E\nDP 47:00:00 N 009:00:00 E\n\n";
const QByteArray FaultyArc = "AC Q\nAN Broken\nAL GND\nAH 2000 m\nV X=47:00:00 N 009:00:00 E\n"
                             "DB 47:03:00 N 009:00:00 E, 46:56:00 N 009:00:00 E\n\n";

// An open outline of 100 edges in a zigzag; closing it adds the 101st.
QByteArray openHundred()
{
    QByteArray block = "AC R\nAN Zigzag\nAL GND\nAH 2000 m\n";
    for (int i = 0; i <= 100; ++i)
        block += QStringLiteral("DP 47:%1:00 N 009:%2:%3 E\n")
                     .arg(i % 2 ? 10 : 0, 2, 10, QLatin1Char('0'))
                     .arg(i / 60, 2, 10, QLatin1Char('0'))
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1();
    return block;
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

QByteArrayList linesStartingWith(const QByteArray &bytes, const QByteArray &prefix)
{
    QByteArrayList found;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith(prefix))
            found << line.chopped(1);
    return found;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_input = m_dir.filePath(QStringLiteral("alps.txt"));
        m_output = m_dir.filePath(QStringLiteral("alps.kaf"));
        QFile::remove(m_output);
        QVERIFY(writeAll(m_input, Square));
    }

    void exitCodeAndMessageTellTheOutcome_data();
    void exitCodeAndMessageTellTheOutcome();
    void warningDistanceFollowsTheWindowsCommandLine_data();
    void warningDistanceFollowsTheWindowsCommandLine();
    void flagsChangeTheConversion_data();
    void flagsChangeTheConversion();
    void relativeNamesAreResolvedAgainstWorkingDirectory();
    void reportsFollowTheSystemLanguage();

private:
    Outcome run(const QStringList &arguments, const QString &locale = QStringLiteral("de_DE.UTF-8"))
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANGUAGE", "LANG", "LC_MESSAGES"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), arguments);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir m_dir;
    QString m_input;
    QString m_output;
};

// "<in>" and "<dir>" stand for the input file and the test's directory.
void CliTest::exitCodeAndMessageTellTheOutcome_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString summary = "Umwandlung der Datei <in>\nnach <dir>/alps.kaf erfolgreich\n\n%1 Lufträume umgewandelt.\n";
    QTest::newRow("all written") << QStringList{"-in", "<in>"} << Square << 0 << summary.arg("1/1") << "";
    QTest::newRow("faulty not written")
        << QStringList{"-in", "<in>"} << Square + FaultyArc << 3
        << "Die folgenden Lufträume haben Fehler:\n\n  - Broken  -- segment " << "";
    QTest::newRow("faulty counted in summary") << QStringList{"-in", "<in>"} << Square + FaultyArc << 3
                                               << "\n\nUmwandlung der Datei <in>" << "";
    QTest::newRow("missing input") << QStringList{"-in", "<dir>/none.txt"} << Square << 2 << ""
                                   << "Die Datei <dir>/none.txt konnte nicht geöffnet werden.\n";
    QTest::newRow("unwritable output") << QStringList{"-in", "<in>", "-out", "<dir>/no/x.kaf"} << Square << 2 << ""
                                       << "Die Datei <dir>/no/x.kaf konnte nicht geschrieben werden.\n";
    QTest::newRow("help") << QStringList{"-h"} << Square << 0 << "Aufruf: zonvert-cli -in <name>" << "";
    QTest::newRow("long help after input") << QStringList{"-in", "<in>", "-help"} << Square << 0 << "-append" << "";
    QTest::newRow("no input") << QStringList{"-wm", "300"} << Square << 1 << ""
                              << "Keine Eingabedatei angegeben (-in).\nAufruf:";
    QTest::newRow("options are case-sensitive") << QStringList{"-IN", "<in>"} << Square << 1 << ""
                                                << "Unbekannte Option: -IN\n";
    QTest::newRow("value missing at the end") << QStringList{"-in", "<in>", "-wf"} << Square << 1 << ""
                                              << "Der Option -wf fehlt ihr Wert.\n";
    QTest::newRow("not a whole number") << QStringList{"-in", "<in>", "-wm", "12.5"} << Square << 1 << ""
                                        << "Keine ganze Zahl für -wm: 12.5\n";
}

void CliTest::exitCodeAndMessageTellTheOutcome()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QVERIFY(writeAll(m_input, input));
    arguments.replaceInStrings(QStringLiteral("<in>"), m_input).replaceInStrings(QStringLiteral("<dir>"), m_dir.path());
    out.replace(QLatin1String("<in>"), m_input).replace(QLatin1String("<dir>"), m_dir.path());
    err.replace(QLatin1String("<in>"), m_input).replace(QLatin1String("<dir>"), m_dir.path());

    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, exitCode);
    QVERIFY2(outcome.out.contains(out) && (!out.isEmpty() || outcome.out.isEmpty()), qPrintable(outcome.out));
    QVERIFY2(outcome.err.contains(err) && (!err.isEmpty() || outcome.err.isEmpty()), qPrintable(outcome.err));
}

void CliTest::warningDistanceFollowsTheWindowsCommandLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("wdLine");

    QTest::newRow("default 400 m") << QStringList{} << QByteArray("WD 400");
    QTest::newRow("metres") << QStringList{"-wm", "1000"} << QByteArray("WD 1000");
    QTest::newRow("feet to whole metres") << QStringList{"-wf", "1000"} << QByteArray("WD 304");
    QTest::newRow("0 means not given") << QStringList{"-wm", "0"} << QByteArray("WD 400");
    QTest::newRow("under a metre means not given") << QStringList{"-wf", "3"} << QByteArray("WD 400");
    QTest::newRow("above the range") << QStringList{"-wm", "10001"} << QByteArray("WD 10000");
    QTest::newRow("beyond 32 bits") << QStringList{"-wf", "99999999999999999999"} << QByteArray("WD 10000");
    QTest::newRow("negative ends at 0") << QStringList{"-wm", "-5"} << QByteArray("WD 200");
    QTest::newRow("last one wins") << QStringList{"-wm", "500", "-wf", "1000"} << QByteArray("WD 304");
}

void CliTest::warningDistanceFollowsTheWindowsCommandLine()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, wdLine);
    QCOMPARE(run(QStringList{"-in", m_input} + options).exitCode, 0);
    QCOMPARE(linesStartingWith(readAll(m_output), "WD"), QByteArrayList{wdLine});
}

void CliTest::flagsChangeTheConversion_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expectedLine");
    QTest::addColumn<int>("banners");

    QTest::newRow("heights in metres") << QStringList{} << Square << 0 << QByteArray("AL 1000") << 1;
    QTest::newRow("heights in feet") << QStringList{"-hf"} << Square << 0 << QByteArray("AL 304") << 1;
    QTest::newRow("open outline left open") << QStringList{} << openHundred() << 0 << QByteArray("AN Zigzag") << 1;
    QTest::newRow("closing exceeds the limit") << QStringList{"-close"} << openHundred() << 3 << QByteArray() << 1;
    QTest::newRow("existing output replaced") << QStringList{} << Square << 0 << QByteArray("AN Alpha") << 1;
    QTest::newRow("existing output appended") << QStringList{"-append"} << Square << 0 << QByteArray("AN Alpha") << 2;
}

void CliTest::flagsChangeTheConversion()
{
    QFETCH(QStringList, flags);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expectedLine);
    QFETCH(int, banners);

    QVERIFY(writeAll(m_input, input));
    QCOMPARE(run({"-in", m_input}).exitCode, 0); // a first run leaves an output to replace or extend
    QCOMPARE(run(QStringList{"-in", m_input} + flags).exitCode, exitCode);

    const QByteArray bytes = readAll(m_output);
    QCOMPARE(bytes.count("* USE AT YOUR OWN RISK"), banners);
    QCOMPARE(linesStartingWith(bytes, expectedLine.isEmpty() ? "AN" : expectedLine).size(),
             expectedLine.isEmpty() ? 0 : banners);
}

void CliTest::relativeNamesAreResolvedAgainstWorkingDirectory()
{
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("out")));
    const Outcome outcome = run({"-in", "alps.txt", "-out", "out"});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(outcome.out.startsWith("Umwandlung der Datei " + m_input + "\nnach " + m_dir.filePath("out/alps.kaf")),
             qPrintable(outcome.out));
    QVERIFY(readAll(m_dir.filePath("out/alps.kaf")).startsWith(QByteArray(80, '*') + "\r\n*\r\n"));
}

void CliTest::reportsFollowTheSystemLanguage()
{
    QTranslator english;
    const QString source = QStringLiteral("Umwandlung der Datei %1\nnach %2 erfolgreich\n\n%3/%4 Lufträume umgewandelt.");
    if (!english.load(QStringLiteral("zonvert_en"), QStringLiteral(ZONVERT_BIN_DIR))
        || english.translate("QObject", source.toUtf8().constData()).isEmpty())
        QSKIP("no English translation built");
    const QString expected = english.translate("QObject", source.toUtf8().constData())
                                 .arg(m_input, m_output, QStringLiteral("1"), QStringLiteral("1"));

    QCOMPARE(run({"-in", m_input}, QStringLiteral("en_GB.UTF-8")).out, expected + '\n');
    QVERIFY(run({"-in", m_input}, QStringLiteral("C")).out.startsWith(expected.left(10)));
    QVERIFY(run({"-in", m_input}).out.startsWith(QLatin1String("Umwandlung der Datei")));
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
