#include "VeskPlatform/Display/SysfsBacklight.h"

#include "support/DeviceInput/DeviceMocks.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using vesk::SysfsBacklight;
using vesk::test::writeSysfsDevice;
using vesk::test::writeSysfsFile;

namespace {

class SysfsBacklightTest : public ::testing::Test {
protected:
    void addBacklight(const QString& name, const QString& type, int max, int actual, int brightness) {
        writeSysfsDevice(root(), QStringLiteral("backlight"), name,
                         {{QStringLiteral("type"), type},
                          {QStringLiteral("max_brightness"), QString::number(max)},
                          {QStringLiteral("actual_brightness"), QString::number(actual)},
                          {QStringLiteral("brightness"), QString::number(brightness)}});
    }
    QString root() const { return m_dir.path(); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SysfsBacklightTest, PrefersFirmwareThenPlatformThenRaw) {
    addBacklight(QStringLiteral("a_raw"), QStringLiteral("raw"), 255, 10, 10);
    addBacklight(QStringLiteral("b_platform"), QStringLiteral("platform"), 15, 3, 3);
    EXPECT_EQ(SysfsBacklight::findDisplay(root())->name, QStringLiteral("b_platform"));

    addBacklight(QStringLiteral("c_firmware"), QStringLiteral("firmware"), 100, 40, 40);
    const std::optional<SysfsBacklight> chosen = SysfsBacklight::findDisplay(root());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->name, QStringLiteral("c_firmware"));
    EXPECT_EQ(chosen->subsystem, QStringLiteral("backlight"));
    EXPECT_EQ(chosen->maxRaw, 100);
    EXPECT_EQ(chosen->readRaw(), 40);
}

// actual_brightness is read unless it cannot be right: amdgpu reports it in another
// scale, and some drivers leave it above the maximum.
TEST_F(SysfsBacklightTest, ReadsActualBrightnessUnlessTheDriverFillsItWrongly) {
    const struct {
        const char* name;
        int max, actual, brightness, expected;
    } cases[] = {{"intel_backlight", 1000, 300, 500, 300},
                 {"amdgpu_bl0", 255, 40000, 128, 128},
                 {"odd", 10, 99, 7, 7}};
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        addBacklight(name, QStringLiteral("raw"), c.max, c.actual, c.brightness);
        EXPECT_EQ(SysfsBacklight::findDisplay(root())->readRaw(), c.expected) << c.name;
        QDir(root() + QStringLiteral("/class/backlight/") + name).removeRecursively();
    }
}

TEST_F(SysfsBacklightTest, NoUsableBacklightIsNone) {
    EXPECT_FALSE(SysfsBacklight::findDisplay(root()));
    EXPECT_FALSE(SysfsBacklight::findDisplay(root() + QStringLiteral("/missing")));
    addBacklight(QStringLiteral("zero"), QStringLiteral("firmware"), 0, 0, 0);
    writeSysfsDevice(root(), QStringLiteral("backlight"), QStringLiteral("garbled"),
                     {{QStringLiteral("max_brightness"), QStringLiteral("lots")}});
    EXPECT_FALSE(SysfsBacklight::findDisplay(root()));
}

TEST_F(SysfsBacklightTest, AVanishedOrGarbledDeviceReadsAsNone) {
    addBacklight(QStringLiteral("acpi_video0"), QStringLiteral("firmware"), 15, 8, 8);
    const std::optional<SysfsBacklight> device = SysfsBacklight::findDisplay(root());
    ASSERT_TRUE(device);
    writeSysfsFile(root(), QStringLiteral("backlight"), QStringLiteral("acpi_video0"),
                   QStringLiteral("actual_brightness"), QStringLiteral("x"));
    EXPECT_FALSE(device->readRaw());
    QDir(device->path).removeRecursively();
    EXPECT_FALSE(device->readRaw());
}

TEST_F(SysfsBacklightTest, FindsTheKeyboardBacklightLed) {
    writeSysfsDevice(root(), QStringLiteral("leds"), QStringLiteral("input3::capslock"),
                     {{QStringLiteral("max_brightness"), QStringLiteral("1")},
                      {QStringLiteral("brightness"), QStringLiteral("0")}});
    EXPECT_FALSE(SysfsBacklight::findKeyboard(root()));
    writeSysfsDevice(root(), QStringLiteral("leds"), QStringLiteral("tpacpi::kbd_backlight"),
                     {{QStringLiteral("max_brightness"), QStringLiteral("2")},
                      {QStringLiteral("brightness"), QStringLiteral("1")}});
    const std::optional<SysfsBacklight> led = SysfsBacklight::findKeyboard(root());
    ASSERT_TRUE(led);
    EXPECT_EQ(led->subsystem, QStringLiteral("leds"));
    EXPECT_EQ(led->name, QStringLiteral("tpacpi::kbd_backlight"));
    EXPECT_EQ(led->maxRaw, 2);
    EXPECT_EQ(led->readRaw(), 1);
}
