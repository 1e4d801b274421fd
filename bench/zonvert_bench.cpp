// zonvert-bench: how fast the converter is, stage by stage, against the machine's own
// limit (a plain byte copy of the same file), on a real file, on copies of it
// concatenated 4 and 16 times, and on two generated shapes that once took quadratic
// time or memory: one airspace of very many notes, and very many small circles; and, on
// the real file, how much fitting long outlines adds to the run ("fit") and how long its
// preview picture takes ("png").
//
//   zonvert-bench [-in FILE] [-scales 1,4,16] [-repeat N] [-cli PATH] [-work DIR] [-check]
//
// Each stage is timed N times, the files taking turns, and the best time counts. With
// -check the program exits with 1 when a speed or memory target is missed.

#include "app/conversionrun.h"
#include "app/previewrender.h"
#include "openair/openairreader.h"
#include "output/kaf.h"

#include <QCoreApplication>
#include <QGuiApplication>
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

// Targets: whole run at 50 MB/s or within 25 byte copies, ×16 in at most 18 times the
// ×1 time, zonvert-cli's peak memory on ×16 and on the circles at most 4 times the
// file's size, and a file of notes read at least half as fast as the real one.
constexpr double TargetMegabytesPerSecond = 50.0;
constexpr double TargetCopyRatio = 25.0;
constexpr double TargetLinearity = 18.0;
constexpr double TargetMemoryRatio = 4.0;
constexpr double TargetNotesSlowdown = 2.0;
constexpr int GeneratedCircles = 200000;
constexpr int GeneratedNotes = 200000;
// The second file of the merged run, beside the real file.
constexpr char SecondInput[] = "france-2026-ffvp-gliding-extended.txt";
// Fitting the over-long airspaces adds at most half to the whole run's time.
constexpr double TargetFitAdded = 0.5;
// The preview picture (PNG, 1600 x 1200) of the real file in under a second.
constexpr double TargetPreviewSeconds = 1.0;

