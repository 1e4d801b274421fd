#include "model/airspace.h"
#include "model/geometry.h"
#include "output/devicetext.h"
#include "output/kaf.h"
#include "output/longlines.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

constexpr int32_t Deg = Mas::Degree, Hundredth = Deg / 100;

GeoPoint at(int32_t lat, int32_t lon) { return GeoPoint(lon, lat); }

const GeoPoint A = at(47 * Deg, 8 * Deg), B = at(A.lat + Hundredth, A.lon), C = at(B.lat, B.lon + Hundredth);
const QString TextA = "47:00.000 N 008:00.000 E", TextB = "47:00.600 N 008:00.000 E";
const QString Triangle = "|DP " + TextA + "|DP " + TextB + "|DP 47:00.600 N 008:00.600 E|DP " + TextA;

AirspacePtr polygon(const QList<GeoPoint> &points)
{
    auto airspace = std::make_shared<Airspace>();
    for (GeoPoint point : points)
        airspace->addPoint(point);
    return airspace;
}

// A counter-clockwise triangle; texts: device name, AD, comment, AR texts.
AirspacePtr triangle(int airspaceClass, int typeFlags, int floor, QStringList texts = {"X", "", ""})
{
    AirspacePtr airspace = polygon({A, C, B, B, A});
    airspace->setAirspaceClass(airspaceClass);
    airspace->setTypeFlags(typeFlags);
    airspace->setFloor(floor);
    airspace->setWarningDistance(99999);   // the record carries the run's distance instead
    airspace->setDeviceName(texts.takeFirst());
    airspace->setAdText(texts.takeFirst());
    airspace->setComment(texts.takeFirst());
    for (const QString &text : texts)
        airspace->addArText(text);
    return airspace;
}

// Due-north edges in a row (0 is an arc), each the shortest due-north step of at least its length.
SegmentList northEdges(const QList<int> &lengths)
{
    SegmentList outline;
    GeoPoint end = A;
    for (int length : lengths) {
        const GeoPoint start = end;
        int32_t step = length ? int32_t(int64_t(length) * 10000000 / 30887479) - 2 : Hundredth;
        while (distanceAndBearing(start, at(start.lat + step, start.lon)).distance < length)
            ++step;
        end = at(start.lat + step, start.lon);
        outline.push_back(length ? std::make_shared<AirspaceSegment>(start, end)
                                 : std::make_shared<AirspaceSegment>(Arc, start, end, C, 1, 0, 0, true));
    }
    return outline;
}

// The plain rule as flat numbers (start, end, original index of each piece): the longest
// straight piece, the first of equals, is halved until none is long or the limit is reached.
QList<qint64> longestFirst(const SegmentList &segments)
{
    struct Piece { GeoPoint start, end; DistanceBearing length; int original; };
    std::vector<Piece> work;
    for (const SegmentPtr &s : segments) {
        const GeoPoint start = s->startPoint(), end = s->endPoint();
        work.push_back({start, end, s->kind() == Line ? distanceAndBearing(start, end) : DistanceBearing{},
                        int(work.size())});
    }
    while (work.size() < std::size_t(SplitSegmentLimit)) {
        const auto longest = std::max_element(work.begin(), work.end(), [](const Piece &a, const Piece &b) {
            return a.length.distance < b.length.distance;
        });
        if (longest->length.distance <= LongLineCm)
            break;
        const Piece whole = *longest;
        const GeoPoint middle = destinationPoint(whole.start, whole.length.distance / 2, whole.length.bearing);
        *longest = {whole.start, middle, distanceAndBearing(whole.start, middle), -1};
        work.insert(longest + 1, {middle, whole.end, distanceAndBearing(middle, whole.end), -1});
    }
    QList<qint64> values;
    for (const Piece &p : work)
        values << p.start.lon << p.start.lat << p.end.lon << p.end.lat << p.original;
    return values;
}

