#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

using vesk::Symbols;

namespace {

struct Coverage {
    int opaque = 0;      // pixels mostly covered
    int inked = 0;       // pixels visibly covered
    int transparent = 0; // pixels not covered at all
    bool tintOnly = true;
};

Coverage coverageOf(const QImage& image, const QColor& tint) {
    Coverage c;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            if (qAlpha(pixel) == 0) ++c.transparent;
            if (qAlpha(pixel) > 64) ++c.inked;
            if (qAlpha(pixel) > 200) {
                ++c.opaque;
                const int distance = std::abs(qRed(pixel) - tint.red()) +
                                     std::abs(qGreen(pixel) - tint.green()) +
                                     std::abs(qBlue(pixel) - tint.blue());
                if (distance > 6) c.tintOnly = false;
            }
        }
    }
    return c;
}

class SymbolsTest : public ::testing::Test {
protected:
    void TearDown() override {
        Symbols::setThemeSearchPaths({});
        qunsetenv("VESK_TRACE");
    }
};

} // namespace

TEST_F(SymbolsTest, EverySymbolRendersAsARecognisableTintedShape) {
    const QColor tint = vesk::Vesk::Semantic::amber;
    for (const QString& name : Symbols::names()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_NE(Symbols::source(name), Symbols::Source::placeholder) << "the icon theme lacks its icon";
        const QImage image = Symbols::image(name, 32, tint);
        ASSERT_EQ(image.size(), QSize(32, 32));
        const Coverage c = coverageOf(image, tint);
        // A real glyph: a good part of the square inked, and a good part left clear.
        EXPECT_GT(c.opaque, 32 * 32 / 25);
        EXPECT_GT(c.transparent, 32 * 32 / 6);
        EXPECT_TRUE(c.tintOnly) << "the symbol is drawn in one colour";
    }
}

TEST_F(SymbolsTest, ThemeSymbolsComeFromTheIconThemeAndTheRestAreDrawn) {
    EXPECT_EQ(Symbols::source(u"speaker.wave.2.fill"), Symbols::Source::theme);
    EXPECT_TRUE(Symbols::themeIconPath(u"speaker.wave.2.fill")
                    .endsWith(QStringLiteral("/audio-volume-high-symbolic.svg")));
    EXPECT_EQ(Symbols::source(u"airpods.gen3"), Symbols::Source::drawn);
    EXPECT_TRUE(Symbols::themeIconPath(u"airpods.gen3").isEmpty());
    EXPECT_EQ(Symbols::source(u"calendar.badge.plus"), Symbols::Source::themeWithOverlay);
    // Different names draw differently.
    EXPECT_NE(Symbols::image(u"sun.max.fill", 24, Qt::white), Symbols::image(u"sun.min.fill", 24, Qt::white));
    EXPECT_NE(Symbols::image(u"calendar", 24, Qt::white),
              Symbols::image(u"calendar.badge.plus", 24, Qt::white));
}

TEST_F(SymbolsTest, ImagesFollowTheSizeAndPixelRatioAsked) {
    const QImage sharp = Symbols::image(u"bolt.fill", 14, Qt::white, 2.0);
    EXPECT_EQ(sharp.size(), QSize(28, 28));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_EQ(Symbols::image(u"bolt.fill", 16.8, Qt::white).size(), QSize(17, 17));
    EXPECT_EQ(Symbols::image(u"bolt.fill", 0, Qt::white).size(), QSize(1, 1));
    EXPECT_DOUBLE_EQ(Symbols::sideForFontSize(10), 12);
    // Icons for menus render at any size.
    const QIcon icon = Symbols::icon(QStringLiteral("rectangle.topthird.inset.filled"), Qt::white);
    EXPECT_EQ(icon.pixmap(QSize(16, 16)).size(), QSize(16, 16));
    EXPECT_GT(coverageOf(icon.pixmap(QSize(64, 64)).toImage(), Qt::white).opaque, 64 * 64 / 25);
}

