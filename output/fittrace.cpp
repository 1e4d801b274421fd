#include "output/fitinternal.h"

#include <set>

// Tracing the outer boundary of an outline that crosses or touches itself.

namespace OutlineFitting {
namespace {

// How far (m) the visits of a point where the boundary touches itself move apart.
constexpr double PinchShift = 0.5;

class UnionFind
{
public:
    explicit UnionFind(std::size_t n) : m_parent(n)
    {
        for (std::size_t i = 0; i < n; ++i)
            m_parent[i] = int(i);
    }
    int find(int i)
    {
        while (m_parent[std::size_t(i)] != i) {
            m_parent[std::size_t(i)] = m_parent[std::size_t(m_parent[std::size_t(i)])];
            i = m_parent[std::size_t(i)];
        }
        return i;
    }
    // The lower index stays the root, so that the result does not depend on the order of joins.
    void join(int a, int b)
    {
        a = find(a);
        b = find(b);
        if (a != b)
            m_parent[std::size_t(std::max(a, b))] = std::min(a, b);
    }

private:
    std::vector<int> m_parent;
};

// Orders directions counter-clockwise, starting with `from` itself.
bool turnsLessFrom(Vec from, Vec a, Vec b)
{
    const auto half = [&](Vec d) {
        const double c = cross(from, d);
        return c > 0 || (c == 0 && dot(from, d) > 0) ? 0 : 1;
    };
    const int ha = half(a), hb = half(b);
    if (ha != hb)
        return ha < hb;
    return cross(a, b) > 0;
}

// Whether the corner at point i runs straight back along the edge that leads to it.
inline bool foldsBack(const std::vector<Vec> &points, int i)
{
    const int n = int(points.size());
    const Vec shared = points[std::size_t(i)], p = points[std::size_t(i == 0 ? n - 1 : i - 1)],
              q = points[std::size_t(i + 1 == n ? 0 : i + 1)];
    const double side = cross(p - shared, q - shared);
    return dot(p - shared, q - shared) > 0
           && side * side <= Touch * Touch * std::max(dot(p - shared, p - shared), dot(q - shared, q - shared));
}

// Most outlines neither cross nor touch themselves, which this shows at little cost: pairs of
// edges in a cell are mostly neighbours, or have boxes apart. False when some pair needs a
// closer look, or there are so many pairs that the outline may be a tangle: the tracing decides.
bool clearOfItself(const SegmentGrid &grid, std::size_t pairLimit)
{
    const std::vector<Vec> &points = grid.points();
    const int n = int(points.size());
    std::size_t pairs = 0;
    // Neighbours meet at their shared corner, which shares a cell; none folds back.
    for (int i = 0; i < n; ++i) {
        if (foldsBack(points, i))
            return false;
    }
    const auto clear = [&](int i, int j) {
        if (j == i + 1 || (i == 0 && j == n - 1) || apart(grid.box(i), grid.box(j), Touch))
            return true;
        const Vec a = points[std::size_t(i)], b = points[std::size_t(i + 1)];
        const Vec c = points[std::size_t(j)], d = points[std::size_t(j + 1 == n ? 0 : j + 1)];
        return !mayTouch(a, b, c, d, Touch) || segmentDistance(a, b, c, d) >= Touch;
    };
    // The tracing counts the pairs cell by cell, and gives up before a cell once they are
    // beyond the limit: the pairs of all cells but the last count.
    const std::size_t last = grid.cellCount() - 1;
    for (const int cell : grid.sharedCells()) {
        const std::size_t edges = grid.edgesIn(std::size_t(cell));
        pairs += std::size_t(cell) == last ? 0 : edges * (edges - 1) / 2;
    }
    if (pairs > pairLimit)
        return false;
    for (const int cell : grid.sharedCells()) {
        if (!grid.everyPairInCell(std::size_t(cell), clear))
            return false;
    }
    return true;
}

// The steps of the tracing: the points where the outline meets itself become nodes, the
// pieces between them the edges of a plane graph, and the walk round its outside the new
// outline.
class BoundaryTracer
{
public:
    BoundaryTracer(std::vector<Vertex> &vs, const SegmentGrid &grid)
        : m_vs(vs), m_points(grid.points()), m_grid(grid), m_n(int(vs.size()))
    {
    }

