#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchBackdropPanel.h"
#include "Vesk/Notch/NotchHostingView.h"

#include "support/EventLoop.h"
#include "support/Notch/FakeCompositorWatch.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace vesk {
namespace {

// A notch outline the test can move, in the middle of the panel's top edge.
class MovableSurface final : public NotchSurfaceView {
public:
    QRectF box{300, 0, 200, 32};
    QPainterPath surfacePath() const override {
        QPainterPath path;
        if (!box.isEmpty()) path.addRoundedRect(box, 8, 8);
        return path;
    }
    void moveTo(const QRectF& rect) {
        box = rect;
        Q_EMIT surfaceChanged();
    }
};

class NotchPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel = std::make_unique<NotchPanel>(QGuiApplication::primaryScreen(), QSizeF(200, 60), &compositor);
        panel->setFrame(QRectF(0, 0, 800, 200));
        surface = new MovableSurface;
        panel->hostingView()->setRootView(surface);
        panel->hostingView()->setInteractiveRect(QRectF(288, 0, 224, 38));
    }

    test::FakeCompositorWatch compositor{false};
    std::unique_ptr<NotchPanel> panel;
    MovableSurface* surface = nullptr;
};

// The real X shapes are checked in NotchPanelX11Test; here the widget's own mask.
TEST_F(NotchPanelTest, WithoutACompositorTheWindowIsClippedToTheDrawnShape) {
    EXPECT_EQ(panel->mask(), panel->hostingView()->visibleRegion());
    EXPECT_FALSE(panel->mask().contains(QPoint(301, 31))) << "the rounded corners are cut away";
    surface->moveTo(QRectF(250, 0, 300, 48));
    EXPECT_TRUE(panel->mask().contains(QPoint(260, 40))) << "the clip follows the shape as it grows";
    surface->moveTo(QRectF());
    EXPECT_FALSE(panel->mask().isEmpty()) << "nothing drawn: a clip that shows nothing, not no clip";
    EXPECT_FALSE(panel->mask().intersects(panel->rect()));
    compositor.setActive(true);
    EXPECT_TRUE(panel->mask().isEmpty()) << "with a compositor the soft edges stay";
}

TEST_F(NotchPanelTest, BackdropShowsOnlyWhenWantedEnabledAndComposited) {
    compositor.setActive(true);
    panel->setDrawnCanvas(QSizeF(424, 54));
    panel->setDrawnBottomRadius(14);
    EXPECT_EQ(panel->backdropShape(), QRectF(400 - 206, 0, 412, 48))
        << "the canvas less its slack, on the top edge";

    panel->setBackdropWantedByState(true);
    NotchBackdropPanel& backdrop = panel->backdrop();
    EXPECT_TRUE(backdrop.isVisible());
    EXPECT_LT(backdrop.alpha(), 0.5) << "fading in from nothing";
    EXPECT_EQ(backdrop.geometry(), QRect(194 - 26, 0, 412 + 52, 48 + 26));
    ASSERT_TRUE(test::processEventsUntil([&] { return backdrop.alpha() == 1; }));

    compositor.setActive(false);
    EXPECT_FALSE(backdrop.isVisible()) << "without a compositor it would be an opaque slab";
    compositor.setActive(true);
    EXPECT_TRUE(backdrop.isVisible());

    panel->setBackdropEnabled(false);
    panel->syncBackdrop();
    EXPECT_FALSE(backdrop.isVisible()) << "the setting switched off hides it whatever the state wants";
    panel->setBackdropEnabled(true);
    panel->syncBackdrop();
    EXPECT_TRUE(backdrop.isVisible());

    panel->setBackdropWantedByState(false);
    EXPECT_FALSE(backdrop.isVisible()) << "removed at once";
    EXPECT_EQ(backdrop.alpha(), 1);
    panel->setBackdropWantedByState(false);
    EXPECT_FALSE(backdrop.isVisible());
}

TEST_F(NotchPanelTest, FramesAndLevels) {
    panel->setFrame(QRectF(356.5, 0, 212, 38));
    EXPECT_EQ(panel->geometry(), QRect(357, 0, 212, 38));
    EXPECT_EQ(panel->hostingView()->geometry(), QRect(0, 0, 212, 38)) << "the hosting view fills the panel";
    EXPECT_EQ(panel->level(), NotchPanel::Level::resting);
    panel->setLevel(NotchPanel::Level::drag);
    EXPECT_EQ(panel->level(), NotchPanel::Level::drag);
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus)) << "no keyboard until asked";
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

} // namespace
} // namespace vesk
