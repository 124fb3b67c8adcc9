#include "Vesk/Notch/ActivityPillView.h"
#include "Vesk/Notch/WaveformView.h"

#include "Vesk/Notch/ArtworkView.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>

#include "support/Activity/PayloadFactory.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::near;
using test::pixel;

ActivityPayload withTrailing(ActivityTrailing trailing) {
    return test::shownPayload(ActivityGlyph::none(), std::nullopt, std::nullopt, std::move(trailing));
}
ActivityPayload withGlyph(ActivityGlyph glyph) {
    return test::shownPayload(std::move(glyph), std::nullopt, std::nullopt, ActivityTrailing::none());
}
ActivityPayload withTexts(std::optional<QString> title, std::optional<QString> subtitle,
                          ActivityGlyph glyph = ActivityGlyph::none()) {
    return test::shownPayload(std::move(glyph), std::move(title), std::move(subtitle),
                              ActivityTrailing::none());
}

// A pill 400 wide and 32 high around a 180-point cutout: each side is 110 wide.
std::unique_ptr<ActivityPillView> pill(const ActivityPayload& p, bool expanded = false) {
    auto view = std::make_unique<ActivityPillView>(p, expanded, 180);
    view->resize(400, expanded ? 48 : 32);
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->show(); // lays the children out
    return view;
}

// The leftmost and rightmost columns with anything drawn between `from` and `to`.
std::pair<int, int> inkedColumns(const QImage& image, int from, int to) {
    int first = -1, last = -1;
    for (int x = from; x < to; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y).alpha() > 40) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST(ActivityPillView, LevelBarEndsAtTheRightEdgeFilledToItsLevel) {
    struct Row {
        const char* name;
        double level;
        double filledUpTo; // x where the fill ends
    };
    for (const Row& row :
         {Row{"half", 0.5, 308 + 46}, Row{"over full", 1.5, 400}, Row{"negative", -0.2, 308}}) {
        SCOPED_TRACE(row.name);
        auto view = pill(withTrailing(ActivityTrailing::bar(row.level)));
        EXPECT_EQ(view->trailingRect(), QRectF(308, 14, 92, 4))
            << "92 wide, its right end at the pill's right edge";
        const QImage image = test::widgetImage(*view);
        if (row.filledUpTo > 310)
            EXPECT_TRUE(near(pixel(image, 310, 16), Vesk::Stone::x100));
        else
            EXPECT_TRUE(near(pixel(image, 310, 16), Vesk::Ink::x700)) << "an empty track only";
        if (row.filledUpTo < 398)
            EXPECT_TRUE(near(pixel(image, row.filledUpTo + 2, 16), Vesk::Ink::x700));
        else
            EXPECT_TRUE(near(pixel(image, 398, 16), Vesk::Stone::x100));
        EXPECT_EQ(pixel(image, 305, 16).alpha(), 0);
        EXPECT_EQ(pixel(image, 350, 11).alpha(), 0) << "4 high, centred";
    }
}

TEST(ActivityPillView, PercentAndTextAreSetFlushRight) {
    for (const auto& [name, trailing, text] :
         {std::tuple{"percent", ActivityTrailing::percent(0.999), QStringLiteral("100%")},
          std::tuple{"text", ActivityTrailing::text(QStringLiteral("10:30")), QStringLiteral("10:30")}}) {
        SCOPED_TRACE(name);
        auto view = pill(withTrailing(trailing));
        const QRectF rect = view->trailingRect();
        EXPECT_EQ(rect.right(), 400);
        EXPECT_EQ(rect.width(), std::ceil(QFontMetricsF(Vesk::Type_::numeric()).horizontalAdvance(text)));
        const auto [first, last] = inkedColumns(test::widgetImage(*view), 220, 400);
        EXPECT_GE(last, 396) << "the text ends at the right edge";
        EXPECT_GE(first, 400 - rect.width() - 1);
    }
}

