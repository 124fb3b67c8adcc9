// The desk services the window controller shares with every display's model.
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/NotchWindowController.h"
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
#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

TEST(NotchDeskServicesTest, EveryModelGetsTheSharedServicesAndTheirPinnedAppsWhenRefreshed) {
    ASSERT_TRUE(setOffscreenScreens({{"A", QRect(0, 0, 1512, 982)}, {"B", QRect(1512, 0, 1920, 1080)}}));
    QCoreApplication::processEvents();
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    NotchWindowController::Environment environment;
    environment.dragWatch = &drag;
    environment.clickWatch = &clicks;
    environment.sleepWatch = &sleep;
    environment.trayOptions.queueScheduler = &scheduler;
    environment.trayOptions.thumbnails = std::make_shared<FakeThumbnailGenerator>();
    environment.modelEnvironment.outputDevices = [] { return QList<AudioOutputDevice>{}; };

    // What an earlier run pinned is there from the start.
    {
        QuickAppsService earlier(QStringLiteral("Vesk"));
        earlier.add(QuickApp{.id = QUuid::createUuid(),
                             .bundleID = QStringLiteral("a.desktop"),
                             .name = QStringLiteral("A"),
                             .path = std::nullopt});
    }
    NotchWindowController controller(settings, environment);
    ASSERT_EQ(controller.displays().size(), 2);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const NotchDisplay& display : controller.displays()) {
        EXPECT_EQ(display.model->shortcutsService(), &controller.shortcutsService());
        EXPECT_EQ(display.model->quickAppsService(), &controller.quickAppsService());
        EXPECT_EQ(display.model->quickApps(), controller.quickAppsService().apps());
        EXPECT_EQ(display.model->quickApps().size(), 1);
        spies.push_back(std::make_unique<QSignalSpy>(display.model, &NotchViewModel::quickAppsChanged));
    }

    controller.quickAppsService().add(QuickApp{.id = QUuid::createUuid(),
                                               .bundleID = QStringLiteral("b.desktop"),
                                               .name = QStringLiteral("B"),
                                               .path = std::nullopt});
    controller.refreshQuickApps();
    controller.refreshQuickApps();
    for (const NotchDisplay& display : controller.displays())
        EXPECT_EQ(display.model->quickApps().size(), 2);
    for (const auto& spy : spies)
        EXPECT_EQ(spy->count(), 1);
}
