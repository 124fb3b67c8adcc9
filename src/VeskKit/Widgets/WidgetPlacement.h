#pragma once

#include "VeskKit/Widgets/WidgetID.h"

namespace vesk {

// One widget placed in the desk row.
struct WidgetPlacement {
    WidgetID id = WidgetID::media;
    int cells = 0;
    double width = 0; // points: cells × cell width
    double x = 0;     // points from the row's leading edge to the widget's leading edge

    friend bool operator==(const WidgetPlacement&, const WidgetPlacement&) = default;
};

} // namespace vesk
