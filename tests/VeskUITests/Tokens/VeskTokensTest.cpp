#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>

#include <cmath>
#include <vector>

using namespace vesk;

namespace {

struct ColorRow {
    const char* token;
    QColor value;
    quint32 hex;
    double opacity;
};

// The colour tables, token by token.
const std::vector<ColorRow> colorTable{
    {"Ink.x1000", Vesk::Ink::x1000, 0x000000, 1},
    {"Ink.x950", Vesk::Ink::x950, 0x0B0A09, 1},
    {"Ink.x900", Vesk::Ink::x900, 0x131110, 1},
    {"Ink.x850", Vesk::Ink::x850, 0x1A1817, 1},
    {"Ink.x800", Vesk::Ink::x800, 0x221F1D, 1},
    {"Ink.x700", Vesk::Ink::x700, 0x2E2A27, 1},
    {"Ink.x600", Vesk::Ink::x600, 0x3D3835, 1},
    {"Ink.x500", Vesk::Ink::x500, 0x55504B, 1},
    {"Stone.x100", Vesk::Stone::x100, 0xEFEAE3, 1},
    {"Stone.x200", Vesk::Stone::x200, 0xCFC8BF, 1},
    {"Stone.x300", Vesk::Stone::x300, 0xA8A099, 1},
    {"Stone.x400", Vesk::Stone::x400, 0x7B736C, 1},
    {"Paper.x50", Vesk::Paper::x50, 0xFAF7F2, 1},
    {"Paper.x100", Vesk::Paper::x100, 0xF2EDE5, 1},
    {"Paper.x200", Vesk::Paper::x200, 0xE4DDD2, 1},
    {"Paper.x900", Vesk::Paper::x900, 0x211E1B, 1},
    {"Accent.x700", Vesk::Accent::x700, 0x9A948A, 1},
    {"Accent.x600", Vesk::Accent::x600, 0xD6CFC2, 1},
    {"Accent.x500", Vesk::Accent::x500, 0xEDE6DA, 1},
    {"Accent.x400", Vesk::Accent::x400, 0xFFFAF2, 1},
    {"Accent.x300", Vesk::Accent::x300, 0xFFFDF8, 1},
    {"Accent.tint", Vesk::Accent::tint, 0xEDE6DA, 0.12},
    {"Accent.on", Vesk::Accent::on, 0x000000, 1},
    {"Semantic.sage", Vesk::Semantic::sage, 0x6F8A62, 1},
    {"Semantic.amber", Vesk::Semantic::amber, 0xB08641, 1},
    {"Semantic.oxblood", Vesk::Semantic::oxblood, 0x8E3A37, 1},
    {"Semantic.slate", Vesk::Semantic::slate, 0x64707E, 1},
    {"contrastOutline", Vesk::contrastOutline, 0xEFEAE3, 0.08},
};

} // namespace

TEST(VeskTokensTest, ColoursMatchTheirHexValuesAndOpacities) {
    for (const ColorRow& row : colorTable) {
        SCOPED_TRACE(row.token);
        EXPECT_EQ(row.value.spec(), QColor::Rgb);
        // Each channel is exactly its byte over 255 (byte × 257 in 16 bits).
        const QRgba64 wide = row.value.rgba64();
        EXPECT_EQ(QRgba64::fromRgba64(wide.red(), wide.green(), wide.blue(), 0xffff),
                  QRgba64::fromArgb32(0xFF000000 | row.hex));
        EXPECT_NEAR(row.value.alphaF(), row.opacity, 1.0 / 65535);
    }
    EXPECT_EQ(Color(0xAB6F8A62), Color(0x6F8A62)) << "the top byte is ignored";
    EXPECT_EQ(Color(0x102030, 0.5), QColor::fromRgbF(0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 0.5f));
    for (const auto& [opacity, alpha] : {std::pair{2.0, 255}, {-1.0, 0}, {std::nan(""), 0}})
        EXPECT_EQ(Color(0x102030, opacity).alpha(), alpha) << opacity;
}

