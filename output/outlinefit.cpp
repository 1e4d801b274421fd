#include "output/outlinefit.h"

#include "output/fitinternal.h"

// Fitting an outline: lay it flat, trace it when it touches itself, simplify it, then check
// and write what came out. The steps live in the fit*.cpp files, their shared parts in
// fitinternal.h and fitgeometry.h.

namespace OutlineFitting {
namespace {

// How far (m) rounding a corner to whole milli-arc-seconds can move an edge, at most.
constexpr double RoundingSlack = 0.05;
// What the final check accepts (m) between the written outline and the original.
constexpr double CheckTolerance = 1.0;
// Outlines that span more longitude than this (some 300 degrees) are not laid flat.
constexpr int64_t MaxSpanMas = int64_t(1) << 30;

// A line or a kept arc of the written outline.
struct Piece {
    int arc;   // -1 for a line
    GeoPoint from, to;
    Vec a, b;
    double bound;   // of its distance from the original
};

// A line with the bound of its distance, stretched by how much longer an east step is where it
// lies than the frame says.
struct Ranked {
    const Piece *piece;
    double stretch;
    double bound;   // stretched
};

// Where an edge starts from the left.
struct Left {
    double minX;
    std::size_t edge;
};

inline bool operator<(const Left &a, const Left &b)
{
    return a.minX < b.minX || (a.minX == b.minX && a.edge < b.edge);
}

// Sorts items that come in long rising or falling runs, as the edges of an outline do by where
// they start: the runs are merged, which costs far less than sorting from scratch. Items must
// all differ.
template <typename T>
void sortRuns(std::vector<T> &items, std::vector<T> &buffer, std::vector<std::size_t> &starts)
{
    // The runs, falling ones turned round, and where each starts.
    starts.clear();
    for (std::size_t i = 0, n = items.size(); i < n;) {
        std::size_t end = i + 1;
        const bool falling = end < n && items[end] < items[i];
        while (end < n && (items[end] < items[end - 1]) == falling)
            ++end;
        if (falling)
            std::reverse(items.begin() + std::ptrdiff_t(i), items.begin() + std::ptrdiff_t(end));
        starts.push_back(i);
        i = end;
    }
    // Neighbouring runs merged in rounds.
    buffer.resize(items.size());
    while (starts.size() > 1) {
        std::size_t kept = 0;
        for (std::size_t r = 0; r < starts.size(); r += 2) {
            const auto from = items.begin() + std::ptrdiff_t(starts[r]);
            const auto middle = r + 1 < starts.size() ? items.begin() + std::ptrdiff_t(starts[r + 1]) : items.end();
            const auto to = r + 2 < starts.size() ? items.begin() + std::ptrdiff_t(starts[r + 2]) : items.end();
            std::merge(from, middle, middle, to, buffer.begin() + (from - items.begin()));
            starts[kept++] = starts[r];
        }
        starts.resize(kept);
        items.swap(buffer);
    }
}

// The memory of one fit at a time, kept per thread so that it is taken only once.
struct Workspace {
    std::vector<Element> elements;
    Polyline line;
    std::vector<Vec> points;
    std::vector<Vertex> start;
    std::vector<Node> nodes;
    NearestIndex index;
    PolygonIndex polygon;
    std::vector<Vec> written;
    std::vector<char> kept;
    std::vector<Piece> pieces;
    std::vector<Ranked> ranked;
    std::vector<Box> boxes;
    std::vector<Left> byLeft;
    std::vector<Left> leftBuffer;
    std::vector<std::size_t> runs;
};

// One fit of an outline, with arcs kept whole first, then as polylines, then the convex hull.
class Fitter
{
public:
    Fitter(const SegmentList &outline, int maxSegments, FitSide side, Workspace &work)
        : m_outline(outline), m_target(maxSegments), m_side(side), m_elements(work.elements), m_line(work.line),
          m_points(work.points), m_start(work.start), m_nodes(work.nodes), m_index(work.index),
          m_polygon(work.polygon), m_written(work.written),
          m_kept(work.kept), m_pieces(work.pieces), m_ranked(work.ranked),
          m_boxes(work.boxes), m_byLeft(work.byLeft), m_leftBuffer(work.leftBuffer), m_runs(work.runs)
    {
        m_elements.clear();
        clearLine();
    }

