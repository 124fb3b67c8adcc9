#pragma once

#include "Vesk/Notch/NotchGeometry.h"
#include "VeskPlatform/Screens/ScreenDescription.h"

#include <QHash>
#include <QSizeF>
#include <QString>

#include <functional>

namespace vesk {

// Builds a screen's NotchGeometry: the camera housing where the screen reports one,
// otherwise a drawn handler strip centred on the top edge.
namespace ScreenGeometryResolver {

// Notch widths of housings that do not report the areas beside them, by machine model.
const QHash<QString, double>& notchWidthByModel();
// Width of a housing whose model is not listed.
inline constexpr double defaultNotchWidth = 180;
inline constexpr double minimumWidth = 40;
inline constexpr double minimumHeight = 2;

// `machineModel` is asked only for a housing without its side areas.
NotchGeometry geometry(const ScreenDescription& screen, double widthAdjust, double heightAdjust,
                       QSizeF handlerSize, const std::function<QString()>& machineModel = {});

// This machine's model name; empty when it cannot be read.
QString machineModel();

} // namespace ScreenGeometryResolver

} // namespace vesk
