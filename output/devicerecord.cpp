#include "model/airspace.h"
#include "model/airspacetypes.h"
#include "output/devicetext.h"
#include "output/kaf.h"
#include "output/longlines.h"

#include <algorithm>

namespace {

// A warning distance of 0 is written as 200 m.
constexpr int DefaultWarningMetres = 200;

// Lines are made in a stack buffer and copied once: nearly every line of a record is
// one of these.
char16_t *putText(char16_t *out, QLatin1String text)
{
    return std::copy(text.begin(), text.end(), out);
}

QString pointLine(QLatin1String keyword, GeoPoint point)
{
    char16_t buffer[8 + DeviceCoordinateTextMax];
    const char16_t *end = putDeviceCoordinateText(putText(buffer, keyword), point);
    return QString(reinterpret_cast<const QChar *>(buffer), end - buffer);
}

// A straight edge: its start point only when it is not the corner where the segment
// before it ended, so that consecutive edges do not repeat a shared corner.
void appendLineLines(QStringList &lines, GeoPoint from, GeoPoint to, bool withStart)
{
    if (withStart)
        lines.append(pointLine(QLatin1String("DP "), from));
    lines.append(pointLine(QLatin1String("DP "), to));
}

// The outline keeps at least one segment once zero-length lines are gone.
bool hasExtent(const SegmentList &segments)
{
    return std::any_of(segments.begin(), segments.end(), [](const SegmentPtr &segment) {
        return segment->kind() != Line || segment->startPoint() != segment->endPoint();
    });
}

} // namespace

namespace Kaf {

QStringList deviceRecord(const Airspace &airspace, int warningDistanceCm)
{
    return deviceRecord(airspace, airspace.segments(), warningDistanceCm);
}

QStringList deviceRecord(const Airspace &airspace, const SegmentList &outline, int warningDistanceCm)
{
    std::vector<OutlinePiece> working;
    return deviceRecord(airspace, outline, warningDistanceCm, working);
}

QStringList deviceRecord(const Airspace &airspace, const SegmentList &outline, int warningDistanceCm,
                         std::vector<OutlinePiece> &working)
{
    // An outline without extent would give a record without any boundary.
    if (airspace.hasDefinitionError() || !hasExtent(outline))
        return QStringList{QString()};

    splitLongLines(outline, working);

    const QStringList arTexts = airspace.arTexts();
    QStringList lines;
    lines.reserve(qsizetype(9 + arTexts.size() + 3 * working.size()));
    lines.append(QStringLiteral("AC ") + airspaceClassWord(airspace.airspaceClass()));
    lines.append(QStringLiteral("AT ") + deviceTypeText(airspace));
    lines.append(QStringLiteral("AD ") + withoutControlCharacters(airspace.adText()));
    lines.append(QStringLiteral("AN ") + toDeviceText(airspace.deviceName()));
    lines.append(QStringLiteral("AL ") + deviceMetreText(airspace.floor()));
    lines.append(QStringLiteral("AH ") + deviceMetreText(airspace.ceiling()));
    if (arTexts.isEmpty()) {
        lines.append(QStringLiteral("AR1 "));
    } else {
        for (qsizetype i = 0; i < arTexts.size(); ++i)
            lines.append(QStringLiteral("AR") + QString::number(i + 1) + QLatin1Char(' ')
                         + withoutControlCharacters(arTexts.at(i)));
    }
    lines.append(QStringLiteral("WD ")
                 + (warningDistanceCm == 0 ? QString::number(DefaultWarningMetres)
                                           : deviceMetreText(warningDistanceCm)));
    lines.append(QStringLiteral("CO ") + toDeviceText(airspace.comment()));

    // A line that does not start where the segment before it ended (points before an
    // arc that starts elsewhere, once the outline is turned round) writes its start too:
    // that corner is part of the outline.
    const OutlinePiece *previous = nullptr;
    for (const OutlinePiece &piece : working) {
        const bool withStart = !previous || piece.start != previous->end;
        // A straight edge, given or split, goes in as it is; arcs and circles have more lines.
        if (piece.original >= 0 && outline[std::size_t(piece.original)]->kind() != Line)
            lines.append(deviceLines(*outline[std::size_t(piece.original)], withStart));   // moves the strings in
        else
            appendLineLines(lines, piece.start, piece.end, withStart);
        previous = &piece;
    }
    return lines;
}

QString errorText(const Airspace &airspace)
{
    QStringList pieces = airspace.definitionFaults();
    // An outline that never got a segment (no points, a single point, arcs without a
    // centre) has no boundary at all: the airspace is listed, not lost.
    const SegmentList &segments = airspace.segments();
    if (!airspace.hadSegment())
        pieces.append(QObject::tr("no boundary"));
    else if (!hasExtent(segments))
        pieces.append(QObject::tr("outline has no extent: all its points are the same"));
    if (airspace.hasDefinitionError()) {
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const QString text = segments[i]->errorText();
            if (!text.isEmpty())
                pieces.append(QObject::tr("segment %1 : ").arg(i + 1) + text);
        }
    }
    return pieces.join(QStringLiteral(" - "));
}

QString deviceTypeText(const Airspace &airspace)
{
    return airspaceTypeText(airspace.typeFlags());
}

QStringList deviceLines(const AirspaceSegment &segment, bool withStart)
{
    if (segment.kind() == Line) {
        QStringList lines;
        lines.reserve(withStart ? 2 : 1);
        appendLineLines(lines, segment.startPoint(), segment.endPoint(), withStart);
        return lines;
    }
    char16_t buffer[16 + 2 * DeviceCoordinateTextMax];
    char16_t *end = putDeviceCoordinateText(putText(buffer, QLatin1String("DB ")), segment.startPoint());
    end = putDeviceCoordinateText(putText(end, QLatin1String(" , ")), segment.endPoint());
    const QString ends(reinterpret_cast<const QChar *>(buffer), end - buffer);
    return {segment.isClockwise() ? QStringLiteral("V D=+") : QStringLiteral("V D=-"),
            pointLine(QLatin1String("V X="), segment.centrePoint()), ends};
}

} // namespace Kaf

// The model's own names for the output stage.

QStringList Airspace::deviceRecord(int warningDistanceCm)
{
    if (!isFinished())
        finishDefinition();
    return Kaf::deviceRecord(*this, warningDistanceCm);
}

QString Airspace::errorText() const { return Kaf::errorText(*this); }

QString Airspace::deviceTypeText() const { return Kaf::deviceTypeText(*this); }

QStringList AirspaceSegment::deviceLines(bool withStart) const { return Kaf::deviceLines(*this, withStart); }
