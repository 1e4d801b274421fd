// zonvert-cli against hostile inputs and broken output places: each run ends in bounded time with
// a clear message, and leaves either a whole kaf file or the output that stood before it, whole.

#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Input faults come before output faults.
enum Setup {
    Plain, FolderInput, MissingInput, FailingInput, HugeInput, EndlessInput, MemoryLimit,
    MissingFolder, ReadOnlyFolder, FullDevice, SizeLimit, OutputIsInput, OutputLinksToInput
};
const QByteArray Previous = "PREVIOUS COMPLETE OUTPUT\r\n";

// A closed 1' square near 45 N 6 E; its name '@' may bring more lines, which override the heights.
constexpr const char *Square = "AC R\nAL 0\nAH 2000 ft\nAN @\nDP 45:00:00 N 006:00:00 E\nDP 45:00:00 N 006:01:00 E\n"
                               "DP 44:59:00 N 006:01:00 E\nDP 44:59:00 N 006:00:00 E\nDP 45:00:00 N 006:00:00 E\n\n";

// One airspace per value, the value put in for every '@'.
QByteArray eachOf(const QByteArray &airspace, std::initializer_list<const char *> values)
{
    QByteArray text;
    for (const char *value : values)
        text += QByteArray(airspace).replace('@', value);
    return text;
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The banner, then finished records, every line ended by CR LF, each record under a name of its own.
void verifyWholeKaf(const QByteArray &bytes, int records)
{
    QVERIFY2(bytes.startsWith(QByteArray(80, '*') + "\r\n"), "output does not start with the banner");
    QVERIFY2(bytes.endsWith("\r\n\r\n"), "output does not end with a finished record");
    QCOMPARE(bytes.count('\n') + bytes.count('\r'), 2 * bytes.count("\r\n")); // no bare CR or LF
    QList<QByteArray> names;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith("AN "))
            names.append(line);
    QCOMPARE(names.size(), records);
    QCOMPARE(QSet<QByteArray>(names.cbegin(), names.cend()).size(), records);
}

} // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT
private slots:
    void cliEndsCleanly_data();
    void cliEndsCleanly();
    void signalCutsAnAppendBack_data();
    void signalCutsAnAppendBack();
};

