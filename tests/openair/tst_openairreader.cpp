#include "openair/openairreader.h"

#include "model/geometry.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray P1 = "47:00:00 N 008:00:00 E";
const QByteArray P2 = "47:10:00 N 008:00:00 E";
const GeoPoint Centre(28800000, 169200000);   // P1

QString text(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

QList<AirspacePtr> readAll(const QByteArray &bytes)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("airspace.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    OpenAirReader reader(true);
    QList<AirspacePtr> airspaces;
    if (reader.open(file.fileName())) {
        while (AirspacePtr airspace = reader.nextAirspace()) {
            airspaces.append(airspace);
            if (airspaces.size() > 100)   // a reader that never ends
                break;
        }
    }
    return airspaces;
}

QString field(const Airspace &a, const QString &name)
{
    const QMap<QString, QString> fields = {
        {"name", a.name() + u'/' + a.deviceName()},
        {"class", QString::number(a.airspaceClass())},
        {"type", QString::number(a.typeFlags())},
        {"ad", a.adText()},
        {"ar", QString::number(a.arTexts().size()) + u':' + a.arTexts().join(u'|')},
        {"floor", QString::number(a.floor()) + u'/' + a.floorText()},
        {"ceiling", QString::number(a.ceiling()) + u'/' + a.ceilingText()},
        {"wd", QString::number(a.warningDistance())},
        {"faults", a.definitionFaults().join(u'|') + u'#' + a.comment()},
    };
    return fields.value(name, a.comment());
}

QList<SegmentPtr> segmentsOfKind(const Airspace &airspace, int kind)
{
    QList<SegmentPtr> found;
    for (const SegmentPtr &segment : airspace.segments()) {
        if (segment->kind() == kind)
            found.append(segment);
    }
    return found;
}

} // namespace

