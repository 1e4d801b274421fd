#include "openair/coordinates.h"
#include "openair/openairreader.h"
#include "openair/readingpaths.h"

#include "model/geometry.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QTest>

namespace {

const GeoPoint Centre(28800000, 169200000);   // 47 N 8 E

QList<AirspacePtr> readAll(const QByteArray &bytes)
{
    QTemporaryFile file;
    OpenAirReader reader(true);
    QList<AirspacePtr> airspaces;
    if (file.open() && file.write(bytes) == bytes.size() && file.flush() && reader.open(file.fileName()))
        for (AirspacePtr a = reader.nextAirspace(); a && airspaces.size() <= 100; a = reader.nextAirspace())
            airspaces.append(a);
    return airspaces;
}

// One text of every airspace read, joined by "|".
template <typename Text>
QString each(const QByteArray &file, Text text)
{
    QStringList values;
    for (const AirspacePtr &airspace : readAll(file))
        values.append(text(*airspace));
    return values.join(u'|');
}

QString nameAndComment(const Airspace &a) { return a.name() + u'{' + a.comment() + u'}'; }
QString comment(const Airspace &a) { return a.comment(); }
QString faults(const Airspace &a) { return a.definitionFaults().join(u'|') + u'#' + a.comment(); }

// Notes and faults, then each segment as the model describes it, with its radius.
QString outline(const Airspace &airspace)
{
    QString text = airspace.comment() + airspace.errorText();
    for (const SegmentPtr &segment : airspace.segments())
        text += u'\n' + segment->debugText() + QString::number(segment->radius());
    return text;
}

// The record's AC and AT lines, then the comment, of a block given a small outline.
QString classAndType(const QByteArray &header)
{
    const QList<AirspacePtr> airspaces = readAll(header + "\nDP 47 N 8 E\nDP 47.1 N 8 E\nDP 47.1 N 8.1 E\n");
    if (airspaces.size() != 1)
        return QString::number(airspaces.size()) + " airspaces";
    return airspaces.first()->deviceRecord(0).mid(0, 2).join(u'|') + u'|' + airspaces.first()->comment();
}

void fileColumns()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");   // of every airspace, joined by "|"
}

void limitColumns()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("feet");   // the base unit
    QTest::addColumn<int>("centimetres");
}

} // namespace

class TestOpenAirReader : public QObject
{
    Q_OBJECT

private slots:
    // ---- Bytes, lines and blocks