    OutlineFit run()
    {
        OutlineFit result;
        if (m_target < 3 || !prepare())
            return result;
        const bool arcs = std::any_of(m_elements.begin(), m_elements.end(), [](const Element &e) { return e.segment >= 0; });
        // Arcs kept whole, then arcs as polylines, then the convex hull.
        for (int attempt = arcs ? 0 : 1; attempt < 3 && result.segments.empty(); ++attempt) {
            // Without arcs, the polyline made to find the direction may serve as it is.
            if (!(attempt == 1 && m_lineReady)) {
                clearLine();
                if (!buildPolyline(m_frame, m_elements, attempt == 0, m_line))
                    return result;
            }
            // The polyline made to find the direction has its points already.
            if (!(attempt == 1 && m_lineReady)) {
                m_points.clear();
                for (const Vertex &v : m_line.vertices)
                    m_points.push_back(v.p);
            }
            m_lineReady = false;
            m_index.build(m_points);
            int count = 0;
            const SegmentGrid *base = nullptr;
            m_startIsLine = true;
            if (attempt < 2) {
                m_start = m_line.vertices;
                base = &m_index.grid();
                // Moving the visits of a touching point apart can make new contacts nearby:
                // trace again until the boundary is clear of itself.
                Trace trace = Trace::Traced;
                for (int pass = 0; pass < 4 && trace == Trace::Traced; ++pass) {
                    trace = traceOuterBoundary(m_start, pass == 0 ? &m_index.grid() : nullptr);
                    if (trace == Trace::Clear)
                        break;
                    base = nullptr;
                    m_startIsLine = false;
                    // What lies inside an outline that crosses itself is unclear.
                    if (m_side == FitSide::Inside)
                        return result;
                }
                // A tangle: only its hull is worth fitting.
                if (trace == Trace::Tangled) {
                    attempt = 1;
                    continue;
                }
                count = startNodes();
            } else if (m_side == FitSide::Inside || !hullNodes(count)) {
                break;
            }
            if (simplify(m_nodes, count, m_target, m_index.grid().shape(), base))
                result = finish(m_nodes);
        }
        return result;
    }

private:
    void clearLine()
    {
        m_line.vertices.clear();
        m_line.arcSegments.clear();
        m_line.arcOffset = 0;
    }

    bool prepare()
    {
        if (!readElements(m_outline, m_elements) || m_elements.empty())
            return false;
        int64_t minLon = m_elements.front().from[0], maxLon = minLon;
        int64_t minLat = m_elements.front().from[1], maxLat = minLat;
        for (const Element &e : m_elements) {
            for (const int64_t *p : {e.from, e.to}) {
                minLon = std::min(minLon, p[0]);
                maxLon = std::max(maxLon, p[0]);
                minLat = std::min(minLat, p[1]);
                maxLat = std::max(maxLat, p[1]);
            }
        }
        // Latitudes beyond the poles have no lengths to measure.
        if (maxLon - minLon > MaxSpanMas || minLat < -Mas::Quarter || maxLat > Mas::Quarter)
            return false;
        m_frame.lon0 = m_elements.front().from[0];
        m_frame.lat0 = (minLat + maxLat) / 2;
        const int64_t middle = std::clamp<int64_t>(m_frame.lat0, -Mas::Quarter, Mas::Quarter);
        m_frame.sx = std::max(cosine(middle), 1e-6) * MetresPerMas;

        // Which way round does the outline go? Arcs count with their outer polylines here.
        if (!buildPolyline(m_frame, m_elements, false, m_line))
            return false;
        std::vector<Vec> &points = m_points;
        points.clear();
        for (const Vertex &v : m_line.vertices)
            points.push_back(v.p);
        const double area = signedArea(points);
        if (!(std::abs(area) > 0))
            return false;
        m_clockwise = area < 0;
        // The working direction has the side that may grow on its left.
        const bool workClockwise = m_side == FitSide::Outside;
        m_lineReady = workClockwise == m_clockwise;
        if (!m_lineReady) {
            std::reverse(m_elements.begin(), m_elements.end());
            for (Element &e : m_elements)
                e.reverse();
        }
        return true;
    }

    // The nodes of the outline to fit, and its count of segments: a kept arc counts once.
    int startNodes()
    {
        const std::vector<Vertex> &vs = m_start;
        std::vector<Node> &nodes = m_nodes;
        const int n = int(vs.size());
        nodes.resize(std::size_t(n));
        int arcEdges = 0, arcs = 0;
        for (int i = 0; i < n; ++i) {
            const int prev = i == 0 ? n - 1 : i - 1, next = i + 1 == n ? 0 : i + 1;
            const Vertex &v = vs[std::size_t(i)];
            Node &node = nodes[std::size_t(i)];
            node = Node();
            node.p = v.p;
            node.prev = prev;
            node.next = next;
            node.vertex = i;
            node.arc = v.arc;
            node.locked = v.locked;
            node.error = std::max(v.offset, vs[std::size_t(next)].offset);
            node.reach = v.offset;
            if (v.arc >= 0) {
                ++arcEdges;
                arcs += vs[std::size_t(prev)].arc != v.arc ? 1 : 0;
            }
        }
        // A single arc all round has no start of its own.
        if (arcs == 0 && arcEdges > 0)
            arcs = 1;
        return n - arcEdges + arcs;
    }