    // Tangled when the edges meet in more than pairLimit pairs of a grid cell, or at more than
    // contactLimit points.
    Trace run(std::size_t pairLimit, std::size_t contactLimit)
    {
        if (!findContacts(pairLimit, contactLimit))
            return Trace::Tangled;
        if (m_splits.empty() && m_joins.empty())
            return Trace::Clear;
        joinNodes();
        buildGraph();
        if (m_edges.empty() || !walkOutside())
            return Trace::Tangled;
        replaceByWalk();
        return Trace::Traced;
    }

private:
    // A point where segment `segment` is met, t of the way along it: node `node`.
    struct Split {
        int segment;
        double t;
        int node;
    };

    int next(int i) const { return i + 1 == m_n ? 0 : i + 1; }
    // The nodes are the vertices, then the crossings.
    Vec nodePoint(int k) const { return k < m_n ? m_points[std::size_t(k)] : m_crossings[std::size_t(k - m_n)]; }

    // Every pair of edges that share a grid cell; a pair in several cells counts once. False
    // for a tangle: its edges meet far more often than those of an outline that follows a
    // border can.
    bool findContacts(std::size_t pairLimit, std::size_t contactLimit)
    {
        m_folds.assign(m_vs.size(), 0);
        for (int i = 0; i < m_n; ++i)
            m_folds[std::size_t(i)] = foldsBack(m_points, i);
        std::size_t pairs = 0;
        for (std::size_t cell = 0, cells = m_grid.cellCount(); cell < cells; ++cell) {
            if (pairs > pairLimit || m_splits.size() + m_joins.size() > contactLimit)
                return false;
            m_grid.pairsInCell(cell, [&](int i, int j) {
                ++pairs;
                lookAtPair(i, j);
            });
        }
        return true;
    }

    // Where edges i and j touch or cross, if they do.
    void lookAtPair(int i, int j)
    {
        const Vec a = m_points[std::size_t(i)], b = m_points[std::size_t(next(i))];
        const Vec c = m_points[std::size_t(j)], d = m_points[std::size_t(next(j))];
        // Neighbours meet at their shared end; elsewhere only when one runs back along the other.
        if (j == next(i) || i == next(j)) {
            if (!m_folds[std::size_t(j == next(i) ? j : i)])
                return;
        } else if (!mayTouch(a, b, c, d, Touch)) {
            return;
        }
        if (segmentDistance(a, b, c, d) >= Touch || !m_touching.insert({std::min(i, j), std::max(i, j)}).second)
            return;
        const std::size_t before = m_splits.size() + m_joins.size();
        contact(j, i);
        contact(next(j), i);
        contact(i, j);
        contact(next(i), j);
        if (m_splits.size() + m_joins.size() != before || !segmentsCross(a, b, c, d))
            return;
        const Vec r = b - a, s = d - c;
        const double den = cross(r, s);
        const double t = cross(c - a, s) / den, u = cross(c - a, r) / den;
        const int node = m_n + int(m_crossings.size());
        m_crossings.push_back(a + r * t);
        m_splits.push_back({i, t, node});
        m_splits.push_back({j, u, node});
    }

    // Where endpoint `vertex` lies on segment `segment`, if it does.
    void contact(int vertex, int segment)
    {
        const Vec p = m_points[std::size_t(vertex)], a = m_points[std::size_t(segment)], b = m_points[std::size_t(next(segment))];
        if (vertex == segment || vertex == next(segment) || pointSegmentDistance(p, a, b) >= Touch)
            return;
        if (length(p - a) < Touch)
            m_joins.push_back({vertex, segment});
        else if (length(p - b) < Touch)
            m_joins.push_back({vertex, next(segment)});
        else
            m_splits.push_back({segment, dot(p - a, b - a) / dot(b - a, b - a), vertex});
    }

    // Vertices that meet are one node, and so are nodes that (nearly) coincide.
    void joinNodes()
    {
        m_nodeCount = m_n + int(m_crossings.size());
        m_same = UnionFind(std::size_t(m_nodeCount));
        for (const auto &[x, y] : m_joins)
            m_same.join(x, y);
        std::vector<int> byPlace(static_cast<std::size_t>(m_nodeCount));
        for (int k = 0; k < m_nodeCount; ++k)
            byPlace[std::size_t(k)] = k;
        std::sort(byPlace.begin(), byPlace.end(), [&](int x, int y) {
            const Vec px = nodePoint(x), py = nodePoint(y);
            return px.x < py.x || (px.x == py.x && (px.y < py.y || (px.y == py.y && x < y)));
        });
        for (std::size_t k = 0; k < byPlace.size(); ++k) {
            for (std::size_t l = k + 1; l < byPlace.size() && nodePoint(byPlace[l]).x - nodePoint(byPlace[k]).x < Touch; ++l) {
                if (std::abs(nodePoint(byPlace[l]).y - nodePoint(byPlace[k]).y) < Touch)
                    m_same.join(byPlace[k], byPlace[l]);
            }
        }
    }

