#include "model/airspace.h"
#include "model/geometry.h"
#include "output/devicetext.h"
#include "output/longlines.h"

#include <QTest>

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

// The record of a counter-clockwise triangle; texts: device name, AD, comment, AR texts.
QString triangle(int airspaceClass, int typeFlags, int floor, int distance, QStringList texts = {"X", "", ""})
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
    return airspace->deviceRecord(distance).join(u'|');
}

// The outline lines of a record without AR texts: they follow nine attribute lines.
QString outlineLines(const AirspacePtr &airspace) { return airspace->deviceRecord(0).mid(9).join(u'|'); }

// A faulty airspace's record is one empty line, and errorText says why.
QString fault(const AirspacePtr &a) { return a->deviceRecord(0) == QStringList{QString()} ? a->errorText() : "written"; }

// The pieces that splitLongLines makes of due-north edges in a row (0 is an arc), in hundreds
// of metres. Each edge is the shortest due-north step of at least its length.
QString pieces(const QList<int> &lengths)
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
    QStringList texts;
    for (const SegmentPtr &piece : splitLongLines(outline)) {
        const int32_t length = distanceAndBearing(piece->startPoint(), piece->endPoint()).distance;
        texts.append(piece->kind() == Arc ? QStringLiteral("arc") : QString::number(length / 10000.0, 'f', 0));
    }
    return texts.join(u' ');
}

} // namespace

class DeviceRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void textsRecordsAndPiecesForTheInstrument_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto point = [](int32_t lat, int32_t lon) { return deviceCoordinateText(at(lat, lon)); };
        QTest::newRow("origin is south west") << point(0, 0) << "00:00.000 S 000:00.000 W";
        QTest::newRow("south west") << point(-(33 * Deg + 3127380), -(70 * Deg + 300000)) << "33:52.123 S 070:05.000 W";
        QTest::newRow("180 east, 60 minutes") << point(3599990, Mas::Half) << "00:60.000 N 180:00.000 E";
        QTest::newRow("minus one unit") << point(-1, 179 * Deg + 59999 * 60) << "00:00.000 S 179:59.999 E";
        QTest::newRow("ties follow the double") << point(3750, -270) << "00:00.063 N 000:00.004 W";
        QTest::newRow("int32 limits") << point(INT32_MIN, INT32_MAX) << "596:31.394 S 596:31.394 E";
        QTest::newRow("metres truncated") << deviceMetreText(99) + deviceMetreText(-99) + deviceMetreText(-150) << "00-1";
        QTest::newRow("umlauts, accents") << toDeviceText(QString::fromUtf8("Übungsgebiet Süd äöÄÖ éèà êç"))
                                          << "Ubungsgebiet Sud aoAO eea __";
        QTest::newRow("sharp s, tab, line break, delete, no-break space, surrogates")
                << toDeviceText(QString::fromUtf8("ß\tx\n ~\x7f\u00a0\U0001F600")) << "__x_ ~____";

        QTest::newRow("special, TMA, no distance")
                << triangle(Special, 0x10, 0, 0) << "AC R|AT TMA|AD |AN X|AL 0|AH 50000|AR1 |WD 200|CO " + Triangle;
        QTest::newRow("two type bits, 400 ft")
                << triangle(CTR, 0x3, 12345, 12191) << "AC CTR|AT |AD |AN X|AL 123|AH 50000|AR1 |WD 121|CO " + Triangle;
        QTest::newRow("below a metre") << triangle(WaveWindow, 0x4000, -150, 50)
                                       << "AC W|AT W|AD |AN X|AL -1|AH 50000|AR1 |WD 0|CO " + Triangle;
        QTest::newRow("texts") << triangle(ClassC, 0, 0, 40000, QString::fromUtf8("Süd|Müll| Mü\n x|A|ß").split(u'|'))
                               << QString::fromUtf8("AC C|AT |AD Müll|AN Sud|AL 0|AH 50000|AR1 A|AR2 ß|WD 400|CO  Mu_ x")
                                          + Triangle;

        auto arcFirst = std::make_shared<Airspace>();   // east half circle about A, then north again
        arcFirst->addArc(A, B, at(A.lat - Hundredth, A.lon), true);
        arcFirst->addPoint(B);
        QTest::newRow("arc first") << outlineLines(arcFirst)
                                   << "V D=+|V X=" + TextA + "|DB " + TextB + " , 46:59.400 N 008:00.000 E|DP " + TextB;
        auto circle = std::make_shared<Airspace>();
        circle->addCircle(A, CentimetresPerNauticalMile);
        QTest::newRow("circle names one point twice")
                << outlineLines(circle) << "V D=+|V X=" + TextA + "|DB 47:00.999 N 008:00.000 E , 47:00.999 N 008:00.000 E";
        QTest::newRow("counter-clockwise arc") << AirspaceSegment(Arc, B, A, C, 1, 0, 0, false).deviceLines(true).join(u'|')
                                               << "V D=-|V X=47:00.600 N 008:00.600 E|DB " + TextB + " , " + TextA;
        // 6.7 km north, 0.8 km east, 6.7 km back: split into 2, 1 and 2 lines.
        const AirspacePtr big = polygon({A, at(A.lat + 6 * Hundredth, A.lon), at(A.lat + 6 * Hundredth, C.lon), A});
        const SegmentList segments = big->segments();
        const QString first = outlineLines(big);
        QTest::newRow("long edges halved")
                << first << "DP " + TextA + "|DP 47:01.800 N 008:00.000 E|DP 47:03.600 N 008:00.000 E|"
                            "DP 47:03.600 N 008:00.600 E|DP 47:01.800 N 008:00.300 E|DP " + TextA;
        QTest::newRow("second record is the same, outline kept")
                << outlineLines(big) + QString::number(big->segments() == segments) << first + "1";

        // North, east, then a clockwise arc ending much nearer its centre than it starts.
        auto badArc = polygon({A, B, C});
        badArc->addArc(at(A.lat, C.lon), C, at(A.lat - Hundredth / 2, C.lon), true);
        QTest::newRow("faulty third segment") << fault(badArc) << "segment 3 : radius difference > 0.2[nm]";
        const QString noExtent = "outline has no extent: all its points are the same";
        QTest::newRow("outline of one point") << fault(polygon({A, A, A})) << noExtent;
        auto both = polygon({A, A});
        both->addDefinitionFault("coordinates not readable");
        QTest::newRow("reader fault first") << fault(both) << "coordinates not readable - " + noExtent;

        QTest::newRow("12 km into four") << pieces({100000, 1200000, 0}) << "10 30 30 30 30 arc";
        QTest::newRow("exactly 5 km stays") << pieces({LongLineCm}) << "50";
        QTest::newRow("97 segments gain one split")
                << pieces(QList<int>(40, 100000) + QList<int>{2000000} + QList<int>(56, 100000))
                << QStringList(40, "10 ").join(QString()) + "100 100" + QStringList(56, " 10").join(QString());
        QTest::newRow("first of equals") << pieces(QList<int>(95, 100000) + QList<int>{800000, 800000})
                                         << QStringList(95, "10 ").join(QString()) + "40 40 80";
    }
    void textsRecordsAndPiecesForTheInstrument()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
    }
};

QTEST_GUILESS_MAIN(DeviceRecordTest)
#include "tst_devicerecord.moc"
