#pragma once

#include <QSet>
#include <QString>

namespace vesk {

// One calendar of the user's, with its colour as sRGB components.
struct CalendarSource {
    QString id;
    QString title;
    double red = 0.5;
    double green = 0.5;
    double blue = 0.5;

    friend bool operator==(const CalendarSource&, const CalendarSource&) = default;
};

// Which events the calendar service reads and keeps.
struct CalendarFilter {
    // Calendars to read; empty means every calendar.
    QSet<QString> visibleCalendars;
    int daysBehind = 7;
    int daysAhead = 7;
    bool showPastEventsToday = false;
    bool showAllDayEvents = false;
    bool showMultiDayEvents = false;

    friend bool operator==(const CalendarFilter&, const CalendarFilter&) = default;
};

} // namespace vesk
