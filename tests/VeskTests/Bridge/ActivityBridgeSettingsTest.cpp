#include "BridgeHarness.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

BluetoothDevice speaker() {
    BluetoothDevice device;
    device.address = QStringLiteral("11:22:33:44:55:66");
    device.name = QStringLiteral("Desk Speaker");
    device.batteryPercent = 0.15;
    return device;
}

using Trigger = std::function<void(BridgeHarness&)>;

const Trigger brightnessKey = [](BridgeHarness& h) {
    h.bridge->handleMediaKey(keyDown(MediaKey::brightnessUp));
    h.run(0.2);
};
Trigger battery(BatteryEvent event) {
    return [event](BridgeHarness& h) { h.bridge->battery().events().yield(event); };
}
Trigger bluetooth(BluetoothEvent event) {
    return [event](BridgeHarness& h) { h.bridge->bluetooth().events().yield(event); };
}
const Trigger volumeChange = [](BridgeHarness& h) {
    h.changeOutput([](AudioHardwareDevice& d) { d.volume = 0.25; });
};
// A first item primes; the second is new.
const Trigger newTrack = [](BridgeHarness& h) {
    for (const char* title : {"First", "Second"}) {
        NowPlayingState state;
        state.isPlaying = true;
        state.title = QString::fromLatin1(title);
        h.media->publish(state);
        h.run();
    }
};
const Trigger focusOn = [](BridgeHarness& h) { h.dnd->flip(true); };

} // namespace

