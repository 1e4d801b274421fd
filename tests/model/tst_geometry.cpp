#include "model/airspacesegment.h"
#include "model/geometry.h"

#include <QtTest>

#include <cmath>

namespace {
constexpr int32_t Deg = Mas::Degree;
constexpr int32_t Scale = 2147483647;   // the largest stored trigonometric value
const GeoPoint Alps(8 * Deg, 47 * Deg);
}

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void tablesFollowTheirGenerationRule();
    void sineAndCosine_data();
    void sineAndCosine();
    void atan2FoldsAllOctants_data();
    void atan2FoldsAllOctants();
    void distanceAndBearing_data();
    void distanceAndBearing();
    void destinationPointInvertsDistanceAndBearing();
    void circleStartsDueNorthOneUnitInside();
    void arcRadiusCheckAndRepair_data();
    void arcRadiusCheckAndRepair();
    void segmentReverseAndDebugText();
};

void TestGeometry::tablesFollowTheirGenerationRule()
{
    const double pi = std::acos(-1.0);
    for (int i = 0; i < SineTableSize; ++i)
        QCOMPARE(sineTable[i], int32_t(std::min(std::round(std::sin(i * pi / 360.0) * 2147483648.0), 2147483647.0)));
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
    QTest::newRow("sin -90 is odd") << false << -90 * Deg << -Scale;
    QTest::newRow("sin 30 lands on its entry") << false << 30 * Deg << sineTable[60];
    QTest::newRow("sin between entries interpolates")
        << false << 900000 << int32_t(sineTable[0] + (int64_t(900000) * (sineTable[1] - sineTable[0])) / 1800000);
    QTest::newRow("cos 0") << true << 0 << Scale;
    QTest::newRow("cos 180") << true << 180 * Deg << -Scale;
    QTest::newRow("cos 300") << true << 300 * Deg << sineTable[60];
}

void TestGeometry::sineAndCosine()
{
    QFETCH(bool, cosine);
    QFETCH(int, angle);
    QFETCH(int, expected);
    QCOMPARE(cosine ? cosMas(angle) : sinMas(angle), expected);
}

void TestGeometry::atan2FoldsAllOctants_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("expected");
    QTest::newRow("origin") << 0 << 0 << 90 * Deg;
    QTest::newRow("south") << 0 << -7 << -90 * Deg;
    QTest::newRow("west") << -5 << 0 << 180 * Deg;
    QTest::newRow("diagonal NE") << 5 << 5 << 45 * Deg;
    QTest::newRow("diagonal NW") << -5 << 5 << 135 * Deg;
    QTest::newRow("diagonal SE") << 3 << -3 << -45 * Deg;
    QTest::newRow("30 degrees") << 1732051 << 1000000 << 30 * Deg;
    QTest::newRow("steep SW") << -1000000 << -1732051 << -120 * Deg;
}

void TestGeometry::atan2FoldsAllOctants()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, expected);
    // Away from the axes and diagonals the tables allow a few tenths of an arc-second.
    QVERIFY2(std::abs(atan2Mas(x, y) - expected) <= 400, qPrintable(QString::number(atan2Mas(x, y))));
    if (x == 0 || y == 0 || std::abs(x) == std::abs(y))
        QCOMPARE(atan2Mas(x, y), expected);
}

void TestGeometry::distanceAndBearing_data()
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

void TestGeometry::distanceAndBearing()
{
    QFETCH(GeoPoint, from);
    QFETCH(GeoPoint, to);
    QFETCH(int, distance);
    QFETCH(int, bearing);
    const DistanceBearing result = ::distanceAndBearing(from, to);
    QCOMPARE(result.distance, distance);
    QCOMPARE(result.bearing, bearing);
}

void TestGeometry::destinationPointInvertsDistanceAndBearing()
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

void TestGeometry::circleStartsDueNorthOneUnitInside()
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
void TestGeometry::arcRadiusCheckAndRepair_data()
{
    QTest::addColumn<int>("difference");
    QTest::addColumn<bool>("faulty");
    QTest::addColumn<bool>("repaired");
    QTest::newRow("equal") << 0 << false << false;
    QTest::newRow("one metre is tolerated") << 100 << false << false;
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
        QCOMPARE(arc->startPoint(), from);
        QCOMPARE(arc->endPoint(), to);
    }

    const ArcConstruction full = makeArcSegment(Alps, from, from, false);
    QCOMPARE(full.arc->kind(), int(Circle));
    QCOMPARE(full.arc->startAngle(), full.arc->endAngle());
}

void TestGeometry::segmentReverseAndDebugText()
{
    AirspaceSegment line(Alps, GeoPoint(8 * Deg, 47 * Deg + Deg / 2));
    QCOMPARE(line.debugText(),
             QStringLiteral(" > typ:       Line     || sp: 47.00000 /  8.00000  || ep: 47.50000 /  8.00000"));

    const SegmentPtr original = makeArcSegment(GeoPoint(0, 0), GeoPoint(0, 100000), GeoPoint(100000, 0), true).arc;
    AirspaceSegment arc = *original;
    arc.reverse();
    QCOMPARE(arc.startPoint(), original->endPoint());
    QCOMPARE(arc.startAngle(), original->endAngle());
    QVERIFY(!arc.isClockwise());
    arc.reverse();
    QCOMPARE(arc.startPoint(), original->startPoint());
    QCOMPARE(arc.endAngle(), original->endAngle());
    QVERIFY(arc.debugText().endsWith(QStringLiteral("|| sw: 0.000  || ew: 90.000  || dir: cw")));
}

QTEST_APPLESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
