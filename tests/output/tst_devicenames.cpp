#include "output/kaf.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// The renaming rule as plainly as it can be said: each name of the first appearances, in
// order, counted against all names as they stand now.
QStringList renamedPlainly(QStringList names)
{
    QStringList distinct;
    for (const QString &name : std::as_const(names))
        if (!distinct.contains(name))
            distinct.append(name);
    for (const QString &name : std::as_const(distinct)) {
        QList<qsizetype> holders;
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names.at(i) == name)
                holders.append(i);
        if (holders.size() < 2)
            continue;
        int counter = 1;
        for (auto i = holders.crbegin(); i != holders.crend(); ++i, ++counter)
            names[*i] = name.left(13) + QLatin1Char('_') + QStringLiteral("%1").arg(counter, 2, 10, QLatin1Char('0'));
    }
    return names;
}

} // namespace

class DeviceNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void namesAreMadeUnique_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("cut to 13 characters") << QStringList(3, "ABCDEFGHIJKLMNOP")
                                              << QStringList{"ABCDEFGHIJKLM_03", "ABCDEFGHIJKLM_02", "ABCDEFGHIJKLM_01"};
        QTest::newRow("single names kept") << QStringList{"TMA", "CTR", "TMA"} << QStringList{"TMA_02", "CTR", "TMA_01"};
        QTest::newRow("a new name is counted again") << QStringList{"A", "A", "A_01"}
                                                     << QStringList{"A_02", "A_01_02", "A_01_01"};
        QTest::newRow("an earlier name is not") << QStringList{"A_01", "A", "A"} << QStringList{"A_01", "A_02", "A_01"};
        QTest::newRow("a renamed name renamed again")
            << QStringList{"B", "A", "A", "A_01", "A_01_01"}
            << QStringList{"B", "A_02", "A_01_02", "A_01_01_02", "A_01_01_01"};
        QTest::newRow("ten and more") << QStringList(11, "X") << QStringList{"X_11", "X_10", "X_09", "X_08", "X_07", "X_06",
                                                                          "X_05", "X_04", "X_03", "X_02", "X_01"};
    }
    void namesAreMadeUnique()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        QCOMPARE(renamedPlainly(names), expected);
        Kaf::makeDeviceNamesUnique(names);
        QCOMPARE(names, expected);
    }

    // Random lists drawn from names that renaming makes, against the plain rule.
    void agreesWithThePlainRule()
    {
        const QStringList pool{"A", "A_01", "A_02", "A_01_01", "A_01_02", "", "_01", "_02", "ABCDEFGHIJKLM",
                               "ABCDEFGHIJKLM_01", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO", "B", "B_10"};
        QRandomGenerator random(2026);
        for (int trial = 0; trial < 3000; ++trial) {
            QStringList names;
            const int count = random.bounded(1, 40);
            const int kinds = random.bounded(1, int(pool.size()) + 1);
            for (int i = 0; i < count; ++i)
                names.append(pool.at(random.bounded(kinds)));
            const QStringList expected = renamedPlainly(names);
            Kaf::makeDeviceNamesUnique(names);
            QVERIFY2(names == expected, qPrintable(names.join(',') + " != " + expected.join(',')));
        }
    }

    // Characters beyond Latin-1 and surrogate pairs are names like any other.
    void namesAreComparedExactly()
    {
        QStringList names{u"Zürich"_qs, u"Zurich"_qs, u"Zürich"_qs, QString::fromUtf8("\xF0\x9F\xAA\x82"),
                          QString::fromUtf8("\xF0\x9F\xAA\x83")};
        Kaf::makeDeviceNamesUnique(names);
        QCOMPARE(names, QStringList({u"Zürich_02"_qs, u"Zurich"_qs, u"Zürich_01"_qs, QString::fromUtf8("\xF0\x9F\xAA\x82"),
                                     QString::fromUtf8("\xF0\x9F\xAA\x83")}));
    }
};

QTEST_GUILESS_MAIN(DeviceNamesTest)
#include "tst_devicenames.moc"