struct Options
{
    QString input = QStringLiteral(ZONVERT_DEFAULT_BENCH_INPUT);
    QList<int> scales{1, 4, 16};
    int repeat = 5;
    QString cli;
    QString work;
    bool check = false;
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

// The records of airspaces already read, made and written as a run does, without the
// reading and the renaming.
int writeRecords(const std::vector<AirspacePtr> &airspaces, const QString &fileName)
{
    QFile out(fileName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    int written = 0;
    for (const AirspacePtr &airspace : airspaces) {
        Kaf::RecordOptions options;
        options.warningDistanceCm = BenchWarningDistanceCm;
        const Kaf::Record record = Kaf::makeRecord(*airspace, options);
        if (record.kind == Kaf::Record::Written && out.write(record.bytes) == record.bytes.size())
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

// One file of the benchmark and its figures: copies of the real file (copies > 0), or a
// generated shape (copies 0).
struct ScaleResult
{
    int copies = 0;
    QString label;
    QString input;
    double bytes = 0;
    int airspaces = 0;
    Timing copy, read, write, run;
    Timing fit;       // the whole run fitting long outlines, of the real file only
    Timing merge;     // the real file and a second one in one run, filtered (when the second is there)
    double mergeBytes = 0;
    Timing preview;   // of the real file only
    ChildRun cli;
};

void printStage(const char *name, const Timing &timing, const ScaleResult &scale)
{
    std::printf("  %-6s %10.2f %10.1f %14.0f %9.1f\n", name, timing.seconds * 1e3,
                scale.bytes / 1e6 / timing.seconds, scale.airspaces / timing.seconds,
                timing.seconds / scale.copy.seconds);
}

ScaleResult prepareFile(const Options &options, const QString &label, const QByteArray &text, int copies = 0)
{
    ScaleResult scale;
    scale.copies = copies;
    scale.label = label;
    scale.input = QDir(options.work).filePath(QStringLiteral("input-%1.txt").arg(label));
    writeFile(scale.input, text);
    scale.bytes = text.size();
    return scale;
}

// Small circles, each an airspace of its own.
QByteArray manyCircles()
{
    QByteArray text;
    for (int i = 0; i < GeneratedCircles; ++i) {
        const int second = i % 3600;
        text += "AC R\nAN C" + QByteArray::number(i) + "\nAL GND\nAH 1000 ft\nV X=46:" + QByteArray::number(second / 60)
                + ':' + QByteArray::number(second % 60) + " N 007:" + QByteArray::number(i / 3600 % 60)
                + ":00 E\nDC 0.5\n\n";
    }
    return text;
}

// One airspace with a definition note on every V line and a CO line after each.
QByteArray manyNotes()
{
    return "AC R\nAN NOTES\nAL GND\nAH 1000 m\nDP 46:00:00 N 007:00:00 E\nDP 46:01:00 N 007:00:00 E\n"
           "DP 46:01:00 N 007:01:00 E\n"
           + QByteArray("V Q=1\nCO x\n").repeated(GeneratedNotes);
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
    run.inputFileNames = QStringList{scale.input};
    run.outputText = work.filePath(QStringLiteral("run.kaf"));
    run.date = QDate(2025, 1, 1);
    timeOnce(scale.run, [] {}, [&] { ConversionRun(ui).run(run); });

    if (scale.copies == 1) {
        ConversionOptions fitting = run;
        fitting.fitLongOutlines = true;
        timeOnce(scale.fit, [] {}, [&] { ConversionRun(ui).run(fitting); });
        // Two countries' files in one, filtered as a paraglider would.
        const QString second = QFileInfo(options.input).dir().filePath(QLatin1String(SecondInput));
        if (QFileInfo::exists(second)) {
            ConversionOptions merging = run;
            merging.inputFileNames << second;
            merging.filter.skipWords = FilterSettings::wordsOf(QStringLiteral("E,F,G,FIS"));
            merging.filter.maxFloor = QStringLiteral("FL125");
            scale.mergeBytes = scale.bytes + QFileInfo(second).size();
            timeOnce(scale.merge, [] {}, [&] { ConversionRun(ui).run(merging); });
        }
        // The picture of what the run wrote, as the run leaves it.
        fitting.keepPreview = true;
        std::shared_ptr<const PreviewData> data;
        timeOnce(
            scale.preview, [&] { data = ConversionRun(ui).run(fitting).preview; },
            [&] { renderPreview(*data, work.filePath(QStringLiteral("preview.png"))); });
    }
}

void printScale(const Options &options, ScaleResult &scale)
{
    if (!options.cli.isEmpty())
        scale.cli = runCli(options.cli, scale.input, QDir(options.work).filePath(QStringLiteral("cli.kaf")));

    std::printf("%-5s %.2f MB, %d airspaces\n", qPrintable(scale.label), scale.bytes / 1e6, scale.airspaces);
    std::printf("  %-6s %10s %10s %14s %9s\n", "stage", "best ms", "MB/s", "airspaces/s", "x copy");
    printStage("copy", scale.copy, scale);
    printStage("read", scale.read, scale);
    printStage("write", scale.write, scale);
    printStage("run", scale.run, scale);
    if (scale.copies == 1) {
        printStage("fit", scale.fit, scale);
        printStage("png", scale.preview, scale);
        if (scale.mergeBytes > 0)
            std::printf("  %-6s %10.2f %10.1f   (with %s, filtered: %.2f MB)\n", "merge", scale.merge.seconds * 1e3,
                        scale.mergeBytes / 1e6 / scale.merge.seconds, SecondInput, scale.mergeBytes / 1e6);
    }
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

bool checkTargets(const std::vector<ScaleResult> &scales)
{
    std::printf("targets\n");
    const auto find = [&](const QString &label) -> const ScaleResult * {
        for (const ScaleResult &scale : scales)
            if (scale.label == label)
                return &scale;
        return nullptr;
    };
    bool met = true;
    const ScaleResult *one = find(QStringLiteral("x1"));
    const ScaleResult *sixteen = find(QStringLiteral("x16"));
    if (one) {
        const double speed = one->bytes / 1e6 / one->run.seconds;
        const double ratio = one->run.seconds / one->copy.seconds;
        met &= report(speed >= TargetMegabytesPerSecond || ratio <= TargetCopyRatio,
                      QStringLiteral("run x1: %1 MB/s (target %2), %3 x copy (target %4)")
                          .arg(speed, 0, 'f', 1).arg(TargetMegabytesPerSecond)
                          .arg(ratio, 0, 'f', 1).arg(TargetCopyRatio));
    }
    if (one) {
        const double added = (one->fit.seconds - one->run.seconds) / one->run.seconds;
        met &= report(added <= TargetFitAdded, QStringLiteral("run x1 fitting long outlines: %1 more time (target <= %2)")
                                                   .arg(added, 0, 'f', 2).arg(TargetFitAdded));
        if (one->mergeBytes > 0) {
            const double speed = one->mergeBytes / 1e6 / one->merge.seconds;
            met &= report(speed >= TargetMegabytesPerSecond, QStringLiteral("run x1 with a second file, filtered: %1 MB/s (target %2)")
                                                                 .arg(speed, 0, 'f', 1).arg(TargetMegabytesPerSecond));
        }
        met &= report(one->preview.seconds <= TargetPreviewSeconds,
                      QStringLiteral("preview picture x1: %1 ms (target <= %2 ms)")
                          .arg(one->preview.seconds * 1e3, 0, 'f', 0).arg(TargetPreviewSeconds * 1e3));
    }
    if (one && sixteen) {
        const double linearity = sixteen->run.seconds / one->run.seconds;
        met &= report(linearity <= TargetLinearity,
                      QStringLiteral("run x16 / run x1: %1 (target <= %2)").arg(linearity, 0, 'f', 1).arg(TargetLinearity));
    }
    if (const ScaleResult *notes = find(QStringLiteral("notes")); notes && one) {
        const double slowdown = (notes->run.seconds / notes->bytes) / (one->run.seconds / one->bytes);
        met &= report(slowdown <= TargetNotesSlowdown,
                      QStringLiteral("run notes per byte / run x1 per byte: %1 (target <= %2)")
                          .arg(slowdown, 0, 'f', 2).arg(TargetNotesSlowdown));
    }
    for (const ScaleResult *scale : {sixteen, find(QStringLiteral("circles"))}) {
        if (!scale || !scale->cli.ok)
            continue;
        const double memory = scale->cli.maxRssBytes / scale->bytes;
        met &= report(memory <= TargetMemoryRatio, QStringLiteral("zonvert-cli %1 max RSS: %2 x the input (target <= %3)")
                                                       .arg(scale->label).arg(memory, 0, 'f', 1).arg(TargetMemoryRatio));
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
    // The preview's text needs the toolkit's fonts, which come with a (screenless) GUI.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    Options options;
    options.cli = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zonvert-cli"));
    if (!parseArguments(QCoreApplication::arguments(), options)) {
        std::fprintf(stderr, "usage: zonvert-bench [-in FILE] [-scales 1,4,16] [-repeat N] [-cli PATH] "
                             "[-work DIR] [-check]\n");
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
        scales.push_back(prepareFile(options, QStringLiteral("x%1").arg(copies), scaledInput(original, copies), copies));
    scales.push_back(prepareFile(options, QStringLiteral("notes"), manyNotes()));
    scales.push_back(prepareFile(options, QStringLiteral("circles"), manyCircles()));
    for (int round = 0; round < options.repeat; ++round) {
        for (ScaleResult &scale : scales)
            measureOnce(options, scale);
    }
    for (ScaleResult &scale : scales)
        printScale(options, scale);

    const bool met = checkTargets(scales);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("zonvert-bench max RSS: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return options.check && !met ? 1 : 0;
}