    // The convex hull of everything, which grows outwards by collapses alone.
    bool hullNodes(int &count)
    {
        std::vector<Node> &nodes = m_nodes;
        m_start = m_line.vertices;
        const std::vector<Vertex> &vs = m_start;
        std::vector<int> order(vs.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const Vec pa = vs[std::size_t(a)].p, pb = vs[std::size_t(b)].p;
            return pa.x < pb.x || (pa.x == pb.x && (pa.y < pb.y || (pa.y == pb.y && a < b)));
        });
        std::vector<int> hull(2 * order.size() + 1);
        std::size_t k = 0;
        // Upper chain left to right, then lower chain right to left: clockwise.
        for (int i : order) {
            while (k >= 2 && cross(vs[std::size_t(hull[k - 1])].p - vs[std::size_t(hull[k - 2])].p,
                                   vs[std::size_t(i)].p - vs[std::size_t(hull[k - 2])].p) >= 0)
                --k;
            hull[k++] = i;
        }
        for (std::size_t j = order.size() - 1, lower = k + 1; j-- > 0;) {
            const int i = order[j];
            while (k >= lower && cross(vs[std::size_t(hull[k - 1])].p - vs[std::size_t(hull[k - 2])].p,
                                       vs[std::size_t(i)].p - vs[std::size_t(hull[k - 2])].p) >= 0)
                --k;
            hull[k++] = i;
        }
        hull.resize(k - 1);
        if (hull.size() < 3)
            return false;
        const int n = int(hull.size());
        nodes.assign(std::size_t(n), Node());
        for (int i = 0; i < n; ++i) {
            Node &node = nodes[std::size_t(i)];
            node.vertex = hull[std::size_t(i)];
            node.p = vs[std::size_t(node.vertex)].p;
            node.prev = (i + n - 1) % n;
            node.next = (i + 1) % n;
        }
        for (int i = 0; i < n; ++i)
            nodes[std::size_t(i)].error = m_index.segmentHausdorff(nodes[std::size_t(i)].p, nodes[std::size_t((i + 1) % n)].p, 0.0);
        count = n;
        return true;
    }

    struct Corner {
        GeoPoint geo;
        Vec p;   // the plane point of geo
    };

    bool cornerOf(const std::vector<Node> &nodes, int i, Corner &corner) const
    {
        const Node &node = nodes[std::size_t(i)];
        if (node.vertex >= 0 && m_start[std::size_t(node.vertex)].exact) {
            corner.geo = m_start[std::size_t(node.vertex)].raw;
            corner.p = node.p;
            return true;
        }
        if (!m_frame.toGeo(node.p, corner.geo))
            return false;
        const int64_t lon = m_frame.lon0 + int64_t(std::round(node.p.x / m_frame.sx));
        corner.p = m_frame.toPlane(double(lon), double(corner.geo.lat));
        return true;
    }

    OutlineFit finish(const std::vector<Node> &nodes)
    {
        OutlineFit result;
        const int start = startNode(nodes);
        if (start < 0 || !collectPieces(nodes, start) || int(m_pieces.size()) > m_target || m_pieces.empty()
            || !check(m_written, nodes, start))
            return result;
        result.largestDistanceCm = int32_t(std::min(std::ceil(largestDistance() * 100.0), 2e9));
        result.segments = writtenSegments();
        return result;
    }

