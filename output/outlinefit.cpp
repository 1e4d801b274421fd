#include "output/outlinefit.h"

#include "output/fitinternal.h"

#include <cassert>
#include <cstring>

namespace OutlineFitting {
namespace {

// New edges keep this distance (m) from every other edge, well above what rounding corners to
// whole milli-arc-seconds (about 2 cm) can move them, so that the written outline cannot cross.
constexpr double Clearance = 0.1;
// How far (m) rounding a corner to whole milli-arc-seconds can move an edge, at most.
constexpr double RoundingSlack = 0.05;
// What the final check accepts (m) between the written outline and the original.
constexpr double CheckTolerance = 1.0;
// Outlines that span more longitude than this (some 300 degrees) are not laid flat.
constexpr int64_t MaxSpanMas = int64_t(1) << 30;

// ---------------------------------------------------------------------------------------------
// Fitting: the outline grows to its left by steps that each save one segment, the step that
// leaves the smallest error first.

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

// The largest over segment a-c of the smaller of (distance to a-b plus ea) and (distance to
// b-c plus eb): a bound of the distance from the original of the edge that replaces a-b-c.
// The first grows from a, the second falls toward c, so the answer is where they meet. Along
// a-c each is first (or last) a straight multiple of the way, then the distance to b.
double removalBound(Vec a, Vec b, Vec c, double ea, double eb)
{
    const Vec d = c - a, ab = b - a, bc = c - b, w = a - b;
    const double dd = dot(d, d), lab = dot(ab, ab), lbc = dot(bc, bc);
    if (!(dd > 0))
        return std::max(ea, eb);
    const double g1 = dot(d, ab), g2 = dot(d, bc);
    // f1 = ea + t c1 up to t1, then ea + |w + t d|; f2 = eb + (1 - t) c2 from t2 on, before
    // that eb + |w + t d|.
    const bool bend1 = g1 > 0 && lab > 0, bend2 = g2 > 0 && lbc > 0;
    const double t1 = bend1 ? lab / g1 : Infinity, c1 = bend1 ? std::abs(cross(ab, d)) / std::sqrt(lab) : std::sqrt(dd);
    const double t2 = bend2 ? 1 - lbc / g2 : -Infinity, c2 = bend2 ? std::abs(cross(bc, d)) / std::sqrt(lbc) : std::sqrt(dd);
    const auto toB = [&](double t) { return length(w + d * t); };
    const auto f1 = [&](double t) { return ea + (t <= t1 ? t * c1 : toB(t)); };
    const auto f2 = [&](double t) { return eb + (t >= t2 ? (1 - t) * c2 : toB(t)); };
    const double endFirst = f1(1.0), endSecond = f2(1.0);
    if (endFirst <= endSecond)
        return endFirst;
    const double startFirst = f1(0.0), startSecond = f2(0.0);
    if (startFirst >= startSecond)
        return startSecond;
    // The piece of [0, 1] between the kinks in which they meet.
    double lo = 0, hi = 1;
    for (const double kink : {std::min(t1, std::max(t2, 0.0)), std::max(t2, std::min(t1, 1.0))}) {
        if (kink > lo && kink < hi)
            (f1(kink) - f2(kink) < 0 ? lo : hi) = kink;
    }
    const double mid = 0.5 * (lo + hi), k = ea - eb;
    const bool line1 = mid <= t1, line2 = mid >= t2;
    double t = mid;
    // Solves qa t^2 + 2 qb t + qc = 0 for a root in [lo, hi].
    const auto root = [&](double qa, double qb, double qc) {
        if (qa == 0) {
            if (qb != 0)
                t = -qc / (2 * qb);
            return;
        }
        const double disc = qb * qb - qa * qc;
        if (disc < 0)
            return;
        const double r = std::sqrt(disc), x1 = (-qb - r) / qa, x2 = (-qb + r) / qa;
        t = (x1 >= lo - 1e-9 && x1 <= hi + 1e-9) ? x1 : x2;
    };
    const double wd = dot(w, d), ww = dot(w, w);
    if (line1 && line2)
        t = (c2 - k) / (c1 + c2);
    else if (line1)   // k + t c1 = |w + t d|
        root(c1 * c1 - dd, k * c1 - wd, k * k - ww);
    else if (line2)   // |w + t d| = (c2 - k) - t c2
        root(dd - c2 * c2, wd + (c2 - k) * c2, ww - (c2 - k) * (c2 - k));
    t = std::clamp(t, lo, hi);
    // Wherever t falls, one of the two is at least their meeting value: a bound either way.
    return std::max(f1(t), f2(t));
}

// Candidates by cost: buckets of about 4 % of cost each, found from the bits of the double (whose
// order is that of the values for positive numbers); the cheapest current candidate is looked
// for in the lowest bucket alone. Pushing costs next to nothing, and the order is exact.
template <typename T>
class CostQueue
{
public:
    void clear()
    {
        for (std::size_t k = m_lowest; k <= m_highest && k < m_buckets.size(); ++k)
            m_buckets[k].clear();
        m_lowest = std::numeric_limits<std::size_t>::max();
        m_highest = 0;
        m_size = 0;
    }
    void push(const T &item)
    {
        const std::size_t k = key(item.cost);
        if (k >= m_buckets.size())
            m_buckets.resize(k + 1);
        m_buckets[k].push_back(item);
        m_lowest = std::min(m_lowest, k);
        m_highest = std::max(m_highest, k);
        ++m_size;
    }
    // The cheapest item for which current() holds; others are dropped. False when none is left.
    template <typename Current>
    bool pop(T &out, Current current)
    {
        while (m_size > 0) {
            while (m_buckets[m_lowest].empty())
                ++m_lowest;
            std::vector<T> &bucket = m_buckets[m_lowest];
            std::size_t kept = 0;
            for (std::size_t i = 0; i < bucket.size(); ++i) {
                if (current(bucket[i]))
                    bucket[kept++] = bucket[i];
            }
            m_size -= bucket.size() - kept;
            bucket.resize(kept);
            if (kept == 0)
                continue;
            std::size_t best = 0;
            for (std::size_t i = 1; i < kept; ++i) {
                if (bucket[i].before(bucket[best]))
                    best = i;
            }
            out = bucket[best];
            bucket[best] = bucket.back();
            bucket.pop_back();
            --m_size;
            return true;
        }
        return false;
    }

private:
    static std::size_t key(double cost)
    {
        constexpr double Smallest = 1e-6;   // everything below shares the first bucket
        if (!(cost > Smallest))
            return 0;
        uint64_t bits, base;
        std::memcpy(&bits, &cost, sizeof bits);
        std::memcpy(&base, &Smallest, sizeof base);
        return std::size_t(std::min<uint64_t>((bits >> 48) - (base >> 48), 4096));
    }

