// zonvert-cli against hostile inputs and broken output places: each case must end with
// a clear message or a sound conversion, in bounded time, and an output that stood
// before a failed run must still be whole.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Maker = QByteArray (*)();

enum class InputPlace { File, Directory, Missing, Unreadable, FailsWhileRead };
enum class OutputPlace { Fresh, OverPrevious, AppendToPrevious, MissingDirectory, ReadOnlyDirectory,
                         FullDevice, FileSizeLimitOverPrevious, FileSizeLimitAppend };

constexpr int Written = 1 << 0;      // exit 0
constexpr int FileError = 1 << 2;    // exit 2
constexpr int NotAllWritten = 1 << 3; // exit 3
constexpr int Converted = Written | NotAllWritten;

// Generous: the sanitizer build is several times slower than the plain one.
constexpr int CaseTimeoutMs = 120000;
constexpr rlim_t FileSizeLimit = 64 * 1024;

const QByteArray Previous = "PREVIOUS COMPLETE OUTPUT\r\n";

QByteArray dms(int seconds, char positive, char negative)
{
    const char hemisphere = seconds < 0 ? negative : positive;
    seconds = std::abs(seconds);
    return QByteArray::number(seconds / 3600) + ':' + QByteArray::number(seconds / 60 % 60) + ':'
           + QByteArray::number(seconds % 60) + ' ' + hemisphere;
}

QByteArray point(int latSeconds, int lonSeconds)
{
    return "DP " + dms(latSeconds, 'N', 'S') + ' ' + dms(lonSeconds, 'E', 'W') + '\n';
}

// A closed 1' square near 45 N 6 E.
QByteArray square(const QByteArray &name, const QByteArray &extra = QByteArray())
{
    const int lat = 45 * 3600, lon = 6 * 3600;
    return "AC R\nAN " + name + "\nAL 0\nAH 2000 ft\n" + extra + point(lat, lon) + point(lat, lon + 60)
           + point(lat - 60, lon + 60) + point(lat - 60, lon) + point(lat, lon) + '\n';
}

QByteArray manySquares(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += square("SQUARE " + QByteArray::number(i));
    return text;
}

QByteArray emptyFile() { return QByteArray(); }

