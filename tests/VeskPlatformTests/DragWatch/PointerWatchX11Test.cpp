// The drag watch and the outside-click watch on a real X server, driven by xdotool.
#include "VeskPlatform/DragWatch/X11DragWatch.h"
#include "VeskPlatform/Input/X11OutsideClickWatch.h"
#include "VeskPlatform/Input/X11RootInputMask.h"

#include "support/EventLoop.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <xcb/xinput.h>

using namespace vesk;
using namespace vesk::test;

namespace {

// A window of ours at 100,100, 200 × 200 that counts the button releases it gets. Core
// button events come through the same connection as the raw ones, after them: once the
// window has a release, the watch has seen the raw press and release before it.
class OwnWindow : public QWidget {
public:
    OwnWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {}
    int releases = 0;

protected:
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

std::unique_ptr<OwnWindow> showOwnWindow() {
    auto window = std::make_unique<OwnWindow>();
    window->setGeometry(100, 100, 200, 200);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

bool rawMotionSelected() {
    const auto raw = X11RawPointer::open();
    const bool selected =
        raw && X11RootInputMask::isSelected(raw->connection, raw->root, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION);
    // What the program keeps of its selection is what the server holds.
    EXPECT_EQ(X11RootInputMask::isHeld(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION), selected);
    return selected;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, strlen(name), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return value;
}

} // namespace

TEST(PointerWatchX11Test, EveryNewOwnerOfTheDragSelectionCountsOneDrag) {
    X11DragWatch watch;
    ASSERT_TRUE(watch.isValid());
    const auto raw = X11RawPointer::open();
    ASSERT_TRUE(raw);
    QWidget owner;
    const auto setOwner = [&](const char* selection) {
        xcb_set_selection_owner(raw->connection, xcb_window_t(owner.winId()),
                                atom(raw->connection, selection), XCB_CURRENT_TIME);
        xcb_flush(raw->connection);
    };

    EXPECT_EQ(watch.changeCount(), 0);
    setOwner("XdndSelection");
    EXPECT_TRUE(processEventsUntil([&] { return watch.changeCount() == 1; }));
    setOwner("XdndSelection");
    EXPECT_TRUE(processEventsUntil([&] { return watch.changeCount() == 2; }));
    // Notifications come in order: the third drag finds the clipboard's change uncounted.
    setOwner("CLIPBOARD");
    setOwner("XdndSelection");
    EXPECT_TRUE(processEventsUntil([&] { return watch.changeCount() >= 3; }));
    EXPECT_EQ(watch.changeCount(), 3);
}

TEST(PointerWatchX11Test, ReadsTheLeftButtonAndReportsDragsThatBeginOutsideOurWindows) {
    X11DragWatch watch;
    ASSERT_TRUE(watch.isValid());
    const auto ownWindow = showOwnWindow();
    QList<QPointF> dragged;
    int released = 0;
    QObject::connect(&watch, &DragWatch::leftMouseDragged, [&](QPointF p) { dragged << p; });
    QObject::connect(&watch, &DragWatch::leftMouseUp, [&] { ++released; });
    ASSERT_EQ(watch.startMonitors(), 2);

    // Idle: no raw motion is asked for.
    ASSERT_TRUE(xdotool({"mousemove", "700", "700"}));
    processEventsFor(100);
    EXPECT_FALSE(rawMotionSelected());
    EXPECT_FALSE(watch.isLeftButtonDown());

    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    EXPECT_TRUE(processEventsUntil([&] { return rawMotionSelected(); }));
    EXPECT_TRUE(watch.isLeftButtonDown());
    // Raw motion comes from relative devices, as a mouse is; XTest's absolute moves
    // make none.
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "20", "-610"}));
    EXPECT_TRUE(processEventsUntil([&] { return !dragged.isEmpty() && dragged.last() == QPointF(720, 90); }));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
    EXPECT_TRUE(processEventsUntil([&] { return released == 1; }));
    EXPECT_FALSE(watch.isLeftButtonDown());
    EXPECT_FALSE(rawMotionSelected());

    // A drag that begins on our own window belongs to that window.
    dragged.clear();
    // The watch reads the pointer as it takes the press: the move waits until it has.
    ASSERT_TRUE(xdotool({"mousemove", "150", "150", "mousedown", "1"}));
    ASSERT_TRUE(processEventsUntil([] { return QGuiApplication::mouseButtons() & Qt::LeftButton; }))
        << "our window never got the press";
    ASSERT_TRUE(xdotool({"mousemove_relative", "--", "30", "-90", "mouseup", "1"}));
    ASSERT_TRUE(processEventsUntil([&] { return ownWindow->releases == 1; }))
        << "our window never got the release";
    EXPECT_TRUE(dragged.isEmpty());
    EXPECT_EQ(released, 1);

    watch.stopMonitors();
    ASSERT_TRUE(xdotool({"mousemove", "700", "700", "mousedown", "1", "mousemove_relative", "--", "0", "-650",
                         "mouseup", "1"}));
    processEventsFor(300);
    EXPECT_TRUE(dragged.isEmpty());
    EXPECT_EQ(released, 1);
}

TEST(PointerWatchX11Test, OnlyLeftAndRightClicksOutsideOurWindowsAndMenusCountAsElsewhere) {
    X11OutsideClickWatch watch;
    ASSERT_TRUE(watch.isWatching());
    const auto ownWindow = showOwnWindow();
    QList<QPointF> clicks;
    QObject::connect(&watch, &OutsideClickWatch::clickedElsewhere, [&](QPointF p) { clicks << p; });

    ASSERT_TRUE(xdotool({"mousemove", "800", "600", "click", "1"}));
    EXPECT_TRUE(processEventsUntil([&] { return clicks.size() == 1; }));
    ASSERT_TRUE(xdotool({"click", "3"}));
    EXPECT_TRUE(processEventsUntil([&] { return clicks.size() == 2; }));
    ASSERT_TRUE(xdotool({"click", "2"}));
    ASSERT_TRUE(xdotool({"mousemove", "150", "150"}));
    ASSERT_TRUE(processEventsUntil([] { return QCursor::pos() == QPoint(150, 150); }));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(processEventsUntil([&] { return ownWindow->releases == 1; }))
        << "our window never got the click";
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks.first(), QPointF(800, 600));

    // Our own menu takes the click that closes it, wherever it lands.
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(400, 400));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    ASSERT_TRUE(xdotool({"mousemove", "410", "410"}));
    ASSERT_TRUE(processEventsUntil([] { return QCursor::pos() == QPoint(410, 410); }));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(processEventsUntil([&] { return !menu.isVisible(); })) << "the menu never took the click";
    menu.popup(QPoint(400, 400));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    ASSERT_TRUE(xdotool({"mousemove", "900", "900"}));
    ASSERT_TRUE(processEventsUntil([] { return QCursor::pos() == QPoint(900, 900); }));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(processEventsUntil([&] { return !menu.isVisible(); })) << "the menu never took the click";
    EXPECT_EQ(clicks.size(), 2);
}
