#include "model/airspace.h"
#include "model/geometry.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int32_t Deg = Mas::Degree;
const GeoPoint Centre(8 * Deg, 47 * Deg);

GeoPoint at(const QString &east, const QString &north)
{
    return GeoPoint(Centre.lon + east.toInt(), Centre.lat + north.toInt());
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
} // namespace

class TestOutline : public QObject
{
    Q_OBJECT

private slots:
    void penModelAndClosing_data();
    void penModelAndClosing();
    void orientation_data();
    void orientation();
    void counterClockwiseSquareIsReversed();
    void gapBeforeClockwiseArcKeepsOrientation();
    void chordPolylineEndsAtTheArcEnd();
    void faultsMarkTheAirspaceAndSignal();
    void copyReplaysOutline();
};

void TestOutline::penModelAndClosing_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("close");
    QTest::addColumn<QString>("built");      // segment kinds as added
    QTest::addColumn<QString>("finished");   // after closing or finishing
    QTest::newRow("no segments is closed") << QStringList{} << true << "" << "";
    QTest::newRow("three points, two lines") << QStringList{"P 0 0", "P 0 9000", "P 9000 9000"} << false << "LL" << "LL";
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

void TestOutline::penModelAndClosing()
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

void TestOutline::orientation_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("expected");
    QTest::newRow("clockwise square") << QStringList{"P 0 0", "P 0 9000", "P 9000 9000", "P 9000 0", "P 0 0"} << 1;
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

void TestOutline::orientation()
{
    QFETCH(QStringList, steps);
    QFETCH(int, expected);
    Airspace a;
    build(a, steps);
    QCOMPARE(::orientation(a.segments()), expected);
    const QList<GeoPoint> before = endpoints(a);
    a.finishDefinition();
    if (expected == -1)
        QCOMPARE(::orientation(a.segments()), 1);
    else
        QCOMPARE(endpoints(a), before);
}

void TestOutline::counterClockwiseSquareIsReversed()
{
    Airspace a;
    build(a, {"P 0 0", "P 9000 0", "P 9000 9000", "P 0 9000", "P 0 0"});
    const SegmentPtr oldLast = a.segments().back();
    const QList<GeoPoint> oldPoints{oldLast->endPoint(), oldLast->startPoint()};
    a.finishDefinition();
    QCOMPARE(a.segments().front(), oldLast);
    QCOMPARE(QList<GeoPoint>({oldLast->startPoint(), oldLast->endPoint()}), oldPoints);
    QCOMPARE(a.subBlocks().size(), size_t(1));
    QCOMPARE(a.subBlocks().front()->segments, a.segments());
}

// A line that stops 200 m short of the arc's start leaves a gap. Unbridged, the gap's
// term at 47 degrees north outweighs the whole area and turns the outline the wrong way.
void TestOutline::gapBeforeClockwiseArcKeepsOrientation()
{
    const GeoPoint west = destinationPoint(Centre, 200000, 270 * Deg);
    const GeoPoint east = destinationPoint(Centre, 200000, 90 * Deg);
    Airspace a;
    a.addPoint(east);
    a.addPoint(destinationPoint(west, 20000, 270 * Deg));
    a.addArc(Centre, west, east, true);
    QVERIFY(a.isClosed());
    QCOMPARE(::orientation(a.segments()), 1);
}

// A clockwise quarter sector of about 1 km whose end lies due east on a whole arc-second
// while the last chord point, at exactly the end bearing, falls just short of it. The
// piece between them must still count, or the sum at 47 degrees north flips its sign.
void TestOutline::chordPolylineEndsAtTheArcEnd()
{
    for (int32_t east = 40000; east < 60000; east += 1000) {
        const GeoPoint end(Centre.lon + east, Centre.lat);
        const int32_t radius = distanceAndBearing(Centre, end).distance;
        if (destinationPoint(Centre, radius, 90 * Deg).lon / 1000 >= end.lon / 1000)
            continue;
        const GeoPoint start = destinationPoint(Centre, radius, 0);
        Airspace a;
        a.addPoint(Centre);
        a.addPoint(start);
        a.addArc(Centre, start, end, true);
        a.addPoint(Centre);
        QCOMPARE(kinds(a), QStringLiteral("LAL"));
        QCOMPARE(::orientation(a.segments()), 1);
        return;
    }
    QFAIL("no end point with the rounding this test needs");
}

void TestOutline::faultsMarkTheAirspaceAndSignal()
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

void TestOutline::copyReplaysOutline()
{
    Airspace a;
    a.SetAirspaceEnabled(false);
    build(a, {"P 0 -20000", "P 0 -10000", "A 0 0 0 -10000 14663 0 ccw", "P 0 -20000"});
    a.segments()[1]->setAuxPoints(GeoPoint(1, 2), GeoPoint(3, 4));
    const Airspace b(a);
    QVERIFY(!b.isEnabled());
    QCOMPARE(endpoints(b), endpoints(a));
    QVERIFY(b.segments()[1] != a.segments()[1]);   // segments of its own
    GeoPoint first, second;
    b.segments()[1]->auxPoints(first, second);
    QCOMPARE(QList<GeoPoint>({first, second}), QList<GeoPoint>({GeoPoint(1, 2), GeoPoint(3, 4)}));
}

QTEST_MAIN(TestOutline)
#include "tst_outline.moc"
