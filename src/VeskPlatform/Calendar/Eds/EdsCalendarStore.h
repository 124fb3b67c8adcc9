#pragma once

#include "VeskPlatform/Calendar/CalendarStore.h"

#include <memory>

namespace vesk {

// The calendars of Evolution Data Server, the store GNOME Calendar, Evolution and the
// desktop's online accounts keep events in. Everything libecal makes lives on the
// thread this store was made on, whose GLib main context (Qt's GLib event dispatcher
// makes it the thread's default) delivers the store's answers and signals.
class EdsCalendarStore final : public CalendarStore {
public:
    // Where the store's failures are told; null for nowhere. A plain function, so the
    // store's module needs none of the program's own libraries for it.
    using Trace = void (*)(const QString& message);

    explicit EdsCalendarStore(Trace trace);
    ~EdsCalendarStore() override;

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

    // The bus name that owns the store's calendars.
    static QString sourcesBusName() { return QStringLiteral("org.gnome.evolution.dataserver.Sources5"); }

private:
    struct Core;
    std::shared_ptr<Core> d;
};

} // namespace vesk
