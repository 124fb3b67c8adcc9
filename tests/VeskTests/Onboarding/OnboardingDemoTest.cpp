#include "Vesk/Onboarding/NotchDemo.h"

#include "VeskUI/Tokens/Vesk.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QImage>

namespace vesk {
namespace {

using notchDemo::Beat;

TEST(OnboardingDemoTest, TheScriptTablesForANinetyTwoPointNotch) {
    const QSizeF notch(92, 17);
    const struct {
        DemoScript script;
        int beat;
        QSizeF size;
        bool open;
    } cases[] = {
        {DemoScript::overview, 0, {92, 17}, false},  {DemoScript::overview, 1, {188, 17}, false},
        {DemoScript::overview, 2, {250, 96}, true},  {DemoScript::gestures, 0, {92, 17}, false},
        {DemoScript::gestures, 1, {176, 17}, false}, {DemoScript::gestures, 4, {176, 17}, false},
        {DemoScript::media, 0, {208, 20}, false},    {DemoScript::media, 7, {208, 20}, false},
        {DemoScript::desk, 0, {92, 17}, false},      {DemoScript::desk, 1, {250, 96}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(notchDemo::size(c.script, c.beat, notch), c.size) << int(c.script) << " " << c.beat;
        EXPECT_EQ(notchDemo::isOpen(c.script, c.beat), c.open) << int(c.script) << " " << c.beat;
    }
    EXPECT_EQ(notchDemo::cue(0).label, QString());
    EXPECT_EQ(notchDemo::cue(2).symbol, QStringLiteral("arrow.up.arrow.down"));
    EXPECT_EQ(notchDemo::cue(9).label, QStringLiteral("Drop"));
    for (double phase = 0; phase < 20; phase += 0.42)
        for (int i = 0; i < 5; ++i) {
            EXPECT_GE(notchDemo::barHeight(phase, i), 3);
            EXPECT_LE(notchDemo::barHeight(phase, i), 8);
        }
}

class OnboardingDemoLoopTest : public ::testing::Test {
protected:
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler guard{scheduler};
};

TEST_F(OnboardingDemoLoopTest, BeatsRunWhileShownAndStartOverWhenShownAgain) {
    NotchDemo demo(DemoScript::overview);
    demo.setAttribute(Qt::WA_DontShowOnScreen);
    demo.resize(600, 210);
    EXPECT_FALSE(demo.isRunning()) << "nothing before it is shown";
    demo.show();
    // (0, 1.1), (1, 1.8), (2, 2.4), then around again.
    const QList<std::pair<double, int>> timeline{{1.0, 0}, {0.2, 1}, {1.6, 1}, {0.2, 2}, {2.2, 2}, {0.2, 0}};
    for (const auto& [step, beat] : timeline) {
        scheduler.advance(step);
        EXPECT_EQ(demo.beat(), beat);
    }
    scheduler.advance(1.1); // 6.5 s: beat 1 again
    EXPECT_EQ(demo.beat(), 1);

    demo.hide();
    EXPECT_FALSE(demo.isRunning());
    EXPECT_EQ(scheduler.pendingCount(), 0) << "hidden, it wakes nothing";
    scheduler.advance(10);
    EXPECT_EQ(demo.beat(), 1);

    demo.show();
    EXPECT_EQ(demo.beat(), 0) << "shown again: from the first beat";
    EXPECT_EQ(demo.drawnSize(), QSizeF(92, 17));
}

TEST_F(OnboardingDemoLoopTest, TheMediaBarsMoveEverySeventyMilliseconds) {
    NotchDemo demo(DemoScript::media);
    demo.setAttribute(Qt::WA_DontShowOnScreen);
    demo.show();
    scheduler.advance(0.07 * 10 + 0.001);
    EXPECT_NEAR(demo.phase(), 4.2, 1e-9);
    EXPECT_EQ(demo.drawnSize(), QSizeF(208, 20));
    demo.hide();
    demo.show();
    EXPECT_EQ(demo.phase(), 0);
}

// Light pixels (the cue's text and symbol are light on the black notch) inside `area`.
int lightPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).lightness() > 120;
    return count;
}

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 12 && std::abs(a.green() - b.green()) <= 12 &&
           std::abs(a.blue() - b.blue()) <= 12;
}

// The desk's drawer, then the gesture cue at its last beat and as it fades out at the next.
TEST_F(OnboardingDemoLoopTest, ThreeBeatsAsTheyAreDrawn) {
    constexpr int width = 604; // the card's centre is x = 302
    NotchDemo desk(DemoScript::desk);
    desk.setAttribute(Qt::WA_DontShowOnScreen);
    desk.resize(width, 210);
    desk.show();
    desk.showBeat(1);
    ASSERT_EQ(desk.notchRect(), QRectF(177, 18, 250, 96));
    // One row 24 below the notch's top, 14 in from its sides, centred on its 40-point divider.
    const notchDemo::Drawer drawer = notchDemo::drawer(desk.notchRect());
    EXPECT_EQ(drawer.divider, QRectF(177 + 250 - 14 - 46 - 8 - 1, 42, 1, 40));
    EXPECT_EQ(drawer.artwork, QRectF(191, 47, 30, 30));
    EXPECT_EQ(drawer.title, QRectF(229, 53.25, 62, 3.5));
    EXPECT_EQ(drawer.firstDot.top(), 66.75);
    EXPECT_EQ(drawer.firstRow, QRectF(367, 47, 46, 8));
    QImage picture = desk.grab().toImage();
    const QColor black = picture.pixelColor(206, 44);
    EXPECT_TRUE(near(black, Qt::black)) << "nothing above the artwork";
    EXPECT_FALSE(near(picture.pixelColor(206, 75), Qt::black)) << "the artwork reaches down to 77";
    EXPECT_TRUE(near(picture.pixelColor(206, 79), Qt::black));
    EXPECT_TRUE(near(picture.pixelColor(358, 40), Qt::black)) << "the divider starts at 42";
    EXPECT_TRUE(near(picture.pixelColor(358, 80), Vesk::Ink::x700));
    EXPECT_TRUE(near(picture.pixelColor(390, 72), Vesk::Ink::x800)) << "the third row";

    NotchDemo gestures(DemoScript::gestures);
    gestures.setAttribute(Qt::WA_DontShowOnScreen);
    gestures.resize(width, 210);
    gestures.show();
    scheduler.advance(0.6 + 3 * 1.2 + 0.01);
    ASSERT_EQ(gestures.beat(), 4);
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return gestures.cueOpacity() == 1.0 && gestures.drawnSize() == QSizeF(176, 17); }));
    // "Drop" at the trailing end of the 176-point notch (x 214 … 390).
    const QRect label(330, 18, 60, 17);
    EXPECT_GT(lightPixels(gestures.grab().toImage(), label), 10);

    scheduler.advance(1.2);
    ASSERT_EQ(gestures.beat(), 0);
    EXPECT_GT(lightPixels(gestures.grab().toImage(), label), 10) << "the cue fades out, it does not vanish";
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return gestures.cueOpacity() == 0.0 && gestures.drawnSize() == QSizeF(92, 17); }));
    EXPECT_EQ(lightPixels(gestures.grab().toImage(), QRect(200, 18, 204, 20)), 0) << "faded out";
}

} // namespace
} // namespace vesk
