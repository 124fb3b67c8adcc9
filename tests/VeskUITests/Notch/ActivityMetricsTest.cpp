#include "VeskUI/Notch/ActivityMetrics.h"

#include "support/Activity/PayloadFactory.h"
#include "support/VeskUI/FakeTextMeasurer.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>

#include <cmath>
#include <optional>

using vesk::ActivityGlyph;
using vesk::ActivityPayload;
using vesk::ActivityTrailing;
namespace ActivityMetrics = vesk::ActivityMetrics;

namespace {

ActivityPayload payload(ActivityGlyph leading, std::optional<QString> title, std::optional<QString> subtitle,
                        ActivityTrailing trailing) {
    return vesk::test::shownPayload(std::move(leading), std::move(title), std::move(subtitle),
                                    std::move(trailing));
}

constexpr double cutout = 185;
constexpr double chrome = 24;

} // namespace

TEST(ActivityMetricsTest, WidthRules) {
    vesk::test::FakeTextMeasurer measurer;
    measurer.setWidth(QStringLiteral("Volume"), 44.2);              // title, rounds up to 45
    measurer.setWidth(QStringLiteral("Long subtitle text"), 130.5); // rounds up to 131
    measurer.setWidth(QStringLiteral("Fifty six"), 29);
    measurer.setWidth(QStringLiteral("Wide"), 400);

    struct Row {
        const char* what;
        ActivityPayload payload;
        bool expanded;
        double width;
    };
    const ActivityGlyph speaker = ActivityGlyph::symbol(QStringLiteral("speaker.wave.2.fill"));
    const std::vector<Row> rows{
        {"nothing at all: side 14, the narrowest activity",
         payload(ActivityGlyph::none(), std::nullopt, std::nullopt, ActivityTrailing::none()), false, 140},
        {"a glyph alone is narrower than the least side",
         payload(speaker, std::nullopt, std::nullopt, ActivityTrailing::none()), false, 140},
        {"side exactly 70 (glyph 27 + text 29 + 14)",
         payload(speaker, QStringLiteral("Fifty six"), std::nullopt, ActivityTrailing::none()), false, 140},
        {"the level bar: 88 + 14 per side",
         payload(speaker, std::nullopt, std::nullopt, ActivityTrailing::bar(0.4)), false, 2 * 102},
        {"the waveform: 42 + 14 is below the least side",
         payload(speaker, std::nullopt, std::nullopt, ActivityTrailing::waveform(true)), false, 140},
        {"the compact title measured and rounded up: 27 + 45 + 14",
         payload(speaker, QStringLiteral("Volume"), std::nullopt, ActivityTrailing::none()), false, 2 * 86},
        {"compact with title and subtitle: glyph and trailing only",
         payload(speaker, QStringLiteral("Volume"), QStringLiteral("Long subtitle text"),
                 ActivityTrailing::bar(1)),
         false, 2 * 102},
        {"expanded with title and subtitle: the wider text, 27 + 131 + 14",
         payload(speaker, QStringLiteral("Volume"), QStringLiteral("Long subtitle text"),
                 ActivityTrailing::bar(1)),
         true, 2 * 172},
        {"expanded with only a subtitle",
         payload(speaker, std::nullopt, QStringLiteral("Long subtitle text"), ActivityTrailing::none()), true,
         2 * 172},
        {"a trailing text: measured + 8, wider than the leading side",
         payload(ActivityGlyph::none(), std::nullopt, std::nullopt,
                 ActivityTrailing::text(QStringLiteral("Wide"))),
         false, 2 * 320},
        {"side 400 is held at 320 per side",
         payload(ActivityGlyph::none(), QStringLiteral("Wide"), std::nullopt, ActivityTrailing::none()),
         false, 640},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_DOUBLE_EQ(ActivityMetrics::width(row.payload, row.expanded, cutout, chrome, measurer),
                         row.width + cutout + chrome);
    }
}

