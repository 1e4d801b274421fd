#include "model/airspacesegment.h"
#include "model/geometry.h"

#include <QtTest>

#include <cmath>

namespace {
constexpr int32_t Deg = Mas::Degree;
constexpr int32_t Scale = 2147483647;   // the largest stored trigonometric value
}

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void tablesFollowTheirGenerationRule();
    void sineAndCosine_data();
    void sineAndCosine();
    void sineIsOddAndMonotonic();
    void atan2FoldsAllOctants_data();
    void atan2FoldsAllOctants();
    void distanceAndBearingOnTheSphere_data();
    void distanceAndBearingOnTheSphere();
    void destinationPointInvertsDistanceAndBearing_data();
    void destinationPointInvertsDistanceAndBearing();
    void destinationPointSurvivesThePoles();
    void circleStartsDueNorthOneUnitInside_data();
    void circleStartsDueNorthOneUnitInside();
    void arcRadiusCheckAndRepair_data();
    void arcRadiusCheckAndRepair();
    void arcWithIdenticalEndsIsACircle();
    void segmentReverseAndDebugText();
};

void TestGeometry::tablesFollowTheirGenerationRule()
{
    const double pi = std::acos(-1.0);
    for (int i = 0; i < SineTableSize; ++i) {
        const double exact = std::round(std::sin(i * pi / 360.0) * 2147483648.0);
        QCOMPARE(sineTable[i], int32_t(std::min(exact, 2147483647.0)));
    }
    for (int i = 0; i < TangentTableSize - 1; ++i)
        QCOMPARE(tangentTable[i], int32_t(std::round(std::tan(i * pi / 360.0) * 2147483648.0)));
    QCOMPARE(tangentTable[TangentTableSize - 1], 2147458152);
}

void TestGeometry::sineAndCosine_data()
{
    QTest::addColumn<bool>("cosine");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("expected");
    QTest::newRow("sin 0") << false << 0 << 0;
    QTest::newRow("sin 90") << false << 90 * Deg << Scale;
    QTest::newRow("sin 30 lands on its entry") << false << 30 * Deg << sineTable[60];
    QTest::newRow("sin 180") << false << 180 * Deg << 0;
    QTest::newRow("sin -90") << false << -90 * Deg << -Scale;
    QTest::newRow("sin between entries interpolates")
        << false << 900000 << int32_t(sineTable[0] + (int64_t(900000) * (sineTable[1] - sineTable[0])) / 1800000);
    QTest::newRow("cos 0") << true << 0 << Scale;
    QTest::newRow("cos 90") << true << 90 * Deg << 0;
    QTest::newRow("cos 180") << true << 180 * Deg << -Scale;
    QTest::newRow("cos 270") << true << 270 * Deg << 0;
    QTest::newRow("cos -60") << true << -60 * Deg << sineTable[60];
    QTest::newRow("cos 300") << true << 300 * Deg << sineTable[60];
}

void TestGeometry::sineAndCosine()
{
    QFETCH(bool, cosine);
    QFETCH(int, angle);
    QFETCH(int, expected);
    QCOMPARE(cosine ? cosMas(angle) : sinMas(angle), expected);
}

void TestGeometry::sineIsOddAndMonotonic()
{
    int previous = -1;
    for (int32_t a = 0; a <= 90 * Deg; a += 123457) {
        QCOMPARE(sinMas(-a), -sinMas(a));
        QVERIFY2(sinMas(a) >= previous, qPrintable(QString::number(a)));
        previous = sinMas(a);
    }
}

void TestGeometry::atan2FoldsAllOctants_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("expected");
    QTest::newRow("origin") << 0 << 0 << 90 * Deg;
    QTest::newRow("north") << 0 << 7 << 90 * Deg;
    QTest::newRow("south") << 0 << -7 << -90 * Deg;
    QTest::newRow("east") << 7 << 0 << 0;
    QTest::newRow("west") << -5 << 0 << 180 * Deg;
    QTest::newRow("diagonal NE") << 5 << 5 << 45 * Deg;
    QTest::newRow("diagonal NW") << -5 << 5 << 135 * Deg;
    QTest::newRow("diagonal SE") << 3 << -3 << -45 * Deg;
    QTest::newRow("diagonal SW") << -3 << -3 << -135 * Deg;
    QTest::newRow("steep ratio clamps to 45 table entry") << 1 << 1000000 << 90 * Deg - 107;
}

void TestGeometry::atan2FoldsAllOctants()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, expected);
    QVERIFY2(std::abs(atan2Mas(x, y) - expected) <= 400,
             qPrintable(QStringLiteral("got %1").arg(atan2Mas(x, y))));
    if (x == 0 || y == 0 || std::abs(x) == std::abs(y))
        QCOMPARE(atan2Mas(x, y), expected);
}

