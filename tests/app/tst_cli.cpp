#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

const QByteArray Square = "AC R\nAN Alpha\nAL 1000\nAH 2000 m\nDP 47:00:00 N 009:00:00 E\n"
                          "DP 47:01:00 N 009:00:00 E\nDP 47:01:00 N 009:01:00 E\nDP 47:00:00 N 009:00:00 E\n\n";
const QByteArray FaultyArc = "AC Q\nAN Broken\nAL GND\nAH 2000 m\nV X=47:00:00 N 009:00:00 E\n"
                             "DB 47:03:00 N 009:00:00 E, 46:56:00 N 009:00:00 E\n\n";

// An open zigzag of 100 edges; closing it adds the 101st.
QByteArray openHundred()
{
    QByteArray block = "AC R\nAN Zigzag\nAL GND\nAH 2000 m\n";
    for (int i = 0; i <= 100; ++i)
        block += QByteArray("DP 47:") + (i % 2 ? "10" : "00") + ":00 N 009:" + QByteArray::number(10 + i / 50) + ':'
                 + QByteArray::number(10 + i % 50) + " E\n";
    return block;
}

struct Outcome
{
    int exitCode = -1;
    QString out, err;
};

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(write(m_dir.filePath(QStringLiteral("alps.txt")), Square)); }

    void exitCodeAndMessagesTellTheOutcome_data();
    void exitCodeAndMessagesTellTheOutcome();
    void warningDistanceFollowsTheWindowsCommandLine_data();
    void warningDistanceFollowsTheWindowsCommandLine();
    void flagsChangeTheConversion_data();
    void flagsChangeTheConversion();
    void reportsFollowTheSystemLanguage();

private:
    static bool write(const QString &fileName, const QByteArray &bytes)
    {
        QFile file(fileName);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QByteArray output() const
    {
        QFile file(m_dir.filePath(QStringLiteral("alps.kaf")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Arguments and texts may name "<dir>", the test's folder and the working directory.
    Outcome run(QStringList arguments, const QString &locale = QStringLiteral("de_DE.UTF-8"))
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANGUAGE", "LANG", "LC_MESSAGES"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), arguments.replaceInStrings("<dir>", m_dir.path()));
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir m_dir;
};

void CliTest::exitCodeAndMessagesTellTheOutcome_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QStringList in = {"-in", "<dir>/alps.txt"};
    QTest::newRow("all written") << in << Square << 0
                                 << "Umwandlung der Datei <dir>/alps.txt\nnach <dir>/alps.kaf erfolgreich\n\n"
                                    "1/1 Lufträume umgewandelt.\n" << "";
    QTest::newRow("faulty listed, summary after an empty line")
        << in << Square + FaultyArc << 3
        << "Die folgenden Lufträume haben Fehler:\n\n  - Broken  -- segment " << "";
    QTest::newRow("faulty counted") << in << Square + FaultyArc << 3 << "diese.\n\nUmwandlung der Datei" << "";
    QTest::newRow("missing input, name made absolute") << QStringList{"-in", "none.txt"} << Square << 2 << ""
                                   << "Die Datei <dir>/none.txt konnte nicht geöffnet werden.\n";
    QTest::newRow("unwritable output") << in + QStringList{"-out", "no/x.kaf"} << Square << 2 << ""
                                       << "Die Datei <dir>/no/x.kaf konnte nicht geschrieben werden.\n";
    QTest::newRow("help lists every option") << QStringList{"-h"} << Square << 0
                                             << "Aufruf: zonvert-cli -in <name>" << "";
    QTest::newRow("help stops reading") << in + QStringList{"-help", "-bogus"} << Square << 0 << "-append" << "";
    QTest::newRow("no input") << QStringList{"-wm", "300"} << Square << 1 << ""
                              << "Keine Eingabedatei angegeben (-in).\nAufruf:";
    QTest::newRow("options are case-sensitive") << QStringList{"-IN", "alps.txt"} << Square << 1 << ""
                                                << "Unbekannte Option: -IN\n";
    QTest::newRow("value missing at the end") << in + QStringList{"-wf"} << Square << 1 << ""
                                              << "Der Option -wf fehlt ihr Wert.\n";
    QTest::newRow("not a whole number") << in + QStringList{"-wm", "12.5"} << Square << 1 << ""
                                        << "Keine ganze Zahl für -wm: 12.5\n";
}

void CliTest::exitCodeAndMessagesTellTheOutcome()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QVERIFY(write(m_dir.filePath(QStringLiteral("alps.txt")), input));
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, exitCode);
    for (const auto &[text, expected] : {std::pair{outcome.out, out}, std::pair{outcome.err, err}}) {
        const QString wanted = QString(expected).replace(QLatin1String("<dir>"), m_dir.path());
        QVERIFY2(wanted.isEmpty() ? text.isEmpty() : text.contains(wanted), qPrintable(text));
    }
    if (arguments == QStringList{"-h"})
        for (const char *option : {"-out", "-wm", "-wf", "-hf", "-close", "-append", "-h, -help"})
            QVERIFY2(outcome.out.contains(QLatin1String("  ") + QLatin1String(option)), option);
}