    // The pieces of every segment between its splits become the edges of the graph.
    void buildGraph()
    {
        std::sort(m_splits.begin(), m_splits.end(), [](const Split &x, const Split &y) {
            return x.segment < y.segment || (x.segment == y.segment && (x.t < y.t || (x.t == y.t && x.node < y.node)));
        });
        m_edges.reserve(std::size_t(m_n) + m_splits.size());
        std::size_t k = 0;
        for (int i = 0; i < m_n; ++i) {
            int from = m_same.find(i);
            const auto link = [&](int to) {
                to = m_same.find(to);
                if (to != from)
                    m_edges.push_back({std::min(from, to), std::max(from, to)});
                from = to;
            };
            for (; k < m_splits.size() && m_splits[k].segment == i; ++k)
                link(m_splits[k].node);
            link(next(i));
        }
        std::sort(m_edges.begin(), m_edges.end());
        m_edges.erase(std::unique(m_edges.begin(), m_edges.end()), m_edges.end());
        listNeighbours();
    }

    // Each node's neighbours side by side: m_around from m_start[node] to m_start[node + 1].
    void listNeighbours()
    {
        m_start.assign(std::size_t(m_nodeCount) + 1, 0);
        m_around.assign(2 * m_edges.size(), 0);
        for (const auto &[x, y] : m_edges) {
            ++m_start[std::size_t(x) + 1];
            ++m_start[std::size_t(y) + 1];
        }
        for (int m = 0; m < m_nodeCount; ++m)
            m_start[std::size_t(m) + 1] += m_start[std::size_t(m)];
        std::vector<int> fill(m_start.begin(), m_start.end() - 1);
        for (const auto &[x, y] : m_edges) {
            m_around[std::size_t(fill[std::size_t(x)]++)] = y;
            m_around[std::size_t(fill[std::size_t(y)]++)] = x;
        }
    }

    // The lowest of the leftmost nodes, which lies on the outside.
    int leftmostNode() const
    {
        int first = m_edges.front().first;
        for (const auto &[x, y] : m_edges) {
            for (int m : {x, y}) {
                const Vec pm = nodePoint(m), pf = nodePoint(first);
                if (pm.x < pf.x || (pm.x == pf.x && pm.y < pf.y))
                    first = m;
            }
        }
        return first;
    }

    // The walk from the leftmost node, always taking the leftmost way on: the unbounded side
    // stays on the left. False when it does not come round.
    bool walkOutside()
    {
        const int first = leftmostNode();
        int at = first;
        Vec back{-1, 0};
        int firstStep = -1;
        for (std::size_t guard = 0; guard <= 2 * m_edges.size() + 2; ++guard) {
            const int chosen = leftmostWayOn(at, back);
            if (chosen < 0)
                return false;
            if (at == first && chosen == firstStep)
                break;
            if (firstStep < 0)
                firstStep = chosen;
            m_walk.push_back(at);
            back = nodePoint(at) - nodePoint(chosen);
            at = chosen;
        }
        return m_walk.size() >= 3 && at == first;
    }

    // The last way on counter-clockwise from the way back, or -1.
    int leftmostWayOn(int at, Vec back) const
    {
        int chosen = -1;
        Vec chosenDirection;
        for (int m = m_start[std::size_t(at)]; m < m_start[std::size_t(at) + 1]; ++m) {
            const int to = m_around[std::size_t(m)];
            const Vec d = nodePoint(to) - nodePoint(at);
            if (chosen < 0 || turnsLessFrom(back, chosenDirection, d)) {
                chosen = to;
                chosenDirection = d;
            }
        }
        return chosen;
    }

