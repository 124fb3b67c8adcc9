// The program as a user runs it, on the test's X server with its own buses and sound
// server, watched only from outside: its standard error, its windows, its exit.
#include "VeskNotchProgram.h"

#include "support/Audio/PulseDaemon.h"
#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/X11/PrivateXServer.h"

#include "Vesk/Shell/SingleInstanceLock.h"
#include "VeskKit/Diagnostics/TraceLog.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSize>
#include <QSystemTrayIcon>

#include <csignal>

namespace vesk {
namespace {

TEST_F(VeskNotchX11Test, AVolumeChangeGrowsTheNotchIntoTheSoundPill) {
    test::PulseDaemon pulse;
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PULSE_SERVER"), pulse.server());
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(m_output) << qPrintable(errorLines(program).join('\n'));

    int closedWidth = 0;
    ASSERT_TRUE(test::processEventsUntil([&] {
        return (closedWidth = widestWindow(program.processId())) > 0;
    })) << "the notch window never showed";

    // The first volume the program hears only primes it; keep changing until a pill shows.
    const QRegularExpression activityLine(QStringLiteral("^state activity.*sound"));
    int percent = 30;
    bool shown = false;
    for (int attempt = 0; attempt < 20 && !shown; ++attempt) {
        ASSERT_TRUE(pulse.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"),
                                 QString::number(percent += 3) + QLatin1Char('%')}));
        shown = test::processEventsUntil([&] { return !errorLines(program).filter(activityLine).isEmpty(); },
                                         2000);
    }
    ASSERT_TRUE(shown) << qPrintable(errorLines(program).join('\n'));
    EXPECT_TRUE(test::processEventsUntil([&] { return widestWindow(program.processId()) > closedWidth; }))
        << "closed " << closedWidth << ", now " << widestWindow(program.processId());
}

// Two wheel clicks toward the user hide the notch, which then takes no pointer input at
// all; the status menu's "Toggle Desk" brings it back with the Desk open.
TEST_F(VeskNotchX11Test, AHiddenNotchComesBackOpenFromTheStatusMenu) {
    QProcess tray;
    tray.start(QStringLiteral("trayer"),
               {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                QStringLiteral("--width"), QStringLiteral("120")});
    ASSERT_TRUE(tray.waitForStarted(test::patienceMs));
    const auto stopTray = qScopeGuard([&tray] {
        tray.terminate();
        if (!tray.waitForFinished(3000)) tray.kill();
    });
    ASSERT_TRUE(test::processEventsUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
        << "the tray host never came up";
    start(program);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The notch hangs from the top centre; the status item is docked at the top right.
    QRect notch, icon;
    ASSERT_TRUE(test::processEventsUntil([&] {
        for (const QRect& window : visibleWindows(program.processId())) {
            if (window.top() == 0 && window.center().x() == screen.center().x()) notch = window;
            if (window.width() < 64 && window.left() > screen.right() - 130) icon = window;
        }
        return !notch.isEmpty() && !icon.isEmpty();
    })) << "notch "
        << notch.width() << ", status item " << icon.width();
    const auto reached = [&](const QString& state) {
        return test::processEventsUntil([&] {
            const QStringList states =
                errorLines(program).filter(QRegularExpression(QStringLiteral("^state ")));
            return !states.isEmpty() && states.last().startsWith(QStringLiteral("state ") + state + u' ');
        });
    };

    ASSERT_TRUE(
        test::xdotool({"mousemove", QString::number(notch.center().x()), QString::number(notch.top() + 3)}));
    ASSERT_TRUE(reached(QStringLiteral("closed"))) << "the notch never took the pointer";
    ASSERT_TRUE(test::xdotool({"click", "5"}));
    test::processEventsFor(100);
    ASSERT_TRUE(test::xdotool({"click", "5"}));
    ASSERT_TRUE(reached(QStringLiteral("hidden"))) << qPrintable(errorLines(program).join('\n'));
    EXPECT_TRUE(errorLines(program).last().endsWith(QStringLiteral("interactiveRect (0.0, 0.0, 0.0, 0.0)")));

    // The status menu opens at the icon; its fourth entry is "Toggle Desk".
    ASSERT_TRUE(test::xdotool(
        {"mousemove", QString::number(icon.center().x()), QString::number(icon.center().y()), "click", "3"}));
    ASSERT_TRUE(test::processEventsUntil([&] {
        for (const QRect& window : visibleWindows(program.processId()))
            if (window.height() > 100 && window.top() < screen.height() / 2) return true;
        return false;
    })) << "the status menu never opened";
    ASSERT_TRUE(test::xdotool({"key", "Down", "Down", "Down", "Return"}));
    ASSERT_TRUE(reached(QStringLiteral("open(desk)"))) << qPrintable(errorLines(program).join('\n'));
}

// The notch shows first; the rest of launching then runs by itself, with no user action:
// the system services report, the push registration is answered and a hook's pill shows.
TEST_F(VeskNotchX11Test, LaunchingGoesOnByItselfOnceTheNotchShows) {
    QFile::remove(TraceLog::filePath());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("VESK_DEMO"), QStringLiteral("battery"));
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    EXPECT_TRUE(test::processEventsUntil([&] { return widestWindow(program.processId()) > 0; }))
        << "the notch window never showed";
    const auto traced = [](const QString& text) {
        return !TraceLog::recentLogLines(200).filter(text).isEmpty();
    };
    EXPECT_TRUE(test::processEventsUntil([&] {
        return traced(QStringLiteral("  brightness source = ")) &&
               traced(QStringLiteral("  push registration FAILED"));
    })) << qPrintable(TraceLog::recentLogLines(200).join('\n'));
    const QRegularExpression batteryPill(
        QStringLiteral("^state (peek|activity|activityExpanded)\\(battery\\)"));
    EXPECT_TRUE(test::processEventsUntil([&] { return !errorLines(program).filter(batteryPill).isEmpty(); }))
        << qPrintable(errorLines(program).join('\n'));
}

