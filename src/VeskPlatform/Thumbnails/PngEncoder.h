#pragma once

#include <QByteArray>
#include <QImage>

namespace vesk::png {

// The image as a PNG file (8-bit RGBA, straight alpha), made without Qt's image writer:
// that one asks every image plugin Qt has whether it writes PNG, loading them all into
// the program. Empty for a null image.
QByteArray encode(const QImage& image);

} // namespace vesk::png
