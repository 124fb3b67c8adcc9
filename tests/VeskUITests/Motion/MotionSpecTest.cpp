#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Vesk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using vesk::MotionSpec;

namespace {

double peakOvershoot(double zeta) {
    return std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta));
}

// The step response of a spring at rest, written out independently of the code.
double reference(const MotionSpec& spring, double t) {
    const double zeta = spring.dampingFraction;
    const double omega = 2 * std::numbers::pi / spring.response;
    if (zeta == 1) return 1 - std::exp(-omega * t) * (1 + omega * t);
    const double damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * omega * t) *
                   (std::cos(damped * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(damped * t));
}

} // namespace

TEST(MotionSpecTest, UnderdampedSpringsOvershootByTheDampedOscillatorsPeak) {
    for (const MotionSpec& spring : {vesk::Vesk::Motion::open, vesk::Vesk::Motion::activityIn,
                                     vesk::Vesk::Motion::hover, MotionSpec::spring(0.5, 0.3)}) {
        SCOPED_TRACE(spring.dampingFraction);
        const double zeta = spring.dampingFraction;
        const double omega = 2 * std::numbers::pi / spring.response;
        const double peakTime = std::numbers::pi / (omega * std::sqrt(1 - zeta * zeta));
        EXPECT_EQ(spring.progress(0), 0);
        EXPECT_NEAR(spring.progress(peakTime), 1 + peakOvershoot(zeta), 1e-9);
        // The peak is the largest value the spring reaches.
        for (double t = 0; t < spring.settlingTime(); t += 0.001)
            EXPECT_LE(spring.progress(t), 1 + peakOvershoot(zeta) + 1e-9);
    }
}

TEST(MotionSpecTest, SpringsStartAtRestAndNeverPassTheTargetWhenCriticallyOrOverDamped) {
    for (const double zeta : {1.0, 1.5, 3.0}) {
        const MotionSpec spring = MotionSpec::spring(0.3, zeta);
        // At rest at the start: the first millisecond barely moves.
        EXPECT_LT(spring.progress(0.001), 0.01) << zeta;
        double previous = 0;
        for (double t = 0.001; t < spring.settlingTime(); t += 0.001) {
            const double value = spring.progress(t);
            EXPECT_GE(value, previous) << "at " << t;
            EXPECT_LE(value, 1.0);
            previous = value;
        }
    }
    // Critical damping follows 1 − e^(−ωt)(1 + ωt).
    const MotionSpec critical = MotionSpec::spring(0.4, 1);
    const double omega = 2 * std::numbers::pi / 0.4;
    EXPECT_NEAR(critical.progress(0.1), 1 - std::exp(-omega * 0.1) * (1 + omega * 0.1), 1e-12);
}

TEST(MotionSpecTest, SpringsSettleWithinAThousandthAndStayThere) {
    for (const MotionSpec& spring :
         {vesk::Vesk::Motion::open, vesk::Vesk::Motion::close, vesk::Vesk::Motion::morph,
          vesk::Vesk::Motion::activityOut, MotionSpec::spring(0.3, 1)}) {
        const double settle = spring.settlingTime();
        SCOPED_TRACE(settle);
        EXPECT_GT(settle, spring.response / 4);
        EXPECT_LT(settle, 3.0);
        // Past the end the spring would stay within a thousandth of the target, so
        // finishing there costs no visible jump.
        for (double t = settle; t < settle + 2; t += 0.0005)
            EXPECT_NEAR(reference(spring, t), 1.0, MotionSpec::settledWithin) << t;
        EXPECT_NEAR(spring.progress(settle - 1e-6), reference(spring, settle - 1e-6), 1e-12);
        EXPECT_EQ(spring.progress(settle), 1.0);
    }
    // An undamped spring would ring for ever: it is cut off.
    EXPECT_EQ(MotionSpec::spring(0.3, 0).settlingTime(), MotionSpec::maxSettlingTime);
}

TEST(MotionSpecTest, EaseInOutIsSymmetricAndSlowAtBothEnds) {
    const MotionSpec ease = MotionSpec::easeInOut(0.2);
    EXPECT_EQ(ease.settlingTime(), 0.2);
    EXPECT_NEAR(ease.progress(0.1), 0.5, 1e-3);
    EXPECT_LT(ease.progress(0.02), 0.1 * 0.5);
    EXPECT_NEAR(ease.progress(0.05) + ease.progress(0.15), 1.0, 1e-3);
    EXPECT_EQ(ease.progress(0.2), 1);
    EXPECT_EQ(ease.progress(-1), 0);
}

TEST(MotionSpecTest, LinearAndZeroLengthMotions) {
    const MotionSpec line = MotionSpec::linear(0.5);
    EXPECT_DOUBLE_EQ(line.progress(0.125), 0.25);
    EXPECT_FALSE(line.isInstant());
    for (const MotionSpec& instant : {MotionSpec::linear(0), MotionSpec::easeInOut(-1),
                                      MotionSpec::spring(0, 0.8), MotionSpec::spring(std::nan(""), 0.8)}) {
        EXPECT_TRUE(instant.isInstant());
        EXPECT_EQ(instant.progress(0), 1);
    }
}
