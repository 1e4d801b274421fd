#include "app/commandline.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void optionsAreReadInPairs_data();
    void optionsAreReadInPairs();
    void settingsStayBesideAPortableProgram_data();
    void settingsStayBesideAPortableProgram();
};

void TestCommandLine::optionsAreReadInPairs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("input");   // relative to /work/dir, "" = not given
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("distance");

    using A = CommandLine::Action;
    const int most = std::numeric_limits<int>::max();
    const int least = std::numeric_limits<int>::min();
    QTest::newRow("nothing") << QStringList{} << A::Run << "" << "" << 0;
    QTest::newRow("both files") << QStringList{"-in", "a.txt", "-out", "/abs/b.kaf"} << A::Run
                                << "/work/dir/a.txt" << "/abs/b.kaf" << 0;
    QTest::newRow("parent folder") << QStringList{"-in", "../up/x.txt"} << A::Run
                                   << "/work/up/x.txt" << "" << 0;
    QTest::newRow("metres") << QStringList{"-wm", "250"} << A::Run << "" << "" << 250;
    QTest::newRow("feet truncated") << QStringList{"-wf", "1000"} << A::Run << "" << "" << 304;
    QTest::newRow("negative feet") << QStringList{"-wf", "-1000"} << A::Run << "" << "" << -304;
    QTest::newRow("one foot is no distance") << QStringList{"-wf", "3"} << A::Run << "" << "" << 0;
    QTest::newRow("later wins") << QStringList{"-wm", "5", "-wf", "100"} << A::Run << "" << "" << 30;
    QTest::newRow("huge metres saturate") << QStringList{"-wm", "99999999999"} << A::Run << "" << "" << most;
    QTest::newRow("huge negative saturates") << QStringList{"-wm", "-99999999999"} << A::Run << "" << "" << least;
    QTest::newRow("huge feet saturate") << QStringList{"-wf", "99999999999999999999999"} << A::Run << "" << "" << most;
    QTest::newRow("value after -in is a name") << QStringList{"-in", "-h"} << A::Run
                                               << "/work/dir/-h" << "" << 0;
    QTest::newRow("help") << QStringList{"-h"} << A::Help << "" << "" << 0;
    QTest::newRow("help after files") << QStringList{"-in", "a", "-out", "b", "-help"} << A::Help
                                      << "" << "" << 0;
    QTest::newRow("help stops reading") << QStringList{"-help", "x", "-wm", "abc"} << A::Help
                                        << "" << "" << 0;
    QTest::newRow("upper case option") << QStringList{"-IN", "a.txt"} << A::Invalid << "" << "" << 0;
    QTest::newRow("bare file name") << QStringList{"alps.txt"} << A::Invalid << "" << "" << 0;
    QTest::newRow("word as number") << QStringList{"-wm", "abc"} << A::Invalid << "" << "" << 0;
    QTest::newRow("fraction") << QStringList{"-wf", "12.5"} << A::Invalid << "" << "" << 0;
    QTest::newRow("bad number before help") << QStringList{"-wm", "x", "-h"} << A::Invalid << "" << "" << 0;
    QTest::newRow("option without value") << QStringList{"-in", "a", "-out"} << A::Invalid
                                          << "" << "" << 0;
    QTest::newRow("distance without value") << QStringList{"-wm"} << A::Invalid << "" << "" << 0;
}

void TestCommandLine::optionsAreReadInPairs()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(int, distance);

    arguments.prepend(QStringLiteral("zonvert"));
    const CommandLine line = parseCommandLine(arguments, QDir(QStringLiteral("/work/dir")));
    QCOMPARE(line.action, action);
    QCOMPARE(line.exitCode(), action == CommandLine::Action::Invalid ? 1 : 0);
    if (action != CommandLine::Action::Run)
        return;
    QCOMPARE(line.inputFileName, input);
    QCOMPARE(line.outputFileName, output);
    QCOMPARE(line.warningDistance, distance);
}

void TestCommandLine::settingsStayBesideAPortableProgram_data()
{
    QTest::addColumn<QString>("programFolder");  // below a temporary folder
    QTest::addColumn<bool>("iniThere");
    QTest::addColumn<bool>("besideProgram");

    QTest::newRow("writable folder") << "bin" << false << true;
    QTest::newRow("existing settings") << "bin" << true << true;
    QTest::newRow("folder missing") << "gone/bin" << false << false;
}

void TestCommandLine::settingsStayBesideAPortableProgram()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, iniThere);
    QFETCH(bool, besideProgram);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir(root.path()).mkdir(QStringLiteral("bin"));
    const QString program = root.filePath(programFolder);
    if (iniThere) {
        QFile ini(program + QStringLiteral("/zonvert.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
    }
    const QString user = root.filePath(QStringLiteral("config"));
    const QString chosen = settingsFileFor(program, user);
    QCOMPARE(chosen, (besideProgram ? program : user) + QStringLiteral("/zonvert.ini"));
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
