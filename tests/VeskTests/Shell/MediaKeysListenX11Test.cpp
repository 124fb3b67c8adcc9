// The program beside a desktop that keeps the volume keys for itself: the desktop grabs
// them and steps the volume on each press, and the program only listens until the
// desktop lets them go. Watched from outside: the private sound server's volume, the
// program's trace file and its notch's states on standard error.
#include "VeskNotchProgram.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskServices/EventTap/EventTapService.h"

#include "support/Audio/PulseDaemon.h"
#include "support/X11/Bystander.h"
#include "support/X11/Xdotool.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/XF86keysym.h>

namespace vesk {
namespace {

using test::processEventsFor;
using test::processEventsUntil;

// Time given to the program to change the volume after a key it saw, if it were to.
constexpr int settleMs = 400;

class MediaKeysListenX11Test : public VeskNotchX11Test {
protected:
    // The sink's volume in percent, as pactl rounds it.
    int volume() {
        const QString output =
            pulse.pactl({QStringLiteral("get-sink-volume"), QStringLiteral("test")}).value_or(QString());
        static const QRegularExpression percent(QStringLiteral("(\\d+)%"));
        const QRegularExpressionMatch match = percent.match(output);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    int traced(const QString& text) { return int(TraceLog::recentLogLines(500).filter(text).size()); }
    int soundPills() {
        static const QRegularExpression line(QStringLiteral("^state activity\\(sound"));
        return int(errorLines(program).filter(line).size());
    }

    // The volume's change from 50 % for one press of volume up, with the desktop's step
    // when the desktop got the key (as its media-key handler would take it).
    int stepOfOnePress() {
        pulse.pactl({"set-sink-volume", "test", "50%"});
        processEventsFor(settleMs);
        const int seen = traced("media key soundUp"), got = desktop.presses(XF86XK_AudioRaiseVolume);
        if (!test::xdotool({"key", "XF86AudioRaiseVolume"}) ||
            !processEventsUntil([&] { return traced("media key soundUp") > seen; }))
            return -1;
        processEventsFor(settleMs);
        if (desktop.presses(XF86XK_AudioRaiseVolume) > got) pulse.pactl({"set-sink-volume", "test", "+5%"});
        return volume() - 50;
    }

    test::PulseDaemon pulse;
    test::Bystander desktop;
};

TEST_F(MediaKeysListenX11Test, EachPressOfAKeyTheDesktopKeepsIsOneStep) {
    ASSERT_TRUE(desktop.ok());
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    ASSERT_TRUE(
        pulse.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"), QStringLiteral("45%")}));
    ASSERT_TRUE(desktop.grab(XF86XK_AudioRaiseVolume));
    QFile::remove(TraceLog::filePath());

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PULSE_SERVER"), pulse.server());
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    ASSERT_TRUE(processEventsUntil([&] {
        return traced(QStringLiteral("event tap start(listen) → running"));
    })) << qPrintable(TraceLog::recentLogLines(50).join('\n'));
    // Once the program follows the sound server, a change shows the sound pill.
    ASSERT_TRUE(processEventsUntil([&] {
        pulse.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"),
                     volume() == 50 ? QStringLiteral("45%") : QStringLiteral("50%")});
        return processEventsUntil([&] { return soundPills() > 0; }, 500);
    })) << "the program never showed the volume";
    ASSERT_TRUE(
        pulse.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"), QStringLiteral("50%")}));
    ASSERT_TRUE(processEventsUntil([&] { return volume() == 50; }));
    processEventsFor(settleMs);
    const int pillsBefore = soundPills();

    for (int press = 1; press <= 3; ++press)
        EXPECT_EQ(stepOfOnePress(), 5) << "press " << press << ": not the desktop's step alone";
    EXPECT_TRUE(processEventsUntil([&] { return soundPills() > pillsBefore; }))
        << "the desktop's steps showed no pill";
    EXPECT_EQ(program.state(), QProcess::Running) << qPrintable(errorLines(program).join('\n'));
}

// The setting on while the desktop holds the key: the desktop's step only. Once it lets
// go the program takes the key at its next health check and steps itself. Then, from the
// notch's menu, off and on again: refused with a box while the desktop holds the key,
// taken without one once it let go.
TEST_F(MediaKeysListenX11Test, KeysTheDesktopLetsGoAreTakenBackWithoutARestart) {
    ASSERT_TRUE(desktop.ok());
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    ASSERT_TRUE(desktop.grab(XF86XK_AudioRaiseVolume));
    QFile::remove(TraceLog::filePath());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PULSE_SERVER"), pulse.server());
    moreDefaults = R"(, "suppressSystemHUD": true)";
    start(program, environment);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    // The volume keys are wanted once the program follows the sound server.
    ASSERT_TRUE(processEventsUntil([&] { return traced(QStringLiteral("event tap → degradedToListen")); }));
    EXPECT_EQ(stepOfOnePress(), 5) << "not the desktop's step alone";

    const QString intercepting = QStringLiteral("→ running(intercept)");
    int interceptions = traced(intercepting);
    desktop.release(XF86XK_AudioRaiseVolume);
    ASSERT_TRUE(processEventsUntil([&] { return traced(intercepting) > interceptions; },
                                   int(EventTapService::healthCheckInterval * 1000) + 500))
        << "the key was not taken back within one health check";
    EXPECT_EQ(stepOfOnePress(), 6) << "not the program's step alone";

    const QPoint onNotch(QGuiApplication::primaryScreen()->geometry().center().x(), 3);
    const QStringList replaceHuds = down(5) + QStringList{"Right", "Up"};
    ASSERT_TRUE(choose(onNotch, replaceHuds)); // off
    ASSERT_TRUE(processEventsUntil([&] { return desktop.grab(XF86XK_AudioRaiseVolume); }));
    ASSERT_TRUE(choose(onNotch, replaceHuds));
    EXPECT_TRUE(processEventsUntil([&] { return boxes().size() == 1; })) << "no box while the key is held";
    desktop.release(XF86XK_AudioRaiseVolume);
    interceptions = traced(intercepting);
    ASSERT_TRUE(choose(onNotch, replaceHuds));
    EXPECT_TRUE(processEventsUntil([&] { return traced(intercepting) > interceptions; }));
    EXPECT_EQ(stepOfOnePress(), 6);
    EXPECT_EQ(boxes().size(), 1) << "a box although nothing held the key";
}

} // namespace
} // namespace vesk