QByteArray binaryNoise()
{
    QByteArray bytes(64 * 1024, '\0');
    quint32 state = 12345;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

QByteArray fiftyMegabyteLine()
{
    return square("BEFORE") + "AN " + QByteArray(50 * 1024 * 1024, 'x');
}

// A literal with its NUL bytes, without the terminating one.
template <std::size_t N>
QByteArray literal(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray nulBytes()
{
    return literal("AC R\0\nAN NUL\0NAME\nAD \0\0\nAL 0\0\nAH 10\0\x30\x30\n")
           + literal("DP 45:00\0:00 N 006:00:00 E\n") + square("AFTER NUL");
}

QByteArray onlyComments()
{
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += "* comment " + QByteArray::number(i) + "\n; another\n\n";
    return text;
}

QByteArray tenThousandSameNames()
{
    QByteArray text;
    for (int i = 0; i < 10000; ++i)
        text += square("SAME NAME");
    return text;
}

QByteArray hundredThousandPoints()
{
    QByteArray text = "AC R\nAN MANY POINTS\nAL 0\nAH 1000\n";
    for (int i = 0; i < 100000; ++i)
        text += point(45 * 3600 + i % 2000, 6 * 3600 + i / 2000);
    return text;
}

QByteArray polesAndDateLine()
{
    QByteArray text;
    const QByteArray corners[] = {
        "90:00:00 N 180:00:00 E", "90:00:00 S 180:00:00 W", "89:59:59 N 179:59:59 W",
        "91:00:00 N 181:00:00 E", "180:00:00 S 360:00:00 W", "999:99:99 N 99999:99:99 E",
        "2147483647:0:0 N 2147483647:0:0 E", "-90:00:00 N -180:00:00 E", "0:0:0 N 0:0:0 W",
    };
    for (const QByteArray &corner : corners)
        text += "AC R\nAN EDGE\nAL 0\nAH 1000\nDP " + corner + "\nDP 45:00:00 N 006:00:00 E\n"
                "DP 44:00:00 N 006:00:00 E\nDP " + corner + "\nV X=" + corner + "\nDC 5\n\n";
    return text;
}

QByteArray enormousHeights()
{
    return square("HIGH", "AL 1000000000000 ft\nAH 1000000000000 ft\n")
           + square("DEEP", "AL -1000000000000 ft\nAH FL 99999999999999\n")
           + square("OVERFLOW", "AL 2147483648\nAH 99999999999999999999999999 m\n");
}

QByteArray hugeCircles()
{
    QByteArray text;
    for (const char *radius : {"1e300", "-1e300", "1e-300", "nan", "inf", "-inf", "99999999999"})
        text += QByteArray("AC R\nAN CIRCLE ") + radius + "\nAL 0\nAH 1000\nV X=45:00:00 N 006:00:00 E\nDC " + radius
                + "\n\n";
    return text;
}

QByteArray arcsWithoutNumbers()
{
    QByteArray text;
    for (const char *arc : {"nan,inf,-inf", "inf,0,90", "1,nan,90", "1,0,inf", "1e308,0,359",
                                  "-5,0,90", "5,-1e300,1e300", ",,", "5"})
        text += QByteArray("AC R\nAN ARC ") + arc + "\nAL 0\nAH 1000\nV X=45:00:00 N 006:00:00 E\n"
                "DP 45:05:00 N 006:00:00 E\nDA " + arc + "\nDP 45:05:00 N 006:00:00 E\n\n";
    return text;
}

QByteArray endlessDigits()
{
    const QByteArray digits(10000, '9');
    return "AC R\nAN DIGITS\nAL " + digits + "\nAH " + digits + " ft\nDP 4" + digits + ":00:00 N 006:00:00 E\n"
           "DP 45:" + digits + ":00 N 006:00:00 E\nDP 45:00:" + digits + " N 006:00:" + digits + " E\n"
           "V X=45:00:00 N 006:00:00 E\nDC " + digits + "\n\n" + square("AFTER DIGITS");
}

QByteArray smallValidFile() { return manySquares(3); }
QByteArray largeValidFile() { return manySquares(2000); }

bool isRoot() { return ::geteuid() == 0; }

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

// The banner, then records, every line ended by CR LF; returns the AN lines.
QStringList wholeOutputNames(const QByteArray &bytes)
{
    [&] {
        QVERIFY2(bytes.startsWith(QByteArray(80, '*') + "\r\n"), "output does not start with the banner");
        QVERIFY2(bytes.endsWith("\r\n\r\n"), "output does not end with a finished record");
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    }();
    QStringList names;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith("AN "))
            names.append(QString::fromLatin1(line));
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Maker)
Q_DECLARE_METATYPE(InputPlace)
Q_DECLARE_METATYPE(OutputPlace)

class HostileInputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cliEndsCleanly_data();
    void cliEndsCleanly();

private:
    QString m_cli;
};

void HostileInputTest::initTestCase()
{
    m_cli = QStringLiteral(ZONVERT_BIN_DIR "/zonvert-cli");
    QVERIFY2(QFileInfo(m_cli).isExecutable(), qPrintable(m_cli + " is not built"));
}

