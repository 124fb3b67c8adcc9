#include "Vesk/Notch/ArtworkCache.h"
#include "Vesk/Notch/ArtworkLoader.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QSignalSpy>

namespace vesk {
namespace {

QByteArray encoded(QSize size, QColor colour, const char* format = "PNG") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class ArtworkCacheTest : public ::testing::Test {
protected:
    void SetUp() override { ArtworkCache::shared().removeAll(); }
    void TearDown() override { ArtworkCache::shared().removeAll(); }
};

TEST_F(ArtworkCacheTest, KeyTakesTheSizeAndTheEndsOfLargeArtwork) {
    const QByteArray cover = encoded({600, 600}, Qt::red, "BMP");
    ASSERT_GT(cover.size(), 512);
    EXPECT_EQ(ArtworkCache::key(cover, 24), ArtworkCache::key(QByteArray(cover), 24));
    EXPECT_EQ(ArtworkCache::key(cover, 24.9), ArtworkCache::key(cover, 24))
        << "the size counts in whole points";
    EXPECT_NE(ArtworkCache::key(cover, 24), ArtworkCache::key(cover, 48));

    QByteArray middleChanged = cover;
    middleChanged[cover.size() / 2] = char(middleChanged[cover.size() / 2] ^ 0x5a);
    EXPECT_EQ(ArtworkCache::key(middleChanged, 24), ArtworkCache::key(cover, 24))
        << "only the first and last 256 bytes of large artwork are read";
    QByteArray tailChanged = cover;
    tailChanged[cover.size() - 1] = char(tailChanged[cover.size() - 1] ^ 0x5a);
    EXPECT_NE(ArtworkCache::key(tailChanged, 24), ArtworkCache::key(cover, 24));

    const QByteArray small(300, 'a');
    const QByteArray otherSmall(300, 'b');
    EXPECT_NE(ArtworkCache::key(small, 24), ArtworkCache::key(otherSmall, 24))
        << "two small pictures of one length must not share a cached image";

    EXPECT_EQ(ArtworkCache::key(std::nullopt, 24), ArtworkCache::key(QByteArray(), 24));
}

TEST_F(ArtworkCacheTest, KeepsAtMostTwelveImagesOrTwentyFourMebibytesDroppingTheLeastRecentlyUsed) {
    ArtworkCache& cache = ArtworkCache::shared();
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    for (size_t key = 1; key <= 12; ++key)
        cache.store(image, key);
    ASSERT_EQ(cache.count(), 12);
    EXPECT_TRUE(cache.image(1)) << "looking at the oldest makes it recent";

    cache.store(image, 13);
    EXPECT_EQ(cache.count(), 12);
    EXPECT_TRUE(cache.image(1));
    EXPECT_FALSE(cache.image(2)) << "the thirteenth image evicts the least recently used";
    EXPECT_EQ(cache.totalCost(), 12 * 10 * 10 * 4);

    // And at most 24 MiB of pixels.
    cache.removeAll();
    const QImage large(1024, 1024, QImage::Format_ARGB32_Premultiplied); // 4 MiB each
    for (size_t key = 1; key <= 7; ++key)
        cache.store(large, key);
    EXPECT_EQ(cache.count(), 6);
    EXPECT_EQ(cache.totalCost(), ArtworkCache::costLimit);
    EXPECT_FALSE(cache.image(1));
    cache.store(QImage(4096, 2048, QImage::Format_ARGB32_Premultiplied), 99);
    EXPECT_FALSE(cache.image(99)) << "an image over the whole limit is not kept";
    EXPECT_EQ(cache.count(), 6);
}

TEST_F(ArtworkCacheTest, DownsamplesToTheLongerSideWithoutEnlarging) {
    const auto wide = ArtworkCache::downsample(encoded({600, 300}, Qt::blue), 72);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), QSize(72, 36));
    EXPECT_EQ(wide->pixelColor(10, 10), QColor(Qt::blue));

    const auto jpeg = ArtworkCache::downsample(encoded({800, 800}, Qt::green, "JPG"), 144);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->size(), QSize(144, 144));

    const auto small = ArtworkCache::downsample(encoded({40, 20}, Qt::blue), 72);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size(), QSize(40, 20));

    EXPECT_FALSE(ArtworkCache::downsample(QByteArray("not an image at all"), 72));
    EXPECT_FALSE(ArtworkCache::downsample(QByteArray(), 72));
}

TEST_F(ArtworkCacheTest, LoaderDecodesEachSizeOnceAtThreeTimesItsEdge) {
    const QByteArray cover = encoded({500, 500}, Qt::red);
    ArtworkLoader small;
    ArtworkLoader large;
    small.load(cover, 24);
    large.load(cover, 48);
    ASSERT_TRUE(test::processEventsUntil([&] { return small.image() && large.image(); }));
    EXPECT_EQ(small.image()->size(), QSize(72, 72));
    EXPECT_EQ(large.image()->size(), QSize(144, 144));
    EXPECT_EQ(ArtworkCache::shared().count(), 2) << "the size is part of the key";

    // A second view of the same artwork at the same size takes it from the cache at once.
    ArtworkLoader again;
    again.load(cover, 24);
    EXPECT_FALSE(again.isDecoding());
    ASSERT_TRUE(again.image());
    EXPECT_EQ(again.image()->cacheKey(), small.image()->cacheKey());

    // Handing over the same payload again decodes nothing and changes nothing.
    QSignalSpy changes(&small, &ArtworkLoader::imageChanged);
    small.load(QByteArray(cover), 24);
    EXPECT_FALSE(small.isDecoding());
    EXPECT_EQ(changes.size(), 0);
}

TEST_F(ArtworkCacheTest, LoaderKeepsItsImageWhenNewBytesDoNotDecodeAndClearsWithoutBytes) {
    ArtworkLoader loader;
    loader.load(std::nullopt, 24);
    EXPECT_FALSE(loader.image());
    EXPECT_FALSE(loader.isDecoding()) << "no artwork decodes nothing";

    loader.load(encoded({100, 100}, Qt::red), 24);
    ASSERT_TRUE(test::processEventsUntil([&] { return loader.image().has_value(); }));
    const qint64 shown = loader.image()->cacheKey();
    const int cached = ArtworkCache::shared().count();

    QSignalSpy failed(&loader, &ArtworkLoader::decodeFailed);
    loader.load(QByteArray(2000, '\x01'), 24);
    ASSERT_TRUE(test::processEventsUntil([&] { return failed.size() == 1; }));
    ASSERT_TRUE(loader.image());
    EXPECT_EQ(loader.image()->cacheKey(), shown);
    EXPECT_EQ(ArtworkCache::shared().count(), cached) << "nothing is cached for corrupt bytes";

    loader.load(std::nullopt, 24);
    EXPECT_FALSE(loader.image());
}

} // namespace
} // namespace vesk
