#include "Vesk/Notch/NotchSizing.h"

#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Notch/ActivityMetrics.h"

#include <algorithm>
#include <cmath>

namespace vesk::NotchSizing {

namespace {

bool isAmbientMedia(const ActivityPayload& payload) {
    return payload.kind == ActivityKind::nowPlaying && payload.priority == ActivityPriority::ambient;
}

} // namespace

QSizeF contentSize(const NotchState& state, const Context& context) {
    const double W = context.geometry.notchSize.width();
    const double H = context.geometry.notchSize.height();
    const double S = context.geometry.screenFrame.width();

    switch (state.kind()) {
    case NotchState::Kind::peek:
        return {W + 200, std::max(H, 20.0)};
    case NotchState::Kind::activity: {
        const ActivityPayload payload = *state.payload();
        // Hovered, the title line goes below the cover row. A drawn strip is far lower than
        // that row, so the line is added to the row's floor, not to the strip's height.
        if (isAmbientMedia(payload)) return {W + 92, std::max(H, 30.0) + (context.isHovering ? 24 : 0)};
        return {ActivityMetrics::width(payload, false, W, activityChromePadding(context.contentPadding)),
                std::max(H, 32.0)};
    }
    case NotchState::Kind::activityExpanded:
        return {
            ActivityMetrics::width(*state.payload(), true, W, activityChromePadding(context.contentPadding)),
            48};
    case NotchState::Kind::open:
        return {
            std::max(std::min(context.layout.totalWidth, S - deskScreenMargin), W + deskMinimumExtraWidth),
            context.deskHeight + context.geometry.openHeaderHeight()};
    case NotchState::Kind::hidden:
        return {0, 0};
    case NotchState::Kind::closed:
        return context.isHovering ? QSizeF(W + 14, H + 6) : QSizeF(W, H);
    case NotchState::Kind::dropTarget:
        return {std::min(W + 520, S - 40), 150};
    }
    return {0, 0};
}

double deskHeight(const NotchState& currentState, const DeskLayout& layout) {
    if (currentState.kind() != NotchState::Kind::open || currentState.tab() != DeskTab::desk)
        return restingDeskHeight;
    if (layout.placements.isEmpty()) return restingDeskHeight;
    double tallest = 0;
    for (const WidgetPlacement& placement : layout.placements)
        tallest = std::max(tallest, preferredHeight(placement.id));
    return tallest;
}

QSizeF canvas(const QSizeF& content, const NotchGeometry& geometry) {
    if (content.width() == 0 && content.height() == 0) return {geometry.notchSize.width(), emptyCanvasHeight};
    return {content.width() + 2 * sideSlack, content.height() + bottomSlack};
}

QRectF interactiveRect(const NotchState& currentState, const QSizeF& content, const QSizeF& canvas) {
    if (currentState.kind() == NotchState::Kind::hidden) return {};
    const double x = (canvas.width() - content.width()) / 2 - sideSlack;
    return {x, 0, content.width() + 2 * sideSlack, content.height() + bottomSlack};
}

QRectF panelFrame(const QSizeF& canvas, const NotchGeometry& geometry) {
    const QRectF& screen = geometry.screenFrame;
    const double width = std::min(canvas.width(), screen.width());
    const double height = std::min(canvas.height(), screen.height());
    return {geometry.notchCenterX() - width / 2, screen.top(), width, height};
}

WidgetLayoutEngine deskLayoutEngine() {
    return WidgetLayoutEngine{.cellWidth = deskCellWidth,
                              .gap = deskGap,
                              .contentPadding = deskContentPadding,
                              .maxWidth = deskMaxWidth};
}

double availableDeskWidth(const NotchGeometry& geometry) {
    return geometry.screenFrame.width() - deskScreenMargin;
}

double settingInRange(const QString& key, double value) {
    for (const SettingDescriptor& setting : SettingsStore::catalogue()) {
        if (setting.key != key || !setting.range) continue;
        if (!std::isfinite(value)) return setting.defaultValue.toDouble();
        return std::clamp(value, setting.range->lowest, setting.range->highest);
    }
    return value;
}

} // namespace vesk::NotchSizing
