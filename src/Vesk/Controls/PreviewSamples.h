#pragma once

#include <QRectF>
#include <QString>

class QPainter;

namespace vesk {

// The small samples the style pickers draw in their tiles, centred in `box`. Each
// takes the style's raw value; an unknown one draws nothing.

// A miniature HUD level bar for a BarStyle.
void paintBarPreview(QPainter& painter, const QRectF& box, const QString& style);
// The symbol of a HUDSpeed: a tortoise, a hare or a bolt.
void paintSpeedPreview(QPainter& painter, const QRectF& box, const QString& speed);
// A miniature progress bar for a MediaBarStyle.
void paintMediaBarPreview(QPainter& painter, const QRectF& box, const QString& style);

} // namespace vesk
