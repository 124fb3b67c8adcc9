#include "VeskUI/Motion/MotionSpec.h"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vesk {

namespace {

bool usable(double seconds) {
    return std::isfinite(seconds) && seconds > 0;
}

double damping(const MotionSpec& spec) {
    return std::isfinite(spec.dampingFraction) ? std::max(0.0, spec.dampingFraction) : 1.0;
}

// Unit step response of a mass-spring-damper starting at rest.
double springProgress(double response, double zeta, double t) {
    const double omega = 2 * std::numbers::pi / response;
    if (std::abs(zeta - 1) < 1e-6) return 1 - std::exp(-omega * t) * (1 + omega * t);
    if (zeta < 1) {
        const double damped = omega * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-zeta * omega * t);
        return 1 - decay * (std::cos(damped * t) + zeta * omega / damped * std::sin(damped * t));
    }
    const double root = std::sqrt(zeta * zeta - 1);
    const double r1 = -omega * (zeta - root);
    const double r2 = -omega * (zeta + root);
    return 1 - (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
}

double springSettlingTime(double response, double zeta) {
    const double eps = MotionSpec::settledWithin;
    const double omega = 2 * std::numbers::pi / response;
    if (zeta < 1 - 1e-6) {
        // The swing stays inside the decaying envelope e^(-ζωt) / √(1-ζ²).
        if (zeta <= 0) return MotionSpec::maxSettlingTime;
        const double t = std::log(1 / (eps * std::sqrt(1 - zeta * zeta))) / (zeta * omega);
        return std::min(t, MotionSpec::maxSettlingTime);
    }
    // Critical and heavier damping approach the target without passing it.
    if (1 - springProgress(response, zeta, MotionSpec::maxSettlingTime) > eps)
        return MotionSpec::maxSettlingTime;
    double lo = 0;
    double hi = MotionSpec::maxSettlingTime;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (1 - springProgress(response, zeta, mid) > eps ? lo : hi) = mid;
    }
    return hi;
}

double standardEaseInOut(double fraction) {
    // The standard ease-in-out: a cubic Bézier through (0.42, 0) and (0.58, 1).
    static const QEasingCurve curve = [] {
        QEasingCurve c(QEasingCurve::BezierSpline);
        c.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return c;
    }();
    return curve.valueForProgress(fraction);
}

} // namespace

double MotionSpec::progress(double seconds) const {
    const double settle = settlingTime();
    if (settle <= 0 || !(seconds < settle)) return 1;
    if (!(seconds > 0)) return 0;
    switch (curve) {
    case Curve::spring:
        return springProgress(response, damping(*this), seconds);
    case Curve::easeInOut:
        return standardEaseInOut(seconds / duration);
    case Curve::linear:
        return seconds / duration;
    }
    return 1;
}

double MotionSpec::settlingTime() const {
    if (curve == Curve::spring) return usable(response) ? springSettlingTime(response, damping(*this)) : 0;
    return usable(duration) ? duration : 0;
}

} // namespace vesk