// 150 corners on a circle of some 10 km: too many for one record.
AirspacePtr manyCorners()
{
    QList<GeoPoint> corners;
    for (int i = 0; i <= 150; ++i) {
        const int32_t bearing = int32_t(int64_t(Mas::FullTurn) * (i % 150) / 150);
        corners << destinationPoint(A, 1000000, bearing);
    }
    return polygon(corners);
}

// The DP lines of a record's bytes, and those its outline gives, corners shared.
QStringList cornerLines(const QByteArray &bytes)
{
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n'))
        if (line.startsWith("DP "))
            lines << QString::fromLatin1(line.trimmed());
    return lines;
}

QStringList cornerLines(const SegmentList &outline)
{
    QStringList lines;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        if (i == 0 || outline[i]->startPoint() != outline[i - 1]->endPoint())
            lines << "DP " + deviceCoordinateText(outline[i]->startPoint());
        lines << "DP " + deviceCoordinateText(outline[i]->endPoint());
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(AirspacePtr)

class DeviceRecordTest : public QObject
{
    Q_OBJECT

private slots:
    // ---- Texts

    void coordinateIsDegreesAndMinutes_data()
    {
        QTest::addColumn<int>("lat");
        QTest::addColumn<int>("lon");
        QTest::addColumn<QString>("expected");
        QTest::newRow("origin is south west") << 0 << 0 << "00:00.000 S 000:00.000 W";
        QTest::newRow("south west") << -(33 * Deg + 3127380) << -(70 * Deg + 300000) << "33:52.123 S 070:05.000 W";
        QTest::newRow("180 east, 60 minutes") << 3599990 << Mas::Half << "00:60.000 N 180:00.000 E";
        QTest::newRow("minus one unit") << -1 << 179 * Deg + 59999 * 60 << "00:00.000 S 179:59.999 E";
        QTest::newRow("ties follow the double") << 3750 << -270 << "00:00.063 N 000:00.004 W";
        QTest::newRow("int32 limits") << INT32_MIN << INT32_MAX << "596:31.394 S 596:31.394 E";
    }
    void coordinateIsDegreesAndMinutes()
    {
        QFETCH(int, lat);
        QFETCH(int, lon);
        QTEST(deviceCoordinateText(at(lat, lon)), "expected");
    }

    void metresAreTruncated() { QCOMPARE(deviceMetreText(99) + deviceMetreText(-99) + deviceMetreText(-150), "00-1"); }

    void textBecomesPrintableAscii_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("umlauts, accents") << QString::fromUtf8("Übungsgebiet Süd äöÄÖ éèà êç") << "Ubungsgebiet Sud aoAO eea __";
        QTest::newRow("sharp s, tab, line break, delete, no-break space, surrogates")
                << QString::fromUtf8("ß\tx\n ~\x7f\u00a0\U0001F600") << "__x_ ~____";
    }
    void textBecomesPrintableAscii()
    {
        QFETCH(QString, text);
        QTEST(toDeviceText(text), "expected");
    }

    // ---- Records

    void attributeLinesComeFromTheAirspaceAndTheRun_data()
    {
        QTest::addColumn<AirspacePtr>("airspace");
        QTest::addColumn<int>("distance");
        QTest::addColumn<QString>("expected");
        QTest::newRow("special, TMA, no distance")
                << triangle(Special, 0x10, 0) << 0 << "AC R|AT TMA|AD |AN X|AL 0|AH 50000|AR1 |WD 200|CO " + Triangle;
        QTest::newRow("two type bits, 400 ft")
                << triangle(CTR, 0x3, 12345) << 12191 << "AC CTR|AT |AD |AN X|AL 123|AH 50000|AR1 |WD 121|CO " + Triangle;
        QTest::newRow("below a metre") << triangle(WaveWindow, 0x4000, -150) << 50
                                       << "AC W|AT W|AD |AN X|AL -1|AH 50000|AR1 |WD 0|CO " + Triangle;
        QTest::newRow("texts") << triangle(ClassC, 0, 0, QString::fromUtf8("Süd|Müll| Mü\n x|A|ß").split(u'|')) << 40000
                               << QString::fromUtf8("AC C|AT |AD Müll|AN Sud|AL 0|AH 50000|AR1 A|AR2 ß|WD 400|CO  Mu_ x")
                                          + Triangle;
        // A line break in AD or AR would let the text write a record line of its own.
        QTest::newRow("control characters in AD and AR")
                << triangle(ClassC, 0, 0, {"X", "a\r\nAC Q\x7f\u0085", "", "\tb\x1f\u009f\u00a0c", "\x0c"}) << 0
                << QString::fromUtf8("AC C|AT |AD a__AC Q__|AN X|AL 0|AH 50000|AR1 _b__\u00a0c|AR2 _|WD 200|CO ") + Triangle;
    }
    void attributeLinesComeFromTheAirspaceAndTheRun()
    {
        QFETCH(AirspacePtr, airspace);
        QFETCH(int, distance);
        QTEST(airspace->deviceRecord(distance).join(u'|'), "expected");
    }

    void outlineLinesFollowTheSegments_data()
    {
        QTest::addColumn<AirspacePtr>("airspace");
        QTest::addColumn<QString>("expected");   // the lines after the nine attribute lines
        auto arcFirst = std::make_shared<Airspace>();   // east half circle about A, then north again
        arcFirst->addArc(A, B, at(A.lat - Hundredth, A.lon), true);
        arcFirst->addPoint(B);
        QTest::newRow("arc first") << arcFirst
                                   << "V D=+|V X=" + TextA + "|DB " + TextB + " , 46:59.400 N 008:00.000 E|DP " + TextB;
        // Lines that do not start where the segment before them ended write their start.
        auto turned = polygon({at(A.lat, C.lon), C});   // east side going north, then a west arc going south
        turned->addArc(at(A.lat + Hundredth / 2, A.lon), B, A, false);
        QTest::newRow("line after a turned-round arc that ends elsewhere")
                << turned << "V D=+|V X=47:00.300 N 008:00.000 E|DB " + TextA + " , " + TextB
                             + "|DP 47:00.600 N 008:00.600 E|DP 47:00.000 N 008:00.600 E";
        auto afterCircle = polygon({A, B});
        afterCircle->addCircle(C, CentimetresPerNauticalMile);
        afterCircle->addPoint(C);
        QTest::newRow("line after a circle")
                << afterCircle << "DP " + TextA + "|DP " + TextB
                                  + "|V D=+|V X=47:00.600 N 008:00.600 E|DB 47:01.599 N 008:00.600 E , "
                                    "47:01.599 N 008:00.600 E|DP " + TextB + "|DP 47:00.600 N 008:00.600 E";
        auto circle = std::make_shared<Airspace>();
        circle->addCircle(A, CentimetresPerNauticalMile);
        QTest::newRow("circle names one point twice")
                << circle << "V D=+|V X=" + TextA + "|DB 47:00.999 N 008:00.000 E , 47:00.999 N 008:00.000 E";
    }
    void outlineLinesFollowTheSegments()
    {
        QFETCH(AirspacePtr, airspace);
        QTEST(airspace->deviceRecord(0).mid(9).join(u'|'), "expected");
    }

    void counterClockwiseArcSaysSo()
    {
        QCOMPARE(AirspaceSegment(Arc, B, A, C, 1, 0, 0, false).deviceLines(true).join(u'|'),
                 "V D=-|V X=47:00.600 N 008:00.600 E|DB " + TextB + " , " + TextA);
    }

    // Halving works on a copy: the second record is the same, and the outline is kept.
    void recordHalvesLongEdgesOfACopy()
    {
        // 6.7 km north, 0.8 km east, 6.7 km back: split into 2, 1 and 2 lines.
        const AirspacePtr big = polygon({A, at(A.lat + 6 * Hundredth, A.lon), at(A.lat + 6 * Hundredth, C.lon), A});
        const SegmentList segments = big->segments();
        const QString halved = "DP " + TextA + "|DP 47:01.800 N 008:00.000 E|DP 47:03.600 N 008:00.000 E|"
                               "DP 47:03.600 N 008:00.600 E|DP 47:01.800 N 008:00.300 E|DP " + TextA;
        QCOMPARE(big->deviceRecord(0).mid(9).join(u'|'), halved);
        QCOMPARE(big->deviceRecord(0).mid(9).join(u'|'), halved);
        QVERIFY(big->segments() == segments);
    }

    // A faulty airspace's record is one empty line, and errorText says why.
    void faultyAirspaceGivesAnEmptyRecordAndTheReason_data()
    {
        QTest::addColumn<AirspacePtr>("airspace");
        QTest::addColumn<QString>("expected");
        // North, east, then a clockwise arc ending much nearer its centre than it starts.
        auto badArc = polygon({A, B, C});
        badArc->addArc(at(A.lat, C.lon), C, at(A.lat - Hundredth / 2, C.lon), true);
        QTest::newRow("faulty third segment") << badArc << "segment 3 : radius difference > 0.2[nm]";
        const QString noExtent = "outline has no extent: all its points are the same";
        QTest::newRow("outline of one point") << polygon({A, A, A}) << noExtent;
        auto both = polygon({A, A});
        both->addDefinitionFault("coordinates not readable");
        QTest::newRow("reader fault first") << both << "coordinates not readable - " + noExtent;
        QTest::newRow("no boundary at all") << polygon({A}) << "no boundary";
    }
    void faultyAirspaceGivesAnEmptyRecordAndTheReason()
    {
        QFETCH(AirspacePtr, airspace);
        QCOMPARE(airspace->deviceRecord(0), QStringList{QString()});
        QTEST(airspace->errorText(), "expected");
    }

    // ---- Halving long edges

    // Pieces in hundreds of metres: the longest straight edge, the first of equals, is halved
    // until none is longer than 5 km or the outline has 98 pieces.
    void longEdgeIsHalvedUntilShort_data()
    {
        QTest::addColumn<QList<int>>("lengths");   // of due-north edges in centimetres; 0 is an arc
        QTest::addColumn<QString>("expected");
        QTest::newRow("12 km into four") << QList<int>{100000, 1200000, 0} << "10 30 30 30 30 arc";
        QTest::newRow("exactly 5 km stays") << QList<int>{LongLineCm} << "50";
        QTest::newRow("97 segments gain one split") << QList<int>(40, 100000) + QList<int>{2000000} + QList<int>(56, 100000)
                << QStringList(40, "10 ").join(QString()) + "100 100" + QStringList(56, " 10").join(QString());
        QTest::newRow("first of equals") << QList<int>(95, 100000) + QList<int>{800000, 800000}
                                         << QStringList(95, "10 ").join(QString()) + "40 40 80";
    }
    void longEdgeIsHalvedUntilShort()
    {
        QFETCH(QList<int>, lengths);
        QStringList pieces;
        for (const SegmentPtr &piece : splitLongLines(northEdges(lengths))) {
            const int32_t length = distanceAndBearing(piece->startPoint(), piece->endPoint()).distance;
            pieces.append(piece->kind() == Arc ? QStringLiteral("arc") : QString::number(length / 10000.0, 'f', 0));
        }
        QTEST(pieces.join(u' '), "expected");
    }

    // Random outlines walked from a start point must be cut as the plain rule cuts them.
    void halvingFollowsTheLongestFirstRule_data()
    {
        // Long lines are 5 km up to longKm, arcs and circles as wide, other lines 0.1 to 5.5 km.
        QTest::addColumn<QList<int>>("shape");   // fewest and most segments, long %, longKm, arc %
        QTest::addColumn<QList<int>>("place");   // latitudes from, to (N or S); start longitude; wrap at 180
        QTest::addColumn<QString>("outcomes");   // kept whole, split below the limit, limit reached
        const QList<int> temperate{0, 70, 8, 0}, polar{80, 89, 8, 1}, eastOf180{0, 60, 179, 0}, wrapped{0, 89, 179, 1};
        QTest::newRow("edges about 5 km") << QList<int>{2, 20, 0, 6, 20} << temperate << "kept split";
        QTest::newRow("up to 80 km") << QList<int>{3, 6, 60, 80, 10} << temperate << "kept split";
        QTest::newRow("up to 600 km") << QList<int>{2, 10, 40, 600, 10} << temperate << "kept split limit";
        QTest::newRow("90 to 97 segments") << QList<int>{90, 97, 2, 600, 10} << temperate << "split limit";
        QTest::newRow("98 and more stay") << QList<int>{98, 101, 50, 600, 10} << temperate << "kept";
        QTest::newRow("near the poles") << QList<int>{2, 10, 40, 600, 10} << polar << "kept split limit";
        QTest::newRow("beyond 180 E") << QList<int>{2, 10, 40, 300, 10} << eastOf180 << "kept split limit";
        QTest::newRow("across 180, wrapped") << QList<int>{2, 10, 40, 300, 10} << wrapped << "kept split limit";
    }
    void halvingFollowsTheLongestFirstRule()
    {
        QFETCH(QList<int>, shape);
        QFETCH(QList<int>, place);
        QRandomGenerator rng(20130305);
        const auto inRange = [&](int low, int high) { return int32_t(rng.bounded(qint64(low), qint64(high) + 1)); };
        QStringList outcomes;
        for (int n = 0; n < 400; ++n) {
            const int32_t lat = inRange(place[0] * Deg, place[1] * Deg) * (rng.bounded(2) ? 1 : -1);
            GeoPoint point(place[2] * Deg + inRange(-Deg, Deg), lat);
            SegmentList outline;
            for (int count = inRange(shape[0], shape[1]); int(outline.size()) < count; point = outline.back()->endPoint()) {
                const int roll = inRange(0, 99);
                const bool arc = roll >= 100 - shape[4];
                const int32_t length = arc || roll < shape[2] ? inRange(LongLineCm, shape[3] * 100000)
                                                              : inRange(10000, 550000);
                GeoPoint next = destinationPoint(point, length, inRange(0, Mas::FullTurn - 1));
                next.lat = std::clamp(next.lat, -89 * Deg, 89 * Deg);
                while (place[3] && std::abs(next.lon) > Mas::Half)
                    next.lon -= next.lon > 0 ? Mas::FullTurn : -Mas::FullTurn;
                outline.push_back(!arc ? std::make_shared<AirspaceSegment>(point, next)
                                  : roll % 2 ? std::make_shared<AirspaceSegment>(Circle, point, point, next, length, 0, 0, true)
                                             : std::make_shared<AirspaceSegment>(Arc, point, next, point, length, 0, 0, false));
            }
            std::vector<OutlinePiece> pieces;
            splitLongLines(outline, pieces);
            QList<qint64> values;
            for (const OutlinePiece &p : pieces)
                values << p.start.lon << p.start.lat << p.end.lon << p.end.lat << p.original;
            QVERIFY2(values == longestFirst(outline),
                     qPrintable(QStringLiteral("outline %1 of %2 segments").arg(n).arg(outline.size())));
            outcomes << (pieces.size() == outline.size() ? "kept"
                         : pieces.size() < std::size_t(SplitSegmentLimit) ? "split" : "limit");
        }
        QStringList seen;
        for (const char *outcome : {"kept", "split", "limit"})
            if (outcomes.contains(QLatin1String(outcome)))
                seen << outcome;
        QTEST(seen.join(u' '), "outcomes");
    }

    void edgesAcross180StayShort_data();
    void edgesAcross180StayShort();

    // With the picture asked for, a record keeps the outline that its lines were written from:
    // long edges halved as in the record, a fitted outline with the original behind it. An
    // outline that is not written is kept as it was read.
    void recordKeepsTheOutlineItWasWrittenFrom_data()
    {
        QTest::addColumn<AirspacePtr>("airspace");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pieces");   // of the kept outline; 0 when it is the one read
        // 6.7 km north, 0.8 km east, 6.7 km back: 2, 1 and 2 pieces.
        const auto big = [] { return polygon({A, at(A.lat + 6 * Hundredth, A.lon), at(A.lat + 6 * Hundredth, C.lon), A}); };
        auto badArc = polygon({A, B, C});
        badArc->addArc(at(A.lat, C.lon), C, at(A.lat - Hundredth / 2, C.lon), true);
        QTest::newRow("written, long edges halved") << big() << false << int(Kaf::Record::Written) << 5;
        QTest::newRow("written, fitting asked for") << big() << true << int(Kaf::Record::Written) << 5;
        QTest::newRow("fitted") << manyCorners() << true << int(Kaf::Record::Fitted) << 100;
        QTest::newRow("too long") << manyCorners() << false << int(Kaf::Record::OverLimit) << 0;
        QTest::newRow("faulty") << badArc << false << int(Kaf::Record::Faulty) << 0;
    }
    void recordKeepsTheOutlineItWasWrittenFrom()
    {
        QFETCH(AirspacePtr, airspace);
        QFETCH(bool, fit);
        QFETCH(int, pieces);
        Kaf::RecordOptions options;
        options.fitLongOutline = fit;
        options.keepOutline = true;
        const Kaf::Record record = Kaf::makeRecord(*airspace, options);
        QTEST(int(record.kind), "kind");
        if (pieces == 0) {
            QVERIFY(record.outline == airspace->segments());
            QVERIFY(record.bytes.isEmpty());
            return;
        }
        QCOMPARE(int(record.outline.size()), pieces);
        QCOMPARE(cornerLines(record.outline), cornerLines(record.bytes));
        if (record.kind == Kaf::Record::Fitted)
            QVERIFY(record.original == airspace->segments());
    }
};

