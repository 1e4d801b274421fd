#include "output/fitgeometry.h"

namespace OutlineFitting {

void GridShape::setUp(double minX, double minY, double maxX, double maxY, std::size_t items, double preferred)
{
    const double width = std::max(maxX - minX, 1e-3), height = std::max(maxY - minY, 1e-3);
    const double wanted = double(std::max<std::size_t>(items, 1));
    const auto sizeFor = [&](double count) {
        // Thin boxes: no more cells along the long side than that count either.
        return std::max(std::max(std::sqrt(width * height / count), std::max(width, height) / count), 1e-3);
    };
    cell = std::max(std::min(sizeFor(wanted), preferred), sizeFor(4 * wanted));
    nx = int(std::min(width / cell, 4096.0)) + 1;
    ny = int(std::min(height / cell, 4096.0)) + 1;
    cell = std::max(width / nx, height / ny) * (1 + 1e-9);
    perCell = 1 / cell;
    lastColumn = nx - 1;
    lastRow = ny - 1;
    x0 = minX;
    y0 = minY;
}

void SegmentGrid::build(const std::vector<Vec> &points)
{
    m_points = &points;
    const std::size_t n = points.size();
    Box all{Infinity, Infinity, -Infinity, -Infinity};
    m_boxes.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec p = points[i];
        all.minX = std::min(all.minX, p.x);
        all.minY = std::min(all.minY, p.y);
        all.maxX = std::max(all.maxX, p.x);
        all.maxY = std::max(all.maxY, p.y);
        m_boxes[i] = boxOf(p, points[i + 1 == n ? 0 : i + 1]);
    }
    // Cells about twice as wide as the middle edge (of some evenly spread ones): a few long
    // edges (joining lines, a border straight across) do not crowd the dense parts' cells.
    m_shape.setUp(all.minX, all.minY, all.maxX, all.maxY, n, n > 0 ? 2 * middleLength() : 1.0);
    countCells();
    fillCells();
}

double SegmentGrid::middleLength()
{
    const std::vector<Vec> &points = *m_points;
    const std::size_t n = points.size(), step = std::max<std::size_t>(n / 63, 1);
    m_lengths.clear();
    for (std::size_t i = 0; i < n; i += step) {
        const Vec d = points[i + 1 == n ? 0 : i + 1] - points[i];
        m_lengths.push_back(dot(d, d));
    }
    const auto middle = m_lengths.begin() + std::ptrdiff_t(m_lengths.size() / 2);
    std::nth_element(m_lengths.begin(), middle, m_lengths.end());
    return std::sqrt(*middle);
}

// Edges count in every cell they come within Touch of, so that touching edges share one.
// The cells of each edge are remembered for the filling: the one cell of most edges, or
// how many of the listed ones (as -1 - count) for an edge over several. Each cell's count
// goes to its own start, which the filling then counts down.
void SegmentGrid::countCells()
{
    const std::vector<Vec> &points = *m_points;
    const std::size_t n = points.size(), cells = std::size_t(m_shape.nx) * std::size_t(m_shape.ny);
    m_start.assign(cells + 1, 0);
    m_cellsOf.resize(n);
    m_spread.clear();
    m_shared.clear();
    const auto count = [&](int cell) {
        if (++m_start[std::size_t(cell)] == 2)
            m_shared.push_back(cell);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const Box &box = m_boxes[i];
        const int c0 = m_shape.column(box.minX - Touch), c1 = m_shape.column(box.maxX + Touch);
        const int r0 = m_shape.row(box.minY - Touch), r1 = m_shape.row(box.maxY + Touch);
        if (c0 == c1 && r0 == r1) {
            m_cellsOf[i] = r0 * m_shape.nx + c0;
            count(m_cellsOf[i]);
            continue;
        }
        const std::size_t before = m_spread.size();
        m_shape.cells(points[i], points[i + 1 == n ? 0 : i + 1], Touch, [&](int cell) {
            count(cell);
            m_spread.push_back(cell);
        });
        m_cellsOf[i] = -1 - int(m_spread.size() - before);
    }
    for (std::size_t c = 1; c < cells; ++c)
        m_start[c] += m_start[c - 1];
    m_start[cells] = m_start[cells - 1];
}

