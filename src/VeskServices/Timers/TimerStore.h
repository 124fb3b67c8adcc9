#pragma once

#include "VeskServices/Timers/VeskTimer.h"

#include <QList>
#include <QSet>
#include <QUuid>

#include <functional>

namespace vesk {

class ClockSource;

// The desk's countdowns, in the order added. In memory only: timers end with the
// program. Shared by every display's notch; main thread only.
class TimerStore {
public:
    // `clock` tells when a timer starts; the system clock when null. It must outlive
    // the store.
    explicit TimerStore(const ClockSource* clock = nullptr);

    const QList<VeskTimer>& timers() const { return m_timers; }

    // Told the whole list after add, toggle and remove.
    std::function<void(const QList<VeskTimer>&)> onChange;
    // Told once per timer id when check() finds it has run out.
    std::function<void(const VeskTimer&)> onFinished;

    VeskTimer add(double total, const QString& label, bool start);
    // Pauses a running timer or resumes a paused (or unstarted) one; the store's own
    // copy with the same id decides. Nothing happens for an id the store lacks.
    void toggle(const VeskTimer& timer, Date now);
    void remove(const VeskTimer& timer);
    void check(Date now);

private:
    Date now() const;
    void changed();

    const ClockSource* m_clock;
    QList<VeskTimer> m_timers;
    QSet<QUuid> m_announced;
};

} // namespace vesk
