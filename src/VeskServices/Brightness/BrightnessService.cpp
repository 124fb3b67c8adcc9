#include "VeskServices/Brightness/BrightnessService.h"

#include "VeskPlatform/Display/BacklightLevels.h"
#include "VeskPlatform/Display/LinuxDisplayBrightness.h"

#include <algorithm>
#include <cmath>

namespace vesk {

BrightnessService::BrightnessService(std::unique_ptr<DisplayBrightness> display, Scheduler* queueScheduler,
                                     QObject* parent)
    : QObject(parent), m_display(display ? std::move(display) : std::make_unique<LinuxDisplayBrightness>()),
      m_queue(QStringLiteral("app.tessarn.notch.brightness"), queueScheduler) {
    if (m_display->hasDevice() && validLevel(m_display->read()))
        m_source = BrightnessState::Source::displayServices;
    m_display->setOnWritableChanged([this] { Q_EMIT availabilityChanged(); });
}

BrightnessService::~BrightnessService() {
    m_poll.cancel();
    m_queue.shutdown();
}

bool BrightnessService::canSet() const {
    return m_display->hasDevice() && m_display->canWrite();
}

std::optional<double> BrightnessService::read() const {
    return validLevel(m_display->read());
}

bool BrightnessService::set(double level) {
    if (!m_display->hasDevice()) return false;
    if (std::isnan(level)) level = 0;
    return m_display->write(std::clamp(level, 0.0, 1.0));
}

BrightnessState BrightnessService::currentState() const {
    if (const std::optional<double> level = read()) return {*level, true, m_source};
    return {0, false, BrightnessState::Source::unavailable};
}

void BrightnessService::start() {
    if (!isAvailable() || m_poll.isValid()) return;
    std::weak_ptr<int> alive = m_alive;
    m_queue.async([this, alive] {
        if (alive.expired()) return;
        m_lastLevel = read().value_or(-1);
    });
    m_poll = m_queue.repeating(pollInterval, [this, alive] {
        if (!alive.expired()) tick();
    });
}

void BrightnessService::stop() {
    m_poll.cancel();
    m_poll = {};
}

void BrightnessService::tick() {
    const std::optional<double> level = read();
    if (!level || !movedEnough(*level, m_lastLevel)) return;
    m_lastLevel = *level;
    m_states.yield({*level, true, m_source});
}

} // namespace vesk
