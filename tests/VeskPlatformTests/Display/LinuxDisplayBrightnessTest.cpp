#include "VeskPlatform/Display/LinuxDisplayBrightness.h"
#include "VeskKit/Foundation/StepLevel.h"

#include "support/DeviceInput/DeviceMocks.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using vesk::LinuxDisplayBrightness;
using namespace vesk::test;

namespace {

// A fake sysfs tree with a 15-level panel at level 8, and a fake logind on a private
// system bus.
class LinuxDisplayBrightnessTest : public BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        ASSERT_TRUE(buses.startTemplate(QStringLiteral("logind"), QStringLiteral("org.freedesktop.login1")))
            << qPrintable(buses.error());
        writeSysfsDevice(root(), QStringLiteral("backlight"), QStringLiteral("acpi_video0"),
                         {{QStringLiteral("type"), QStringLiteral("firmware")},
                          {QStringLiteral("max_brightness"), QStringLiteral("15")},
                          {QStringLiteral("actual_brightness"), QStringLiteral("8")},
                          {QStringLiteral("brightness"), QStringLiteral("8")}});
    }
    QString root() const { return dir.path(); }
    QString file(const QString& name) const {
        QFile f(root() + u'/' + name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    }
    QString actual() const { return file(QStringLiteral("class/backlight/acpi_video0/actual_brightness")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(LinuxDisplayBrightnessTest, ReadsTheDeviceWritesThroughTheAutoSessionAndReportsTheWriteAtOnce) {
    ASSERT_EQ(addLogindSession(buses, QStringLiteral("/org/freedesktop/login1/session/auto"), root(),
                               /*held=*/true),
              QString());
    LinuxDisplayBrightness display(root());
    EXPECT_TRUE(display.hasDevice());
    EXPECT_EQ(display.deviceName(), QStringLiteral("acpi_video0"));
    EXPECT_DOUBLE_EQ(*display.read(), 8.0 / 15);

    ASSERT_TRUE(display.write(8.0 / 15 + 0.0625));
    // logind has not written yet, but the next key press must step on from the new level.
    EXPECT_EQ(actual(), QStringLiteral("8"));
    EXPECT_DOUBLE_EQ(*display.read(), 9.0 / 15);
    ASSERT_TRUE(display.write(9.0 / 15 + 0.0625));
    EXPECT_DOUBLE_EQ(*display.read(), 10.0 / 15);

    QFile release(root() + QStringLiteral("/release"));
    ASSERT_TRUE(release.open(QIODevice::WriteOnly));
    release.close();
    // logind writes the device, then the mock notes the session path it came through.
    ASSERT_TRUE(processEventsUntil([&] { return !file(QStringLiteral("last-session")).isEmpty(); }));
    EXPECT_EQ(file(QStringLiteral("last-session")), QStringLiteral("auto"));
    ASSERT_TRUE(processEventsUntil([&] { return actual() == QLatin1String("10"); }));
    // Both answers in: the device is read again.
    ASSERT_TRUE(processEventsUntil([&] {
        writeSysfsFile(root(), QStringLiteral("backlight"), QStringLiteral("acpi_video0"),
                       QStringLiteral("actual_brightness"), QStringLiteral("4"));
        return display.read() == 4.0 / 15;
    }));
    EXPECT_TRUE(display.canWrite());
}

TEST_F(LinuxDisplayBrightnessTest, FallsBackToTheSelfSessionWhereAutoIsUnknown) {
    ASSERT_EQ(addLogindSession(buses, QStringLiteral("/org/freedesktop/login1/session/self"), root()),
              QString());
    LinuxDisplayBrightness display(root());
    ASSERT_TRUE(display.write(0.0));
    ASSERT_TRUE(processEventsUntil([&] { return !file(QStringLiteral("last-session")).isEmpty(); }));
    EXPECT_EQ(file(QStringLiteral("last-session")), QStringLiteral("self"));
    EXPECT_EQ(actual(), QStringLiteral("0"));
    EXPECT_TRUE(display.canWrite());
}

TEST_F(LinuxDisplayBrightnessTest, ALogindWithoutSetBrightnessTurnsWritesOff) {
    LinuxDisplayBrightness display(root());
    int announced = 0;
    display.setOnWritableChanged([&] { ++announced; });
    ASSERT_TRUE(display.write(1.0));
    ASSERT_TRUE(processEventsUntil([&] { return !display.canWrite(); }));
    EXPECT_EQ(announced, 1);
    EXPECT_FALSE(display.write(1.0));
    // The refused write is not reported as the level.
    EXPECT_DOUBLE_EQ(*display.read(), 8.0 / 15);
}

// A panel of 255 steps keeps a whole percentage p as the step nearest p of full.
TEST_F(LinuxDisplayBrightnessTest, WholePercentagesOfManyStepsReadAsSet) {
    writeSysfsFile(root(), QStringLiteral("backlight"), QStringLiteral("acpi_video0"),
                   QStringLiteral("max_brightness"), QStringLiteral("255"));
    LinuxDisplayBrightness display(root());
    for (int p = 0; p <= 100; ++p) {
        writeSysfsFile(root(), QStringLiteral("backlight"), QStringLiteral("acpi_video0"),
                       QStringLiteral("actual_brightness"), QString::number((p * 255 + 50) / 100));
        EXPECT_EQ(vesk::percentValue(display.read().value_or(-1)), p) << p;
    }
}

TEST_F(LinuxDisplayBrightnessTest, NoBacklightMeansNoDevice) {
    QTemporaryDir empty;
    LinuxDisplayBrightness display(empty.path());
    EXPECT_FALSE(display.hasDevice());
    EXPECT_FALSE(display.canWrite());
    EXPECT_FALSE(display.read());
    EXPECT_FALSE(display.write(0.5));
}