    std::vector<std::vector<T>> m_buckets;
    std::size_t m_lowest = std::numeric_limits<std::size_t>::max();
    std::size_t m_highest = 0;
    std::size_t m_size = 0;
};

// The largest over segment a-c of the smaller of (distance to a plus ra) and (distance to c
// plus rc): a bound of the distance from the original of an edge whose ends lie within ra and
// rc of it. It keeps the bound of an edge from growing with each step that builds on the one
// before, where the ends are corners of the original.
inline double cornerBound(Vec a, Vec c, double ra, double rc)
{
    const double span = length(c - a);
    if (!(span > 0))
        return std::max(ra, rc);
    const double t = std::clamp((span + rc - ra) / (2 * span), 0.0, 1.0);
    return std::min(t * span + ra, (1 - t) * span + rc);
}

class Simplifier
{
public:
    // Takes over the nodes (giving back the vector's earlier contents). `base` holds the nodes'
    // edges as they start, when node i starts edge i of it.
    void setUp(std::vector<Node> &nodes, int count, int target, const GridShape &shape, const SegmentGrid *base)
    {
        m_nodes.swap(nodes);
        m_count = count;
        m_target = target;
        const std::size_t n = m_nodes.size();
        m_nodes.reserve(2 * n + 8);
        m_seen.assign(2 * n + 8, 0);
        m_query = 0;
        m_version[0].assign(2 * n + 8, 0);
        m_version[1].assign(2 * n + 8, 0);
        m_stamp.assign(2 * n + 8, 0);
        m_growth.resize(2 * n + 8);
        m_blockedHead.assign(2 * n + 8, -1);
        m_blocked.clear();
        m_queue.clear();
        m_grid.setUp(base ? base->shape() : shape, base);
        if (!base) {
            for (std::size_t i = 0; i < n; ++i)
                m_grid.insert(int(i), 0, m_nodes[i].p, m_nodes[std::size_t(m_nodes[i].next)].p);
        }
        removeInLine();
        seedCandidates();
    }

