// Every entry of the notch's menu and of the status menu chosen in turn on the running
// program, as a user would choose them, with the program still there after each.
#include "VeskNotchProgram.h"

#include "support/EventLoop.h"
#include "support/X11/PrivateXServer.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk {
namespace {

using Window = ProgramWindow;

// The ids of the X server's top-level windows, bottom first.
QStringList stackingOrder() {
    QStringList ids;
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i)
        ids.append(QString::number(xcb_query_tree_children(tree)[i]));
    std::free(tree);
    xcb_disconnect(x);
    return ids;
}

class MenusX11Test : public VeskNotchX11Test {
protected:
    void TearDown() override {
        VeskNotchX11Test::TearDown();
        for (QProcess* process : {&m_tray, &m_monitors})
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(3000)) process->kill();
            }
    }

    // The welcome window, known by its size.
    bool welcomeShows() {
        return test::processEventsUntil([&] {
            for (const Window& window : windows())
                if (window.frame.size() == QSize(700, 620)) return true;
            return false;
        });
    }
    // What became of the program, for a failure's message.
    std::string fate() {
        if (runs()) return "the program runs";
        return QStringLiteral("the program ended (%1, code %2): %3")
            .arg(program.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                             : QStringLiteral("exited"))
            .arg(program.exitCode())
            .arg(errorLines(program).mid(std::max<qsizetype>(0, errorLines(program).size() - 5)).join(u'\n'))
            .toStdString();
    }
    QString lastState() {
        const QStringList states = errorLines(program).filter(QRegularExpression(QStringLiteral("^state ")));
        return states.isEmpty() ? QString() : states.last().section(u' ', 1, 1);
    }
    bool reaches(const QString& state) {
        return test::processEventsUntil([&] { return lastState() == state; });
    }
    // Waits for a window named `name` (one of the program's boxes when empty), gives it the
    // keyboard and presses `key` there; false when none came.
    bool answer(const QString& name, const char* key) {
        QList<Window> found;
        test::processEventsUntil(
            [&] { return !runs() || !(found = name.isEmpty() ? boxes() : windows(name)).isEmpty(); });
        if (found.isEmpty()) return false;
        return xdo({"windowfocus", "--sync", found.constFirst().id}) && xdo({"key", key}) &&
               test::processEventsUntil([&] { return (name.isEmpty() ? boxes() : windows(name)).isEmpty(); });
    }

    // The notch on the screen `screen`, found by its window hanging from the top centre.
    QRect notchOn(const QRect& screen) {
        QRect found;
        test::processEventsUntil([&] {
            for (const Window& window : windows())
                if (window.frame.top() == 0 && window.frame.center().x() == screen.center().x())
                    found = window.frame;
            return !found.isEmpty();
        });
        return found;
    }

    QProcess m_tray;
    QProcess m_monitors;
};

