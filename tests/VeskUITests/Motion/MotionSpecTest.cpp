#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Vesk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using vesk::MotionSpec;
namespace Motion = vesk::Vesk::Motion;

namespace {

// The step response of a spring at rest, written out independently of the code.
double reference(const MotionSpec& spring, double t) {
    const double zeta = spring.dampingFraction;
    const double omega = 2 * std::numbers::pi / spring.response;
    if (zeta == 1) return 1 - std::exp(-omega * t) * (1 + omega * t);
    if (zeta > 1) {
        const double r1 = -omega * (zeta - std::sqrt(zeta * zeta - 1));
        const double r2 = -omega * (zeta + std::sqrt(zeta * zeta - 1));
        return 1 + (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r1 - r2);
    }
    const double damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * omega * t) *
                   (std::cos(damped * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(damped * t));
}

} // namespace

TEST(MotionSpecTest, SpringsFollowTheDampedOscillatorAndEndOnceSettledWithinAThousandth) {
    for (const MotionSpec& spring :
         {Motion::open, Motion::close, Motion::morph, Motion::activityIn, Motion::activityOut, Motion::hover,
          MotionSpec::spring(0.5, 0.3), MotionSpec::spring(0.3, 1), MotionSpec::spring(0.3, 1.5),
          MotionSpec::spring(0.3, 3)}) {
        const double settle = spring.settlingTime();
        SCOPED_TRACE(testing::Message() << spring.response << " " << spring.dampingFraction);
        EXPECT_GT(settle, spring.response / 4);
        EXPECT_LT(settle, 3.0);
        for (double t = 0; t < settle; t += 0.001)
            ASSERT_NEAR(spring.progress(t), reference(spring, t), 1e-9) << t;
        // Past the end the spring would stay within a thousandth of the target, so
        // finishing there costs no visible jump.
        for (double t = settle; t < settle + 2; t += 0.0005)
            ASSERT_NEAR(reference(spring, t), 1.0, MotionSpec::settledWithin) << t;
        EXPECT_EQ(spring.progress(settle), 1.0);
    }
    // The open spring overshoots; an undamped spring would ring for ever and is cut off.
    EXPECT_GT(Motion::open.progress(0.34), 1.01);
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
