#include "Vesk/Notch/WaveformView.h"

#include "VeskUI/Motion/ReduceMotion.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Notch/WidgetImage.h"
#include "support/VeskUI/FakeSettingsPortal.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>

#include <QPaintEvent>

namespace vesk {
namespace {

// The pill's waveform: bars 2.5 wide and 2.5 apart, between 3 and 14 high.
std::unique_ptr<WaveformView> pillWaveform(bool playing, QWidget* parent = nullptr) {
    auto view = std::make_unique<WaveformView>(playing, 2.5, 2.5, 14, 3, parent);
    view->resize(view->sizeHint());
    return view;
}

TEST(WaveformView, PausedBarsStandStillAtTheirFixedHeightsInStone) {
    test::ManualClock clock;
    auto view = pillWaveform(false);
    view->setClock(&clock);
    view->show();
    const std::array<double, 5> still{4.925, 6.3, 7.4, 6.025, 4.65};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(view->barHeights()[size_t(i)], still[size_t(i)], 1e-9) << "bar " << i;
    clock.advance(0.7);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(view->barHeights()[size_t(i)], still[size_t(i)], 1e-9);
    EXPECT_FALSE(view->isAnimating()) << "a still waveform runs no timer";

    // Five stone bars centred in the height, 5 × 2.5 + 4 × 2.5 wide, 14 high.
    ASSERT_EQ(view->size(), QSize(23, 14));
    const QImage image = test::widgetImage(*view);
    // Bar 2 (x 10 to 12.5) is 7.4 high around the middle (7): from 3.3 to 10.7.
    EXPECT_TRUE(test::near(test::pixel(image, 11, 7), Vesk::Stone::x200));
    EXPECT_TRUE(test::near(test::pixel(image, 11, 4.5), Vesk::Stone::x200));
    EXPECT_EQ(test::pixel(image, 11, 1).alpha(), 0) << "above the still bar";
    EXPECT_EQ(test::pixel(image, 8.7, 7).alpha(), 0) << "the gap between bars 1 and 2";
}

TEST(WaveformView, PlayingBarsFollowTheClockWithinTheirRange) {
    test::ManualClock clock(Date{0});
    auto view = pillWaveform(true);
    view->setClock(&clock);
    // At t = 0 bar 0 is (sin 0 + 0.35 sin 0 + 1.35) / 2.7 = 0.5 of the way up.
    EXPECT_NEAR(view->barHeights()[0], 3 + 11 * 0.5, 1e-9);
    const auto before = view->barHeights();
    clock.advance(0.25);
    EXPECT_NE(view->barHeights(), before);
    for (double t = 0; t < 60; t += 0.037)
        for (int bar = 0; bar < 5; ++bar) {
            const double h = WaveformView::animatedHeight(bar, 800000000.0 + t, 3, 14);
            ASSERT_GE(h, 3);
            ASSERT_LE(h, 14);
        }
    EXPECT_EQ(WaveformView::animatedHeight(2, 12.5, 9, 9), 9)
        << "equal bounds give that height in both modes";
    EXPECT_EQ(WaveformView::stillHeight(2, 9, 9), 9);
}

TEST(WaveformView, MovesOnlyWhileShownAndPlayingAtMostThirtyTimesASecond) {
    auto view = pillWaveform(true);
    EXPECT_FALSE(view->isAnimating()) << "not on screen yet";
    view->show();
    EXPECT_TRUE(view->isAnimating());
    view->setPlaying(false);
    EXPECT_FALSE(view->isAnimating());
    view->setPlaying(true);
    EXPECT_TRUE(view->isAnimating());
    view->hide();
    EXPECT_FALSE(view->isAnimating());
}

// Records the rectangles a widget was asked to repaint.
class PaintLog : public QObject {
public:
    QList<QRegion> regions;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) regions.append(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

TEST(WaveformView, RepaintsOnlyItsOwnRectangleAboutThirtyTimesASecond) {
    QWidget window;
    window.resize(300, 40);
    auto view = pillWaveform(true, &window);
    view->move(250, 13);
    // The whole window is painted once as it shows; what follows is the waveform's own.
    PaintLog shown;
    window.installEventFilter(&shown);
    window.show();
    ASSERT_TRUE(test::processEventsUntil([&] { return !shown.regions.isEmpty(); }));
    window.removeEventFilter(&shown);

    PaintLog parentPaints;
    PaintLog ownPaints;
    QElapsedTimer clock;
    clock.start();
    window.installEventFilter(&parentPaints);
    view->installEventFilter(&ownPaints);
    ASSERT_TRUE(test::processEventsUntil([&] { return ownPaints.regions.size() >= 8; })) << "it never moved";
    // Frames come from a timer, and a busy machine only delays them: over any stretch
    // there are at most 30 a second (plus one already due and one late from before).
    EXPECT_LE(ownPaints.regions.size(), clock.elapsed() * 30 / 1000 + 3) << "at most 30 frames a second";
    ASSERT_FALSE(parentPaints.regions.isEmpty()) << "the notch below a see-through bar is redrawn with it";
    for (const QRegion& region : parentPaints.regions)
        EXPECT_TRUE(QRegion(view->geometry()).contains(region.boundingRect()))
            << "the rest of the notch is left alone";
}

TEST(WaveformView, ReduceMotionStopsAPlayingWaveform) {
    test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    test::FakeSettingsPortal portal(buses, /*animationsEnabled=*/false);
    ASSERT_TRUE(portal.ok()) << qPrintable(buses.error());
    ReduceMotion reduce(buses.session());
    ASSERT_TRUE(test::processEventsUntil([&] { return reduce.hasAnswer(); }));

    test::ManualClock clock;
    auto view = pillWaveform(true);
    view->setClock(&clock);
    view->setReduceMotion(&reduce);
    view->show();
    EXPECT_FALSE(view->isAnimating());
    EXPECT_NEAR(view->barHeights()[2], 7.4, 1e-9) << "the still pattern";
    const QImage still = test::widgetImage(*view);
    clock.advance(0.4);
    EXPECT_EQ(test::widgetImage(*view), still);

    portal.setAnimationsEnabled(true);
    ASSERT_TRUE(test::processEventsUntil([&] { return !reduce.isOn(); }));
    EXPECT_TRUE(view->isAnimating()) << "motion resumes when the desktop allows it again";
}

TEST(WaveformView, IsDecorationThatAssistiveToolsPassBy) {
    QWidget parent;
    auto view = pillWaveform(true, &parent);
    view->setAccessibleName(QStringLiteral("should not be read"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::NoRole);
    EXPECT_TRUE(accessible->text(QAccessible::Name).isEmpty());
    EXPECT_TRUE(accessible->text(QAccessible::Description).isEmpty());
    EXPECT_TRUE(accessible->state().invisible);
}

} // namespace
} // namespace vesk
