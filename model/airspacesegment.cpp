#include "model/airspacesegment.h"

AirspaceSegment::AirspaceSegment(GeoPoint from, GeoPoint to) : m_startPoint(from), m_endPoint(to) {}
AirspaceSegment::AirspaceSegment(SegmentKind kind, GeoPoint from, GeoPoint to, GeoPoint centre, int32_t radius,
                                 int32_t startAngle, int32_t endAngle, bool clockwise)
    : m_startPoint(from), m_endPoint(to), m_clockwise(clockwise), m_radius(radius), m_startAngle(startAngle),
      m_endAngle(endAngle), m_centrePoint(centre), m_kind(kind)
{
}
AirspaceSegment::~AirspaceSegment() = default;
QString AirspaceSegment::debugText() const { return {}; }
QStringList AirspaceSegment::kmlCoordinates(int, bool) const { return {}; }
DistanceBearing AirspaceSegment::distanceTo(GeoPoint, bool) const { return {}; }
void AirspaceSegment::reverse() {}
int AirspaceSegment::sideOf(GeoPoint) const { return 0; }
int64_t AirspaceSegment::areaTerm() const { return 0; }
void AirspaceSegment::auxPoints(GeoPoint &first, GeoPoint &second) const { first = m_auxPoints[0]; second = m_auxPoints[1]; }
void AirspaceSegment::setAuxPoints(GeoPoint first, GeoPoint second) { m_auxPoints[0] = first; m_auxPoints[1] = second; }
void AirspaceSegment::addError(const QString &text) { m_hasError = true; m_errorText += text; }
int orientation(const SegmentList &) { return 0; }