    void encodingHoldsForTheWholeFile_data()
    {
        fileColumns();
        const QString zurich = QStringLiteral("Z\u00fcrich{}");
        QTest::newRow("UTF-8") << QByteArray("AN Z\xc3\xbcrich") << zurich;
        QTest::newRow("UTF-8 after a BOM") << QByteArray("\xef\xbb\xbf" "AN Z\xc3\xbcrich") << zurich;
        QTest::newRow("Latin-1 after a BOM") << QByteArray("\xef\xbb\xbf" "AN Z\xfcrich") << zurich;
        QTest::newRow("one bad byte makes all Latin-1") << QByteArray("AN Z\xc3\xbcrich\nCO \xb4")
                                                        << QStringLiteral("Z\u00c3\u00bcrich{ \u00b4}");
        // The file is checked in pieces of 64 KiB: a bad byte far behind the first piece,
        // and characters across a piece's end, still count for the whole file.
        const QByteArray filler = "* " + QByteArray(70000, 'x') + "\n";
        QTest::newRow("bad byte after 70 KB makes all Latin-1") << "AN Z\xc3\xbcrich\n" + filler + "CO \xb4"
                                                                << QStringLiteral("Z\u00c3\u00bcrich{ \u00b4}");
        QTest::newRow("UTF-8 across the pieces") << "AN " + QByteArray(65532, '.') + "\xc3\xbc\xc3\xbc"
                                                 << QString(65532, u'.') + "\u00fc\u00fc{}";
        const QString unicode = QStringLiteral("AN Z\u00fcrich\r\nAC X\nDP 1 N 1 E\n* \u20ac\nAC E");
        const QString unicodeBlocks = QStringLiteral("Z\u00fcrich{    2::AC X}|default{    5::AC E}");
        QTest::newRow("UTF-16 LE") << "\xff\xfe" + QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(unicode))
                                   << unicodeBlocks;
        QTest::newRow("UTF-16 BE") << "\xfe\xff" + QByteArray(QStringEncoder(QStringConverter::Utf16BE).encode(unicode))
                                   << unicodeBlocks;
        QTest::newRow("a BOM inside the text is kept") << QByteArray("AN A\nCO \xef\xbb\xbf" "B")
                                                       << QStringLiteral("A{ \ufeffB}");
    }
    void encodingHoldsForTheWholeFile()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, nameAndComment), "expected");
    }

    void linesAreSplitIntoAirspaces_data()
    {
        fileColumns();
        QTest::newRow("CR LF, lone CR") << QByteArray("AC X\r\nAN A\rAC E\n") << "A{    1::AC X\n    3::AC E}";
        QTest::newRow("2,500 characters") << "AN " + QByteArray(2500, 'x') + "\nAC E" << QString(2500, u'x') + "{    2::AC E}";
        QTest::newRow("leading boundary lines are skipped")
                << QByteArray("DP 47 N 8 E\nV X=47 N 8 E\nAC R\nAN A\nDP 47 N 8 E") << "A{}";
        QTest::newRow("A line after boundary lines is read again with its line number")
                << QByteArray("AC R\nAN ONE\nDP 47 N 8 E\nDP 48 N 8 E\nAC X\nAN TWO\nDP 47 N 8 E") << "ONE{}|TWO{    5::AC X}";
        QTest::newRow("TO ends the airspace and its boundary lines are skipped")
                << QByteArray("AN ONE\nDP 1 N 1 E\nTO x\nDP 2 N 1 E\nAN TWO\nDP 1 N 1 E") << "ONE{}|TWO{}";
        QTest::newRow("faulty V record is noted and does not join the next airspace")
                << QByteArray("AN ONE\nDP 1 N 1 E\nV Q=3\nAN TWO\nDP 1 N 1 E") << "ONE{    3::V Q=3}|TWO{}";
        QTest::newRow("AC alone") << QByteArray("AC\nAN X") << "X{}";
        QTest::newRow("AC E is noted; comment lines count, any A line starts")
                << QByteArray("* one\n   * two\n\nAY\n\n\nAC E") << "default{    7::AC E}";
        QTest::newRow("AN keeps a second blank and the one before a comment")
                << QByteArray("AN  Long airspace name * x") << " Long airspace name {}";
    }
    void linesAreSplitIntoAirspaces()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, nameAndComment), "expected");
    }

    void blockWithoutAcOrAnIsNoAirspace_data()
    {
        fileColumns();
        QTest::newRow("an AT label after a terrain block")
                << QByteArray("AC R\nDP 1 N 1 E\nTC x\nAT 1 N 1 E\nDP 1 N 1 E\nDP 2 N 1 E") << "#|no AC or AN record#";
        QTest::newRow("a stray AR") << QByteArray("AR 119.1\nDP 1 N 1 E\nDP 2 N 1 E") << "no AC or AN record#";
        QTest::newRow("AN alone names an airspace") << QByteArray("AN X\nDP 1 N 1 E\nDP 2 N 1 E") << "#";
    }
    void blockWithoutAcOrAnIsNoAirspace()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, faults), "expected");
    }

    // ---- Texts and notes

    void arDigitIsCutWithTheKeyword()
    {
        const auto arTexts = [](const Airspace &a) {
            return QString::number(a.arTexts().size()) + u':' + a.arTexts().join(u'|');
        };
        QCOMPARE(each("AR1 Info\nAR1 ", arTexts), "2:Info|");
    }

    // CO texts and the lines that could not be read, in file order.
    void commentHoldsCoTextsAndNotes_data()
    {
        fileColumns();
        QTest::newRow("CO texts joined, placeholders kept")
                << QByteArray("AC R\nCO first\nCO %2 second%1\nAC E") << " first %2 second%1\n    4::AC E";
        QTest::newRow("AL empty is noted") << QByteArray("AC R\nAL ") << "    2::AL";
        QTest::newRow("limits without a number are noted")
                << QByteArray("AC R\nAH NOTAM\nAL FL") << "    2::AH NOTAM\n    3::AL FL";
        QTest::newRow("V W= and V Z= are ignored, like unknown records")
                << QByteArray("AC R\nV W=2\nV Z=100\nXY 1\nac r\nDY 1\nSP 0,1") << "";
        QTest::newRow("arc texts without comma, with three parts, with inf")
                << QByteArray("AC R\nV X=1 N 1 E\nDB 1 N 2 E\nV X=1 N 1 E\nDB 1,2,3\nV X=1 N 1 E\nDA 1, inf, 2")
                << "    3::DB 1 N 2 E\n    5::DB 1,2,3\n    7::DA 1, inf, 2";
        QTest::newRow("DC nan, on completion") << QByteArray("AC R\nDC nan\nV X=1 N 1 E") << "    3::V X=1 N 1 E";
        QByteArray manyNotes = "AC R\n";
        QString notes;
        for (int line = 2; line < 120000; line += 2) {   // beyond five digits the number is not padded
            manyNotes += "V Q=1\nCO x\n";
            notes += (line > 2 ? "\n" : "") + QString::number(line).rightJustified(5, u' ') + "::V Q=1 x";
        }
        QTest::newRow("60,000 notes and CO texts in one block") << manyNotes << notes;
    }
    void commentHoldsCoTextsAndNotes()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, comment), "expected");
    }

    // ---- Limits and the warning distance

    void ahGivesTheCeilingAndItsText_data()
    {
        fileColumns();
        QTest::newRow("text untrimmed") << QByteArray("AH 1000ft MSL") << "30479/ 1000ft MSL";
        QTest::newRow("without a number it stays open and is noted")
                << QByteArray("AC R\nAH 1000 m\nAH Ask on 122.8\nAL FL") << "5000000/";
    }
    void ahGivesTheCeilingAndItsText()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, [](const Airspace &a) { return QString::number(a.ceiling()) + u'/' + a.ceilingText(); }),
              "expected");
    }

    // Per airspace: limits read in the base unit / limits above the ground.
    void lastLimitsAreCountedForTheSummary()
    {
        const auto counts = [](const Airspace &a) {
            return QString::number(a.baseUnitLimits()) + u'/' + QString::number(a.aboveGroundLimits());
        };
        QCOMPARE(each("AC R\nAL 1000\nAL 1000 m\nAH 2000 AGL\nDP 1 N 1 E\nAC R\nAL 0 AGL\nAH NOTAM", counts), "1/1|0/0");
    }

    void warningDistanceSaturates()
    {
        const auto distance = [](const Airspace &a) { return QString::number(a.warningDistance()); };
        QCOMPARE(each("AC R\nWD -99999999999999999999", distance), "-2147483648");
    }

    void floorAboveCeilingIsAFault()
    {
        QCOMPARE(each("AC R\nAL FL195\nAH 1700F AMSL\nDP 1 N 1 E\nAC R\nAL 500 m\nAH 500 m", faults),
                 "floor above ceiling#|#");
    }

    // ---- Coordinates, centres and radii

    void unreadableCoordinatesAreFaults_data()
    {
        fileColumns();
        QTest::newRow("DP without longitude letter, placeholder kept; V X= unreadable")
                << QByteArray("AC R\nDP 47:30:00 N %1 * x\nV X=no")
                << "line 2: coordinates not readable: DP 47:30:00 N %1 * x|line 3: coordinates not readable: V X=no"
                   "#    2::DP 47:30:00 N %1 \n    3::V X=no";
        QTest::newRow("DB point unreadable names the DB line") << QByteArray("AC R\nDB 1 O 2 E,1 N 2 E\nV X=1 N 1 E")
                << "line 2: coordinates not readable: DB 1 O 2 E,1 N 2 E#    3::V X=1 N 1 E";
        QTest::newRow("V X= with a sharp s after the N")
                << QByteArray("AC R\nV X=47:07:00 N\xc3\x9f 008:01:00 E\nDC 5")
                << QString::fromUtf8("line 2: coordinates not readable: V X=47:07:00 N\u00df 008:01:00 E#"
                                     "    2::V X=47:07:00 N\u00df 008:01:00 E");
    }
    void unreadableCoordinatesAreFaults()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, faults), "expected");
    }

    void arcWithoutCentreIsAFault_data()
    {
        fileColumns();
        QTest::newRow("arc left without centre") << QByteArray("AC R\nDB 1 N 2 E,2 N 1 E")
                << "line 2: arc or circle without a centre: DB 1 N 2 E,2 N 1 E#";
        QTest::newRow("the centre does not carry into the next airspace")
                << QByteArray("AC R\nV X=1 N 1 E\nDB 1 N 2 E,2 N 1 E\nAC R\nDB 1 N 2 E,2 N 1 E")
                << "#|line 5: arc or circle without a centre: DB 1 N 2 E,2 N 1 E#";
        QTest::newRow("circle and arc texts before any centre build nothing")
                << QByteArray("AC R\nDC 5\nDB 1 N 2 E,2 N 1 E\nV X=1 N 1 E")
                << "line 3: arc or circle without a centre: DB 1 N 2 E,2 N 1 E#";
    }
    void arcWithoutCentreIsAFault()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, faults), "expected");
    }

    void circleRadiusIsInNauticalMilesUpTo1000_data()
    {
        fileColumns();
        const auto circle = [](int32_t radius) {
            Airspace airspace;
            airspace.addCircle(Centre, radius);
            return outline(airspace);
        };
        QTest::newRow("DC 5") << QByteArray("AC R\nV X=47 N 8 E\nDC 5") << circle(926000);
        QTest::newRow("DC 2.7 first") << QByteArray("AC R\nDC 2.7 *NM\nV X=47 N 8 E") << circle(500040);
        QTest::newRow("DC 1000 NM is the largest") << QByteArray("AC R\nV X=47 N 8 E\nDC 1000") << circle(185200000);
        QTest::newRow("radii of 0, below 0, beyond 1000 NM are noted and build nothing")
                << QByteArray("AC R\nV X=47 N 8 E\nDC 0\nDC -5\nDC 1000.001\nDC 1000000\nDC 1e-300\nDA 0,10,20\nDA 1001,10,20")
                << "    3::DC 0\n    4::DC -5\n    5::DC 1000.001\n    6::DC 1000000\n    7::DC 1e-300\n"
                   "    8::DA 0,10,20\n    9::DA 1001,10,20no boundary";
    }
    void circleRadiusIsInNauticalMilesUpTo1000()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, outline), "expected");
    }

    void arcsAndCirclesTakeTheLastCentre_data()
    {
        fileColumns();
        Airspace circle;
        circle.addCircle(Centre, 926000);
        QTest::newRow("V keys and letters in lower case") << QByteArray("AC R\nV x = 47:00:00 n 008:00:00 e\nDC 5")
                                                          << outline(circle);
        Airspace arc;   // 4.5 NM, from 17.071185 to 42.995148 degrees
        arc.addArc(Centre, destinationPoint(Centre, 833400, 61456266), destinationPoint(Centre, 833400, 154782532), false);
        QTest::newRow("DA decimals, blanks, bearings out of range")
                << QByteArray("AC R\nV D=-\nV X=47 N 8 E\nDA 4.5 , -342.928815, 402.995148") << outline(arc);
        const GeoPoint north(28800000, 169560000), south(28800000, 168840000);
        Airspace sameCentre;   // east half, west half, then a circle around a new centre
        sameCentre.addArc(Centre, north, south, true);
        sameCentre.addArc(Centre, south, north, true);
        sameCentre.addCircle(GeoPoint(32400000, 169200000), 926000);
        QTest::newRow("the centre stays for the next arc; a new V X= replaces it")
                << QByteArray("AC R\nV X=47 N 8 E\nDB 47.1 N 8 E,46.9 N 8 E\nDB 46.9 N 8 E,47.1 N 8 E\nV X=47 N 9 E\nDC 5")
                << outline(sameCentre);
    }
    void arcsAndCirclesTakeTheLastCentre()
    {
        QFETCH(QByteArray, file);
        QTEST(each(file, outline), "expected");
    }

    // ---- Class and type; reader and writer share one table of class words and one of type texts

    void classAndTypeAreWrittenAsRead_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("expected");   // the record's AC and AT lines, then the comment
        for (const char *word : {"R", "Q", "P", "A", "B", "C", "D", "GP", "CTR", "W"})
            QTest::newRow(word) << "AC " + QByteArray(word) << QStringLiteral("AC %1|AT |").arg(word);
        for (const char *type : {"D", "AWY", "FIZ", "CTR", "TMA", "R", "TSA", "VZ", "FLF", "HPO", "GG", "HI", "SZ", "BB", "W"})
            QTest::newRow(type) << "AC D\nAT " + QByteArray(type).toLower() << QStringLiteral("AC D|AT %1|").arg(type);
        QTest::newRow("class word compared exactly") << QByteArray("AC ctr\nAT X") << "AC R|AT |    1::AC ctr";
        QTest::newRow("AC UNC is known") << QByteArray("AC UNC") << "AC R|AT |";
        QTest::newRow("two blanks before the word") << QByteArray("AC  C") << "AC C|AT |";
        QTest::newRow("a tab before the word") << QByteArray("AC\tD") << "AC D|AT |";
        QTest::newRow("blanks only: no word, no note") << QByteArray("AC  ") << "AC R|AT |";
        QTest::newRow("the key must stand alone") << QByteArray("ACC") << "AC R|AT |";
        QTest::newRow("two blanks, unknown word noted") << QByteArray("AC  E") << "AC R|AT |    1::AC  E";
        QTest::newRow("AT upper-cased, the last counts") << QByteArray("AC D\nAT W\nAT tma") << "AC D|AT TMA|";
    }
    void classAndTypeAreWrittenAsRead()
    {
        QFETCH(QByteArray, header);
        QTEST(classAndType(header), "expected");
    }

    // OpenAir version 2: the class of UNC areas and control zones is in AY.
    void ayGivesClassAndType_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("expected");
        QTest::newRow("AY R") << QByteArray("AC UNC\nAY R") << "AC R|AT R|";
        QTest::newRow("AY P") << QByteArray("AC UNC\nAY P") << "AC P|AT |";
        QTest::newRow("AY Q, trimmed, upper-cased") << QByteArray("AC UNC\nAY  q ") << "AC Q|AT |";
        QTest::newRow("AY CTR on class D") << QByteArray("AC D\nAY CTR") << "AC CTR|AT CTR|";
        QTest::newRow("AY TMA keeps the class") << QByteArray("AC C\nAY TMA") << "AC C|AT TMA|";
        QTest::newRow("AY after an AT label") << QByteArray("AC C\nAT 47:00:00 N 008:00:00 E\nAY tma") << "AC C|AT TMA|";
        QTest::newRow("AT type comes first") << QByteArray("AC C\nAT CTR\nAY TMA") << "AC C|AT CTR|";
        QTest::newRow("last AY counts, also before AC") << QByteArray("AY P\nAC UNC\nAY Q") << "AC Q|AT |";
        QTest::newRow("AY of no class or type") << QByteArray("AC B\nAY GLIDING_SECTOR") << "AC B|AT |";
        QTest::newRow("AC E keeps its note") << QByteArray("AC E\nAY TMZ") << "AC R|AT |    1::AC E";
        QTest::newRow("AF, AG, AA, AX are ignored")
                << QByteArray("AC P\nAF 123.5\nAG Paris Info\nAA 2025-05-01T00:01:00Z/2026-05-15T23:59:00Z\nAX 2")
                << "AC P|AT |";
    }
    void ayGivesClassAndType()
    {
        QFETCH(QByteArray, header);
        QTEST(classAndType(header), "expected");
    }

    // ---- Limit texts in centimetres

    // A limit starts with a number, FL or a known word; anything else is the error value,
    // not a limit of 0.
    void limitStartsWithANumberOrAKnownWord_data()
    {
        limitColumns();
        QTest::newRow("ground keyword in any case, text after it") << " sfc 1000 ft" << true << 0;
        QTest::newRow("SURFACE in any case") << "Surface" << false << 0;
        QTest::newRow("UNLIMITED") << "UNLIMITED" << false << 5000000;
        QTest::newRow("empty") << "   " << true << -5000000;
        QTest::newRow("NOTAM") << "NOTAM" << false << -5000000;
        QTest::newRow("reference alone") << "MSL" << true << -5000000;
        QTest::newRow("free text") << "Ask on 122.8" << false << -5000000;
        QTest::newRow("negative") << "-500 ft" << false << -5000000;
        QTest::newRow("flight level without digits") << "FL" << true << -5000000;
        QTest::newRow("flight level with a word instead") << "FL UNL" << true << -5000000;
    }
    void limitStartsWithANumberOrAKnownWord()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        QTEST(OpenAirReader(feet).parseAltitude(text), "centimetres");
    }

    // A unit counts when it is the word right after the number, with or without a reference.
    void unitIsTheWordRightAfterTheNumber_data()
    {
        limitColumns();
        QTest::newRow("feet with reference") << "1000 ft MSL" << false << 30479;
        QTest::newRow("no unit, feet") << "2000 MSL" << true << 60959;
        QTest::newRow("unit without reference") << "1000ft" << false << 30479;
        QTest::newRow("unit before GND") << "1000ft GND" << false << 30479;
        QTest::newRow("feet spelt out") << "1000 feet MSL" << false << 30479;
        QTest::newRow("F and blanks before AMSL") << "3445 \t F AMSL" << false << 105003;
        QTest::newRow("odd from 10,000 ft adds 32") << "12501 ft AMSL" << false << 381031;
        QTest::newRow("metres with base unit feet") << "1000m" << true << 100000;
        QTest::newRow("METRES in lower case") << "12 metres" << true << 1200;
        QTest::newRow("M AGL") << "500M AGL" << false << 50000;
        QTest::newRow("M of MSL is no unit") << "3500msl" << false << 350000;
        QTest::newRow("M of AMSL is no unit") << "1000 AMSL" << true << 30479;
        QTest::newRow("F of SFC is no unit") << "1000 SFC" << false << 100000;
        QTest::newRow("FTX is no unit") << "1000 FTX" << false << 100000;
        QTest::newRow("unit before a digit") << "1000FT2" << false << 30479;
        QTest::newRow("unit after another word") << "1000 MSL FT" << false << 100000;
        QTest::newRow("non-ASCII text: unit before a remark") << "2000 ft (\u00fcber Grund)" << false << 60959;
        QTest::newRow("non-ASCII text: M of MSL") << "2000 MSL \u00e9t\u00e9" << true << 60959;
    }
    void unitIsTheWordRightAfterTheNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        QTEST(OpenAirReader(feet).parseAltitude(text), "centimetres");
    }

    // Hundreds of feet in any base unit; hundreds of metres only with a metre unit after them.
    void flightLevelIsHundredsOfFeet_data()
    {
        limitColumns();
        QTest::newRow("FL 100 halves from 10,000 ft") << "FL 100" << false << 304799;
        QTest::newRow("FL95 M is metres") << "FL95 M" << true << 950000;
        QTest::newRow("FL95 MSL is feet") << "FL95 MSL" << true << 289559;
        QTest::newRow("FL with a remark in brackets") << "FL65 (MNM ALT 5500FT)" << true << 198119;
        QTest::newRow("flight level after two blanks") << "FL  95" << true << 289559;
        QTest::newRow("flight level after a tab") << "fl\t95" << false << 289559;
    }
    void flightLevelIsHundredsOfFeet()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        QTEST(OpenAirReader(feet).parseAltitude(text), "centimetres");
    }

    void hugeLimitsSaturate_data()
    {
        limitColumns();
        QTest::newRow("metres beyond 32 bits") << "21474837 m MSL" << true << 2147483647;
        QTest::newRow("digits beyond 64 bits") << "99999999999999999999" << false << 2147483647;
        QTest::newRow("feet beyond 32 bits") << "99999999999 ft MSL" << false << 2147483647;
        QTest::newRow("flight level beyond 32 bits") << "FL99999999999" << true << 2147483647;
    }
    void hugeLimitsSaturate()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        QTEST(OpenAirReader(feet).parseAltitude(text), "centimetres");
    }

    void limitsTheDeviceCannotCarryAreTold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inBaseUnit");
        QTest::addColumn<bool>("aboveGround");
        QTest::newRow("no unit before MSL") << "12500MSL" << true << false;
        QTest::newRow("feet AGL") << "1000ft AGL" << false << true;
        QTest::newRow("no unit, agl glued") << "1500agl" << true << true;
        QTest::newRow("GND after a number") << "1000 ft GND" << false << true;
        QTest::newRow("ASFC") << "3500F ASFC" << false << true;
        QTest::newRow("SFC after a number") << "1000 SFC" << true << true;
        QTest::newRow("metres AMSL") << "1000 m AMSL" << false << false;
        QTest::newRow("0 is 0 in every unit and reference") << "0 AGL" << false << false;
        QTest::newRow("ground keyword") << "SFC" << false << false;
        QTest::newRow("flight level") << "FL95" << false << false;
        QTest::newRow("non-ASCII text") << "2000 AGL \u00e9t\u00e9" << true << true;
    }
    void limitsTheDeviceCannotCarryAreTold()
    {
        QFETCH(QString, text);
        const AltitudeReading reading = readAltitude(text, false);
        QTEST(reading.inBaseUnit, "inBaseUnit");
        QTEST(reading.aboveGround, "aboveGround");
    }

    // Limit texts put together from the pieces real files use, and odd ones, in random case:
    // reading them by hand must give what the patterns give.
    void limitsReadByHandAsByPatterns_data()
    {
        QTest::addColumn<QList<QStringList>>("pieces");   // each text takes one of each list, in order
        const QStringList blanks{"", "", " ", "  ", "\t", " \v", "\x1c", "\f "};
        const QStringList numbers{"", "0", "1000", "12500", "9999", "10001", "00", "123456789012", "-5", "5.5"};
        const QStringList words{"", "F", "FT", "FEET", "M", "METER", "METERS", "METRE", "METRES", "MSL", "AMSL",
                                "AGL", "ASFC", "SFC", "GND", "STD", "FTM", "MT", "FEETS", "(", "X", "2", "/"};
        const QStringList starts{"", "", "", "FL", "FL ", "FL  ", "GND", "SFC", "UNL", "AGL", "GROUND", "SURFACE",
                                 "Ask on ", "NOTAM", "MSL"};
        QTest::newRow("numbers, units, references")
                << QList<QStringList>{blanks, numbers, blanks, words, blanks, words, blanks, words};
        QTest::newRow("keywords and flight levels") << QList<QStringList>{starts, blanks, numbers, blanks, words, blanks, words};
        QTest::newRow("keywords glued to the rest") << QList<QStringList>{starts, numbers, words, words, numbers, words};
    }
    void limitsReadByHandAsByPatterns()
    {
        QFETCH(QList<QStringList>, pieces);
        QRandomGenerator random(20130305);
        for (int n = 0; n < 20000; ++n) {
            QString limit;
            for (const QStringList &choices : pieces)
                limit += choices.at(random.bounded(int(choices.size())));
            for (QChar &c : limit)   // random case
                c = random.bounded(2) ? c.toLower() : c;
            limit = limit.trimmed();
            if (limit.isEmpty())
                continue;
            for (bool feet : {false, true}) {
                const AltitudeReading byHand = readAltitudeByHand(limit, feet);
                const AltitudeReading byPatterns = readAltitudeByPatterns(limit, feet);
                const auto said = [](const AltitudeReading &r) {
                    return QString::number(r.centimetres) + (r.readable ? "" : " unreadable")
                           + (r.inBaseUnit ? " in base unit" : "") + (r.aboveGround ? " above ground" : "");
                };
                QVERIFY2(byHand == byPatterns, qPrintable(QStringLiteral("\"%1\" in %2: %3 by hand, %4 by patterns")
                                                              .arg(limit, feet ? "feet" : "metres", said(byHand),
                                                                   said(byPatterns))));
            }
        }
    }

    // V lines put together from keys, blanks and values in random case: telling their kind
    // and taking their keys out by hand must give what the patterns give.
    void variableRecordsReadByHandAsByPatterns()
    {
        const QStringList pieces{"V", "v", "X", "x", "D", "d", "W", "z", "=", "= ", " ", "  ", "\t", "\v",
                                 QString(9, ' '), QString(10, ' '), QString(11, ' '), "+", "-", "47:00:00 N", "008:00:00 E", "Q", "1", "VX=", "V  D ="};
        QRandomGenerator random(2026);
        for (int n = 0; n < 100000; ++n) {
            QString line;
            for (int count = random.bounded(1, 9); count > 0; --count)
                line += pieces.at(random.bounded(int(pieces.size())));
            VariableRecord byHand;
            QVERIFY(readVariableByHand(line, byHand));
            const VariableRecord byPatterns = readVariableByPatterns(line);
            QVERIFY2(byHand == byPatterns, qPrintable(QStringLiteral("\"%1\": %2 \"%3\" by hand, %4 \"%5\" by patterns")
                                                          .arg(line, QChar(byHand.kind ? byHand.kind : '-'), byHand.value,
                                                               QChar(byPatterns.kind ? byPatterns.kind : '-'),
                                                               byPatterns.value)));
        }
        VariableRecord beyondAscii;
        QVERIFY(!readVariableByHand(u"V X=47:00:00 N 008:00:00 E \u00a0"_qs, beyondAscii));
    }

    void coordinatesAreReadOrExplained_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lat");
        QTest::addColumn<int>("lon");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");   // debug text of an unreadable value
        QTest::newRow("longitude first, one-digit minutes, seconds with fraction")
                << "35:4.999 W 46:57:30.5 S" << -169050500 << -126299940 << true << "";
        QTest::newRow("fraction with leading zeros, very long fraction")
                << "8.05 N 8.0000000000000000000005 E" << 28980000 << 28800000 << true << "";
        QTest::newRow("attached letters, seconds ending in a dot")
                << "54:08:31.N 123:07:30.5W" << 194911000 << -443250500 << true << "";
        QTest::newRow("lower-case letters") << "47:30:00 n 008:30:00 e" << 171000000 << 30600000 << true << "";
        QTest::newRow("remark with an S after the pair")
                << "11:20.166 S 34:49.842 E ; Should follow the border" << -40809960 << 125390520 << true << "";
        QTest::newRow("token after the pair") << "36:41:00 N 115:56:10 W    c29" << 132060000 << -417370000 << true << "";
        QTest::newRow("lower case away from plain ASCII") << "47.5 n 8.25 e \u00fc" << 171000000 << 29700000 << true << "";
        QTest::newRow("the poles and the date line") << "90:00:00 S 180:00:00 W" << -324000000 << -648000000 << true << "";
        QTest::newRow("beyond 90 degrees") << "90:00:00.001 N 008:00:00 E" << 0 << 28800000 << false << "";
        QTest::newRow("beyond 180 degrees, general way") << "47.5 N 180.001 W" << 171000000 << 0 << false << "";
        QTest::newRow("huge values") << "99999999:00 N 99999999.5 W" << 0 << 0 << false << "";
        QTest::newRow("sharp s after the N is no south") << "47:07:00 N\u00df 008:01:00 E" << 169620000 << 0 << false
                                                         << "GradMinSecString2long: conversion error -> \u00df008:01:00";
        QTest::newRow("begins with a letter") << "N47:30:00 E008:30:00" << 0 << 0 << false << "";
        QTest::newRow("longitude letter missing") << "47:30:00 N 008:30:00" << 171000000 << 0 << false
                                                  << "GradFraction2long: conversion error -> ";
        QTest::newRow("letter O for zero") << "47:3O:00 N 008:00:00 E" << 0 << 28800000 << false
                                           << "GradMinSecString2long: conversion error -> 47:3O:00";
        // A text without blanks is one value.
        QTest::newRow("nan is no number") << "nan:30:00" << 0 << 0 << false
                                          << "GradMinSecString2long: conversion error -> nan:30:00";
        QTest::newRow("infinite degrees") << "inf:30" << 0 << 0 << false
                                          << "GradMinFractionString2long: conversion error -> inf:30 -- inf | 30";
        QTest::newRow("beyond 32 bits") << "2147483648" << 0 << 0 << false
                                        << "GradFraction2long: conversion error -> 2147483648";
    }
    void coordinatesAreReadOrExplained()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QVERIFY(!lcOpenAir().isDebugEnabled());   // quiet unless asked for
        QLoggingCategory::setFilterRules(QStringLiteral("zonvert.openair.debug=true"));
        if (!message.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, qPrintable(u'"' + message + u'"'));
        bool readable = !ok;
        const GeoPoint point = text.contains(u' ') ? parseCoordinatePair(text, &readable)
                                                   : GeoPoint(0, parseCoordinate(text, &readable));
        QLoggingCategory::setFilterRules(QString());
        QTEST(point.lat, "lat");
        QTEST(point.lon, "lon");
        QCOMPARE(readable, ok);
    }

    // Pairs in the usual forms and near them: whatever the one-pass reading takes, the
    // general way must read alike.
    void usualPairsReadInOnePassAsGenerally_data()
    {
        QTest::addColumn<QList<QStringList>>("pieces");   // each text takes one of each list, in order
        const QStringList blanks{"", " ", " ", "  ", "\t", "\v"};
        const QStringList degrees{"47", "047", "8", "008", "90", "180", "0", "999", "123456789012345678", ""};
        const QStringList minutes{":30", ":5", ":59", ":60", ":75", ":00", ":30.5", ":4.999", ":08.", ":.5", "", ":"};
        const QStringList seconds{"", "", ":00", ":31.", ":2", ":30.25", ":59.999", ":1234567.891", "::0"};
        const QStringList latitude{"N", "S", "n", "s", "N", "S", "E", "O", "", "\u00df"};
        const QStringList longitude{"E", "W", "e", "w", "E", "W", "N", "", "X"};
        const QStringList tails{"", "", " c29", " S", " ;x W", "N"};
        QTest::newRow("latitude first")
                << QList<QStringList>{blanks, degrees, minutes, seconds, blanks, latitude, blanks, degrees, minutes,
                                      seconds, blanks, longitude, tails};
        QTest::newRow("longitude first")
                << QList<QStringList>{blanks, degrees, minutes, seconds, blanks, longitude, blanks, degrees, minutes,
                                      seconds, blanks, latitude, tails};
    }
    void usualPairsReadInOnePassAsGenerally()
    {
        QFETCH(QList<QStringList>, pieces);
        QRandomGenerator random(20130305);
        int taken = 0;
        for (int n = 0; n < 20000; ++n) {
            QString pair;
            for (const QStringList &choices : pieces)
                pair += choices.at(random.bounded(int(choices.size())));
            GeoPoint fast;
            if (!readUsualPair(pair, fast))
                continue;
            ++taken;
            bool ok = false;
            const GeoPoint general = readPairGenerally(pair, &ok);
            QVERIFY2(ok && general == fast, qPrintable(QStringLiteral("\"%1\": %2 %3 in one pass, %4 %5 generally")
                                                           .arg(pair).arg(fast.lat).arg(fast.lon)
                                                           .arg(general.lat).arg(general.lon)));
        }
        QVERIFY2(taken > 1000, qPrintable(QString::number(taken)));   // the one-pass reading was tried often
    }

    void everyRealFileIsReadToItsEnd_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("joinedBlocks");
        QTest::addColumn<int>("faults");
        const QDir corpus(QStringLiteral(ZONVERT_CORPUS_DIR));
        const QStringList files = corpus.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            QSKIP("no corpus folder");
        // AC blocks of style records only join the next one; an AT line after TC starts an airspace.
        const QHash<QString, int> joined = {{"czechia-2026-national-af-ag.txt", 18},
                                            {"fixture-skipped-tokens-to-tc-at.txt", -1}};
        // The only faults: DA arcs that rely on a centre given in an earlier airspace, an AT
        // label block after a terrain block, and R9B Bourges from FL195 up to 1700 ft.
        const QHash<QString, int> faults = {{"usa-reno-sample-da-at-tc.txt", 2},
                                            {"fixture-skipped-tokens-to-tc-at.txt", 1},
                                            {"france-2011-mixed-dms-ddm.txt", 1}};
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name) << joined.value(name) << faults.value(name);
    }
    void everyRealFileIsReadToItsEnd()
    {
        QFETCH(QString, path);
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const int acLines = int(("\n" + raw.readAll()).count("\nAC"));
        OpenAirReader reader(true);
        QVERIFY(reader.open(path));
        int airspaces = 0;
        int faults = 0;
        while (AirspacePtr airspace = reader.nextAirspace()) {
            QVERIFY(++airspaces <= acLines + 1);
            faults += int(airspace->definitionFaults().size());
        }
        QTEST(acLines - airspaces, "joinedBlocks");
        QTEST(faults, "faults");
    }
};

QTEST_GUILESS_MAIN(TestOpenAirReader)
#include "tst_openairreader.moc"
