#include "VeskUI/Notch/NotchShape.h"

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

double clampNonNegative(double value, double upper) {
    if (!(value > 0) || !(upper > 0)) return 0; // NaN and negatives give a square corner
    return std::min(value, upper);
}

} // namespace

std::pair<double, double> NotchShape::clampedRadii(const QRectF& rect) const {
    const double w = rect.width();
    const double h = rect.height();
    const double t = clampNonNegative(topRadius, std::min(w / 2, h));
    const double b = clampNonNegative(bottomRadius, std::min(w / 2 - t, h - t));
    return {t, b};
}

QPainterPath NotchShape::path(const QRectF& rect) const {
    const auto [t, b] = clampedRadii(rect);
    const double minX = rect.left();
    const double minY = rect.top();
    const double maxX = rect.right();
    const double maxY = rect.bottom();

    QPainterPath outline;
    outline.moveTo(minX, minY);
    outline.quadTo(minX + t, minY, minX + t, minY + t);
    outline.lineTo(minX + t, maxY - b);
    outline.quadTo(minX + t, maxY, minX + t + b, maxY);
    outline.lineTo(maxX - t - b, maxY);
    outline.quadTo(maxX - t, maxY, maxX - t, maxY - b);
    outline.lineTo(maxX - t, minY + t);
    outline.quadTo(maxX - t, minY, maxX, minY);
    outline.closeSubpath();
    return outline;
}

NotchShape NotchShape::interpolated(const NotchShape& from, const NotchShape& to, double progress) {
    return {.topRadius = from.topRadius + (to.topRadius - from.topRadius) * progress,
            .bottomRadius = from.bottomRadius + (to.bottomRadius - from.bottomRadius) * progress};
}

QVariant NotchShape::interpolatedVariant(const NotchShape& from, const NotchShape& to, qreal progress) {
    return QVariant::fromValue(interpolated(from, to, progress));
}

} // namespace vesk
