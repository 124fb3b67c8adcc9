#include "VeskPlatform/Keyboard/UPowerKeyboardBacklight.h"

#include "support/DBusFixture.h"
#include "support/DeviceInput/DeviceMocks.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <vector>

using vesk::UPowerKeyboardBacklight;
using namespace vesk::test;

namespace {

class UPowerKeyboardBacklightTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(buses.ok()) << qPrintable(buses.error()); }

    void startUPower(bool withBacklight = true) {
        upower = withBacklight ? startUPowerWithKeyboardBacklight(buses, scratch.path(), 3, 1)
                               : buses.startTemplate(QStringLiteral("upower"),
                                                     QStringLiteral("org.freedesktop.UPower"));
        ASSERT_TRUE(upower) << qPrintable(buses.error());
    }

    // Records what the backend announces.
    void watch(UPowerKeyboardBacklight& backlight) {
        backlight.setOnLevelChanged([this](double level) { levels.push_back(level); });
        backlight.setOnStateChanged([this] { ++stateChanges; });
    }

    PrivateBuses buses;
    QTemporaryDir scratch;
    QProcess* upower = nullptr;
    std::vector<double> levels;
    int stateChanges = 0;
};

} // namespace

TEST_F(UPowerKeyboardBacklightTest, FindsTheBacklightAndFollowsItsSignal) {
    startUPower();
    UPowerKeyboardBacklight backlight;
    watch(backlight);
    EXPECT_TRUE(backlight.reportsChanges());
    ASSERT_TRUE(processEventsUntil([&] { return backlight.isAvailable(); }));
    EXPECT_EQ(stateChanges, 1);
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0 / 3);

    // The firmware's own key changed it.
    ASSERT_EQ(emitKeyboardBrightnessChanged(buses, 3), QString());
    ASSERT_TRUE(processEventsUntil([&] { return !levels.empty(); }));
    EXPECT_EQ(levels, std::vector<double>{1.0});
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);
}

TEST_F(UPowerKeyboardBacklightTest, AWriteMovesTheLevelAtOnceAndItsEchoChangesNothing) {
    startUPower();
    UPowerKeyboardBacklight backlight;
    ASSERT_TRUE(processEventsUntil([&] { return backlight.isAvailable(); }));
    watch(backlight);

    // Two quick steps up from 1 of 3: each moves one level, from the level written last.
    ASSERT_TRUE(backlight.write(1.0 / 3 + 0.0625));
    EXPECT_DOUBLE_EQ(*backlight.read(), 2.0 / 3);
    ASSERT_TRUE(backlight.write(2.0 / 3 + 0.0625));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);
    EXPECT_EQ(levels, (std::vector<double>{2.0 / 3, 1.0}));

    ASSERT_TRUE(processEventsUntil([&] { return keyboardBrightnessWrites(buses).size() == 2; }));
    EXPECT_EQ(keyboardBrightnessWrites(buses), (QList<int>{2, 3}));
    processEventsFor(200);
    EXPECT_EQ(levels, (std::vector<double>{2.0 / 3, 1.0}));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);
}

TEST_F(UPowerKeyboardBacklightTest, NoKeyboardBacklightInUPowerIsUnavailable) {
    startUPower(false);
    UPowerKeyboardBacklight backlight;
    watch(backlight);
    processEventsFor(300);
    EXPECT_FALSE(backlight.isAvailable());
    EXPECT_FALSE(backlight.read());
    EXPECT_FALSE(backlight.write(0.5));
    EXPECT_EQ(stateChanges, 0);
}

TEST_F(UPowerKeyboardBacklightTest, FollowsTheDaemonComingAndGoing) {
    UPowerKeyboardBacklight backlight;
    watch(backlight);
    processEventsFor(100);
    EXPECT_FALSE(backlight.isAvailable());

    startUPower();
    ASSERT_TRUE(processEventsUntil([&] { return backlight.isAvailable(); }));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0 / 3);

    buses.stop(upower);
    ASSERT_TRUE(processEventsUntil([&] { return !backlight.isAvailable(); }));
    EXPECT_EQ(stateChanges, 2);
    EXPECT_FALSE(backlight.read());
}
