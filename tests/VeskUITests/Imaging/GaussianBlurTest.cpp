#include "VeskUI/Imaging/GaussianBlur.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vesk {
namespace {

QImage blank(int width, int height) {
    QImage image(width, height, QImage::Format_Alpha8);
    image.fill(0);
    return image;
}

int at(const QImage& image, int x, int y) {
    return image.constScanLine(y)[x];
}

TEST(GaussianBlur, SpreadsAPointAsASymmetricBellThatKeepsItsMass) {
    QImage image = blank(81, 81);
    image.scanLine(40)[40] = 255;
    const double sigma = 3.0;
    QImage blurred = gaussianBlurredAlpha(image, sigma);
    ASSERT_EQ(blurred.size(), image.size());
    ASSERT_EQ(blurred.format(), QImage::Format_Alpha8);

    // Peak of a 2-D Gaussian of unit mass scaled to 255: 255 / (2 pi sigma^2) ~ 4.5.
    EXPECT_NEAR(at(blurred, 40, 40), 255.0 / (2 * M_PI * sigma * sigma), 1.0);
    EXPECT_EQ(at(blurred, 37, 40), at(blurred, 43, 40));
    EXPECT_EQ(at(blurred, 40, 37), at(blurred, 40, 43));
    EXPECT_EQ(at(blurred, 40, 37), at(blurred, 37, 40));
    EXPECT_EQ(at(blurred, 40, 30), 0) << "nothing beyond three sigma";

    // Same test with a wide patch so rounding does not dominate: mass is kept.
    QImage patch = blank(121, 121);
    for (int y = 50; y < 70; ++y)
        for (int x = 50; x < 70; ++x)
            patch.scanLine(y)[x] = 200;
    const QImage spread = gaussianBlurredAlpha(patch, 4.0);
    double before = 0, after = 0;
    for (int y = 0; y < 121; ++y)
        for (int x = 0; x < 121; ++x) {
            before += at(patch, x, y);
            after += at(spread, x, y);
        }
    EXPECT_NEAR(after / before, 1.0, 0.01);
}

TEST(GaussianBlur, EdgesFadeIntoTransparencyOutside) {
    QImage full(60, 60, QImage::Format_Alpha8);
    full.fill(140);
    const QImage blurred = gaussianBlurredAlpha(full, 5.0);
    EXPECT_EQ(at(blurred, 30, 30), 140) << "the inside of a flat area stays as it was";
    // An edge pixel keeps its own tap and half of the rest; a corner that share squared.
    const double kept = 0.5 + 0.5 / (std::sqrt(2 * M_PI) * 5.0);
    EXPECT_NEAR(at(blurred, 0, 30), 140 * kept, 1);
    EXPECT_NEAR(at(blurred, 0, 0), 140 * kept * kept, 1);
}

TEST(GaussianBlur, NoSigmaIsACopyAndOtherFormatsAreRefused) {
    QImage image = blank(4, 4);
    image.scanLine(1)[2] = 99;
    EXPECT_EQ(gaussianBlurredAlpha(image, 0), image);
    EXPECT_TRUE(gaussianBlurredAlpha(QImage(4, 4, QImage::Format_ARGB32), 2).isNull());
}

} // namespace
} // namespace vesk