void HostileInputTest::cliEndsCleanly_data()
{
    QTest::addColumn<Maker>("makeInput");
    QTest::addColumn<InputPlace>("inputPlace");
    QTest::addColumn<OutputPlace>("outputPlace");
    QTest::addColumn<int>("allowedExits");
    QTest::addColumn<int>("records");       // written records; -1: not counted
    QTest::addColumn<int>("distinctNames"); // -1: not counted

    const auto file = InputPlace::File;
    const auto fresh = OutputPlace::Fresh;
    QTest::newRow("empty file gives the banner alone") << &emptyFile << file << fresh << Written << 0 << 0;
    QTest::newRow("binary noise") << &binaryNoise << file << fresh << Converted << 0 << -1;
    QTest::newRow("50 MB line without line break") << &fiftyMegabyteLine << file << fresh << Converted << 1 << -1;
    QTest::newRow("NUL bytes inside records") << &nulBytes << file << fresh << Converted << 1 << -1;
    QTest::newRow("only comments") << &onlyComments << file << fresh << Written << 0 << 0;
    QTest::newRow("10000 airspaces of one name get distinct names")
        << &tenThousandSameNames << file << fresh << Written << 10000 << 10000;
    QTest::newRow("100000 points are refused as too many")
        << &hundredThousandPoints << file << fresh << NotAllWritten << 0 << 0;
    QTest::newRow("coordinates at and beyond the poles and the date line")
        << &polesAndDateLine << file << fresh << Converted << 9 << -1;
    QTest::newRow("heights of 10^12 ft") << &enormousHeights << file << fresh << Converted << 3 << -1;
    QTest::newRow("DC 1e300, NaN and infinite radii") << &hugeCircles << file << fresh << Converted << 4 << -1;
    QTest::newRow("DA with NaN and infinite texts") << &arcsWithoutNumbers << file << fresh << Converted << 3 << -1;
    QTest::newRow("numbers of 10000 digits") << &endlessDigits << file << fresh << Converted << 1 << -1;

    QTest::newRow("directory as input") << &smallValidFile << InputPlace::Directory << fresh << FileError << -1 << -1;
    QTest::newRow("missing input") << &smallValidFile << InputPlace::Missing << fresh << FileError << -1 << -1;
    QTest::newRow("unreadable input") << &smallValidFile << InputPlace::Unreadable << fresh << FileError << -1 << -1;
    QTest::newRow("input that fails while being read")
        << &smallValidFile << InputPlace::FailsWhileRead << fresh << FileError << -1 << -1;
    QTest::newRow("missing input keeps the previous output")
        << &smallValidFile << InputPlace::Missing << OutputPlace::OverPrevious << FileError << -1 << -1;

    QTest::newRow("overwriting a previous output") << &smallValidFile << file << OutputPlace::OverPrevious
                                                  << Written << 3 << 3;
    QTest::newRow("appending to a previous output") << &smallValidFile << file << OutputPlace::AppendToPrevious
                                                   << Written << 3 << 3;
    QTest::newRow("output in a missing directory")
        << &smallValidFile << file << OutputPlace::MissingDirectory << FileError << -1 << -1;
    QTest::newRow("output in a read-only directory")
        << &smallValidFile << file << OutputPlace::ReadOnlyDirectory << FileError << -1 << -1;
    QTest::newRow("output on a full device") << &smallValidFile << file << OutputPlace::FullDevice << FileError
                                            << -1 << -1;
    QTest::newRow("disk full while overwriting keeps the previous output")
        << &largeValidFile << file << OutputPlace::FileSizeLimitOverPrevious << FileError << -1 << -1;
    QTest::newRow("disk full while appending keeps the previous output")
        << &largeValidFile << file << OutputPlace::FileSizeLimitAppend << FileError << -1 << -1;
}

