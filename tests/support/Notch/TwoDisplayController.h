#pragma once

#include "Vesk/Screens/NotchWindowController.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskServices/Audio/AudioState.h"

#include "support/ManualScheduler.h"
#include "support/Screens/OffscreenScreens.h"
#include "support/Tray/FakeThumbnailGenerator.h"
#include "support/WindowController/FakePointerWatches.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>

#include <memory>

namespace vesk::test {

// Two offscreen displays side by side and what a window controller over them needs:
// fake pointer watches, no sleep bus, the tray on the manual scheduler, no output
// devices and settings in memory. A test adds to `environment` and then builds its
// controller.
class TwoDisplayControllerTest : public ::testing::Test {
protected:
    TwoDisplayControllerTest() {
        environment.dragWatch = &drag;
        environment.clickWatch = &clicks;
        environment.sleepWatch = &sleep;
        environment.trayOptions.queueScheduler = &scheduler;
        environment.trayOptions.thumbnails = std::make_shared<FakeThumbnailGenerator>();
        environment.modelEnvironment.outputDevices = [] { return QList<AudioOutputDevice>{}; };
    }

    void SetUp() override {
        ASSERT_TRUE(setOffscreenScreens({{"A", QRect(0, 0, 1512, 982)}, {"B", QRect(1512, 0, 1920, 1080)}}));
        QCoreApplication::processEvents();
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    NotchWindowController::Environment environment;
};

} // namespace vesk::test
