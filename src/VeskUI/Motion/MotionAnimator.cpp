#include "VeskUI/Motion/MotionAnimator.h"

#include "VeskUI/Notch/NotchShape.h"

#include <QVariantAnimation>

#include <cmath>
#include <mutex>

namespace vesk {

// Time runs linearly through the animation; the motion's own curve maps elapsed time to
// the fraction covered, which may pass 1 for an underdamped spring. Qt's interpolators
// extrapolate numbers, points, sizes and rects linearly and clamp colours.
class MotionAnimator::Animation final : public QVariantAnimation {
public:
    using QVariantAnimation::QVariantAnimation;
    MotionSpec motion;

protected:
    QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override {
        if (progress >= 1) return to;
        const double seconds = progress * duration() / 1000.0;
        return QVariantAnimation::interpolated(from, to, motion.progress(seconds));
    }
};

namespace {

void registerInterpolators() {
    static std::once_flag once;
    std::call_once(once,
                   [] { qRegisterAnimationInterpolator<NotchShape>(&NotchShape::interpolatedVariant); });
}

} // namespace

MotionAnimator::MotionAnimator(QObject* parent) : MotionAnimator(QVariant(), parent) {}

MotionAnimator::MotionAnimator(const QVariant& initial, QObject* parent)
    : QObject(parent), m_animation(new Animation(this)), m_value(initial), m_target(initial) {
    registerInterpolators();
    m_animation->setEasingCurve(QEasingCurve::Linear);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (m_animation->state() != QAbstractAnimation::Stopped || value == m_target) assign(value);
    });
    connect(m_animation, &QAbstractAnimation::finished, this, [this] {
        assign(m_target);
        Q_EMIT finished();
    });
}

MotionAnimator::~MotionAnimator() = default;

bool MotionAnimator::isRunning() const {
    return m_animation->state() != QAbstractAnimation::Stopped;
}

QVariantAnimation* MotionAnimator::animation() const {
    return m_animation;
}

void MotionAnimator::animateTo(const QVariant& target, const MotionSpec& motion) {
    m_motion = motion;
    if (!isRunning() && target == m_value) {
        m_target = target;
        return;
    }
    m_animation->stop();
    m_target = target;
    if (motion.isInstant() || !m_value.isValid()) {
        assign(target);
        Q_EMIT finished();
        return;
    }
    m_animation->motion = motion;
    m_animation->setDuration(static_cast<int>(std::ceil(motion.settlingTime() * 1000)));
    m_animation->setStartValue(m_value);
    m_animation->setEndValue(target);
    m_animation->start();
}

void MotionAnimator::setValue(const QVariant& value) {
    m_animation->stop();
    m_target = value;
    assign(value);
}

void MotionAnimator::stop() {
    m_animation->stop();
    m_target = m_value;
}

void MotionAnimator::assign(const QVariant& value) {
    if (value == m_value) return;
    m_value = value;
    Q_EMIT valueChanged(m_value);
}

} // namespace vesk
