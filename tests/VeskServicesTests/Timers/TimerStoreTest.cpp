// Countdowns: pause and resume keep the time left exact; finishing is reported once.
#include "VeskServices/Timers/TimerStore.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

TEST(TimerStoreTest, PauseAndResumeKeepTheTimeLeft) {
    ManualClock clock(Date{1000});
    TimerStore store(&clock);
    int changes = 0;
    store.onChange = [&](const QList<VeskTimer>&) { ++changes; };
    const VeskTimer timer = store.add(300, QString(), true);
    EXPECT_EQ(timer.remaining(Date{1100}), 200);
    EXPECT_TRUE(timer.hasFinished(Date{1400}));

    // Toggled at `at`: running or not, and the time left then and 50 s later. The last
    // two: run out, paused at 0 (not finished while paused), resumed finished at once.
    struct Step {
        double at;
        bool running;
        double left, leftLater;
    };
    for (const Step& step :
         {Step{1100, false, 200, 200}, Step{2100, true, 200, 150}, Step{2133.5, false, 166.5, 166.5},
          Step{9000, true, 166.5, 116.5}, Step{20000, false, 0, 0}, Step{20001, true, 0, 0}}) {
        store.toggle(timer, Date{step.at});
        const VeskTimer& now = store.timers().first();
        SCOPED_TRACE(step.at);
        EXPECT_EQ(now.isRunning(), step.running);
        EXPECT_DOUBLE_EQ(now.remaining(Date{step.at}), step.left);
        EXPECT_DOUBLE_EQ(now.remaining(Date{step.at + 50}), step.leftLater);
        EXPECT_EQ(now.hasFinished(Date{step.at}), step.running && step.left == 0);
    }
    EXPECT_EQ(changes, 7);

    const VeskTimer idle = store.add(60, QStringLiteral("tea"), false);
    EXPECT_EQ(idle.progress(Date{50000}), 0);
    store.toggle(idle, Date{50000});
    EXPECT_EQ(store.timers().last().remaining(Date{50010}), 50) << "an unstarted timer starts with all of it";
}

TEST(TimerStoreTest, FinishedTimersAreReportedOncePerId) {
    ManualClock clock(Date{0});
    TimerStore store(&clock);
    QList<QUuid> finished;
    int changes = 0;
    store.onFinished = [&](const VeskTimer& timer) { finished << timer.id; };
    store.onChange = [&](const QList<VeskTimer>&) { ++changes; };
    const VeskTimer first = store.add(10, QString(), true);
    const VeskTimer second = store.add(100, QString(), true);
    for (double at : {5.0, 11.0, 12.0})
        store.check(Date{at});
    EXPECT_EQ(finished, QList<QUuid>{first.id});
    store.toggle(first, Date{13});
    store.toggle(first, Date{14});
    store.check(Date{15});
    EXPECT_EQ(finished.size(), 1) << "not again after a pause and resume";

    store.remove(first);
    store.remove(first);
    store.toggle(first, Date{16});
    EXPECT_EQ(changes, 6) << "every removal tells; toggling a timer the store lacks does not";
    store.check(Date{200});
    EXPECT_EQ(finished, (QList<QUuid>{first.id, second.id}));
}
