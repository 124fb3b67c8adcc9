#pragma once

#include <QImage>

namespace vesk {

// A Gaussian blur of an alpha-only image (Format_Alpha8) with standard deviation
// `sigma` in pixels, as two separable passes over a kernel reaching 3 sigma. Pixels
// outside the image count as transparent, so shapes fade out at the edges. Returns an
// image of the same size and format; a null image for any other format. A sigma of 0
// or less returns a copy.
QImage gaussianBlurredAlpha(const QImage& alpha, double sigma);

} // namespace vesk
