#include "model/airspace.h"
#include "model/geometry.h"
#include "openair/openairreader.h"
#include "output/outlinefit.h"

#include <QDir>
#include <QPointF>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>

Q_DECLARE_METATYPE(SegmentList)

// The fitted outlines are checked by a checker of their own: it samples both outlines in a flat
// frame of its own making (arcs through the model's destination function, one point a degree),
// and looks at every sample.

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double MetresPerMas = 6371000.0 * Pi / 180.0 / 3600000.0;
constexpr double Tolerance = FitToleranceCm / 100.0;

int64_t wrapped(int64_t delta)
{
    while (delta >= Mas::Half)
        delta -= Mas::FullTurn;
    while (delta < -Mas::Half)
        delta += Mas::FullTurn;
    return delta;
}

// Points are kept in milli-arc-seconds, longitudes taken the short way from the first point of
// the original; lengths are metres on a sphere of 6,371 km in a flat frame.
struct Plane {
    GeoPoint origin;
    QPointF at(GeoPoint p) const { return {double(wrapped(int64_t(p.lon) - origin.lon)), double(int64_t(p.lat) - origin.lat)}; }
    double latitude(QPointF p) const { return (origin.lat + p.y()) / 3600000.0 * Pi / 180.0; }
};

Plane planeOf(const SegmentList &outline)
{
    return Plane{outline.front()->startPoint()};
}

// Metres east per milli-arc-second of longitude (latitudes beyond the poles taken as near them).
double eastScale(double latitude)
{
    return MetresPerMas * std::max(std::abs(std::cos(latitude)), 1e-6);
}

// The points in metres, east lengths true at the given latitude.
QVector<QPointF> metres(const QVector<QPointF> &points, double latitude)
{
    QVector<QPointF> out;
    for (const QPointF &p : points)
        out << QPointF(p.x() * eastScale(latitude), p.y() * MetresPerMas);
    return out;
}

double distance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double l2 = QPointF::dotProduct(ab, ab);
    const double t = l2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / l2, 0.0, 1.0) : 0.0;
    const QPointF d = p - (a + ab * t);
    return std::hypot(d.x(), d.y());
}

// The outline as points of a closed polyline: lines cut every `step` metres (whole when 0),
// arcs and circles a point every degree. A segment that starts away from the one before is
// joined to it by a straight line, as the model reads it.
QVector<QPointF> sampled(const SegmentList &outline, const Plane &plane, double step)
{
    QVector<QPointF> points;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const AirspaceSegment &s = *outline[i];
        const QPointF a = plane.at(s.startPoint()), b = plane.at(s.endPoint());
        if (s.kind() == Line) {
            const int pieces = step > 0 ? std::max(1, int(std::ceil(std::hypot(b.x() - a.x(), b.y() - a.y()) / step))) : 1;
            for (int k = 0; k < pieces; ++k)
                points << a + (b - a) * (double(k) / pieces);
        } else {
            const int64_t from = s.startAngle(), to = s.endAngle();
            const int64_t sweep = s.isClockwise() ? (to > from ? to - from : to - from + Mas::FullTurn)
                                                  : (to < from ? to - from : to - from - Mas::FullTurn);
            points << a;
            for (int k = 1; k < int(std::abs(sweep) / Mas::Degree); ++k) {
                const int64_t bearing = from + (sweep > 0 ? 1 : -1) * int64_t(k) * Mas::Degree;
                points << plane.at(destinationPoint(s.centrePoint(), s.radius(),
                                                    int32_t((bearing % Mas::FullTurn + Mas::FullTurn) % Mas::FullTurn)));
            }
        }
        // The end of a segment that the next one does not start at is a corner of its own.
        if (s.endPoint() != outline[(i + 1) % outline.size()]->startPoint())
            points << b;
    }
    return points;
}

bool inside(QPointF p, const QVector<QPointF> &polygon)
{
    bool in = false;
    for (int i = 0, n = int(polygon.size()); i < n; ++i) {
        const QPointF a = polygon[i], b = polygon[(i + 1) % n];
        if ((a.y() > p.y()) != (b.y() > p.y()) && a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y()) > p.x())
            in = !in;
    }
    return in;
}

double distanceTo(QPointF p, const QVector<QPointF> &polygon)
{
    double best = HUGE_VAL;
    for (int i = 0, n = int(polygon.size()); i < n; ++i)
        best = std::min(best, distance(p, polygon[i], polygon[(i + 1) % n]));
    return best;
}

