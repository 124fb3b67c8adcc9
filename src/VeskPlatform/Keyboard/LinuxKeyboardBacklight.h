#pragma once

#include "VeskPlatform/Keyboard/KeyboardBacklight.h"

#include <QString>

#include <memory>

namespace vesk {

class SysfsBrightnessControl;
class UPowerKeyboardBacklight;

// UPower's keyboard backlight when the daemon offers one; otherwise the first
// /sys/class/leds/*kbd_backlight* LED, read directly (its changes must be polled) and
// written through logind. Unavailable when neither exists. Main thread.
class LinuxKeyboardBacklight final : public KeyboardBacklight {
public:
    // `sysRoot` is "/sys" except in tests, which point it at a fake tree.
    explicit LinuxKeyboardBacklight(const QString& sysRoot = QStringLiteral("/sys"));
    ~LinuxKeyboardBacklight() override;

    bool isAvailable() const override;
    bool reportsChanges() const override;
    std::optional<double> read() const override;
    bool write(double level) override;
    bool canWrite() const override;

private:
    bool usesUPower() const;

    std::unique_ptr<UPowerKeyboardBacklight> m_upower;
    std::unique_ptr<SysfsBrightnessControl> m_led;
    bool m_ledReadable = false;
};

} // namespace vesk
