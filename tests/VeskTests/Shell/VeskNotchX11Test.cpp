// The program as a user runs it, on the test's X server with its own buses and sound
// server, watched only from outside: its standard error, its windows, its exit.
#include "VeskNotchProgram.h"

#include "support/Audio/PulseDaemon.h"
#include "support/DBusFixture.h"
#include "support/EventLoop.h"

#include "Vesk/Shell/SingleInstanceLock.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>

#include <csignal>

namespace vesk {
namespace {

// An X server of the test's own, to stop under the program. Stopped by the destructor.
class PrivateXServer {
public:
    ~PrivateXServer() { stop(); }

    // Starts Xvfb on a free display number, or on `display` again; false (see error())
    // when it did not come up.
    bool start(const QString& display = {}) {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        // It writes its display number once it takes connections.
        QStringList arguments{QStringLiteral("-displayfd"),  QStringLiteral("1"),
                              QStringLiteral("-screen"),     QStringLiteral("0"),
                              QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")};
        if (!display.isEmpty()) arguments.prepend(display);
        m_process.start(QStringLiteral("Xvfb"), arguments);
        QByteArray said;
        if (!test::processEventsUntil([&] {
                said += m_process.readAllStandardOutput();
                return said.contains('\n') || m_process.state() == QProcess::NotRunning;
            }) ||
            !said.contains('\n')) {
            m_error = QStringLiteral("Xvfb did not start");
            return false;
        }
        m_display = QLatin1Char(':') + QString::fromLatin1(said.trimmed());
        return true;
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(test::patienceMs)) m_process.kill();
        m_process.waitForFinished(test::patienceMs);
    }
    const QString& display() const { return m_display; }
    const QString& error() const { return m_error; }

private:
    QProcess m_process;
    QString m_display;
    QString m_error;
};

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
        PrivateXServer server;
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
    PrivateXServer first;
    ASSERT_TRUE(first.start()) << qPrintable(first.error());
    const QString display = first.display();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    first.stop();
    ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "still running without its display";

    PrivateXServer again;
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
