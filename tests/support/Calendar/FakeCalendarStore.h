#pragma once

#include "VeskPlatform/Calendar/CalendarStore.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace vesk::test {

// A calendar store held in memory. The test keeps `state` and changes it from its own
// thread; with `hang` set, every read waits until the store is cancelled.
class FakeCalendarStore final : public CalendarStore {
public:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        CalendarAccess access = CalendarAccess::granted;
        QList<CalendarStoreCalendar> calendars;
        QList<CalendarStoreEvent> events;
        bool hang = false;
        bool cancelled = false;
        int reads = 0;                        // calls of events()
        int resets = 0;                       // hard refreshes
        QList<std::pair<Date, Date>> windows; // what each read asked for
        std::function<void()> changed;

        // What the store's watch would report.
        void notifyChanged() {
            std::function<void()> callback;
            {
                std::lock_guard lock(mutex);
                callback = changed;
            }
            if (callback) callback();
        }
    };

    explicit FakeCalendarStore(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    CalendarAccess access(QString* reason) override {
        std::lock_guard lock(m_state->mutex);
        if (reason) *reason = QStringLiteral("fake store says so");
        return m_state->access;
    }
    void open(std::function<void()> opened) override { opened(); }
    QList<CalendarStoreCalendar> calendars() override {
        std::lock_guard lock(m_state->mutex);
        return m_state->calendars;
    }
    std::optional<QList<CalendarStoreEvent>> events(const QStringList& calendarIds, Date start,
                                                    Date end) override {
        std::unique_lock lock(m_state->mutex);
        ++m_state->reads;
        m_state->windows.append({start, end});
        if (m_state->hang) m_state->wake.wait(lock, [this] { return m_state->cancelled; });
        if (m_state->cancelled) return std::nullopt;
        QList<CalendarStoreEvent> found;
        for (const CalendarStoreEvent& event : m_state->events)
            if (calendarIds.contains(event.calendarId) && event.start && *event.start < end &&
                event.end.value_or(*event.start) >= start)
                found.append(event);
        return found;
    }
    void reset() override {
        std::lock_guard lock(m_state->mutex);
        ++m_state->resets;
    }
    void watch(Date, Date, std::function<void()> changed) override {
        std::lock_guard lock(m_state->mutex);
        m_state->changed = std::move(changed);
    }
    void unwatch() override {
        std::lock_guard lock(m_state->mutex);
        m_state->changed = {};
    }
    void cancel() override {
        std::lock_guard lock(m_state->mutex);
        m_state->cancelled = true;
        m_state->wake.notify_all();
    }
    void renew() override {
        std::lock_guard lock(m_state->mutex);
        m_state->cancelled = false;
    }

private:
    std::shared_ptr<State> m_state;
};

} // namespace vesk::test