// An outline across 180 degrees used to be measured the long way round: its edges were
// halved into points all around the earth, and its winding could come out reversed.
void DeviceRecordTest::edgesAcross180StayShort_data()
{
    QTest::addColumn<bool>("clockwise");
    QTest::newRow("given clockwise") << true;
    QTest::newRow("given counter-clockwise") << false;
}

void DeviceRecordTest::edgesAcross180StayShort()
{
    QFETCH(bool, clockwise);
    // A 0.2 by 0.2 degree square around 180 E at 60 S: edges of 11 and 22 km.
    QList<GeoPoint> corners{at(-60 * Deg, 179 * Deg + 90 * Hundredth), at(-60 * Deg + 20 * Hundredth, 179 * Deg + 90 * Hundredth),
                            at(-60 * Deg + 20 * Hundredth, -(179 * Deg + 90 * Hundredth)),
                            at(-60 * Deg, -(179 * Deg + 90 * Hundredth))};
    if (!clockwise)
        std::reverse(corners.begin(), corners.end());
    Airspace airspace;
    for (const GeoPoint &corner : corners + QList<GeoPoint>{corners.first()})
        airspace.addPoint(corner);
    const QStringList record = airspace.deviceRecord(0);
    QStringList points;
    for (const QString &line : record)
        if (line.startsWith(QLatin1String("DP ")))
            points << line.mid(15);   // the longitude
    // The corner written twice, and two 11 km edges in 4 pieces and two 22 km ones in 8.
    QCOMPARE(points.size(), 1 + 2 * 4 + 2 * 8);
    for (const QString &point : points)
        QVERIFY2(point.startsWith(QLatin1String("179:")) || point.startsWith(QLatin1String("180:")), qPrintable(point));
    QCOMPARE(orientation(airspace.segments()), 1);
}

QTEST_GUILESS_MAIN(DeviceRecordTest)
#include "tst_devicerecord.moc"
