// The window controller's shared timers and clipboard history across two displays.
#include "Vesk/Notch/NotchViewModel.h"

#include "support/Notch/TwoDisplayController.h"
#include "support/Pasteboard/FakeClipboard.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

using NotchClipsAndTimersTest = TwoDisplayControllerTest;

TEST_F(NotchClipsAndTimersTest, ModelsGetNewClipsOnlyWhenOneHeadsTheHistoryAndTimersReachTheStore) {
    FakeClipboard clipboard;
    environment.pasteboard = &clipboard;
    environment.clipboardOptions = {
        .reader = &clipboard, .clock = &scheduler.clock(), .queueScheduler = &scheduler};
    environment.modelEnvironment.clock = &scheduler.clock();
    NotchWindowController controller(settings, environment);
    scheduler.runPending();
    NotchViewModel* first = controller.displays().first().model;
    NotchViewModel* last = controller.displays().last().model;
    QSignalSpy changed(first, &NotchViewModel::clipsChanged);
    const auto copyAndPoll = [&](const QByteArray& text, bool enabled = true) {
        clipboard.copy(FakeClipboard::text(text));
        controller.pollClipboard(enabled, 40, false);
        scheduler.runPending();
    };

    copyAndPoll("ignored while off", false);
    copyAndPoll("first");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(last->clipboardService(), &controller.clipboardService());
    EXPECT_EQ(last->clips(), controller.clipboardService().clips());
    controller.pollClipboard(true, 40, false);
    copyAndPoll("   ");
    EXPECT_EQ(changed.count(), 1) << "no new clip, no new list";
    copyAndPoll("second");
    EXPECT_EQ(last->clips().first().text, "second");
    controller.clipboardService().remove(last->clips().first());
    EXPECT_EQ(first->clips().size(), 1) << "a clip removed on one desk leaves every desk";
    EXPECT_EQ(last->clips(), controller.clipboardService().clips());
    controller.pollClipboard(true, 1, true);
    EXPECT_EQ(controller.clipboardService().maxItems(), 1);

    first->addTimer(90);
    ASSERT_EQ(controller.timerStore().timers().size(), 1);
    const VeskTimer& timer = controller.timerStore().timers().first();
    EXPECT_EQ(std::tuple(timer.total, timer.startedAt, timer.label),
              std::tuple(90.0, std::optional(scheduler.now()), QString()));
    EXPECT_EQ(first->timers(), controller.timerStore().timers());
    EXPECT_EQ(last->timers(), controller.timerStore().timers())
        << "a timer started on one desk shows on the other";
}
