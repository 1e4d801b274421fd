#include "model/geometry.h"
#include "openair/openairreader.h"
#include "output/devicetext.h"
#include "output/longlines.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <numeric>

namespace {

constexpr int32_t Deg = Mas::Degree, Hundredth = Deg / 100, Min = 60000;

GeoPoint at(int32_t lat, int32_t lon) { return GeoPoint(lon, lat); }

const GeoPoint A = at(47 * Deg, 8 * Deg), B = at(A.lat + Hundredth, A.lon), C = at(B.lat, B.lon + Hundredth);
const QString TextA = "47:00.000 N 008:00.000 E", TextB = "47:00.600 N 008:00.000 E";
const QString Triangle = "DP " + TextA + "|DP " + TextB + "|DP 47:00.600 N 008:00.600 E|DP " + TextA;

AirspacePtr polygon(const QList<GeoPoint> &points)
{
    auto airspace = std::make_shared<Airspace>();
    for (GeoPoint point : points)
        airspace->addPoint(point);
    return airspace;
}

QString joined(const QStringList &lines) { return lines.join(QLatin1Char('|')); }
QString segmentLines(const AirspacePtr &airspace)   // the record after its CO line
{
    const QStringList record = airspace->deviceRecord(0);
    return joined(record.mid(record.indexOf(QRegularExpression("^CO ")) + 1));
}

// A due-north edge whose measured length is the smallest of at least lengthCm.
SegmentPtr northEdge(GeoPoint start, int32_t lengthCm)
{
    int32_t step = int32_t(int64_t(lengthCm) * 10000000 / 30887479) - 2;
    while (distanceAndBearing(start, at(start.lat + step, start.lon)).distance < lengthCm)
        ++step;
    return std::make_shared<AirspaceSegment>(start, at(start.lat + step, start.lon));
}
int32_t lengthOf(const SegmentPtr &s) { return distanceAndBearing(s->startPoint(), s->endPoint()).distance; }

} // namespace

class DeviceRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void textFormsForTheInstrument_data();
    void textFormsForTheInstrument();
    void minutesRoundLikeTheToolkitForEveryRemainder();
    void attributeLinesComeFirst_data();
    void attributeLinesComeFirst();
    void segmentLinesFollowTheFinishedOutline_data();
    void segmentLinesFollowTheFinishedOutline();
    void longEdgeIsHalvedUntilShort_data();
    void longEdgeIsHalvedUntilShort();
    void faultyAirspaceGivesOneEmptyLineAndExplains_data();
    void faultyAirspaceGivesOneEmptyLineAndExplains();
    void realFilesGiveWellFormedRecords();
};

void DeviceRecordTest::textFormsForTheInstrument_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto point = [](int32_t lat, int32_t lon) { return deviceCoordinateText(at(lat, lon)); };
    QTest::newRow("origin is south west") << point(0, 0) << "00:00.000 S 000:00.000 W";
    QTest::newRow("north east") << point(47 * Deg + 30500 * 60, 8 * Deg + 15250 * 60) << "47:30.500 N 008:15.250 E";
    QTest::newRow("south west") << point(-(33 * Deg + 52123 * 60), -(70 * Deg + 5 * Min)) << "33:52.123 S 070:05.000 W";
    QTest::newRow("180 east, 60 minutes") << point(3599990, Mas::Half) << "00:60.000 N 180:00.000 E";
    QTest::newRow("minus one unit") << point(-1, 179 * Deg + 59999 * 60) << "00:00.000 S 179:59.999 E";
    QTest::newRow("ties follow the double") << point(3750, -270) << "00:00.063 N 000:00.004 W";
    QTest::newRow("int32 limits") << point(INT32_MIN, INT32_MAX) << "596:31.394 S 596:31.394 E";
    QTest::newRow("metres") << deviceMetreText(99) + deviceMetreText(-99) + deviceMetreText(-150) << "00-1";
    QTest::newRow("umlauts") << toDeviceText(QString::fromUtf8("Übungsgebiet Süd äöÄÖ")) << "Ubungsgebiet Sud aoAO";
    QTest::newRow("french") << toDeviceText(QString::fromUtf8("éèà êç")) << "eea __";
    QTest::newRow("sharp s, tab, line break") << toDeviceText(QString::fromUtf8("ß\tx\n ~")) << "__x_ ~";
    QTest::newRow("delete, no-break space, surrogates")
        << toDeviceText(QString::fromUtf8("\x7f\u00a0\U0001F600")) << "____";
}

