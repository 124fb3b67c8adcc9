#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Calendar/CalendarAccess.h"
#include "VeskPlatform/Calendar/CalendarApp.h"
#include "VeskPlatform/Calendar/CalendarStore.h"
#include "VeskServices/Calendar/CalendarEvent.h"
#include "VeskServices/Calendar/CalendarSource.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The program's one view of the user's calendars: the calendars, and the events of a
// window of whole days around today that pass the filter, kept current on every change
// of the store and every 300 s. Lives on the main thread and answers every read from
// what it last published; the store is read on the queue "app.tessarn.notch.calendar",
// so a store that hangs never holds up the notch.
class CalendarService : public QObject {
    Q_OBJECT
public:
    using Now = std::function<Date()>;
    // Makes the store; called once, on the queue.
    using StoreFactory = std::function<std::unique_ptr<CalendarStore>()>;

    struct Day {
        Date day;
        QList<CalendarEvent> events;

        friend bool operator==(const Day&, const Day&) = default;
    };

    // The wall clock and Evolution Data Server by default. Tests may run the queue on a
    // scheduler of their own.
    explicit CalendarService(Now now = {}, StoreFactory makeStore = {}, Scheduler* queueScheduler = nullptr,
                             QObject* parent = nullptr);
    ~CalendarService() override;

    const QList<CalendarEvent>& events() const { return m_events; }
    const QList<CalendarSource>& calendars() const { return m_calendars; }
    CalendarAccess access() const { return m_access; }
    const std::optional<Date>& lastRefresh() const { return m_lastRefresh; }
    const std::optional<QString>& requestError() const { return m_requestError; }

    const CalendarFilter& filter() const { return m_filter; }
    // A different filter is stored and read at once (not hard); an equal one does nothing.
    void setFilter(const CalendarFilter& filter);

    // Asks for access, then with access watches the store, starts the 300 s timer and
    // reads. `done` runs once the first read published or failed, at the latest after 5 s.
    void start(std::function<void()> done = {});
    // Ends the watch and the timer, and cancels what the store is doing; the lists stay.
    void stop();
    // Reads calendars and events afresh; `hard` first has every calendar refresh from its
    // source. Returns at once; requests made while a read runs fold into one more.
    // `done` runs once a read begun after this call has published (or at once without
    // access), so it sees what the read found.
    void refresh(bool hard, std::function<void()> done = {});

    // The events by the day they start on, days ascending.
    QList<Day> grouped() const;
    // The first timed event that starts after now and at most `within` seconds later.
    std::optional<CalendarEvent> upcoming(double within) const;
    // How the calendar applications name a published event.
    std::optional<CalendarItem> item(const QString& eventId) const;

Q_SIGNALS:
    void eventsChanged();
    void calendarsChanged();
    void accessChanged();
    void lastRefreshChanged();
    void requestErrorChanged();
    void filterChanged();

private:
    struct Worker;
    struct FetchRequest;
    struct FetchResult;

    Date now() const { return m_now(); }
    void began(CalendarAccess access, const QString& reason, quint64 run);
    void finishStart();
    void storeChanged();
    void published(const FetchResult& result);
    void setEvents(const QList<CalendarEvent>& events);
    void setCalendars(const QList<CalendarSource>& calendars);
    void setAccess(CalendarAccess access);
    void setLastRefresh(Date date);

    Now m_now;
    SerialQueue m_queue;
    std::shared_ptr<Worker> m_worker;

    QList<CalendarEvent> m_events;
    QList<CalendarSource> m_calendars;
    QHash<QString, CalendarItem> m_items;
    CalendarAccess m_access = CalendarAccess::notDetermined;
    std::optional<Date> m_lastRefresh;
    std::optional<QString> m_requestError;
    CalendarFilter m_filter;

    quint64 m_run = 0; // bumped by every start and stop, so answers of an earlier run are dropped
    bool m_observing = false;
    bool m_fetching = false;
    bool m_refreshPending = false;
    bool m_pendingHard = false;
    bool m_firstFetchPending = false;
    bool m_tracedRestriction = false;
    QList<std::function<void()>> m_startWaiters;
    // Callers of refresh() waiting for the read under way, and for the next one.
    QList<std::function<void()>> m_readWaiters;
    QList<std::function<void()>> m_nextReadWaiters;
    TaskHandle m_timer;
    TaskHandle m_fold;
    TaskHandle m_startDeadline;
};

} // namespace vesk
