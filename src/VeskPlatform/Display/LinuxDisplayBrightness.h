#pragma once

#include "VeskPlatform/Display/DisplayBrightness.h"

#include <QString>

#include <memory>

namespace vesk {

class SysfsBrightnessControl;

// The panel's backlight from /sys/class/backlight, written through logind.
class LinuxDisplayBrightness final : public DisplayBrightness {
public:
    // `sysRoot` is "/sys" except in tests, which point it at a fake tree.
    explicit LinuxDisplayBrightness(const QString& sysRoot = QStringLiteral("/sys"));
    ~LinuxDisplayBrightness() override;

    bool hasDevice() const override;
    std::optional<double> read() const override;
    bool write(double level) override;
    bool canWrite() const override;

    // The chosen device's name, empty without one (for diagnostics).
    QString deviceName() const;

private:
    std::unique_ptr<SysfsBrightnessControl> m_control;
};

} // namespace vesk