void DeviceRecordTest::textFormsForTheInstrument()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

// The writer takes an integer road to the digits the toolkit gives for remainder / 60000.
void DeviceRecordTest::minutesRoundLikeTheToolkitForEveryRemainder()
{
    for (int32_t rest = 0; rest < Deg; ++rest) {
        if (rest % 60 != 30 && rest > 2 * Min && rest % 11 != 0)
            continue;   // every tie, the first two minutes, a spread of the rest
        const QString minutes = QString("%1").arg(double(rest) / Min, 6, 'f', 3, QLatin1Char('0'));
        const QString text = deviceCoordinateText(at(45 * Deg + rest, -(7 * Deg + rest)));
        if (text.mid(3, 6) != minutes || text.mid(16, 6) != minutes)
            QFAIL(qPrintable(QString("%1 gives %2, not %3").arg(rest).arg(text, minutes)));
    }
}

void DeviceRecordTest::attributeLinesComeFirst_data()
{
    QTest::addColumn<QList<int>>("numbers");   // class, type flags, floor, warning distance
    QTest::addColumn<QStringList>("texts");    // device name, AD, comment, AR texts
    QTest::addColumn<QString>("expected");
    const QStringList x{"X", "", ""};
    const QString tail = "|AD |AN X|AL 0|AH 50000|AR1 |WD 400|CO ";
    QTest::newRow("bare") << QList<int>{Restricted, 0, 0, 0} << x << "AC R|AT |AD |AN X|AL 0|AH 50000|AR1 |WD 200|CO ";
    QTest::newRow("special") << QList<int>{Special, 0x10, 0, 40000} << x << "AC R|AT TMA" + tail;
    QTest::newRow("unknown class") << QList<int>{42, 0x1, 0, 40000} << x << "AC R|AT D" + tail;
    QTest::newRow("two type bits") << QList<int>{CTR, 0x3, 0, 40000} << x << "AC CTR|AT " + tail;
    QTest::newRow("GP, W") << QList<int>{GliderProhibited, 0x4000, 0, 40000} << x << "AC GP|AT W" + tail;
    QTest::newRow("400 ft") << QList<int>{Danger, 0x8000, 12345, 12191} << x
                            << "AC Q|AT |AD |AN X|AL 123|AH 50000|AR1 |WD 121|CO ";
    QTest::newRow("below a metre") << QList<int>{WaveWindow, 0, -150, 50} << x
                                   << "AC W|AT |AD |AN X|AL -1|AH 50000|AR1 |WD 0|CO ";
    QTest::newRow("texts") << QList<int>{ClassC, 0, 0, 40000}
                           << QStringList{QString::fromUtf8("Übungsgebiet Süd"), QString::fromUtf8("Mo Müll"),
                                          QString::fromUtf8(" Flugplatz Müllheim\n   12::x"), "119.1 TUTKA", "ß"}
                           << QString::fromUtf8("AC C|AT |AD Mo Müll|AN Ubungsgebiet Sud|AL 0|AH 50000|"
                                                "AR1 119.1 TUTKA|AR2 ß|WD 400|CO  Flugplatz Mullheim_   12::x");
}

void DeviceRecordTest::attributeLinesComeFirst()
{
    QFETCH(QList<int>, numbers);
    QFETCH(QStringList, texts);
    QFETCH(QString, expected);
    AirspacePtr airspace = polygon({A, B, C, A});
    airspace->setAirspaceClass(numbers[0]);
    airspace->setTypeFlags(numbers[1]);
    airspace->setFloor(numbers[2]);
    airspace->setWarningDistance(99999);   // the record carries the run's distance instead
    airspace->setDeviceName(texts[0]);
    airspace->setAdText(texts[1]);
    airspace->setComment(texts[2]);
    for (const QString &text : texts.mid(3))
        airspace->addArText(text);
    QCOMPARE(joined(airspace->deviceRecord(numbers[3])), expected + QLatin1Char('|') + Triangle);
}

