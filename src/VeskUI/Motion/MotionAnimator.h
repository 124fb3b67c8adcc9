#pragma once

#include "VeskUI/Motion/MotionSpec.h"

#include <QObject>
#include <QVariant>

class QVariantAnimation;

namespace vesk {

// The one way views animate: holds a value (a number, point, size, rect, colour or a
// NotchShape) and moves it to a new target along a MotionSpec, evaluating springs
// exactly rather than approximating them with a stock easing curve. A new target while
// moving starts from where the value is. Runs on Qt's animation timer only while moving,
// so an idle animator costs nothing. Main thread only.
class MotionAnimator : public QObject {
    Q_OBJECT

public:
    explicit MotionAnimator(QObject* parent = nullptr);
    explicit MotionAnimator(const QVariant& initial, QObject* parent = nullptr);
    ~MotionAnimator() override;

    QVariant value() const { return m_value; }
    template <typename T> T valueAs() const { return m_value.value<T>(); }
    QVariant target() const { return m_target; }
    bool isRunning() const;
    // The motion of the running or most recent animation.
    const MotionSpec& motion() const { return m_motion; }

    // Moves to `target` along `motion`. An instant motion, or an animator without a
    // value yet, jumps there (and reports finished); a target equal to the resting
    // value does nothing.
    void animateTo(const QVariant& target, const MotionSpec& motion);
    // Jumps to `value`, stopping any motion.
    void setValue(const QVariant& value);
    // Stops where the value is now.
    void stop();

    // The animation underneath, for tests that step time by hand (pause, setCurrentTime).
    QVariantAnimation* animation() const;

Q_SIGNALS:
    void valueChanged(const QVariant& value);
    // The value reached the target of an animateTo.
    void finished();

private:
    class Animation;

    void assign(const QVariant& value);

    Animation* m_animation = nullptr;
    QVariant m_value;
    QVariant m_target;
    MotionSpec m_motion;
};

} // namespace vesk
