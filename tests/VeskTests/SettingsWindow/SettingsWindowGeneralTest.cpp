#include "Vesk/Controls/ValueSlider.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "Vesk/Screens/SettingsNotchWindows.h"
#include "Vesk/SettingsWindow/Panes/GeneralPane.h"
#include "Vesk/SettingsWindow/Panes/SyncCard.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskUI/Tokens/Vesk.h"

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
    std::unique_ptr<QWidget> pane(
        makeGeneralPane(settings, settingsNotchWindows([&controller] { return &controller; }), nullptr));
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
    std::unique_ptr<QWidget> pane(makeGeneralPane(settings, {}, nullptr));
    EXPECT_EQ(pane->findChild<QLabel*>(QStringLiteral("geometryReport"))->text(), QString());
    settings.setNotchWidthAdjust(4); // nothing to rebuild
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

TEST(SettingsWindowSyncCardTest, DotAndLinesFollowTheCoordinator) {
    using Push = SyncCoordinator::PushRegistration;
    const Date now = Date::now();
    const QString local = QStringLiteral("Changes are being saved on this computer only.");
    const QString waiting =
        QStringLiteral("Waiting for push registration — until it completes, changes from another "
                       "computer arrive only when VeskNotch restarts.");
    const QString failed =
        QStringLiteral("Push is unavailable, so changes from another computer only arrive when "
                       "VeskNotch restarts.");
    const QString noCloud = QStringLiteral("There is no private cloud database on this system.");
    const struct {
        SyncStatus status;
        bool localOnly;
        Push push;
        std::optional<QString> error;
        bool enabled;
        QColor dot;
        QStringList lines;
    } cases[] = {
        {SyncStatus::idle(), false, Push::registered(), {}, true, Vesk::Semantic::sage, {"Synced"}},
        {SyncStatus::syncing(), false, Push{}, {}, true, Vesk::Semantic::sage, {"Syncing…", waiting}},
        {SyncStatus::idle(),
         false,
         Push::failed("no pushes"),
         {},
         true,
         Vesk::Semantic::sage,
         {"Synced", failed, "no pushes"}},
        // Linux: no cloud container, a local store.
        {SyncStatus::unavailable(SyncUnavailability::containerUnavailable),
         true,
         Push::failed("x"),
         noCloud,
         true,
         Vesk::Semantic::amber,
         {noCloud, local}},
        // Switch off: neither the local-only nor the push line.
        {SyncStatus::unavailable(SyncUnavailability::disabled),
         true,
         Push{},
         noCloud,
         false,
         Vesk::Semantic::amber,
         {"Turned off in Vesk's settings", noCloud}},
    };
    for (const auto& c : cases) {
        const SyncCardContent content =
            syncCardContent(c.status, c.localOnly, c.push, c.error, c.enabled, now);
        EXPECT_EQ(content.dot, c.dot) << c.lines.join('|').toStdString();
        QStringList lines;
        for (const auto& line : content.lines)
            lines << line.text;
        EXPECT_EQ(lines, c.lines);
    }
    // The push failure's message and the container error can be copied into a report.
    const auto lines =
        syncCardContent(SyncStatus::idle(), false, Push::failed("m"), QStringLiteral("e"), true, now).lines;
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.at(1).color, Vesk::Semantic::amber);
    EXPECT_FALSE(lines.at(1).selectable);
    EXPECT_TRUE(lines.at(2).selectable) << "the message";
    EXPECT_EQ(lines.at(2).maxLines, 0);
    EXPECT_TRUE(lines.at(3).selectable) << "the container error";
    EXPECT_EQ(lines.at(3).maxLines, 4);
}

} // namespace
} // namespace vesk
