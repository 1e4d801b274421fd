#include "model/airspace.h"
#include "model/geometry.h"
#include "model/units.h"
#include "openair/openairreader.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {
constexpr int32_t Deg = Mas::Degree;
constexpr int32_t Scale = 2147483647;   // the largest stored trigonometric value
const GeoPoint Alps(8 * Deg, 47 * Deg);

GeoPoint at(const QString &east, const QString &north)
{
    return GeoPoint(Alps.lon + east.toInt(), Alps.lat + north.toInt());
}

// Steps in milli-arc-seconds from 8E 47N: "P e n" a point, "C e n r" a circle,
// "A ce cn fe fn te tn cw|ccw" an arc about (ce, cn) from (fe, fn) to (te, tn).
// At 47N, 14663 east is as far as 10000 north.
void build(Airspace &a, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QStringList f = step.split(u' ');
        if (f[0] == u"P")
            a.addPoint(at(f[1], f[2]));
        else if (f[0] == u"C")
            a.addCircle(at(f[1], f[2]), f[3].toInt());
        else
            a.addArc(at(f[1], f[2]), at(f[3], f[4]), at(f[5], f[6]), f[7] == u"cw");
    }
}

QString kinds(const Airspace &a)
{
    QString text;
    for (const SegmentPtr &s : a.segments())
        text += QStringLiteral("LCA").at(s->kind());
    return text;
}

QList<GeoPoint> endpoints(const Airspace &a)
{
    QList<GeoPoint> points;
    for (const SegmentPtr &s : a.segments())
        points << s->startPoint() << s->endPoint();
    return points;
}

// Signed area in floating point with arcs sampled every degree, positive for clockwise
// like the integer winding test; 0 for an outline that retraces itself.
double referenceArea(const SegmentList &segments)
{
    const double east = std::cos(segments.front()->startPoint().lat / double(Deg) * M_PI / 180.0);
    QList<QPointF> points;
    auto add = [&](GeoPoint p) { points.append(QPointF(p.lon / double(Deg) * east, p.lat / double(Deg))); };
    for (const SegmentPtr &s : segments) {
        add(s->startPoint());
        const double from = s->startAngle() / double(Deg);
        double to = s->endAngle() / double(Deg);
        const double step = s->isClockwise() ? 1.0 : -1.0;
        if (s->kind() != Line && (to - from) * step <= 0)
            to += 360.0 * step;
        const double radiusDeg = s->radius() / 11119492.664;
        const double c = std::cos(s->centrePoint().lat / double(Deg) * M_PI / 180.0);
        for (double b = from + step; s->kind() != Line && (to - b) * step > 0; b += step)
            points.append(QPointF((s->centrePoint().lon / double(Deg) + radiusDeg * std::sin(b * M_PI / 180) / c) * east,
                                  s->centrePoint().lat / double(Deg) + radiusDeg * std::cos(b * M_PI / 180)));
        add(s->endPoint());
    }
    QRectF box;
    double sum = 0;
    for (int i = 0; i < points.size(); ++i) {
        const QPointF &a = points[i];
        const QPointF &b = points[(i + 1) % points.size()];
        sum += (a.y() + b.y()) * (b.x() - a.x());
        box = box.united(QRectF(a, QSizeF(1e-12, 1e-12)));
    }
    return std::abs(sum) < 1e-3 * box.width() * box.height() ? 0.0 : sum;
}

