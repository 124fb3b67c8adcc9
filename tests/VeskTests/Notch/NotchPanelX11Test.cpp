// The notch panel on a real X server: its input shape, its clip without a compositor,
// its workspace hints and its keyboard focus.
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "VeskPlatform/Screens/Panel/CompositorWatch.h"
#include "VeskPlatform/Screens/Panel/InputShape.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include "support/EventLoop.h"
#include "support/X11/EventBarrier.h"
#include "support/X11/FocusedWindow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk {
namespace {

using vesk::test::focusedWindow;

class NotchOutline final : public NotchSurfaceView {
public:
    QPainterPath surfacePath() const override {
        QPainterPath path;
        path.addRect(QRectF(100, 0, 200, 32));
        return path;
    }
};

std::optional<QRegion> boundingShape(QWindow* window) {
    const auto c = x11::connection();
    auto cookie = xcb_shape_get_rectangles(c->xcb, xcb_window_t(window->winId()), XCB_SHAPE_SK_BOUNDING);
    xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(c->xcb, cookie, nullptr);
    if (!reply) return std::nullopt;
    QRegion region;
    const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply);
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    std::free(reply);
    return region;
}

std::unique_ptr<NotchPanel> shownPanel() {
    auto panel = std::make_unique<NotchPanel>(QGuiApplication::primaryScreen(), QSizeF(200, 60));
    panel->setFrame(QRectF(500, 0, 400, 120));
    panel->hostingView()->setRootView(new NotchOutline);
    panel->hostingView()->setInteractiveRect(QRectF(88, 0, 224, 38));
    panel->show();
    EXPECT_TRUE(test::processEventsUntil([&] { return panel->windowHandle()->isExposed(); }));
    return panel;
}

TEST(NotchPanelX11, ClicksPassOutsideTheNotchAndTheClipFollowsTheCompositor) {
    ASSERT_FALSE(CompositorWatch::system().isActive()) << "no compositing manager at the start";
    auto panel = shownPanel();
    QWindow* window = panel->windowHandle();
    const QRegion notch(100, 0, 200, 32);
    EXPECT_EQ(inputShape(window), notch) << "input only where the notch is drawn";
    EXPECT_EQ(boundingShape(window), notch) << "without a compositor the window is clipped to it";

    panel->hostingView()->setDropRectForDrag(QRectF(0, 0, 400, 110));
    panel->hostingView()->setArmed(true);
    EXPECT_EQ(inputShape(window), QRegion(0, 0, 400, 110)) << "armed, the drop area takes drags";
    panel->hostingView()->setArmed(false);

    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), {});
    ASSERT_TRUE(compositor.waitForStarted());
    ASSERT_TRUE(test::processEventsUntil([] { return CompositorWatch::system().isActive(); }));
    EXPECT_EQ(boundingShape(window), QRegion(0, 0, 400, 120)) << "the whole window draws, edges stay soft";
    EXPECT_EQ(inputShape(window), notch);

    // Killed, not asked: a test before this one in the process may leave SIGTERM
    // ignored, and a child inherits that.
    compositor.kill();
    compositor.waitForFinished();
    ASSERT_TRUE(test::processEventsUntil([] { return !CompositorWatch::system().isActive(); }));
    EXPECT_EQ(boundingShape(window), notch);
}

TEST(NotchPanelX11, TakesTheKeyboardOnlyWhenAskedAndGivesItBack) {
    QWidget editor;
    editor.setGeometry(0, 300, 300, 200);
    editor.show();
    ASSERT_TRUE(test::processEventsUntil([&] { return editor.windowHandle()->isExposed(); }));
    editor.activateWindow();
    ASSERT_TRUE(test::processEventsUntil([&] { return focusedWindow() == editor.winId(); }));

    auto panel = shownPanel();
    ASSERT_TRUE(test::waitForX11EventsSoFar());
    EXPECT_EQ(focusedWindow(), editor.winId()) << "showing the panel takes nothing";

    panel->setKeyboardFocusRequested(true);
    panel->takeKeyboardFocus();
    ASSERT_TRUE(test::processEventsUntil([&] { return focusedWindow() == panel->winId(); }));

    panel->setKeyboardFocusRequested(false);
    panel->resignKeyboardFocus();
    EXPECT_TRUE(test::processEventsUntil([&] { return focusedWindow() == editor.winId(); }))
        << "the keyboard goes back to the window the user was typing in";
    EXPECT_TRUE(panel->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
}

} // namespace
} // namespace vesk
