#include "VeskPlatform/Keyboard/LinuxKeyboardBacklight.h"

#include "VeskPlatform/Display/LogindBrightness.h"
#include "VeskPlatform/Display/SysfsBrightnessControl.h"
#include "VeskPlatform/Keyboard/UPowerKeyboardBacklight.h"

namespace vesk {

LinuxKeyboardBacklight::LinuxKeyboardBacklight(const QString& sysRoot)
    : m_upower(std::make_unique<UPowerKeyboardBacklight>()) {
    if (std::optional<SysfsBacklight> led = SysfsBacklight::findKeyboard(sysRoot)) {
        m_led =
            std::make_unique<SysfsBrightnessControl>(std::move(*led), std::make_shared<LogindBrightness>());
        m_ledReadable = m_led->read().has_value();
        m_led->setOnWritableChanged([this] {
            if (!usesUPower()) notifyState();
        });
    }
    m_upower->setOnLevelChanged([this](double level) { notifyLevel(level); });
    m_upower->setOnStateChanged([this] { notifyState(); });
}

LinuxKeyboardBacklight::~LinuxKeyboardBacklight() = default;

bool LinuxKeyboardBacklight::usesUPower() const {
    return m_upower->isAvailable();
}

bool LinuxKeyboardBacklight::isAvailable() const {
    return usesUPower() || m_ledReadable;
}

bool LinuxKeyboardBacklight::reportsChanges() const {
    return usesUPower();
}

std::optional<double> LinuxKeyboardBacklight::read() const {
    if (usesUPower()) return m_upower->read();
    return m_led ? m_led->read() : std::nullopt;
}

bool LinuxKeyboardBacklight::write(double level) {
    if (usesUPower()) return m_upower->write(level);
    return m_led && m_ledReadable && m_led->write(level);
}

bool LinuxKeyboardBacklight::canWrite() const {
    if (usesUPower()) return m_upower->canWrite();
    return m_led && m_ledReadable && m_led->canWrite();
}

} // namespace vesk
