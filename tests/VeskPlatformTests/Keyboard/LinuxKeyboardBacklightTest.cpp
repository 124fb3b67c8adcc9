#include "VeskPlatform/Keyboard/LinuxKeyboardBacklight.h"

#include "support/DeviceInput/DeviceMocks.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using vesk::LinuxKeyboardBacklight;
using namespace vesk::test;

namespace {

class LinuxKeyboardBacklightTest : public BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        writeSysfsDevice(dir.path(), QStringLiteral("leds"), QStringLiteral("asus::kbd_backlight"),
                         {{QStringLiteral("max_brightness"), QStringLiteral("3")},
                          {QStringLiteral("brightness"), QStringLiteral("2")}});
    }
    QString ledValue() const {
        QFile f(dir.path() + QStringLiteral("/class/leds/asus::kbd_backlight/brightness"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(LinuxKeyboardBacklightTest, WithoutUPowerTheLedIsReadAndPolled) {
    ASSERT_TRUE(buses.startTemplate(QStringLiteral("logind"), QStringLiteral("org.freedesktop.login1")));
    ASSERT_EQ(addLogindSession(buses, QStringLiteral("/org/freedesktop/login1/session/auto"), dir.path()),
              QString());
    LinuxKeyboardBacklight backlight(dir.path());
    EXPECT_TRUE(backlight.isAvailable());
    EXPECT_FALSE(backlight.reportsChanges());
    EXPECT_TRUE(backlight.canWrite());
    EXPECT_DOUBLE_EQ(*backlight.read(), 2.0 / 3);

    ASSERT_TRUE(backlight.write(2.0 / 3 - 0.0625));
    EXPECT_DOUBLE_EQ(*backlight.read(), 1.0 / 3);
    ASSERT_TRUE(processEventsUntil([&] { return ledValue() == QLatin1String("1"); }));
}

TEST_F(LinuxKeyboardBacklightTest, UPowerTakesOverFromTheLedWhenItOffersTheBacklight) {
    LinuxKeyboardBacklight backlight(dir.path());
    int stateChanges = 0;
    backlight.setOnStateChanged([&] { ++stateChanges; });
    ASSERT_TRUE(backlight.isAvailable());
    EXPECT_FALSE(backlight.reportsChanges());

    ASSERT_TRUE(startUPowerWithKeyboardBacklight(buses, 3, 0)) << qPrintable(buses.error());
    ASSERT_TRUE(processEventsUntil([&] { return backlight.reportsChanges(); }));
    EXPECT_EQ(stateChanges, 1);
    EXPECT_TRUE(backlight.isAvailable());
    EXPECT_DOUBLE_EQ(*backlight.read(), 0.0);
}

TEST_F(LinuxKeyboardBacklightTest, NeitherUPowerNorALedIsUnavailable) {
    QTemporaryDir empty;
    LinuxKeyboardBacklight backlight(empty.path());
    processEventsFor(200);
    EXPECT_FALSE(backlight.isAvailable());
    EXPECT_FALSE(backlight.canWrite());
    EXPECT_FALSE(backlight.read());
    EXPECT_FALSE(backlight.write(1.0));
}