void HostileInputTest::cliEndsCleanly_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("records"); // written records, when the run writes
    QTest::addColumn<QStringList>("options"); // more options for zonvert-cli

    const QByteArray circle = "AC R\nAN @\nAL 0\nAH 1000\nV X=45:00:00 N 006:00:00 E\n";
    const QByteArray valid = eachOf(Square, {"SQUARE"}).repeated(500);
    std::vector<quint32> noise(16 * 1024);
    QRandomGenerator(12345).fillRange(noise.data(), noise.size());
    QTest::newRow("empty file: the banner alone, and said so") << QByteArray() << Plain << 3 << 0 << QStringList();
    QTest::newRow("binary noise") << QByteArray(reinterpret_cast<const char *>(noise.data()), 65536) << Plain << 3 << 0 << QStringList();
    QTest::newRow("50 MB line without line break")
        << eachOf(Square, {"BEFORE"}) + "AN " + QByteArray(50 * 1024 * 1024, 'x') << Plain << 3 << 1 << QStringList();
    QTest::newRow("NUL bytes inside records")
        << "AC R\0\nAN NUL\0NAME\nAD \0\0\nAL 0\0\nAH 10\0\x30\x30\nDP 45:00\0:00 N 006:00:00 E\n"_ba
               + eachOf(Square, {"AFTER"}) << Plain << 3 << 1 << QStringList();
    QTest::newRow("only comments") << "* comment\n; another\n\n"_ba.repeated(1000) << Plain << 3 << 0 << QStringList();
    QTest::newRow("10000 airspaces of one name get distinct names")
        << eachOf(Square, {"SAME NAME"}).repeated(10000) << Plain << 0 << 10000 << QStringList();
    // Each note used to copy the whole comment again: minutes for this block.
    QTest::newRow("200000 notes in one airspace")
        << eachOf(Square, {"NOTES"}) + "V Q=1\nCO x\n"_ba.repeated(200000) << Plain << 0 << 1 << QStringList();
    QTest::newRow("100000 points are refused as too many")
        << "AC R\nAN MANY\nAL 0\nAH 1000\n"_ba
               + "DP 45:00:00 N 006:00:00 E\nDP 45:00:01 N 006:00:00 E\n"_ba.repeated(50000) << Plain << 3 << 0 << QStringList();
    QTest::newRow("coordinates at and beyond the poles and the date line")
        << eachOf("AC R\nAN EDGE\nAL 0\nAH 1000\nDP @\nDP 45:00:00 N 006:00:00 E\nDP 44:00:00 N 006:00:00 E\nDP @\n"
                  "V X=@\nDC 5\n\n",
                  {"90:00:00 N 180:00:00 E", "90:00:00 S 180:00:00 W", "91:00:00 N 181:00:00 E",
                   "999:99:99 N 99999:99:99 E", "2147483647:0:0 N 2147483647:0:0 E", "-90:00:00 N -180:00:00 E"})
        << Plain << 3 << 3 << QStringList();   // beyond 90 or 180 degrees the airspace is faulty
    QTest::newRow("heights of 10^12 ft")
        << eachOf(Square, {"HIGH\nAL 1000000000000 ft\nAH 1000000000000 ft",
                           "DEEP\nAL -1000000000000 ft\nAH FL 99999999999999",
                           "OVERFLOW\nAL 2147483648\nAH 99999999999999999999999999 m"}) << Plain << 0 << 3 << QStringList();
    QTest::newRow("DC 1e300, NaN and infinite radii")
        << eachOf(circle + "DC @\n\n", {"1e300", "-1e300", "1e-300", "nan", "inf", "-inf", "99999999999"})
        << Plain << 3 << 0 << QStringList();
    QTest::newRow("DA with NaN and infinite texts")
        << eachOf(circle + "DP 45:05:00 N 006:00:00 E\nDA @\nDP 45:05:00 N 006:00:00 E\n\n",
                  {"nan,inf,-inf", "inf,0,90", "1,nan,90", "1,0,inf", "1e308,0,359", "5,-1e300,1e300", ",,"})
        << Plain << 3 << 1 << QStringList();
    QTest::newRow("numbers of 10000 digits")
        << eachOf("AC R\nAN DIGITS\nAL @\nAH @ ft\nDP 4@:00:00 N 006:00:00 E\nDP 45:@:00 N 006:00:00 E\n"
                  "DP 45:00:@ N 006:00:@ E\nV X=45:00:00 N 006:00:00 E\nDC @\n\n", {QByteArray(10000, '9').constData()})
               + eachOf(Square, {"AFTER DIGITS"}) << Plain << 3 << 1 << QStringList();

    QTest::newRow("folder as input") << valid << FolderInput << 2 << 0 << QStringList();
    QTest::newRow("input beyond 1 GiB is refused unread") << valid << HugeInput << 2 << 0 << QStringList();
    QTest::newRow("endless input is refused after 1 GiB") << valid << EndlessInput << 2 << 0 << QStringList();
    QTest::newRow("running out of memory is a file error") << valid.repeated(800) << MemoryLimit << 2 << 0 << QStringList();
    QTest::newRow("missing input") << valid << MissingInput << 2 << 0 << QStringList();
    QTest::newRow("input that fails while being read") << valid << FailingInput << 2 << 0 << QStringList();
    QTest::newRow("output in a missing folder") << valid << MissingFolder << 2 << 0 << QStringList();
    QTest::newRow("output in a read-only folder") << valid << ReadOnlyFolder << 2 << 0 << QStringList();
    QTest::newRow("output on a full device") << valid << FullDevice << 2 << 0 << QStringList();
    QTest::newRow("disk full while overwriting") << valid << SizeLimit << 2 << 0 << QStringList();
    QTest::newRow("output is the input") << valid << OutputIsInput << 2 << 0 << QStringList();
    QTest::newRow("appending to the input") << valid << OutputIsInput << 2 << 0 << QStringList{u"-append"_s};
    QTest::newRow("output links to the input") << valid << OutputLinksToInput << 2 << 0 << QStringList();
    QTest::newRow("negative warning distance") << valid << Plain << 1 << 0 << QStringList{u"-wm"_s, u"-5"_s};
    QTest::newRow("warning distance beyond 32 bits") << valid << Plain << 1 << 0 << QStringList{u"-wm"_s, u"99999999999"_s};
}