double side(QPointF o, QPointF a, QPointF b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// The first two edges that cross or touch, other than neighbours at their shared corner.
QString crossing(const QVector<QPointF> &p)
{
    const int n = int(p.size());
    for (int i = 0; i < n; ++i) {
        const QPointF a = p[i], b = p[(i + 1) % n];
        for (int j = i + 1; j < n; ++j) {
            const QPointF c = p[j], d = p[(j + 1) % n];
            const bool neighbours = j == i + 1 || (i == 0 && j == n - 1);
            if (neighbours) {
                // Only a fold back along the other edge counts.
                const QPointF shared = j == i + 1 ? b : a, other1 = j == i + 1 ? a : b, other2 = j == i + 1 ? d : c;
                if (side(shared, other1, other2) == 0 && QPointF::dotProduct(other1 - shared, other2 - shared) > 0)
                    return QStringLiteral("edges %1 and %2 fold").arg(i).arg(j);
                continue;
            }
            const double d1 = side(a, b, c), d2 = side(a, b, d), d3 = side(c, d, a), d4 = side(c, d, b);
            if (((d1 >= 0) != (d2 >= 0) || d1 == 0 || d2 == 0) && ((d3 >= 0) != (d4 >= 0) || d3 == 0 || d4 == 0)
                && std::min(a.x(), b.x()) <= std::max(c.x(), d.x()) && std::min(c.x(), d.x()) <= std::max(a.x(), b.x())
                && std::min(a.y(), b.y()) <= std::max(c.y(), d.y()) && std::min(c.y(), d.y()) <= std::max(a.y(), b.y()))
                return QStringLiteral("edges %1 and %2 of %3 meet").arg(i).arg(j).arg(n);
        }
    }
    return QString();
}

// Everything promised about a fit of `original`; an empty text when it holds. `thorough` also
// measures the distance from every 100 m of the fitted lines (else from their corners).
QString broken(const SegmentList &original, const OutlineFit &fit, int maxSegments, FitSide fitSide, bool thorough)
{
    const SegmentList &s = fit.segments;
    if (int(s.size()) > maxSegments)
        return QStringLiteral("%1 segments").arg(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i]->startPoint() != s[(i + s.size() - 1) % s.size()]->endPoint())
            return QStringLiteral("segment %1 does not start where the one before ends").arg(i);
    }
    const Plane plane = planeOf(original);
    // Containment and crossings do not depend on the frame's east scale: take the middle one.
    const QVector<QPointF> given = sampled(original, plane, 0), fittedMas = sampled(s, plane, 0);
    double south = HUGE_VAL, north = -HUGE_VAL;
    for (const QPointF &p : given) {
        south = std::min(south, p.y());
        north = std::max(north, p.y());
    }
    const double middle = plane.latitude(QPointF(0, (south + north) / 2));
    const QVector<QPointF> fitted = metres(fittedMas, middle);
    double area = 0;
    for (int i = 0; i < fitted.size(); ++i)
        area += fitted[i].x() * fitted[(i + 1) % fitted.size()].y() - fitted[(i + 1) % fitted.size()].x() * fitted[i].y();
    if (!(area < 0))
        return QStringLiteral("not clockwise");
    // The model agrees, where it reads lines the short way (it takes 180 degrees the long way
    // round) and the outline is wide enough for its arc-second sums.
    const bool wraps = std::any_of(s.begin(), s.end(), [](const SegmentPtr &x) {
        return std::abs(int64_t(x->endPoint().lon) - x->startPoint().lon) > Mas::Half;
    });
    if (!wraps && orientation(s) < 0)
        return QStringLiteral("counter-clockwise to the model");
    if (const QString meet = crossing(fitted); !meet.isEmpty())
        return meet;
    // Every 100 m of the original inside the fit, or every 100 m of the fit inside the original.
    const bool outward = fitSide == FitSide::Outside;
    const QVector<QPointF> outer = metres(outward ? fittedMas : given, middle);
    const double perMetre = 1 / MetresPerMas;   // a north step; east ones come out shorter
    for (const QPointF &p : metres(sampled(outward ? original : s, plane, 100 * perMetre), middle)) {
        if (!inside(p, outer) && distanceTo(p, outer) > Tolerance)
            return QStringLiteral("a point %1 m %2").arg(distanceTo(p, outer), 0, 'f', 1).arg(outward ? "outside" : "too far out");
    }
    // The distance told is not less than the one measured, in a frame true at each point, along
    // the fitted lines (some thousand points) or at their corners.
    double perimeter = 0;
    for (int i = 0; i < fitted.size(); ++i) {
        const QPointF d = fitted[(i + 1) % fitted.size()] - fitted[i];
        perimeter += std::hypot(d.x(), d.y());
    }
    double largest = 0;
    for (const QPointF &p : thorough ? sampled(s, plane, std::max(100.0, perimeter / 3000) * perMetre) : fittedMas) {
        const double east = eastScale(plane.latitude(p));
        double nearest = HUGE_VAL;
        for (int i = 0, n = int(given.size()); i < n; ++i) {
            const QPointF a = given[i] - p, b = given[(i + 1) % n] - p;
            nearest = std::min(nearest, distance({0, 0}, {a.x() * east, a.y() * MetresPerMas}, {b.x() * east, b.y() * MetresPerMas}));
        }
        largest = std::max(largest, nearest);
    }
    if (largest > fit.largestDistanceCm / 100.0 + 1.0)
        return QStringLiteral("%1 m from the original, told %2 m").arg(largest, 0, 'f', 1).arg(fit.largestDistanceCm / 100.0);
    return QString();
}

