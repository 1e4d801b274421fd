#pragma once

// The kaf airspace file of the instrument: the output stage's one header. An airspace
// read from OpenAir becomes a record here (makeRecord: closing, the segment limit or
// fitting, the record's lines, their bytes), and the device names of a file's airspaces
// are made unique. The text forms of coordinates and heights are in devicetext.h.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "model/airspacesegment.h"
#include "output/longlines.h"

#include <cstdint>
#include <vector>

class Airspace;

namespace Kaf {

// The instrument refuses outlines with more segments than this.
constexpr int MaxSegments = 100;
// A device name has at most this many characters; a renamed one keeps this many of its
// name and adds "_NN".
constexpr int DeviceNameLength = 16;
constexpr int DeviceNameBaseLength = 13;

// The record's lines of a finished airspace (Airspace::finishDefinition), or a list of
// exactly one empty line when it cannot be written (errorText says why). Straight edges
// longer than 5 km are halved in a working copy.
QStringList deviceRecord(const Airspace &airspace, int warningDistanceCm);
// The same with another outline in place of the airspace's own (a fitted one).
QStringList deviceRecord(const Airspace &airspace, const SegmentList &outline, int warningDistanceCm);
// The same, handing back the working outline the lines were written from (when written).
QStringList deviceRecord(const Airspace &airspace, const SegmentList &outline, int warningDistanceCm,
                         std::vector<OutlinePiece> &working);
// A segment's lines: a line gives its end point, and its start point too when withStart
// (the first segment, or one that does not start where the one before it ended); an arc
// or circle gives its direction, centre and ends.
QStringList deviceLines(const AirspaceSegment &segment, bool withStart);
// Why an airspace cannot be written: its own faults, then each faulty segment's text.
QString errorText(const Airspace &airspace);
// The type flags as the AT text (empty for none or several).
QString deviceTypeText(const Airspace &airspace);

// How a record is made.
struct RecordOptions
{
    bool closeOutline = false;     // close an open outline first; the closing line counts
    bool fitLongOutline = false;   // fit an outline beyond MaxSegments instead of refusing it
    int warningDistanceCm = 0;
    bool keepOutline = false;      // hand back the outline as written, for a picture of it
};

// What becomes of one airspace in the file.
struct Record
{
    enum Kind { Written, Fitted, OverLimit, Faulty } kind = Written;
    QByteArray bytes;            // Written, Fitted: the record's lines, each ended by CR LF, and the empty line after it
    int segmentCount = 0;        // the outline's segments, as counted against MaxSegments
    int fittedSegmentCount = 0;  // Fitted: the segments of the fitted outline
    int32_t fittedDistanceCm = 0;   // Fitted: how far the fitted outline lies from the original at most
    // With keepOutline: the segments as written (long edges halved) for Written and
    // Fitted, else the outline as read; for Fitted also the outline before fitting.
    SegmentList outline;
    SegmentList original;
};
// The airspace's record: closing first when asked (the closing line counts against the
// limit), then the limit, then the record itself, which finishes the outline.
Record makeRecord(Airspace &airspace, const RecordOptions &options);

// Latin-1 bytes; every character that Latin-1 cannot hold becomes one "?", also one
// written as a surrogate pair.
QByteArray toLatin1(QStringView text);
// The record's lines, each ended by CR LF, and the empty line after the record, into
// `bytes` (replacing what it held).
void putRecord(const QStringList &record, QByteArray &bytes);

// The device names of a run's airspaces in input order, made unique for the instrument.
// Kept compact: a big file has millions of airspaces and only a few renamed ones.
class DeviceNames
{
public:
    void append(QStringView name);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    void clear();

    // Gives equal names distinct endings: every name held by several airspaces becomes
    // its first 13 characters + "_" + a two-digit counter that counts from the last of
    // them. Names are handled in order of first appearance, each against the names as
    // already changed.
    void makeUnique();
    // The name of airspace i, as changed by makeUnique.
    QString name(qsizetype i) const;

private:
    QStringView original(qsizetype i) const;
    void keepLastNames();

    QString m_chars;                 // the names, one after the other
    std::vector<uint32_t> m_ends;    // where each ends in m_chars
    // Renamed airspaces and their new names, ordered by position.
    std::vector<std::pair<uint32_t, QString>> m_renamed;
};

// The same rule on a plain list of names.
void makeDeviceNamesUnique(QStringList &deviceNames);

} // namespace Kaf