void HostileInputTest::cliEndsCleanly()
{
    QFETCH(Maker, makeInput);
    QFETCH(InputPlace, inputPlace);
    QFETCH(OutputPlace, outputPlace);
    QFETCH(int, allowedExits);
    QFETCH(int, records);
    QFETCH(int, distinctNames);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString input = dir.filePath(QStringLiteral("input.txt"));
    QVERIFY(writeFile(input, makeInput()));
    switch (inputPlace) {
    case InputPlace::File:
        break;
    case InputPlace::Directory:
        input = dir.filePath(QStringLiteral("folder.txt"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
        break;
    case InputPlace::Missing:
        input = dir.filePath(QStringLiteral("missing.txt"));
        break;
    case InputPlace::Unreadable:
        if (isRoot())
            QSKIP("every file is readable for root");
        QVERIFY(QFile::setPermissions(input, QFileDevice::Permissions()));
        break;
    case InputPlace::FailsWhileRead:
        // The process's own memory: it opens, but reading from offset 0 fails.
        input = QStringLiteral("/proc/self/mem");
        if (!QFileInfo::exists(input))
            QSKIP("no /proc on this system");
        break;
    }

    QString output = dir.filePath(QStringLiteral("output.kaf"));
    QStringList extraArguments;
    bool limitFileSize = false;
    switch (outputPlace) {
    case OutputPlace::Fresh:
        break;
    case OutputPlace::AppendToPrevious:
    case OutputPlace::FileSizeLimitAppend:
        extraArguments << QStringLiteral("-append");
        Q_FALLTHROUGH();
    case OutputPlace::OverPrevious:
    case OutputPlace::FileSizeLimitOverPrevious:
        QVERIFY(writeFile(output, Previous));
        limitFileSize = outputPlace == OutputPlace::FileSizeLimitAppend
                        || outputPlace == OutputPlace::FileSizeLimitOverPrevious;
        break;
    case OutputPlace::MissingDirectory:
        output = dir.filePath(QStringLiteral("no/such/folder/output.kaf"));
        break;
    case OutputPlace::ReadOnlyDirectory:
        if (isRoot()) {
            // No directory is read-only for root except in a read-only file system.
            output = QStringLiteral("/proc/zonvert-output.kaf");
        } else {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
            output = dir.filePath(QStringLiteral("locked/output.kaf"));
            QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        break;
    case OutputPlace::FullDevice:
        // A private node of the full device: should a run replace it by a file, only
        // this copy is lost. Without the right to make one, a link to the real device
        // is harmless, as its folder cannot take a file either.
        if (::mknod(QFile::encodeName(output).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
            if (isRoot() || !QFileInfo::exists(QStringLiteral("/dev/full")))
                QSKIP("no full device available");
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), output));
        }
        break;
    }

    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    cli.setProcessEnvironment(environment);
    if (limitFileSize) {
        cli.setChildProcessModifier([] {
            // A file-size limit fails writes like a full disk does.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{FileSizeLimit, FileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    QElapsedTimer clock;
    clock.start();
    cli.start(m_cli, QStringList{QStringLiteral("-in"), input, QStringLiteral("-out"), output} + extraArguments);
    QVERIFY2(cli.waitForStarted(), qPrintable(cli.errorString()));
    if (!cli.waitForFinished(CaseTimeoutMs)) {
        cli.kill();
        cli.waitForFinished();
        QFAIL("zonvert-cli did not finish in time");
    }
    const QByteArray errors = cli.readAllStandardError();
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit, errors.constData());
    const int exitCode = cli.exitCode();
    QVERIFY2(allowedExits & (1 << exitCode),
             qPrintable(QStringLiteral("exit code %1 after %2 ms: %3")
                            .arg(exitCode)
                            .arg(clock.elapsed())
                            .arg(QString::fromLocal8Bit(errors))));

    const QFileInfo outputInfo(output);
    if (exitCode == 2) {
        QVERIFY2(!errors.trimmed().isEmpty(), "a file error needs a message");
        switch (outputPlace) {
        case OutputPlace::FullDevice:
            QVERIFY2(outputInfo.exists() && !outputInfo.isFile(), "the device was replaced by a file");
            break;
        case OutputPlace::OverPrevious:
        case OutputPlace::AppendToPrevious:
        case OutputPlace::FileSizeLimitOverPrevious:
        case OutputPlace::FileSizeLimitAppend:
            QCOMPARE(readAll(output), Previous);
            break;
        default:
            QVERIFY2(!outputInfo.exists(), "a failed run left an output behind");
        }
        // No half-written temporary file stays beside the output.
        if (outputInfo.absolutePath() != dir.path())
            return;
        const QStringList left = QDir(outputInfo.absolutePath()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &name : left)
            QVERIFY2(name == QLatin1String("input.txt") || name == outputInfo.fileName(), qPrintable(name));
        return;
    }

    QByteArray bytes = readAll(output);
    if (outputPlace == OutputPlace::AppendToPrevious) {
        QVERIFY(bytes.startsWith(Previous));
        bytes = bytes.mid(Previous.size());
    }
    const QStringList names = wholeOutputNames(bytes);
    if (QTest::currentTestFailed())
        return;
    if (records >= 0)
        QCOMPARE(names.size(), records);
    if (distinctNames >= 0)
        QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), distinctNames);
}

QTEST_GUILESS_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"
