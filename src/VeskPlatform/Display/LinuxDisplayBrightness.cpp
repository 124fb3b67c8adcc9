#include "VeskPlatform/Display/LinuxDisplayBrightness.h"

#include "VeskPlatform/Display/LogindBrightness.h"
#include "VeskPlatform/Display/SysfsBrightnessControl.h"

namespace vesk {

LinuxDisplayBrightness::LinuxDisplayBrightness(const QString& sysRoot) {
    if (std::optional<SysfsBacklight> device = SysfsBacklight::findDisplay(sysRoot)) {
        m_control = std::make_unique<SysfsBrightnessControl>(std::move(*device),
                                                             std::make_shared<LogindBrightness>());
        m_control->setOnWritableChanged([this] { notifyWritableChanged(); });
    }
}

LinuxDisplayBrightness::~LinuxDisplayBrightness() = default;

bool LinuxDisplayBrightness::hasDevice() const {
    return m_control != nullptr;
}

std::optional<double> LinuxDisplayBrightness::read() const {
    return m_control ? m_control->read() : std::nullopt;
}

bool LinuxDisplayBrightness::write(double level) {
    return m_control && m_control->write(level);
}

bool LinuxDisplayBrightness::canWrite() const {
    return m_control && m_control->canWrite();
}

QString LinuxDisplayBrightness::deviceName() const {
    return m_control ? m_control->device().name : QString();
}

} // namespace vesk
