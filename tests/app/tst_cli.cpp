#include <QtTest>

class CliTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Exit code, standard output and standard error of zonvert-cli run in the test's folder.
    QStringList run(const QStringList &arguments, const QString &locale = "de_DE.UTF-8")
    {
        QProcess process;
        process.setEnvironment({"LC_ALL=" + locale});
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), arguments);
        process.waitForFinished(60000);
        return {QString::number(process.exitCode()), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        const QByteArray square = "AC R\nAN Alpha\nAL 1000\nAH 2000 m\nDP 47:00:00 N 009:00:00 E\n"
                                  "DP 47:01:00 N 009:00:00 E\nDP 47:01:00 N 009:01:00 E\nDP 47:00:00 N 009:00:00 E\n\n";
        const QByteArray faulty = "AC Q\nAN Broken\nAL GND\nAH 2000 m\nV X=47:00:00 N 009:00:00 E\n"
                                  "DB 47:03:00 N 009:00:00 E, 46:56:00 N 009:00:00 E\n\n";
        for (const auto &[name, bytes] : {std::pair{"alps.txt", square}, std::pair{"faulty.txt", square + faulty},
                                          std::pair{"empty.txt", QByteArray("* nothing here\n")}}) {
            QFile file(m_dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QVERIFY(QFile::link(m_dir.filePath("alps.kaf"), m_dir.filePath("link.kaf")));
    }

    // Each run follows one without options, so there is an output to replace or extend.
    void exitCodeMessagesAndOutputTellTheOutcome_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // exit code, start of standard output and of standard error
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("count"); // of the line in the output
        const QStringList in{"-in", "alps.txt"};
        const QStringList done{"0", "Umwandlung der Datei", ""};
        QTest::newRow("all written")
            << in << QStringList{"0", "Umwandlung der Datei <dir>/alps.txt\nnach <dir>/alps.kaf erfolgreich\n\n"
                                      "1/1 Lufträume umgewandelt.\n", ""} << QByteArray("RISK\r\n") << 1;
        QTest::newRow("some refused") << QStringList{"-in", "faulty.txt", "-out", "alps.kaf"}
                                      << QStringList{"3", "Die folgenden Lufträume haben Fehler:\n\n  - Broken  ", ""}
                                      << QByteArray("\nAN Alpha\r\n") << 1;
        QTest::newRow("file error") << QStringList{"-in", "none.txt"}
                                    << QStringList{"2", "", "Die Datei <dir>/none.txt konnte nicht geöffnet werden.\n"}
                                    << QByteArray("RISK\r\n") << 1;
        QTest::newRow("usage error") << QStringList{"-wm", "300"}
                                     << QStringList{"1", "", "Keine Eingabedatei angegeben (-in).\nAufruf: zonvert-cli"}
                                     << QByteArray("RISK\r\n") << 1;
        QTest::newRow("appended") << in + QStringList{"-append"} << done << QByteArray("RISK\r\n") << 2;
        QTest::newRow("feet to metres") << in + QStringList{"-wf", "1000"} << done << QByteArray("WD 304\r\n") << 1;
        QTest::newRow("10000 m is the most") << in + QStringList{"-wm", "10000"} << done << QByteArray("WD 10000\r\n") << 1;
        QTest::newRow("32811 ft are 10000 m") << in + QStringList{"-wf", "32811"} << done << QByteArray("WD 10000\r\n") << 1;
        // A distance out of range used to be clamped or to wrap silently.
        const QStringList wrong{"1", "", "-wm braucht eine ganze Zahl von 0 bis 10000 (Meter), nicht: "};
        QTest::newRow("above 10000 m") << in + QStringList{"-wm", "10001"} << wrong << QByteArray("WD 400\r\n") << 1;
        QTest::newRow("negative") << in + QStringList{"-wm", "-5"} << wrong << QByteArray("WD 400\r\n") << 1;
        QTest::newRow("not whole") << in + QStringList{"-wm", "12.5"} << wrong << QByteArray("WD 400\r\n") << 1;
        QTest::newRow("beyond 64 bits") << in + QStringList{"-wm", "99999999999999999999"} << wrong
                                        << QByteArray("WD 400\r\n") << 1;
        QTest::newRow("feet above 10000 m")
            << in + QStringList{"-wf", "32812"}
            << QStringList{"1", "", "-wf braucht eine ganze Zahl von 0 bis 32811 (Fuss), nicht: 32812"}
            << QByteArray("WD 400\r\n") << 1;
        // A file without any airspace used to pass for a successful run.
        QTest::newRow("no airspace") << QStringList{"-in", "empty.txt", "-out", "alps.kaf"}
                                     << QStringList{"3", "Umwandlung der Datei", "Keine Lufträume gefunden in <dir>/empty.txt\n"}
                                     << QByteArray("AN ") << 0;
        // The output must never replace or extend the input.
        const QStringList itself{"2", "", "Die Datei <dir>/alps.kaf ist die Eingabedatei und wird nicht überschrieben.\n"};
        QTest::newRow("input is the completed output") << QStringList{"-in", "alps.kaf"} << itself
                                                       << QByteArray("RISK\r\n") << 1;
        QTest::newRow("appending to the input") << QStringList{"-in", "alps.kaf", "-out", "alps.kaf", "-append"}
                                                << itself << QByteArray("RISK\r\n") << 1;
        QTest::newRow("unreadable filter value")
            << in + QStringList{"-near", "46,7"}
            << QStringList{"1", "", "Der Wert von -near ist nicht lesbar."} << QByteArray("RISK\r\n") << 1;
        QTest::newRow("preview of an unknown kind") << in + QStringList{"-preview", "map.bmp"}
                                                    << QStringList{"1", "", "-preview braucht einen Dateinamen"}
                                                    << QByteArray("RISK\r\n") << 1;
        QTest::newRow("two files in one") << QStringList{"-in", "alps.txt", "-in", "faulty.txt", "-out", "alps.kaf"}
                                          << QStringList{"3", "Die folgenden Lufträume haben Fehler:\n\n  - faulty.txt: Broken", ""}
                                          << QByteArray("*    source file   : ") << 2;
        QTest::newRow("everything left out by the filter")
            << in + QStringList{"-skip", "r"} << QStringList{"0", "Umwandlung der Datei", ""} << QByteArray("AN ") << 0;
        QTest::newRow("output links to the input")
            << QStringList{"-in", "alps.kaf", "-out", "link.kaf"}
            << QStringList{"2", "", "Die Datei <dir>/link.kaf ist die Eingabedatei und wird nicht überschrieben.\n"}
            << QByteArray("RISK\r\n") << 1;
    }
    void exitCodeMessagesAndOutputTellTheOutcome()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QFETCH(QByteArray, line);
        QFETCH(int, count);
        QCOMPARE(run({"-in", "alps.txt"}).value(0), QStringLiteral("0"));
        const QStringList outcome = run(arguments);
        QCOMPARE(outcome.value(0), expected.at(0));
        for (int stream : {1, 2}) {
            const QString wanted = QString(expected.at(stream)).replace(QLatin1String("<dir>"), m_dir.path());
            QVERIFY2(wanted.isEmpty() ? outcome.value(stream).isEmpty() : outcome.value(stream).startsWith(wanted),
                     qPrintable(outcome.value(stream)));
        }
        QFile output(m_dir.filePath(QStringLiteral("alps.kaf")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        QCOMPARE(output.readAll().count(line), count);
    }

    // The kaf text goes to standard output, every report to standard error.
    void dashWritesToStandardOutput()
    {
        const QStringList outcome = run({"-in", "faulty.txt", "-out", "-"});
        QCOMPARE(outcome.value(0), QStringLiteral("3"));
        QVERIFY2(outcome.value(1).startsWith(QString(80, '*') + "\r\n") && outcome.value(1).endsWith("\r\n\r\n")
                     && outcome.value(1).count("\nAN ") == 1,
                 qPrintable(outcome.value(1)));
        QVERIFY2(outcome.value(2).startsWith("Die folgenden Lufträume haben Fehler:") && outcome.value(2).contains("1/2 "),
                 qPrintable(outcome.value(2)));
        QVERIFY(!QFile::exists(m_dir.filePath("-")) && !QFile::exists(m_dir.filePath("-.kaf")));
    }

    // The picture of what was written, drawn without a screen.
    void previewIsDrawnWithoutScreen_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("PNG") << "map.png" << QByteArray("\x89PNG");
        QTest::newRow("SVG, suffix in capitals") << "map.SVG" << QByteArray("<?xml");
    }
    void previewIsDrawnWithoutScreen()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, start);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), {"-in", "faulty.txt", "-out", "map.kaf", "-preview", file});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 3);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QFile picture(m_dir.filePath(file));
        QVERIFY(picture.open(QIODevice::ReadOnly));
        QVERIFY(picture.readAll().startsWith(start));
    }

    void reportsFollowTheSystemLanguage()
    {
        if (!QFile::exists(QStringLiteral(ZONVERT_BIN_DIR "/zonvert_en.qm")))
            QSKIP("no English translation built");
        for (const char *locale : {"en_GB.UTF-8", "C"})
            QCOMPARE(run({"-in", "alps.txt"}, QLatin1String(locale)).value(1),
                     "Conversion of the file " + m_dir.filePath("alps.txt") + "\nto " + m_dir.filePath("alps.kaf")
                         + " succeeded\n\n1/1 airspaces converted.\n\n1 heights without a unit were read in metres.\n");
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
