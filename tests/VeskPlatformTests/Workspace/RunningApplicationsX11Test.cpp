// Running applications from the window manager's client list, on the real X server.
// Xvfb has no window manager, so the test writes the root window's list itself.
#include "VeskPlatform/Screens/Panel/X11Connection.h"
#include "VeskPlatform/Workspace/X11RunningApplications.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <xcb/xcb.h>

using namespace vesk;
using namespace vesk::test;

namespace {

DesktopEntry entry(const QString& id, const QString& wmClass = {}, const QString& executable = {}) {
    return DesktopEntry{
        .id = id, .name = id, .path = {}, .startupWMClass = wmClass, .executable = executable};
}

class RunningApplicationsX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        const auto c = x11::connection();
        ASSERT_TRUE(c) << "no X display";
        xcb = c->xcb;
        root = c->root;
        window = xcb_generate_id(xcb);
        xcb_create_window(xcb, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char wmClass[] = "vesktestinstance\0VeskTestClass";
        xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof(wmClass), wmClass);
        const uint32_t pid = uint32_t(QCoreApplication::applicationPid());
        xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, window, x11::atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                            32, 1, &pid);
        xcb_flush(xcb);
    }
    void TearDown() override {
        if (!xcb) return;
        xcb_delete_property(xcb, root, x11::atom("_NET_CLIENT_LIST"));
        xcb_destroy_window(xcb, window);
        xcb_flush(xcb);
    }
    void listClients(const QList<uint32_t>& windows) {
        xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, root, x11::atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW,
                            32, uint32_t(windows.size()), windows.constData());
        xcb_flush(xcb);
    }

    xcb_connection_t* xcb = nullptr;
    uint32_t root = 0;
    uint32_t window = 0;
};

} // namespace

TEST_F(RunningApplicationsX11Test, AListedWindowMatchesByClassByIdOrByProgramUntilItLeavesTheList) {
    X11RunningApplications running;
    ASSERT_TRUE(running.isValid());
    const QString program = QCoreApplication::applicationFilePath();
    const QList<DesktopEntry> matching{
        entry(QStringLiteral("other.desktop"), QStringLiteral("VeskTestClass")),
        entry(QStringLiteral("other.desktop"), QStringLiteral("vesktestinstance")),
        entry(QStringLiteral("VeskTestClass.desktop")),
        entry(QStringLiteral("org.example.VESKTESTINSTANCE.desktop")),
        entry(QStringLiteral("other.desktop"), {}, program)};
    const QList<DesktopEntry> others{
        entry(QStringLiteral("other.desktop"), QStringLiteral("vesktestclass")),
        entry(QStringLiteral("org.vesktestinstance.other.desktop")),
        entry(QStringLiteral("other.desktop"), {}, QStringLiteral("/usr/bin/other"))};

    EXPECT_FALSE(running.isRunning(matching.first())) << "no client list yet";
    listClients({window});
    ASSERT_TRUE(processEventsUntil([&] { return running.isRunning(matching.first()); }, 30000))
        << "the new client list was never read";
    for (const DesktopEntry& e : matching)
        EXPECT_TRUE(running.isRunning(e))
            << qPrintable(e.id + QLatin1Char(' ') + e.startupWMClass + e.executable);
    for (const DesktopEntry& e : others)
        EXPECT_FALSE(running.isRunning(e))
            << qPrintable(e.id + QLatin1Char(' ') + e.startupWMClass + e.executable);

    listClients({});
    EXPECT_TRUE(processEventsUntil([&] { return !running.isRunning(matching.first()); }, 30000))
        << "the window never left";
}