TEST(ActivityPillView, WaveformSitsAtTheRightEdge) {
    auto view = pill(withTrailing(ActivityTrailing::waveform(false)));
    ASSERT_TRUE(view->waveform());
    EXPECT_EQ(view->waveform()->geometry(), QRect(377, 9, 23, 14));
    EXPECT_FALSE(view->waveform()->isPlaying());
    const auto [first, last] = inkedColumns(test::widgetImage(*view), 220, 400);
    EXPECT_GE(first, 377);
    EXPECT_GE(last, 397);
}

TEST(ActivityPillView, TextBlockFollowsExpansionAndSubtitle) {
    const ActivityGlyph speaker = ActivityGlyph::symbol(u"speaker.wave.2.fill"_qs);
    EXPECT_EQ(pill(withTexts(u"Volume"_qs, std::nullopt, speaker))->shownTitle(), u"Volume"_qs)
        << "a compact pill without a subtitle shows its title";

    const auto both = withTexts(u"Volume"_qs, u"Speakers"_qs, speaker);
    auto compact = pill(both);
    EXPECT_TRUE(compact->titleRect().isEmpty());
    EXPECT_TRUE(compact->subtitleRect().isEmpty());
    const auto [first, last] = inkedColumns(test::widgetImage(*compact), 30, 110);
    EXPECT_EQ(first, -1) << "with a subtitle a compact pill shows neither text";

    auto expanded = pill(both, true);
    EXPECT_EQ(expanded->shownTitle(), QStringLiteral("Volume"));
    EXPECT_EQ(expanded->shownSubtitle(), QStringLiteral("Speakers"));
    EXPECT_LT(expanded->titleRect().bottom(), expanded->subtitleRect().top() + 0.5);
    EXPECT_NEAR(expanded->titleRect().left(), Symbols::sideForFontSize(14) + 9, 0.01)
        << "the texts start 9 after the glyph";

    auto onlySubtitle = pill(withTexts(std::nullopt, u"Connected"_qs), true);
    EXPECT_TRUE(onlySubtitle->titleRect().isEmpty());
    EXPECT_EQ(onlySubtitle->shownSubtitle(), QStringLiteral("Connected"));
    EXPECT_EQ(onlySubtitle->subtitleRect().left(), 0);
}

TEST(ActivityPillView, LongTitlesAreCutAtTheCutout) {
    auto view = pill(withTexts(u"A title far too long for one side of the notch"_qs, std::nullopt));
    EXPECT_TRUE(view->shownTitle().endsWith(QChar(0x2026)));
    const auto [first, last] = inkedColumns(test::widgetImage(*view), 0, 400);
    EXPECT_LE(last, 110) << "nothing is drawn over the cutout";
}

TEST(ActivityPillView, GlyphsDrawAtTheLeftEdge) {
    auto full = pill(withGlyph(ActivityGlyph::progressRing(1)));
    EXPECT_EQ(full->leadingRect(), QRectF(0, 8, 16, 16));
    const QImage ring = test::widgetImage(*full);
    EXPECT_TRUE(near(pixel(ring, 8, 8), Vesk::Accent::x500, 40)) << "a full ring passes the top";
    EXPECT_TRUE(near(pixel(ring, 8, 23.5), Vesk::Accent::x500, 60)) << "and the bottom";

    auto empty = pill(withGlyph(ActivityGlyph::progressRing(0)));
    EXPECT_EQ(inkedColumns(test::widgetImage(*empty), 0, 30).first, -1) << "a ring at 0 draws nothing";

    auto plain = pill(withGlyph(ActivityGlyph::symbol(u"moon.fill"_qs)));
    auto stone = pill(withGlyph(ActivityGlyph::symbolTinted(u"moon.fill"_qs, TintName::stone)));
    const QImage plainImage = test::widgetImage(*plain);
    EXPECT_EQ(plainImage, test::widgetImage(*stone)) << "the stone tint is the plain symbol's colour";
    EXPECT_NE(inkedColumns(plainImage, 0, 30).first, -1);

    auto artwork = pill(withGlyph(ActivityGlyph::artwork(std::nullopt)), true);
    ASSERT_TRUE(artwork->artwork());
    EXPECT_EQ(artwork->artwork()->geometry(), QRect(0, 7, 34, 34)) << "34 points expanded";
}

} // namespace
} // namespace vesk
