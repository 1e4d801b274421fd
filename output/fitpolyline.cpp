#include "output/fitinternal.h"

// Reading the outline into elements, and laying it flat as a polyline.

namespace OutlineFitting {
namespace {

// An arc takes part as a polyline on its outer side, at most this far (m) from the arc.
constexpr double ArcTolerance = 0.5;
constexpr int MaxArcSteps = 720;
constexpr std::size_t MaxArcPoints = 40000;   // for all arcs of an outline together
constexpr double MasPerRadian = 648000000.0 / 3.14159265358979323846;

// The longitude (continued units) of p, reached from a point at `lon` that was given as `raw`:
// a step across 180 degrees goes on instead of jumping back by a whole turn.
inline int64_t continuedLon(int64_t lon, GeoPoint raw, GeoPoint p)
{
    return lon + wrapDelta(int64_t(p.lon) - raw.lon);
}

// A straight element from `from` (given as rawFrom) to `to`, its longitude continued.
Element lineElement(const int64_t from[2], GeoPoint rawFrom, GeoPoint to)
{
    Element line;
    line.from[0] = from[0];
    line.from[1] = from[1];
    line.rawFrom = rawFrom;
    line.to[0] = continuedLon(from[0], rawFrom, to);
    line.to[1] = to.lat;
    line.rawTo = to;
    return line;
}

// An arc or circle of the input, number `index` of it, from `from` (given as rawFrom) to `end`.
Element arcElement(const AirspaceSegment &segment, int index, const int64_t from[2], GeoPoint rawFrom, GeoPoint end)
{
    Element arc = lineElement(from, rawFrom, end);
    arc.segment = index;
    const GeoPoint centre = segment.centrePoint();
    arc.centre[0] = continuedLon(from[0], rawFrom, centre);
    arc.centre[1] = centre.lat;
    arc.radiusCm = double(segment.radius());
    int64_t s = segment.startAngle() % Mas::FullTurn, e = segment.endAngle() % Mas::FullTurn;
    s += s < 0 ? Mas::FullTurn : 0;
    e += e < 0 ? Mas::FullTurn : 0;
    // Equal angles sweep a whole turn, as in the winding of the model.
    if (segment.isClockwise())
        arc.sweep = e > s ? e - s : e - s + Mas::FullTurn;
    else
        arc.sweep = e < s ? e - s : e - s - Mas::FullTurn;
    arc.startAngle = s;
    return arc;
}

// A point of an arc as the model's destination function places it.
Vec arcPoint(const Frame &frame, const Element &arc, int64_t bearing)
{
    const double dLat = arc.radiusCm * cosine(bearing) / CmPerMas;
    const double lat = double(arc.centre[1]) + dLat;
    const double meanLat = std::clamp(0.5 * (double(arc.centre[1]) + lat), -double(Mas::Quarter), double(Mas::Quarter));
    const double east = cosine(int64_t(meanLat));
    const double dLon = east > 1e-9 ? arc.radiusCm * sine(bearing) / (CmPerMas * east) : 0.0;
    return frame.toPlane(double(arc.centre[0]) + dLon, lat);
}

// False for an arc whose ends do not lie on its circle where its angles say, which no
// construction of the model makes and no drawing of it can be trusted for.
bool addArcPolyline(const Frame &frame, const Element &arc, int arcId, int maxSteps, Polyline &line)
{
    const double radius = arc.radiusCm / 100.0;
    const double slack = 10.0 + 1e-3 * radius;
    if (length(arcPoint(frame, arc, arc.startAngle) - frame.toPlane(arc.from)) > slack
        || length(arcPoint(frame, arc, arc.startAngle + arc.sweep) - frame.toPlane(arc.to)) > slack)
        return false;
    const double sweep = std::abs(double(arc.sweep));
    const double stepLimit = std::min(std::sqrt(8.0 * ArcTolerance / std::max(radius, 1e-3)) * MasPerRadian,
                                      5.0 * Mas::Degree);
    const int steps = int(std::clamp(std::ceil(sweep / std::max(stepLimit, 1.0)), 1.0, double(maxSteps)));
    const double stepRadians = sweep / steps / MasPerRadian;
    line.arcOffset = std::max(line.arcOffset, radius * stepRadians * stepRadians / 8.0 * 1.01);
    const bool outerSide = arc.sweep > 0;   // turning right: its left is the outer side
    const auto bearing = [&](int k) { return arc.startAngle + (arc.sweep * k) / steps; };
    const auto point = [&](int k) {
        return k == 0 ? frame.toPlane(arc.from) : (k == steps ? frame.toPlane(arc.to) : arcPoint(frame, arc, bearing(k)));
    };
    const auto tangent = [&](int k) {
        const int64_t h = std::max<int64_t>(int64_t(sweep / steps / 8), 1000) * (arc.sweep > 0 ? 1 : -1);
        return arcPoint(frame, arc, bearing(k) + h) - arcPoint(frame, arc, bearing(k) - h);
    };
    Vertex start;
    start.p = frame.toPlane(arc.from);
    start.raw = arc.rawFrom;
    start.exact = true;
    start.locked = true;
    start.arc = arcId;
    line.vertices.push_back(start);
    Vec previous = point(0), previousTangent = tangent(0);
    for (int k = 1; k <= steps; ++k) {
        const Vec here = point(k);
        Vertex v;
        v.locked = true;
        v.arc = arcId;
        if (outerSide) {
            const Vec t = tangent(k);
            const double den = cross(previousTangent, t);
            v.p = std::abs(den) > 1e-12 * length(previousTangent) * length(t)
                          ? previous + previousTangent * (cross(here - previous, t) / den)
                          : (previous + here) * 0.5;
            previousTangent = t;
        } else {
            if (k == steps)
                break;
            v.p = here;
        }
        line.vertices.push_back(v);
        previous = here;
    }
    return true;
}

} // namespace

bool readElements(const SegmentList &outline, std::vector<Element> &elements)
{
    bool started = false;
    int64_t current[2] = {0, 0}, first[2] = {0, 0};
    GeoPoint currentRaw, firstRaw;
    const auto addLine = [&](GeoPoint to) {
        const Element line = lineElement(current, currentRaw, to);
        if (line.from[0] != line.to[0] || line.from[1] != line.to[1])
            elements.push_back(line);
        current[0] = line.to[0];
        current[1] = line.to[1];
        currentRaw = to;
    };
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const AirspaceSegment *segment = outline[i].get();
        if (!segment)
            continue;
        const GeoPoint start = segment->startPoint(), end = segment->endPoint();
        if (!started) {
            started = true;
            current[0] = first[0] = start.lon;
            current[1] = first[1] = start.lat;
            currentRaw = firstRaw = start;
        } else if (start != currentRaw) {
            addLine(start);
        }
        if (segment->kind() == Line) {
            addLine(end);
            continue;
        }
        elements.push_back(arcElement(*segment, int(i), current, currentRaw, end));
        current[0] = elements.back().to[0];
        current[1] = elements.back().to[1];
        currentRaw = end;
    }
    if (!started)
        return false;
    if (currentRaw != firstRaw)
        addLine(firstRaw);
    // An outline around a pole does not close in continued longitudes.
    return current[0] == first[0] && current[1] == first[1];
}

