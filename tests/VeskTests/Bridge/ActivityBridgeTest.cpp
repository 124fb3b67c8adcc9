#include "BridgeHarness.h"

#include "Vesk/Bridge/ActivityPayloads.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

BrightnessState brightnessAt(double level) {
    return {level, true, BrightnessState::Source::displayServices};
}

} // namespace

// The first audio and Focus states only prime: the next change shows.
TEST(ActivityBridgeTest, TheFirstAudioAndFocusStatesPrimeWithoutAPill) {
    BridgeHarness h;
    h.start(true);
    EXPECT_TRUE(h.bridge->primed().contains(QStringLiteral("audio")));
    EXPECT_TRUE(h.bridge->primed().contains(QStringLiteral("focus")));
    EXPECT_TRUE(h.presented.isEmpty());
    EXPECT_TRUE(h.coordinator.focusActive());

    h.dnd->flip(false);
    h.run();
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("Off"));
    EXPECT_FALSE(h.coordinator.focusActive());

    h.changeOutput([](AudioHardwareDevice& d) { d.volume = 0.6; });
    shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Speakers"));
    EXPECT_EQ(shown[0].trailing, ActivityTrailing::bar(0.6));
}

TEST(ActivityBridgeTest, AFocusPillPassesItsOwnGateButFocusHoldsBackOtherKinds) {
    BridgeHarness h;
    h.start(false);
    h.bridge->focus().applyFilterIdentity(QStringLiteral("Work"), QStringLiteral("briefcase.fill"));
    h.run();
    // Focus is still off: a new name while off is announced as "Off".
    ASSERT_EQ(h.takePresented().size(), 1);
    h.coordinator.dismissCurrent();

    h.dnd->flip(true);
    h.run();
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Work"));
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("On"));
    EXPECT_EQ(shown[0].leading,
              ActivityGlyph::symbolTinted(QStringLiteral("briefcase.fill"), TintName::slate));
    EXPECT_TRUE(h.coordinator.focusActive());
    h.coordinator.dismissCurrent();

    // While Focus is on, a calendar activity is refused and a low-battery one passes.
    EXPECT_FALSE(h.coordinator.submit(
        payloads::calendar(QStringLiteral("E"), QStringLiteral("Review"), 120, h.scheduler.now())));
    h.power->setSource(FakePowerSources::battery(0.5, false));
    h.run();
    h.power->setSource(FakePowerSources::battery(0.2, false));
    h.run();
    shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].dedupeKey, QStringLiteral("battery-low"));
    h.coordinator.dismissCurrent();

    // A new mode name while Focus stays on meets the closed gate.
    h.bridge->focus().applyFilterIdentity(QStringLiteral("Gym"), std::nullopt);
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());

    h.dnd->flip(false);
    h.run();
    shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("Off"));
    EXPECT_FALSE(h.coordinator.focusActive());
}

TEST(ActivityBridgeTest, BrightnessChangesShowOnlyWithinTheKeyWindow) {
    BridgeHarness h;
    h.start();
    h.interceptKeys();
    // Changes made by other means give nothing.
    h.bridge->brightness().states().yield(brightnessAt(0.4));
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());

    h.display->writesLand = false;
    EXPECT_TRUE(h.bridge->handleMediaKey(keyDown(MediaKey::brightnessUp)));
    h.run(1.1);
    h.bridge->brightness().states().yield(brightnessAt(0.3));
    h.run();
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].trailing, ActivityTrailing::bar(0.3));
    EXPECT_EQ(shown[0].leading, ActivityGlyph::symbol(QStringLiteral("sun.min.fill")));

    h.run(0.2); // 1.3 s after the key
    h.bridge->brightness().states().yield(brightnessAt(0.35));
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());

    // The backlight follows its own key family.
    h.bridge->keyboardBacklight().levels().yield(0.5);
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());
    // The key's own change is reported at once; another within the window still counts.
    EXPECT_TRUE(h.bridge->handleMediaKey(keyDown(MediaKey::illuminationDown)));
    h.run();
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("kbBacklight")});
    h.run(1.1);
    h.bridge->keyboardBacklight().levels().yield(0.25);
    h.run();
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("kbBacklight")});
    h.run(0.2);
    h.bridge->keyboardBacklight().levels().yield(0.3);
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());
}

TEST(ActivityBridgeTest, ABrightnessKeyShowsTheLevelItSet) {
    BridgeHarness::enableTracing();
    BridgeHarness h;
    h.start();
    h.interceptKeys();
    EXPECT_TRUE(h.bridge->handleMediaKey(keyDown(MediaKey::brightnessUp)));
    EXPECT_EQ(h.display->writes, std::vector<double>{0.5625});
    h.run(0.2); // the poll finds the new level
    const QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].trailing, ActivityTrailing::bar(0.5625));
    EXPECT_EQ(shown[0].leading, ActivityGlyph::symbol(QStringLiteral("sun.max.fill")));
    EXPECT_TRUE(BridgeHarness::traced(QStringLiteral("media key brightnessUp down=true fine=false")));
    EXPECT_TRUE(BridgeHarness::traced(QStringLiteral("brightness event level=0.5625")));
    EXPECT_TRUE(
        BridgeHarness::traced(QStringLiteral("brightness source = displayServices, kbBacklight = true")));
}

