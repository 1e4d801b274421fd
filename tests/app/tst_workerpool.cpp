#include "app/workerpool.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <thread>

class WorkerPoolTest : public QObject
{
    Q_OBJECT

private slots:
    void everyIndexRunsOnceBeforeRunReturns_data()
    {
        QTest::addColumn<int>("maxHelpers");
        QTest::newRow("no helpers") << 0;
        QTest::newRow("one helper") << 1;
        QTest::newRow("one per core") << 64;
    }
    void everyIndexRunsOnceBeforeRunReturns()
    {
        QFETCH(int, maxHelpers);
        WorkerPool pool(maxHelpers);
        QCOMPARE(pool.helperCount(), std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, maxHelpers));
        std::atomic<int> calls[1000];
        std::atomic<std::size_t> finished;
        for (int round = 0; round < 200; ++round) {
            for (const std::size_t count : {0, 1, 2, 7, 1000}) {
                std::for_each(calls, calls + count, [](std::atomic<int> &c) { c = 0; });
                finished = 0;
                pool.run(count, [&](std::size_t i) { ++calls[i], ++finished; });
                QCOMPARE(finished.load(), count);
                QVERIFY(std::all_of(calls, calls + count, [](const std::atomic<int> &c) { return c == 1; }));
            }
        }
    }

    // Helpers that have not yet begun to wait must still see the end.
    void poolsEndRightAfterStartOrRun()
    {
        for (int i = 0; i < 200; ++i)
            WorkerPool(4).run(i % 2 * 3, [](std::size_t) {});
    }
};

QTEST_GUILESS_MAIN(WorkerPoolTest)
#include "tst_workerpool.moc"
