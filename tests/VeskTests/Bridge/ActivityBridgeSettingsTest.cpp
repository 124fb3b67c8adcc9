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
    h.interceptKeys();
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

// What an event presents: nothing, or one payload with these traits.
struct Expect {
    bool shown = true;
    std::optional<double> duration = std::nullopt;
    std::optional<ActivityTrailing> trailing = std::nullopt;
    bool titled = true;
};
const Expect nothing{false};
const Expect untitled{true, std::nullopt, std::nullopt, false};
Expect lasting(double seconds) {
    return {true, seconds};
}
Expect ending(ActivityTrailing trailing) {
    return {true, std::nullopt, trailing};
}

// Each activity setting with a clear meaning, read when the event comes.
TEST(ActivityBridgeSettingsTest, EachSwitchShapesOrSilencesItsActivity) {
    struct Row {
        const char* key; // none: the defaults
        QVariant value;
        Trigger trigger;
        Expect expect;
    };
    const BatteryEvent plugged = BatteryEvent::pluggedIn(0.5);
    const BatteryEvent low = BatteryEvent::lowBattery(0.1);
    const BatteryEvent lowPower = BatteryEvent::lowPowerMode(true);
    const BluetoothEvent connected = BluetoothEvent::connected(speaker());
    const BluetoothEvent btLow = BluetoothEvent::lowBattery(speaker(), 0.15);
    const QList<Row> rows{
        {"soundEnabled", false, volumeChange, nothing},
        {"soundDuration", 4.0, volumeChange, lasting(4)},
        {"soundShowPercentage", true, volumeChange, ending(ActivityTrailing::percent(0.25))},
        {"soundHideLabel", true, volumeChange, untitled},
        {"displayEnabled", false, brightnessKey, nothing},
        {"displayDuration", 3.0, brightnessKey, lasting(3)},
        {"displayShowPercentage", true, brightnessKey, ending(ActivityTrailing::percent(0.5625))},
        {"batteryEnabled", false, battery(plugged), nothing},
        {"batteryEnabled", false, battery(low), nothing},
        {"batteryDuration", 8.0, battery(plugged), lasting(8)},
        {"batteryDuration", 8.0, battery(BatteryEvent::unplugged(0.5)), lasting(8)},
        {"batteryDuration", 8.0, battery(BatteryEvent::charged()), lasting(8)},
        {"batteryDuration", 8.0, battery(low), lasting(6)},
        {"batteryDuration", 8.0, battery(lowPower), lasting(4)},
        {"batteryWarnLow", false, battery(low), nothing},
        {"batteryNotifyLowPowerMode", false, battery(lowPower), nothing},
        {"batteryHidePercentage", true, battery(plugged), ending(ActivityTrailing::none())},
        {"batteryHidePercentage", true, battery(BatteryEvent::charged()), ending(ActivityTrailing::none())},
        {"connectivityEnabled", false, bluetooth(connected), nothing},
        {"connectivityDuration", 9.0, bluetooth(connected), lasting(9)},
        {"connectivityDuration", 9.0, bluetooth(BluetoothEvent::disconnected(speaker())), lasting(4)},
        {"connectivityDuration", 9.0, bluetooth(btLow), lasting(6)},
        {"connectivityWarnLow", false, bluetooth(btLow), nothing},
        {nullptr, {}, newTrack, lasting(10)},
        {"nowPlayingEnabled", false, newTrack, nothing},
        {"nowPlayingPeekOnChange", false, newTrack, nothing},
        {"focusEnabled", false, focusOn, nothing},
        {"focusDuration", 7.0, focusOn, lasting(7)},
        {"focusHideLabel", true, focusOn, untitled},
    };
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << (row.key ? row.key : "defaults"));
        BridgeHarness h;
        h.start();
        // Changed after start: each event reads the settings afresh.
        for (const SettingDescriptor& setting : SettingsStore::catalogue()) {
            if (row.key && setting.key == QLatin1String(row.key)) {
                ASSERT_TRUE(setting.write(h.settings, row.value));
            }
        }
        row.trigger(h);
        h.run();
        const QList<ActivityPayload> shown = h.takePresented();
        ASSERT_EQ(shown.size(), row.expect.shown ? 1 : 0);
        if (!row.expect.shown) continue;
        EXPECT_EQ(shown[0].duration, row.expect.duration.value_or(shown[0].duration));
        EXPECT_EQ(shown[0].trailing, row.expect.trailing.value_or(shown[0].trailing));
        EXPECT_EQ(shown[0].title.has_value(), row.expect.titled);
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
