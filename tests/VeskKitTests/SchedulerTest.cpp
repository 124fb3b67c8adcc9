#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace vesk;
using vesk::test::ManualScheduler;

TEST(ManualSchedulerTest, RunsWorkInTimeOrderAndSkipsCancelledWork) {
    ManualScheduler scheduler;
    QStringList ran;
    const Date start = scheduler.now();
    const auto log = [&](const char* name) {
        return
            [&, name] { ran << QString::fromUtf8(name) + u'@' + QString::number(scheduler.now() - start); };
    };
    scheduler.postAfter(2.0, log("b"));
    scheduler.postAfter(1.0, [&] {
        log("a")();
        scheduler.postAfter(0.5, log("later")); // work can schedule more, seeing the clock at its due time
    });
    TaskHandle cancelled = scheduler.postAfter(1.5, log("cancelled"));
    scheduler.postAfter(2.0, log("c"));
    scheduler.post(log("now"));
    cancelled.cancel();

    scheduler.advance(1.0);
    EXPECT_EQ(ran, (QStringList{"now@0", "a@1"}));
    EXPECT_DOUBLE_EQ(scheduler.now() - start, 1.0);
    scheduler.advance(5.0);
    EXPECT_EQ(ran, (QStringList{"now@0", "a@1", "later@1.5", "b@2", "c@2"}));
    EXPECT_EQ(scheduler.pendingCount(), 0);
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
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], i);
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

TEST(SerialQueueTest, ShutdownWaitsForQueuedWorkAndDropsLaterWork) {
    std::atomic<int> ran{0};
    auto queue = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.shutdown"));
    for (int i = 0; i < 10; ++i)
        queue->async([&] { ++ran; });
    queue->sync([] {});
    queue->shutdown();
    queue->async([&] { ran += 100; });
    EXPECT_EQ(ran.load(), 10);
}

// A task that never returns holds up neither finish() nor shutdown() beyond the patience,
// and a call given up on never starts.
TEST(SerialQueueTest, AStuckTaskHoldsUpFinishAndShutdownOnlyForThePatience) {
    SerialQueue queue(QStringLiteral("app.tessarn.notch.stuck"));
    QSemaphore release;
    std::atomic<int> stuck{0};
    const auto getStuck = [&] {
        ++stuck;
        release.acquire();
    };
    std::atomic<bool> late{false};

    queue.setStopPatience(0.2);
    queue.async(getStuck);
    ASSERT_TRUE(test::processEventsUntil([&] { return stuck == 1; }));
    EXPECT_FALSE(queue.finish([&] { late = true; }));
    release.release();
    queue.setStopPatience(test::patienceMs / 1000.0);
    EXPECT_TRUE(queue.finish([] {}));
    EXPECT_FALSE(late.load());

    queue.setStopPatience(0.2);
    queue.async(getStuck);
    ASSERT_TRUE(test::processEventsUntil([&] { return stuck == 2; }));
    EXPECT_FALSE(queue.shutdown());
    // Left to finish by itself.
    release.release();
}
