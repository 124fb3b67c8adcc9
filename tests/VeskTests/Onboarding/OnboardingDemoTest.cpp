#include "Vesk/Onboarding/NotchDemo.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace vesk
