#pragma once

namespace vesk {

// How a value moves from where it is to where it should be: a damped spring, an
// ease-in-out curve or a straight line. Every animated view goes through one of these
// (see MotionAnimator), so that reduce motion and the shared timings apply everywhere.
struct MotionSpec {
    enum class Curve { spring, easeInOut, linear };

    Curve curve = Curve::linear;
    // Spring: the period of the undamped oscillation, in seconds.
    double response = 0;
    // Spring: 1 settles fastest without overshoot, below 1 overshoots, above 1 creeps.
    double dampingFraction = 1;
    // Ease-in-out and linear: the length of the motion, in seconds.
    double duration = 0;

    // A spring of unit mass starting at rest, as the design tokens describe them.
    static constexpr MotionSpec spring(double response, double dampingFraction) {
        return {
            .curve = Curve::spring, .response = response, .dampingFraction = dampingFraction, .duration = 0};
    }
    static constexpr MotionSpec easeInOut(double duration) {
        return {.curve = Curve::easeInOut, .response = 0, .dampingFraction = 1, .duration = duration};
    }
    static constexpr MotionSpec linear(double duration) {
        return {.curve = Curve::linear, .response = 0, .dampingFraction = 1, .duration = duration};
    }

    // The fraction of the way covered `seconds` after the start: 0 at the start, 1 once
    // the motion is over. A spring below critical damping passes 1 and swings back.
    double progress(double seconds) const;

    // Seconds until the motion is over. A spring counts as settled once its remaining
    // swing stays within a thousandth of the distance, and runs at most maxSettlingTime.
    double settlingTime() const;

    // True when the value should simply jump to its target.
    bool isInstant() const { return settlingTime() <= 0; }

    static constexpr double maxSettlingTime = 10.0;
    static constexpr double settledWithin = 0.001;

    friend bool operator==(const MotionSpec&, const MotionSpec&) = default;
};

} // namespace vesk
