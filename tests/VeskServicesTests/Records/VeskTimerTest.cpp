#include "VeskServices/Timers/VeskTimer.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

const Date t0{1000};

VeskTimer timer(double total, std::optional<Date> startedAt, std::optional<double> pausedRemaining) {
    return VeskTimer{.id = QUuid::createUuid(),
                     .label = QString(),
                     .total = total,
                     .startedAt = startedAt,
                     .pausedRemaining = pausedRemaining};
}

} // namespace

TEST(VeskTimerTest, RunningTimerCountsDownToZero) {
    const VeskTimer running = timer(300, t0, std::nullopt);
    EXPECT_TRUE(running.isRunning());
    EXPECT_EQ(running.remaining(t0 + 100), 200);
    EXPECT_FALSE(running.hasFinished(t0 + 100));
    EXPECT_EQ(running.remaining(t0 + 400), 0);
    EXPECT_TRUE(running.hasFinished(t0 + 400));
    EXPECT_DOUBLE_EQ(running.progress(t0 + 150), 0.5);
}

TEST(VeskTimerTest, PausedAndUnstartedTimersStandStill) {
    const VeskTimer paused = timer(300, std::nullopt, 200);
    EXPECT_EQ(paused.remaining(t0 + 5000), 200);
    EXPECT_FALSE(paused.hasFinished(t0 + 5000));

    const VeskTimer frozenAtZero = timer(300, std::nullopt, 0);
    EXPECT_FALSE(frozenAtZero.hasFinished(t0)) << "only a running timer finishes";

    const VeskTimer unstarted = timer(300, std::nullopt, std::nullopt);
    EXPECT_EQ(unstarted.remaining(t0), 300);
    EXPECT_EQ(unstarted.progress(t0), 0);

    EXPECT_EQ(timer(0, t0, std::nullopt).progress(t0 + 10), 0);
}
