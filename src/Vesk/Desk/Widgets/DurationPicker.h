#pragma once

#include <QWidget>

#include <array>

namespace vesk {

class TimerWheel;

// Three wheels, hours, minutes and seconds, that dial a duration of at most 23:59:59.
// The row at each wheel's centre is its value; a band marks the centre and the wheels
// fade towards the top and bottom. Every wheel event over the picker is taken, so none
// reaches the notch's gestures.
class DurationPicker : public QWidget {
    Q_OBJECT

public:
    DurationPicker(double rowHeight, int visibleRows, QWidget* parent = nullptr);

    double duration() const { return m_duration; }
    // A duration from outside: the wheels move to it (a value outside 0...23:59:59 is
    // shown clamped, and kept as given until the user scrolls).
    void setDuration(double seconds);
    // The value at the centre of each wheel: hours, minutes, seconds.
    std::array<int, 3> positions() const;
    // The wheels' areas, for tests and snapshots.
    QRect wheelRect(int wheel) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user moved a wheel to a new row: the new whole-second total.
    void durationChanged(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void wheelMoved(int wheel, int value);

    double m_rowHeight;
    int m_visibleRows;
    double m_duration = 0;
    std::array<TimerWheel*, 3> m_wheels{};
};

} // namespace vesk