// Last edge first, each to the end of its cells' lists: each list in edge order.
void SegmentGrid::fillCells()
{
    m_items.resize(std::size_t(m_start.back()));
    std::size_t spread = m_spread.size();
    for (std::size_t i = m_cellsOf.size(); i-- > 0;) {
        if (m_cellsOf[i] >= 0) {
            m_items[std::size_t(--m_start[std::size_t(m_cellsOf[i])])] = int(i);
            continue;
        }
        for (const std::size_t first = spread - std::size_t(-1 - m_cellsOf[i]); spread > first;)
            m_items[std::size_t(--m_start[std::size_t(m_spread[--spread])])] = int(i);
    }
}

namespace {

// Narrows [lo, hi] of the way along a + d t (len long) to within precision (m) around where
// the distances to edges `nearLo` (the nearer at lo) and `nearHi` meet: false position with
// the Illinois step, which narrows the bracket from both sides; plain halving when that stalls.
void narrowToMeeting(const NearestIndex &index, Vec a, Vec d, double len, int nearLo, int nearHi, double precision, double &lo, double &hi)
{
    const auto gap = [&](double t) {
        const Vec q = a + d * t;
        return index.edgeDistance(q, nearLo) - index.edgeDistance(q, nearHi);
    };
    double gapLo = gap(lo), gapHi = gap(hi);
    for (int side = 0, step = 0; (hi - lo) * len > precision && step < 100; ++step) {
        double t = 0.5 * (lo + hi);
        if (step % 4 != 3 && gapHi - gapLo > 0)
            t = std::clamp((lo * gapHi - hi * gapLo) / (gapHi - gapLo), lo, hi);
        // Keep the step inside the bracket, away from its ends.
        const double margin = std::min(0.25 * (hi - lo), 0.5 * precision / len);
        t = std::clamp(t, lo + margin, hi - margin);
        const double g = gap(t);
        if (g <= 0) {
            lo = t;
            gapLo = g;
            if (side == -1)
                gapHi *= 0.5;
            side = -1;
        } else {
            hi = t;
            gapHi = g;
            if (side == 1)
                gapLo *= 0.5;
            side = 1;
        }
    }
}

} // namespace

NearestIndex::Hit NearestIndex::nearest(Vec p) const
{
    Hit best;
    const GridShape &g = m_grid.shape();
    const int cx = g.column(p.x), cy = g.row(p.y);
    const auto look = [&](int x, int y) {
        m_grid.inCell(std::size_t(y) * std::size_t(g.nx) + std::size_t(x), [&](int edge) {
            const double d = edgeDistance(p, edge);
            if (d < best.distance || (d == best.distance && edge < best.edge))
                best = {d, edge};
        });
    };
    // Square rings of cells around p's cell, as far as the grid goes.
    for (int ring = 0;; ++ring) {
        const int xa = cx - ring, xb = cx + ring, ya = cy - ring, yb = cy + ring;
        const int left = std::max(xa, 0), right = std::min(xb, g.nx - 1);
        for (int y = std::max(ya, 0); y <= std::min(yb, g.ny - 1); ++y) {
            if (y == ya || y == yb) {
                for (int x = left; x <= right; ++x)
                    look(x, y);
                continue;
            }
            if (xa >= 0)
                look(xa, y);
            if (xb < g.nx && xb != xa)
                look(xb, y);
        }
        // Cells not yet seen lie beyond the open sides of the block around p's cell.
        double bound = Infinity;
        if (xa > 0)
            bound = std::min(bound, std::max(0.0, p.x - (g.x0 + xa * g.cell)));
        if (xb < g.nx - 1)
            bound = std::min(bound, std::max(0.0, g.x0 + (xb + 1) * g.cell - p.x));
        if (ya > 0)
            bound = std::min(bound, std::max(0.0, p.y - (g.y0 + ya * g.cell)));
        if (yb < g.ny - 1)
            bound = std::min(bound, std::max(0.0, g.y0 + (yb + 1) * g.cell - p.y));
        if (best.distance <= bound || bound == Infinity)
            return best;
    }
}

