// zonvert-bench: how fast the converter is, stage by stage, against the machine's own
// limit (a plain byte copy of the same file), on a real file and on copies of it
// concatenated 4 and 16 times.
//
//   zonvert-bench [-in FILE] [-scales 1,4,16] [-repeat N] [-cli PATH] [-work DIR] [-check] [-fit]
//
// Each stage is timed N times, the sizes taking turns, and the best time counts. With
// -check the program exits with 1 when a speed or memory target is missed. With -fit it also
// times fitting every airspace of more than 100 segments into 100, on one core, against the
// whole run.

#include "app/conversionrun.h"
#include "openair/openairreader.h"
#include "output/outlinefit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

constexpr int BenchWarningDistanceCm = 40000;
constexpr int MaxSegments = 100;

// Targets: whole run at 50 MB/s or within 25 byte copies, ×16 in at most 18 times the
// ×1 time, and zonvert-cli's peak memory on ×16 at most 12 times that file's size.
constexpr double TargetMegabytesPerSecond = 50.0;
constexpr double TargetCopyRatio = 25.0;
constexpr double TargetLinearity = 18.0;
constexpr double TargetMemoryRatio = 12.0;
// Fitting the over-long airspaces adds at most half of the whole run's time.
constexpr double TargetFitRatio = 0.5;

struct Options
{
    QString input = QStringLiteral(ZONVERT_DEFAULT_BENCH_INPUT);
    QList<int> scales{1, 4, 16};
    int repeat = 5;
    QString cli;
    QString work;
    bool check = false;
    bool fit = false;
};

class QuietUi : public ConversionUi
{
public:
    ExistingOutput askExistingOutput(const QString &) override { return ExistingOutput::Overwrite; }
    void error(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "run error: %s\n", qPrintable(text));
    }
    void warning(const QString &, const QString &) override {}
    void information(const QString &, const QString &) override {}
};

struct Timing
{
    double seconds = std::numeric_limits<double>::infinity();
    void add(qint64 nanoseconds) { seconds = std::min(seconds, nanoseconds / 1e9); }
};

// Times one pass of `work` into `timing`, after `setup`, which is not timed.
template <typename Setup, typename Work>
void timeOnce(Timing &timing, Setup setup, Work work)
{
    setup();
    QElapsedTimer clock;
    clock.start();
    work();
    timing.add(clock.nsecsElapsed());
}

// The file repeated; each copy after the first gets its airspaces renamed with a
// prefix, so that the names stay apart within the instrument's 16 characters.
QByteArray scaledInput(const QByteArray &original, int copies)
{
    QByteArray body = original;
    if (!body.endsWith('\n'))
        body += '\n';
    const QList<QByteArray> lines = body.split('\n');
    QByteArray result;
    result.reserve(body.size() * copies + copies * 1024);
    result += body;
    for (int copy = 1; copy < copies; ++copy) {
        const QByteArray prefix = "AN " + QByteArray::number(copy) + '-';
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QByteArray &line = lines.at(i);
            if (line.startsWith("AN "))
                result += prefix + line.mid(3);
            else
                result += line;
            result += '\n';
        }
    }
    return result;
}

bool writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()
           && file.flush();
}

void copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly) || !writeFile(to, in.readAll()))
        std::fprintf(stderr, "copy of %s failed\n", qPrintable(from));
}

std::vector<AirspacePtr> readAirspaces(const QString &fileName)
{
    std::vector<AirspacePtr> airspaces;
    OpenAirReader reader(false);
    if (!reader.open(fileName))
        return airspaces;
    while (AirspacePtr airspace = reader.nextAirspace())
        airspaces.push_back(std::move(airspace));
    reader.close();
    return airspaces;
}

// Finishing and writing the records as a run does, without reading and renaming.
int writeRecords(const std::vector<AirspacePtr> &airspaces, const QString &fileName)
{
    QFile out(fileName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    int written = 0;
    for (const AirspacePtr &airspace : airspaces) {
        if (airspace->segmentCount() == 0 || airspace->segmentCount() > MaxSegments)
            continue;
        const QStringList record = airspace->deviceRecord(BenchWarningDistanceCm);
        if (record.size() == 1)
            continue;
        out.write((record.join(QLatin1String("\r\n")) + QLatin1String("\r\n\r\n")).toLatin1());
        ++written;
    }
    return written;
}

struct ChildRun
{
    bool ok = false;
    double seconds = 0;
    double maxRssBytes = 0;
};

// The peak memory of a child counts the memory of the process that started it, as
// the kernel keeps the larger of the two across exec. So zonvert-cli is started by a
// small helper (this program with -measure), which reports the child's figures.
int measureChild(int argc, char *argv[])
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = 0;
    std::vector<char *> arguments(argv + 2, argv + argc);
    arguments.push_back(nullptr);
    const int spawned = posix_spawn(&pid, argv[2], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid)
        return 1;
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds = double(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
    std::printf("%ld %.6f %d\n", usage.ru_maxrss, seconds, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

ChildRun runCli(const QString &cli, const QString &input, const QString &output)
{
    ChildRun result;
    QProcess helper;
    helper.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("-measure"), cli, QStringLiteral("-in"), input, QStringLiteral("-out"), output});
    if (!helper.waitForFinished(-1) || helper.exitCode() != 0)
        return result;
    const QList<QByteArray> figures = helper.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3)
        return result;
    result.maxRssBytes = figures.at(0).toDouble() * 1024.0;
    result.seconds = figures.at(1).toDouble();
    const int exitCode = figures.at(2).toInt();
    result.ok = exitCode == 0 || exitCode == 3;
    return result;
}

