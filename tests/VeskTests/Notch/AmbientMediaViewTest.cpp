#include "Vesk/Notch/AmbientMediaView.h"
#include "Vesk/Notch/ArtworkCache.h"
#include "Vesk/Notch/WaveformView.h"

#include "VeskUI/Tokens/Vesk.h"

#include "support/Activity/PayloadFactory.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QBuffer>

namespace vesk {
namespace {

using test::near;
using test::pixel;

QByteArray redCover() {
    QImage image(120, 120, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ActivityPayload nowPlaying(ActivityGlyph leading, std::optional<QString> title = std::nullopt,
                           std::optional<QString> artist = std::nullopt) {
    return test::shownPayload(std::move(leading), std::move(title), std::move(artist),
                              ActivityTrailing::waveform(false), ActivityKind::nowPlaying,
                              ActivityPriority::ambient);
}

// The view as the notch gives it room: the cutout and both slots plus the flares.
std::unique_ptr<AmbientMediaView> ambient(const ActivityPayload& p, bool expanded, double height = 30) {
    auto view = std::make_unique<AmbientMediaView>(p, expanded, 180);
    view->resize(180 + 92 + 12, int(height));
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show();
    return view;
}

class AmbientMediaViewTest : public ::testing::Test {
protected:
    void SetUp() override { ArtworkCache::shared().removeAll(); }
};

TEST_F(AmbientMediaViewTest, CoverLeftOfTheCutoutWaveformRightOfIt) {
    auto view = ambient(nowPlaying(ActivityGlyph::artwork(redCover()), u"Song"_qs), false);
    EXPECT_EQ(view->naturalWidth(), 272) << "both slots are 46 wide";
    // The row is centred: slots start 6 in, the tile ends at the cutout.
    EXPECT_EQ(view->tileRect(), QRectF(26, 2, 26, 26));
    EXPECT_EQ(view->waveformRect().left(), 6 + 46 + 180);
    EXPECT_TRUE(view->waveform()->isPlaying())
        << "always moving, whatever the payload's trailing element says";

    ASSERT_TRUE(test::processEventsUntil([&] { return view->loader().image().has_value(); }));
    const QImage image = test::widgetImage(*view);
    EXPECT_TRUE(near(pixel(image, 39, 15), QColor(200, 30, 30)));
    EXPECT_EQ(pixel(image, 26.3, 2.3).alpha(), 0) << "rounded corners of radius 7";
    EXPECT_EQ(pixel(image, 120, 15).alpha(), 0) << "nothing over the cutout";
}

TEST_F(AmbientMediaViewTest, MissingOrBrokenCoverShowsTheNoteTile) {
    for (const auto& [name, glyph] :
         {std::pair{"no data", ActivityGlyph::artwork(std::nullopt)},
          std::pair{"not an image", ActivityGlyph::artwork(QByteArray(900, 'x'))},
          std::pair{"another glyph", ActivityGlyph::symbol(QStringLiteral("music.note"))}}) {
        SCOPED_TRACE(name);
        auto view = ambient(nowPlaying(glyph), false);
        ASSERT_TRUE(test::processEventsUntil([&] { return !view->loader().isDecoding(); }));
        EXPECT_FALSE(view->loader().image());
        const QImage image = test::widgetImage(*view);
        EXPECT_TRUE(near(pixel(image, 28, 4), Vesk::Ink::x800)) << "the dark tile, never an empty slot";
    }

    // A cover that stops decoding on the next track does not leave the old one up.
    auto view = ambient(nowPlaying(ActivityGlyph::artwork(redCover())), false);
    ASSERT_TRUE(test::processEventsUntil([&] { return view->loader().image().has_value(); }));
    view->setPayload(nowPlaying(ActivityGlyph::artwork(QByteArray(900, 'y'))));
    ASSERT_TRUE(test::processEventsUntil([&] { return !view->loader().image().has_value(); }));
}

TEST_F(AmbientMediaViewTest, TheCoverIsDecodedOncePerPayloadNotPerPaint) {
    auto view = ambient(nowPlaying(ActivityGlyph::artwork(redCover())), false);
    ASSERT_TRUE(test::processEventsUntil([&] { return view->loader().image().has_value(); }));
    const qint64 decoded = view->loader().image()->cacheKey();
    for (int i = 0; i < 3; ++i)
        test::widgetImage(*view);
    view->setPayload(
        nowPlaying(ActivityGlyph::artwork(redCover()), QStringLiteral("Same cover"), std::nullopt));
    EXPECT_FALSE(view->loader().isDecoding());
    EXPECT_EQ(view->loader().image()->cacheKey(), decoded);
    EXPECT_EQ(view->loader().image()->size(), QSize(78, 78)) << "decoded at three times the 26-point tile";
}

TEST_F(AmbientMediaViewTest, HoveringAddsTheTitleLineWhichFadesAway) {
    const auto p = nowPlaying(ActivityGlyph::artwork(std::nullopt), QStringLiteral("Harbour Lights"),
                              QStringLiteral("The Quiet Hours"));
    auto resting = ambient(p, false);
    EXPECT_TRUE(resting->labelsRect().isEmpty());

    auto hovered = ambient(p, true, 56);
    EXPECT_EQ(hovered->labelsOpacity(), 1);
    const QRectF line = hovered->labelsRect();
    EXPECT_GE(line.top(), hovered->tileRect().bottom() + 4) << "below the cover row, 4 apart";
    const QImage image = test::widgetImage(*hovered);
    bool inked = false;
    for (int x = 0; x < image.width() && !inked; ++x)
        inked = pixel(image, x, line.center().y()).alpha() > 100;
    EXPECT_TRUE(inked);

    hovered->setExpanded(false, MotionSpec::easeInOut(0.2));
    EXPECT_GT(hovered->labelsOpacity(), 0) << "fades rather than vanishing";
    ASSERT_TRUE(test::processEventsUntil([&] { return hovered->labelsOpacity() == 0; }));
    EXPECT_TRUE(hovered->labelsRect().isEmpty());

    auto untitled = ambient(nowPlaying(ActivityGlyph::artwork(std::nullopt)), true, 56);
    const QImage empty = test::widgetImage(*untitled);
    for (int x = 0; x < empty.width(); ++x)
        ASSERT_EQ(pixel(empty, x, untitled->labelsRect().center().y()).alpha(), 0)
            << "no title, no artist: empty";
}

} // namespace
} // namespace vesk
