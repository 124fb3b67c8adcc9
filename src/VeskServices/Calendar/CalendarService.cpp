#include "VeskServices/Calendar/CalendarService.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Calendar/EdsCalendarModule.h"
#include "VeskServices/Calendar/CalendarRules.h"
#include "VeskServices/Calendar/MeetingLinkDetector.h"

#include <QPointer>

#include <algorithm>

namespace vesk {

namespace {

constexpr double refreshInterval = 300;
// Store changes come in bursts (an import, a sync): one read after the first.
constexpr double changeFold = 0.25;
// Nobody waits longer than this for start() on a store that does not answer.
constexpr double startLimit = 5;
// The store's change watch reaches a day past the window.
constexpr double day = 86400;

} // namespace

// What lives on the queue. Queue jobs hold it, so it outlives the service's last job.
struct CalendarService::Worker {
    std::unique_ptr<CalendarStore> store;
    // The store's cancel() is safe from any thread; set before the first job runs.
    CalendarStore* cancelHandle = nullptr;
    std::optional<std::pair<Date, Date>> watched;
    MeetingLinkDetector detector;
};

struct CalendarService::FetchRequest {
    bool hard = false;
    CalendarFilter filter;
    std::optional<std::pair<Date, Date>> window;
    bool observe = false;
};

struct CalendarService::FetchResult {
    CalendarFilter filter;
    QList<CalendarSource> calendars;
    bool noneSelected = false;
    // None when the window could not be formed or the store did not answer.
    std::optional<QList<CalendarEvent>> events;
    QHash<QString, CalendarItem> items;
    quint64 run = 0;
};

CalendarService::CalendarService(Now now, StoreFactory makeStore, Scheduler* queueScheduler, QObject* parent)
    : QObject(parent), m_now(now ? std::move(now) : Now(&Date::now)),
      m_queue(QStringLiteral("app.tessarn.notch.calendar"), queueScheduler),
      m_worker(std::make_shared<Worker>()) {
    // Evolution Data Server's store comes from its module, loaded on the queue by the
    // store's first call; only the module's path is found here, on the main thread.
    if (!makeStore)
        makeStore = [module = edsCalendarModule::defaultPath()] {
            return edsCalendarModule::deferred(module);
        };
    // The store and everything it makes belong to the queue's thread.
    m_queue.sync([&] { m_worker->store = makeStore(); });
    m_worker->cancelHandle = m_worker->store.get();

    // The first thing the queue does is find out whether there is a store at all.
    QPointer<CalendarService> self(this);
    const quint64 run = m_run;
    m_queue.async([worker = m_worker, self, run] {
        QString reason;
        const CalendarAccess access = worker->store->access(&reason);
        onMain([self, access, reason, run] {
            if (self && self->m_run == run && self->m_access == CalendarAccess::notDetermined) {
                self->setAccess(access);
                if (access == CalendarAccess::restricted && !self->m_tracedRestriction) {
                    self->m_tracedRestriction = true;
                    TraceLog::trace(QStringLiteral("calendar restricted: ") + reason);
                }
            }
        });
    });
}

CalendarService::~CalendarService() {
    m_timer.cancel();
    m_fold.cancel();
    m_startDeadline.cancel();
    m_worker->cancelHandle->cancel();
    if (m_queue.context()) {
        // The store goes on the thread it was made on.
        m_queue.async([worker = m_worker] { worker->store.reset(); });
        m_queue.shutdown();
    } else {
        m_worker->store.reset();
    }
}

void CalendarService::setFilter(const CalendarFilter& filter) {
    if (filter == m_filter) return;
    m_filter = filter;
    Q_EMIT filterChanged();
    refresh(false);
}

void CalendarService::start(std::function<void()> done) {
    if (done) m_startWaiters.append(std::move(done));
    // A second start replaces the first one's watch and timer.
    const bool wasObserving = m_observing;
    m_observing = false;
    m_timer.cancel();
    m_fold.cancel();
    const quint64 run = ++m_run;
    if (!m_startDeadline.isValid() || m_startDeadline.isCancelled()) {
        QPointer<CalendarService> self(this);
        m_startDeadline = onMainAfter(startLimit, [self] {
            if (self) self->finishStart();
        });
    }
    QPointer<CalendarService> self(this);
    m_queue.async([worker = m_worker, self, run, wasObserving] {
        if (wasObserving) {
            worker->store->unwatch();
            worker->watched.reset();
        }
        worker->store->renew();
        QString reason;
        const CalendarAccess access = worker->store->access(&reason);
        const auto answer = [self, access, reason, run] {
            onMain([self, access, reason, run] {
                if (self) self->began(access, reason, run);
            });
        };
        // The first read waits until every calendar connected or failed.
        if (access == CalendarAccess::granted)
            worker->store->open(answer);
        else
            answer();
    });
}

void CalendarService::began(CalendarAccess access, const QString& reason, quint64 run) {
    if (run != m_run) return;
    setAccess(access);
    if (access == CalendarAccess::restricted && !m_tracedRestriction) {
        m_tracedRestriction = true;
        TraceLog::trace(QStringLiteral("calendar restricted: ") + reason);
    }
    if (access != CalendarAccess::granted) {
        finishStart();
        return;
    }
    m_observing = true;
    QPointer<CalendarService> self(this);
    m_timer = mainScheduler().postRepeating(refreshInterval, [self] {
        if (self) self->refresh(true);
    });
    m_firstFetchPending = true;
    refresh(true);
}

void CalendarService::finishStart() {
    m_startDeadline.cancel();
    m_firstFetchPending = false;
    const QList<std::function<void()>> waiters = std::exchange(m_startWaiters, {});
    for (const auto& waiter : waiters)
        waiter();
}

void CalendarService::stop() {
    ++m_run;
    m_observing = false;
    m_timer.cancel();
    m_fold.cancel();
    // Whatever the store is waiting for, it stops waiting now.
    m_worker->cancelHandle->cancel();
    m_queue.async([worker = m_worker] {
        worker->store->unwatch();
        worker->watched.reset();
    });
}

void CalendarService::storeChanged() {
    if (!m_observing || (m_fold.isValid() && !m_fold.isCancelled())) return;
    QPointer<CalendarService> self(this);
    m_fold = onMainAfter(changeFold, [self] {
        if (!self) return;
        self->m_fold = {};
        self->refresh(false);
    });
}

void CalendarService::refresh(bool hard, std::function<void()> done) {
    if (m_access != CalendarAccess::granted) {
        setEvents({});
        setCalendars({});
        if (done) done();
        return;
    }
    if (done) m_nextReadWaiters.append(std::move(done));
    if (m_fetching) {
        m_refreshPending = true;
        m_pendingHard = m_pendingHard || hard;
        return;
    }
    m_fetching = true;
    // Those waiting were asked before this read began, so it answers them.
    m_readWaiters = std::exchange(m_nextReadWaiters, {});
    const FetchRequest request{hard, m_filter, calendarRules::window(now(), m_filter), m_observing};
    QPointer<CalendarService> self(this);
    const quint64 run = m_run;
    m_queue.async([worker = m_worker, self, request, run] {
        CalendarStore& store = *worker->store;
        if (request.hard) store.reset();
        // The watch follows the window, a day wider so that nothing at its edge is missed.
        // It is set before the read, so a change made while reading is not lost.
        if (request.observe && request.window && worker->watched != request.window) {
            worker->watched = request.window;
            store.watch(request.window->first - day, request.window->second + day, [self] {
                onMain([self] {
                    if (self) self->storeChanged();
                });
            });
        }
        FetchResult result;
        result.filter = request.filter;
        result.run = run;
        const QList<CalendarStoreCalendar> calendars = store.calendars();
        QHash<QString, CalendarColor> colors;
        QStringList selected;
        for (const CalendarStoreCalendar& calendar : calendars) {
            result.calendars.append(calendarRules::source(calendar));
            colors.insert(calendar.id, calendarRules::color(calendar.color));
            if (request.filter.visibleCalendars.isEmpty() ||
                request.filter.visibleCalendars.contains(calendar.id))
                selected.append(calendar.id);
        }
        result.calendars = calendarRules::sorted(result.calendars);
        result.noneSelected = selected.isEmpty();
        if (!result.noneSelected && request.window) {
            if (const auto events = store.events(selected, request.window->first, request.window->second)) {
                QList<CalendarEvent> snapshots;
                for (const CalendarStoreEvent& event : *events)
                    if (std::optional<CalendarEvent> snapshot =
                            calendarRules::snapshot(event, colors, worker->detector)) {
                        result.items.insert(snapshot->id, calendarRules::item(event));
                        snapshots.append(*snapshot);
                    }
                result.events = snapshots;
            }
        }
        onMain([self, result] {
            if (self) self->published(result);
        });
    });
}

void CalendarService::published(const FetchResult& result) {
    m_fetching = false;
    // A read of a run since stopped or started again, or for a filter since replaced,
    // publishes nothing; a newer read is on its way when one was asked for.
    const bool current = result.run == m_run;
    if (current && m_access == CalendarAccess::granted && result.filter == m_filter) {
        setCalendars(result.calendars);
        if (result.noneSelected) {
            m_items.clear();
            setEvents({});
            setLastRefresh(now());
        } else if (result.events) {
            const Date current = now();
            const Date today = calendarRules::startOfDay(current);
            QList<CalendarEvent> kept;
            for (const CalendarEvent& event : *result.events)
                if (calendarRules::include(event, m_filter, today, current)) kept.append(event);
            std::stable_sort(kept.begin(), kept.end(), [](const CalendarEvent& a, const CalendarEvent& b) {
                return a.start < b.start;
            });
            m_items = result.items;
            setEvents(kept);
            setLastRefresh(now());
        }
    }
    // The first read of a start is the current run's; a stale one ends the wait only
    // when nothing follows it.
    if (m_firstFetchPending && (current || !m_refreshPending)) finishStart();
    const QList<std::function<void()>> answered = std::exchange(m_readWaiters, {});
    for (const auto& waiter : answered)
        waiter();
    if (m_refreshPending) {
        m_refreshPending = false;
        refresh(std::exchange(m_pendingHard, false));
    }
}

QList<CalendarService::Day> CalendarService::grouped() const {
    QList<Day> days;
    QHash<double, qsizetype> index;
    for (const CalendarEvent& event : m_events) {
        const Date day = calendarRules::startOfDay(event.start);
        auto it = index.constFind(day.secondsSinceReferenceDate);
        if (it == index.constEnd()) {
            it = index.insert(day.secondsSinceReferenceDate, days.size());
            days.append({day, {}});
        }
        days[*it].events.append(event);
    }
    std::stable_sort(days.begin(), days.end(), [](const Day& a, const Day& b) { return a.day < b.day; });
    for (Day& day : days)
        std::stable_sort(day.events.begin(), day.events.end(),
                         [](const CalendarEvent& a, const CalendarEvent& b) { return a.start < b.start; });
    return days;
}

std::optional<CalendarEvent> CalendarService::upcoming(double within) const {
    const Date t = now();
    for (const CalendarEvent& event : m_events)
        if (!event.isAllDay && event.start > t && event.start - t <= within) return event;
    return std::nullopt;
}

std::optional<CalendarItem> CalendarService::item(const QString& eventId) const {
    if (auto it = m_items.constFind(eventId); it != m_items.constEnd()) return *it;
    return std::nullopt;
}

void CalendarService::setEvents(const QList<CalendarEvent>& events) {
    if (events == m_events) return;
    m_events = events;
    Q_EMIT eventsChanged();
}

void CalendarService::setCalendars(const QList<CalendarSource>& calendars) {
    if (calendars == m_calendars) return;
    m_calendars = calendars;
    Q_EMIT calendarsChanged();
}

void CalendarService::setAccess(CalendarAccess access) {
    if (access == m_access) return;
    m_access = access;
    Q_EMIT accessChanged();
}

void CalendarService::setLastRefresh(Date date) {
    if (m_lastRefresh == date) return;
    m_lastRefresh = date;
    Q_EMIT lastRefreshChanged();
}

} // namespace vesk
