#include "openair/coordinates.h"

#include <QLoggingCategory>
#include <QTest>

using Parser = int32_t (*)(QStringView, bool *);
Q_DECLARE_METATYPE(Parser)

class TestCoordinates : public QObject
{
    Q_OBJECT

private slots:
    void pairIsReadInEitherOrderCaseAndWithRemarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lat");
        QTest::addColumn<int>("lon");
        QTest::addColumn<bool>("ok");
        QTest::newRow("south west") << "47:30:00 S 008:30:00 W" << -171000000 << -30600000 << true;
        QTest::newRow("longitude first") << "008:30:00 E 47:30:00 N" << 171000000 << 30600000 << true;
        QTest::newRow("minutes fraction") << "47:30.5 N 8:15.25 E" << 171030000 << 29715000 << true;
        QTest::newRow("decimal degrees") << "47.5 N 8.25 E" << 171000000 << 29700000 << true;
        QTest::newRow("attached letters, seconds ending in a dot") << "54:08:31.N 123:07:30.5W" << 194911000
                                                                   << -443250500 << true;
        QTest::newRow("lower-case letters") << "47:30:00 n 008:30:00 e" << 171000000 << 30600000 << true;
        QTest::newRow("remark with an S after the pair")
                << "11:20.166 S 34:49.842 E ; Should follow the border" << -40809960 << 125390520 << true;
        QTest::newRow("token after the pair") << "36:41:00 N 115:56:10 W    c29" << 132060000 << -417370000 << true;
        QTest::newRow("huge value saturates") << "99999999:00 N 8:00 E" << 2147483647 << 28800000 << true;
        QTest::newRow("begins with a letter") << "N47:30:00 E008:30:00" << 0 << 0 << false;
        QTest::newRow("longitude letter missing") << "47:30:00 N 008:30:00" << 171000000 << 0 << false;
        QTest::newRow("latitude letter missing") << "47:30:00 008:30:00 E" << 0 << 0 << false;
        QTest::newRow("letter O for zero") << "47:3O:00 N 008:00:00 E" << 0 << 28800000 << false;
    }
    void pairIsReadInEitherOrderCaseAndWithRemarks()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        bool readable = !ok;
        const GeoPoint point = parseCoordinatePair(text, &readable);
        QTEST(point.lat, "lat");
        QTEST(point.lon, "lon");
        QCOMPARE(readable, ok);
    }

    void eachNotationGivesMilliArcSeconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("seconds with fraction") << "46:57:30.5 N" << 169050500;
        QTest::newRow("one-digit minutes") << " 35:4.999 E " << 126299940;
        QTest::newRow("leading zeros of the fraction count") << "8.05 E" << 28980000;
        QTest::newRow("third dot part is ignored") << "47.5.3 S" << -171000000;
        QTest::newRow("very long fraction") << "8.0000000000000000000005 E" << 28800000;
        QTest::newRow("degrees beyond 32 bits saturate") << "99999999.5 W" << int(-2147483648LL);
    }
    void eachNotationGivesMilliArcSeconds()
    {
        QFETCH(QString, text);
        bool ok = false;
        QTEST(parseCoordinate(text, &ok), "value");
        QVERIFY(ok);
    }

    void unreadableNumbersAreReportedInTheDebugCategory_data()
    {
        QTest::addColumn<Parser>("parser");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const Parser dms = GradMinSecString2long, ddm = GradMinFractionString2long, dd = GradFraction2long;
        QTest::newRow("letter in seconds") << dms << "47:3O:00 N" << "GradMinSecString2long: conversion error -> 47:3O:00";
        QTest::newRow("nan is no number") << dms << "nan:30:00" << "GradMinSecString2long: conversion error -> nan:30:00";
        QTest::newRow("minutes not a number") << ddm << "47:x N" << "GradMinFractionString2long: conversion error -> 47:x -- 47 | x";
        QTest::newRow("minutes missing") << ddm << "47 N" << "GradMinFractionString2long: conversion error -> 47 -- 47 | ";
        QTest::newRow("infinite degrees") << ddm << "inf:30" << "GradMinFractionString2long: conversion error -> inf:30 -- inf | 30";
        QTest::newRow("empty fraction") << dd << "47. N" << "GradFraction2long: conversion error -> 47.";
        QTest::newRow("empty whole") << dd << ".5 N" << "GradFraction2long: conversion error -> .5";
        QTest::newRow("beyond 32 bits") << dd << "2147483648 E" << "GradFraction2long: conversion error -> 2147483648";
    }
    void unreadableNumbersAreReportedInTheDebugCategory()
    {
        QFETCH(Parser, parser);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QVERIFY(!lcOpenAir().isDebugEnabled());   // quiet unless asked for
        QLoggingCategory::setFilterRules(QStringLiteral("zonvert.openair.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(u'"' + message + u'"'));
        bool ok = true;
        QCOMPARE(parser(text, &ok), 0);
        QVERIFY(!ok);
        QLoggingCategory::setFilterRules(QString());
    }
};

QTEST_GUILESS_MAIN(TestCoordinates)
#include "tst_coordinates.moc"