// With no tray the notch's menu carries every entry: Open/Close Desk, Keep Awake,
// Settings…, Quit, then Permissions ▸, Export Diagnostics…, Welcome to VeskNotch….
TEST_F(MenusX11Test, EveryEntryOfTheNotchMenuLeavesTheProgramRunning) {
    QTemporaryDir home;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    const QRect notch = notchOn(QGuiApplication::primaryScreen()->geometry());
    ASSERT_FALSE(notch.isEmpty()) << "the notch never showed";
    const QPoint onNotch(notch.center().x(), notch.top() + 3);
    const QString report = home.filePath(QStringLiteral("VeskNotch-diagnostics.txt"));

    SCOPED_TRACE("Export Diagnostics…, Cancel, then Save");
    ASSERT_TRUE(choose(onNotch, down(6))) << fate();
    ASSERT_TRUE(answer(QStringLiteral("^Save VeskNotch Diagnostics$"), "Escape"))
        << "no save panel; " << fate();
    EXPECT_FALSE(QFile::exists(report));
    ASSERT_TRUE(runs()) << fate();
    ASSERT_TRUE(choose(onNotch, down(6))) << fate();
    ASSERT_TRUE(answer(QStringLiteral("^Save VeskNotch Diagnostics$"), "Return"))
        << "no save panel; " << fate();
    ASSERT_TRUE(test::processEventsUntil([&] { return QFile::exists(report); }));
    test::processEventsFor(300);
    ASSERT_TRUE(runs()) << fate();

    // The entries that ask: nothing to see on this display, then three that explain.
    for (int entry : {1, 2}) {
        ASSERT_TRUE(choose(onNotch, down(5) + QStringList{"Right"} + down(entry - 1))) << fate();
        test::processEventsFor(300);
        ASSERT_TRUE(runs()) << "Permissions entry " << entry << ": " << fate();
    }
    for (int entry : {3, 4, 5}) {
        ASSERT_TRUE(choose(onNotch, down(5) + QStringList{"Right"} + down(entry - 1))) << fate();
        EXPECT_TRUE(answer({}, "Return")) << "Permissions entry " << entry << " showed no box";
        ASSERT_TRUE(runs()) << "Permissions entry " << entry << ": " << fate();
    }
    // Nothing else holds the keys here: "Replace System HUDs" takes them.
    ASSERT_TRUE(choose(onNotch, down(5) + QStringList{"Right"} + down(5))) << fate();
    EXPECT_TRUE(test::processEventsUntil([] {
        return !TraceLog::recentLogLines(100).filter(QStringLiteral("event tap start(intercept)")).isEmpty();
    })) << qPrintable(TraceLog::recentLogLines(20).join('\n'));
    ASSERT_TRUE(runs()) << fate();

    SCOPED_TRACE("Open Desk, then Close Desk");
    ASSERT_TRUE(choose(onNotch, down(1))) << fate();
    ASSERT_TRUE(reaches(QStringLiteral("open(desk)"))) << qPrintable(errorLines(program).join('\n'));
    ASSERT_TRUE(choose(onNotch, down(1))) << fate();
    ASSERT_TRUE(reaches(QStringLiteral("closed"))) << "\"Close Desk\" left it open";
    test::processEventsFor(300);
    EXPECT_EQ(lastState(), QStringLiteral("closed"));

    SCOPED_TRACE("Keep Awake");
    const qsizetype awake = errorLines(program).size();
    ASSERT_TRUE(choose(onNotch, down(2))) << fate();
    EXPECT_TRUE(test::processEventsUntil([&] {
        return !errorLines(program).mid(awake).filter(QStringLiteral("(idleLock)")).isEmpty();
    })) << "no keep-awake pill";

    SCOPED_TRACE("Settings…, Welcome to VeskNotch…, Quit");
    ASSERT_TRUE(choose(onNotch, down(3))) << fate();
    EXPECT_TRUE(
        test::processEventsUntil([&] { return !windows(QStringLiteral("^VeskNotch Settings$")).isEmpty(); }));
    ASSERT_TRUE(choose(onNotch, down(7))) << fate();
    EXPECT_TRUE(welcomeShows()) << "no welcome window";
    ASSERT_TRUE(runs()) << fate();
    ASSERT_TRUE(choose(onNotch, down(4))) << fate();
    ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "Quit left it running";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// With a compositing manager the notch raises itself with its shadow a moment after a
// hovered pill grows; a menu opened meanwhile stays above every window of the program.
TEST_F(MenusX11Test, TheNotchMenuStaysAboveTheExpandedPill) {
    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), {});
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("VESK_DEMO"), QStringLiteral("nowPlaying"));
    // The pointer comes to the pill from away, as a hand does.
    ASSERT_TRUE(xdo({"mousemove", "960", "700"}));
    start(program, environment);
    ASSERT_TRUE(launched(program) && reaches(QStringLiteral("activity(nowPlaying)")));
    const QRect notch = notchOn(QGuiApplication::primaryScreen()->geometry());
    ASSERT_TRUE(xdo({"mousemove", QString::number(notch.center().x()), "10"}));
    ASSERT_TRUE(reaches(QStringLiteral("activityExpanded(nowPlaying)")) && xdo({"click", "3"}));
    test::processEventsFor(1000);
    // The menu opens at the pointer; the notch's windows hang from the top.
    const QList<Window> shown = windows();
    const auto menu =
        std::find_if(shown.begin(), shown.end(), [](const Window& w) { return w.frame.top() > 0; });
    ASSERT_NE(menu, shown.end());
    const QStringList stack = stackingOrder();
    for (const Window& window : shown)
        EXPECT_LE(stack.indexOf(window.id), stack.indexOf(menu->id)) << "under " << qPrintable(window.id);
}