TEST_F(VeskNotchX11Test, TheFirstLaunchShowsTheWelcomeWindow) {
    QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk/defaults.json"));
    start(program, {}, /*onboarded=*/false);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    EXPECT_TRUE(test::processEventsUntil(
        [&] { return visibleWindowSizes(program.processId()).contains(QSize(700, 620)); }, 20000))
        << "no 700 × 620 window appeared";
}

TEST_F(VeskNotchX11Test, ASecondCopyForTheSameDisplayLeavesAtOnce) {
    start(program);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    start(second);
    ASSERT_TRUE(second.waitForFinished(test::patienceMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("already running")));
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(VeskNotchX11Test, TerminationSignalsEndTheProgramNormally) {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        m_output.clear();
        start(program);
        ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
        ::kill(pid_t(program.processId()), number);
        ASSERT_TRUE(program.waitForFinished(test::patienceMs));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// The display goes away under the program, in the middle of its run or of its start-up:
// it ends by itself, promptly, and gives its lock back, so a copy started on the next
// server of that number shows its notch.
TEST_F(VeskNotchX11Test, WhenItsDisplayGoesAwayTheProgramEndsAndCanStartAgain) {
    for (const int stopAfterMs : {-1, 300}) {
        SCOPED_TRACE(stopAfterMs < 0 ? "once running" : "0.3 s after launch");
        test::PrivateXServer server;
        ASSERT_TRUE(server.start()) << qPrintable(server.error());
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("DISPLAY"), server.display());
        m_output.clear();
        m_errors.clear();
        start(program, environment);
        if (stopAfterMs < 0) {
            ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
            ASSERT_TRUE(test::processEventsUntil([&] {
                return widestWindow(program.processId(), server.display()) > 0;
            })) << "the notch window never showed";
        } else {
            // The stop falls in the start-up, at a time chosen by the scenario.
            test::processEventsFor(stopAfterMs);
        }
        server.stop();
        QElapsedTimer ending;
        ending.start();
        ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "still running without its display";
        EXPECT_LT(ending.elapsed(), 5000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(program.exitCode(), 0);
        const QStringList errors = errorLines(program);
        EXPECT_EQ(errors.filter(QStringLiteral("vesk-notch:")).size(), 1) << qPrintable(errors.join('\n'));
        SingleInstanceLock lock(SingleInstanceLock::pathForDisplay(server.display()));
        EXPECT_TRUE(lock.tryLock()) << "the lock is still held";
    }
}

TEST_F(VeskNotchX11Test, ANewServerOfTheSameNumberGetsANewNotch) {
    test::PrivateXServer first;
    ASSERT_TRUE(first.start()) << qPrintable(first.error());
    const QString display = first.display();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    first.stop();
    ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "still running without its display";

    test::PrivateXServer again;
    ASSERT_TRUE(again.start(display)) << qPrintable(again.error());
    m_output.clear();
    start(second, environment);
    ASSERT_TRUE(launched(second)) << qPrintable(errorLines(second).join('\n'));
    EXPECT_TRUE(test::processEventsUntil([&] { return widestWindow(second.processId(), display) > 0; }))
        << "the new copy never showed its notch";
}

// The desktop's libraries end the program with SIGTERM when the session bus goes away:
// that is the normal ending, and it ends.
TEST_F(VeskNotchX11Test, WhenItsSessionBusGoesAwayTheProgramEndsNormally) {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(test::processEventsUntil([&] { return bus.canReadLine(); })) << "dbus-daemon did not start";
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    // GLib's connection is the one that ends the program: its second, beside Qt's.
    QDBusConnectionInterface* watcher =
        QDBusConnection::connectToBus(address, QStringLiteral("session-bus-watch")).interface();
    ASSERT_TRUE(watcher);
    ASSERT_TRUE(test::processEventsUntil([&] {
        int connections = 0;
        const QStringList names = watcher->registeredServiceNames().value();
        for (const QString& name : names)
            connections += name.startsWith(u':') && watcher->servicePid(name).value() == program.processId();
        return connections >= 2;
    })) << "the program never connected to the session bus twice";
    bus.terminate();
    ASSERT_TRUE(bus.waitForFinished(test::patienceMs));
    ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "still running without its session bus";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << qPrintable(errorLines(program).join('\n'));
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace vesk