void CliTest::warningDistanceFollowsTheWindowsCommandLine_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("wdLine");

    QTest::newRow("default 400 m") << QStringList{} << QByteArray("WD 400\r");
    QTest::newRow("metres") << QStringList{"-wm", "1000"} << QByteArray("WD 1000\r");
    QTest::newRow("feet to whole metres") << QStringList{"-wf", "1000"} << QByteArray("WD 304\r");
    QTest::newRow("0 means not given") << QStringList{"-wm", "0"} << QByteArray("WD 400\r");
    QTest::newRow("under a metre means not given") << QStringList{"-wf", "3"} << QByteArray("WD 400\r");
    QTest::newRow("above the range") << QStringList{"-wm", "10001"} << QByteArray("WD 10000\r");
    QTest::newRow("beyond 64 bits") << QStringList{"-wf", "99999999999999999999"} << QByteArray("WD 10000\r");
    QTest::newRow("negative ends at 0") << QStringList{"-wm", "-5"} << QByteArray("WD 200\r");
    QTest::newRow("last one wins") << QStringList{"-wm", "500", "-wf", "1000"} << QByteArray("WD 304\r");
}

void CliTest::warningDistanceFollowsTheWindowsCommandLine()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, wdLine);
    QCOMPARE(run(QStringList{"-in", "alps.txt"} + options).exitCode, 0);
    QVERIFY2(output().contains("\nCO \r\n") && output().contains('\n' + wdLine + '\n'), output().constData());
}

void CliTest::flagsChangeTheConversion_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count");

    QTest::newRow("heights in metres") << QStringList{} << Square << 0 << QByteArray("\nAL 1000\r\n") << 1;
    QTest::newRow("heights in feet") << QStringList{"-hf"} << Square << 0 << QByteArray("\nAL 304\r\n") << 1;
    QTest::newRow("open outline left open") << QStringList{} << openHundred() << 0 << QByteArray("\nAN Zigzag\r\n") << 1;
    QTest::newRow("closing exceeds the limit") << QStringList{"-close"} << openHundred() << 3 << QByteArray("\nAN ") << 0;
    QTest::newRow("existing output replaced") << QStringList{} << Square << 0 << QByteArray("RISK\r\n") << 1;
    QTest::newRow("existing output appended") << QStringList{"-append"} << Square << 0 << QByteArray("RISK\r\n") << 2;
}

void CliTest::flagsChangeTheConversion()
{
    QFETCH(QStringList, flags);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, line);
    QFETCH(int, count);

    QVERIFY(write(m_dir.filePath(QStringLiteral("alps.txt")), input));
    QCOMPARE(run({"-in", "alps.txt"}).exitCode, 0); // leaves an output to replace or extend
    QCOMPARE(run(QStringList{"-in", "alps.txt"} + flags).exitCode, exitCode);
    QCOMPARE(output().count(line), count);
}

void CliTest::reportsFollowTheSystemLanguage()
{
    const char *source = "Umwandlung der Datei %1\nnach %2 erfolgreich\n\n%3/%4 Lufträume umgewandelt.";
    QTranslator english;
    if (!english.load(QStringLiteral("zonvert_en"), QStringLiteral(ZONVERT_BIN_DIR))
        || english.translate("QObject", source).isEmpty())
        QSKIP("no English translation built");
    const QString expected = english.translate("QObject", source)
                                 .arg(m_dir.filePath("alps.txt"), m_dir.filePath("alps.kaf"), "1", "1") + '\n';

    QCOMPARE(run({"-in", "alps.txt"}, QStringLiteral("en_GB.UTF-8")).out, expected);
    QCOMPARE(run({"-in", "alps.txt"}, QStringLiteral("C")).out, expected);
    QVERIFY(run({"-in", "alps.txt"}).out.startsWith(QLatin1String("Umwandlung der Datei")));
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