    // The first node that does not lie inside a kept arc, or -1.
    int startNode(const std::vector<Node> &nodes) const
    {
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const Node &node = nodes[i];
            if (node.alive && (node.arc < 0 || nodes[std::size_t(node.prev)].arc != node.arc))
                return int(i);
        }
        // The whole outline is one kept arc: it starts at its given point.
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const Node &node = nodes[i];
            if (node.alive && node.arc >= 0 && node.vertex >= 0 && m_start[std::size_t(node.vertex)].exact)
                return int(i);
        }
        return -1;
    }

    // The pieces as written, and the outline as written in the working direction for the checks.
    bool collectPieces(const std::vector<Node> &nodes, int start)
    {
        m_written.clear();
        m_pieces.clear();
        struct {
            int node = -1;
            Corner corner;
        } carried;
        int i = start;
        std::size_t guard = nodes.size() + 2;
        do {
            const Node &node = nodes[std::size_t(i)];
            if (node.arc >= 0) {
                Piece piece{node.arc, {}, {}, node.p, {}, 0.0};
                int j = i;
                do {
                    m_written.push_back(nodes[std::size_t(j)].p);
                    j = nodes[std::size_t(j)].next;
                } while (j != start && nodes[std::size_t(j)].arc == node.arc && nodes[std::size_t(j)].alive && j != i);
                piece.b = nodes[std::size_t(j)].p;
                m_pieces.push_back(piece);
                i = j;
            } else {
                // Each corner is worked out once: it ends one line and starts the next.
                Corner a, b;
                if (i == carried.node)
                    a = carried.corner;
                else if (!cornerOf(nodes, i, a))
                    return false;
                if (!cornerOf(nodes, node.next, b))
                    return false;
                carried = {node.next, b};
                // Corners that round to the same point are one.
                if (a.geo != b.geo) {
                    m_written.push_back(a.p);
                    m_pieces.push_back({-1, a.geo, b.geo, a.p, b.p, node.error});
                }
                i = node.next;
            }
        } while (i != start && --guard > 0);
        return guard > 0;
    }

    // The largest distance of the written lines from the original outline.
    double largestDistance()
    {
        // The frame is true to lengths east at its middle latitude only: nearer the equator an
        // east step is longer than it says. Each line's distance is stretched by the most
        // that applies where it lies.
        std::vector<Ranked> &ranked = m_ranked;
        ranked.clear();
        for (const Piece &piece : m_pieces) {
            if (piece.arc >= 0)
                continue;
            // A bound of 0 stays 0, and is not measured.
            if (!(piece.bound > 0)) {
                ranked.push_back({&piece, 1.0, piece.bound});
                continue;
            }
            const double reach = std::min(std::abs(double(piece.from.lat)), std::abs(double(piece.to.lat)))
                                 - piece.bound / m_frame.sy;
            const int64_t latitude = std::clamp<int64_t>(int64_t(reach), 0, Mas::Quarter);
            const double stretch = std::max(1.0, std::max(cosine(latitude), 1e-6) * MetresPerMas / m_frame.sx);
            ranked.push_back({&piece, stretch, piece.bound * stretch});
        }
        // Exactly only for the few lines whose bound could still set the largest; beyond them
        // the bound stands in. Only those few need ranking.
        constexpr int Exact = 3;
        const auto ranks = ranked.begin() + std::min<std::ptrdiff_t>(Exact + 1, std::ptrdiff_t(ranked.size()));
        std::partial_sort(ranked.begin(), ranks, ranked.end(), [](const Ranked &x, const Ranked &y) {
            return x.bound > y.bound || (x.bound == y.bound && x.piece < y.piece);
        });
        double largest = 0;
        int exactLeft = Exact;
        for (auto r = ranked.begin(); r != ranks; ++r) {
            // A bound of 0 is an edge of the original as it was.
            if (r->piece->bound <= 0 || r->bound + RoundingSlack <= largest)
                break;
            if (exactLeft-- == 0) {
                largest = r->bound + RoundingSlack;
                break;
            }
            largest = std::max(largest, r->stretch * m_index.segmentHausdorff(r->piece->a, r->piece->b, largest / r->stretch));
        }
        // The arcs' stand-ins lie that much off the arcs themselves.
        if (largest > 0)
            largest += m_line.arcOffset;
        return largest;
    }

    SegmentList writtenSegments() const
    {
        // Written clockwise: the working direction for outlines that grow outwards.
        const bool reverse = m_side == FitSide::Inside;
        // The new lines share one allocation.
        const auto block = std::make_shared<std::vector<AirspaceSegment>>();
        block->reserve(m_pieces.size());
        for (const Piece &piece : m_pieces) {
            if (piece.arc < 0)
                block->emplace_back(reverse ? piece.to : piece.from, reverse ? piece.from : piece.to);
        }
        SegmentList segments;
        segments.reserve(m_pieces.size());
        std::size_t nextLine = 0;
        for (const Piece &piece : m_pieces) {
            if (piece.arc < 0) {
                segments.push_back(SegmentPtr(block, &(*block)[nextLine++]));
                continue;
            }
            const SegmentPtr &given = m_outline[std::size_t(m_line.arcSegments[std::size_t(piece.arc)])];
            if (m_clockwise) {
                segments.push_back(given);
            } else {
                auto turned = std::make_shared<AirspaceSegment>(*given);
                turned->reverse();
                segments.push_back(turned);
            }
        }
        if (reverse)
            std::reverse(segments.begin(), segments.end());
        return segments;
    }

    // The written outline must be simple, turn the working way, and hold the original on its
    // right (outside fits) or lie on the right of the original (inside fits).
    bool check(const std::vector<Vec> &written, const std::vector<Node> &nodes, int start)
    {
        const std::size_t n = written.size();
        if (n < 3)
            return false;
        const double area = signedArea(written);
        if (m_side == FitSide::Outside ? !(area < 0) : !(area > 0)) {
            return false;
        }
        if (!isSimple(written)) {
            return false;
        }
        const std::vector<Vec> &outer = m_side == FitSide::Outside ? written : m_points;
        const std::vector<Vec> &inner = m_side == FitSide::Outside ? m_points : written;
        // Corners of the original that are still corners lie on the written outline. Every step
        // only adds area outside the outline of the moment, so a corner of the original that
        // lies inside stays inside; what is checked is what rounding or a fault could undo.
        // The few corners of an inside fit are checked with the middles of their edges.
        std::vector<char> &kept = m_kept;
        kept.assign(std::max(m_points.size(), inner.size()), 0);
        if (m_side == FitSide::Outside && m_startIsLine) {
            int i = start;
            do {
                if (nodes[std::size_t(i)].vertex >= 0)
                    kept[std::size_t(nodes[std::size_t(i)].vertex)] = 1;
                i = nodes[std::size_t(i)].next;
            } while (i != start);
        }
        PolygonIndex &index = m_polygon;
        index.build(outer);
        const bool middles = m_side == FitSide::Inside;
        for (std::size_t k = 0, n = inner.size(); k < n; ++k) {
            if (!kept[k] && !index.covers(inner[k], CheckTolerance))
                return false;
            if (middles && !index.covers((inner[k] + inner[k + 1 == n ? 0 : k + 1]) * 0.5, CheckTolerance))
                return false;
        }
        return true;
    }

    bool isSimple(const std::vector<Vec> &points)
    {
        const std::size_t n = points.size();
        m_boxes.resize(n);
        m_byLeft.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = i + 1 == n ? 0 : i + 1;
            const Vec a = points[i], b = points[j];
            m_boxes[i] = boxOf(a, b);
            m_byLeft[i] = {m_boxes[i].minX, i};
            // Consecutive edges must not fold onto each other.
            const Vec c = points[j + 1 == n ? 0 : j + 1];
            if (a == b || (cross(b - a, c - b) == 0 && dot(b - a, c - b) < 0))
                return false;
        }
        // Edges from the left; each pair whose boxes overlap is looked at once.
        sortRuns(m_byLeft, m_leftBuffer, m_runs);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t e = m_byLeft[i].edge;
            const Box &first = m_boxes[e];
            for (std::size_t j = i + 1; j < n && m_byLeft[j].minX <= first.maxX; ++j) {
                const std::size_t f = m_byLeft[j].edge;
                if (m_boxes[f].minY > first.maxY || m_boxes[f].maxY < first.minY)
                    continue;
                const std::size_t gap = e > f ? e - f : f - e;
                if (gap == 1 || gap == n - 1)
                    continue;
                if (segmentDistance(points[e], points[(e + 1) % n], points[f], points[(f + 1) % n]) <= 0)
                    return false;
            }
        }
        return true;
    }

    const SegmentList &m_outline;
    int m_target;
    FitSide m_side;
    Frame m_frame;
    bool m_clockwise = true;
    bool m_lineReady = false;        // m_line holds the polyline of the working direction
    bool m_startIsLine = false;      // m_start is m_line's vertices
    std::vector<Element> &m_elements;
    Polyline &m_line;
    std::vector<Vec> &m_points;      // the original outline as a polyline
    std::vector<Vertex> &m_start;    // what the nodes' vertices refer to
    std::vector<Node> &m_nodes;
    NearestIndex &m_index;
    PolygonIndex &m_polygon;
    std::vector<Vec> &m_written;
    std::vector<char> &m_kept;
    std::vector<Piece> &m_pieces;
    std::vector<Ranked> &m_ranked;
    std::vector<Box> &m_boxes;       // of the written edges
    std::vector<Left> &m_byLeft;
    std::vector<Left> &m_leftBuffer;
    std::vector<std::size_t> &m_runs;
};

} // namespace
} // namespace OutlineFitting

OutlineFit fitOutline(const SegmentList &outline, int maxSegments, FitSide side)
{
    thread_local OutlineFitting::Workspace work;
    return OutlineFitting::Fitter(outline, maxSegments, side, work).run();
}
