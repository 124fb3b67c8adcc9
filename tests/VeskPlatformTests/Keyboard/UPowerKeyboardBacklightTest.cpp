#include "VeskPlatform/Keyboard/UPowerKeyboardBacklight.h"

#include "support/DeviceInput/DeviceMocks.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <vector>

using vesk::UPowerKeyboardBacklight;
using namespace vesk::test;

namespace {

class UPowerKeyboardBacklightTest : public BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        backlight.setOnLevelChanged([this](double level) { levels.push_back(level); });
        backlight.setOnStateChanged([this] { ++stateChanges; });
    }
    // A keyboard backlight at level 1 of 3.
    QProcess* startUPower() {
        QProcess* upower = startUPowerWithKeyboardBacklight(buses, 3, 1);
        EXPECT_TRUE(upower) << qPrintable(buses.error());
        return upower;
    }

    UPowerKeyboardBacklight backlight;
    std::vector<double> levels;
    int stateChanges = 0;
};

} // namespace

TEST_F(UPowerKeyboardBacklightTest, FollowsTheDaemonComingAndGoingAndItsSignal) {
    EXPECT_TRUE(backlight.reportsChanges());
    processEventsFor(100);
    EXPECT_FALSE(backlight.isAvailable());

    QProcess* upower = startUPower();
    ASSERT_TRUE(processEventsUntil([&] { return backlight.isAvailable(); }));
    EXPECT_EQ(stateChanges, 1);
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0 / 3);

    // The firmware's own key changed it.
    DBusMockControl kbd = keyboardBacklightMock(buses);
    ASSERT_TRUE(kbd.emitSignal(QStringLiteral("org.freedesktop.UPower.KbdBacklight"),
                               QStringLiteral("BrightnessChanged"), QStringLiteral("i"), {3}))
        << qPrintable(kbd.lastError());
    ASSERT_TRUE(processEventsUntil([&] { return !levels.empty(); }));
    EXPECT_EQ(levels, std::vector<double>{1.0});
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);

    buses.stop(upower);
    ASSERT_TRUE(processEventsUntil([&] { return !backlight.isAvailable(); }));
    EXPECT_EQ(stateChanges, 2);
    EXPECT_FALSE(backlight.read());
}

TEST_F(UPowerKeyboardBacklightTest, AWriteMovesTheLevelAtOnceAndItsEchoChangesNothing) {
    startUPower();
    ASSERT_TRUE(processEventsUntil([&] { return backlight.isAvailable(); }));

    // Two quick steps up from 1 of 3: each moves one level, from the level written last.
    ASSERT_TRUE(backlight.write(1.0 / 3 + 0.0625));
    EXPECT_DOUBLE_EQ(*backlight.read(), 2.0 / 3);
    ASSERT_TRUE(backlight.write(2.0 / 3 + 0.0625));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);
    EXPECT_EQ(levels, (std::vector<double>{2.0 / 3, 1.0}));

    DBusMockControl kbd = keyboardBacklightMock(buses);
    ASSERT_TRUE(
        processEventsUntil([&] { return kbd.methodCalls(QStringLiteral("SetBrightness")).size() == 2; }));
    EXPECT_EQ(kbd.methodCalls(QStringLiteral("SetBrightness")), (QList<QVariantList>{{2}, {3}}));
    processEventsFor(200);
    EXPECT_EQ(levels, (std::vector<double>{2.0 / 3, 1.0}));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0);
}

TEST_F(UPowerKeyboardBacklightTest, NoKeyboardBacklightInUPowerIsUnavailable) {
    ASSERT_TRUE(buses.startTemplate(QStringLiteral("upower"), QStringLiteral("org.freedesktop.UPower")));
    processEventsFor(300);
    EXPECT_FALSE(backlight.isAvailable());
    EXPECT_FALSE(backlight.read());
    EXPECT_FALSE(backlight.write(0.5));
    EXPECT_EQ(stateChanges, 0);
}
