#include "model/airspacesegment.h"

#include "model/geometry.h"

#include <QObject>

#include <algorithm>
#include <utility>

AirspaceSegment::AirspaceSegment(GeoPoint from, GeoPoint to) : m_startPoint(from), m_endPoint(to) {}

AirspaceSegment::AirspaceSegment(SegmentKind kind, GeoPoint from, GeoPoint to, GeoPoint centre, int32_t radius,
                                 int32_t startAngle, int32_t endAngle, bool clockwise)
    : m_startPoint(from), m_endPoint(to), m_centrePoint(centre), m_radius(radius), m_startAngle(startAngle),
      m_endAngle(endAngle), m_kind(int8_t(kind)), m_clockwise(clockwise)
{
}

AirspaceSegment::~AirspaceSegment() = default;

namespace {

QString degreesText(int32_t mas, int width, int decimals)
{
    return QStringLiteral("%1").arg(double(mas) / Mas::Degree, width, 'f', decimals);
}

QString pointText(GeoPoint p)
{
    return QStringLiteral("%1 / %2").arg(degreesText(p.lat, 8, 5), degreesText(p.lon, 8, 5));
}

QString kmlPoint(GeoPoint p, int altitude)
{
    return QStringLiteral("%1,%2,%3")
        .arg(degreesText(p.lon, 0, 6), degreesText(p.lat, 0, 6), QString::number(altitude));
}

// The shoelace term of one straight piece, on coordinates cut to arc-seconds so that
// the 64-bit sum cannot overflow.
int64_t lineTerm(GeoPoint from, GeoPoint to)
{
    int64_t dx = int64_t(to.lon / 1000) - from.lon / 1000;
    // An edge across 180 degrees runs the short way, as the geometry measures it.
    const int64_t step = longitudeStep(from.lon, to.lon);
    if (step != int64_t(to.lon) - from.lon)
        dx = step / 1000;
    return (int64_t(from.lat / 1000) + to.lat / 1000) * dx;
}

// Only the sign of the sum matters; an absurdly long outline must not overflow it.
inline void addWrapping(int64_t &sum, int64_t term)
{
    sum = static_cast<int64_t>(static_cast<uint64_t>(sum) + static_cast<uint64_t>(term));
}

} // namespace

QString AirspaceSegment::debugText() const
{
    if (m_kind == Line) {
        return QStringLiteral(" > typ: %1     || sp: %2  || ep: %3")
            .arg(QStringLiteral("Line"), 10)
            .arg(pointText(m_startPoint), pointText(m_endPoint));
    }
    return QStringLiteral(" > typ: %1     || sp: %2  || ep: %3  || cp: %4  || sw: %5  || ew: %6  || dir: %7")
        .arg(QStringLiteral("Arc/Circle"), 10)
        .arg(pointText(m_startPoint), pointText(m_endPoint), pointText(m_centrePoint),
             degreesText(m_startAngle, 4, 3), degreesText(m_endAngle, 4, 3),
             m_clockwise ? QStringLiteral("cw") : QStringLiteral("ccw"));
}

QStringList AirspaceSegment::kmlCoordinates(int altitude, bool isFirst) const
{
    QStringList lines;
    if (isFirst)
        lines << kmlPoint(m_startPoint, altitude);
    lines << kmlPoint(m_endPoint, altitude);
    return lines;
}

DistanceBearing AirspaceSegment::distanceTo(GeoPoint point, bool) const
{
    const DistanceBearing toStart = distanceAndBearing(point, m_startPoint);
    const DistanceBearing toEnd = distanceAndBearing(point, m_endPoint);
    return toEnd.distance < toStart.distance ? toEnd : toStart;
}

void AirspaceSegment::reverse()
{
    std::swap(m_startPoint, m_endPoint);
    std::swap(m_startAngle, m_endAngle);
    m_clockwise = !m_clockwise;
}

int AirspaceSegment::sideOf(GeoPoint point) const
{
    // Cross product of the chord and the point, in double: the 64-bit product could overflow.
    const double cross = (double(m_endPoint.lon) - m_startPoint.lon) * (double(point.lat) - m_startPoint.lat)
                         - (double(m_endPoint.lat) - m_startPoint.lat) * (double(point.lon) - m_startPoint.lon);
    return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
}