TEST(ActivityBridgeTest, UnlockingWelcomesBackAndTheLockSoundsFollowTheSettings) {
    BridgeHarness h;
    h.start();
    h.session->setLocked(true);
    h.session->setLocked(false);
    h.run();
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("unlocked")});
    EXPECT_TRUE(h.sounds->played.isEmpty()) << "lock sounds are off by default";

    h.settings.setLockSoundsEnabled(true);
    h.settings.setShowLockActivity(false);
    h.session->setLocked(true);
    h.session->setLocked(false);
    h.run();
    EXPECT_EQ(h.sounds->played, (QStringList{QStringLiteral("Tink"), QStringLiteral("Pop")}));
    EXPECT_TRUE(h.presented.isEmpty());
}

TEST(ActivityBridgeTest, KeepAwakeAnnouncesEachToggle) {
    BridgeHarness h;
    h.start();
    h.settings.setKeepAwakeDuration(KeepAwakeDurationSetting::thirtyMinutes);
    h.bridge->toggleKeepAwake();
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Staying awake"));
    const QString until =
        QLocale().toString((h.scheduler.now() + 1800).toDateTime().toLocalTime(), QStringLiteral("HH:mm"));
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("Until ") + until);
    EXPECT_TRUE(h.assertion->held);

    h.bridge->toggleKeepAwake();
    shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, QStringLiteral("Sleep allowed"));
    EXPECT_FALSE(h.assertion->held);
}

TEST(ActivityBridgeTest, BluetoothStartsThreeSecondsAfterStart) {
    BridgeHarness::enableTracing();
    BridgeHarness h;
    h.start();
    h.run(2.9);
    EXPECT_FALSE(h.bridge->bluetooth().isStarted());
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::needsPermission);
    h.run(0.1);
    EXPECT_TRUE(h.bridge->bluetooth().isStarted());
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::started);
    EXPECT_TRUE(BridgeHarness::traced(QStringLiteral("bluetooth start → started")));

    // Its events become connectivity activities; a disconnect replaces a pending connect.
    h.devices->setDevices({FakeBluetoothDevices::device(QStringLiteral("11:22:33:44:55:66"),
                                                        QStringLiteral("Desk Speaker"), false, 80)});
    h.devices->connectDevice(QStringLiteral("11:22:33:44:55:66"));
    h.run(1.5);
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("Connected"));
    EXPECT_EQ(shown[0].trailing, ActivityTrailing::percent(0.8));
    h.devices->disconnectDevice(QStringLiteral("11:22:33:44:55:66"));
    h.run();
    shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].subtitle, QStringLiteral("Disconnected"));
    EXPECT_EQ(h.coordinator.current()->subtitle, QStringLiteral("Disconnected"));
}

TEST(ActivityBridgeTest, ABluetoothDaemonThatAppearsLaterIsAdopted) {
    BridgeHarness::enableTracing();
    BridgeHarness h;
    h.start();
    h.devices->setReachability(BluetoothDevices::Reachability::unreachable);
    h.run(3);
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::denied);
    EXPECT_TRUE(
        BridgeHarness::traced(QStringLiteral("bluetooth start → unavailable (no Bluetooth service)")));
    h.devices->setReachability(BluetoothDevices::Reachability::reachable);
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::started);
    EXPECT_TRUE(h.bridge->bluetooth().isStarted());
    EXPECT_TRUE(BridgeHarness::traced(QStringLiteral("bluetooth start → started (daemon appeared)")));
}

TEST(ActivityBridgeTest, NoBluetoothWithTheHookOrWithActivitiesOff) {
    BridgeHarness::enableTracing();
    {
        qputenv("VESK_NO_BT", "");
        BridgeHarness h;
        h.start();
        h.run(10);
        EXPECT_FALSE(h.bridge->bluetooth().isStarted());
        EXPECT_TRUE(BridgeHarness::traced(QStringLiteral("bluetooth start skipped (VESK_NO_BT)")));
        qunsetenv("VESK_NO_BT");
    }
    QFile::remove(TraceLog::filePath());
    BridgeHarness h;
    h.settings.setActivitiesEnabled(false);
    h.start();
    h.run(10);
    EXPECT_FALSE(h.bridge->bluetooth().isStarted());
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::needsPermission);
    for (const QString& line : BridgeHarness::traceLines())
        EXPECT_FALSE(line.contains(QStringLiteral("bluetooth"))) << line.toStdString();
}

