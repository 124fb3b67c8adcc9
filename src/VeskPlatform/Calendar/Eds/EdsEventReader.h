#pragma once

#include "VeskPlatform/Calendar/CalendarStore.h"

#include <QHash>
#include <QSet>

#include <libecal/libecal.h>

namespace vesk {

// Reads the events of one connected Evolution Data Server calendar into store events:
// plain events as they come, recurring ones once per occurrence. On the client's thread.
class EdsEventReader {
public:
    EdsEventReader(ECalClient* client, QString calendarId, GCancellable* cancellable);

    // Appends the events that match `expression` (a range query from `start` to `end`);
    // false with error() when the calendar did not answer.
    bool read(const QByteArray& expression, Date start, Date end, QList<CalendarStoreEvent>* into);
    const QString& error() const { return m_error; }

    // The local time zone as libical knows it (UTC when it knows none); not owned.
    static ICalTimezone* localZone();

private:
    static gboolean addInstance(ICalComponent* component, ICalTime* start, ICalTime* end, gpointer data,
                                GCancellable*, GError**);
    CalendarStoreEvent fields(ICalComponent* component) const;
    // The zone a TZID names in this calendar, or a built-in one; null when unknown.
    ICalTimezone* zone(const char* tzid);
    std::optional<Date> date(ICalTime* time, ICalTimezone* zone) const;
    void addPlain(ECalComponent* component, QList<CalendarStoreEvent>* into);
    void expand(ICalComponent* master, Date start, Date end, QList<CalendarStoreEvent>* into);

    ECalClient* m_client;
    QString m_calendarId;
    GCancellable* m_cancellable;
    QHash<QByteArray, ICalTimezone*> m_zones;
    QString m_error;
    QList<CalendarStoreEvent>* m_instances = nullptr;
};

} // namespace vesk
