#include "Vesk/Notch/BackdropRenderer.h"
#include "Vesk/Notch/NotchBackdropPanel.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

namespace vesk {
namespace {

using namespace BackdropRenderer;

// Alpha of the rendered image at a point given in points.
int alphaAt(const QImage& image, double x, double y) {
    const double scale = image.devicePixelRatio();
    return qAlpha(image.pixel(int(x * scale), int(y * scale)));
}

TEST(Backdrop, RendersAtTheScreensScaleKeepingTheShadowsExtentInPoints) {
    const QSizeF window(300, 100);
    const QSizeF shape(248, 74);
    const auto single = render(window, feather, shape, 6, 14, feather, 1);
    const auto doubled = render(window, feather, shape, 6, 14, feather, 2);
    ASSERT_TRUE(single && doubled);
    EXPECT_EQ(single->size(), QSize(300, 100));
    EXPECT_EQ(doubled->size(), QSize(600, 200)) << "the window's size times the scale";
    EXPECT_EQ(doubled->devicePixelRatio(), 2);
    EXPECT_EQ(doubled->format(), QImage::Format_ARGB32_Premultiplied);

    // Black, at most 55 % opaque, fading out within the feather on each side and below.
    EXPECT_EQ(qRed(doubled->pixel(300, 100)), 0);
    EXPECT_NEAR(alphaAt(*doubled, 150, 40), 140, 6) << "inside the outline";
    for (const QPointF& point : {QPointF(150, 40), QPointF(26, 40), QPointF(150, 80), QPointF(2, 40)})
        EXPECT_NEAR(alphaAt(*doubled, point.x(), point.y()), alphaAt(*single, point.x(), point.y()), 3)
            << "the same shadow at " << point.x() << "," << point.y() << " at both scales";
    // The body's wall stands 6 inside the outline's rectangle, at x 32.
    EXPECT_GT(alphaAt(*doubled, 26, 40), 20) << "beside the wall, the shadow shows";
    EXPECT_LT(alphaAt(*doubled, 26, 40), alphaAt(*doubled, 40, 40));
    EXPECT_LT(alphaAt(*doubled, 13, 40), alphaAt(*doubled, 26, 40));
    EXPECT_LT(alphaAt(*doubled, 1, 40), 8) << "and is all but gone at the window's edge";

    EXPECT_FALSE(render(QSizeF(0.2, 100), feather, shape, 6, 14, feather, 2)) << "under one pixel";
}

TEST(Backdrop, CacheEmptiesWholeAtThirteenEntries) {
    Cache cache;
    const QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 13; ++i)
        cache.store(Key{.width = 100.0 + i, .height = 50}, image);
    EXPECT_EQ(cache.count(), 13);
    cache.store(Key{.width = 500, .height = 50}, image);
    EXPECT_EQ(cache.count(), 1) << "the fourteenth insertion empties it first";
    EXPECT_TRUE(cache.contains(Key{.width = 500, .height = 50}));

    cache.store(Key{.width = 500, .height = 50}, std::nullopt);
    EXPECT_EQ(cache.count(), 0) << "storing no image removes the key";

    EXPECT_EQ(qHash(Key{.width = -0.0}), qHash(Key{.width = 0.0})) << "negative zero hashes as zero";
}

class BackdropPanelTest : public ::testing::Test {
protected:
    void SetUp() override { Cache::shared().removeAll(); }
    QScreen* screen = QGuiApplication::primaryScreen();
};

TEST_F(BackdropPanelTest, FollowsTheOutlineRenderingOnlyWhenSizeOrRadiusChange) {
    NotchBackdropPanel backdrop;
    const QRectF shape(200, 0, 260, 40);
    backdrop.follow(shape, 6, 14, screen);
    EXPECT_EQ(backdrop.geometry(), QRect(174, 0, 312, 66)) << "26 more on the left, right and below";
    EXPECT_EQ(backdrop.renderCount(), 1) << "the first follow always renders";
    ASSERT_TRUE(test::processEventsUntil([&] { return !backdrop.isRendering(); }));
    EXPECT_EQ(backdrop.image().size(), QSize(312, 66) * screen->devicePixelRatio());

    backdrop.follow(shape.translated(30, 0), 6, 14, screen);
    EXPECT_EQ(backdrop.geometry().x(), 204) << "moved";
    EXPECT_EQ(backdrop.renderCount(), 1) << "the same size only moves";

    backdrop.follow(shape.translated(30, 0), 6, 34, screen);
    EXPECT_EQ(backdrop.renderCount(), 2) << "a new lower radius renders at the same size";
    EXPECT_EQ(backdrop.renderedRadius(), 34);

    // A second backdrop with an outline seen before takes the cached image.
    NotchBackdropPanel other;
    ASSERT_TRUE(test::processEventsUntil([&] { return !backdrop.isRendering(); }));
    other.follow(shape, 6, 14, screen);
    EXPECT_EQ(other.renderCount(), 0);
    EXPECT_FALSE(other.image().isNull());
}

TEST_F(BackdropPanelTest, ClipsToTheScreenAndIgnoresDegenerateOutlines) {
    NotchBackdropPanel backdrop;
    backdrop.follow(QRectF(10, 0, 200, 40), 6, 14, screen);
    EXPECT_EQ(backdrop.geometry(), QRect(0, 0, 236, 66)) << "narrower than the outline + 52 at the left edge";
    ASSERT_TRUE(test::processEventsUntil([&] { return !backdrop.isRendering(); }));
    // The outline stays under the notch: its interior at x 10 + 100 is dark.
    const QImage& image = backdrop.image();
    EXPECT_GT(alphaAt(image, 110, 20), 100);

    const QRect before = backdrop.geometry();
    backdrop.follow(QRectF(-500, 0, 100, 40), 6, 14, screen);
    EXPECT_EQ(backdrop.geometry(), before) << "an outline off the screen leaves the window as it was";
    EXPECT_EQ(backdrop.renderCount(), 1);
}

TEST_F(BackdropPanelTest, FadesInOverAFifthOfASecond) {
    NotchBackdropPanel backdrop;
    backdrop.setAlpha(0);
    backdrop.fadeIn();
    EXPECT_LT(backdrop.alpha(), 0.5);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(test::processEventsUntil([&] { return backdrop.alpha() == 1; }));
    EXPECT_GE(timer.elapsed(), 150);
}

} // namespace
} // namespace vesk
