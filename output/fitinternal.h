#pragma once

// The steps of the outline fitting, between fitOutline (outlinefit.cpp) and the files that do
// them: reading the outline and laying it flat (fitpolyline.cpp), tracing the outer boundary
// of one that touches itself (fittrace.cpp) and the greedy simplifier (fitsimplify.cpp).
// Internal to the fitting, not for other callers: they use outlinefit.h.

#include "model/airspacesegment.h"
#include "output/fitgeometry.h"

namespace OutlineFitting {

// ---------------------------------------------------------------------------------------------
// The outline as a closed polyline.

// One element of the outline: a straight line or an arc, in whole units with longitudes
// continued across 180 degrees.
struct Element {
    int64_t from[2] = {0, 0};
    int64_t to[2] = {0, 0};
    GeoPoint rawFrom;
    GeoPoint rawTo;
    int segment = -1;   // an arc or circle of the input, else -1
    int64_t centre[2] = {0, 0};
    double radiusCm = 0;
    int64_t startAngle = 0;
    int64_t sweep = 0;   // signed: positive clockwise

    void reverse()
    {
        std::swap(from[0], to[0]);
        std::swap(from[1], to[1]);
        std::swap(rawFrom, rawTo);
        if (segment >= 0) {
            startAngle += sweep;
            sweep = -sweep;
        }
    }
};

// A corner of the outline laid flat.
struct Vertex {
    Vec p;
    GeoPoint raw;          // the given point, for points of the input
    bool exact = false;    // a point of the input
    bool locked = false;   // on an arc that is kept
    int arc = -1;          // the kept arc whose stand-in edge starts here
    double offset = 0;     // how far (m) it was moved off the original outline
};

// The flat frame of one outline: metres east and north of (lon0, lat0).
struct Frame {
    int64_t lon0 = 0;
    int64_t lat0 = 0;
    double sx = MetresPerMas;
    double sy = MetresPerMas;

    Vec toPlane(double lon, double lat) const { return {(lon - double(lon0)) * sx, (lat - double(lat0)) * sy}; }
    Vec toPlane(const int64_t point[2]) const { return toPlane(double(point[0]), double(point[1])); }
    // Whole units, longitude brought back into [-180, 180) degrees; false when out of range.
    bool toGeo(Vec p, GeoPoint &out) const
    {
        const double lon = std::round(p.x / sx), lat = std::round(p.y / sy);
        if (!std::isfinite(lon) || !std::isfinite(lat) || std::abs(lon) > 4e9 || std::abs(lat) > 2e9)
            return false;
        const int64_t wrapped = wrapDelta(lon0 + int64_t(lon));
        const int64_t latitude = lat0 + int64_t(lat);
        if (latitude < std::numeric_limits<int32_t>::min() || latitude > std::numeric_limits<int32_t>::max())
            return false;
        out = GeoPoint(int32_t(wrapped), int32_t(latitude));
        return true;
    }
};

// Reads the input into elements; false for an outline that cannot be laid flat.
bool readElements(const SegmentList &outline, std::vector<Element> &elements);

// The outline as a polyline in the working direction, with each arc replaced by a polyline on
// the side to which the outline may grow (its left): corners of tangents around an arc that
// turns right, chords inside one that turns left.
struct Polyline {
    std::vector<Vertex> vertices;
    std::vector<int> arcSegments;   // input index of each kept arc
    double arcOffset = 0;           // how far the arcs' polylines lie off the arcs at most (m)
};

// The elements as a polyline in the frame, arcs of a metre or more kept whole when keepArcs;
// false for fewer than three corners, or an arc whose ends do not lie on its circle.
bool buildPolyline(const Frame &frame, const std::vector<Element> &elements, bool keepArcs, Polyline &line);

// ---------------------------------------------------------------------------------------------
// An outline that crosses or touches itself: the boundary of everything it encloses.

enum class Trace {
    Clear,     // the outline neither crosses nor touches itself
    Traced,    // replaced by the boundary of what it encloses
    Tangled,   // so many contacts that working them out would take too long
};

// Replaces a crossing or touching outline by the boundary of the union of what it encloses,
// walked with that union on the right. Kept arcs that do not survive whole lose their mark.
// The grid of the vertices' points may be given.
Trace traceOuterBoundary(std::vector<Vertex> &vs, const SegmentGrid *given);

// ---------------------------------------------------------------------------------------------
// Fitting: the outline grows to its left by steps that each save one segment, the step that
// leaves the smallest error first.

// A corner of the outline as the simplifier changes it, linked to its neighbours.
struct Node {
    Vec p;
    int prev = -1;
    int next = -1;
    int vertex = -1;        // the polyline vertex it stands on, -1 for a new corner
    int arc = -1;           // the kept arc that the edge from here belongs to
    bool locked = false;
    bool alive = true;
    double error = 0;       // bound of the distance (m) of that edge from the original outline
    double reach = 0;       // bound of the distance (m) of the node itself from it
};

// Steps until the outline of `nodes`, `count` segments long (a kept arc counts once), has no
// more than `target`; false when stuck. `base` holds the nodes' edges as they start, when node
// i starts edge i of it; else the edges go into a grid of the given shape. The nodes come back
// as the steps leave them: the removed ones no longer alive, new corners at the end.
bool simplify(std::vector<Node> &nodes, int count, int target, const GridShape &shape, const SegmentGrid *base);

} // namespace OutlineFitting