struct ScaleResult
{
    int copies = 0;
    QString input;
    double bytes = 0;
    int airspaces = 0;
    Timing copy, read, write, run, fit;
    int overLong = 0;     // airspaces of more than 100 segments that are not faulty
    int fitted = 0;       // of them, fitted
    int fitPoints = 0;    // their segments
    ChildRun cli;
};

// The over-long airspaces, finished as the record writer finishes them; faulty ones left out.
std::vector<AirspacePtr> overLong(const QString &fileName)
{
    std::vector<AirspacePtr> airspaces = readAirspaces(fileName);
    std::vector<AirspacePtr> kept;
    for (const AirspacePtr &airspace : airspaces) {
        if (airspace->segmentCount() <= MaxSegments)
            continue;
        airspace->finishDefinition();
        if (!airspace->hasDefinitionError())
            kept.push_back(airspace);
    }
    return kept;
}

int fitAll(const std::vector<AirspacePtr> &airspaces)
{
    int fitted = 0;
    for (const AirspacePtr &airspace : airspaces) {
        const FitSide side = airspace->airspaceClass() == WaveWindow ? FitSide::Inside : FitSide::Outside;
        fitted += fitOutline(airspace->segments(), MaxSegments, side).segments.empty() ? 0 : 1;
    }
    return fitted;
}

void printStage(const char *name, const Timing &timing, const ScaleResult &scale)
{
    std::printf("  %-6s %10.2f %10.1f %14.0f %9.1f\n", name, timing.seconds * 1e3,
                scale.bytes / 1e6 / timing.seconds, scale.airspaces / timing.seconds,
                timing.seconds / scale.copy.seconds);
}

ScaleResult prepareScale(const Options &options, const QByteArray &original, int copies)
{
    ScaleResult scale;
    scale.copies = copies;
    scale.input = QDir(options.work).filePath(QStringLiteral("input-x%1.txt").arg(copies));
    const QByteArray text = scaledInput(original, copies);
    writeFile(scale.input, text);
    scale.bytes = text.size();
    return scale;
}

// One pass of every stage on one size; the best times are kept.
void measureOnce(const Options &options, ScaleResult &scale)
{
    const QDir work(options.work);
    // The copy is cheap and its best time is the yardstick: it gets more tries.
    for (int i = 0; i < 5; ++i)
        timeOnce(scale.copy, [] {}, [&] { copyFile(scale.input, work.filePath(QStringLiteral("copy.txt"))); });

    timeOnce(scale.read, [] {}, [&] { scale.airspaces = int(readAirspaces(scale.input).size()); });

    std::vector<AirspacePtr> airspaces;
    timeOnce(
        scale.write, [&] { airspaces = readAirspaces(scale.input); },
        [&] { writeRecords(airspaces, work.filePath(QStringLiteral("records.kaf"))); });
    airspaces.clear();

    QuietUi ui;
    ConversionOptions run;
    run.inputFileName = scale.input;
    run.outputText = work.filePath(QStringLiteral("run.kaf"));
    run.date = QDate(2025, 1, 1);
    timeOnce(scale.run, [] {}, [&] { ConversionRun(ui).run(run); });

    if (options.fit) {
        timeOnce(
            scale.fit, [&] { airspaces = overLong(scale.input); },
            [&] { scale.fitted = fitAll(airspaces); });
        scale.overLong = int(airspaces.size());
        scale.fitPoints = 0;
        for (const AirspacePtr &airspace : airspaces)
            scale.fitPoints += airspace->segmentCount();
        airspaces.clear();
    }
}

void printScale(const Options &options, ScaleResult &scale)
{
    if (!options.cli.isEmpty())
        scale.cli = runCli(options.cli, scale.input, QDir(options.work).filePath(QStringLiteral("cli.kaf")));

    std::printf("x%-3d %.2f MB, %d airspaces\n", scale.copies, scale.bytes / 1e6, scale.airspaces);
    std::printf("  %-6s %10s %10s %14s %9s\n", "stage", "best ms", "MB/s", "airspaces/s", "x copy");
    printStage("copy", scale.copy, scale);
    printStage("read", scale.read, scale);
    printStage("write", scale.write, scale);
    printStage("run", scale.run, scale);
    if (options.fit)
        std::printf("  %-6s %10.2f ms for %d of %zu over-long airspaces (%d segments): %.2f x the run, %.0f ns a segment\n",
                    "fit", scale.fit.seconds * 1e3, scale.fitted, std::size_t(scale.overLong),
                    scale.fitPoints, scale.fit.seconds / scale.run.seconds, scale.fit.seconds * 1e9 / std::max(scale.fitPoints, 1));
    if (scale.cli.ok)
        std::printf("  zonvert-cli: %.1f ms, max RSS %.1f MB = %.1f x the input\n", scale.cli.seconds * 1e3,
                    scale.cli.maxRssBytes / 1e6, scale.cli.maxRssBytes / scale.bytes);
    else if (!options.cli.isEmpty())
        std::printf("  zonvert-cli: failed\n");
    std::fflush(stdout);
}