void DeviceRecordTest::segmentLinesFollowTheFinishedOutline_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("clockwise polygon starts with two DP") << segmentLines(polygon({A, B, C, A})) << Triangle;
    QTest::newRow("counter-clockwise is turned") << segmentLines(polygon({A, C, B, B, A})) << Triangle;
    auto arcFirst = std::make_shared<Airspace>();   // east half circle about A, then north again
    arcFirst->addArc(A, B, at(A.lat - Hundredth, A.lon), true);
    arcFirst->addPoint(B);
    QTest::newRow("arc first") << segmentLines(arcFirst)
                               << "V D=+|V X=" + TextA + "|DB " + TextB + " , 46:59.400 N 008:00.000 E|DP " + TextB;
    auto circle = std::make_shared<Airspace>();
    circle->addCircle(A, CentimetresPerNauticalMile);
    QTest::newRow("circle names one point twice")
        << segmentLines(circle) << "V D=+|V X=" + TextA + "|DB 47:00.999 N 008:00.000 E , 47:00.999 N 008:00.000 E";
    QTest::newRow("counter-clockwise arc, first") << joined(AirspaceSegment(Arc, B, A, C, 1, 0, 0, false).deviceLines(true))
                                                  << "V D=-|V X=47:00.600 N 008:00.600 E|DB " + TextB + " , " + TextA;
    QTest::newRow("later line") << joined(AirspaceSegment(A, B).deviceLines(false)) << "DP " + TextB;

    // 11 km north, 7.6 km east, 13.6 km back: split into 4, 2 and 4 lines.
    const AirspacePtr big = polygon({A, at(A.lat + Deg / 10, A.lon), at(A.lat + Deg / 10, A.lon + Deg / 10), A});
    const SegmentList segments = big->segments();
    const QString first = segmentLines(big);
    QTest::newRow("long edges halved") << first
        << "DP " + TextA + "|DP 47:01.500 N 008:00.000 E|DP 47:03.000 N 008:00.000 E|DP 47:04.500 N 008:00.000 E|"
           "DP 47:06.000 N 008:00.000 E|DP 47:06.000 N 008:03.000 E|DP 47:06.000 N 008:06.000 E|"
           "DP 47:04.500 N 008:04.499 E|DP 47:03.000 N 008:02.999 E|DP 47:01.500 N 008:01.499 E|DP " + TextA;
    QTest::newRow("second record is the same") << segmentLines(big) << first;
    QTest::newRow("outline kept") << QString::number(big->segments() == segments && segments.size() == 3) << "1";
}

void DeviceRecordTest::segmentLinesFollowTheFinishedOutline()
{
    QFETCH(QString, lines);
    QFETCH(QString, expected);
    QCOMPARE(lines, expected);
}

void DeviceRecordTest::longEdgeIsHalvedUntilShort_data()
{
    QTest::addColumn<QList<int>>("lengths");   // due-north edges in a row; 0 is an arc
    QTest::addColumn<QList<int>>("pieces");
    QTest::newRow("12 km into four") << QList<int>{100000, 1200000, 0} << QList<int>{1, 4, 1};
    QTest::newRow("exactly 5 km stays") << QList<int>{LongLineCm} << QList<int>{1};
    QTest::newRow("just over 5 km") << QList<int>{LongLineCm + 1} << QList<int>{2};
    QList<int> full(96, 100000), fullPieces(97, 1);
    full.insert(40, 2000000);
    fullPieces[40] = 2;
    QTest::newRow("97 segments gain one split") << full << fullPieces;
    QTest::newRow("reaches 98 exactly") << QList<int>(94, 100000) + QList<int>{1200000}
                                        << QList<int>(94, 1) + QList<int>{4};
    QTest::newRow("first of equals") << QList<int>(95, 100000) + QList<int>{800000, 800000}
                                     << QList<int>(95, 1) + QList<int>{2, 1};
    QTest::newRow("empty") << QList<int>{} << QList<int>{};
}

