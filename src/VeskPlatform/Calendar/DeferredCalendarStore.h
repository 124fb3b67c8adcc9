#pragma once

#include "VeskPlatform/Calendar/CalendarStore.h"

#include <mutex>

namespace vesk {

// A store made by `make` on the first call on the store's thread, then passed every
// call. Until then cancel() and renew() are only remembered.
class DeferredCalendarStore final : public CalendarStore {
public:
    using Make = std::function<std::unique_ptr<CalendarStore>()>;

    explicit DeferredCalendarStore(Make make);
    ~DeferredCalendarStore() override;

    CalendarAccess access(QString* reason) override;
    void open(std::function<void()> opened) override;
    QList<CalendarStoreCalendar> calendars() override;
    std::optional<QList<CalendarStoreEvent>> events(const QStringList& calendarIds, Date start,
                                                    Date end) override;
    void reset() override;
    void watch(Date start, Date end, std::function<void()> changed) override;
    void unwatch() override;
    void cancel() override;
    void renew() override;

private:
    CalendarStore& store();

    Make m_make;
    // Set once, on the store's thread; other threads see it only under the mutex.
    std::unique_ptr<CalendarStore> m_store;
    std::mutex m_mutex;
    CalendarStore* m_made = nullptr;
    bool m_cancelled = false;
};

} // namespace vesk