bool same(const OutlineFit &a, const OutlineFit &b)
{
    if (a.largestDistanceCm != b.largestDistanceCm || a.segments.size() != b.segments.size())
        return false;
    for (std::size_t i = 0; i < a.segments.size(); ++i) {
        const AirspaceSegment &x = *a.segments[i], &y = *b.segments[i];
        if (x.kind() != y.kind() || x.startPoint() != y.startPoint() || x.endPoint() != y.endPoint()
            || x.centrePoint() != y.centrePoint() || x.isClockwise() != y.isClockwise())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Generated outlines: kilometres east and north of a centre, finished as the record writer does.

GeoPoint offset(GeoPoint centre, QPointF km)
{
    const double east = std::cos(centre.lat / 3600000.0 * Pi / 180.0);
    return GeoPoint(int32_t(wrapped(int64_t(centre.lon) + std::llround(km.x() * 1000 / MetresPerMas / east))),
                    int32_t(centre.lat + std::llround(km.y() * 1000 / MetresPerMas)));
}

QList<QPointF> ring(int n, double radius, const std::function<double(int)> &scale)
{
    QList<QPointF> points;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * Pi * i / n;
        points << QPointF(std::sin(a), std::cos(a)) * (radius * scale(i));
    }
    return points;
}

// Points of a shape in kilometres; clockwise or not, as it comes.
QList<QPointF> shape(const QString &name, QRandomGenerator &rng)
{
    const auto noise = [&](double km) { return (rng.generateDouble() - 0.5) * 2 * km; };
    QList<QPointF> p;
    if (name == u"star")   // deep spikes and notches
        return ring(300, 20, [&](int i) { return i % 2 ? 0.4 + 0.6 * rng.generateDouble() : 1.0; });
    if (name == u"circle")   // an arc turned into points
        return ring(720, 30, [](int) { return 1.0; });
    if (name == u"spiral") {   // a band 1 km wide wound three times
        for (int i = 0; i <= 400; ++i) {
            const double a = 6 * Pi * i / 400, r = 2 + 1.5 * a;
            p << QPointF(r * std::sin(a), r * std::cos(a));
        }
        for (int i = 400; i >= 0; --i) {
            const double a = 6 * Pi * i / 400, r = 3 + 1.5 * a;
            p << QPointF(r * std::sin(a), r * std::cos(a));
        }
        return p;
    }
    if (name == u"tight spiral") {   // a band 1 km wide wound five times, 300 m between the turns
        for (int i = 0; i <= 500; ++i) {
            const double a = 10 * Pi * i / 500, r = 2 + 1.3 / (2 * Pi) * a;
            p << QPointF(r * std::sin(a), r * std::cos(a));
        }
        for (int i = 500; i >= 0; --i) {
            const double a = 10 * Pi * i / 500, r = 3 + 1.3 / (2 * Pi) * a;
            p << QPointF(r * std::sin(a), r * std::cos(a));
        }
        return p;
    }
    if (name == u"saw") {   // teeth leaning over their neighbours
        for (int t = 0; t < 80; ++t)
            p << QPointF(t * 0.5, 0) << QPointF(t * 0.5 + 1.2, 3 + noise(0.2)) << QPointF(t * 0.5 + 0.1, 0.15);
        p << QPointF(40, 0) << QPointF(40, -3) << QPointF(0, -3);
        return p;
    }
    if (name == u"zipper") {
        // A V whose arms, 200 m apart for the first 10 km, carry teeth 150 m high that reach past
        // each other: closing a notch of one arm would swallow a tooth of the other. The arms
        // then open to 16 km apart, so that the convex hull lies kilometres off.
        p << QPointF(-1, -1.1) << QPointF(-1, 1.1) << QPointF(10, 1.1) << QPointF(30, 9) << QPointF(30, 8)
          << QPointF(10, 0.1);
        for (int k = 40; k > 0; --k)
            p << QPointF(k * 0.25 - 0.125, 0.1) << QPointF(k * 0.25 - 0.25, -0.05);
        p << QPointF(0, 0.1) << QPointF(0, -0.1);
        for (int k = 0; k < 40; ++k)
            p << QPointF(k * 0.25, -0.1) << QPointF(k * 0.25 + 0.125, 0.05);
        p << QPointF(10, -0.1) << QPointF(30, -8) << QPointF(30, -9) << QPointF(10, -1.1);
        return p;
    }
    if (name == u"sliver") {   // 50 km long, 200 m wide, both sides rough
        for (int i = 0; i <= 300; ++i)
            p << QPointF(50.0 * i / 300, noise(0.03));
        for (int i = 300; i >= 0; --i)
            p << QPointF(50.0 * i / 300, 0.2 + noise(0.03));
        return p;
    }
    if (name == u"comb") {   // 25 teeth 5 km long with gaps of 300 m: narrow fjords
        for (int t = 0; t < 25; ++t) {
            const double x = t * 1.3;
            p << QPointF(x, 0) << QPointF(x, 5 + noise(0.5)) << QPointF(x + 0.5, 5.2) << QPointF(x + 1.0, 5 + noise(0.5))
              << QPointF(x + 1.0, 0.2) << QPointF(x + 1.15, 0.1 + noise(0.05));
        }
        p << QPointF(32.5, 0) << QPointF(32.5, -2) << QPointF(0, -2);
        return p;
    }
    if (name == u"near duplicates") {   // every corner twice, a milli-arc-second apart
        for (const QPointF &q : ring(150, 10, [&](int) { return 1 + noise(0.02); }))
            p << q << q + QPointF(MetresPerMas / 1000, MetresPerMas / 1000);
        return p;
    }
    if (name == u"figure eight") {   // crosses itself once in the middle
        for (int i = 0; i < 300; ++i) {
            const double a = 2 * Pi * i / 300;
            p << QPointF(20 * std::sin(a), 8 * std::sin(2 * a)) + QPointF(noise(0.05), noise(0.05));
        }
        return p;
    }
    if (name == u"touching squares") {   // two squares that share one corner
        const auto side = [&](QPointF from, QPointF to) {
            for (int i = 0; i < 40; ++i)
                p << from + (to - from) * (i / 40.0) + QPointF(noise(0.01), noise(0.01));
        };
        side({0, 0}, {0, 10});
        side({0, 10}, {10, 10});
        side({10, 10}, {10, 0});
        p << QPointF(10, 0);
        side({10, 0}, {20, 0});
        side({20, 0}, {20, -10});
        side({20, -10}, {10, -10});
        side({10, -10}, {10, 0});
        p << QPointF(10, 0);
        side({10, 0}, {0, 0});
        return p;
    }
    if (name == u"wide") {   // 4000 corners over some 1000 km
        return ring(4000, 500, [&](int) { return 0.8 + 0.4 * rng.generateDouble(); });
    }
    if (name == u"tiny star")   // 5 m across: rounding to whole units is most of it
        return ring(300, 0.0025, [](int i) { return i % 2 ? 0.5 : 1.0; });
    if (name == u"thin as a line") {   // out along a line and straight back: only rounding gives it width
        for (int i = 0; i < 150; ++i)
            p << QPointF(i * 0.1, i * 0.05);
        return p;
    }
    if (name == u"on a meridian") {   // out and back along one meridian: no area at all
        for (int i = 0; i < 150; ++i)
            p << QPointF(0, i * (i % 2 ? 0.1 : 0.05));
        return p;
    }
    return p;
}

SegmentList finished(const QList<GeoPoint> &points, bool close)
{
    Airspace airspace;
    for (GeoPoint point : points)
        airspace.addPoint(point);
    if (close && !points.isEmpty())
        airspace.addPoint(points.front());
    airspace.finishDefinition();
    return airspace.segments();
}

SegmentList generated(const QString &name, GeoPoint centre, bool close = true)
{
    QRandomGenerator rng(20240613);
    QList<GeoPoint> points;
    for (const QPointF &km : shape(name, rng))
        points << offset(centre, km);
    return finished(points, close);
}

// A rough square 40 km wide whose east side bulges out in a clockwise arc and whose west side
// is bitten into by a counter-clockwise one.
SegmentList withArcs(GeoPoint centre)
{
    QRandomGenerator rng(7);
    const auto rough = [&](double km) { return km + (rng.generateDouble() - 0.5) * 0.4; };
    Airspace a;
    for (int i = 0; i <= 120; ++i)
        a.addPoint(offset(centre, QPointF(-20 + 40.0 * i / 120, rough(20))));
    a.addPoint(offset(centre, {20, 10}));
    a.addArc(offset(centre, {20, 0}), offset(centre, {20, 10}), offset(centre, {20, -10}), true);
    a.addPoint(offset(centre, {20, -20}));
    for (int i = 1; i <= 60; ++i)
        a.addPoint(offset(centre, QPointF(20 - 40.0 * i / 60, rough(-20))));
    a.addPoint(offset(centre, {-20, -10}));
    a.addArc(offset(centre, {-20, 0}), offset(centre, {-20, -10}), offset(centre, {-20, 10}), false);
    a.addPoint(offset(centre, {-20, 20}));
    a.finishDefinition();
    return a.segments();
}

// 150 clockwise arcs of 1 km radius between corners 840 m apart on a circle: each bulges out
// some 90 m beyond the chord between its ends.
SegmentList scalloped(GeoPoint centre)
{
    Airspace a;
    const QList<QPointF> corners = ring(150, 20, [](int) { return 1.0; });
    for (int i = 0; i < 150; ++i) {
        const QPointF from = corners[i], to = corners[(i + 1) % 150], middle = (from + to) / 2;
        const QPointF half = to - middle;
        const double h = std::sqrt(1.0 - QPointF::dotProduct(half, half));
        // The centre lies inwards of the chord, so that the arc bulges out.
        const QPointF inwards = QPointF(-middle.x(), -middle.y()) / std::hypot(middle.x(), middle.y());
        a.addArc(offset(centre, middle + inwards * h), offset(centre, from), offset(centre, to), true);
    }
    a.finishDefinition();
    return a.segments();
}

const GeoPoint Alps(7 * Mas::Degree, 46 * Mas::Degree);

} // namespace

