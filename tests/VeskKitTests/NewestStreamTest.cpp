#include "VeskKit/Foundation/NewestStream.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <map>
#include <thread>
#include <vector>

using namespace vesk;

TEST(NewestStreamTest, KeepsTheNewestValuesUntilAConsumerTakesThemInOrder) {
    test::ManualScheduler scheduler;
    NewestStream<int> stream(3);
    for (int i = 1; i <= 10; ++i)
        stream.yield(i);
    EXPECT_EQ(stream.pendingCount(), 3);

    std::vector<int> seen;
    QObject owner;
    stream.consume(
        &owner, [&](int v) { seen.push_back(v); }, scheduler);
    // One element per turn of the scheduler.
    scheduler.runPending();
    EXPECT_EQ(seen, (std::vector<int>{8, 9, 10}));
}

TEST(NewestStreamTest, DeliversOneValuePerTurnAndNothingAfterCancellationOrItsContextsEnd) {
    test::ManualScheduler scheduler;
    NewestStream<int> stream(8);
    std::vector<int> seen;
    QObject owner;
    TaskHandle task = stream.consume(
        &owner,
        [&](int v) {
            seen.push_back(v);
            if (v == 2) stream.yield(3); // yielding from inside the consumer queues, never re-enters
        },
        scheduler);
    stream.yield(1);
    stream.yield(2);
    scheduler.runPending();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

    stream.yield(4);
    task.cancel();
    stream.yield(5);
    scheduler.runPending();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

    // A consumer stops with its context too.
    auto context = std::make_unique<QObject>();
    stream.consume(
        context.get(), [&](int v) { seen.push_back(v); }, scheduler);
    stream.yield(6);
    context.reset();
    scheduler.runPending();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

TEST(NewestStreamTest, ConcurrentYieldsKeepExactlyTheNewestAndPreserveEachThreadsOrder) {
    constexpr int threads = 4;
    constexpr int perThread = 5000;
    NewestStream<std::pair<int, int>> stream(16);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&stream, t] {
            for (int i = 0; i < perThread; ++i)
                stream.yield({t, i});
        });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(stream.pendingCount(), 16);

    std::vector<std::pair<int, int>> seen;
    QObject owner;
    stream.consume(&owner, [&](std::pair<int, int> v) { seen.push_back(v); });
    ASSERT_TRUE(test::processEventsUntil([&] { return seen.size() == 16; }));
    std::map<int, int> last;
    for (const auto& [t, i] : seen) {
        if (last.count(t)) {
            EXPECT_LT(last[t], i);
        }
        last[t] = i;
    }
    // The very last value of some thread is always among the newest.
    bool anyFinal = false;
    for (const auto& [t, i] : last)
        anyFinal = anyFinal || i == perThread - 1;
    EXPECT_TRUE(anyFinal);
}

TEST(NewestStreamTest, ConsumerOnTheMainThreadSeesValuesFromWorkersOneAtATime) {
    NewestStream<int> stream(4);
    std::vector<int> seen;
    bool inside = false;
    bool reentered = false;
    bool offMain = false;
    QObject owner;
    stream.consume(&owner, [&](int v) {
        if (inside) reentered = true;
        inside = true;
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) offMain = true;
        seen.push_back(v);
        QCoreApplication::processEvents(); // a nested loop must not deliver the next value
        inside = false;
    });
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            stream.yield(i);
            if (i % 20 == 0) QThread::msleep(2);
        }
    });
    worker.join();
    ASSERT_TRUE(test::processEventsUntil([&] { return !seen.empty() && seen.back() == 199; }));
    EXPECT_FALSE(reentered);
    EXPECT_FALSE(offMain);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
}