    // Corners in line with their neighbours go first: the outline stays the same. Nothing
    // looks at the grid meanwhile, so only the last of the edges that take their place from a
    // node goes into it, in the order of those last changes.
    void removeInLine()
    {
        m_changed.clear();
        for (std::size_t i = 0, n = m_nodes.size(); i < n && m_count > m_target; ++i) {
            Node &node = m_nodes[i];
            if (node.locked || at(node.prev).prev == node.next)
                continue;
            const Vec ab = node.p - at(node.prev).p, bc = at(node.next).p - node.p;
            const double turn = cross(ab, bc);
            if (dot(ab, bc) > 0 && turn * turn <= 1e-24 * dot(ab, ab) * dot(bc, bc)) {
                const int u = node.prev, w = node.next;
                node.alive = false;
                ++m_stamp[i];
                at(u).next = w;
                at(w).prev = u;
                at(u).error = std::max(at(u).error, node.error);
                m_changed.push_back({u, ++m_stamp[std::size_t(u)]});
                --m_count;
            }
        }
        for (const auto &[u, stamp] : m_changed) {
            if (m_stamp[std::size_t(u)] == stamp)
                m_grid.insert(u, stamp, at(u).p, at(at(u).next).p);
        }
    }

    // The first candidate of every node and edge. Each corner's turn is worked out once here:
    // a node may go only where its edges turn left (or run straight on), an edge may grow only
    // between corners that turn right, so most candidates need no further look.
    void seedCandidates()
    {
        const std::size_t n = m_nodes.size();
        m_turn.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Node &node = m_nodes[i];
            if (node.alive)
                m_turn[i] = cross(node.p - at(node.prev).p, at(node.next).p - node.p);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!m_nodes[i].alive)
                continue;
            const uint32_t removalVersion = ++m_version[0][i], collapseVersion = ++m_version[1][i];
            double cost;
            if (!(m_turn[i] < 0) && removal(int(i), cost))
                push({cost, int(i), 0, removalVersion});
            Growth &growth = m_growth[i];
            if (!(m_turn[i] > 0 || m_turn[std::size_t(m_nodes[i].next)] > 0) && collapse(int(i), growth))
                push({std::max(growth.errorIn, growth.errorOut), int(i), 1, collapseVersion});
        }
    }

    // Steps until the outline has no more than the target of segments; false when stuck.
    bool run()
    {
        std::size_t guard = 64 * m_nodes.size() + 1024;
        while (m_count > m_target) {
            Candidate candidate;
            if (--guard == 0 || !m_queue.pop(candidate, [this](const Candidate &c) {
                    return at(c.node).alive && c.version == m_version[c.kind][std::size_t(c.node)];
                }))
                return false;
            if (candidate.kind == 0) {
                // What the cost depends on renews the candidate when it changes; only the
                // outline around the node may have shrunk to a triangle since.
                if (!removable(candidate.node))
                    continue;
                assert(costHolds(candidate));
                const int blocker = removalBlocker(candidate.node);
                if (blocker >= 0) {
                    block(blocker, candidate);
                    continue;
                }
                applyRemoval(candidate.node, candidate.cost);
            } else {
                // The same holds for the growth worked out with the candidate; only the outline
                // around the edge may have shrunk to a quadrilateral since.
                if (!collapsible(candidate.node))
                    continue;
                const Growth growth = m_growth[std::size_t(candidate.node)];
                assert(growthHolds(candidate, growth));
                const int blocker = collapseBlocker(candidate.node, growth.corner);
                if (blocker >= 0) {
                    block(blocker, candidate);
                    continue;
                }
                applyCollapse(candidate.node, growth);
            }
        }
        return true;
    }

