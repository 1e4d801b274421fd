#include "openair/openairreader.h"

#include <QTest>

class TestAltitude : public QObject
{
    Q_OBJECT

private slots:
    void limitTextGivesCentimetres_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("feet");
        QTest::addColumn<int>("centimetres");
        QTest::newRow("GND") << "GND" << true << 0;
        QTest::newRow("gnd") << " gnd" << true << 0;
        QTest::newRow("SFC") << "SFC" << true << 0;
        QTest::newRow("AGL") << "AGL" << true << 0;
        QTest::newRow("GROUND") << "GROUND" << true << 0;
        QTest::newRow("GND 0") << "GND 0" << true << 0;
        QTest::newRow("UNL") << "UNL" << true << 5000000;
        QTest::newRow("UNLIMITED") << "UNLIMITED" << false << 5000000;
        QTest::newRow("FL95") << "FL95" << true << 289559;
        QTest::newRow("FL 100 halves from 10,000 ft") << "FL 100" << false << 304799;
        QTest::newRow("FL with two blanks") << "FL  95" << true << 0;
        QTest::newRow("FL without number") << "FL" << true << 0;
        QTest::newRow("FL95 M is metres") << "FL95 M" << true << 950000;
        QTest::newRow("feet with reference") << "1000 ft MSL" << false << 30479;
        QTest::newRow("metres with reference") << "1000 m MSL" << true << 100000;
        QTest::newRow("M AGL") << "1000 M AGL" << true << 100000;
        QTest::newRow("FT AMSL") << "1000FT AMSL" << false << 30479;
        QTest::newRow("F AMSL") << "3500F AMSL" << false << 106679;
        QTest::newRow("no unit, feet") << "2000 MSL" << true << 60959;
        QTest::newRow("no unit, metres") << "2000 MSL" << false << 200000;
        QTest::newRow("unit without reference") << "1000ft" << false << 100000;
        QTest::newRow("m without reference") << "1000m" << true << 30479;
        QTest::newRow("M of AMSL is no unit") << "1000 AMSL" << true << 30479;
        QTest::newRow("F of SFC is no unit") << "1000 SFC" << false << 100000;
        QTest::newRow("lower case msl") << "5000msl" << false << 500000;
        QTest::newRow("just below 10,000 ft") << "9999 ft MSL" << false << 304769;
        QTest::newRow("odd from 10,000 ft adds 32") << "12501 ft AMSL" << false << 381031;
        QTest::newRow("even from 10,000 ft") << "12500 ft AMSL" << false << 380999;
        QTest::newRow("AGL does not change the value") << "3500 ft AGL" << true << 106679;
        QTest::newRow("no digits, no keyword") << "MSL" << true << 0;
        QTest::newRow("free text") << "Ask on 122.8" << true << 0;
        QTest::newRow("largest metres") << "21474836 m MSL" << true << 2147483600;
        QTest::newRow("metres beyond 32 bits saturate") << "21474837 m MSL" << true << 2147483647;
        QTest::newRow("digits beyond 32 bits saturate") << "99999999999999999999" << false << 2147483647;
        QTest::newRow("feet beyond 32 bits saturate") << "99999999999 ft MSL" << false << 2147483647;
        QTest::newRow("flight level beyond 32 bits saturates") << "FL99999999999" << true << 2147483647;
        QTest::newRow("metre flight level saturates") << "FL999999 M" << true << 2147483647;
        QTest::newRow("empty") << "   " << true << -5000000;
    }
    void limitTextGivesCentimetres()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        OpenAirReader reader(feet);
        QTEST(reader.parseAltitude(text), "centimetres");
    }
};

QTEST_GUILESS_MAIN(TestAltitude)
#include "tst_altitude.moc"
