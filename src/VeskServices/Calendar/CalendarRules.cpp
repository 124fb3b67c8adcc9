#include "VeskServices/Calendar/CalendarRules.h"

#include <QCollator>
#include <QColor>
#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace vesk::calendarRules {

namespace {

QDate localDay(Date date) {
    return date.toDateTime().toLocalTime().date();
}

// Empty or white space only reads as none.
std::optional<QString> trimmedText(const std::optional<QString>& text) {
    if (!text) return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    return trimmed;
}

} // namespace

CalendarColor color(const QString& text) {
    const QColor parsed = QColor::fromString(text);
    if (text.isEmpty() || !parsed.isValid()) return {};
    const QColor rgb = parsed.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF()};
}

CalendarSource source(const CalendarStoreCalendar& calendar) {
    const CalendarColor rgb = color(calendar.color);
    return {calendar.id, calendar.title, rgb.red, rgb.green, rgb.blue};
}

QList<CalendarSource> sorted(QList<CalendarSource> sources) {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(sources.begin(), sources.end(),
                     [&collator](const CalendarSource& a, const CalendarSource& b) {
                         return collator.compare(a.title, b.title) < 0;
                     });
    return sources;
}

QString eventID(const CalendarStoreEvent& event) {
    if (!event.uid.isEmpty()) {
        QString id = event.calendarId + QLatin1Char(':') + event.uid;
        if (!event.recurrenceId.isEmpty()) id += QLatin1Char(':') + event.recurrenceId;
        return id;
    }
    QString seconds = event.start
                          ? QString::number(event.start->unixTime(), 'f', QLocale::FloatingPointShortest)
                          : QStringLiteral("0");
    if (!seconds.contains(QLatin1Char('.')) && !seconds.contains(QLatin1Char('n')))
        seconds += QStringLiteral(".0");
    return event.calendarId + QLatin1Char('-') + seconds;
}

std::optional<CalendarEvent> snapshot(const CalendarStoreEvent& event,
                                      const QHash<QString, CalendarColor>& colors,
                                      const MeetingLinkDetector& detector) {
    if (!event.start || !event.end) return std::nullopt;
    CalendarEvent result;
    result.id = eventID(event);
    if (auto it = colors.constFind(event.calendarId); it != colors.constEnd()) result.calendarColor = *it;
    result.title = event.title && !event.title->isEmpty() ? *event.title : QStringLiteral("Untitled");
    result.start = *event.start;
    result.end = *event.end;
    result.isAllDay = event.isAllDay;
    result.location = trimmedText(event.location);
    result.calendarID = event.calendarId;
    result.meetingURL = detector.detect(event.url, event.notes, event.location);
    return result;
}

CalendarItem item(const CalendarStoreEvent& event) {
    return {eventID(event), event.calendarId, event.uid, event.recurrenceId};
}

Date startOfDay(Date date) {
    return Date::fromDateTime(localDay(date).startOfDay());
}

std::optional<std::pair<Date, Date>> window(Date now, const CalendarFilter& filter) {
    const QDate today = localDay(now);
    const QDateTime start = today.addDays(-qint64(filter.daysBehind)).startOfDay();
    const QDateTime end = today.addDays(qint64(filter.daysAhead) + 1).startOfDay();
    if (!start.isValid() || !end.isValid()) return std::nullopt;
    return std::make_pair(Date::fromDateTime(start), Date::fromDateTime(end));
}

bool include(const CalendarEvent& event, const CalendarFilter& filter, Date today, Date now) {
    if (event.isAllDay && !filter.showAllDayEvents) return false;
    if (event.isMultiDay() && !filter.showMultiDayEvents) return false;
    if (filter.showPastEventsToday) return true;
    return !(localDay(event.start) == localDay(today) && event.end < now);
}

} // namespace vesk::calendarRules
