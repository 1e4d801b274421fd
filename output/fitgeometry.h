#pragma once

// The geometry of the outline fitting: points, segments, boxes, grids of edges, the nearest
// edge and point in polygon, in a flat frame in metres. Internal to the fitting (the fit*.cpp
// files and outlinefit.cpp), not for other callers: they use outlinefit.h. The small helpers
// that the steps call in their inner loops are inline here.

#include "model/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

// Results must not depend on the compiler fusing a multiplication into an addition (each file
// of the fitting is compiled with -ffp-contract=off as well).
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace OutlineFitting {

// All geometry runs in a flat frame in metres around the outline. Straight lines are straight
// in longitude and latitude, so the frame is an affine map of those: containment and crossings
// are the same in both, only lengths are approximate far from the frame's middle latitude.
constexpr double CmPerMas = 3.0887479;   // the model's ratio, 30,887,479 / 10,000,000
constexpr double MetresPerMas = CmPerMas / 100.0;
// Points closer than this (m) count as touching.
constexpr double Touch = 1e-6;
constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double TableScale = 2147483648.0;   // sinMas and cosMas give values times 2^31

struct Vec {
    double x = 0;
    double y = 0;
};
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(Vec a, double s) { return {a.x * s, a.y * s}; }
inline bool operator==(Vec a, Vec b) { return a.x == b.x && a.y == b.y; }
inline double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
inline double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
inline double length(Vec a) { return std::sqrt(dot(a, a)); }

inline double pointSegmentDistance(Vec p, Vec a, Vec b)
{
    const Vec ab = b - a;
    const double l2 = dot(ab, ab);
    const double t = l2 > 0 ? std::clamp(dot(p - a, ab) / l2, 0.0, 1.0) : 0.0;
    return length(p - (a + ab * t));
}

inline bool segmentsCross(Vec a, Vec b, Vec c, Vec d)
{
    const double d1 = cross(b - a, c - a), d2 = cross(b - a, d - a);
    const double d3 = cross(d - c, a - c), d4 = cross(d - c, b - c);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

inline double segmentDistance(Vec a, Vec b, Vec c, Vec d)
{
    if (segmentsCross(a, b, c, d))
        return 0;
    return std::min(std::min(pointSegmentDistance(a, c, d), pointSegmentDistance(b, c, d)),
                    std::min(pointSegmentDistance(c, a, b), pointSegmentDistance(d, a, b)));
}

// The bounding box of a segment.
struct Box {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};

inline Box boxOf(Vec a, Vec b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// True when the boxes are farther apart than margin along an axis.
inline bool apart(const Box &p, const Box &q, double margin)
{
    return p.maxX + margin < q.minX || q.maxX + margin < p.minX || p.maxY + margin < q.minY || q.maxY + margin < p.minY;
}

// False when segments a-b and c-d are certainly farther apart than margin: their boxes are, or
// one lies wholly on one side of the other's line.
inline bool mayTouch(Vec a, Vec b, Vec c, Vec d, double margin)
{
    if (apart(boxOf(a, b), boxOf(c, d), margin))
        return false;
    const auto beside = [margin](Vec p, Vec q, Vec u, Vec v) {
        const Vec r = q - p;
        const double limit = margin * margin * dot(r, r);
        const double s1 = cross(r, u - p), s2 = cross(r, v - p);
        return ((s1 > 0 && s2 > 0) || (s1 < 0 && s2 < 0)) && s1 * s1 > limit && s2 * s2 > limit;
    };
    return !beside(a, b, c, d) && !beside(c, d, a, b);
}

// True when p lies in the closed triangle a, b, c (either orientation).
inline bool inClosedTriangle(Vec p, Vec a, Vec b, Vec c)
{
    const double d1 = cross(b - a, p - a), d2 = cross(c - b, p - b), d3 = cross(a - c, p - c);
    const bool hasNegative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool hasPositive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(hasNegative && hasPositive);
}

inline int64_t wrapDelta(int64_t delta)
{
    delta %= Mas::FullTurn;
    if (delta >= Mas::Half)
        delta -= Mas::FullTurn;
    else if (delta < -Mas::Half)
        delta += Mas::FullTurn;
    return delta;
}

inline double sine(int64_t angle)
{
    return sinMas(int32_t(wrapDelta(angle))) / TableScale;
}

inline double cosine(int64_t angle)
{
    return cosMas(int32_t(wrapDelta(angle))) / TableScale;
}

// ---------------------------------------------------------------------------------------------
// Uniform grids.

struct GridShape {
    double x0 = 0;
    double y0 = 0;
    double cell = 1;
    double perCell = 1;   // 1 / cell
    int nx = 1;
    int ny = 1;
    double lastColumn = 0;   // nx - 1
    double lastRow = 0;      // ny - 1

    // Cells about `preferred` wide, between one and four per item over the box.
    void setUp(double minX, double minY, double maxX, double maxY, std::size_t items, double preferred);
    // Clamped to the grid, NaN to 0.
    int column(double x) const { return int(std::min(std::max(0.0, (x - x0) * perCell), lastColumn)); }
    int row(double y) const { return int(std::min(std::max(0.0, (y - y0) * perCell), lastRow)); }
    // Every cell that a segment, widened by margin, touches. Border cells stand for
    // everything beyond them.
    template <typename F>
    void cells(Vec a, Vec b, double margin, F visit) const
    {
        const int c0 = column(std::min(a.x, b.x) - margin), c1 = column(std::max(a.x, b.x) + margin);
        if (c0 == c1) {
            // Most edges are shorter than a cell.
            const int r0 = row(std::min(a.y, b.y) - margin), r1 = row(std::max(a.y, b.y) + margin);
            for (int r = r0; r <= r1; ++r)
                visit(r * nx + c0);
            return;
        }
        const double dx = b.x - a.x, dy = b.y - a.y;
        for (int c = c0; c <= c1; ++c) {
            double ylo, yhi;
            const double xl = c == 0 ? -Infinity : x0 + c * cell - margin;
            const double xr = c == nx - 1 ? Infinity : x0 + (c + 1) * cell + margin;
            if (std::abs(dx) < 1e-12) {
                ylo = std::min(a.y, b.y);
                yhi = std::max(a.y, b.y);
            } else {
                double t0 = (xl - a.x) / dx, t1 = (xr - a.x) / dx;
                if (t0 > t1)
                    std::swap(t0, t1);
                t0 = std::max(t0, 0.0);
                t1 = std::min(t1, 1.0);
                if (t0 > t1)
                    continue;
                ylo = std::min(a.y + dy * t0, a.y + dy * t1);
                yhi = std::max(a.y + dy * t0, a.y + dy * t1);
            }
            const int r0 = row(ylo - margin), r1 = row(yhi + margin);
            for (int r = r0; r <= r1; ++r)
                visit(r * nx + c);
        }
    }
};

class SegmentGrid;

// Edges that come and go, each known by the node it starts at and that node's stamp. The
// edges of the outline as given may come from a fixed grid of them, with stamp 0.
class EdgeGrid
{
public:
    void setUp(const GridShape &shape, const SegmentGrid *base)
    {
        m_shape = shape;
        m_base = base;
        m_head.assign(std::size_t(shape.nx) * std::size_t(shape.ny), -1);
        m_entries.clear();
    }
    void insert(int edge, uint32_t stamp, Vec a, Vec b)
    {
        m_shape.cells(a, b, 0.0, [&](int cell) {
            m_entries.push_back({edge, stamp, m_head[std::size_t(cell)]});
            m_head[std::size_t(cell)] = int(m_entries.size()) - 1;
        });
    }
    // Calls visit(edge) for the current edges in the cells near a-b until it returns false;
    // entries of edges that are gone are dropped on the way.
    template <typename Current, typename Visit>
    bool visit(Vec a, Vec b, double margin, Current current, Visit visitEdge)
    {
        bool goOn = true;
        m_shape.cells(a, b, margin, [&](int cell) {
            if (!goOn)
                return;
            if (m_base)
                goOn = visitBase(std::size_t(cell), current, visitEdge);
            if (!goOn)
                return;
            int *link = &m_head[std::size_t(cell)];
            while (*link >= 0) {
                Entry &entry = m_entries[std::size_t(*link)];
                if (!current(entry.edge, entry.stamp)) {
                    *link = entry.next;
                    continue;
                }
                if (!visitEdge(entry.edge)) {
                    goOn = false;
                    return;
                }
                link = &entry.next;
            }
        });
        return goOn;
    }

private:
    template <typename Current, typename Visit>
    bool visitBase(std::size_t cell, Current current, Visit visitEdge) const;

    struct Entry {
        int edge;
        uint32_t stamp;
        int next;
    };
    GridShape m_shape;
    const SegmentGrid *m_base = nullptr;
    std::vector<int> m_head;
    std::vector<Entry> m_entries;
};

// The edges of a fixed closed polyline by grid cell.
class SegmentGrid
{
public:
    void build(const std::vector<Vec> &points);

    const std::vector<Vec> &points() const { return *m_points; }
    const GridShape &shape() const { return m_shape; }
    Vec start(int edge) const { return (*m_points)[std::size_t(edge)]; }
    Vec end(int edge) const { return (*m_points)[(std::size_t(edge) + 1) % m_points->size()]; }
    const Box &box(int edge) const { return m_boxes[std::size_t(edge)]; }

    // Calls visit(edge) for every edge listed in a cell (edges in several cells repeat).
    template <typename F>
    void inCell(std::size_t cell, F visit) const
    {
        for (int k = m_start[cell]; k < m_start[cell + 1]; ++k)
            visit(m_items[std::size_t(k)]);
    }
    std::size_t cellCount() const { return m_start.size() - 1; }
    std::size_t edgesIn(std::size_t cell) const { return std::size_t(m_start[cell + 1] - m_start[cell]); }
    // The cells that hold two edges or more.
    const std::vector<int> &sharedCells() const { return m_shared; }
    // Calls visit(i, j), i < j, for every two edges listed in the same cell.
    template <typename F>
    void pairsInCell(std::size_t cell, F visit) const
    {
        for (int k = m_start[cell]; k < m_start[cell + 1]; ++k) {
            for (int l = k + 1; l < m_start[cell + 1]; ++l) {
                const int x = m_items[std::size_t(k)], y = m_items[std::size_t(l)];
                visit(std::min(x, y), std::max(x, y));
            }
        }
    }
    // The same until visit returns false; false then.
    template <typename F>
    bool everyPairInCell(std::size_t cell, F visit) const
    {
        for (int k = m_start[cell]; k < m_start[cell + 1]; ++k) {
            for (int l = k + 1; l < m_start[cell + 1]; ++l) {
                const int x = m_items[std::size_t(k)], y = m_items[std::size_t(l)];
                if (!visit(std::min(x, y), std::max(x, y)))
                    return false;
            }
        }
        return true;
    }

private:
    // The length of the middle one of some evenly spread edges.
    double middleLength();
    // How many edges each cell holds, and which cells each edge is in.
    void countCells();
    // The edges of each cell, in edge order.
    void fillCells();

    const std::vector<Vec> *m_points = nullptr;
    GridShape m_shape;
    std::vector<int> m_start;
    std::vector<int> m_items;
    std::vector<int> m_cellsOf;
    std::vector<int> m_spread;   // the cells of the edges over several, in edge order
    std::vector<int> m_shared;   // the cells with two edges or more
    std::vector<double> m_lengths;
    std::vector<Box> m_boxes;   // of each edge
};

template <typename Current, typename Visit>
bool EdgeGrid::visitBase(std::size_t cell, Current current, Visit visitEdge) const
{
    bool goOn = true;
    m_base->inCell(cell, [&](int edge) {
        if (goOn && current(edge, 0u))
            goOn = visitEdge(edge);
    });
    return goOn;
}

// The nearest edge of a fixed closed polyline.
class NearestIndex
{
public:
    struct Hit {
        double distance = Infinity;
        int edge = -1;
    };

    void build(const std::vector<Vec> &points) { m_grid.build(points); }
    const SegmentGrid &grid() const { return m_grid; }

    double edgeDistance(Vec p, int edge) const
    {
        return pointSegmentDistance(p, m_grid.start(edge), m_grid.end(edge));
    }

    // The nearest edge to p; of equally near ones the first.
    Hit nearest(Vec p) const;

    // The largest distance of a point of segment a-b from the polyline, or `floor` when that
    // is larger.
    double segmentHausdorff(Vec a, Vec b, double floor) const;

private:
    SegmentGrid m_grid;
    struct Sample {
        double t;
        Hit hit;
    };
    mutable std::vector<std::pair<Sample, Sample>> m_work;
};

// Point in polygon for many points: the polygon's edges sorted into horizontal bands.
class PolygonIndex
{
public:
    void build(const std::vector<Vec> &points);

    // Inside, or within tolerance of the boundary.
    bool covers(Vec p, double tolerance) const
    {
        const int k = band(p.y);
        bool inside = false;
        for (int j = m_start[std::size_t(k)]; j < m_start[std::size_t(k) + 1]; ++j) {
            const Item &item = m_items[std::size_t(j)];
            if ((item.a.y > p.y) != (item.b.y > p.y) && item.a.x + (p.y - item.a.y) * item.slope > p.x)
                inside = !inside;
        }
        if (inside)
            return true;
        // An edge within the tolerance reaches into the bands of that height around p.
        const int last = band(p.y + tolerance);
        for (int b = band(p.y - tolerance); b <= last; ++b) {
            for (int j = m_start[std::size_t(b)]; j < m_start[std::size_t(b) + 1]; ++j) {
                const Item &item = m_items[std::size_t(j)];
                if (pointSegmentDistance(p, item.a, item.b) <= tolerance)
                    return true;
            }
        }
        return false;
    }

private:
    struct Item {
        Vec a, b;
        double slope;   // dx / dy
    };
    int band(double y) const { return int(std::min(std::max(0.0, (y - m_minY) * m_perBand), double(m_bands - 1))); }

    double m_minY = 0;
    double m_perBand = 1;
    int m_bands = 1;
    std::vector<int> m_start;
    std::vector<Item> m_items;
    std::vector<std::pair<int, int>> m_spans;   // the bands of each edge
};

// The area enclosed by a closed polyline, negative when it runs clockwise.
double signedArea(const std::vector<Vec> &points);

} // namespace OutlineFitting
