#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/Timers/VeskTimer.h"

#include <QList>

#include <functional>

class QAbstractButton;
class QStackedWidget;
class QVBoxLayout;

namespace vesk {

class DurationPicker;

// The desk's countdowns. Without timers: the duration picker, preset chips for 1, 5
// and 10 minutes and "Start"; with timers: one row each (ring, time left, pause or
// resume, "Remove" on secondary click) and "Add Timer". The chosen duration starts at
// 300 s and lasts as long as the widget; the rows count down on a 0.5 s clock while shown.
class TimerWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(double seconds)> onAdd;
        std::function<void(const VeskTimer&)> onToggle;
        std::function<void(const VeskTimer&)> onRemove;
    };

    static constexpr double tickInterval = 0.5;
    static constexpr double rowHeight = 26;
    static constexpr int visibleRows = 3;
    static constexpr double initialDuration = 300;

    TimerWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setTimers(const QList<VeskTimer>& timers);
    const QList<VeskTimer>& timers() const { return m_timers; }
    double duration() const { return m_duration; }
    void setDuration(double seconds);
    // The date the rows are drawn for.
    Date clock() const { return m_now; }

    // Seconds left as a row shows them: rounded up, "m:ss", or "h:mm:ss" from an hour.
    static QString formatted(double remaining);

    // Parts, for tests and snapshots.
    DurationPicker* picker() const { return m_picker; }
    QList<QAbstractButton*> chips() const { return m_chips; }
    QAbstractButton* startButton() const { return m_start; }
    QAbstractButton* addButton() const { return m_add; }
    QList<QWidget*> rows() const;
    bool showsPicker() const;

protected:
    void appeared() override;

private:
    void rebuildRows();
    void tick();

    Actions m_actions;
    QList<VeskTimer> m_timers;
    double m_duration = initialDuration;
    Date m_now;
    QStackedWidget* m_pages = nullptr;
    DurationPicker* m_picker = nullptr;
    QList<QAbstractButton*> m_chips;
    QAbstractButton* m_start = nullptr;
    QAbstractButton* m_add = nullptr;
    QWidget* m_rowList = nullptr;
    QVBoxLayout* m_rowLayout = nullptr;
};

} // namespace vesk
