#pragma once

#include "VeskServices/Calendar/CalendarService.h"

#include "support/Calendar/FakeCalendarStore.h"
#include "support/ManualScheduler.h"

#include <QByteArray>
#include <QDateTime>

#include <time.h>

namespace vesk::test {

// Sets the process's time zone for a test's lifetime.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const QByteArray& zone)
        : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_saved;
    bool m_had;
};

inline Date localDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return Date::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

// One timed event of the calendar "work".
inline CalendarStoreEvent storeEvent(const QString& uid, Date start, double length = 1800,
                                     bool isAllDay = false) {
    CalendarStoreEvent event;
    event.calendarId = QStringLiteral("work");
    event.uid = uid;
    event.title = uid;
    event.start = start;
    event.end = start + length;
    event.isAllDay = isAllDay;
    return event;
}

// A calendar service over a fake store, its queue and clock on virtual time.
struct CalendarHarness {
    explicit CalendarHarness(ManualScheduler& scheduler) : scheduler(scheduler) {
        state->calendars = {{QStringLiteral("work"), QStringLiteral("Work"), QStringLiteral("#3465a4")}};
    }

    std::unique_ptr<CalendarService> make() {
        return std::make_unique<CalendarService>(
            [this] { return scheduler.now(); }, [this] { return std::make_unique<FakeCalendarStore>(state); },
            &scheduler);
    }

    ManualScheduler& scheduler;
    std::shared_ptr<FakeCalendarStore::State> state = std::make_shared<FakeCalendarStore::State>();
};

} // namespace vesk::test