// The angle as found by a binary search of the tangent table.
int32_t atan2BySearch(int32_t x, int32_t y)
{
    if (x == 0 || y == 0)
        return x == 0 ? (y >= 0 ? Mas::Quarter : -Mas::Quarter) : (x < 0 ? Mas::Half : 0);
    int64_t ax = std::abs(int64_t(x)), ay = std::abs(int64_t(y));
    int64_t sign = x < 0 ? -1 : 1, base = x < 0 ? Mas::Half : 0, folded = Mas::Quarter / 2;
    if (ax != ay) {
        if (ax < ay) {
            base += sign * Mas::Quarter;
            sign = -sign;
            std::swap(ax, ay);
        }
        const int64_t q = std::min<int64_t>((ay << 31) / ax, tangentTable[TangentTableSize - 1]);
        const int lower = q > tangentTable[1]
            ? int(std::lower_bound(tangentTable + 2, tangentTable + TangentTableSize, q) - tangentTable) - 1 : 0;
        const int64_t t0 = tangentTable[lower], t1 = tangentTable[lower + 1];
        folded = lower * 1800000 + (q - t0) * 1800000 / (t1 - t0);
    }
    const int64_t result = folded * sign + base;
    return int32_t(y < 0 ? -result : result);
}
} // namespace

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void unitsFollowTheRuleOfTheirUse_data();
    void unitsFollowTheRuleOfTheirUse();
    void tablesFollowTheirGenerationRule();
    void trigonometry_data();
    void trigonometry();
    void atan2AgreesWithTableSearch();
    void distanceAndBearing_data();
    void distanceAndBearing();
    void destinationPointInvertsDistanceAndBearing();
    void circleStartsDueNorthOneUnitInside();
    void arcRadiusCheckAndRepair_data();
    void arcRadiusCheckAndRepair();
    void lineDebugText();
    void penModelAndClosing_data();
    void penModelAndClosing();
    void orientation_data();
    void orientation();
    void gapBeforeClockwiseArcKeepsOrientation();
    void chordPolylineEndsAtTheArcEnd();
    void faultsMarkTheAirspaceAndSignal();
    void segmentsOutliveTheirAirspace();
    void realOutlinesAgreeWithFloatingPointArea_data();
    void realOutlinesAgreeWithFloatingPointArea();
};

void TestModel::tablesFollowTheirGenerationRule()
{
    const double pi = std::acos(-1.0);
    for (int i = 0; i < SineTableSize; ++i)
        QCOMPARE(sineTable[i], int32_t(std::min(std::round(std::sin(i * pi / 360.0) * 2147483648.0), 2147483647.0)));
    for (int i = 0; i < TangentTableSize - 1; ++i)
        QCOMPARE(tangentTable[i], int32_t(std::round(std::tan(i * pi / 360.0) * 2147483648.0)));
    QCOMPARE(tangentTable[TangentTableSize - 1], 2147458152);
}

void TestModel::trigonometry_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");   // y of atan2
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("sin 0") << "sin" << 0 << 0 << 0 << 0;
    QTest::newRow("sin 90") << "sin" << 90 * Deg << 0 << Scale << 0;
    QTest::newRow("sin -90 is odd") << "sin" << -90 * Deg << 0 << -Scale << 0;
    QTest::newRow("sin 30 lands on its entry") << "sin" << 30 * Deg << 0 << sineTable[60] << 0;
    QTest::newRow("sin between entries interpolates")
        << "sin" << 900000 << 0 << int32_t(sineTable[0] + (int64_t(900000) * sineTable[1]) / 1800000) << 0;
    QTest::newRow("cos 0") << "cos" << 0 << 0 << Scale << 0;
    QTest::newRow("cos 180") << "cos" << 180 * Deg << 0 << -Scale << 0;
    QTest::newRow("cos 300") << "cos" << 300 * Deg << 0 << sineTable[60] << 0;
    QTest::newRow("atan2 origin") << "atan2" << 0 << 0 << 90 * Deg << 0;
    QTest::newRow("atan2 south") << "atan2" << 0 << -7 << -90 * Deg << 0;
    QTest::newRow("atan2 west") << "atan2" << -5 << 0 << 180 * Deg << 0;
    QTest::newRow("atan2 NE") << "atan2" << 5 << 5 << 45 * Deg << 0;
    QTest::newRow("atan2 NW") << "atan2" << -5 << 5 << 135 * Deg << 0;
    QTest::newRow("atan2 SE") << "atan2" << 3 << -3 << -45 * Deg << 0;
    // Away from the axes and diagonals the tables allow a few tenths of an arc-second.
    QTest::newRow("atan2 30 degrees") << "atan2" << 1732051 << 1000000 << 30 * Deg << 400;
    QTest::newRow("atan2 steep SW") << "atan2" << -1000000 << -1732051 << -120 * Deg << 400;
}

