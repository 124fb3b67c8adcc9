#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>

#include <cmath>
#include <vector>

using namespace vesk;

TEST(VeskTokensTest, ColoursTakeTheLowBytesAndAClampedOpacity) {
    EXPECT_EQ(Color(0xAB6F8A62), Color(0x6F8A62)) << "the top byte is ignored";
    EXPECT_EQ(Color(0x102030, 0.5), QColor::fromRgbF(0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 0.5f));
    for (const auto& [opacity, alpha] : {std::pair{2.0, 255}, {-1.0, 0}, {std::nan(""), 0}})
        EXPECT_EQ(Color(0x102030, opacity).alpha(), alpha) << opacity;
}

TEST(VeskTokensTest, HudSpeedsGiveTheirAnimations) {
    using vesk::Vesk::HUDSpeed;
    EXPECT_EQ(Vesk::Motion::hud(HUDSpeed::smooth), MotionSpec::spring(0.5, 0.85));
    EXPECT_EQ(Vesk::Motion::hud(HUDSpeed::fast), MotionSpec::spring(0.28, 0.85));
    EXPECT_TRUE(Vesk::Motion::hud(HUDSpeed::instant).isInstant());
}

TEST(VeskTokensTest, TypeStylesResolveToPackagedFamiliesWithEveryGlyph) {
    const QString inter = QStringLiteral("Inter");
    const std::vector<std::pair<QFont, QString>> styles{
        {Vesk::Type_::activityTitle(), inter},
        {Vesk::Type_::mediaArtist(), inter},
        {Vesk::Type_::timerDigits(), QStringLiteral("DejaVu Sans")},
        {Vesk::Type_::numeric(), QStringLiteral("DejaVu Sans Mono")},
    };
    for (const auto& [font, family] : styles) {
        SCOPED_TRACE(family.toStdString());
        EXPECT_EQ(QFontInfo(font).family(), family);
        // Every character the notch draws has a glyph: no boxes.
        const QRawFont raw = QRawFont::fromFont(font);
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