// Two monitors side by side and the tray host on the left one. The status menu has
// Permissions ▸, Export Diagnostics…, Toggle Desk, Welcome to VeskNotch…, Settings…, Quit.
TEST_F(MenusX11Test, TheStatusMenuBringsBackTheNotchOfEveryMonitor) {
    test::PrivateXServer server(QStringLiteral("2560x800x24"), /*keepState=*/true);
    ASSERT_TRUE(server.start()) << qPrintable(server.error());
    m_display = server.display();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    // The X server's one output split in two monitors, which Qt takes for two screens.
    for (const QStringList& monitor : {QStringList{"LEFT", "1280/340x800/210+0+0", "screen"},
                                       QStringList{"RIGHT", "1280/340x800/210+1280+0", "none"}}) {
        QProcessEnvironment on = QProcessEnvironment::systemEnvironment();
        on.insert(QStringLiteral("DISPLAY"), m_display);
        m_monitors.setProcessEnvironment(on);
        m_monitors.start(QStringLiteral("xrandr"), QStringList{"--setmonitor"} + monitor);
        ASSERT_TRUE(m_monitors.waitForFinished(test::patienceMs) && m_monitors.exitCode() == 0);
    }
    QProcessEnvironment trayEnvironment = QProcessEnvironment::systemEnvironment();
    trayEnvironment.insert(QStringLiteral("DISPLAY"), m_display);
    m_tray.setProcessEnvironment(trayEnvironment);
    m_tray.start(QStringLiteral("trayer"),
                 {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "120"});
    ASSERT_TRUE(m_tray.waitForStarted(test::patienceMs));
    // The tray host must be there before the program looks for one.
    ASSERT_TRUE(test::processEventsUntil([&] {
        return xdo({"search", "--onlyvisible", "--class", "trayer"});
    }));
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    const QRect left = notchOn(QRect(0, 0, 1280, 800)), right = notchOn(QRect(1280, 0, 1280, 800));
    ASSERT_FALSE(left.isEmpty() || right.isEmpty()) << "not a notch on each monitor";
    QRect icon;
    ASSERT_TRUE(test::processEventsUntil([&] {
        for (const Window& window : windows())
            if (window.frame.width() < 64 && window.frame.right() < 130 && window.frame.top() < 40)
                icon = window.frame;
        return !icon.isEmpty();
    })) << "no status item in the tray";
    const QPoint onIcon = icon.center();

    // Two wheel clicks toward the user hide the right notch.
    ASSERT_TRUE(xdo({"mousemove", QString::number(right.center().x()), "3"}));
    ASSERT_TRUE(reaches(QStringLiteral("closed")));
    ASSERT_TRUE(xdo({"click", "5"}));
    test::processEventsFor(100);
    ASSERT_TRUE(xdo({"click", "5"}));
    ASSERT_TRUE(reaches(QStringLiteral("hidden"))) << qPrintable(errorLines(program).join('\n'));
    const qsizetype before = errorLines(program).size();

    SCOPED_TRACE("Toggle Desk, twice");
    ASSERT_TRUE(choose(onIcon, down(3))) << fate();
    ASSERT_TRUE(reaches(QStringLiteral("open(desk)")));
    EXPECT_FALSE(errorLines(program)
                     .mid(before)
                     .filter(QRegularExpression(QStringLiteral("^state closed ")))
                     .isEmpty())
        << "the right notch stayed hidden";
    ASSERT_TRUE(choose(onIcon, down(3))) << fate();
    ASSERT_TRUE(reaches(QStringLiteral("closed"))) << "the Desk stayed open";

    SCOPED_TRACE("Export Diagnostics…, Permissions");
    ASSERT_TRUE(choose(onIcon, down(2))) << fate();
    ASSERT_TRUE(answer(QStringLiteral("^Save VeskNotch Diagnostics$"), "Escape"))
        << "no save panel; " << fate();
    for (int entry = 1; entry <= 6; ++entry) {
        ASSERT_TRUE(choose(onIcon, QStringList{"Down", "Right"} + down(entry - 1))) << fate();
        if (entry >= 3 && entry <= 5) {
            EXPECT_TRUE(answer({}, "Return")) << "Permissions entry " << entry;
        }
        test::processEventsFor(200);
        ASSERT_TRUE(runs()) << "Permissions entry " << entry << ": " << fate();
    }

    SCOPED_TRACE("Welcome to VeskNotch…, Settings…, Quit");
    ASSERT_TRUE(choose(onIcon, down(4))) << fate();
    EXPECT_TRUE(welcomeShows()) << "no welcome window";
    ASSERT_TRUE(choose(onIcon, down(5))) << fate();
    EXPECT_TRUE(
        test::processEventsUntil([&] { return !windows(QStringLiteral("^VeskNotch Settings$")).isEmpty(); }));
    ASSERT_TRUE(choose(onIcon, down(6))) << fate();
    ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "Quit left it running";
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace vesk
