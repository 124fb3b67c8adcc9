#pragma once

#include "VeskKit/Widgets/DeskLayout.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace vesk {

// Lays out the desk's widget row from the user's order, enabled set and widths.
struct WidgetLayoutEngine {
    double cellWidth = 0;      // width of one cell
    double gap = 0;            // space between two placed widgets
    double contentPadding = 0; // space before the first and after the last widget
    double maxWidth = 0;       // upper bound of the row

    // Widgets that do not fit go to `overflow`, and a later, narrower one may still fit.
    // The first enabled widget is always placed; `totalWidth` never exceeds the limit.
    DeskLayout layout(const QList<WidgetID>& order, const QSet<WidgetID>& enabled,
                      const QHash<WidgetID, int>& cells, double available) const;

    // The order with repeats dropped and every missing widget appended in declaration order.
    static QList<WidgetID> normalise(const QList<WidgetID>& order);
    // Moves the widget at `from` to `to` (clamped into range) in the normalised order;
    // an out-of-range `from` returns the normalised order unchanged.
    static QList<WidgetID> move(const QList<WidgetID>& order, qsizetype from, qsizetype to);
    static int clampCells(int cells, WidgetID widget);
};

} // namespace vesk