class OutlineFitTest : public QObject
{
    Q_OBJECT

private slots:
    void keepsItsPromises_data()
    {
        QTest::addColumn<SegmentList>("original");
        QTest::addColumn<int>("fitSide");
        QTest::addColumn<int>("most");       // metres the fit may lie off the original: a fall-back to
                                             // the convex hull, or a worse fit, goes far beyond
        QTest::addColumn<int>("arcsKept");   // of the original's arcs, how many come out as they are

        const auto row = [](const char *name, const SegmentList &outline, FitSide side, int most, int arcs = 0) {
            QTest::newRow(name) << outline << int(side) << most << arcs;
        };
        const GeoPoint across180(179 * Mas::Degree + 3500000, -17 * Mas::Degree), nearPole(15 * Mas::Degree, 89 * Mas::Degree + 1800000);
        row("star", generated("star", Alps), FitSide::Outside, 600);
        row("circle", generated("circle", Alps), FitSide::Outside, 60);
        row("spiral", generated("spiral", Alps), FitSide::Outside, 900);
        row("tight spiral", generated("tight spiral", Alps), FitSide::Outside, 2000);
        row("saw", generated("saw", Alps), FitSide::Outside, 900);
        row("zipper", generated("zipper", Alps), FitSide::Outside, 900);
        row("sliver", generated("sliver", Alps), FitSide::Outside, 150);
        row("comb", generated("comb", Alps), FitSide::Outside, 400);
        row("near duplicates", generated("near duplicates", Alps), FitSide::Outside, 150);
        row("wide", generated("wide", Alps), FitSide::Outside, 40000);
        row("thin as a line", generated("thin as a line", Alps), FitSide::Outside, 5);
        // Crossing or touching itself: the boundary of everything enclosed is fitted.
        row("figure eight", generated("figure eight", Alps), FitSide::Outside, 150);
        row("touching squares", generated("touching squares", Alps), FitSide::Outside, 40);
        row("open, closing line implied", generated("star", Alps, false), FitSide::Outside, 600);
        row("across 180 degrees", generated("star", across180), FitSide::Outside, 600);
        row("near the pole", generated("star", nearPole), FitSide::Outside, 800);
        row("arcs", withArcs(Alps), FitSide::Outside, 300, 2);
        // Too many arcs to keep: they become corners outside them.
        row("scalloped", scalloped(Alps), FitSide::Outside, 300);
        row("star inside", generated("star", Alps), FitSide::Inside, 1300);
        row("circle inside", generated("circle", Alps), FitSide::Inside, 60);
        row("arcs inside", withArcs(Alps), FitSide::Inside, 250, 2);
        row("scalloped inside", scalloped(Alps), FitSide::Inside, 300);
        // Given counter-clockwise (finishing reads a line across 180 degrees the long way).
        SegmentList turned = generated("star", Alps);
        std::reverse(turned.begin(), turned.end());
        for (SegmentPtr &s : turned)
            s = std::make_shared<AirspaceSegment>(s->endPoint(), s->startPoint());
        row("counter-clockwise", turned, FitSide::Outside, 600);
    }
    void keepsItsPromises()
    {
        QFETCH(SegmentList, original);
        QFETCH(int, fitSide);
        QVERIFY(original.size() > 100);
        const OutlineFit fit = fitOutline(original, 100, FitSide(fitSide));
        QVERIFY2(!fit.segments.empty(), "not fitted");
        const QString fault = broken(original, fit, 100, FitSide(fitSide), true);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(same(fit, fitOutline(original, 100, FitSide(fitSide))));
        QFETCH(int, most);
        QVERIFY2(fit.largestDistanceCm <= most * 100, qPrintable(QString::number(fit.largestDistanceCm / 100.0)));
        int kept = 0;
        for (const SegmentPtr &s : fit.segments)
            kept += s->kind() != Line && std::find(original.begin(), original.end(), s) != original.end();
        QTEST(kept, "arcsKept");
        qInfo("%zu -> %zu segments, %.1f m", original.size(), fit.segments.size(), fit.largestDistanceCm / 100.0);
    }

