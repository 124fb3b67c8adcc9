#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskPlatform/Calendar/CalendarAccess.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace vesk {

// One calendar of the store.
struct CalendarStoreCalendar {
    QString id;
    QString title;
    // The calendar's colour as the store keeps it ("#rrggbb"); empty when it has none.
    QString color;

    friend bool operator==(const CalendarStoreCalendar&, const CalendarStoreCalendar&) = default;
};

// One event, or one occurrence of a recurring event, as the store keeps it.
struct CalendarStoreEvent {
    QString calendarId;   // the calendar the event is in
    QString uid;          // empty when the event has none
    QString recurrenceId; // set for an occurrence of a recurring event
    std::optional<QString> title;
    std::optional<QString> notes;
    std::optional<QString> location;
    std::optional<QUrl> url;
    std::optional<Date> start;
    std::optional<Date> end;
    bool isAllDay = false;

    friend bool operator==(const CalendarStoreEvent&, const CalendarStoreEvent&) = default;
};

// The user's calendars. Every member but cancel() is called on the one thread the
// store was made on, whose event loop must keep running; calls may block that thread
// until the store answers or cancel() is called.
class CalendarStore {
public:
    virtual ~CalendarStore() = default;

    // Whether calendars can be read at all; asked before anything else. `reason`
    // tells why not (for the trace).
    virtual CalendarAccess access(QString* reason) = 0;
    // Opens the store and every calendar; `opened` runs once each calendar connected or
    // failed. Calling it again after it finished does nothing but run `opened`.
    virtual void open(std::function<void()> opened) = 0;
    // Every calendar, in the store's order.
    virtual QList<CalendarStoreCalendar> calendars() = 0;
    // The events of those calendars that occur between `start` and `end`, recurring ones
    // as one entry per occurrence; none when the store failed or was cancelled.
    virtual std::optional<QList<CalendarStoreEvent>> events(const QStringList& calendarIds, Date start,
                                                            Date end) = 0;
    // Drops cached state and asks every calendar to refresh from its source; what that
    // brings arrives as changes.
    virtual void reset() = 0;
    // Calls `changed` (on the store's thread) whenever a calendar or an event between
    // `start` and `end` changes. A new watch replaces the old one.
    virtual void watch(Date start, Date end, std::function<void()> changed) = 0;
    virtual void unwatch() = 0;

    // Any thread: makes every waiting and later call return at once, until renew().
    virtual void cancel() = 0;
    virtual void renew() = 0;
};

} // namespace vesk
