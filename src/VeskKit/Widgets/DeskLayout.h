#pragma once

#include "VeskKit/Widgets/WidgetPlacement.h"

#include <QList>

namespace vesk {

// The laid-out widget row.
struct DeskLayout {
    QList<WidgetPlacement> placements; // left to right
    double totalWidth = 0;             // points
    QList<WidgetID> overflow;          // enabled widgets that did not fit, in row order

    bool isEmpty() const { return placements.isEmpty(); }

    friend bool operator==(const DeskLayout&, const DeskLayout&) = default;
};

} // namespace vesk
