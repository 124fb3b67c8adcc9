#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QtGlobal>

#include <algorithm>

namespace vesk {

// One display's notch: where the notch rectangle lies in global coordinates (origin top
// left), whether it is a camera housing or a drawn strip, and the screen facts the
// surface needs.
struct NotchGeometry {
    quint32 displayID = 0; // 0 when the screen could not be identified
    QRectF screenFrame;
    bool hasHardwareNotch = false;
    QSizeF notchSize;    // after adjustments and floors
    QPointF notchOrigin; // top-left corner of the notch rectangle
    double menuBarHeight = 0;
    double backingScale = 1;
    int maximumFramesPerSecond = 60;

    QRectF notchRect() const { return QRectF(notchOrigin, notchSize); }
    double notchCenterX() const { return notchOrigin.x() + notchSize.width() * 0.5; }
    // The header band of the open desk that the notch occupies; a drawn strip is too
    // thin to hold the header, so it gets at least 30.
    double openHeaderHeight() const {
        return hasHardwareNotch ? notchSize.height() : std::max(notchSize.height(), 30.0);
    }

    friend bool operator==(const NotchGeometry&, const NotchGeometry&) = default;
};

} // namespace vesk
