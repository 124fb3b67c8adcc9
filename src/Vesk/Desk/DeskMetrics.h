#pragma once

#include "VeskKit/Widgets/WidgetPlacement.h"

#include <QList>

// The desk's widths for a canvas W wide with side inset I, as pure functions.
namespace vesk::DeskMetrics {

// Between two widgets of the row; the divider sits in its middle.
inline constexpr double rowGap = 22;
inline constexpr double rowBottomPadding = 10;
inline constexpr double trayBottomPadding = 8;
inline constexpr double traySpacing = 6;

// Each header zone beside the camera cutout: (W − 2I − notch) / 2, never negative.
double sideZoneWidth(double canvasWidth, double inset, double notchWidth);

// What every placed widget gets beyond its own width so the row fills W − 2I: the
// spare room shared equally, never negative, 0 when nothing is placed.
double extraWidthPerWidget(double canvasWidth, double inset, const QList<WidgetPlacement>& placements);

} // namespace vesk::DeskMetrics