bool report(bool met, const QString &text)
{
    std::printf("  %-4s %s\n", met ? "ok" : "MISS", qPrintable(text));
    return met;
}

bool checkTargets(const std::vector<ScaleResult> &scales, bool fit)
{
    std::printf("targets\n");
    const auto find = [&](int copies) -> const ScaleResult * {
        for (const ScaleResult &scale : scales)
            if (scale.copies == copies)
                return &scale;
        return nullptr;
    };
    bool met = true;
    const ScaleResult *one = find(1);
    const ScaleResult *sixteen = find(16);
    if (one) {
        const double speed = one->bytes / 1e6 / one->run.seconds;
        const double ratio = one->run.seconds / one->copy.seconds;
        met &= report(speed >= TargetMegabytesPerSecond || ratio <= TargetCopyRatio,
                      QStringLiteral("run x1: %1 MB/s (target %2), %3 x copy (target %4)")
                          .arg(speed, 0, 'f', 1).arg(TargetMegabytesPerSecond)
                          .arg(ratio, 0, 'f', 1).arg(TargetCopyRatio));
    }
    if (one && sixteen) {
        const double linearity = sixteen->run.seconds / one->run.seconds;
        met &= report(linearity <= TargetLinearity,
                      QStringLiteral("run x16 / run x1: %1 (target <= %2)").arg(linearity, 0, 'f', 1).arg(TargetLinearity));
    }
    if (one && fit) {
        const double ratio = one->fit.seconds / one->run.seconds;
        met &= report(ratio <= TargetFitRatio, QStringLiteral("fit x1: %1 x the run (target <= %2)")
                                                   .arg(ratio, 0, 'f', 2).arg(TargetFitRatio));
    }
    if (sixteen && sixteen->cli.ok) {
        const double memory = sixteen->cli.maxRssBytes / sixteen->bytes;
        met &= report(memory <= TargetMemoryRatio,
                      QStringLiteral("zonvert-cli x16 max RSS: %1 x the input (target <= %2)")
                          .arg(memory, 0, 'f', 1).arg(TargetMemoryRatio));
    }
    return met;
}

bool parseArguments(const QStringList &arguments, Options &options)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        if (option == QLatin1String("-check")) {
            options.check = true;
            continue;
        }
        if (option == QLatin1String("-fit")) {
            options.fit = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            return false;
        const QString value = arguments.at(++i);
        if (option == QLatin1String("-in")) {
            options.input = value;
        } else if (option == QLatin1String("-cli")) {
            options.cli = value;
        } else if (option == QLatin1String("-work")) {
            options.work = value;
        } else if (option == QLatin1String("-repeat")) {
            options.repeat = std::max(1, value.toInt());
        } else if (option == QLatin1String("-scales")) {
            options.scales.clear();
            for (const QString &part : value.split(QLatin1Char(',')))
                if (const int copies = part.toInt(); copies > 0)
                    options.scales.append(copies);
        } else {
            return false;
        }
    }
    return !options.scales.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2 && std::strcmp(argv[1], "-measure") == 0)
        return measureChild(argc, argv);
    QCoreApplication application(argc, argv);
    Options options;
    options.cli = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zonvert-cli"));
    if (!parseArguments(QCoreApplication::arguments(), options)) {
        std::fprintf(stderr, "usage: zonvert-bench [-in FILE] [-scales 1,4,16] [-repeat N] [-cli PATH] "
                             "[-work DIR] [-check] [-fit]\n");
        return 2;
    }
    if (!QFileInfo(options.cli).isExecutable())
        options.cli.clear();

    QFile inputFile(options.input);
    if (!inputFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(options.input));
        return 2;
    }
    const QByteArray original = inputFile.readAll();
    QTemporaryDir scratch;
    if (options.work.isEmpty())
        options.work = scratch.path();
    QDir().mkpath(options.work);

    std::printf("zonvert-bench: %s (%lld bytes), best of %d\n", qPrintable(options.input),
                static_cast<long long>(original.size()), options.repeat);
    // The sizes take turns, so that a slow spell of a shared machine falls on all of
    // them alike and the ratios between them stay fair.
    std::vector<ScaleResult> scales;
    for (const int copies : options.scales)
        scales.push_back(prepareScale(options, original, copies));
    for (int round = 0; round < options.repeat; ++round) {
        for (ScaleResult &scale : scales)
            measureOnce(options, scale);
    }
    for (ScaleResult &scale : scales)
        printScale(options, scale);

    const bool met = checkTargets(scales, options.fit);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("zonvert-bench max RSS: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return options.check && !met ? 1 : 0;
}
