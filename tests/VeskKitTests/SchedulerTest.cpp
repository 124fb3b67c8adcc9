#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>
#include <mutex>
#include <vector>

using namespace vesk;
using vesk::test::ManualScheduler;

TEST(ManualSchedulerTest, RunsWorkInTimeOrderAndSkipsCancelledWork) {
    ManualScheduler scheduler;
    std::vector<QString> ran;
    const Date start = scheduler.now();
    scheduler.postAfter(2.0, [&] { ran.push_back(QStringLiteral("b@2")); });
    scheduler.postAfter(1.0, [&] { ran.push_back(QStringLiteral("a@1")); });
    TaskHandle cancelled = scheduler.postAfter(1.5, [&] { ran.push_back(QStringLiteral("cancelled")); });
    scheduler.postAfter(2.0, [&] { ran.push_back(QStringLiteral("c@2")); });
    scheduler.post([&] { ran.push_back(QStringLiteral("now")); });
    cancelled.cancel();

    scheduler.advance(1.0);
    EXPECT_EQ(ran, (std::vector<QString>{QStringLiteral("now"), QStringLiteral("a@1")}));
    EXPECT_DOUBLE_EQ(scheduler.now() - start, 1.0);

    scheduler.advance(5.0);
    EXPECT_EQ(ran, (std::vector<QString>{QStringLiteral("now"), QStringLiteral("a@1"), QStringLiteral("b@2"),
                                         QStringLiteral("c@2")}));
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(ManualSchedulerTest, WorkSeesTheClockAtItsDueTimeAndCanScheduleMore) {
    ManualScheduler scheduler;
    const Date start = scheduler.now();
    std::vector<double> times;
    scheduler.postAfter(1.0, [&] {
        times.push_back(scheduler.now() - start);
        scheduler.postAfter(0.5, [&] { times.push_back(scheduler.now() - start); });
    });
    scheduler.advance(3.0);
    EXPECT_EQ(times, (std::vector<double>{1.0, 1.5}));
}

TEST(ManualSchedulerTest, RepeatingWorkRunsEveryIntervalUntilCancelled) {
    ManualScheduler scheduler;
    int count = 0;
    TaskHandle handle = scheduler.postRepeating(0.25, [&] { ++count; });
    scheduler.advance(1.0);
    EXPECT_EQ(count, 4);
    handle.cancel();
    scheduler.advance(1.0);
    EXPECT_EQ(count, 4);
}

TEST(MainSchedulerTest, OnMainRunsOnTheMainThreadAndCancelledDelaysNeverRun) {
    std::atomic<bool> ran{false};
    std::atomic<bool> cancelledRan{false};
    QThread* mainThread = QCoreApplication::instance()->thread();
    QThread* ranOn = nullptr;
    std::thread worker([&] {
        onMain([&] {
            ranOn = QThread::currentThread();
            ran = true;
        });
        TaskHandle h = onMainAfter(0.05, [&] { cancelledRan = true; });
        h.cancel();
    });
    worker.join();
    ASSERT_TRUE(test::processEventsUntil([&] { return ran.load(); }));
    EXPECT_EQ(ranOn, mainThread);
    test::processEventsFor(120);
    EXPECT_FALSE(cancelledRan);
}

TEST(MainSchedulerTest, InstalledManualSchedulerTakesOverOnMainAfter) {
    ManualScheduler scheduler;
    test::ScopedMainScheduler scope(scheduler);
    bool ran = false;
    onMainAfter(10.0, [&] { ran = true; });
    scheduler.advance(9.9);
    EXPECT_FALSE(ran);
    scheduler.advance(0.1);
    EXPECT_TRUE(ran);
}

TEST(SerialQueueTest, RunsWorkInOrderOnItsOwnNamedThread) {
    SerialQueue queue(QStringLiteral("app.tessarn.notch.test"));
    std::mutex mutex;
    std::vector<int> order;
    QString threadName;
    for (int i = 0; i < 50; ++i)
        queue.async([&, i] {
            std::lock_guard lock(mutex);
            order.push_back(i);
            threadName = QThread::currentThread()->objectName();
        });
    queue.sync([] {});
    std::lock_guard lock(mutex);
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
    EXPECT_EQ(threadName, QStringLiteral("app.tessarn.notch.test"));
}

TEST(SerialQueueTest, DelayedAndRepeatingWorkRunsOnTheQueueAndStopsWhenCancelled) {
    SerialQueue queue(QStringLiteral("app.tessarn.notch.timers"));
    std::atomic<int> ticks{0};
    std::atomic<bool> delayed{false};
    std::atomic<bool> onQueue{true};
    TaskHandle repeating = queue.repeating(0.01, [&] {
        if (!queue.isCurrent()) onQueue = false;
        ++ticks;
    });
    queue.asyncAfter(0.02, [&] { delayed = true; });
    ASSERT_TRUE(test::processEventsUntil([&] { return ticks.load() >= 3 && delayed.load(); }));
    repeating.cancel();
    queue.sync([] {});
    const int afterCancel = ticks.load();
    test::processEventsFor(60);
    queue.sync([] {});
    EXPECT_LE(ticks.load(), afterCancel + 1);
    EXPECT_TRUE(onQueue);
}

TEST(SerialQueueTest, OverManualSchedulerEverythingRunsOnVirtualTime) {
    ManualScheduler scheduler;
    SerialQueue queue(QStringLiteral("app.tessarn.notch.virtual"), &scheduler);
    int polls = 0;
    queue.repeating(0.2, [&] { ++polls; });
    bool later = false;
    queue.asyncAfter(1.0, [&] { later = true; });
    scheduler.advance(0.99);
    EXPECT_EQ(polls, 4);
    EXPECT_FALSE(later);
    scheduler.advance(0.01);
    EXPECT_TRUE(later);
}

TEST(SerialQueueTest, ShutdownWaitsForQueuedWorkAndDropsLaterWork) {
    std::atomic<int> ran{0};
    auto queue = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.shutdown"));
    for (int i = 0; i < 10; ++i) queue->async([&] { ++ran; });
    queue->sync([] {});
    queue->shutdown();
    queue->async([&] { ran += 100; });
    EXPECT_EQ(ran.load(), 10);
}
