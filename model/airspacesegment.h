#pragma once

#include "model/geopoint.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One boundary element of an outline: a straight line, a full circle or an arc.
// Arcs and circles are made by makeArcSegment / makeCircleSegment (below).
class AirspaceSegment
{
public:
    // A straight line from `from` to `to`.
    AirspaceSegment(GeoPoint from, GeoPoint to);
    // An arc or circle; made by the constructions in geometry.h.
    AirspaceSegment(SegmentKind kind, GeoPoint from, GeoPoint to, GeoPoint centre, int32_t radius,
                    int32_t startAngle, int32_t endAngle, bool clockwise);
    AirspaceSegment(const AirspaceSegment &) = default;
    AirspaceSegment &operator=(const AirspaceSegment &) = default;
    virtual ~AirspaceSegment();

    virtual QString debugText() const;
    // KML "lon,lat,alt" lines of the element's defining points (the start point only on
    // the first element, so consecutive elements do not repeat a shared corner).
    virtual QStringList kmlCoordinates(int altitude, bool isFirst) const;
    // The element's lines in the kaf file; a line writes its start point too when
    // withStart (the first element, or one that does not start where the one before ended).
    virtual QStringList deviceLines(bool withStart) const;
    virtual DistanceBearing distanceTo(GeoPoint point, bool useEllipsoid) const;
    // Exchanges start and end (points and angles) and inverts the direction.
    virtual void reverse();
    // -1, 0 or +1: the side of the chord from start to end on which the point lies.
    virtual int sideOf(GeoPoint point) const;
    // This element's term of the shoelace sum that decides the winding of an outline.
    virtual int64_t areaTerm() const;

    virtual bool hasError() const { return m_hasError; }
    virtual GeoPoint startPoint() const { return m_startPoint; }
    virtual GeoPoint endPoint() const { return m_endPoint; }
    virtual int32_t radius() const { return m_radius; }
    virtual int32_t startAngle() const { return m_startAngle; }
    virtual int32_t endAngle() const { return m_endAngle; }
    virtual GeoPoint centrePoint() const { return m_centrePoint; }
    virtual bool isClockwise() const { return m_clockwise; }
    virtual QString errorText() const { return m_errorText; }
    virtual int32_t kind() const { return m_kind; }
    virtual void auxPoints(GeoPoint &first, GeoPoint &second) const;
    virtual void setEndPoint(GeoPoint point) { m_endPoint = point; }
    virtual void setAuxPoints(GeoPoint first, GeoPoint second);
    // Marks the element faulty; texts of several faults are appended.
    void addError(const QString &text);

private:
    // Ordered for size: an outline holds one of these per corner.
    GeoPoint m_startPoint;
    GeoPoint m_endPoint;
    GeoPoint m_centrePoint;
    GeoPoint m_auxPoints[2];
    int32_t m_radius = 0;
    int32_t m_startAngle = 0;
    int32_t m_endAngle = 0;
    int8_t m_kind = Line;
    bool m_hasError = false;
    bool m_clockwise = false;
    QString m_errorText;
};

using SegmentPtr = std::shared_ptr<AirspaceSegment>;
using SegmentList = std::vector<SegmentPtr>;

// A group of segments, made by finishDefinition from the whole outline.
class AirspaceSubBlock
{
public:
    AirspaceSubBlock() = default;
    explicit AirspaceSubBlock(const SegmentList &list) : segments(list) {}
    void append(const SegmentList &list) { segments.insert(segments.end(), list.begin(), list.end()); }

    SegmentList segments;
};

// A full circle about centre: start and end due north of the centre, clockwise.
SegmentPtr makeCircleSegment(GeoPoint centre, int32_t radiusCm);

struct ArcConstruction {
    SegmentPtr arc;
    // Set when one end was moved out to the larger radius: the line that joins the given
    // point to the moved one. It starts at the given start point when the start was moved.
    SegmentPtr connectingLine;
    // The start was moved: the connecting line leads from the given start to the arc.
    // Otherwise it leads from the moved end on to the given end.
    bool lineBeforeArc = false;
};

// An arc from `from` to `to` about centre. Radii that differ by 0.2 NM or more mark the
// arc faulty; a difference above one metre moves the nearer end out to the larger radius.
ArcConstruction makeArcSegment(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise);

// -1 counter-clockwise, 0 undecided, +1 clockwise (north up). Needs at least one segment.
int orientation(const SegmentList &segments);