void TestModel::trigonometry()
{
    QFETCH(QString, function);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, expected);
    QFETCH(int, tolerance);
    const int result = function == u"sin" ? sinMas(a) : function == u"cos" ? cosMas(a) : atan2Mas(a, b);
    QVERIFY2(std::abs(result - expected) <= tolerance, qPrintable(QString::number(result)));
}

// Ratios at every table entry and bucket edge (with x = -2^31 the ratio is |y| exactly),
// then random pairs; each way round and in every quadrant.
void TestModel::atan2AgreesWithTableSearch()
{
    QList<int64_t> ratios(tangentTable, tangentTable + TangentTableSize);
    for (int64_t edge = 1 << 23; edge < (int64_t(1) << 31); edge += 1 << 23)
        ratios << edge;
    QList<QPair<int32_t, int32_t>> pairs{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {0, INT32_MIN}};
    for (const int64_t ratio : std::as_const(ratios))
        for (int32_t y = int32_t(std::max<int64_t>(ratio - 2, 1)); y <= std::min<int64_t>(ratio + 2, INT32_MAX - 1); ++y)
            pairs << qMakePair(INT32_MIN, y) << qMakePair(INT32_MAX, y);
    QRandomGenerator rng(47);
    for (int i = 0; i < 100000; ++i)
        pairs << qMakePair(int32_t(rng.generate()) >> rng.bounded(32), int32_t(rng.generate()) >> rng.bounded(32));
    for (const auto &[x, y] : std::as_const(pairs)) {
        for (int turn = 0; turn < 8; ++turn) {
            // -2^31 cannot be negated: it stays.
            const int32_t a = turn & 4 ? y : x, b = turn & 4 ? x : y;
            const int32_t px = turn & 1 && a != INT32_MIN ? -a : a, py = turn & 2 && b != INT32_MIN ? -b : b;
            if (atan2Mas(px, py) != atan2BySearch(px, py))
                QFAIL(qPrintable(QStringLiteral("atan2Mas(%1, %2) = %3, not %4")
                                     .arg(px).arg(py).arg(atan2Mas(px, py)).arg(atan2BySearch(px, py))));
        }
    }
}

void TestModel::distanceAndBearing_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("bearing");
    QTest::newRow("same point") << Alps << Alps << 0 << 0;
    QTest::newRow("one degree north") << Alps << GeoPoint(Alps.lon, Alps.lat + Deg) << 11119492 << 0;
    QTest::newRow("one degree south") << Alps << GeoPoint(Alps.lon, Alps.lat - Deg) << 11119492 << 180 * Deg;
    QTest::newRow("one degree east at the equator") << GeoPoint(0, 0) << GeoPoint(Deg, 0) << 11119492 << 90 * Deg;
}

void TestModel::distanceAndBearing()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(int, distance);
    QFETCH(int, bearing);
    const DistanceBearing result = ::distanceAndBearing(from, to);
    QCOMPARE(result.distance, distance);
    QCOMPARE(result.bearing, bearing);
}

void TestModel::destinationPointInvertsDistanceAndBearing()
{
    for (int lat : {0, 47, -33, 65}) {
        for (int bearing = 0; bearing < 360; bearing += 45) {
            const GeoPoint start(8 * Deg, lat * Deg);
            const DistanceBearing back = ::distanceAndBearing(start, destinationPoint(start, 926000, bearing * Deg));
            // Integer rounding leaves centimetres and hundredths of a degree.
            QVERIFY(std::abs(back.distance - 926000) < 200);
            const int64_t error = std::abs(int64_t(back.bearing) - bearing * Deg);
            QVERIFY(std::min<int64_t>(error, Mas::FullTurn - error) < 60000);
        }
    }
    // At the poles the east scale vanishes: no division by zero, longitude kept.
    QCOMPARE(destinationPoint(GeoPoint(0, 90 * Deg), 1000, 90 * Deg).lon, 0);
    QCOMPARE(destinationPoint(GeoPoint(0, -90 * Deg), 1000, 90 * Deg).lon, 0);
}