    const std::vector<Node> &nodes() const { return m_nodes; }
    std::vector<Node> &nodes() { return m_nodes; }
    int count() const { return m_count; }

private:
    struct Candidate {
        double cost;
        int node;
        int kind;   // 0: remove the node; 1: collapse the edge that starts at it
        uint32_t version;
        // The cheapest first; ties go to the lower node, then removal.
        bool before(const Candidate &other) const
        {
            if (cost != other.cost)
                return cost < other.cost;
            if (node != other.node)
                return node < other.node;
            return kind < other.kind;
        }
    };
    struct Blocked {
        Candidate candidate;
        int next;
    };
    // What collapsing an edge makes: the new corner, the bounds of the two new edges' distances
    // and of the corner's own.
    struct Growth {
        Vec corner;
        double errorIn = 0;
        double errorOut = 0;
        double reach = 0;
    };

    Node &at(int i) { return m_nodes[std::size_t(i)]; }
    const Node &at(int i) const { return m_nodes[std::size_t(i)]; }

    // Removing a node whose edges turn left (or run straight on) adds the triangle they make.
    bool removable(int v) const
    {
        const Node &node = at(v);
        if (node.locked)
            return false;
        const int u = node.prev, w = node.next;
        if (at(u).prev == w)
            return false;   // a triangle stays
        const Vec a = at(u).p, b = node.p, c = at(w).p;
        const double turn = cross(b - a, c - b);
        return !(turn < 0 || (turn == 0 && dot(b - a, c - b) <= 0));
    }
    bool removal(int v, double &cost) const
    {
        if (!removable(v))
            return false;
        // Both bounds hold; each is the meeting of a growing and a falling one, and the least
        // of such meetings is still one.
        const Node &node = at(v);
        const Vec a = at(node.prev).p, b = node.p, c = at(node.next).p;
        cost = std::min(removalBound(a, b, c, at(node.prev).error, node.error),
                        cornerBound(a, c, at(node.prev).reach, at(node.next).reach));
        return std::isfinite(cost);
    }
    bool costHolds(const Candidate &candidate) const
    {
        double cost;
        return removal(candidate.node, cost) && cost == candidate.cost;
    }

    bool collapsible(int v1) const
    {
        const Node &first = at(v1), &second = at(first.next);
        if (first.locked || second.locked)
            return false;
        const int u = first.prev, w = second.next;
        return !(u == w || at(w).next == u);   // a quadrilateral stays
    }

    // Collapsing edge v1-v2 into the point where the lines of its neighbours meet, when that
    // point lies ahead of both and to the left of the edge.
    bool collapse(int v1, Growth &growth) const
    {
        if (!collapsible(v1))
            return false;
        const Node &first = at(v1), &second = at(first.next);
        const int u = first.prev, w = second.next;
        Vec &corner = growth.corner;
        double &errorIn = growth.errorIn, &errorOut = growth.errorOut, &reach = growth.reach;
        const Vec pu = at(u).p, p1 = first.p, p2 = second.p, pw = at(w).p;
        const Vec d1 = p1 - pu, d2 = p2 - pw, r = p2 - p1;
        // Only an edge between two corners that turn right can grow this way; at a corner that
        // turns left, removing it is the step.
        if (cross(d1, r) > 0 || cross(r, pw - p2) > 0)
            return false;
        const double den = cross(d1, d2);
        if (den == 0)
            return false;
        const double s = cross(r, d2) / den, t = cross(r, d1) / den;
        if (!(s >= 0) || !(t >= 0))
            return false;
        corner = p1 + d1 * s;
        if (!(cross(r, corner - p1) > 0))
            return false;
        // Along each extension, the distance to the old edge plus its error and the way from
        // the old corner plus that corner's grow toward the new corner; the new corner also
        // lies within its way from the other old corner plus that one's.
        const double height = pointSegmentDistance(corner, p1, p2) + first.error;
        const double alongIn = std::min(height, length(corner - p1) + first.reach);
        const double alongOut = std::min(height, length(corner - p2) + second.reach);
        reach = std::min(alongIn, alongOut);
        errorIn = std::min(std::max(at(u).error, alongIn), cornerBound(pu, corner, at(u).reach, reach));
        errorOut = std::min(std::max(second.error, alongOut), cornerBound(corner, pw, reach, at(w).reach));
        return std::isfinite(errorIn) && std::isfinite(errorOut);
    }

