#include "Vesk/Desk/DeskMetrics.h"

#include <algorithm>

namespace vesk::DeskMetrics {

double sideZoneWidth(double canvasWidth, double inset, double notchWidth) {
    return std::max(0.0, (canvasWidth - 2 * inset - notchWidth) * 0.5);
}

double extraWidthPerWidget(double canvasWidth, double inset, const QList<WidgetPlacement>& placements) {
    if (placements.isEmpty()) return 0;
    double used = rowGap * double(placements.size() - 1);
    for (const WidgetPlacement& placement : placements)
        used += placement.width;
    return std::max(0.0, (canvasWidth - 2 * inset - used) / double(placements.size()));
}

} // namespace vesk::DeskMetrics
