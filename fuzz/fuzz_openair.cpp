// Arbitrary bytes as an OpenAir file, through everything a conversion does with an
// airspace short of writing the file: reading, closing, finishing, splitting, the
// record lines and the renaming of equal names.

#include "openair/openairreader.h"
#include "output/kaf.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Beyond this many airspaces an input only repeats itself.
constexpr int MaxAirspaces = 2000;

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
    if (airspace.segmentCount() > Kaf::MaxSegments)
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
    // The options come from the size, so that the text itself stays as it is.
    const bool heightsInFeet = size & 1;
    const bool closeOutlines = size & 2;
    const int warningDistanceCm = (size & 4) ? 0 : 40000;

    OpenAirReader reader(heightsInFeet);
    reader.openBytes(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
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
    Kaf::makeDeviceNamesUnique(deviceNames);
    expect(deviceNames.size() == names, "renaming keeps one name per airspace");
    return 0;
}