    // Outlines that cannot be fitted give nothing, which the run reports as too long.
    void givesNothingWhenItCannot_data()
    {
        QTest::addColumn<SegmentList>("original");
        QTest::addColumn<int>("maxSegments");
        QList<GeoPoint> aroundPole;
        for (int i = 0; i < 150; ++i)
            aroundPole << GeoPoint(int32_t(i * (Mas::FullTurn / 150) - Mas::Half), 85 * Mas::Degree + (i % 2) * 100000);
        QTest::newRow("on one meridian") << generated("on a meridian", Alps) << 100;
        QTest::newRow("around the pole") << finished(aroundPole, true) << 100;
        QTest::newRow("fewer than three segments") << generated("star", Alps) << 2;
        QTest::newRow("nothing") << SegmentList() << 100;
    }
    void givesNothingWhenItCannot()
    {
        QFETCH(SegmentList, original);
        QFETCH(int, maxSegments);
        QVERIFY(fitOutline(original, maxSegments, FitSide::Outside).segments.empty());
    }

    // Absurd outlines end in bounded time, with nothing or with a fit that keeps the promises.
    void survivesAbsurdOutlines_data()
    {
        QTest::addColumn<SegmentList>("original");
        const auto arcs = [](int32_t radius, int32_t spread) {
            SegmentList list;
            GeoPoint at = Alps;
            for (int i = 0; i < 150; ++i) {
                const GeoPoint next(at.lon + spread, at.lat + (i % 2 ? spread : -spread));
                list.push_back(std::make_shared<AirspaceSegment>(Arc, at, next, Alps, radius, i * 1000000, i * 7000000, i % 3 != 0));
                at = next;
            }
            return list;
        };
        QList<GeoPoint> same(200, Alps), beyond;
        for (const QPointF &km : ring(200, 30, [](int i) { return i % 2 ? 0.5 : 1.0; }))
            beyond << GeoPoint(int32_t(km.x() * 1e6), int32_t(2100000000 - std::abs(km.y()) * 1e6));
        QTest::newRow("one point 200 times") << finished(same, true);
        QTest::newRow("latitudes beyond the pole") << finished(beyond, true);
        QTest::newRow("a star 5 m wide") << generated("tiny star", Alps);
        QTest::newRow("arcs of no radius") << arcs(0, 1000);
        QTest::newRow("arcs of 20,000 km radius") << arcs(2000000000, 1000);
        QTest::newRow("arcs that do not fit their ends") << arcs(500000, 360000);
    }
    void survivesAbsurdOutlines()
    {
        QFETCH(SegmentList, original);
        for (const FitSide side : {FitSide::Outside, FitSide::Inside}) {
            const OutlineFit fit = fitOutline(original, 100, side);
            if (!fit.segments.empty()) {
                const QString fault = broken(original, fit, 100, side, false);
                QVERIFY2(fault.isEmpty(), qPrintable(fault));
            }
        }
    }

