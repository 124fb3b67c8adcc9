#pragma once

#include "VeskKit/Foundation/LocalTime.h"
#include "VeskKit/Settings/SettingsTable.h"

#include <QStringList>
#include <QTime>
#include <QWidget>

#include <functional>

class QLocale;

namespace vesk {

class CalendarService;
class SettingsStore;

namespace calendarVisibility {
// The one identifier of a set that means "no calendar": NUL, then "none".
QString noneMarker();
// An empty set shows every calendar; any other shows exactly those it holds.
bool isVisible(const CalendarIdentifiers& stored, const QString& id);
// The set to store after switching one calendar on or off; `all` are the calendars
// listed now (what an empty set stands for).
CalendarIdentifiers setVisible(const CalendarIdentifiers& stored, const QStringList& all, const QString& id,
                               bool on);
} // namespace calendarVisibility

// A time as the "Last refreshed" footnote writes it: hours, minutes and seconds.
QString refreshedTime(const QLocale& locale, QTime time);

// Calendar access, the calendars with a switch each, the events the service loads and
// the upcoming-event settings. Every change that alters which events are kept calls
// `onFilterChanged` once; "Refresh now" calls `onRefresh`. Without a service the pane
// shows the access notice as not determined and an empty list.
QWidget* makeCalendarPane(SettingsStore& settings, CalendarService* service,
                          std::function<void()> onFilterChanged, std::function<void()> onRefresh,
                          std::function<void()> onOpenSettings);

} // namespace vesk
