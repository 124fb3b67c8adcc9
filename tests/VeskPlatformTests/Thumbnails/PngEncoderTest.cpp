#include "VeskPlatform/Thumbnails/PngEncoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

using namespace vesk;

TEST(PngEncoderTest, EncodedImagesReadBackPixelForPixelWithTheirAlpha) {
    QImage image(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 50, y * 100, 255 - x * 40, x == 0 ? 0 : 255 - y * 60));
    QByteArray bytes = png::encode(image);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage back = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(back.size(), image.size()) << qPrintable(reader.errorString());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 1; x < image.width(); ++x)
            EXPECT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(qAlpha(back.pixel(0, 1)), 0);

    EXPECT_TRUE(png::encode(QImage()).isEmpty());
}
