// Countdowns: pause and resume keep the time left exact; finishing is reported once.
#include "VeskServices/Timers/TimerStore.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

TEST(TimerStoreTest, PauseAndResumeKeepTheTimeLeft) {
    ManualClock clock(Date{1000});
    TimerStore store(&clock);
    QList<QList<VeskTimer>> published;
    store.onChange = [&](const QList<VeskTimer>& timers) { published << timers; };

    const VeskTimer timer = store.add(300, QString(), true);
    EXPECT_EQ(timer.startedAt, Date{1000});
    EXPECT_EQ(timer.remaining(Date{1100}), 200);
    EXPECT_EQ(timer.remaining(Date{1400}), 0);
    EXPECT_TRUE(timer.hasFinished(Date{1400}));

    // Each step: toggle at `at`, then the state and the time left at `at` and 50 s later.
    struct Step {
        double at;
        bool running;
        double left;
        double leftLater;
    };
    for (const Step& step : {Step{1100, false, 200, 200}, Step{2100, true, 200, 150},
                             Step{2133.5, false, 166.5, 166.5}, Step{9000, true, 166.5, 116.5}}) {
        store.toggle(timer, Date{step.at});
        const VeskTimer& now = store.timers().first();
        SCOPED_TRACE(step.at);
        EXPECT_EQ(now.isRunning(), step.running);
        EXPECT_DOUBLE_EQ(now.remaining(Date{step.at}), step.left);
        EXPECT_DOUBLE_EQ(now.remaining(Date{step.at + 50}), step.leftLater);
    }
    EXPECT_EQ(published.size(), 5);

    // Run out, then pause: frozen at 0 and not finished while paused; resumed it is
    // finished at once.
    store.toggle(timer, Date{20000});
    const VeskTimer frozen = store.timers().first();
    EXPECT_EQ(frozen.pausedRemaining, 0.0);
    EXPECT_FALSE(frozen.hasFinished(Date{20000}));
    store.toggle(timer, Date{20001});
    EXPECT_TRUE(store.timers().first().hasFinished(Date{20001}));

    // Unstarted: the whole length left, no progress; toggled it starts with all of it.
    const VeskTimer idle = store.add(60, QStringLiteral("tea"), false);
    EXPECT_EQ(idle.remaining(Date{50000}), 60);
    EXPECT_EQ(idle.progress(Date{50000}), 0);
    store.toggle(idle, Date{50000});
    EXPECT_EQ(store.timers().last().remaining(Date{50010}), 50);
    EXPECT_EQ(store.add(0, QString(), true).progress(Date{1}), 0);
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
    store.check(Date{5});
    EXPECT_TRUE(finished.isEmpty());
    store.check(Date{11});
    store.check(Date{12});
    EXPECT_EQ(finished, QList<QUuid>{first.id});
    EXPECT_EQ(store.timers().size(), 2) << "finished timers stay";

    // Paused and resumed after the report: not reported again.
    store.toggle(first, Date{13});
    store.toggle(first, Date{14});
    store.check(Date{15});
    EXPECT_EQ(finished.size(), 1);

    const int before = changes;
    store.remove(first);
    store.remove(first);
    EXPECT_EQ(changes, before + 2) << "a removal tells even when nothing went";
    store.toggle(first, Date{16});
    EXPECT_EQ(changes, before + 2) << "a timer the store lacks changes nothing";
    store.check(Date{200});
    EXPECT_EQ(finished, (QList<QUuid>{first.id, second.id}));
}