void TestModel::circleStartsDueNorthOneUnitInside()
{
    for (const GeoPoint centre : {GeoPoint(0, 0), Alps, GeoPoint(-70 * Deg, -60 * Deg)}) {
        const SegmentPtr circle = makeCircleSegment(centre, CentimetresPerNauticalMile);   // rMas 59,959
        QCOMPARE(circle->kind(), int(Circle));
        QCOMPARE(circle->startPoint(), GeoPoint(centre.lon, centre.lat + 59958));
        QCOMPARE(circle->endPoint(), circle->startPoint());
        QCOMPARE(circle->endAngle(), Mas::FullTurn);
        QVERIFY(circle->isClockwise());
    }
}

// The start lies due north of the centre; the end is searched south of it so that the
// start's radius exceeds the end's by exactly `difference` centimetres.
void TestModel::arcRadiusCheckAndRepair_data()
{
    QTest::addColumn<int>("difference");
    QTest::addColumn<bool>("faulty");
    QTest::addColumn<bool>("repaired");
    QTest::newRow("one metre is tolerated") << 100 << false << false;
    QTest::newRow("end 50 m nearer") << 5000 << false << true;
    QTest::newRow("start 50 m nearer") << -5000 << false << true;
    QTest::newRow("37039 cm is still fine") << 37039 << false << true;
    QTest::newRow("37040 cm is 0.2 NM") << 37040 << true << true;
    QTest::newRow("-37040 cm is 0.2 NM") << -37040 << true << true;
}

void TestModel::arcRadiusCheckAndRepair()
{
    QFETCH(int, difference);
    QFETCH(bool, faulty);
    QFETCH(bool, repaired);
    const GeoPoint from(Alps.lon, Alps.lat + 300000);
    const int32_t startRadius = ::distanceAndBearing(Alps, from).distance;
    const int32_t endRadius = startRadius - difference;
    // Due south distances step by 3 or 4 cm; a small sideways offset reaches every value.
    GeoPoint to;
    const int32_t nominal = int32_t(int64_t(endRadius) * 10000000 / 30887479);
    for (int32_t dLon = 0; dLon < 400 && ::distanceAndBearing(Alps, to).distance != endRadius; ++dLon)
        for (int32_t dLat = nominal - 3; dLat <= nominal + 3 && ::distanceAndBearing(Alps, to).distance != endRadius; ++dLat)
            to = GeoPoint(Alps.lon + dLon, Alps.lat - dLat);
    QCOMPARE(::distanceAndBearing(Alps, to).distance, endRadius);

    const ArcConstruction built = makeArcSegment(Alps, from, to, true);
    const SegmentPtr &arc = built.arc;
    QCOMPARE(arc->kind(), int(Arc));
    QCOMPARE(arc->radius(), std::max(startRadius, endRadius));
    QCOMPARE(arc->errorText(), faulty ? QStringLiteral("radius difference > 0.2[nm]") : QString());
    QCOMPARE(arc->hasError(), faulty);
    QCOMPARE(bool(built.connectingLine), repaired);
    QCOMPARE(built.lineBeforeArc, difference < 0 && repaired);
    if (difference < 0 && repaired) {
        // The start moved out along its own bearing; the line leads from the given start.
        QCOMPARE(arc->startPoint(), destinationPoint(Alps, endRadius, 0));
        QCOMPARE(built.connectingLine->startPoint(), from);
        QCOMPARE(built.connectingLine->endPoint(), arc->startPoint());
    } else if (repaired) {
        QCOMPARE(arc->endPoint(), destinationPoint(Alps, startRadius, arc->endAngle()));
        QCOMPARE(built.connectingLine->startPoint(), arc->endPoint());
        QCOMPARE(built.connectingLine->endPoint(), to);
    } else {
        QCOMPARE(QList<GeoPoint>({arc->startPoint(), arc->endPoint()}), QList<GeoPoint>({from, to}));
    }

    const ArcConstruction full = makeArcSegment(Alps, from, from, false);
    QCOMPARE(full.arc->kind(), int(Circle));
    QCOMPARE(full.arc->startAngle(), full.arc->endAngle());
}

