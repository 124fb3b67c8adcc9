#pragma once

#include <QMetaType>
#include <QPainterPath>
#include <QRectF>
#include <QVariant>

namespace vesk {

// The outline of the black notch: a body whose top corners flare outward into the menu
// bar and whose bottom corners are rounded. Both radii interpolate, so a MotionAnimator
// holding a NotchShape morphs the notch between its closed, activity and open looks.
// The side walls stand `topRadius` inside the drawing rectangle: a body W wide needs a
// rectangle W + 2 × topRadius wide.
struct NotchShape {
    double topRadius = 0;
    double bottomRadius = 0;

    // The closed outline in `rect` (y grows downward). Radii are clamped to what the
    // rectangle can hold; every corner is a quadratic curve.
    QPainterPath path(const QRectF& rect) const;

    // The radii in effect in `rect` after clamping: (top, bottom).
    std::pair<double, double> clampedRadii(const QRectF& rect) const;

    // Both radii moved `progress` of the way from `from` to `to` (progress may pass 1).
    static NotchShape interpolated(const NotchShape& from, const NotchShape& to, double progress);
    static QVariant interpolatedVariant(const NotchShape& from, const NotchShape& to, qreal progress);

    friend bool operator==(const NotchShape&, const NotchShape&) = default;
};

} // namespace vesk

Q_DECLARE_METATYPE(vesk::NotchShape)
