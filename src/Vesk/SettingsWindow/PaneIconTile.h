#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"

#include <QRectF>

class QPainter;

namespace vesk {

// A pane's coloured tile: a rounded square with the pane's top-to-bottom gradient, a
// faint light rim, its symbol in white and a soft shadow in its bottom colour. The
// sidebar draws it at 26 (symbol 12.5, radius 7), the header at 54 (25, 14).
struct PaneIconTile {
    SettingsPane pane;
    double size;
    double symbolSize;
    double radius;

    // Room the shadow takes around the tile.
    double shadowMargin() const { return size / 9 + 1; }
    // Draws the tile with its top-left corner at `origin`.
    void paint(QPainter& painter, const QPointF& origin) const;
};

} // namespace vesk
