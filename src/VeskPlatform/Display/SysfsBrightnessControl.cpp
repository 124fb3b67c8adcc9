#include "VeskPlatform/Display/SysfsBrightnessControl.h"

#include "VeskKit/Foundation/StepLevel.h"
#include "VeskPlatform/Display/BacklightLevels.h"
#include "VeskPlatform/Display/LogindBrightness.h"

#include <atomic>
#include <mutex>

namespace vesk {

struct SysfsBrightnessControl::State {
    std::mutex mutex;
    std::optional<int> pendingRaw; // under mutex
    int inFlight = 0;              // under mutex
    std::atomic<bool> canWrite{true};
    std::function<void()> onWritableChanged;
};

SysfsBrightnessControl::SysfsBrightnessControl(SysfsBacklight device,
                                               std::shared_ptr<LogindBrightness> writer)
    : m_device(std::move(device)), m_writer(std::move(writer)), m_state(std::make_shared<State>()) {}

SysfsBrightnessControl::~SysfsBrightnessControl() = default;

std::optional<double> SysfsBrightnessControl::read() const {
    std::optional<int> raw;
    {
        std::lock_guard lock(m_state->mutex);
        raw = m_state->pendingRaw;
    }
    if (!raw) raw = m_device.readRaw();
    if (!raw) return std::nullopt;
    return levelForSteps(*raw, m_device.maxRaw);
}

bool SysfsBrightnessControl::canWrite() const {
    return m_state->canWrite.load();
}

void SysfsBrightnessControl::setOnWritableChanged(std::function<void()> callback) {
    m_state->onWritableChanged = std::move(callback);
}

bool SysfsBrightnessControl::write(double level) {
    if (!m_writer || !canWrite()) return false;
    std::optional<int> current;
    {
        std::lock_guard lock(m_state->mutex);
        current = m_state->pendingRaw;
    }
    if (!current) current = m_device.readRaw();
    const int raw = rawForLevel(level, current, m_device.maxRaw);
    {
        std::lock_guard lock(m_state->mutex);
        m_state->pendingRaw = raw;
        ++m_state->inFlight;
    }
    std::weak_ptr<State> weak = m_state;
    m_writer->write(m_device.subsystem, m_device.name, static_cast<quint32>(raw),
                    [weak](LogindBrightness::Outcome outcome) {
                        std::shared_ptr<State> state = weak.lock();
                        if (!state) return;
                        {
                            std::lock_guard lock(state->mutex);
                            // Once the last write is answered the device itself is right again,
                            // whether the write landed or not.
                            if (--state->inFlight == 0) state->pendingRaw.reset();
                        }
                        if (outcome == LogindBrightness::Outcome::unsupported &&
                            state->canWrite.exchange(false) && state->onWritableChanged)
                            state->onWritableChanged();
                    });
    return true;
}

} // namespace vesk
