#include "VeskPlatform/Calendar/DeferredCalendarStore.h"

namespace vesk {

DeferredCalendarStore::DeferredCalendarStore(Make make) : m_make(std::move(make)) {}

DeferredCalendarStore::~DeferredCalendarStore() = default;

CalendarStore& DeferredCalendarStore::store() {
    if (m_store) return *m_store;
    std::unique_ptr<CalendarStore> made = m_make();
    m_make = {};
    {
        // A cancel() that came while the store was being made still reaches it.
        std::lock_guard lock(m_mutex);
        if (m_cancelled) made->cancel();
        m_made = made.get();
    }
    m_store = std::move(made);
    return *m_store;
}

CalendarAccess DeferredCalendarStore::access(QString* reason) {
    return store().access(reason);
}

void DeferredCalendarStore::open(std::function<void()> opened) {
    store().open(std::move(opened));
}

QList<CalendarStoreCalendar> DeferredCalendarStore::calendars() {
    return store().calendars();
}

std::optional<QList<CalendarStoreEvent>> DeferredCalendarStore::events(const QStringList& calendarIds,
                                                                       Date start, Date end) {
    return store().events(calendarIds, start, end);
}

void DeferredCalendarStore::reset() {
    store().reset();
}

void DeferredCalendarStore::watch(Date start, Date end, std::function<void()> changed) {
    store().watch(start, end, std::move(changed));
}

void DeferredCalendarStore::unwatch() {
    store().unwatch();
}

void DeferredCalendarStore::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_made) m_made->cancel();
}

void DeferredCalendarStore::renew() {
    std::lock_guard lock(m_mutex);
    m_cancelled = false;
    if (m_made) m_made->renew();
}

} // namespace vesk