void TestModel::lineDebugText()
{
    QCOMPARE(AirspaceSegment(Alps, GeoPoint(8 * Deg, 47 * Deg + Deg / 2)).debugText(),
             QStringLiteral(" > typ:       Line     || sp: 47.00000 /  8.00000  || ep: 47.50000 /  8.00000"));
}

void TestModel::penModelAndClosing_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("close");
    QTest::addColumn<QString>("built");      // segment kinds as added
    QTest::addColumn<QString>("finished");   // after closing or finishing
    QTest::newRow("no segments is closed") << QStringList{} << true << "" << "";
    QTest::newRow("repeated point removed on finishing")
        << QStringList{"P 0 0", "P 0 9000", "P 0 9000", "P 9000 9000"} << false << "LLL" << "LL";
    QTest::newRow("single point then arc joins the arc")
        << QStringList{"P 0 -20000", "A 0 0 0 10000 14663 0 cw"} << false << "LA" << "LA";
    QTest::newRow("line then arc elsewhere is not joined")
        << QStringList{"P 0 -20000", "P 5000 -20000", "A 0 0 0 10000 14663 0 cw"} << false << "LA" << "LA";
    QTest::newRow("circle leaves the pen") << QStringList{"P 0 0", "C 0 0 92600", "P 0 9000"} << false << "CL" << "CL";
    QTest::newRow("arc moves the pen to its given end")
        << QStringList{"A 0 0 0 10000 14663 0 cw", "P 0 -10000"} << false << "AL" << "AL";
    QTest::newRow("closed outline is left alone")
        << QStringList{"P 0 0", "P 0 9000", "P 9000 0", "P 0 0"} << true << "LLL" << "LLL";
    QTest::newRow("open outline gets one closing line, repeats go")
        << QStringList{"P 0 0", "P 0 9000", "P 0 9000", "P 9000 0"} << true << "LLL" << "LLL";
}

void TestModel::penModelAndClosing()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, close);
    QFETCH(QString, built);
    QFETCH(QString, finished);
    Airspace a;
    build(a, steps);
    QCOMPARE(kinds(a), built);
    const bool wasClosed = a.isClosed();
    close ? a.closeOutline() : a.finishDefinition();
    QCOMPARE(kinds(a), finished);
    // Closing an already closed outline does not finish it.
    QCOMPARE(a.isFinished(), !(close && wasClosed));
    QVERIFY(!close || a.isClosed());
    for (int i = 1; i < a.segmentCount(); ++i) {
        if (a.segments()[i]->kind() == Line && a.segments()[i - 1]->kind() == Line)
            QCOMPARE(a.segments()[i]->startPoint(), a.segments()[i - 1]->endPoint());
    }
}

void TestModel::orientation_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("expected");
    QTest::newRow("clockwise square") << QStringList{"P 0 0", "P 0 9000", "P 9000 9000", "P 9000 0", "P 0 0"} << 1;
    QTest::newRow("counter-clockwise square") << QStringList{"P 0 0", "P 9000 0", "P 9000 9000", "P 0 9000", "P 0 0"} << -1;
    QTest::newRow("open clockwise triangle") << QStringList{"P 0 0", "P 0 9000", "P 9000 0"} << 1;
    QTest::newRow("single line is undecided") << QStringList{"P 0 0", "P 0 9000"} << 0;
    QTest::newRow("single circle") << QStringList{"C 0 0 92600"} << 1;
    QTest::newRow("single counter-clockwise arc") << QStringList{"A 0 0 0 10000 14663 0 ccw"} << -1;
    QTest::newRow("clockwise arc, lines round the far side")
        << QStringList{"A 0 0 0 10000 14663 0 cw", "P -10000 -10000", "P 0 10000"} << 1;
    QTest::newRow("counter-clockwise sector")
        << QStringList{"P 0 0", "P 14663 0", "A 0 0 14663 0 0 10000 ccw", "P 0 0"} << -1;
    QTest::newRow("sweep of 270 degrees") << QStringList{"A 0 0 0 10000 -14663 -1 cw", "P 0 0", "P 0 10000"} << 1;
}

