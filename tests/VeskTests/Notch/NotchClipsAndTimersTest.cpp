// The window controller's shared timers and clipboard history across two displays.
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/NotchWindowController.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskServices/Audio/AudioState.h"

#include "support/ManualScheduler.h"
#include "support/Pasteboard/FakeClipboard.h"
#include "support/Screens/OffscreenScreens.h"
#include "support/Tray/FakeThumbnailGenerator.h"
#include "support/WindowController/FakePointerWatches.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

TEST(NotchClipsAndTimersTest, ModelsGetNewClipsOnlyWhenOneHeadsTheHistoryAndTimersReachTheStore) {
    ASSERT_TRUE(setOffscreenScreens({{"A", QRect(0, 0, 1512, 982)}, {"B", QRect(1512, 0, 1920, 1080)}}));
    QCoreApplication::processEvents();
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    FakeClipboard clipboard;
    NotchWindowController::Environment environment;
    environment.dragWatch = &drag;
    environment.clickWatch = &clicks;
    environment.sleepWatch = &sleep;
    environment.pasteboard = &clipboard;
    environment.trayOptions.queueScheduler = &scheduler;
    environment.trayOptions.thumbnails = std::make_shared<FakeThumbnailGenerator>();
    environment.clipboardOptions = {
        .reader = &clipboard, .clock = &scheduler.clock(), .queueScheduler = &scheduler};
    environment.modelEnvironment.clock = &scheduler.clock();
    environment.modelEnvironment.outputDevices = [] { return QList<AudioOutputDevice>{}; };
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
