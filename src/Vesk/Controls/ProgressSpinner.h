#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace vesk {

// The small indeterminate progress indicator: twelve spokes, the brightest one going
// round. It turns only while it is shown, so a hidden one costs nothing.
class ProgressSpinner final : public QWidget {
    Q_OBJECT
public:
    static constexpr int side = 16;
    static constexpr int spokes = 12;
    // One spoke further every this many milliseconds: a turn a second.
    static constexpr int stepMs = 1000 / spokes;

    explicit ProgressSpinner(QWidget* parent = nullptr);

    bool isTurning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_timer;
    int m_step = 0;
};

// A card's loading row: the spinner and a footnote beside it, inset 14 all round.
QWidget* progressRow(const QString& text);

} // namespace vesk