int64_t AirspaceSegment::areaTerm() const
{
    if (m_kind == Line)
        return lineTerm(m_startPoint, m_endPoint);

    // Arcs and circles: a chord polyline with a point every 10 degrees. Bearings are
    // computed in 64 bits, since an end bearing plus a full turn leaves the 32-bit range.
    constexpr int64_t step = 10 * int64_t(Mas::Degree);
    const int64_t start = m_startAngle;
    int64_t end = m_endAngle;
    const int64_t direction = m_clockwise ? 1 : -1;
    if (m_clockwise && start >= end)
        end += Mas::FullTurn;
    else if (!m_clockwise && start <= end)
        end -= Mas::FullTurn;

    int64_t sum = 0;
    GeoPoint previous = m_startPoint;
    for (int64_t bearing = start + direction * step;
         m_clockwise ? bearing <= end : bearing >= end; bearing += direction * step) {
        int64_t b = bearing % Mas::FullTurn;
        if (b < 0)
            b += Mas::FullTurn;
        const GeoPoint chordPoint = destinationPoint(m_centrePoint, m_radius, int32_t(b));
        addWrapping(sum, lineTerm(previous, chordPoint));
        previous = chordPoint;
    }
    // The polyline always ends at the end point, so that the outline's sum has no gap.
    addWrapping(sum, lineTerm(previous, m_endPoint));
    return sum;
}

void AirspaceSegment::auxPoints(GeoPoint &first, GeoPoint &second) const
{
    first = m_auxPoints[0];
    second = m_auxPoints[1];
}

void AirspaceSegment::setAuxPoints(GeoPoint first, GeoPoint second)
{
    m_auxPoints[0] = first;
    m_auxPoints[1] = second;
}

void AirspaceSegment::addError(const QString &text)
{
    m_hasError = true;
    m_errorText += text;
}

int orientation(const SegmentList &segments)
{
    if (segments.empty())
        return 0;
    if (segments.size() == 1) {
        const AirspaceSegment &only = *segments.front();
        if (only.kind() == Line)
            return 0;
        return only.isClockwise() ? 1 : -1;
    }

    // Every gap in the outline, also between consecutive segments, is bridged by a straight
    // term; without it the sum picks up an error far larger than a small airspace's area.
    int64_t sum = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const AirspaceSegment &segment = *segments[i];
        addWrapping(sum, segment.areaTerm());
        const GeoPoint next = segments[(i + 1) % segments.size()]->startPoint();
        if (segment.endPoint() != next)
            addWrapping(sum, lineTerm(segment.endPoint(), next));
    }
    return sum > 0 ? 1 : (sum < 0 ? -1 : 0);
}

SegmentPtr makeCircleSegment(GeoPoint centre, int32_t radiusCm)
{
    const GeoPoint start = circleStartPoint(centre, radiusCm);
    return std::make_shared<AirspaceSegment>(Circle, start, start, centre, radiusCm, 0, Mas::FullTurn, true);
}

ArcConstruction makeArcSegment(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise)
{
    const DistanceBearing first = distanceAndBearing(centre, from);
    const DistanceBearing second = distanceAndBearing(centre, to);
    const int64_t diff = int64_t(first.distance) - second.distance;

    ArcConstruction result;
    GeoPoint start = from;
    GeoPoint end = to;
    // More than a metre apart: the nearer end moves out to the larger radius, and a short
    // line keeps the outline joined to the given point.
    if (diff < -100) {
        start = destinationPoint(centre, second.distance, first.bearing);
        result.connectingLine = std::make_shared<AirspaceSegment>(from, start);
        result.lineBeforeArc = true;
    } else if (diff > 100) {
        end = destinationPoint(centre, first.distance, second.bearing);
        result.connectingLine = std::make_shared<AirspaceSegment>(end, to);
    }

    result.arc = std::make_shared<AirspaceSegment>(to == from ? Circle : Arc, start, end, centre,
                                                   std::max(first.distance, second.distance),
                                                   first.bearing, second.bearing, clockwise);
    // 0.2 NM (37,040 cm) or more is too much to repair silently.
    if (diff < -37039 || diff > 37039)
        result.arc->addError(QObject::tr("radius difference > 0.2[nm]"));
    return result;
}
