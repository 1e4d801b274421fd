#include "output/fitinternal.h"

#include <cassert>
#include <cstring>
#include <initializer_list>
#include <memory>

// The greedy simplifier: it removes corners and collapses edges, the cheapest step first.

namespace OutlineFitting {
namespace {

// New edges keep this distance (m) from every other edge, well above what rounding corners to
// whole milli-arc-seconds (about 2 cm) can move them, so that the written outline cannot cross.
constexpr double Clearance = 0.1;

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

// The outline as the steps change it, with the candidate steps by cost, the current edges in
// a grid (each new edge keeps its clearance from them) and the candidates each edge blocks.
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

    std::vector<Node> &nodes() { return m_nodes; }

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

} // namespace

bool simplify(std::vector<Node> &nodes, int count, int target, const GridShape &shape, const SegmentGrid *base)
{
    // Its memory is kept per thread, like the rest of a fit's, so that it is taken only once.
    // On the heap: its steps then reach it through a pointer, not through the thread's own
    // address, for which the compiler makes slower copies of them.
    thread_local const std::unique_ptr<Simplifier> kept = std::make_unique<Simplifier>();
    Simplifier &simplifier = *kept;
    simplifier.setUp(nodes, count, target, shape, base);
    const bool reached = simplifier.run();
    nodes.swap(simplifier.nodes());
    return reached;
}

} // namespace OutlineFitting