    // The walk becomes the outline. Vertices of the input keep what they carry.
    void replaceByWalk()
    {
        std::vector<bool> broken = brokenArcs();
        std::vector<int> visits(static_cast<std::size_t>(m_nodeCount), 0);
        for (int m : m_walk)
            ++visits[std::size_t(m)];
        std::vector<Vertex> traced;
        traced.reserve(m_walk.size());
        for (std::size_t w = 0; w < m_walk.size(); ++w) {
            const int m = m_walk[w];
            Vertex v;
            if (m < m_n) {
                v = m_vs[std::size_t(m)];
                if (v.arc >= 0 && broken[std::size_t(v.arc)])
                    v.arc = -1;
            } else {
                v.p = nodePoint(m);
            }
            if (visits[std::size_t(m)] > 1) {
                moveIntoCorner(w, v);
                if (v.arc >= 0)
                    broken[std::size_t(v.arc)] = true;
                v.arc = -1;
            }
            traced.push_back(v);
        }
        for (Vertex &v : traced) {
            if (v.arc >= 0 && broken[std::size_t(v.arc)])
                v.arc = -1;
        }
        for (std::size_t w = 0; w < traced.size(); ++w)
            traced[w].locked = traced[w].arc >= 0 || traced[(w + traced.size() - 1) % traced.size()].arc >= 0;
        m_vs.swap(traced);
    }

    // The kept arcs that do not survive: an arc stays only when all its pieces follow each
    // other on the walk.
    std::vector<bool> brokenArcs() const
    {
        std::vector<int> place(static_cast<std::size_t>(m_n), -1);
        for (std::size_t w = 0; w < m_walk.size(); ++w) {
            if (m_walk[w] < m_n)
                place[std::size_t(m_walk[w])] = place[std::size_t(m_walk[w])] == -1 ? int(w) : -2;
        }
        std::vector<bool> broken;
        for (int i = 0; i < m_n; ++i) {
            const int arc = m_vs[std::size_t(i)].arc;
            if (arc < 0)
                continue;
            if (std::size_t(arc) >= broken.size())
                broken.resize(std::size_t(arc) + 1, false);
            const int here = place[std::size_t(i)], there = place[std::size_t(next(i))];
            if (here < 0 || there < 0 || std::size_t(there) != (std::size_t(here) + 1) % m_walk.size())
                broken[std::size_t(arc)] = true;
        }
        return broken;
    }

    // Where the boundary touches itself, each visit (number w of the walk) moves a little into
    // the empty corner on its left, which only adds to the enclosed area and keeps the visits
    // apart.
    void moveIntoCorner(std::size_t w, Vertex &v) const
    {
        const std::size_t count = m_walk.size();
        const Vec here = nodePoint(m_walk[w]);
        const Vec toPrevious = nodePoint(m_walk[(w + count - 1) % count]) - here;
        const Vec toNext = nodePoint(m_walk[(w + 1) % count]) - here;
        const Vec ua = toPrevious * (1 / length(toPrevious)), ub = toNext * (1 / length(toNext));
        // The bisector of the corner from the way on, counter-clockwise to the way back.
        Vec into = ua + ub;
        const double turn = cross(ub, ua);
        if (length(into) < 1e-9)
            into = turn == 0 && dot(ua, ub) > 0 ? ub * -1 : Vec{-ub.y, ub.x};
        else if (turn < 0 || (turn == 0 && dot(ua, ub) > 0))
            into = into * -1;
        v.p = here + into * (PinchShift / length(into));
        v.exact = false;
        v.offset += PinchShift;
    }

    std::vector<Vertex> &m_vs;
    const std::vector<Vec> &m_points;
    const SegmentGrid &m_grid;
    const int m_n;
    std::vector<char> m_folds;                    // corners that run straight back along an edge
    std::set<std::pair<int, int>> m_touching;     // pairs of edges that touch
    std::vector<Split> m_splits;
    std::vector<std::pair<int, int>> m_joins;     // vertices that meet
    std::vector<Vec> m_crossings;
    int m_nodeCount = 0;
    UnionFind m_same{0};
    std::vector<std::pair<int, int>> m_edges;     // of the graph, lower node first
    std::vector<int> m_start;
    std::vector<int> m_around;
    std::vector<int> m_walk;                      // the nodes of the outside, in order
};

} // namespace

Trace traceOuterBoundary(std::vector<Vertex> &vs, const SegmentGrid *given)
{
    const int n = int(vs.size());
    // Without a grid given, one of the vertices' points.
    std::vector<Vec> ownPoints;
    SegmentGrid local;
    if (!given) {
        ownPoints.reserve(vs.size());
        for (const Vertex &v : vs)
            ownPoints.push_back(v.p);
        local.build(ownPoints);
    }
    const SegmentGrid &grid = given ? *given : local;
    const std::size_t pairLimit = 256 * std::size_t(n) + 1000000, contactLimit = 4 * std::size_t(n) + 1000;
    if (clearOfItself(grid, pairLimit))
        return Trace::Clear;
    return BoundaryTracer(vs, grid).run(pairLimit, contactLimit);
}

} // namespace OutlineFitting