    bool growthHolds(const Candidate &candidate, const Growth &growth) const
    {
        Growth again;
        return collapse(candidate.node, again) && again.corner == growth.corner && again.errorIn == growth.errorIn
               && again.errorOut == growth.errorOut && again.reach == growth.reach
               && std::max(again.errorIn, again.errorOut) == candidate.cost;
    }

    void refresh(int kind, int v)
    {
        const uint32_t version = ++m_version[kind][std::size_t(v)];
        if (kind == 0) {
            double cost;
            if (removal(v, cost))
                push({cost, v, 0, version});
        } else {
            Growth &growth = m_growth[std::size_t(v)];
            if (collapse(v, growth))
                push({std::max(growth.errorIn, growth.errorOut), v, 1, version});
        }
    }

    // The first current edge other than those starting at `skip` that comes within the
    // clearance of segment a-b, or -1.
    int blocker(Vec a, Vec b, std::initializer_list<int> skip)
    {
        ++m_query;
        // The skipped edges count as seen already.
        for (int s : skip)
            m_seen[std::size_t(s)] = m_query;
        int found = -1;
        m_grid.visit(
            a, b, Clearance,
            // A node that goes changes its stamp too.
            [&](int edge, uint32_t stamp) { return m_stamp[std::size_t(edge)] == stamp; },
            [&](int edge) {
                if (m_seen[std::size_t(edge)] == m_query)
                    return true;
                m_seen[std::size_t(edge)] = m_query;
                const Vec c = at(edge).p, d = at(at(edge).next).p;
                if (mayTouch(a, b, c, d, Clearance) && segmentDistance(a, b, c, d) < Clearance) {
                    found = edge;
                    return false;
                }
                return true;
            });
        return found;
    }

    int removalBlocker(int v)
    {
        const int u = at(v).prev, w = at(v).next, t = at(u).prev, x = at(w).next;
        const Vec a = at(u).p, b = at(v).p, c = at(w).p;
        // The edges on from the new one must not fold back into the added triangle.
        const auto folds = [&](Vec p, Vec from, Vec to) {
            return inClosedTriangle(p, a, b, c) || (cross(to - from, p - from) == 0 && dot(to - from, p - from) > 0);
        };
        if (folds(at(t).p, a, c))
            return t;
        if (folds(at(x).p, c, a))
            return w;
        return blocker(a, c, {t, u, v, w});
    }

    int collapseBlocker(int v1, Vec corner)
    {
        const int u = at(v1).prev, v2 = at(v1).next;
        const int found = blocker(at(v1).p, corner, {u, v1, v2});
        return found >= 0 ? found : blocker(corner, at(v2).p, {u, v1, v2});
    }

    void push(const Candidate &candidate) { m_queue.push(candidate); }

    void block(int edge, const Candidate &candidate)
    {
        m_blocked.push_back({candidate, m_blockedHead[std::size_t(edge)]});
        m_blockedHead[std::size_t(edge)] = int(m_blocked.size()) - 1;
    }

