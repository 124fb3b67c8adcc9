#pragma once

#include <QRectF>
#include <QString>

#include <optional>

namespace vesk {

// What the notch needs to know about one screen, in Qt's global coordinates
// (device-independent pixels, origin top left, y downward).
struct ScreenDescription {
    // Stable per output across runs; absent when the screen could not be identified.
    std::optional<quint32> displayID;
    QString name;
    QRectF frame;
    // The frame less the desktop's panels; its top edge is where the menu bar ends.
    QRectF visibleFrame;
    // Height of a camera housing cut into the top edge; 0 when there is none.
    double safeAreaTopInset = 0;
    // The usable strips left and right of the camera housing, when the screen reports them.
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;
    double backingScale = 1;
    int maximumFramesPerSecond = 60;

    friend bool operator==(const ScreenDescription&, const ScreenDescription&) = default;
};

} // namespace vesk