void TestGeometry::distanceAndBearingOnTheSphere_data()
{
    QTest::addColumn<GeoPoint>("from");
    QTest::addColumn<GeoPoint>("to");
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("bearing");
    const GeoPoint p(8 * Deg, 47 * Deg);
    QTest::newRow("same point") << p << p << 0 << 0;
    QTest::newRow("one degree north") << p << GeoPoint(p.lon, p.lat + Deg) << 11119492 << 0;
    QTest::newRow("one degree south") << p << GeoPoint(p.lon, p.lat - Deg) << 11119492 << 180 * Deg;
    QTest::newRow("one degree east at the equator") << GeoPoint(0, 0) << GeoPoint(Deg, 0) << 11119492 << 90 * Deg;
    QTest::newRow("one degree west at the equator") << GeoPoint(0, 0) << GeoPoint(-Deg, 0) << 11119492 << 270 * Deg;
}

void TestGeometry::distanceAndBearingOnTheSphere()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(int, distance);
    QFETCH(int, bearing);
    const DistanceBearing result = distanceAndBearing(from, to);
    QCOMPARE(result.distance, distance);
    QCOMPARE(result.bearing, bearing);
}

void TestGeometry::destinationPointInvertsDistanceAndBearing_data()
{
    QTest::addColumn<GeoPoint>("start");
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("bearing");
    for (int lat : {0, 47, -33, 65}) {
        for (int bearingDeg : {0, 45, 90, 135, 200, 270, 300, 359}) {
            QTest::addRow("lat %d bearing %d", lat, bearingDeg)
                << GeoPoint(8 * Deg, lat * Deg) << 926000 << bearingDeg * Deg;
        }
    }
}

void TestGeometry::destinationPointInvertsDistanceAndBearing()
{
    QFETCH(GeoPoint, start);
    QFETCH(int, distance);
    QFETCH(int, bearing);
    const GeoPoint end = destinationPoint(start, distance, bearing);
    const DistanceBearing back = distanceAndBearing(start, end);
    // Integer rounding leaves a few centimetres and a few hundredths of a degree.
    QVERIFY2(std::abs(back.distance - distance) < 200, qPrintable(QString::number(back.distance)));
    int64_t angleError = std::abs(int64_t(back.bearing) - bearing);
    angleError = std::min<int64_t>(angleError, Mas::FullTurn - angleError);
    QVERIFY2(angleError < 60000, qPrintable(QString::number(back.bearing)));
}

void TestGeometry::destinationPointSurvivesThePoles()
{
    for (int32_t lat : {90 * Deg, -90 * Deg}) {
        const GeoPoint pole(0, lat);
        const GeoPoint moved = destinationPoint(pole, 1000, 90 * Deg);
        QCOMPARE(moved.lon, 0);
    }
}

void TestGeometry::circleStartsDueNorthOneUnitInside_data()
{
    QTest::addColumn<GeoPoint>("centre");
    QTest::newRow("equator") << GeoPoint(0, 0);
    QTest::newRow("alps") << GeoPoint(8 * Deg, 47 * Deg);
    QTest::newRow("south") << GeoPoint(-70 * Deg, -60 * Deg);
}

void TestGeometry::circleStartsDueNorthOneUnitInside()
{
    QFETCH(GeoPoint, centre);
    const SegmentPtr circle = makeCircleSegment(centre, CentimetresPerNauticalMile);
    QCOMPARE(circle->kind(), int(Circle));
    QCOMPARE(circle->startPoint(), GeoPoint(centre.lon, centre.lat + 59958));
    QCOMPARE(circle->endPoint(), circle->startPoint());
    QCOMPARE(circle->radius(), CentimetresPerNauticalMile);
    QCOMPARE(circle->startAngle(), 0);
    QCOMPARE(circle->endAngle(), Mas::FullTurn);
    QVERIFY(circle->isClockwise());
    QVERIFY(!circle->hasError());
}

// The start lies due north and the end due south of the centre, so both radii are measured
// the same way; the end is searched so that the start's radius exceeds it by `difference`.
void TestGeometry::arcRadiusCheckAndRepair_data()
{
    QTest::addColumn<int>("difference");   // start radius - end radius, cm
    QTest::addColumn<bool>("faulty");
    QTest::addColumn<bool>("repaired");
    QTest::newRow("equal") << 0 << false << false;
    QTest::newRow("one metre is tolerated") << 100 << false << false;
    QTest::newRow("just over a metre is repaired") << 101 << false << true;
    QTest::newRow("end 50 m nearer") << 5000 << false << true;
    QTest::newRow("start 50 m nearer") << -5000 << false << true;
    QTest::newRow("37039 cm is still fine") << 37039 << false << true;
    QTest::newRow("37040 cm is 0.2 NM") << 37040 << true << true;
    QTest::newRow("-37040 cm is 0.2 NM") << -37040 << true << true;
}