    // The edge starting at `edge` changed: what it blocked may go now.
    void wake(int edge)
    {
        int link = m_blockedHead[std::size_t(edge)];
        m_blockedHead[std::size_t(edge)] = -1;
        while (link >= 0) {
            const Blocked &entry = m_blocked[std::size_t(link)];
            const Candidate &c = entry.candidate;
            if (at(c.node).alive && c.version == m_version[c.kind][std::size_t(c.node)])
                push(c);
            link = entry.next;
        }
    }

    void changeEdge(int from, int to, double error)
    {
        Node &node = at(from);
        node.next = to;
        at(to).prev = from;
        node.error = error;
        m_grid.insert(from, ++m_stamp[std::size_t(from)], node.p, at(to).p);
        wake(from);
    }

    void kill(int v)
    {
        at(v).alive = false;
        ++m_stamp[std::size_t(v)];
        wake(v);
    }

    void applyRemoval(int v, double cost)
    {
        const int u = at(v).prev, w = at(v).next;
        kill(v);
        changeEdge(u, w, cost);
        --m_count;
        refresh(0, u);
        refresh(0, w);
        refresh(1, at(u).prev);
        refresh(1, u);
        refresh(1, w);
    }

    void applyCollapse(int v1, const Growth &growth)
    {
        const int u = at(v1).prev, v2 = at(v1).next, w = at(v2).next;
        Node fresh;
        fresh.p = growth.corner;
        fresh.reach = growth.reach;
        const int p = int(m_nodes.size());
        m_nodes.push_back(fresh);
        if (m_seen.size() < m_nodes.size()) {
            m_seen.resize(2 * m_nodes.size(), 0);
            m_version[0].resize(2 * m_nodes.size(), 0);
            m_version[1].resize(2 * m_nodes.size(), 0);
            m_stamp.resize(2 * m_nodes.size(), 0);
            m_growth.resize(2 * m_nodes.size());
            m_blockedHead.resize(2 * m_nodes.size(), -1);
        }
        kill(v1);
        kill(v2);
        at(p).prev = u;
        changeEdge(p, w, growth.errorOut);
        changeEdge(u, p, growth.errorIn);
        --m_count;
        refresh(0, u);
        refresh(0, p);
        refresh(0, w);
        refresh(1, at(u).prev);
        refresh(1, u);
        refresh(1, p);
        refresh(1, w);
    }

    std::vector<Node> m_nodes;
    int m_count = 0;
    int m_target = 0;
    EdgeGrid m_grid;
    CostQueue<Candidate> m_queue;
    std::vector<uint32_t> m_version[2];
    std::vector<uint32_t> m_stamp;   // of each node: changes with the edge that starts there, and when it goes
    std::vector<std::pair<int, uint32_t>> m_changed;
    std::vector<double> m_turn;   // at each corner as the steps begin
    std::vector<Growth> m_growth;   // of each edge's current collapse candidate
    std::vector<uint32_t> m_seen;
    uint32_t m_query = 0;
    std::vector<int> m_blockedHead;
    std::vector<Blocked> m_blocked;
};

// ---------------------------------------------------------------------------------------------

// The memory of one fit at a time, kept per thread so that it is taken only once.
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

struct Workspace {
    std::vector<Element> elements;
    Polyline line;
    std::vector<Vec> points;
    std::vector<Vertex> start;
    std::vector<Node> nodes;
    NearestIndex index;
    Simplifier simplifier;
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

class Fitter
{
public:
    Fitter(const SegmentList &outline, int maxSegments, FitSide side, Workspace &work)
        : m_outline(outline), m_target(maxSegments), m_side(side), m_elements(work.elements), m_line(work.line),
          m_points(work.points), m_start(work.start), m_nodes(work.nodes), m_index(work.index),
          m_simplifier(work.simplifier), m_polygon(work.polygon), m_written(work.written),
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
            m_simplifier.setUp(m_nodes, count, m_target, m_index.grid().shape(), base);
            const bool reached = m_simplifier.run();
            if (reached)
                result = finish(m_simplifier.nodes());
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
    Simplifier &m_simplifier;
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