void HostileInputTest::cliEndsCleanly()
{
    QFETCH(QByteArray, input);
    QFETCH(Setup, setup);
    QFETCH(int, exitCode);
    QFETCH(int, records);
    QFETCH(QStringList, options);

    // Every run starts over an earlier output, which a failed run must leave whole.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = dir.filePath(u"output.kaf"_s);
    QString in = dir.filePath(u"input.txt"_s), out = previous;
    QVERIFY(writeFile(in, input) && writeFile(previous, Previous));
    switch (setup) {
    case FolderInput:
        in = dir.path();
        break;
    case MissingInput:
        in = dir.filePath(u"missing.txt"_s);
        break;
    case FailingInput:
        in = u"/proc/self/mem"_s; // opens, but reading at offset 0 fails
        break;
    case HugeInput: {
        QFile huge(in); // sparse: it takes no room on the disk
        QVERIFY(huge.open(QIODevice::ReadWrite) && huge.resize((qint64(1) << 30) + 1));
        break;
    }
    case EndlessInput:
        in = u"/dev/zero"_s;
        break;
    case MemoryLimit:
#ifdef ZONVERT_SANITIZED
        QSKIP("the sanitizers need their own address space");
#endif
        break;
    case OutputIsInput:
        in = out;
        break;
    case OutputLinksToInput:
        out = dir.filePath(u"link.kaf"_s);
        QVERIFY(QFile::link(in, out));
        break;
    case MissingFolder:
        out = dir.filePath(u"no/such/output.kaf"_s);
        break;
    case ReadOnlyFolder:
        if (::geteuid() == 0)
            QSKIP("no folder is read-only for root");
        QVERIFY(QDir(dir.path()).mkdir(u"locked"_s, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        out = dir.filePath(u"locked/output.kaf"_s);
        break;
    case FullDevice:
        // A private node of the full device, so that a run replacing it by a file loses only this copy.
        QVERIFY(QFile::remove(out));
        if (::mknod(QFile::encodeName(out).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            QSKIP("no right to make a device node");
        break;
    default:
        break;
    }

    const QByteArray inputBefore = setup == Plain || setup >= OutputIsInput ? readAll(in) : QByteArray();
    QProcess cli;
    if (setup == SizeLimit) // a file-size limit fails writes as a full disk does
        cli.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    if (setup == MemoryLimit) // less memory than the file needs
        cli.setChildProcessModifier([] {
            const rlimit limit{64 << 20, 64 << 20};
            ::setrlimit(RLIMIT_DATA, &limit);
        });
    cli.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), QStringList{u"-in"_s, in, u"-out"_s, out} + options);
    // Generous, as the sanitizer build is several times slower; ~QProcess kills a run that overstays.
    QVERIFY2(cli.waitForFinished(120000), qPrintable(cli.errorString()));
    const QByteArray messages = cli.readAllStandardOutput() + cli.readAllStandardError();
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == exitCode, messages.constData());

    QCOMPARE(setup == Plain || setup >= OutputIsInput ? readAll(in) : QByteArray(), inputBefore);
    if (exitCode == 1) {
        QVERIFY2(messages.contains(options.last().toLatin1()), messages.constData());
        QCOMPARE(readAll(previous), Previous);
    } else if (exitCode == 2) {
        QVERIFY2(messages.contains(QFile::encodeName(setup < MissingFolder ? in : out)), messages.constData());
        if (setup == FullDevice)
            QVERIFY2(QFileInfo::exists(out) && !QFileInfo(out).isFile(), "the device was replaced by a file");
        else
            QCOMPARE(readAll(previous), Previous);
    } else {
        QVERIFY2(messages.contains('\n' + QByteArray::number(records) + '/'), messages.constData());
        verifyWholeKaf(readAll(out), records);
    }
    // No half-written temporary file stays beside the output.
    QStringList files{u"input.txt"_s, u"output.kaf"_s};
    if (setup == OutputLinksToInput)
        files.insert(1, u"link.kaf"_s);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), files);
}

void HostileInputTest::signalCutsAnAppendBack_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// A signal in the middle of an append used to leave the file half extended.
void HostileInputTest::signalCutsAnAppendBack()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString in = dir.filePath(u"input.txt"_s), out = dir.filePath(u"output.kaf"_s);
    QVERIFY(writeFile(in, eachOf(Square, {"SQUARE"}).repeated(100000)) && writeFile(out, Previous));
    QProcess cli;
    cli.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), {u"-in"_s, in, u"-out"_s, out, u"-append"_s});
    QVERIFY(cli.waitForStarted());
    // The signal comes once the records are being appended.
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(out).size() <= Previous.size() && cli.state() == QProcess::Running && waited.elapsed() < 120000)
        QThread::usleep(200);
    QVERIFY2(cli.state() == QProcess::Running, "the run ended before it could be interrupted");
    QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
    QVERIFY(cli.waitForFinished(120000));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 128 + signal);
    QCOMPARE(readAll(out), Previous);
}

QTEST_GUILESS_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