void TestGeometry::arcRadiusCheckAndRepair()
{
    QFETCH(int, difference);
    QFETCH(bool, faulty);
    QFETCH(bool, repaired);

    const GeoPoint centre(8 * Deg, 47 * Deg);
    const GeoPoint from(centre.lon, centre.lat + 300000);
    const int32_t startRadius = distanceAndBearing(centre, from).distance;
    // Due south distances step by 3 or 4 cm; a small sideways offset reaches every value.
    GeoPoint to;
    bool found = false;
    const int32_t nominal = int32_t((int64_t(startRadius) - difference) * 10000000 / 30887479);
    for (int32_t dLon = 0; dLon < 400 && !found; ++dLon) {
        for (int32_t dLat = nominal - 3; dLat <= nominal + 3 && !found; ++dLat) {
            to = GeoPoint(centre.lon + dLon, centre.lat - dLat);
            found = startRadius - distanceAndBearing(centre, to).distance == difference;
        }
    }
    QVERIFY(found);

    const ArcConstruction built = makeArcSegment(centre, from, to, true);
    const int32_t endRadius = startRadius - difference;
    QCOMPARE(built.arc->kind(), int(Arc));
    QCOMPARE(built.arc->radius(), std::max(startRadius, endRadius));
    QCOMPARE(built.arc->hasError(), faulty);
    QCOMPARE(built.arc->errorText(), faulty ? QStringLiteral("radius difference > 0.2[nm]") : QString());
    QCOMPARE(built.arc->startAngle(), 0);
    QCOMPARE(built.arc->endAngle(), distanceAndBearing(centre, to).bearing);
    QCOMPARE(bool(built.connectingLine), repaired);
    if (!repaired) {
        QCOMPARE(built.arc->startPoint(), from);
        QCOMPARE(built.arc->endPoint(), to);
        return;
    }
    if (difference < 0) {
        // The start moved out along its own bearing; the line leads from the given start.
        QVERIFY(built.lineBeforeArc);
        QCOMPARE(built.connectingLine->startPoint(), from);
        QCOMPARE(built.connectingLine->endPoint(), built.arc->startPoint());
        QCOMPARE(built.arc->startPoint(), destinationPoint(centre, endRadius, 0));
        QCOMPARE(built.arc->endPoint(), to);
    } else {
        QVERIFY(!built.lineBeforeArc);
        QCOMPARE(built.connectingLine->startPoint(), built.arc->endPoint());
        QCOMPARE(built.connectingLine->endPoint(), to);
        QCOMPARE(built.arc->endPoint(), destinationPoint(centre, startRadius, built.arc->endAngle()));
        QCOMPARE(built.arc->startPoint(), from);
    }
}

void TestGeometry::arcWithIdenticalEndsIsACircle()
{
    const GeoPoint centre(8 * Deg, 47 * Deg);
    const GeoPoint edge(centre.lon + 100000, centre.lat);
    const ArcConstruction built = makeArcSegment(centre, edge, edge, false);
    QCOMPARE(built.arc->kind(), int(Circle));
    QCOMPARE(built.arc->startAngle(), built.arc->endAngle());
    QVERIFY(!built.connectingLine);
}

void TestGeometry::segmentReverseAndDebugText()
{
    AirspaceSegment line(GeoPoint(8 * Deg, 47 * Deg), GeoPoint(8 * Deg, 47 * Deg + Deg / 2));
    QCOMPARE(line.debugText(),
             QStringLiteral(" > typ:       Line     || sp: 47.00000 /  8.00000  || ep: 47.50000 /  8.00000"));

    const ArcConstruction built = makeArcSegment(GeoPoint(0, 0), GeoPoint(0, 100000), GeoPoint(100000, 0), true);
    AirspaceSegment arc = *built.arc;
    arc.reverse();
    QCOMPARE(arc.startPoint(), built.arc->endPoint());
    QCOMPARE(arc.startAngle(), built.arc->endAngle());
    QVERIFY(!arc.isClockwise());
    arc.reverse();
    QCOMPARE(arc.startPoint(), built.arc->startPoint());
    QCOMPARE(arc.endAngle(), built.arc->endAngle());
    QVERIFY(arc.isClockwise());
    QVERIFY(arc.debugText().endsWith(QStringLiteral("|| sw: 0.000  || ew: 90.000  || dir: cw")));
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
