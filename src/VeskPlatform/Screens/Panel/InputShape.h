#pragma once

#include <QRegion>

#include <optional>

class QWindow;

namespace vesk {

// The part of a window that takes pointer input, set through the X11 Shape extension's
// input kind: outside it, clicks and motion reach the windows below while the window
// still draws there (so a compositor keeps its soft edges). `region` is in the window's
// logical coordinates; it is scaled to device pixels here. An empty region lets every
// event through. False when the platform has no such thing (not X11, no window yet).
bool setInputShape(QWindow* window, const QRegion& region);

// Gives the whole window back its input.
bool clearInputShape(QWindow* window);

// The window's input shape as the X server holds it, in device pixels; nothing when it
// cannot be read. For checks and tests.
std::optional<QRegion> inputShape(QWindow* window);

} // namespace vesk
