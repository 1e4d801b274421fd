// Arbitrary bytes as an OpenAir file, through everything a conversion does with an
// airspace short of writing the file: reading, closing, finishing, splitting, the
// record lines and the renaming of equal names.

#include "app/conversionrun.h"
#include "openair/openairreader.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

// Beyond this many airspaces an input only repeats itself.
constexpr int MaxAirspaces = 2000;
constexpr int MaxSegments = 100;

QString scratchFileName()
{
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("zonvert-fuzz-%1.txt").arg(::getpid()));
}

void quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "fatal: %s\n", qPrintable(message));
        std::abort();
    }
}

// A broken promise of the model is a finding like a crash.
void expect(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void exercise(Airspace &airspace, bool closeOutlines, int warningDistanceCm)
{
    if (closeOutlines && !airspace.isClosed())
        airspace.closeOutline();
    // The run refuses bigger outlines before asking for their record.
    if (airspace.segmentCount() > MaxSegments)
        return;
    const QStringList record = airspace.deviceRecord(warningDistanceCm);
    expect(record.size() == 1 || record.size() >= 9, "a record has one empty line or at least nine lines");
    if (record.size() == 1) {
        // Faulty, or an outline without boundary or extent.
        expect(record.first().isEmpty(), "the line of a refused airspace is empty");
        expect(!airspace.errorText().isEmpty(), "a refused airspace says why");
        return;
    }
    for (const QString &line : record)
        expect(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')),
               "a record line holds no line break");
    expect(airspace.deviceRecord(warningDistanceCm) == record, "a second record equals the first");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString fileName = scratchFileName();
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }

    // The options come from the size, so that the text itself stays as it is.
    const bool heightsInFeet = size & 1;
    const bool closeOutlines = size & 2;
    const int warningDistanceCm = (size & 4) ? 0 : 40000;

    OpenAirReader reader(heightsInFeet);
    if (!reader.open(fileName))
        return 0;
    QStringList deviceNames;
    int count = 0;
    while (AirspacePtr airspace = reader.nextAirspace()) {
        if (++count > MaxAirspaces)
            break;
        deviceNames.append(airspace->deviceName());
        exercise(*airspace, closeOutlines, warningDistanceCm);
    }
    reader.close();
    const qsizetype names = deviceNames.size();
    makeDeviceNamesUnique(deviceNames);
    expect(deviceNames.size() == names, "renaming keeps one name per airspace");
    return 0;
}