    // What already fits comes back as it is, closed.
    void leavesShortOutlinesAlone_data()
    {
        QTest::addColumn<SegmentList>("original");
        QTest::addColumn<int>("closing");   // lines added to close it
        QList<GeoPoint> square;
        for (const QPointF &km : {QPointF(0, 0), QPointF(0, 5), QPointF(5, 5), QPointF(5, 0)})
            square << offset(Alps, km);
        QTest::newRow("square, closed") << finished(square, true) << 0;
        QTest::newRow("square, open") << finished(square, false) << 1;
        QTest::newRow("arcs, open") << withArcs(Alps) << 1;
    }
    void leavesShortOutlinesAlone()
    {
        QFETCH(SegmentList, original);
        QFETCH(int, closing);
        const OutlineFit fit = fitOutline(original, 200, FitSide::Outside);
        QCOMPARE(int(fit.segments.size()), int(original.size()) + closing);
        QCOMPARE(fit.largestDistanceCm, int32_t(0));
        QVERIFY(broken(original, fit, 200, FitSide::Outside, true).isEmpty());
    }

    // Every over-long airspace of the corpus that is not faulty, read as the run reads it.
    void fitsTheCorpus()
    {
        const QDir corpus(QStringLiteral(ZONVERT_CORPUS_DIR));
        const QStringList files = corpus.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            QSKIP("no corpus folder");
        std::vector<int32_t> distances;
        int overLong = 0;
        for (const QString &file : files) {
            OpenAirReader reader(false);
            QVERIFY(reader.open(corpus.filePath(file)));
            while (AirspacePtr airspace = reader.nextAirspace()) {
                if (airspace->segmentCount() <= 100)
                    continue;
                airspace->finishDefinition();
                if (airspace->hasDefinitionError())
                    continue;
                ++overLong;
                const FitSide side = airspace->airspaceClass() == WaveWindow ? FitSide::Inside : FitSide::Outside;
                const OutlineFit fit = fitOutline(airspace->segments(), 100, side);
                const QString where = file + QStringLiteral(": ") + airspace->name();
                QVERIFY2(!fit.segments.empty(), qPrintable(where + QStringLiteral(" not fitted")));
                const QString fault = broken(airspace->segments(), fit, 100, side, false);
                QVERIFY2(fault.isEmpty(), qPrintable(where + QStringLiteral(": ") + fault));
                distances.push_back(fit.largestDistanceCm);
            }
        }
        std::sort(distances.begin(), distances.end());
        const auto rank = [&](double q) { return distances[std::size_t(q * (distances.size() - 1) + 0.5)] / 100.0; };
        qInfo("%d over-long airspaces, %zu fitted; largest distance: median %.1f m, 90th percentile %.1f m, most %.1f m",
              overLong, distances.size(), rank(0.5), rank(0.9), distances.back() / 100.0);
        QVERIFY(rank(0.5) <= 50);
        QVERIFY(rank(0.9) <= 1000);
        // None falls back to a hull kilometres off (the largest country outlines come within 7 km).
        QVERIFY(distances.back() <= 1000000);
    }
};

QTEST_GUILESS_MAIN(OutlineFitTest)
#include "tst_outlinefit.moc"