TEST(ActivityMetricsTest, GlyphsTakeTheirDrawnWidth) {
    vesk::test::FakeTextMeasurer measurer;
    for (const ActivityGlyph& glyph :
         {ActivityGlyph::symbol(QStringLiteral("bolt.fill")),
          ActivityGlyph::symbolTinted(QStringLiteral("moon.fill"), vesk::TintName::slate),
          ActivityGlyph::progressRing(0.3)})
        for (bool expanded : {false, true})
            EXPECT_EQ(
                ActivityMetrics::leadingWidth(
                    payload(glyph, std::nullopt, std::nullopt, ActivityTrailing::none()), expanded, measurer),
                27);
    // Artwork is its side plus the gap before the text, so a title beside it is not cut.
    for (const ActivityGlyph& glyph :
         {ActivityGlyph::artwork(std::nullopt), ActivityGlyph::artwork(QByteArray("\x89PNG"))}) {
        const auto art = payload(glyph, std::nullopt, std::nullopt, ActivityTrailing::none());
        EXPECT_EQ(ActivityMetrics::leadingWidth(art, false, measurer), 31);
        EXPECT_EQ(ActivityMetrics::leadingWidth(art, true, measurer), 43);
    }
    EXPECT_EQ(ActivityMetrics::leadingWidth(
                  payload(ActivityGlyph::none(), std::nullopt, std::nullopt, ActivityTrailing::none()), false,
                  measurer),
              0);
}

TEST(ActivityMetricsTest, PercentagesAreMeasuredAsTheyAreDrawn) {
    const std::vector<std::pair<double, QString>> levels{
        {0.5, QStringLiteral("50%")},  {1.0, QStringLiteral("100%")},   {0.29, QStringLiteral("29%")},
        {0.57, QStringLiteral("57%")}, {0.999, QStringLiteral("100%")}, {std::nan(""), QStringLiteral("0%")},
    };
    for (const auto& [level, text] : levels) {
        vesk::test::FakeTextMeasurer measurer;
        const double width = ActivityMetrics::trailingWidth(ActivityTrailing::percent(level), measurer);
        ASSERT_EQ(measurer.calls().size(), 1);
        EXPECT_EQ(measurer.calls().first().text, text);
        EXPECT_EQ(width, 10.0 * text.size() + 8);
    }
}

TEST(ActivityMetricsTest, TextsAreMeasuredInTheirFonts) {
    vesk::test::FakeTextMeasurer measurer;
    ActivityMetrics::width(payload(ActivityGlyph::none(), QStringLiteral("Title"), QStringLiteral("Subtitle"),
                                   ActivityTrailing::text(QStringLiteral("3"))),
                           true, cutout, chrome, measurer);
    ASSERT_EQ(measurer.calls().size(), 3);
    const auto fontOf = [&](const QString& text) {
        for (const auto& call : measurer.calls())
            if (call.text == text) return call.font;
        return QFont();
    };
    EXPECT_EQ(fontOf(QStringLiteral("Title")).pixelSize(), 13);
    EXPECT_EQ(fontOf(QStringLiteral("Title")).weight(), QFont::DemiBold);
    EXPECT_EQ(fontOf(QStringLiteral("Subtitle")).pixelSize(), 11);
    EXPECT_EQ(fontOf(QStringLiteral("Subtitle")).weight(), QFont::Normal);
    EXPECT_EQ(fontOf(QStringLiteral("3")).pixelSize(), 11);
    EXPECT_EQ(fontOf(QStringLiteral("3")).weight(), QFont::Medium);
    EXPECT_EQ(QFontInfo(fontOf(QStringLiteral("Title"))).family(), QStringLiteral("Inter"));
}

TEST(ActivityMetricsTest, RealFontsGiveWholePointWidthsThatGrowWithTheText) {
    const auto realWidth = [](const QString& title) {
        return ActivityMetrics::width(payload(ActivityGlyph::symbol(QStringLiteral("bolt.fill")), title,
                                              std::nullopt, ActivityTrailing::percent(0.29)),
                                      false, 0, 0);
    };
    const double shortTitle = realWidth(QStringLiteral("Charging"));
    const double longTitle = realWidth(QStringLiteral("Charging to eighty percent, then holding"));
    EXPECT_EQ(shortTitle, std::floor(shortTitle));
    EXPECT_GE(shortTitle, 140);
    EXPECT_GT(longTitle, shortTitle);
    EXPECT_EQ(
        ActivityMetrics::measuredWidth(QStringLiteral("29%"), ActivityMetrics::trailingFont()),
        std::ceil(QFontMetricsF(ActivityMetrics::trailingFont()).horizontalAdvance(QStringLiteral("29%"))));
}