TEST(VeskTokensTest, RadiiAndMetricsMatchTheirTables) {
    const std::vector<std::pair<const char*, std::pair<double, double>>> lengths{
        {"Radius.notchTop", {Vesk::Radius::notchTop, 6}},
        {"Radius.notchBottomClosed", {Vesk::Radius::notchBottomClosed, 14}},
        {"Radius.notchBottomOpen", {Vesk::Radius::notchBottomOpen, 34}},
        {"Radius.widgetCard", {Vesk::Radius::widgetCard, 12}},
        {"Radius.button", {Vesk::Radius::button, 8}},
        {"Radius.settingsCard", {Vesk::Radius::settingsCard, 16}},
        {"Radius.trayThumbnail", {Vesk::Radius::trayThumbnail, 8}},
        {"Metric.cellWidth", {Vesk::Metric::cellWidth, 54}},
        {"Metric.cellGap", {Vesk::Metric::cellGap, 22}},
        {"Metric.activityHeight", {Vesk::Metric::activityHeight, 32}},
        {"Metric.activityExpandedHeight", {Vesk::Metric::activityExpandedHeight, 48}},
        {"Metric.peekHeight", {Vesk::Metric::peekHeight, 20}},
        {"Metric.deskHeight", {Vesk::Metric::deskHeight, 176}},
        {"Metric.maxDeskWidth", {Vesk::Metric::maxDeskWidth, 1100}},
        {"Metric.hoverInset", {Vesk::Metric::hoverInset, 6}},
    };
    for (const auto& [token, values] : lengths)
        EXPECT_EQ(values.first, values.second) << token;
}

TEST(VeskTokensTest, MotionTokensAreSpringsWithTheTabledResponseAndDamping) {
    const std::vector<std::tuple<const char*, MotionSpec, double, double>> springs{
        {"open", Vesk::Motion::open, 0.42, 0.78},
        {"close", Vesk::Motion::close, 0.34, 0.86},
        {"activityIn", Vesk::Motion::activityIn, 0.36, 0.72},
        {"activityOut", Vesk::Motion::activityOut, 0.28, 0.90},
        {"morph", Vesk::Motion::morph, 0.32, 0.85},
        {"hover", Vesk::Motion::hover, 0.25, 0.85},
    };
    for (const auto& [token, motion, response, damping] : springs) {
        SCOPED_TRACE(token);
        EXPECT_EQ(motion.curve, MotionSpec::Curve::spring);
        EXPECT_EQ(motion.response, response);
        EXPECT_EQ(motion.dampingFraction, damping);
    }
}

TEST(VeskTokensTest, HudSpeedsGiveTheirAnimations) {
    using vesk::Vesk::HUDSpeed;
    EXPECT_EQ(Vesk::Motion::hud(HUDSpeed::smooth), MotionSpec::spring(0.5, 0.85));
    EXPECT_EQ(Vesk::Motion::hud(HUDSpeed::fast), MotionSpec::spring(0.28, 0.85));
    EXPECT_TRUE(Vesk::Motion::hud(HUDSpeed::instant).isInstant());
    EXPECT_EQ(vesk::fromRaw<HUDSpeed>(u"fast"), HUDSpeed::fast);
    EXPECT_EQ(vesk::fromRaw<HUDSpeed>(u"Fast"), std::nullopt);
}

TEST(VeskTokensTest, TintNamesDrawInTheirTokenColours) {
    const std::vector<std::pair<vesk::TintName, QColor>> tints{
        {vesk::TintName::brass, Vesk::Accent::x500},    {vesk::TintName::sage, Vesk::Semantic::sage},
        {vesk::TintName::amber, Vesk::Semantic::amber}, {vesk::TintName::oxblood, Vesk::Semantic::oxblood},
        {vesk::TintName::slate, Vesk::Semantic::slate}, {vesk::TintName::stone, Vesk::Stone::x100},
    };
    ASSERT_EQ(tints.size(), vesk::allCases<vesk::TintName>().size());
    for (const auto& [tint, colour] : tints)
        EXPECT_EQ(Vesk::tintColor(tint), colour) << qPrintable(vesk::toRaw(tint));
}

