#include "Vesk/Notch/NotchWindowController.h"
#include "Vesk/SettingsWindow/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/GeneralPane.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"

#include "support/ManualScheduler.h"
#include "support/Screens/OffscreenScreens.h"
#include "support/Tray/FakeThumbnailGenerator.h"
#include "support/WindowController/FakePointerWatches.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace vesk {
namespace {

TEST(SettingsWindowGeneralTest, TheNotchIsRebuiltOncePerSizeChangeAndTheReportFollows) {
    ASSERT_TRUE(
        test::setOffscreenScreens({{"A", QRect(0, 0, 1512, 982)}, {"B", QRect(1512, 0, 1920, 1080), 2}}));
    QCoreApplication::processEvents();
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler guard(scheduler);
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    test::FakeDragWatch drag;
    test::FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    NotchWindowController::Environment environment;
    environment.dragWatch = &drag;
    environment.clickWatch = &clicks;
    environment.sleepWatch = &sleep;
    environment.trayOptions.clock = &scheduler.clock();
    environment.trayOptions.queueScheduler = &scheduler;
    environment.trayOptions.thumbnails = std::make_shared<test::FakeThumbnailGenerator>();
    environment.modelEnvironment.clock = &scheduler.clock();
    NotchWindowController controller(settings, environment);

    QSignalSpy rebuilds(&controller, &NotchWindowController::rebuilt);
    std::unique_ptr<QWidget> pane(makeGeneralPane(settings, &controller));
    EXPECT_EQ(rebuilds.size(), 0) << "opening rebuilds nothing";
    auto* report = pane->findChild<QLabel*>(QStringLiteral("geometryReport"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->text().count(QStringLiteral("display ")), 2) << "a block per display";
    EXPECT_EQ(report->text(), controller.geometryReport());

    settings.setNotchWidthAdjust(1);
    settings.setNotchWidthAdjust(2);
    settings.setNotchWidthAdjust(2);
    settings.setNotchHeightAdjust(3);
    settings.setContentPadding(20);
    settings.setSoundEnabled(false);
    EXPECT_EQ(rebuilds.size(), 3) << "once for each distinct width or height, never for padding";
    EXPECT_TRUE(report->text().contains(QStringLiteral("× 11"))) << report->text().toStdString();

    // The sliders carry their keys.
    QStringList sliders;
    for (SliderTrack* track : pane->findChildren<SliderTrack*>())
        sliders << track->objectName();
    EXPECT_EQ(sliders, (QStringList{"contentPadding", "notchWidthAdjust", "notchHeightAdjust"}));
}

TEST(SettingsWindowGeneralTest, WithoutTheNotchWindowsThereIsNoReport) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    std::unique_ptr<QWidget> pane(makeGeneralPane(settings, nullptr));
    EXPECT_EQ(pane->findChild<QLabel*>(QStringLiteral("geometryReport"))->text(), QString());
    settings.setNotchWidthAdjust(4); // nothing to rebuild
}

} // namespace
} // namespace vesk
