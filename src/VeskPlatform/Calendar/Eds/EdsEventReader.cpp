#include "VeskPlatform/Calendar/Eds/EdsEventReader.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>

namespace vesk {

namespace {

std::optional<QString> text(const char* value) {
    if (!value) return std::nullopt;
    return QString::fromUtf8(value);
}

QString takeString(gchar* value) {
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

QDate calendarDate(const ICalTime* time) {
    int year = 0, month = 0, day = 0;
    i_cal_time_get_date(time, &year, &month, &day);
    return QDate(year, month, day);
}

// Local midnight at the start of a date.
Date startOfDay(const QDate& day) {
    return Date::fromDateTime(day.startOfDay());
}

} // namespace

EdsEventReader::EdsEventReader(ECalClient* client, QString calendarId, GCancellable* cancellable)
    : m_client(client), m_calendarId(std::move(calendarId)), m_cancellable(cancellable) {}

ICalTimezone* EdsEventReader::localZone() {
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (ICalTimezone* zone = i_cal_timezone_get_builtin_timezone(id.constData())) return zone;
    if (ICalTimezone* zone = e_cal_util_get_system_timezone()) return zone;
    return i_cal_timezone_get_utc_timezone();
}

ICalTimezone* EdsEventReader::zone(const char* tzid) {
    if (!tzid || !*tzid) return nullptr;
    const QByteArray key(tzid);
    if (auto it = m_zones.constFind(key); it != m_zones.constEnd()) return *it;
    ICalTimezone* found = nullptr;
    GError* error = nullptr;
    // The calendar keeps the zones its events name; built-in ones need no question.
    if (!(found = i_cal_timezone_get_builtin_timezone_from_tzid(tzid)) &&
        !(found = i_cal_timezone_get_builtin_timezone(tzid)) &&
        !e_cal_client_get_timezone_sync(m_client, tzid, &found, m_cancellable, &error))
        found = nullptr;
    g_clear_error(&error);
    m_zones.insert(key, found);
    return found;
}

std::optional<Date> EdsEventReader::date(ICalTime* time, ICalTimezone* zone) const {
    if (!time || i_cal_time_is_null_time(time)) return std::nullopt;
    if (i_cal_time_is_date(time)) return startOfDay(calendarDate(time));
    if (i_cal_time_is_utc(time))
        zone = i_cal_timezone_get_utc_timezone();
    else if (ICalTimezone* own = i_cal_time_get_timezone(time))
        zone = own;
    if (zone) return Date::fromUnix(double(i_cal_time_as_timet_with_zone(time, zone)));
    // A floating time is the same wall-clock time wherever the user is.
    int hour = 0, minute = 0, second = 0;
    i_cal_time_get_time(time, &hour, &minute, &second);
    return Date::fromDateTime(QDateTime(calendarDate(time), QTime(hour, minute, second)));
}

CalendarStoreEvent EdsEventReader::fields(ICalComponent* component) const {
    CalendarStoreEvent event;
    event.calendarId = m_calendarId;
    event.uid = QString::fromUtf8(i_cal_component_get_uid(component));
    event.title = text(i_cal_component_get_summary(component));
    event.notes = text(i_cal_component_get_description(component));
    event.location = text(i_cal_component_get_location(component));
    if (ICalProperty* property = i_cal_component_get_first_property(component, I_CAL_URL_PROPERTY)) {
        if (const char* value = i_cal_property_get_url(property)) {
            const QUrl url(QString::fromUtf8(value), QUrl::StrictMode);
            if (url.isValid() && !url.isEmpty()) event.url = url;
        }
        g_object_unref(property);
    }
    if (ICalTime* recurrence = i_cal_component_get_recurrenceid(component)) {
        if (!i_cal_time_is_null_time(recurrence))
            event.recurrenceId = takeString(i_cal_time_as_ical_string(recurrence));
        g_object_unref(recurrence);
    }
    return event;
}

namespace {

// Times by the calendar rules: an all-day event ends one second before the local
// midnight after its last day (its end date is exclusive); an event without an end
// lasts its DURATION, else a day when it is all-day and no time when it is timed.
void applyTimes(CalendarStoreEvent& event, bool isAllDay, std::optional<Date> start, std::optional<Date> end,
                std::optional<double> duration) {
    event.isAllDay = isAllDay;
    event.start = start;
    if (!start) return;
    if (!end && duration) end = *start + *duration;
    if (isAllDay) {
        if (!end || *end <= *start)
            end = Date::fromDateTime(start->toDateTime().toLocalTime().date().addDays(1).startOfDay());
        end = std::max(*start, *end - 1);
    } else if (!end || *end < *start) {
        end = start;
    }
    event.end = end;
}

} // namespace

void EdsEventReader::addPlain(ECalComponent* component, QList<CalendarStoreEvent>* into) {
    ICalComponent* ical = e_cal_component_get_icalcomponent(component);
    CalendarStoreEvent event = fields(ical);
    ECalComponentDateTime* start = e_cal_component_get_dtstart(component);
    ECalComponentDateTime* end = e_cal_component_get_dtend(component);
    ICalTime* startTime = start ? e_cal_component_datetime_get_value(start) : nullptr;
    ICalTime* endTime = end ? e_cal_component_datetime_get_value(end) : nullptr;
    std::optional<double> duration;
    if (!endTime) {
        if (ICalDuration* length = i_cal_component_get_duration(ical)) {
            if (!i_cal_duration_is_null_duration(length)) duration = double(i_cal_duration_as_int(length));
            g_object_unref(length);
        }
    }
    const bool isAllDay = startTime && i_cal_time_is_date(startTime);
    const std::optional<Date> from =
        date(startTime, start ? zone(e_cal_component_datetime_get_tzid(start)) : nullptr);
    const std::optional<Date> to =
        date(endTime, end ? zone(e_cal_component_datetime_get_tzid(end)) : nullptr);
    applyTimes(event, isAllDay, from, to, duration);
    if (start) e_cal_component_datetime_free(start);
    if (end) e_cal_component_datetime_free(end);
    into->append(event);
}

gboolean EdsEventReader::addInstance(ICalComponent* component, ICalTime* start, ICalTime* end, gpointer data,
                                     GCancellable*, GError**) {
    auto* self = static_cast<EdsEventReader*>(data);
    CalendarStoreEvent event = self->fields(component);
    // Each occurrence is its own event, named by its recurrence identifier.
    if (event.recurrenceId.isEmpty() && start)
        event.recurrenceId = takeString(i_cal_time_as_ical_string(start));
    const bool isAllDay = start && i_cal_time_is_date(start);
    applyTimes(event, isAllDay, self->date(start, nullptr), self->date(end, nullptr), std::nullopt);
    self->m_instances->append(event);
    return TRUE;
}

void EdsEventReader::expand(ICalComponent* master, Date start, Date end, QList<CalendarStoreEvent>* into) {
    m_instances = into;
    // Fetches the moved occurrences too, which a range query may leave out.
    e_cal_client_generate_instances_for_object_sync(m_client, master, time_t(start.unixTime()),
                                                    time_t(end.unixTime()), m_cancellable,
                                                    &EdsEventReader::addInstance, this);
    m_instances = nullptr;
}

bool EdsEventReader::read(const QByteArray& expression, Date start, Date end,
                          QList<CalendarStoreEvent>* into) {
    GSList* components = nullptr;
    GError* error = nullptr;
    if (!e_cal_client_get_object_list_as_comps_sync(m_client, expression.constData(), &components,
                                                    m_cancellable, &error)) {
        m_error = error ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        return false;
    }
    // Recurring events are expanded from their master, once per UID.
    QHash<QString, ICalComponent*> masters;
    for (GSList* item = components; item; item = item->next) {
        auto* component = E_CAL_COMPONENT(item->data);
        if (e_cal_component_has_recurrences(component) && !e_cal_component_is_instance(component))
            masters.insert(QString::fromUtf8(e_cal_component_get_uid(component)),
                           e_cal_component_get_icalcomponent(component));
    }
    QSet<QString> expanded;
    for (GSList* item = components; item; item = item->next) {
        auto* component = E_CAL_COMPONENT(item->data);
        const QString uid = QString::fromUtf8(e_cal_component_get_uid(component));
        if (ICalComponent* master = masters.value(uid)) {
            if (expanded.contains(uid)) continue;
            expanded.insert(uid);
            expand(master, start, end, into);
        } else {
            addPlain(component, into);
        }
        if (g_cancellable_is_cancelled(m_cancellable)) break;
    }
    g_slist_free_full(components, g_object_unref);
    if (g_cancellable_is_cancelled(m_cancellable)) {
        m_error = QStringLiteral("cancelled");
        return false;
    }
    return true;
}

} // namespace vesk
