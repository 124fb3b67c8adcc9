#include "VeskServices/KeyboardBacklight/KeyboardBacklightService.h"

#include "VeskPlatform/Display/BacklightLevels.h"
#include "VeskPlatform/Keyboard/LinuxKeyboardBacklight.h"

#include <algorithm>
#include <cmath>

namespace vesk {

KeyboardBacklightService::KeyboardBacklightService(std::unique_ptr<KeyboardBacklight> backlight,
                                                   Scheduler* queueScheduler, QObject* parent)
    : QObject(parent),
      m_backlight(backlight ? std::move(backlight) : std::make_unique<LinuxKeyboardBacklight>()),
      m_queue(QStringLiteral("app.tessarn.notch.kbbacklight"), queueScheduler) {
    m_backlight->setOnLevelChanged([this](double level) {
        if (!m_following || m_polling) return;
        std::weak_ptr<int> alive = m_alive;
        m_queue.async([this, alive, level] {
            if (!alive.expired()) consider(level);
        });
    });
    m_announced = {isAvailable(), canSet()};
    m_backlight->setOnStateChanged([this] {
        if (m_started) {
            unfollow();
            if (isAvailable()) follow();
        }
        const std::pair<bool, bool> now{isAvailable(), canSet()};
        if (now == m_announced) return;
        m_announced = now;
        Q_EMIT availabilityChanged();
    });
}

KeyboardBacklightService::~KeyboardBacklightService() {
    m_poll.cancel();
    m_queue.shutdown();
}

bool KeyboardBacklightService::isAvailable() const {
    return m_backlight->isAvailable();
}

bool KeyboardBacklightService::canSet() const {
    return isAvailable() && m_backlight->canWrite();
}

std::optional<double> KeyboardBacklightService::read() const {
    return validLevel(m_backlight->read());
}

bool KeyboardBacklightService::set(double level) {
    if (!canSet()) return false;
    if (std::isnan(level)) level = 0;
    return m_backlight->write(std::clamp(level, 0.0, 1.0));
}

void KeyboardBacklightService::start() {
    if (m_started) return;
    m_started = true;
    if (isAvailable()) follow();
}

void KeyboardBacklightService::stop() {
    m_started = false;
    unfollow();
}

void KeyboardBacklightService::follow() {
    m_following = true;
    std::weak_ptr<int> alive = m_alive;
    m_queue.async([this, alive] {
        if (alive.expired()) return;
        m_lastLevel = read().value_or(-1);
    });
    // A backend that reports its changes is followed, not polled: polling UPower would
    // wake its daemon five times a second for as long as we run.
    m_polling = !m_backlight->reportsChanges();
    if (m_polling)
        m_poll = m_queue.repeating(pollInterval, [this, alive] {
            if (!alive.expired()) consider(read());
        });
}

void KeyboardBacklightService::unfollow() {
    m_following = false;
    m_polling = false;
    m_poll.cancel();
    m_poll = {};
}

void KeyboardBacklightService::consider(std::optional<double> reading) {
    const std::optional<double> level = validLevel(reading);
    if (!level || !movedEnough(*level, m_lastLevel)) return;
    m_lastLevel = *level;
    m_levels.yield(*level);
}

} // namespace vesk
