#pragma once

#include "VeskKit/Foundation/Scheduler.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <QWidget>

namespace vesk {

class MotionAnimator;

// The scripts of the onboarding's animated notch, one per illustrated page.
enum class DemoScript { overview, gestures, media, desk };

// The demo's script as plain tables: what the notch looks like at each beat.
namespace notchDemo {

struct Beat {
    int beat;
    double hold; // seconds

    bool operator==(const Beat&) const = default;
};

struct Cue {
    QString symbol;
    QString label;
};

// The beats in order with how long each is held; none for the media script, whose bars
// move instead.
QList<Beat> beats(DemoScript script);
bool isOpen(DemoScript script, int beat);
QSizeF size(DemoScript script, int beat, QSizeF notch);
// The gesture shown at a beat (the beat clamped to 0 … 4); beat 0 shows none.
Cue cue(int beat);
// The height of media bar `index` (0 … 4) at `phase`: between 3 and 8.
double barHeight(double phase, int index);

// Where the open desk's miniature sits inside a notch shape drawn at `notch`: one row
// 24 below the top and 14 in from each side, its parts centred on the tallest (the divider).
struct Drawer {
    QRectF artwork;
    QRectF title;
    QRectF artist;
    QRectF firstDot;
    QRectF divider;
    QRectF firstRow;
};
Drawer drawer(const QRectF& notch);

inline constexpr double mediaInterval = 0.07;
inline constexpr double phaseStep = 0.42;
inline constexpr double cardHeight = 210;

} // namespace notchDemo

// A small picture of the notch going through its script: a dark card with the notch
// growing into a volume pill, gesture hints, a playing pill or the open desk, all
// invented. Its beats run only while it is visible and start again from the first
// beat each time it is shown; hidden, it wakes nothing.
class NotchDemo final : public QWidget {
    Q_OBJECT
public:
    NotchDemo(DemoScript script, QSizeF notch = QSizeF(92, 17), QWidget* parent = nullptr);
    ~NotchDemo() override;

    DemoScript script() const { return m_script; }
    int beat() const { return m_beat; }
    double phase() const { return m_phase; }
    // The notch's size as drawn now (it moves towards the beat's size).
    QSizeF drawnSize() const;
    bool isRunning() const { return m_task.isValid() && !m_task.isCancelled(); }
    // Stops the script and shows one beat as it looks at rest (pictures of each beat).
    void showBeat(int beat);
    // The gesture cue's opacity now (it fades in with each cue and out at beat 0).
    double cueOpacity() const;
    MotionAnimator* cueMotion() const { return m_cueOpacity; }
    // Where the notch shape is drawn now.
    QRectF notchRect() const;

    QSize sizeHint() const override { return {600, int(notchDemo::cardHeight)}; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void start();
    void stop();
    void enterBeat(int index);
    void tickMedia();
    void paintContent(QPainter& painter, const QRectF& notch) const;

    DemoScript m_script;
    QSizeF m_notch;
    int m_beat = 0;
    // The beat whose cue is drawn: the last beat that had one, so it can fade out at 0.
    int m_cueBeat = 0;
    double m_phase = 0;
    TaskHandle m_task;
    MotionAnimator* m_size;
    MotionAnimator* m_cueOpacity;
};

} // namespace vesk
