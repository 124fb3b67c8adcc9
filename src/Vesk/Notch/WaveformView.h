#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

namespace vesk {

class ClockSource;
class ReduceMotion;

// Five small bars that rise and fall like a level meter while something plays, and
// stand still at fixed uneven heights when paused or when the desktop asks for reduced
// motion. The motion is a function of the clock alone, so every waveform on screen
// moves in step. While moving it repaints only its own rectangle, at most 30 times a
// second, and only while visible; standing still it runs no timer at all.
class WaveformView : public QWidget {
    Q_OBJECT

public:
    static constexpr int barCount = 5;
    // Frames a second while moving.
    static constexpr int frameRate = 30;

    WaveformView(bool isPlaying, double barWidth, double spacing, double maxHeight, double minHeight,
                 QWidget* parent = nullptr);

    bool isPlaying() const { return m_isPlaying; }
    void setPlaying(bool playing);

    // Where time and the reduce-motion preference come from; the system's by default.
    void setClock(const ClockSource* clock);
    void setReduceMotion(ReduceMotion* reduceMotion);

    // True while the bars move (and a frame timer runs).
    bool isAnimating() const { return m_frames.isActive(); }
    // The heights drawn now, bar 0 first.
    std::array<double, barCount> barHeights() const;

    // Bar i moving at `seconds` since 2001-01-01 UTC.
    static double animatedHeight(int bar, double seconds, double minHeight, double maxHeight);
    // Bar i standing still: never above the middle of the range.
    static double stillHeight(int bar, double minHeight, double maxHeight);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool shouldMove() const;
    void updateTimer();

    bool m_isPlaying;
    double m_barWidth;
    double m_spacing;
    double m_maxHeight;
    double m_minHeight;
    const ClockSource* m_clock;
    QPointer<ReduceMotion> m_reduceMotion;
    QMetaObject::Connection m_reduceMotionChanged;
    QTimer m_frames;
};

} // namespace vesk