void TestModel::orientation()
{
    QFETCH(QStringList, steps);
    QFETCH(int, expected);
    Airspace a;
    build(a, steps);
    QCOMPARE(::orientation(a.segments()), expected);
    const SegmentPtr oldLast = a.segments().back();
    const QList<GeoPoint> before = endpoints(a);
    a.finishDefinition();
    if (expected != -1) {
        QCOMPARE(endpoints(a), before);
        return;
    }
    // Reversed: order inverted and every element turned, so the old last comes first.
    QCOMPARE(::orientation(a.segments()), 1);
    QCOMPARE(a.segments().front(), oldLast);
    QCOMPARE(oldLast->startPoint(), before.back());
    QCOMPARE(a.subBlocks().front()->segments, a.segments());
}

// A line that stops 200 m short of the arc's start leaves a gap. Unbridged, the gap's
// term at 47 degrees north outweighs the whole area and turns the outline the wrong way.
void TestModel::gapBeforeClockwiseArcKeepsOrientation()
{
    const GeoPoint west = destinationPoint(Alps, 200000, 270 * Deg);
    const GeoPoint east = destinationPoint(Alps, 200000, 90 * Deg);
    Airspace a;
    a.addPoint(east);
    a.addPoint(destinationPoint(west, 20000, 270 * Deg));
    a.addArc(Alps, west, east, true);
    QVERIFY(a.isClosed());
    QCOMPARE(::orientation(a.segments()), 1);
}

// A clockwise quarter sector of about 1 km whose end lies due east on a whole arc-second
// while the last chord point, at exactly the end bearing, falls just short of it. The
// piece between them must still count, or the sum at 47 degrees north flips its sign.
void TestModel::chordPolylineEndsAtTheArcEnd()
{
    for (int32_t east = 40000; east < 60000; east += 1000) {
        const GeoPoint end(Alps.lon + east, Alps.lat);
        const int32_t radius = ::distanceAndBearing(Alps, end).distance;
        if (destinationPoint(Alps, radius, 90 * Deg).lon / 1000 >= end.lon / 1000)
            continue;
        const GeoPoint start = destinationPoint(Alps, radius, 0);
        Airspace a;
        a.addPoint(Alps);
        a.addPoint(start);
        a.addArc(Alps, start, end, true);
        a.addPoint(Alps);
        QCOMPARE(kinds(a), QStringLiteral("LAL"));
        QCOMPARE(::orientation(a.segments()), 1);
        return;
    }
    QFAIL("no end point with the rounding this test needs");
}

void TestModel::faultsMarkTheAirspaceAndSignal()
{
    Airspace a;
    a.setName(QStringLiteral("TMA"));
    a.setComment(QStringLiteral("note"));
    QSignalSpy spy(&a, &Airspace::ErrorInDefinition);
    build(a, {"P 0 0", "A 0 0 0 10000 60000 0 cw", "P 0 0"});   // radii 309 m and 1.3 km
    a.finishDefinition();
    QVERIFY(a.hasDefinitionError());
    QVERIFY(a.isFinished());
    QVERIFY(a.subBlocks().empty());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), QVariantList({QStringLiteral("TMA"), QStringLiteral("note")}));

    Airspace b;
    b.addDefinitionFault(QStringLiteral("line 3: coordinates not readable"));
    build(b, {"P 0 0", "P 0 9000", "P 9000 0", "P 0 0"});
    b.finishDefinition();
    QVERIFY(b.hasDefinitionError());
}

