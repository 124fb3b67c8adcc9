// The program as a user runs it, on the test's X server with its own buses and sound
// server, watched only from outside: its standard error, its windows, its exit.
#include "support/Audio/PulseDaemon.h"
#include "support/DBusFixture.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>

#include <csignal>

namespace vesk {
namespace {

QString programPath() {
    return QStringLiteral(VESK_BINARY_DIR "/bin/vesk-notch");
}

// The sizes of the program's visible windows, as the X server reports them.
QList<QSize> visibleWindowSizes(qint64 pid) {
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                             QStringLiteral("--pid"), QString::number(pid)});
    search.waitForFinished(test::patienceMs);
    QList<QSize> sizes;
    const QStringList ids =
        QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression geometry(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    for (const QString& id : ids) {
        QProcess query;
        query.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
        query.waitForFinished(test::patienceMs);
        const QRegularExpressionMatch match =
            geometry.match(QString::fromUtf8(query.readAllStandardOutput()));
        if (match.hasMatch()) sizes.append(QSize(match.captured(1).toInt(), match.captured(2).toInt()));
    }
    return sizes;
}

int widestWindow(qint64 pid) {
    int widest = 0;
    for (const QSize& size : visibleWindowSizes(pid))
        widest = std::max(widest, size.width());
    return widest;
}

class VeskNotchX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs the test X server";
        ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    }
    void TearDown() override {
        for (QProcess* process : {&program, &second})
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(test::patienceMs);
            }
    }

    // Onboarding is marked done first, as for a user who has been through it, unless the
    // test wants the first launch.
    void start(QProcess& process, const QProcessEnvironment& extra = {}, bool onboarded = true) {
        if (onboarded) {
            const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
            QDir().mkpath(folder);
            QFile defaults(folder + QStringLiteral("/defaults.json"));
            if (defaults.open(QIODevice::WriteOnly)) defaults.write("{\"hasCompletedOnboarding\": true}\n");
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VESK_TRACE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("VESK_NO_BT"), QString());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        for (const QString& key : extra.keys())
            environment.insert(key, extra.value(key));
        process.setProcessEnvironment(environment);
        process.start(programPath(), {});
        ASSERT_TRUE(process.waitForStarted(test::patienceMs)) << qPrintable(process.errorString());
    }

    // Lines of standard error read so far.
    QStringList errorLines(QProcess& process) {
        m_errors += QString::fromUtf8(process.readAllStandardError());
        return m_errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    bool launched(QProcess& process) {
        return test::processEventsUntil([&] {
                   m_output += QString::fromUtf8(process.readAllStandardOutput());
                   return m_output.contains(QStringLiteral("display ")) ||
                          process.state() == QProcess::NotRunning;
               }) &&
               process.state() == QProcess::Running;
    }

    test::PrivateBuses buses;
    QProcess program;
    QProcess second;
    QString m_output;
    QString m_errors;
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
