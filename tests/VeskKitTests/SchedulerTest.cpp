#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

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

// Repeats are coarse so that Qt lines them up with each other's wake-ups (and other
// programs'); a one-off delay keeps its precision.
TEST(MainSchedulerTest, RepeatsShareWakeUpsAndDelaysStayPrecise) {
    QObject context;
    QtScheduler scheduler(&context);
    TaskHandle heartbeat = scheduler.postRepeating(0.25, [] {});
    TaskHandle health = scheduler.postRepeating(5.0, [] {});
    TaskHandle delay = scheduler.postAfter(60.0, [] {});
    ASSERT_TRUE(test::processEventsUntil([&] { return context.findChildren<QTimer*>().size() == 3; }));
    QMap<int, Qt::TimerType> types;
    for (const QTimer* timer : context.findChildren<QTimer*>()) {
        EXPECT_TRUE(timer->isActive());
        types.insert(timer->interval(), timer->timerType());
    }
    EXPECT_EQ(types, (QMap<int, Qt::TimerType>{
                         {250, Qt::CoarseTimer}, {5000, Qt::CoarseTimer}, {60000, Qt::PreciseTimer}}));
    heartbeat.cancel();
    health.cancel();
    delay.cancel();
    EXPECT_TRUE(test::processEventsUntil([&] { return context.findChildren<QTimer*>().isEmpty(); }));
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

namespace {

// What a task blocked on the queue touches. Shared with the task, so a test that leaves the
// thread running (or ends before it wakes) never frees what the thread still uses.
struct Blocker {
    QSemaphore release;
    std::atomic<int> entered{0};
    std::atomic<int> ranBehind{0};
    std::atomic<bool> aboutToStop{false};

    static std::shared_ptr<Blocker> make() { return std::make_shared<Blocker>(); }
};

// Queues a task that holds the queue until released and, once it runs, `behind` tasks
// after it (work queued while the queue is busy, not taken in one batch with it).
bool blockWithWorkBehind(SerialQueue& queue, const std::shared_ptr<Blocker>& blocker, int behind) {
    const int entered = blocker->entered + 1;
    queue.async([blocker] {
        ++blocker->entered;
        blocker->release.acquire();
    });
    if (!test::processEventsUntil([&] { return blocker->entered == entered; })) return false;
    for (int i = 0; i < behind; ++i)
        queue.async([blocker] { ++blocker->ranBehind; });
    return true;
}

// Releases the blocked task once the main thread is about to stop the queue, so the
// stopping happens while work is still queued behind the busy task.
std::thread releaseWhenStopping(const std::shared_ptr<Blocker>& blocker) {
    return std::thread([blocker] {
        while (!blocker->aboutToStop.load())
            std::this_thread::yield();
        blocker->release.release();
    });
}

} // namespace

TEST(SerialQueueTest, ShutdownRunsTheWorkQueuedBehindABusyTaskAndDropsLaterWork) {
    auto blocker = Blocker::make();
    auto queue = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.shutdown"));
    queue->setStopPatience(test::patienceMs / 1000.0);
    ASSERT_TRUE(blockWithWorkBehind(*queue, blocker, 2));
    std::thread releaser = releaseWhenStopping(blocker);
    blocker->aboutToStop = true;
    EXPECT_TRUE(queue->shutdown());
    releaser.join();
    EXPECT_EQ(blocker->ranBehind.load(), 2);
    queue->async([blocker] { blocker->ranBehind += 100; });
    EXPECT_EQ(blocker->ranBehind.load(), 2);
}

// A task that never returns holds up neither finish() nor shutdown() beyond the patience,
// and a call given up on never starts.
TEST(SerialQueueTest, AStuckTaskHoldsUpFinishAndShutdownOnlyForThePatience) {
    auto blocker = Blocker::make();
    auto late = std::make_shared<std::atomic<bool>>(false);
    SerialQueue queue(QStringLiteral("app.tessarn.notch.stuck"));

    queue.setStopPatience(0.2);
    ASSERT_TRUE(blockWithWorkBehind(queue, blocker, 0));
    EXPECT_FALSE(queue.finish([late] { *late = true; }));
    blocker->release.release();
    queue.setStopPatience(test::patienceMs / 1000.0);
    EXPECT_TRUE(queue.finish([] {}));
    EXPECT_FALSE(late->load());

    queue.setStopPatience(0.2);
    ASSERT_TRUE(blockWithWorkBehind(queue, blocker, 1));
    EXPECT_FALSE(queue.shutdown());
    EXPECT_EQ(blocker->ranBehind.load(), 0);
    // Left to finish by itself, with what it touches kept alive by its tasks.
    blocker->release.release();
}

// A retired queue finishes its queued work without the caller waiting, then goes away
// by itself on the main thread.
TEST(SerialQueueTest, ARetiredQueueFinishesItsWorkOnItsOwnAndIsDeleted) {
    auto blocker = Blocker::make();
    auto queue = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.retired"));
    QPointer<QThread> thread;
    queue->sync([&] { thread = QThread::currentThread(); });
    ASSERT_TRUE(blockWithWorkBehind(*queue, blocker, 2));

    SerialQueue::retire(std::move(queue)); // returns while the task is still blocked
    EXPECT_EQ(blocker->ranBehind.load(), 0);
    blocker->release.release();
    ASSERT_TRUE(test::processEventsUntil([&] { return thread.isNull(); }));
    EXPECT_EQ(blocker->ranBehind.load(), 2);

    // Over a manual scheduler there is no thread to finish: it is simply destroyed.
    ManualScheduler scheduler;
    SerialQueue::retire(std::make_unique<SerialQueue>(QStringLiteral("manual"), &scheduler));
}

// At the end of the program the queues still retiring are waited for: one that finishes
// runs all its work, one that is stuck holds up the end only for its patience.
TEST(SerialQueueTest, TheEndWaitsForRetiredQueuesOnlyForTheirPatience) {
    auto finishing = Blocker::make();
    auto stuck = Blocker::make();
    auto first = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.ending"));
    auto second = std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.stuckending"));
    first->setStopPatience(test::patienceMs / 1000.0);
    second->setStopPatience(0.2);
    ASSERT_TRUE(blockWithWorkBehind(*first, finishing, 3));
    ASSERT_TRUE(blockWithWorkBehind(*second, stuck, 1));
    SerialQueue::retire(std::move(first));
    SerialQueue::retire(std::move(second));

    std::thread releaser = releaseWhenStopping(finishing);
    finishing->aboutToStop = true;
    SerialQueue::awaitRetired();
    releaser.join();
    EXPECT_EQ(finishing->ranBehind.load(), 3);
    EXPECT_EQ(stuck->ranBehind.load(), 0);
    stuck->release.release();
}
