#pragma once

#include <QColor>
#include <QtGlobal>

namespace vesk {

// An sRGB colour from 0xRRGGBB; the top byte is ignored. Each channel is its byte over
// 255, which QColor keeps exactly as byte × 257 in its 16-bit channels.
constexpr QColor Color(quint32 hex, double opacity = 1.0) {
    const auto channel = [hex](int shift) { return static_cast<ushort>(((hex >> shift) & 0xFFu) * 0x101u); };
    const double clamped = !(opacity > 0) ? 0 : (opacity > 1 ? 1 : opacity); // NaN reads as 0
    const auto alpha = static_cast<ushort>(clamped * 0xFFFF + 0.5);
    return QColor(QColor::Rgb, alpha, channel(16), channel(8), channel(0));
}

} // namespace vesk
