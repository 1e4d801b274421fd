#include "openair/openairreader.h"

#include <QDir>
#include <QTest>

class TestOpenAirCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyRealFileIsReadToItsEnd_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("joinedBlocks");
        QTest::addColumn<int>("lostArcs");
        const QDir corpus(QStringLiteral(ZONVERT_CORPUS_DIR));
        const QStringList files = corpus.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            QSKIP("no corpus folder");
        // An airspace ends only after boundary lines: AC blocks holding only style records
        // join the next block, and an AT line after TC starts an airspace of its own.
        const QHash<QString, int> joined = {{"czechia-2026-national-af-ag.txt", 18},
                                            {"fixture-skipped-tokens-to-tc-at.txt", -1}};
        // Arcs that reuse the centre of the arc before them are never built; the airspace is
        // then faulty rather than written with a straight edge in place of the arc.
        const QHash<QString, int> lost = {{"slovakia-2019-cp1250-crlf.txt", 6}, {"usa-reno-sample-da-at-tc.txt", 3}};
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name) << joined.value(name) << lost.value(name);
    }
    void everyRealFileIsReadToItsEnd()
    {
        QFETCH(QString, path);
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        int acLines = 0;
        for (const QByteArray &line : raw.readAll().split('\n'))
            acLines += line.startsWith("AC") ? 1 : 0;

        OpenAirReader reader(true);
        QVERIFY(reader.open(path));
        int airspaces = 0;
        int arcFaults = 0;
        QStringList unreadable;   // every coordinate of these files is readable
        while (AirspacePtr airspace = reader.nextAirspace()) {
            QVERIFY(++airspaces <= acLines + 1);
            for (const QString &fault : airspace->definitionFaults()) {
                if (fault.contains(u"without a centre"))
                    ++arcFaults;
                else
                    unreadable.append(fault);
            }
        }
        QTEST(acLines - airspaces, "joinedBlocks");
        QCOMPARE(unreadable.join(u'\n'), QString());
        QTEST(arcFaults, "lostArcs");
    }
};

QTEST_GUILESS_MAIN(TestOpenAirCorpus)
#include "tst_openaircorpus.moc"
