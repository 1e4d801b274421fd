// zonvert-cli against hostile inputs and broken output places: each run ends in bounded time with
// a clear message, and leaves either a whole kaf file or the output that stood before it, whole.

#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Previous = "PREVIOUS COMPLETE OUTPUT\r\n";
// The files of a run's folder: no half-written temporary file may stay beside the output.
const QStringList RunFiles{u"input.txt"_s, u"output.kaf"_s};

// Where the output cannot be written.
enum class Place { MissingFolder, ReadOnlyFolder, FullDevice, FullDisk };

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

QByteArray validInput() { return eachOf(Square, {"SQUARE"}).repeated(500); }

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

    // Every run starts over an earlier output, which a failed run must leave whole.
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_input, m_previous;
    QByteArray m_messages;

    // Runs zonvert-cli to its end; true when it ended by itself with exitCode. Generous, as
    // the sanitizer build is several times slower; ~QProcess kills a run that overstays.
    bool run(const QString &in, const QString &out, int exitCode, const QStringList &options = {},
             const std::function<void()> &inChild = {})
    {
        QProcess cli;
        if (inChild)
            cli.setChildProcessModifier(inChild);
        cli.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), QStringList{u"-in"_s, in, u"-out"_s, out} + options);
        const bool finished = cli.waitForFinished(120000);
        m_messages = finished ? cli.readAllStandardOutput() + cli.readAllStandardError() : cli.errorString().toUtf8();
        return finished && cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == exitCode;
    }
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }
    // The run named what it could not use and left the earlier output whole.
    void verifyRefused(const QString &name, const QStringList &expected = RunFiles)
    {
        QVERIFY2(m_messages.contains(QFile::encodeName(name)), m_messages.constData());
        QCOMPARE(readAll(m_previous), Previous);
        QCOMPARE(files(), expected);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_input = m_dir->filePath(u"input.txt"_s);
        m_previous = m_dir->filePath(u"output.kaf"_s);
        QVERIFY(writeFile(m_input, validInput()) && writeFile(m_previous, Previous));
    }

    // ---- Hostile inputs: a whole kaf file of what can be written, and the count said

    void hostileInputGivesAWholeFile_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode"); // 3 when some airspace was refused
        QTest::addColumn<int>("records");
        const QByteArray circle = "AC R\nAN @\nAL 0\nAH 1000\nV X=45:00:00 N 006:00:00 E\n";
        std::vector<quint32> noise(16 * 1024);
        QRandomGenerator(12345).fillRange(noise.data(), noise.size());
        QTest::newRow("empty file: the banner alone, and said so") << QByteArray() << 3 << 0;
        QTest::newRow("binary noise") << QByteArray(reinterpret_cast<const char *>(noise.data()), 65536) << 3 << 0;
        QTest::newRow("50 MB line without line break")
            << eachOf(Square, {"BEFORE"}) + "AN " + QByteArray(50 * 1024 * 1024, 'x') << 3 << 1;
        QTest::newRow("NUL bytes inside records")
            << "AC R\0\nAN NUL\0NAME\nAD \0\0\nAL 0\0\nAH 10\0\x30\x30\nDP 45:00\0:00 N 006:00:00 E\n"_ba
                   + eachOf(Square, {"AFTER"}) << 3 << 1;
        QTest::newRow("only comments") << "* comment\n; another\n\n"_ba.repeated(1000) << 3 << 0;
        QTest::newRow("10000 airspaces of one name get distinct names")
            << eachOf(Square, {"SAME NAME"}).repeated(10000) << 0 << 10000;
        // Each note used to copy the whole comment again: minutes for this block.
        QTest::newRow("200000 notes in one airspace")
            << eachOf(Square, {"NOTES"}) + "V Q=1\nCO x\n"_ba.repeated(200000) << 0 << 1;
        QTest::newRow("100000 points are refused as too many")
            << "AC R\nAN MANY\nAL 0\nAH 1000\n"_ba
                   + "DP 45:00:00 N 006:00:00 E\nDP 45:00:01 N 006:00:00 E\n"_ba.repeated(50000) << 3 << 0;
        QTest::newRow("coordinates at and beyond the poles and the date line")
            << eachOf("AC R\nAN EDGE\nAL 0\nAH 1000\nDP @\nDP 45:00:00 N 006:00:00 E\nDP 44:00:00 N 006:00:00 E\nDP @\n"
                      "V X=@\nDC 5\n\n",
                      {"90:00:00 N 180:00:00 E", "90:00:00 S 180:00:00 W", "91:00:00 N 181:00:00 E",
                       "999:99:99 N 99999:99:99 E", "2147483647:0:0 N 2147483647:0:0 E", "-90:00:00 N -180:00:00 E"})
            << 3 << 3;   // beyond 90 or 180 degrees the airspace is faulty
        QTest::newRow("heights of 10^12 ft")
            << eachOf(Square, {"HIGH\nAL 1000000000000 ft\nAH 1000000000000 ft",
                               "DEEP\nAL -1000000000000 ft\nAH FL 99999999999999",
                               "OVERFLOW\nAL 2147483648\nAH 99999999999999999999999999 m"}) << 0 << 3;
        QTest::newRow("DC 1e300, NaN and infinite radii")
            << eachOf(circle + "DC @\n\n", {"1e300", "-1e300", "1e-300", "nan", "inf", "-inf", "99999999999"}) << 3 << 0;
        QTest::newRow("DA with NaN and infinite texts")
            << eachOf(circle + "DP 45:05:00 N 006:00:00 E\nDA @\nDP 45:05:00 N 006:00:00 E\n\n",
                      {"nan,inf,-inf", "inf,0,90", "1,nan,90", "1,0,inf", "1e308,0,359", "5,-1e300,1e300", ",,"})
            << 3 << 1;
        QTest::newRow("numbers of 10000 digits")
            << eachOf("AC R\nAN DIGITS\nAL @\nAH @ ft\nDP 4@:00:00 N 006:00:00 E\nDP 45:@:00 N 006:00:00 E\n"
                      "DP 45:00:@ N 006:00:@ E\nV X=45:00:00 N 006:00:00 E\nDC @\n\n", {QByteArray(10000, '9').constData()})
                   + eachOf(Square, {"AFTER DIGITS"}) << 3 << 1;
    }
    void hostileInputGivesAWholeFile()
    {
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(int, records);
        QVERIFY(writeFile(m_input, input));
        QVERIFY2(run(m_input, m_previous, exitCode), m_messages.constData());
        QVERIFY2(m_messages.contains('\n' + QByteArray::number(records) + '/'), m_messages.constData());
        verifyWholeKaf(readAll(m_previous), records);
        QCOMPARE(readAll(m_input), input);
        QCOMPARE(files(), RunFiles);
    }

    // ---- Refusals: a clear message, and the earlier output stays as it was

    void warningDistanceOutOfRangeIsRefused_data()
    {
        QTest::addColumn<QString>("metres");
        QTest::newRow("negative warning distance") << u"-5"_s;
        QTest::newRow("warning distance beyond 32 bits") << u"99999999999"_s;
    }
    void warningDistanceOutOfRangeIsRefused()
    {
        QFETCH(QString, metres);
        QVERIFY2(run(m_input, m_previous, 1, {u"-wm"_s, metres}), m_messages.constData());
        QCOMPARE(readAll(m_input), validInput());
        verifyRefused(metres);
    }

    void unreadableInputIsRefused_data()
    {
        QTest::addColumn<QString>("path"); // in the run's folder unless absolute
        QTest::addColumn<qint64>("size"); // of input.txt, when not 0
        QTest::newRow("folder as input") << u"."_s << qint64(0);
        QTest::newRow("input beyond 1 GiB is refused unread") << u"input.txt"_s << (qint64(1) << 30) + 1;
        QTest::newRow("endless input is refused after 1 GiB") << u"/dev/zero"_s << qint64(0);
        QTest::newRow("missing input") << u"missing.txt"_s << qint64(0);
        // Opens, but reading at offset 0 fails.
        QTest::newRow("input that fails while being read") << u"/proc/self/mem"_s << qint64(0);
    }
    void unreadableInputIsRefused()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        if (size)
            QVERIFY(QFile::resize(m_input, size)); // sparse: it takes no room on the disk
        const QString in = QDir::cleanPath(QDir(m_dir->path()).absoluteFilePath(path));
        QVERIFY2(run(in, m_previous, 2), m_messages.constData());
        verifyRefused(in);
    }

    void runningOutOfMemoryIsAFileError()
    {
#ifdef ZONVERT_SANITIZED
        QSKIP("the sanitizers need their own address space");
#endif
        QVERIFY(writeFile(m_input, validInput().repeated(800)));
        const auto lessMemoryThanTheFileNeeds = [] {
            const rlimit limit{64 << 20, 64 << 20};
            ::setrlimit(RLIMIT_DATA, &limit);
        };
        QVERIFY2(run(m_input, m_previous, 2, {}, lessMemoryThanTheFileNeeds), m_messages.constData());
        verifyRefused(m_input);
    }

    void outputPlaceThatCannotBeWrittenIsRefused_data()
    {
        QTest::addColumn<Place>("place");
        QTest::newRow("output in a missing folder") << Place::MissingFolder;
        QTest::newRow("output in a read-only folder") << Place::ReadOnlyFolder;
        QTest::newRow("output on a full device") << Place::FullDevice;
        QTest::newRow("disk full while overwriting") << Place::FullDisk;
    }
    void outputPlaceThatCannotBeWrittenIsRefused()
    {
        QFETCH(Place, place);
        QString out = m_previous;
        std::function<void()> inChild;
        switch (place) {
        case Place::MissingFolder:
            out = m_dir->filePath(u"no/such/output.kaf"_s);
            break;
        case Place::ReadOnlyFolder:
            if (::geteuid() == 0)
                QSKIP("no folder is read-only for root");
            QVERIFY(QDir(m_dir->path()).mkdir(u"locked"_s, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            out = m_dir->filePath(u"locked/output.kaf"_s);
            break;
        case Place::FullDevice:
            // A private node of the full device, so that a run replacing it by a file loses only this copy.
            QVERIFY(QFile::remove(out));
            if (::mknod(QFile::encodeName(out).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
                QSKIP("no right to make a device node");
            break;
        case Place::FullDisk: // a file-size limit fails writes as a full disk does
            inChild = [] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{64 * 1024, 64 * 1024};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            };
            break;
        }
        QVERIFY2(run(m_input, out, 2, {}, inChild), m_messages.constData());
        if (place != Place::FullDevice) {
            verifyRefused(out);
        } else {   // not read: the device gives zeros without end
            QVERIFY2(m_messages.contains(QFile::encodeName(out)), m_messages.constData());
            QVERIFY2(QFileInfo::exists(out) && !QFileInfo(out).isFile(), "the device was replaced by a file");
            QCOMPARE(files(), RunFiles);
        }
    }

    void outputThatIsTheInputIsRefused_data()
    {
        QTest::addColumn<bool>("link"); // the output a link to the input, else the same name
        QTest::addColumn<QStringList>("options");
        QTest::newRow("output is the input") << false << QStringList();
        QTest::newRow("appending to the input") << false << QStringList{u"-append"_s};
        QTest::newRow("output links to the input") << true << QStringList();
    }
    void outputThatIsTheInputIsRefused()
    {
        QFETCH(bool, link);
        QFETCH(QStringList, options);
        const QString in = link ? m_input : m_previous, out = link ? m_dir->filePath(u"link.kaf"_s) : m_previous;
        if (link)
            QVERIFY(QFile::link(in, out));
        const QByteArray before = readAll(in);
        QVERIFY2(run(in, out, 2, options), m_messages.constData());
        QCOMPARE(readAll(in), before);
        verifyRefused(out, link ? QStringList{u"input.txt"_s, u"link.kaf"_s, u"output.kaf"_s} : RunFiles);
    }

    void signalCutsAnAppendBack_data();
    void signalCutsAnAppendBack();
};

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
    const QString out = m_previous;
    QVERIFY(writeFile(m_input, eachOf(Square, {"SQUARE"}).repeated(100000)));
    QProcess cli;
    cli.start(QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli"), {u"-in"_s, m_input, u"-out"_s, out, u"-append"_s});
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