TEST(ActivityBridgeTest, AGrantedPermissionStartsBluetooth) {
    BridgeHarness h;
    h.bridge->requestBluetoothPermission();
    h.devices->answerProbes(false);
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::needsPermission);
    h.bridge->requestBluetoothPermission();
    h.devices->answerProbes(true);
    EXPECT_EQ(h.bridge->bluetoothStatus(), BluetoothStartResult::started);
    EXPECT_TRUE(h.bridge->bluetooth().isStarted());
}

TEST(ActivityBridgeTest, LowThresholdsFollowTheSettings) {
    BridgeHarness h;
    h.settings.setBatteryLowThreshold(30);
    h.settings.setConnectivityLowThreshold(10);
    h.start();
    EXPECT_DOUBLE_EQ(h.bridge->battery().lowBatteryThreshold(), 0.3);
    EXPECT_DOUBLE_EQ(h.bridge->bluetooth().lowBatteryThreshold(), 0.1);
    h.settings.setBatteryLowThreshold(15);
    h.settings.setConnectivityLowThreshold(45);
    EXPECT_DOUBLE_EQ(h.bridge->battery().lowBatteryThreshold(), 0.15);
    EXPECT_DOUBLE_EQ(h.bridge->bluetooth().lowBatteryThreshold(), 0.45);
}

TEST(ActivityBridgeTest, StopCancelsEveryTaskAndLeavesThePollsAndTheTapRunning) {
    BridgeHarness h;
    h.start();
    EXPECT_GT(h.bridge->taskCount(), 0);
    h.bridge->toggleKeepAwake();
    h.takePresented();
    h.coordinator.dismissCurrent();

    h.bridge->stop();
    EXPECT_EQ(h.bridge->taskCount(), 0);
    EXPECT_FALSE(h.assertion->held) << "keep-awake ends";
    EXPECT_FALSE(h.bridge->idle().isKeepingAwake());
    EXPECT_FALSE(h.dnd->following);
    EXPECT_FALSE(h.media->running);

    // Nothing reaches the coordinator any more, from any stream or from the delayed start.
    h.bridge->focus().states().yield(FocusModeState{true, std::nullopt, QStringLiteral("moon.fill")});
    h.bridge->battery().events().yield(BatteryEvent::lowBattery(0.1));
    h.bridge->bluetooth().events().yield(BluetoothEvent::disconnected(BluetoothDevice{}));
    h.bridge->handleMediaKey(keyDown(MediaKey::brightnessUp));
    h.bridge->brightness().states().yield(brightnessAt(0.9));
    h.bridge->keyboardBacklight().levels().yield(0.9);
    h.session->setLocked(false);
    NowPlayingState late;
    late.isPlaying = true;
    late.title = QStringLiteral("Late");
    h.media->publish(late);
    AudioState quieter;
    quieter.volume = 0.2;
    h.bridge->audio().states().yield(quieter);
    h.changeOutput([](AudioHardwareDevice& d) { d.volume = 0.9; });
    h.run(5);
    EXPECT_TRUE(h.presented.isEmpty());
    EXPECT_FALSE(h.coordinator.current());
    EXPECT_FALSE(h.bridge->bluetooth().isStarted());

    // The brightness poll and the key tap go on.
    EXPECT_TRUE(isRunning(h.bridge->eventTap().status()));
    EXPECT_TRUE(h.tap->created);
    h.display->level = 0.1;
    h.run(0.2);
    EXPECT_GT(h.bridge->brightness().states().pendingCount(), 0);
}

// The program's own services, on a machine without a sound server, session buses,
// backlights or the media adapter beside the test: each takes its unavailable path. The
// process's bus connections bind to the first address they see: a process of its own.
TEST(ActivityBridgeTest, TheMachinesOwnServicesStartAndStopWithoutTheirFacilities) {
    if (!test::runsInOwnProcess()) return;
    BridgeHarness::enableTracing();
    qputenv("PULSE_SERVER", "unix:/nonexistent/vesk/pulse/native");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vesk/bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vesk/system-bus");
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    ActivityCoordinator coordinator(std::make_shared<SystemClock>());
    QList<ActivityPayload> presented;
    {
        ActivityBridge bridge(coordinator, settings, [&](const ActivityPayload& p) { presented << p; });
        EXPECT_EQ(bridge.media(), nullptr) << "no adapter beside the test program";
        bridge.start();
        EXPECT_FALSE(bridge.handleMediaKey(keyDown(MediaKey::soundUp))) << "no output device";
        bridge.stop();
        EXPECT_EQ(bridge.taskCount(), 0);
    }
    EXPECT_TRUE(presented.isEmpty());
    EXPECT_FALSE(BridgeHarness::traceLines().filter(u"  brightness source = "_qs).isEmpty());
}
