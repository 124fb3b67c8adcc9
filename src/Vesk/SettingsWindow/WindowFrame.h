#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace vesk::windowFrame {

// A saved frame, "x y width height" in logical pixels; nothing for any other text.
std::optional<QRect> parse(const QString& text);
QString format(const QRect& frame);

// Where a window opens: centred on the primary screen's available area, then at the
// saved frame (its size raised to the minimum), then centred again when that frame
// touches none of the screens (the display it was on is gone).
QRect place(const std::optional<QRect>& saved, QSize size, QSize minimum, const QRect& primaryAvailable,
            const QList<QRect>& screens);

} // namespace vesk::windowFrame