// Segments and sub-blocks handed out stay readable after their airspace has taken another
// outline, grown new segments and gone.
void TestModel::segmentsOutliveTheirAirspace()
{
    const auto zigzag = [](Airspace &a, int32_t offset) {
        for (int i = 0; i < 300; ++i)
            a.addPoint(GeoPoint(Alps.lon + i * 1000, Alps.lat + offset + (i % 2) * 9000));
    };
    auto airspace = std::make_unique<Airspace>();
    zigzag(*airspace, 0);
    airspace->finishDefinition();
    const std::vector<SubBlockPtr> blocks = airspace->subBlocks();
    const QList<GeoPoint> points = endpoints(*airspace);
    *airspace = Airspace();
    zigzag(*airspace, 90000);
    airspace.reset();
    QList<GeoPoint> kept;
    for (const SegmentPtr &s : blocks.front()->segments)
        kept << s->startPoint() << s->endPoint();
    QCOMPARE(kept, points);
}

void TestModel::realOutlinesAgreeWithFloatingPointArea_data()
{
    QTest::addColumn<QString>("fileName");
    const QDir corpus(QStringLiteral(ZONVERT_CORPUS_DIR));
    const QStringList files = corpus.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        QSKIP("no corpus folder");
    for (const QString &file : files)
        QTest::newRow(qPrintable(file)) << corpus.filePath(file);
}

// Small airspaces far from the equator are the ones a sloppy winding sum gets wrong.
void TestModel::realOutlinesAgreeWithFloatingPointArea()
{
    QFETCH(QString, fileName);
    OpenAirReader reader(false);
    QVERIFY(reader.open(fileName));
    int checked = 0;
    QStringList wrong;
    while (AirspacePtr airspace = reader.nextAirspace()) {
        const SegmentList &segments = airspace->segments();
        const double area = segments.size() < 2 ? 0.0 : referenceArea(segments);
        if (area == 0)
            continue;
        ++checked;
        if (::orientation(segments) != (area > 0 ? 1 : -1))
            wrong << airspace->name();
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 of %2 turned wrongly: %3")
                                             .arg(wrong.size()).arg(checked).arg(wrong.mid(0, 10).join(u", "))));
}

// Each feet conversion keeps the rule of its use: heights the instrument's fixed point,
// command lines x 0.3048, the window's distance x 100 / 3.2808399; all saturate.
void TestModel::unitsFollowTheRuleOfTheirUse_data()
{
    QTest::addColumn<QString>("conversion");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("height 1000 ft") << "height" << qint64(1000) << 30479;
    QTest::newRow("height 9999 ft") << "height" << qint64(9999) << 304769;
    QTest::newRow("height 12500 ft, halved") << "height" << qint64(12500) << 380999;
    QTest::newRow("height 12501 ft, odd") << "height" << qint64(12501) << 381031;
    QTest::newRow("height below 0") << "height" << qint64(-5) << 0;
    QTest::newRow("height beyond 32 bits") << "height" << (qint64(1) << 50) << 2147483647;
    QTest::newRow("metres beyond 32 bits") << "metres" << -(qint64(1) << 50) << -2147483647 - 1;
    QTest::newRow("command line 1000 ft") << "command line" << qint64(1000) << 304;
    QTest::newRow("command line 32811 ft") << "command line" << qint64(32811) << 10000;
    QTest::newRow("command line beyond 64 bits") << "command line" << std::numeric_limits<qint64>::max() << 2147483647;
    QTest::newRow("window 400 ft") << "window" << qint64(400) << 12191;
    QTest::newRow("window 1000 ft") << "window" << qint64(1000) << 30479;
    QTest::newRow("window beyond 32 bits") << "window" << (qint64(1) << 40) << 2147483647;
}

void TestModel::unitsFollowTheRuleOfTheirUse()
{
    QFETCH(QString, conversion);
    QFETCH(qint64, value);
    QFETCH(int, expected);
    const int32_t got = conversion == u"height"         ? Units::feetToCentimetres(value)
                        : conversion == u"metres"       ? Units::metresToCentimetres(value)
                        : conversion == u"command line" ? Units::feetToWholeMetres(value)
                                                        : Units::warningFeetToCentimetres(value);
    QCOMPARE(got, expected);
}

QTEST_MAIN(TestModel)
#include "tst_model.moc"
