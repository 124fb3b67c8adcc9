#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace vesk {

// A calendar's colour as sRGB components, 0 to 1.
struct CalendarColor {
    double red = 0.5;
    double green = 0.5;
    double blue = 0.5;

    friend bool operator==(const CalendarColor&, const CalendarColor&) = default;
};

// One event of the user's calendars, identified by `id`.
struct CalendarEvent {
    QString id;
    QString title;
    Date start;
    Date end;
    bool isAllDay = false;
    std::optional<QString> location;
    std::optional<CalendarColor> calendarColor;
    QString calendarID; // empty when the event has no calendar
    std::optional<QUrl> meetingURL;

    // Start and end fall on different days of the local calendar.
    bool isMultiDay() const;

    friend bool operator==(const CalendarEvent&, const CalendarEvent&) = default;
};

} // namespace vesk
