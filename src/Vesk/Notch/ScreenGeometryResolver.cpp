#include "Vesk/Notch/ScreenGeometryResolver.h"

#include "VeskPlatform/Machine/MachineModel.h"

#include <algorithm>

namespace vesk::ScreenGeometryResolver {

const QHash<QString, double>& notchWidthByModel() {
    static const QHash<QString, double> widths{{QStringLiteral("Mac15,12"), 179}};
    return widths;
}

QString machineModel() {
    return machine::model();
}

NotchGeometry geometry(const ScreenDescription& screen, double widthAdjust, double heightAdjust,
                       QSizeF handlerSize, const std::function<QString()>& machineModelSource) {
    const QRectF frame = screen.frame;
    const bool hasHousing = screen.safeAreaTopInset > 0;

    double w = 0;
    double h = 0;
    double x = 0;
    if (!hasHousing) {
        w = handlerSize.width();
        h = handlerSize.height();
        x = frame.center().x() - w / 2;
    } else if (screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea) {
        const double left = screen.auxiliaryTopLeftArea->width();
        const double right = screen.auxiliaryTopRightArea->width();
        w = frame.width() - left - right;
        x = frame.left() + left;
        h = screen.safeAreaTopInset;
    } else {
        const QString model = machineModelSource ? machineModelSource() : machineModel();
        w = notchWidthByModel().value(model, defaultNotchWidth);
        x = frame.center().x() - w / 2;
        h = screen.safeAreaTopInset;
    }

    const double width = std::max(w + widthAdjust, minimumWidth);
    const double height = std::max(h + heightAdjust, minimumHeight);

    return NotchGeometry{
        .displayID = screen.displayID.value_or(0),
        .screenFrame = frame,
        .hasHardwareNotch = hasHousing,
        .notchSize = QSizeF(width, height),
        // Widening keeps the base rectangle's centre; the notch hangs from the top edge.
        .notchOrigin = QPointF(x - (width - w) / 2, frame.top()),
        .menuBarHeight = screen.visibleFrame.top() - frame.top(),
        .backingScale = screen.backingScale,
        .maximumFramesPerSecond = screen.maximumFramesPerSecond,
    };
}

} // namespace vesk::ScreenGeometryResolver