void DeviceRecordTest::longEdgeIsHalvedUntilShort()
{
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, pieces);
    SegmentList outline;
    for (int length : lengths) {
        const GeoPoint start = outline.empty() ? A : outline.back()->endPoint();
        const GeoPoint end = at(start.lat + Hundredth, start.lon);
        outline.push_back(length ? northEdge(start, length)
                                 : std::make_shared<AirspaceSegment>(Arc, start, end, C, 1, 0, 0, true));
        QVERIFY(length != LongLineCm || lengthOf(outline.back()) == LongLineCm);
    }
    const SegmentList result = splitLongLines(outline);
    QCOMPARE(qsizetype(result.size()), std::accumulate(pieces.begin(), pieces.end(), qsizetype(0)));
    auto piece = result.begin();
    for (qsizetype i = 0; i < pieces.size(); piece += pieces[i], ++i) {
        const SegmentPtr &edge = outline[size_t(i)];
        if (pieces[i] == 1) {
            QCOMPARE(*piece, edge);   // left whole
            continue;
        }
        GeoPoint joint = edge->startPoint();
        for (auto p = piece; p != piece + pieces[i]; joint = (*p++)->endPoint()) {
            QVERIFY((*p)->startPoint() == joint && (*p)->kind() == Line);
            QVERIFY2(qAbs(lengthOf(*p) - lengthOf(edge) / pieces[i]) <= 20, qPrintable(QString::number(lengthOf(*p))));
        }
        QVERIFY(joint == edge->endPoint());
    }
}

void DeviceRecordTest::faultyAirspaceGivesOneEmptyLineAndExplains_data()
{
    QTest::addColumn<AirspacePtr>("airspace");
    QTest::addColumn<QString>("expected");
    // North, east, then a clockwise arc ending much nearer its centre than it starts.
    auto badArc = polygon({A, B, C});
    badArc->addArc(at(A.lat, C.lon), C, at(A.lat - Hundredth / 2, C.lon), true);
    QTest::newRow("third segment") << badArc << "segment 3 : radius difference > 0.2[nm]";
    const QString noExtent = "outline has no extent: all its points are the same";
    QTest::newRow("one point") << polygon({A, A, A}) << noExtent;
    auto unreadable = polygon({A, B, C, A}), both = polygon({A, A});
    unreadable->addDefinitionFault("coordinates not readable");
    both->addDefinitionFault("coordinates not readable");
    QTest::newRow("reader fault") << unreadable << "coordinates not readable";
    QTest::newRow("joined") << both << "coordinates not readable - " + noExtent;
    QTest::newRow("sound") << polygon({A, B, C, A}) << QString();
}

void DeviceRecordTest::faultyAirspaceGivesOneEmptyLineAndExplains()
{
    QFETCH(AirspacePtr, airspace);
    QFETCH(QString, expected);
    QCOMPARE(airspace->deviceRecord(0) == QStringList{QString()}, !expected.isEmpty());
    QCOMPARE(airspace->errorText(), expected);
}

void DeviceRecordTest::realFilesGiveWellFormedRecords()
{
    const QDir corpus(ZONVERT_CORPUS_DIR);
    const QStringList files = corpus.entryList({"*.txt"}, QDir::Files);
    if (files.isEmpty())
        QSKIP("no OpenAir corpus");
    const QString point = "\\d{2,3}:\\d\\d\\.\\d{3} [NS] \\d{3}:\\d\\d\\.\\d{3} [EW]";
    const QRegularExpression format(
        QString("^AC (R|Q|P|A|B|C|D|GP|CTR|W)\nAT [A-Z]*\nAD .*\nAN [ -~]{0,16}\nAL -?\\d+\nAH -?\\d+\n"
                "(AR\\d+ .*\n)+WD 200\nCO [ -~]*(\n(DP %1|V D=[+-]|V X=%1|DB %1 , %1))+$").arg(point));
    int written = 0;
    for (const QString &file : files) {
        OpenAirReader reader(false);
        QVERIFY(reader.open(corpus.filePath(file)));
        while (AirspacePtr airspace = reader.nextAirspace()) {
            if (airspace->segmentCount() == 0 || airspace->segmentCount() > 100)
                continue;   // never written
            const QString record = airspace->deviceRecord(0).join(QLatin1Char('\n'));
            QVERIFY2(record.isEmpty() ? !airspace->errorText().isEmpty() : format.match(record).hasMatch(),
                     qPrintable(file + ": " + airspace->name() + "\n" + record));
            written += record.isEmpty() ? 0 : 1;
        }
    }
    QVERIFY(written > 1000);
}

QTEST_GUILESS_MAIN(DeviceRecordTest)
#include "tst_devicerecord.moc"