class TestOpenAirReader : public QObject
{
    Q_OBJECT

private slots:
    void blocksBecomeAirspaces_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("airspaces");
        QTest::newRow("boundary lines before the first A line are skipped")
                << "DP " + P1 + "\nV X=" + P1 + "\nAC R\nAN A\nDP " + P1 << "A{}";
        QTest::newRow("A line after boundary lines is read again with its line number")
                << "AC R\nAN TEST\nAL GND\nAH 2000ft MSL\nDP " + P1 + "\nDP " + P2 + "\nAC X\nAN TWO\nDP " + P1
                << "TEST{}|TWO{    7::AC X}";
        QTest::newRow("header lines without boundary stay in one airspace")
                << "AC Q\nSP 0,2,127\nSB -1,-1,-1\n\nAC D\nAN MERGED\nDP " + P1 << "MERGED{}";
        QTest::newRow("TO ends the airspace and its boundary lines are skipped")
                << "AC R\nAN ONE\nDP " + P1 + "\nTO x\nDP " + P2 + "\nAC R\nAN TWO\nDP " + P1 << "ONE{}|TWO{}";
        QTest::newRow("TC in the header ends the airspace") << "AC R\nAN ONE\nTC\nAN TWO\nDP " + P1 << "ONE{}|TWO{}";
        QTest::newRow("comment lines count; any A line starts") << QByteArray("* one\n   * two\nAY E\nAC E")
                                                                << "default{    4::AC E}";
        QTest::newRow("faulty V record does not join the next airspace")
                << "AC R\nAN ONE\nDP " + P1 + "\nV Q=3\nAN TWO\nDP " + P1 << "ONE{    4::V Q=3}|TWO{}";
        QTest::newRow("boundary lines only") << "DP " + P1 + "\nDB " + P1 + ", " + P2 << "";
    }
    void blocksBecomeAirspaces()
    {
        QFETCH(QByteArray, file);
        QStringList summary;
        for (const AirspacePtr &airspace : readAll(file))
            summary.append(airspace->name() + u'{' + airspace->comment() + u'}');
        QTEST(summary.join(u'|'), "airspaces");
    }

    void recordsFillTheAirspace_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("AC alone") << QByteArray("AC\nAN X") << "class" << "10";
        QTest::newRow("AC alone adds no note") << QByteArray("AC\nAN X") << "comment" << "";
        QTest::newRow("AC GP") << QByteArray("AC GP") << "class" << "7";
        QTest::newRow("AC E is noted") << QByteArray("\n\n\n\n\n\nAC E") << "comment" << "    7::AC E";
        QTest::newRow("class is case-sensitive") << QByteArray("AC r") << "comment" << "    1::AC r";
        QTest::newRow("empty class word") << QByteArray("AC  UNC") << "comment" << "    1::AC  UNC";
        QTest::newRow("AN keeps a second blank") << QByteArray("AN  Long airspace name here") << "name"
                                                 << " Long airspace name here/ Long airspace n";
        QTest::newRow("AN without separator") << QByteArray("ANxyz") << "name" << "yz/yz";
        QTest::newRow("AN before a comment") << QByteArray("AN Name * remark") << "name" << "Name /Name ";
        QTest::newRow("AT upper-cased, replaces") << QByteArray("AT W\nAT tma") << "type" << "16";
        QTest::newRow("AT label coordinate") << QByteArray("AT TMA\nAT " + P1) << "type" << "0";
        QTest::newRow("AR digit is cut with the keyword") << QByteArray("AR1 Info\nAR1 ") << "ar" << "2:Info|";
        QTest::newRow("AD trimmed") << QByteArray("AD  some text ") << "ad" << "some text";
        QTest::newRow("AH text untrimmed") << QByteArray("AH 1000ft MSL") << "ceiling" << "30479/ 1000ft MSL";
        QTest::newRow("AH empty") << QByteArray("AC R\nAH") << "ceiling" << "5000000/";
        QTest::newRow("AL empty is noted") << QByteArray("AC R\nAL ") << "comment" << "    2::AL";
        QTest::newRow("CO texts joined, placeholders kept")
                << QByteArray("AC R\nCO first\nCO %2 second%1\nAC E") << "comment" << " first %2 second%1\n    4::AC E";
        QTest::newRow("WD") << QByteArray("AC R\nWD 500") << "wd" << "500";
        QTest::newRow("WD saturates") << QByteArray("AC R\nWD -99999999999999999999") << "wd" << "-2147483648";
        QTest::newRow("V W= and V Z= are ignored, like unknown records")
                << QByteArray("AC R\nV W=2\nV Z=100\nXY 1\nac r\nDY 1\nSP 0,1") << "comment" << "";
        QTest::newRow("DB without comma") << "AC R\nV X=" + P1 + "\nDB " + P1 + " " + P2 << "comment"
                                          << text("    3::DB " + P1 + " " + P2);
        QTest::newRow("DB with three parts") << "AC R\nV X=" + P1 + "\nDB " + P1 + "," + P2 + "," << "comment"
                                             << text("    3::DB " + P1 + "," + P2 + ",");
        QTest::newRow("DC with unit") << "AC R\nV X=" + P1 + "\nDC 5 NM" << "comment" << "    3::DC 5 NM";
        QTest::newRow("DC nan, noted on the completing line") << "AC R\nDC nan\nV X=" + P1 << "comment"
                                                              << text("    3::V X=" + P1);
        QTest::newRow("DA inf") << "AC R\nV X=" + P1 + "\nDA 1, inf, 2" << "comment" << "    3::DA 1, inf, 2";
        QTest::newRow("unreadable DP") << QByteArray("AC R\nAN X\nDP 47:3O:00 N 008:00:00 E") << "faults"
                                       << "line 3: coordinates not readable: DP 47:3O:00 N 008:00:00 E#    3::DP 47:3O:00 N 008:00:00 E";
        QTest::newRow("DP without longitude letter") << QByteArray("AC R\nDP 47:30:00 N 008:00:00 * x") << "faults"
                                                     << "line 2: coordinates not readable: DP 47:30:00 N 008:00:00 * x#    2::DP 47:30:00 N 008:00:00 ";
        QTest::newRow("DP placeholders kept") << QByteArray("AC R\nDP %2 N %1 E") << "faults"
                                              << "line 2: coordinates not readable: DP %2 N %1 E#    2::DP %2 N %1 E";
        QTest::newRow("V X= unreadable") << QByteArray("AC R\nV X=nonsense") << "faults"
                                         << "line 2: coordinates not readable: V X=nonsense#    2::V X=nonsense";
        QTest::newRow("DB point unreadable names the DB line") << "AC R\nDB 47:3O:00 N 8:00:00 E, " + P2 + "\nV X=" + P1
                                                               << "faults"
                                                               << text("line 2: coordinates not readable: DB 47:3O:00 N 8:00:00 E, " + P2 + "#    3::V X=" + P1);
        QTest::newRow("lower-case letters are readable") << QByteArray("AC R\nDP 47:30:00 n 008:30:00 e") << "faults" << "#";
        QTest::newRow("arc left without centre") << "AC R\nV X=" + P1 + "\nDB " + P1 + "," + P2 + "\nDB " + P2 + "," + P1
                                                 << "faults" << text("line 4: arc or circle without a centre: DB " + P2 + "," + P1 + "#");
        QTest::newRow("circle without centre") << QByteArray("AC R\nDC 5") << "faults"
                                               << "line 2: arc or circle without a centre: DC 5#";
    }
    void recordsFillTheAirspace()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, field);
        const QList<AirspacePtr> airspaces = readAll(file);
        QCOMPARE(airspaces.size(), 1);
        QTEST(::field(*airspaces.first(), field), "expected");
    }

    void encodingsAndLineEndsAreRecognised_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        const QString zurich = QStringLiteral("Z\u00fcrich");
        QTest::newRow("UTF-8, LF") << QByteArray("AC X\nAN Z\xc3\xbcrich\nAC E\n") << zurich;
        QTest::newRow("UTF-8 with BOM, CR LF") << QByteArray("\xef\xbb\xbf" "AC X\r\nAN Z\xc3\xbcrich\r\nAC E") << zurich;
        QTest::newRow("Latin-1") << QByteArray("AC X\nAN Z\xfcrich\nAC E") << zurich;
        QTest::newRow("BOM then Latin-1") << QByteArray("\xef\xbb\xbf" "AC X\nAN Z\xfcrich\nAC E") << zurich;
        QTest::newRow("one bad byte makes all Latin-1") << QByteArray("AC X\nAN Z\xc3\xbcrich\nAC E\nCO \xb4")
                                                        << QStringLiteral("Z\u00c3\u00bcrich");
        QTest::newRow("mixed line ends") << QByteArray("AC X\r\nAN Zurich  \nAC E\r\n") << "Zurich";
        QTest::newRow("lone CR") << QByteArray("AC X\rAN Zurich\rAC E") << "Zurich";
        QTest::newRow("2,500 characters are one line") << "AC X\nAN " + QByteArray(2500, 'x') + "\nAC E"
                                                       << QString(2500, u'x');
    }
    void encodingsAndLineEndsAreRecognised()
    {
        QFETCH(QByteArray, file);
        const QList<AirspacePtr> airspaces = readAll(file);
        QCOMPARE(airspaces.size(), 1);
        QTEST(airspaces.first()->name(), "name");
        // The first line is a record of its own, and each line end counts once.
        QVERIFY(airspaces.first()->comment().startsWith(u"    1::AC X\n    3::AC E"));
    }

    void circleRadiusIsNauticalMilesInCentimetres_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("radius");
        QTest::newRow("5 NM") << QByteArray("DC 5") << 926000;
        QTest::newRow("2.7 NM") << QByteArray("DC 2.7") << 500040;
        QTest::newRow("before a comment") << QByteArray("DC 2 *NM") << 370400;
        QTest::newRow("huge saturates") << QByteArray("DC 1e300") << 2147483647;
    }
    void circleRadiusIsNauticalMilesInCentimetres()
    {
        QFETCH(QByteArray, record);
        // Whichever of the two lines comes second builds the circle.
        for (const QByteArray &file : {"AC R\nV X=" + P1 + "\n" + record, "AC R\n" + record + "\nV X=" + P1}) {
            const QList<AirspacePtr> airspaces = readAll(file);
            QCOMPARE(airspaces.size(), 1);
            const QList<SegmentPtr> circles = segmentsOfKind(*airspaces.first(), Circle);
            QCOMPARE(circles.size(), 1);
            QTEST(circles.first()->radius(), "radius");
            QCOMPARE(circles.first()->centrePoint(), Centre);
        }
    }

    void arcWaitsForTheNextCentre()
    {
        const QList<AirspacePtr> airspaces = readAll("AC R\nV D=-\nV X=" + P1 + "\nDB 47:05:00 N 008:00:00 E, 47:00:00 N "
                                                     "008:07:20 E\nDB 47:05:00 N 008:30:00 E, 47:00:00 N 008:37:20 E\n"
                                                     "V X=47:00:00 N 008:30:00 E");
        QCOMPARE(airspaces.size(), 1);
        const QList<SegmentPtr> arcs = segmentsOfKind(*airspaces.first(), Arc);
        QCOMPARE(arcs.size(), 2);
        QCOMPARE(arcs.at(0)->centrePoint(), Centre);
        QCOMPARE(arcs.at(1)->centrePoint(), GeoPoint(30600000, 169200000));
        QVERIFY(!arcs.at(0)->isClockwise() && !arcs.at(1)->isClockwise());
        QVERIFY(airspaces.first()->definitionFaults().isEmpty());
    }

    void daArcRunsBetweenTheBearings_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("startBearing");
        QTest::addColumn<int>("endBearing");
        QTest::addColumn<bool>("clockwise");
        QTest::newRow("integers") << QByteArray("DA 10,270,290") << 1852000 << 972000000 << 1044000000 << true;
        QTest::newRow("decimals and blanks") << QByteArray("DA 4.5, 17.071185, 42.995148") << 833400 << 61456266
                                             << 154782532 << true;
        QTest::newRow("bearings out of range") << QByteArray("V D=-\nDA 5 , -90 , 450") << 926000 << 972000000
                                               << 324000000 << false;
    }
    void daArcRunsBetweenTheBearings()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, radius);
        const QList<AirspacePtr> airspaces = readAll("AC R\nV X=" + P1 + "\n" + record);
        QCOMPARE(airspaces.size(), 1);
        QCOMPARE(airspaces.first()->comment(), QString());
        const QList<SegmentPtr> arcs = segmentsOfKind(*airspaces.first(), Arc);
        QCOMPARE(arcs.size(), 1);
        QCOMPARE(arcs.first()->centrePoint(), Centre);
        QFETCH(int, startBearing);
        QFETCH(int, endBearing);
        QCOMPARE(arcs.first()->startPoint(), destinationPoint(Centre, radius, startBearing));
        QCOMPARE(arcs.first()->endPoint(), destinationPoint(Centre, radius, endBearing));
        QTEST(arcs.first()->isClockwise(), "clockwise");
    }

    void readerOpensOnceAndEndsWithNothing()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("AC R\nAN A\nDP " + P1) > 0);
        file.close();
        OpenAirReader reader(false);
        QVERIFY(!reader.nextAirspace());
        QVERIFY(!reader.open(dir.filePath(QStringLiteral("missing.txt"))));
        QVERIFY(reader.open(file.fileName()));
        QVERIFY(!reader.open(file.fileName()));
        QVERIFY(reader.nextAirspace());
        QVERIFY(!reader.nextAirspace());
        QVERIFY(!reader.nextAirspace());
        reader.close();
        QVERIFY(reader.open(file.fileName()));
        QCOMPARE(reader.nextAirspace()->name(), QStringLiteral("A"));
    }
};

QTEST_GUILESS_MAIN(TestOpenAirReader)
#include "tst_openairreader.moc"
