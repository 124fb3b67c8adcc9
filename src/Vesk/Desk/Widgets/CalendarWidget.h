#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/Calendar/CalendarService.h"

#include <QList>

#include <functional>

class QStackedLayout;

namespace vesk {

class WidgetEmptyState;

// The desk's calendar: the loaded events by day, a header per day and a row per event
// (its calendar's colour, title, time and place, a camera for a meeting link), or the
// state of calendar access with the button that leads out of it. Rows compare against
// a clock that ticks every 30 s while shown.
class CalendarWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> onRequestAccess;
        std::function<void()> onOpenSettings;
        std::function<void(const CalendarEvent&)> onOpen;
    };

    static constexpr double tickInterval = 30;

    CalendarWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setAccess(CalendarAccess access);
    void setDays(const QList<CalendarService::Day>& days);
    CalendarAccess access() const { return m_access; }
    const QList<CalendarService::Day>& days() const { return m_days; }
    // The time the rows are drawn against.
    Date clock() const { return m_now; }

    // "Today", "Tomorrow", "Yesterday", a weekday 2 to 6 days ahead, else "Thu 12 Mar".
    static QString dayLabel(Date day, Date now);
    // "All day", "now", "now · 5m left", "09:30 · in 5m" or "09:30–10:00".
    static QString timeLabel(const CalendarEvent& event, Date now);

    // The placeholder shown instead of a list; null while events are listed.
    WidgetEmptyState* emptyState() const;
    QList<QWidget*> rows() const;

protected:
    void appeared() override;

private:
    void rebuild();

    Actions m_actions;
    CalendarAccess m_access = CalendarAccess::notDetermined;
    QList<CalendarService::Day> m_days;
    Date m_now;
    QWidget* m_content = nullptr;
    QStackedLayout* m_stack = nullptr;
};

} // namespace vesk
