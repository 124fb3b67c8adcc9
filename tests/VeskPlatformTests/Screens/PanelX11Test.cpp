// The X11 helpers of the notch panel, against the real X server of the test run.
#include "VeskPlatform/Screens/Panel/CompositorWatch.h"
#include "VeskPlatform/Screens/Panel/DarkTitleBar.h"
#include "VeskPlatform/Screens/Panel/FocusReturn.h"
#include "VeskPlatform/Screens/Panel/InputShape.h"
#include "VeskPlatform/Screens/Panel/WorkspaceHints.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include "support/EventLoop.h"
#include "support/X11/FocusedWindow.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk {
namespace {

using vesk::test::focusedWindow;

QList<uint32_t> cardinals(QWindow* window, const QByteArray& property) {
    const auto c = x11::connection();
    QList<uint32_t> values;
    auto cookie = xcb_get_property(c->xcb, 0, xcb_window_t(window->winId()), x11::atom(property),
                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c->xcb, cookie, nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
            values.append(data[i]);
    }
    std::free(reply);
    return values;
}

std::unique_ptr<QWidget> shownWindow(const QRect& geometry, Qt::WindowFlags flags = {}) {
    auto widget = std::make_unique<QWidget>(nullptr, flags);
    widget->setGeometry(geometry);
    widget->show();
    EXPECT_TRUE(test::processEventsUntil([&] { return widget->windowHandle()->isExposed(); }));
    return widget;
}

TEST(PanelX11, InputShapeIsWhatWasSetAndClearsToTheWholeWindow) {
    ASSERT_TRUE(x11::connection());
    auto panel = shownWindow({100, 0, 400, 120}, Qt::FramelessWindowHint | Qt::Tool);
    QWindow* window = panel->windowHandle();

    const QRegion interactive = QRegion(150, 0, 100, 38) + QRegion(0, 0, 400, 10);
    ASSERT_TRUE(setInputShape(window, interactive));
    EXPECT_EQ(inputShape(window), interactive);

    ASSERT_TRUE(setInputShape(window, QRegion()));
    EXPECT_EQ(inputShape(window), QRegion()) << "an empty region lets every click through";

    ASSERT_TRUE(clearInputShape(window));
    EXPECT_EQ(inputShape(window), QRegion(0, 0, 400, 120));
}

TEST(PanelX11, DarkThemeVariantIsAskedOfTheWindowManager) {
    QWidget window;
    EXPECT_FALSE(setDarkThemeVariant(window.windowHandle())) << "no native window yet";
    window.winId();
    ASSERT_TRUE(setDarkThemeVariant(window.windowHandle()));
    const auto c = x11::connection();
    auto cookie = xcb_get_property(c->xcb, 0, xcb_window_t(window.winId()), x11::atom("_GTK_THEME_VARIANT"),
                                   x11::atom("UTF8_STRING"), 0, 16);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c->xcb, cookie, nullptr);
    ASSERT_NE(reply, nullptr);
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    EXPECT_EQ(value, QByteArray("dark"));
}

TEST(PanelX11, WorkspaceHintsPutThePanelOnEveryWorkspaceOutOfTaskbars) {
    auto panel =
        std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
    panel->setGeometry(0, 0, 200, 60);
    panel->winId();
    ASSERT_TRUE(applyWorkspaceHints(panel->windowHandle()));
    panel->show();
    ASSERT_TRUE(test::processEventsUntil([&] { return panel->windowHandle()->isExposed(); }));

    EXPECT_EQ(cardinals(panel->windowHandle(), "_NET_WM_DESKTOP"), QList<uint32_t>{0xFFFFFFFF});
    const QList<uint32_t> states = cardinals(panel->windowHandle(), "_NET_WM_STATE");
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                             "_NET_WM_STATE_ABOVE"})
        EXPECT_TRUE(states.contains(x11::atom(name))) << name << " survives Qt mapping the window";

    // Applying again once mapped (after a screen change, say) keeps one of each.
    ASSERT_TRUE(applyWorkspaceHints(panel->windowHandle()));
    const QList<uint32_t> again = cardinals(panel->windowHandle(), "_NET_WM_STATE");
    EXPECT_EQ(again.count(x11::atom("_NET_WM_STATE_STICKY")), 1);
}

TEST(PanelX11, CompositorWatchFollowsTheCompositingManager) {
    X11CompositorWatch watch;
    ASSERT_TRUE(watch.isWatching());
    ASSERT_FALSE(watch.isActive()) << "no compositing manager runs at the start of the test";
    QSignalSpy changes(&watch, &CompositorWatch::activeChanged);

    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), {});
    ASSERT_TRUE(compositor.waitForStarted());
    EXPECT_TRUE(test::processEventsUntil([&] { return watch.isActive(); }));

    compositor.terminate();
    compositor.waitForFinished();
    EXPECT_TRUE(test::processEventsUntil([&] { return !watch.isActive(); }));
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0][0].toBool(), true);
    EXPECT_EQ(changes[1][0].toBool(), false);
}

TEST(PanelX11, FocusReturnsToTheWindowThatHadIt) {
    auto editor = shownWindow({0, 200, 300, 200});
    const auto c = x11::connection();
    std::free(xcb_request_check(c->xcb, xcb_set_input_focus_checked(c->xcb, XCB_INPUT_FOCUS_POINTER_ROOT,
                                                                    xcb_window_t(editor->winId()),
                                                                    XCB_CURRENT_TIME)));
    ASSERT_EQ(focusedWindow(), editor->winId());

    auto panel = shownWindow({400, 0, 200, 60}, Qt::FramelessWindowHint | Qt::Tool);
    FocusReturn focusReturn;
    focusReturn.remember();
    std::free(xcb_request_check(c->xcb,
                                xcb_set_input_focus_checked(c->xcb, XCB_INPUT_FOCUS_POINTER_ROOT,
                                                            xcb_window_t(panel->winId()), XCB_CURRENT_TIME)));
    ASSERT_EQ(focusedWindow(), panel->winId());

    EXPECT_TRUE(focusReturn.giveBack(panel->windowHandle()));
    EXPECT_EQ(focusedWindow(), editor->winId());

    // Once the panel lost the keyboard some other way, letting go moves nothing.
    focusReturn.remember();
    EXPECT_FALSE(focusReturn.giveBack(panel->windowHandle()));
    EXPECT_EQ(focusedWindow(), editor->winId());
}

} // namespace
} // namespace vesk
