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
        QTest::newRow("ground keyword, any case") << " gnd" << true << 0;
        QTest::newRow("text after a keyword is ignored") << "SFC 1000 ft" << true << 0;
        QTest::newRow("UNLIMITED") << "UNLIMITED" << false << 5000000;
        QTest::newRow("FL95") << "FL95" << false << 289559;
        QTest::newRow("FL 100 halves from 10,000 ft") << "FL 100" << false << 304799;
        QTest::newRow("FL with two blanks") << "FL  95" << true << 0;
        QTest::newRow("FL95 M is metres") << "FL95 M" << true << 950000;
        QTest::newRow("feet with reference") << "1000 ft MSL" << false << 30479;
        QTest::newRow("metres with reference") << "1000 M AGL" << true << 100000;
        QTest::newRow("F AMSL") << "3500F AMSL" << false << 106679;
        QTest::newRow("no unit, feet") << "2000 MSL" << true << 60959;
        QTest::newRow("no unit, metres") << "2000 MSL" << false << 200000;
        QTest::newRow("unit without reference") << "1000ft" << false << 100000;
        QTest::newRow("M of AMSL is no unit") << "1000 AMSL" << true << 30479;
        QTest::newRow("F of SFC is no unit") << "1000 SFC" << false << 100000;
        QTest::newRow("just below 10,000 ft") << "9999 ft MSL" << false << 304769;
        QTest::newRow("odd from 10,000 ft adds 32") << "12501 ft AMSL" << false << 381031;
        QTest::newRow("even from 10,000 ft") << "12500 ft AMSL" << false << 380999;
        QTest::newRow("free text") << "Ask on 122.8" << true << 0;
        QTest::newRow("largest metres") << "21474836 m MSL" << true << 2147483600;
        QTest::newRow("metres beyond 32 bits saturate") << "21474837 m MSL" << true << 2147483647;
        QTest::newRow("digits beyond 64 bits saturate") << "99999999999999999999" << false << 2147483647;
        QTest::newRow("feet beyond 32 bits saturate") << "99999999999 ft MSL" << false << 2147483647;
        QTest::newRow("flight level beyond 32 bits saturates") << "FL99999999999" << true << 2147483647;
        QTest::newRow("empty") << "   " << true << -5000000;
    }
    void limitTextGivesCentimetres()
    {
        QFETCH(QString, text);
        QFETCH(bool, feet);
        QTEST(OpenAirReader(feet).parseAltitude(text), "centimetres");
    }
};

QTEST_GUILESS_MAIN(TestAltitude)
#include "tst_altitude.moc"