// Each activity setting with a clear meaning, read when the event comes.
TEST(ActivityBridgeSettingsTest, EachSwitchShapesOrSilencesItsActivity) {
    struct Row {
        const char* name;
        std::function<void(SettingsStore&)> set;
        Trigger trigger;
        // What was presented: nothing, or one payload checked here.
        std::function<void(const std::optional<ActivityPayload>&)> expect;
    };
    const auto none = [](const std::optional<ActivityPayload>& p) { EXPECT_FALSE(p); };
    const auto duration = [](double seconds) {
        return [seconds](const std::optional<ActivityPayload>& p) {
            ASSERT_TRUE(p);
            EXPECT_EQ(p->duration, seconds);
        };
    };
    const auto trailing = [](ActivityTrailing expected) {
        return [expected](const std::optional<ActivityPayload>& p) {
            ASSERT_TRUE(p);
            EXPECT_EQ(p->trailing, expected);
        };
    };
    const auto noTitle = [](const std::optional<ActivityPayload>& p) {
        ASSERT_TRUE(p);
        EXPECT_FALSE(p->title);
    };
    const BatteryEvent plugged = BatteryEvent::pluggedIn(0.5);

    const QList<Row> rows{
        {"soundEnabled off", [](SettingsStore& s) { s.setSoundEnabled(false); }, volumeChange, none},
        {"soundDuration", [](SettingsStore& s) { s.setSoundDuration(4); }, volumeChange, duration(4)},
        {"soundShowPercentage", [](SettingsStore& s) { s.setSoundShowPercentage(true); }, volumeChange,
         trailing(ActivityTrailing::percent(0.25))},
        {"soundHideLabel", [](SettingsStore& s) { s.setSoundHideLabel(true); }, volumeChange, noTitle},
        {"displayEnabled off", [](SettingsStore& s) { s.setDisplayEnabled(false); }, brightnessKey, none},
        {"displayDuration", [](SettingsStore& s) { s.setDisplayDuration(3); }, brightnessKey, duration(3)},
        {"displayShowPercentage", [](SettingsStore& s) { s.setDisplayShowPercentage(true); }, brightnessKey,
         trailing(ActivityTrailing::percent(0.5625))},
        {"batteryEnabled off, plugged in", [](SettingsStore& s) { s.setBatteryEnabled(false); },
         battery(plugged), none},
        {"batteryEnabled off, low", [](SettingsStore& s) { s.setBatteryEnabled(false); },
         battery(BatteryEvent::lowBattery(0.1)), none},
        {"batteryDuration, plugged in", [](SettingsStore& s) { s.setBatteryDuration(8); }, battery(plugged),
         duration(8)},
        {"batteryDuration, unplugged", [](SettingsStore& s) { s.setBatteryDuration(8); },
         battery(BatteryEvent::unplugged(0.5)), duration(8)},
        {"batteryDuration, charged", [](SettingsStore& s) { s.setBatteryDuration(8); },
         battery(BatteryEvent::charged()), duration(8)},
        {"batteryDuration, low keeps 6", [](SettingsStore& s) { s.setBatteryDuration(8); },
         battery(BatteryEvent::lowBattery(0.1)), duration(6)},
        {"batteryDuration, low power keeps 4", [](SettingsStore& s) { s.setBatteryDuration(8); },
         battery(BatteryEvent::lowPowerMode(true)), duration(4)},
        {"batteryWarnLow off", [](SettingsStore& s) { s.setBatteryWarnLow(false); },
         battery(BatteryEvent::lowBattery(0.1)), none},
        {"batteryNotifyLowPowerMode off", [](SettingsStore& s) { s.setBatteryNotifyLowPowerMode(false); },
         battery(BatteryEvent::lowPowerMode(true)), none},
        {"batteryHidePercentage", [](SettingsStore& s) { s.setBatteryHidePercentage(true); },
         battery(plugged), trailing(ActivityTrailing::none())},
        {"batteryHidePercentage, charged", [](SettingsStore& s) { s.setBatteryHidePercentage(true); },
         battery(BatteryEvent::charged()), trailing(ActivityTrailing::none())},
        {"connectivityEnabled off", [](SettingsStore& s) { s.setConnectivityEnabled(false); },
         bluetooth(BluetoothEvent::connected(speaker())), none},
        {"connectivityDuration, connected", [](SettingsStore& s) { s.setConnectivityDuration(9); },
         bluetooth(BluetoothEvent::connected(speaker())), duration(9)},
        {"connectivityDuration, disconnected keeps 4", [](SettingsStore& s) { s.setConnectivityDuration(9); },
         bluetooth(BluetoothEvent::disconnected(speaker())), duration(4)},
        {"connectivityDuration, low keeps 6", [](SettingsStore& s) { s.setConnectivityDuration(9); },
         bluetooth(BluetoothEvent::lowBattery(speaker(), 0.15)), duration(6)},
        {"connectivityWarnLow off", [](SettingsStore& s) { s.setConnectivityWarnLow(false); },
         bluetooth(BluetoothEvent::lowBattery(speaker(), 0.15)), none},
        {"nowPlayingEnabled", [](SettingsStore&) {}, newTrack, duration(10)},
        {"nowPlayingEnabled off", [](SettingsStore& s) { s.setNowPlayingEnabled(false); }, newTrack, none},
        {"nowPlayingPeekOnChange off", [](SettingsStore& s) { s.setNowPlayingPeekOnChange(false); }, newTrack,
         none},
        {"focusEnabled off", [](SettingsStore& s) { s.setFocusEnabled(false); }, focusOn, none},
        {"focusDuration", [](SettingsStore& s) { s.setFocusDuration(7); }, focusOn, duration(7)},
        {"focusHideLabel", [](SettingsStore& s) { s.setFocusHideLabel(true); }, focusOn, noTitle},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BridgeHarness h;
        h.start();
        // Changed after start: each event reads the settings afresh.
        row.set(h.settings);
        row.trigger(h);
        h.run();
        const QList<ActivityPayload> shown = h.takePresented();
        ASSERT_LE(shown.size(), 1);
        row.expect(shown.isEmpty() ? std::nullopt : std::optional<ActivityPayload>(shown[0]));
    }
}

TEST(ActivityBridgeSettingsTest, FocusOffStillMovesTheGate) {
    BridgeHarness h;
    h.start();
    h.settings.setFocusEnabled(false);
    h.dnd->flip(true);
    h.run();
    EXPECT_TRUE(h.presented.isEmpty());
    EXPECT_TRUE(h.coordinator.focusActive());
    h.dnd->flip(false);
    h.run();
    EXPECT_FALSE(h.coordinator.focusActive());
}
