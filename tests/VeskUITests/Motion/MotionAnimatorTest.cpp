#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Notch/NotchShape.h"
#include "VeskUI/Tokens/Vesk.h"

#include <gtest/gtest.h>

#include <QRectF>
#include <QSignalSpy>
#include <QVariantAnimation>

#include <cmath>

using vesk::MotionAnimator;
using vesk::MotionSpec;
using vesk::NotchShape;

namespace {

// Moves the animator's clock by hand: no timers, no waiting.
void stepTo(MotionAnimator& animator, int ms) {
    animator.animation()->pause();
    animator.animation()->setCurrentTime(ms);
}

} // namespace

TEST(MotionAnimatorTest, FollowsTheSpringCurveAndEndsExactlyOnTheTarget) {
    MotionAnimator animator(QVariant(100.0));
    QSignalSpy finished(&animator, &MotionAnimator::finished);
    const MotionSpec spring = vesk::Vesk::Motion::open;
    animator.animateTo(300.0, spring);
    ASSERT_TRUE(animator.isRunning());
    EXPECT_EQ(animator.animation()->duration(), int(std::ceil(spring.settlingTime() * 1000)));

    for (const int ms : {0, 40, 120, 250, 400}) {
        stepTo(animator, ms);
        EXPECT_NEAR(animator.valueAs<double>(), 100 + 200 * spring.progress(ms / 1000.0), 1e-9) << ms;
    }
    stepTo(animator, animator.animation()->duration());
    EXPECT_EQ(animator.valueAs<double>(), 300.0);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(animator.isRunning());
}

TEST(MotionAnimatorTest, ANewTargetWhileMovingStartsFromWhereTheValueIs) {
    MotionAnimator animator(QVariant(QRectF(0, 0, 200, 32)));
    animator.animateTo(QRectF(0, 0, 600, 176), vesk::Vesk::Motion::open);
    stepTo(animator, 100);
    const QRectF midway = animator.valueAs<QRectF>();
    EXPECT_GT(midway.width(), 200);
    EXPECT_LT(midway.width(), 600);

    animator.animateTo(QRectF(0, 0, 200, 32), vesk::Vesk::Motion::close);
    stepTo(animator, 0);
    EXPECT_EQ(animator.valueAs<QRectF>(), midway);
    EXPECT_EQ(animator.target().toRectF(), QRectF(0, 0, 200, 32));
}

TEST(MotionAnimatorTest, InstantMotionJumpsAnEqualTargetDoesNothingAndStopHolds) {
    MotionAnimator animator(QVariant(1.0));
    QSignalSpy changed(&animator, &MotionAnimator::valueChanged);
    QSignalSpy finished(&animator, &MotionAnimator::finished);

    animator.animateTo(1.0, vesk::Vesk::Motion::hover);
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(changed.count(), 0);

    animator.animateTo(5.0, vesk::Vesk::Motion::hud(vesk::Vesk::HUDSpeed::instant));
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(animator.valueAs<double>(), 5.0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(finished.count(), 1);

    // Without a value yet there is nothing to move from.
    MotionAnimator fresh;
    fresh.animateTo(3.0, vesk::Vesk::Motion::open);
    EXPECT_EQ(fresh.valueAs<double>(), 3.0);

    // Stopping leaves the value where it is, as its new target.
    animator.animateTo(15.0, MotionSpec::linear(1));
    stepTo(animator, 250);
    EXPECT_DOUBLE_EQ(animator.valueAs<double>(), 7.5);
    animator.stop();
    EXPECT_FALSE(animator.isRunning());
    EXPECT_DOUBLE_EQ(animator.valueAs<double>(), 7.5);
    EXPECT_DOUBLE_EQ(animator.target().toDouble(), 7.5);
}

TEST(MotionAnimatorTest, NotchShapeRadiiMorphThroughEveryIntermediateValue) {
    const NotchShape closed{.topRadius = vesk::Vesk::Radius::notchTop,
                            .bottomRadius = vesk::Vesk::Radius::notchBottomClosed};
    const NotchShape open{.topRadius = vesk::Vesk::Radius::notchTop,
                          .bottomRadius = vesk::Vesk::Radius::notchBottomOpen};
    MotionAnimator animator(QVariant::fromValue(closed));
    animator.animateTo(QVariant::fromValue(open), MotionSpec::easeInOut(0.2));

    double previous = closed.bottomRadius;
    for (int ms = 10; ms <= 190; ms += 10) {
        stepTo(animator, ms);
        const auto shape = animator.valueAs<NotchShape>();
        EXPECT_EQ(shape.topRadius, 6);
        EXPECT_GT(shape.bottomRadius, previous) << ms;
        EXPECT_LT(shape.bottomRadius, 34) << ms;
        previous = shape.bottomRadius;
    }
    stepTo(animator, 200);
    EXPECT_EQ(animator.valueAs<NotchShape>(), open);
}