bool buildPolyline(const Frame &frame, const std::vector<Element> &elements, bool keepArcs, Polyline &line)
{
    // Many arcs share a limit on their points; the offset grows instead.
    const std::size_t arcs = std::size_t(std::count_if(elements.begin(), elements.end(), [](const Element &e) { return e.segment >= 0; }));
    const int maxSteps = int(std::clamp<std::size_t>(MaxArcPoints / std::max<std::size_t>(arcs, 1), 8, MaxArcSteps));
    for (const Element &element : elements) {
        if (element.segment >= 0 && keepArcs && element.radiusCm >= 100) {
            const int arcId = int(line.arcSegments.size());
            line.arcSegments.push_back(element.segment);
            if (!addArcPolyline(frame, element, arcId, maxSteps, line))
                return false;
            continue;
        }
        if (element.segment >= 0) {
            // An arc that is not kept still counts with its outer polyline.
            Polyline loose;
            if (!addArcPolyline(frame, element, 0, maxSteps, loose))
                return false;
            line.arcOffset = std::max(line.arcOffset, loose.arcOffset);
            for (Vertex v : loose.vertices) {
                v.locked = false;
                v.arc = -1;
                line.vertices.push_back(v);
            }
            continue;
        }
        Vertex v;
        v.p = frame.toPlane(element.from);
        v.raw = element.rawFrom;
        v.exact = true;
        line.vertices.push_back(v);
    }
    // The end of a kept arc is the start of the next element.
    std::vector<Vertex> &vs = line.vertices;
    for (std::size_t i = 0; i < vs.size(); ++i) {
        if (vs[i].arc >= 0)
            vs[(i + 1) % vs.size()].locked = true;
    }
    // Points repeated in a row (rounding at arc ends) would make zero-length edges.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < vs.size(); ++i) {
        if (kept > 0 && vs[kept - 1].p == vs[i].p) {
            vs[kept - 1].locked = vs[kept - 1].locked || vs[i].locked;
            if (vs[kept - 1].arc < 0)
                vs[kept - 1].arc = vs[i].arc;
            continue;
        }
        if (kept != i)
            vs[kept] = vs[i];
        ++kept;
    }
    vs.resize(kept);
    while (vs.size() > 1 && vs.back().p == vs.front().p) {
        vs.front().locked = vs.front().locked || vs.back().locked;
        vs.pop_back();
    }
    return vs.size() >= 3;
}

} // namespace OutlineFitting
