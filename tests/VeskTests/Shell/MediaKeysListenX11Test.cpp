// The program beside a desktop that keeps the volume keys for itself: the desktop grabs
// them and steps the volume on each press, and the program only listens. Watched from
// outside: the private sound server's volume, the program's trace file and its notch's
// states on standard error.
#include "VeskNotchProgram.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include "support/Audio/PulseDaemon.h"
#include "support/X11/Bystander.h"
#include "support/X11/Xdotool.h"

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

    for (int press = 1; press <= 3; ++press) {
        SCOPED_TRACE(press);
        ASSERT_TRUE(test::xdotool({"key", "XF86AudioRaiseVolume"}));
        // The desktop's step, as its media-key handler would take it.
        ASSERT_TRUE(processEventsUntil([&] { return desktop.presses(XF86XK_AudioRaiseVolume) == press; }))
            << "the desktop never got the key";
        ASSERT_TRUE(
            pulse.pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test"), QStringLiteral("+5%")}));
        ASSERT_TRUE(processEventsUntil([&] {
            return traced(QStringLiteral("media key soundUp down=true")) == press;
        })) << "the program never saw the key";
        processEventsFor(settleMs);
        EXPECT_EQ(volume(), 50 + 5 * press) << "the program stepped the volume too";
    }
    EXPECT_TRUE(processEventsUntil([&] { return soundPills() > pillsBefore; }))
        << "the desktop's steps showed no pill";
    EXPECT_EQ(program.state(), QProcess::Running) << qPrintable(errorLines(program).join('\n'));
}

} // namespace
} // namespace vesk
