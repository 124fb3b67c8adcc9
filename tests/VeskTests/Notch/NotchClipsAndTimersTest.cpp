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

class NotchClipsAndTimersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(setOffscreenScreens({{"A", QRect(0, 0, 1512, 982)}, {"B", QRect(1512, 0, 1920, 1080)}}));
        QCoreApplication::processEvents();
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
        controller = std::make_unique<NotchWindowController>(settings, environment);
        for (const NotchDisplay& display : controller->displays())
            models << display.model.data();
        ASSERT_EQ(models.size(), 2);
    }

    void copyAndPoll(const QByteArray& text, bool enabled = true) {
        clipboard.copy(FakeClipboard::text(text));
        controller->pollClipboard(enabled, 40, false);
        scheduler.runPending();
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    FakeClipboard clipboard;
    std::unique_ptr<NotchWindowController> controller;
    QList<NotchViewModel*> models;
};

TEST_F(NotchClipsAndTimersTest, ModelsGetTheClipsOnlyWhenANewClipHeadsTheHistory) {
    scheduler.runPending();
    QSignalSpy changed(models.first(), &NotchViewModel::clipsChanged);
    copyAndPoll("ignored while off", false);
    copyAndPoll("first");
    EXPECT_EQ(changed.count(), 1);
    for (NotchViewModel* model : models) {
        EXPECT_EQ(model->clipboardService(), &controller->clipboardService());
        EXPECT_EQ(model->clips(), controller->clipboardService().clips());
    }
    controller->pollClipboard(true, 40, false);
    copyAndPoll("   ");
    EXPECT_EQ(changed.count(), 1) << "no new clip, no new list";
    copyAndPoll("second");
    EXPECT_EQ(models.last()->clips().first().text, "second");
    controller->pollClipboard(true, 1, true);
    EXPECT_EQ(controller->clipboardService().maxItems(), 1);
    EXPECT_TRUE(controller->clipboardService().persists());
}

TEST_F(NotchClipsAndTimersTest, AddingATimerReachesTheSharedStore) {
    models.first()->addTimer(90);
    ASSERT_EQ(controller->timerStore().timers().size(), 1);
    const VeskTimer& timer = controller->timerStore().timers().first();
    EXPECT_EQ(std::tuple(timer.total, timer.startedAt, timer.label),
              std::tuple(90.0, std::optional(scheduler.now()), QString()));
    EXPECT_EQ(models.first()->timers(), controller->timerStore().timers());
    EXPECT_EQ(models.last()->timerStore(), &controller->timerStore());
}