TEST(VeskTokensTest, TypeStylesHaveTheTabledSizeWeightAndDesign) {
    struct Row {
        const char* token;
        const QFont& font;
        int size;
        QFont::Weight weight;
        QString family; // the packaged family it must resolve to
    };
    const QString inter = QStringLiteral("Inter");
    const std::vector<Row> styles{
        {"activityTitle", Vesk::Type_::activityTitle(), 13, QFont::DemiBold, inter},
        {"activitySubtitle", Vesk::Type_::activitySubtitle(), 11, QFont::Normal, inter},
        {"widgetHeader", Vesk::Type_::widgetHeader(), 11, QFont::DemiBold, inter},
        {"mediaTitle", Vesk::Type_::mediaTitle(), 14, QFont::DemiBold, inter},
        {"mediaArtist", Vesk::Type_::mediaArtist(), 12, QFont::Normal, inter},
        {"timerDigits", Vesk::Type_::timerDigits(), 34, QFont::Medium, QStringLiteral("DejaVu Sans")},
        {"numeric", Vesk::Type_::numeric(), 11, QFont::Medium, QStringLiteral("DejaVu Sans Mono")},
        {"settingsSection", Vesk::Type_::settingsSection(), 11, QFont::DemiBold, inter},
        {"settingsRow", Vesk::Type_::settingsRow(), 13, QFont::Normal, inter},
        {"settingsFootnote", Vesk::Type_::settingsFootnote(), 11, QFont::Normal, inter},
    };
    for (const Row& row : styles) {
        SCOPED_TRACE(row.token);
        EXPECT_EQ(row.font.pixelSize(), row.size);
        EXPECT_EQ(row.font.weight(), row.weight);
        EXPECT_EQ(QFontInfo(row.font).family(), row.family);
        // Every character the notch draws has a glyph: no boxes.
        const QRawFont raw = QRawFont::fromFont(row.font);
        for (const QChar ch : QStringLiteral("0123456789%:–AaZz MacBook Speakers"))
            EXPECT_TRUE(raw.supportsCharacter(ch)) << "no glyph for U+" << std::hex << int(ch.unicode());
    }
}

TEST(VeskTokensTest, StylesWithMonospacedDigitsSetEveryDigitInTheSameWidth) {
    for (const QFont& font : {Vesk::Type_::timerDigits(), Vesk::Type_::numeric()}) {
        const QFontMetricsF metrics(font);
        const double zero = metrics.horizontalAdvance(QLatin1Char('0'));
        for (char digit = '1'; digit <= '9'; ++digit)
            EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QLatin1Char(digit)), zero)
                << QFontInfo(font).family().toStdString() << " digit " << digit;
        // A countdown keeps its width as the digits change.
        EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QStringLiteral("11:11")),
                         metrics.horizontalAdvance(QStringLiteral("08:59")));
    }
}

TEST(VeskTokensTest, SystemFontUsesPixelSizesAndFallsBackToPackagedFamilies) {
    EXPECT_EQ(systemFont(12.5).pixelSize(), 13);
    EXPECT_EQ(systemFont(9.5).pixelSize(), 10);
    EXPECT_EQ(systemFont(0).pixelSize(), 1);
    EXPECT_EQ(systemFont(14, QFont::Medium, FontDesign::rounded), systemFont(14, QFont::Medium));
    for (const FontDesign design : {FontDesign::default_, FontDesign::rounded, FontDesign::monospaced})
        EXPECT_GE(systemFontFamilies(design).size(), 2) << "a fallback family follows the wanted one";
    EXPECT_TRUE(QFontInfo(systemFont(11, QFont::Normal, FontDesign::monospaced)).fixedPitch());
}
