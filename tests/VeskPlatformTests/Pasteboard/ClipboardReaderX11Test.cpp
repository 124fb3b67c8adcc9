// Reading the X clipboard off the main thread, against another program owning it.
#include "VeskPlatform/Pasteboard/X11ClipboardReader.h"

#include "support/X11/ClipboardOwner.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>

using namespace vesk;
using namespace vesk::test;

namespace {

QByteArray noisePng() {
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TEST(ClipboardReaderX11Test, ReadsTypesTextFilesAndAnImageSentInChunks) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    const QByteArray png = noisePng();
    ASSERT_GT(png.size(), 3 * 4096) << "big enough to need several chunks";
    ClipboardOwner owner({{"UTF8_STRING", "hello"},
                          {"text/uri-list", "file:///tmp/one.txt\r\n"},
                          {"image/png", png},
                          {"text/plain", QByteArray(20000, 'x')}});
    X11ClipboardReader reader(qgetenv("DISPLAY"));

    const QStringList types = reader.types();
    for (const char* type : {"TARGETS", "UTF8_STRING", "text/uri-list", "image/png"})
        EXPECT_TRUE(types.contains(QLatin1String(type))) << type;
    EXPECT_EQ(reader.data("UTF8_STRING", 100).bytes, "hello");
    EXPECT_EQ(reader.data("text/uri-list", 100).bytes, "file:///tmp/one.txt\r\n");
    const ClipboardData image = reader.data("image/png", 64 * 1024 * 1024);
    ASSERT_EQ(image.status, ClipboardData::Status::ok);
    EXPECT_EQ(image.bytes, png);
    EXPECT_GT(owner.chunksSent(), 3);

    EXPECT_EQ(reader.data("UTF8_STRING", 3).status, ClipboardData::Status::tooLarge);
    const int before = owner.chunksSent();
    EXPECT_EQ(reader.data("text/plain", 10000).status, ClipboardData::Status::tooLarge);
    EXPECT_LE(owner.chunksSent() - before, 4) << "an INCR transfer stops once past the limit";
    EXPECT_EQ(reader.data("UTF8_STRING", 100).bytes, "hello") << "and later requests still work";
    EXPECT_EQ(reader.data("image/tiff", 100).status, ClipboardData::Status::unavailable);
}

TEST(ClipboardReaderX11Test, AnOwnerThatNeverAnswersIsGivenUpAfterASecond) {
    ClipboardOwner owner({{"UTF8_STRING", "never sent"}}, true);
    X11ClipboardReader reader(qgetenv("DISPLAY"));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(reader.types().isEmpty());
    EXPECT_GE(timer.elapsed(), ClipboardReader::requestTimeoutMs - 50);
    EXPECT_LT(timer.elapsed(), 10000);
}