TEST_F(SymbolsTest, PaintCentresASquareSymbolInTheRectangle) {
    QImage canvas(60, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    Symbols::paint(painter, QRectF(0, 0, 60, 20), u"record.circle", vesk::Vesk::Stone::x100);
    painter.end();
    // The ring sits in the middle 20 × 20; the sides stay clear.
    EXPECT_EQ(qAlpha(canvas.pixel(5, 10)), 0);
    EXPECT_EQ(qAlpha(canvas.pixel(55, 10)), 0);
    EXPECT_GT(qAlpha(canvas.pixel(30, 10)), 200); // the centre dot
    EXPECT_EQ(QColor::fromRgba(canvas.pixel(30, 10)).rgb(), vesk::Vesk::Stone::x100.rgb());
}

TEST_F(SymbolsTest, PaintForFontSizeKeepsTheTextSizedSquareInTheMiddle) {
    QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    Symbols::paintForFontSize(painter, QRectF(0, 0, 40, 40), 10, u"record.circle", vesk::Vesk::Stone::x100);
    painter.end();
    // 12 × 12 from (14, 14), not the whole canvas as a plain paint would.
    const QRect square(14, 14, 12, 12);
    int inkedOutside = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (!square.contains(x, y) && qAlpha(canvas.pixel(x, y)) > 0) ++inkedOutside;
    EXPECT_EQ(inkedOutside, 0);
    EXPECT_GT(qAlpha(canvas.pixel(20, 20)), 200); // the centre dot
}

TEST_F(SymbolsTest, UnknownNamesDrawAPlaceholderAndAreReportedOnce) {
    qputenv("VESK_TRACE", "1");
    const QImage first = Symbols::image(u"no.such.symbol", 24, Qt::white);
    const QImage again = Symbols::image(u"no.such.symbol", 48, Qt::white);
    EXPECT_FALSE(Symbols::contains(u"no.such.symbol"));
    EXPECT_EQ(Symbols::source(u"no.such.symbol"), Symbols::Source::placeholder);
    EXPECT_GT(coverageOf(first, Qt::white).inked, 24);
    EXPECT_GT(coverageOf(again, Qt::white).inked, 48);
    const QStringList lines = vesk::TraceLog::recentLogLines(20);
    EXPECT_EQ(lines.filter(QStringLiteral("no.such.symbol")).size(), 1) << lines.join(u'\n').toStdString();
}

TEST_F(SymbolsTest, AMissingIconThemeFallsBackToPlaceholdersAndSaysSo) {
    qputenv("VESK_TRACE", "1");
    QTemporaryDir empty;
    Symbols::setThemeSearchPaths({empty.path()});
    EXPECT_EQ(Symbols::source(u"speaker.wave.2.fill"), Symbols::Source::placeholder);
    EXPECT_EQ(Symbols::source(u"airpods.gen3"), Symbols::Source::drawn);
    const QImage fallback = Symbols::image(u"speaker.wave.2.fill", 24, Qt::white);
    EXPECT_GT(coverageOf(fallback, Qt::white).inked, 24);
    EXPECT_EQ(vesk::TraceLog::recentLogLines(20).filter(QStringLiteral("audio-volume-high-symbolic")).size(),
              1);

    // A theme found elsewhere is used.
    const QString theme = empty.path() + QStringLiteral("/Adwaita/symbolic/status");
    ASSERT_TRUE(QDir().mkpath(theme));
    QFile svg(theme + QStringLiteral("/audio-volume-high-symbolic.svg"));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">)"
              R"(<rect x="4" y="4" width="8" height="8" fill="#2e3436"/></svg>)");
    svg.close();
    Symbols::setThemeSearchPaths({empty.path()});
    EXPECT_EQ(Symbols::source(u"speaker.wave.2.fill"), Symbols::Source::theme);
    const QImage square = Symbols::image(u"speaker.wave.2.fill", 16, Qt::white);
    EXPECT_EQ(qAlpha(square.pixel(8, 8)), 255);
    EXPECT_EQ(qAlpha(square.pixel(1, 1)), 0);
}

TEST_F(SymbolsTest, TheSymbolSheetToolDrawsEverySymbol) {
    // Left in the build folder for people to look over.
    const QString sheet = QStringLiteral(VESK_BINARY_DIR "/symbol-sheet.png");
    QFile::remove(sheet);
    QProcess tool;
    tool.start(QStringLiteral(VESK_BINARY_DIR "/bin/symbol-sheet"), {sheet});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QImage image(sheet);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 1000);
}
