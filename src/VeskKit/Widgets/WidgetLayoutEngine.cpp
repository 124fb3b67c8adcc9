#include "VeskKit/Widgets/WidgetLayoutEngine.h"

#include <algorithm>

namespace vesk {

namespace {

// Widest a widget may be, whatever the catalogue or a stored value says.
constexpr int maximumCells = 8;

} // namespace

int WidgetLayoutEngine::clampCells(int cells, WidgetID widget) {
    return std::min(std::max(cells, minCells(widget)), maximumCells);
}

QList<WidgetID> WidgetLayoutEngine::normalise(const QList<WidgetID>& order) {
    QList<WidgetID> result;
    result.reserve(qsizetype(allCases<WidgetID>().size()));
    for (WidgetID widget : order)
        if (!result.contains(widget)) result.append(widget);
    for (WidgetID widget : allCases<WidgetID>())
        if (!result.contains(widget)) result.append(widget);
    return result;
}

QList<WidgetID> WidgetLayoutEngine::move(const QList<WidgetID>& order, qsizetype from, qsizetype to) {
    QList<WidgetID> result = normalise(order);
    if (from < 0 || from >= result.size()) return result;
    const WidgetID widget = result.takeAt(from);
    result.insert(std::clamp(to, qsizetype(0), result.size()), widget);
    return result;
}

DeskLayout WidgetLayoutEngine::layout(const QList<WidgetID>& order, const QSet<WidgetID>& enabled,
                                      const QHash<WidgetID, int>& cells, double available) const {
    const double limit = std::min(maxWidth, available);
    DeskLayout result;
    double x = contentPadding;
    bool any = false;
    for (WidgetID widget : normalise(order)) {
        if (!enabled.contains(widget)) continue;
        any = true;
        const int count = clampCells(cells.value(widget, defaultCells(widget)), widget);
        const double width = count * cellWidth;
        const double start = x + (result.placements.isEmpty() ? 0 : gap);
        if (result.placements.isEmpty() || start + width + contentPadding <= limit) {
            result.placements.append(
                WidgetPlacement{.id = widget, .cells = count, .width = width, .x = start});
            x = start + width;
        } else {
            result.overflow.append(widget);
        }
    }
    if (!any) return {};
    result.totalWidth = std::min(limit, x + contentPadding);
    return result;
}

} // namespace vesk