// The distance along the segment is the lower envelope of the distances to single edges,
// each convex: between two points with the same nearest edge it stays below
// the larger end, and between two with different nearest edges below where those two
// meet. Only where a third edge is nearer there is the piece split. Pieces that cannot
// reach above the floor (the distance changes no faster than the way along) are skipped.
double NearestIndex::segmentHausdorff(Vec a, Vec b, double floor) const
{
    const Vec d = b - a;
    const double len = length(d);
    const Sample first{0.0, nearest(a)}, last{1.0, nearest(b)};
    double best = std::max(floor, std::max(first.hit.distance, last.hit.distance));
    if (len == 0)
        return best;
    std::vector<std::pair<Sample, Sample>> &work = m_work;
    work.assign(1, {first, last});
    for (int budget = 400; !work.empty();) {
        const Sample s = work.back().first, e = work.back().second;
        work.pop_back();
        const double span = (e.t - s.t) * len;
        if (s.hit.edge == e.hit.edge || 0.5 * (s.hit.distance + e.hit.distance + span) <= best)
            continue;
        if (--budget <= 0) {
            best = 0.5 * (s.hit.distance + e.hit.distance + span);
            continue;
        }
        double lo = s.t, hi = e.t;
        const double precision = std::max(0.05, 0.005 * best);
        narrowToMeeting(*this, a, d, len, s.hit.edge, e.hit.edge, precision, lo, hi);
        const double t = 0.5 * (lo + hi);
        const Vec q = a + d * t;
        const double meet = std::min(edgeDistance(q, s.hit.edge), edgeDistance(q, e.hit.edge)) + 0.5 * (hi - lo) * len;
        if (meet <= best)
            continue;
        const Hit here = nearest(q);
        if (here.edge == s.hit.edge || here.edge == e.hit.edge || here.distance >= meet - precision) {
            best = meet;
            continue;
        }
        best = std::max(best, here.distance);
        const Sample middle{t, here};
        work.push_back({s, middle});
        work.push_back({middle, e});
    }
    return best;
}

void PolygonIndex::build(const std::vector<Vec> &points)
{
    const std::size_t n = points.size();
    m_minY = Infinity;
    double maxY = -Infinity;
    for (const Vec &p : points) {
        m_minY = std::min(m_minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    m_bands = int(std::clamp<std::size_t>(n, 1, 8192));
    m_perBand = 1 / (std::max((maxY - m_minY) / m_bands, 1e-9) * (1 + 1e-9));
    // Each band's count goes to its own start, which the filling then counts down: the
    // order within a band does not matter.
    m_start.assign(std::size_t(m_bands) + 1, 0);
    m_spans.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec a = points[i], b = points[i + 1 == n ? 0 : i + 1];
        m_spans[i] = {band(std::min(a.y, b.y)), band(std::max(a.y, b.y))};
        for (int k = m_spans[i].first; k <= m_spans[i].second; ++k)
            ++m_start[std::size_t(k)];
    }
    for (std::size_t k = 1; k < std::size_t(m_bands); ++k)
        m_start[k] += m_start[k - 1];
    m_start.back() = m_start[std::size_t(m_bands) - 1];
    m_items.resize(std::size_t(m_start.back()));
    for (std::size_t i = 0; i < n; ++i) {
        const Vec a = points[i], b = points[i + 1 == n ? 0 : i + 1];
        const Item item{a, b, a.y != b.y ? (b.x - a.x) / (b.y - a.y) : 0.0};
        for (int k = m_spans[i].first; k <= m_spans[i].second; ++k)
            m_items[std::size_t(--m_start[std::size_t(k)])] = item;
    }
}

double signedArea(const std::vector<Vec> &points)
{
    double sum = 0;
    for (std::size_t i = 0, n = points.size(); i < n; ++i)
        sum += cross(points[i], points[(i + 1) % n]);
    return 0.5 * sum;
}

} // namespace OutlineFitting
