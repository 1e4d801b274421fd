// Arbitrary bytes as an OpenAir file, through everything a conversion does with an
// airspace short of writing the file: reading, closing, finishing, fitting long outlines,
// splitting, the record and its bytes, and the renaming of equal names.

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

// The record step of a run, with its promises: a written record is lines without line
// breaks inside them, each ended by CR LF, and an empty line after the last; a fitted one
// keeps to the limit; a refused airspace says why.
void exercise(Airspace &airspace, const Kaf::RecordOptions &options)
{
    const Kaf::Record record = Kaf::makeRecord(airspace, options);
    switch (record.kind) {
    case Kaf::Record::Fitted:
        expect(record.fittedSegmentCount <= Kaf::MaxSegments, "a fitted outline keeps to the limit");
        Q_FALLTHROUGH();
    case Kaf::Record::Written: {
        expect(record.bytes.endsWith("\r\n\r\n"), "a record ends with an empty line");
        const QByteArray body = record.bytes.chopped(4);
        expect(body.count('\n') == body.count("\r\n") && body.count('\r') == body.count("\r\n"),
               "a record line holds no line break");
        expect(body.count("\r\n") >= 8, "a record has at least nine lines");
        break;
    }
    case Kaf::Record::Faulty:
        expect(!airspace.errorText().isEmpty(), "a refused airspace says why");
        break;
    case Kaf::Record::OverLimit:
        expect(record.segmentCount > Kaf::MaxSegments, "only an outline beyond the limit is over it");
        break;
    }
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
    Kaf::RecordOptions options;
    options.closeOutline = size & 2;
    options.warningDistanceCm = (size & 4) ? 0 : 40000;
    options.fitLongOutline = size & 8;

    OpenAirReader reader(heightsInFeet);
    reader.openBytes(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList deviceNames;
    int count = 0;
    while (AirspacePtr airspace = reader.nextAirspace()) {
        if (++count > MaxAirspaces)
            break;
        deviceNames.append(airspace->deviceName());
        exercise(*airspace, options);
    }
    reader.close();
    const qsizetype names = deviceNames.size();
    Kaf::makeDeviceNamesUnique(deviceNames);
    expect(deviceNames.size() == names, "renaming keeps one name per airspace");
    return 0;
}
