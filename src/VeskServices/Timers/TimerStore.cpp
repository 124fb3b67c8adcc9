#include "VeskServices/Timers/TimerStore.h"

#include "VeskKit/Foundation/Clock.h"

#include <algorithm>

namespace vesk {

TimerStore::TimerStore(const ClockSource* clock) : m_clock(clock) {}

Date TimerStore::now() const {
    return m_clock ? m_clock->now() : Date::now();
}

void TimerStore::changed() {
    if (onChange) onChange(m_timers);
}

VeskTimer TimerStore::add(double total, const QString& label, bool start) {
    const VeskTimer timer{.id = QUuid::createUuid(),
                          .label = label,
                          .total = total,
                          .startedAt = start ? std::make_optional(now()) : std::nullopt,
                          .pausedRemaining = std::nullopt};
    m_timers.append(timer);
    changed();
    return timer;
}

void TimerStore::toggle(const VeskTimer& timer, Date now) {
    const auto found =
        std::find_if(m_timers.begin(), m_timers.end(), [&](const VeskTimer& t) { return t.id == timer.id; });
    if (found == m_timers.end()) return;
    if (found->isRunning()) {
        found->pausedRemaining = found->remaining(now);
        found->startedAt.reset();
    } else {
        const double left = found->pausedRemaining.value_or(found->total);
        // Moved back by the time already used, so the running formula gives `left` now.
        found->startedAt = now + (left - found->total);
        found->pausedRemaining.reset();
    }
    changed();
}

void TimerStore::remove(const VeskTimer& timer) {
    m_timers.removeIf([&](const VeskTimer& t) { return t.id == timer.id; });
    m_announced.remove(timer.id);
    changed();
}

void TimerStore::check(Date now) {
    // A copy: onFinished may edit the store.
    const QList<VeskTimer> timers = m_timers;
    for (const VeskTimer& timer : timers) {
        if (!timer.hasFinished(now) || m_announced.contains(timer.id)) continue;
        m_announced.insert(timer.id);
        if (onFinished) onFinished(timer);
    }
}

} // namespace vesk
