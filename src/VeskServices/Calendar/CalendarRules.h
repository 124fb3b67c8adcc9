#pragma once

#include "VeskPlatform/Calendar/CalendarApp.h"
#include "VeskPlatform/Calendar/CalendarStore.h"
#include "VeskServices/Calendar/CalendarEvent.h"
#include "VeskServices/Calendar/CalendarSource.h"
#include "VeskServices/Calendar/MeetingLinkDetector.h"

#include <QHash>
#include <QList>

#include <optional>
#include <utility>

// How the calendar service turns what the store holds into what it publishes.
namespace vesk::calendarRules {

// A calendar's colour from its "#rrggbb" text; grey when it has none or it cannot be read.
CalendarColor color(const QString& text);
CalendarSource source(const CalendarStoreCalendar& calendar);
// Calendars by title, naturally ordered and case-insensitive; equal titles keep their order.
QList<CalendarSource> sorted(QList<CalendarSource> sources);

// "<calendar>:<uid>[:<recurrence id>]", or without a UID "<calendar>-<start>", the
// start as seconds since 1970 in the shortest form that reads back, always with a
// fractional part ("1.5", "2.0").
QString eventID(const CalendarStoreEvent& event);
// None without a start or an end.
std::optional<CalendarEvent> snapshot(const CalendarStoreEvent& event,
                                      const QHash<QString, CalendarColor>& colors,
                                      const MeetingLinkDetector& detector);
CalendarItem item(const CalendarStoreEvent& event);

// Local midnight starting the day that contains `date`.
Date startOfDay(Date date);
// From the start of the day `daysBehind` days before today to the end of the day
// `daysAhead` days after it, in calendar days (a day across a clock change is not
// 24 hours); none when a date cannot be formed.
std::optional<std::pair<Date, Date>> window(Date now, const CalendarFilter& filter);
// Whether the filter keeps an event; `today` is the start of the current day.
bool include(const CalendarEvent& event, const CalendarFilter& filter, Date today, Date now);

} // namespace vesk::calendarRules
