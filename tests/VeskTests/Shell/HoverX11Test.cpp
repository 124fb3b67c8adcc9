// The pointer resting on the real program's notch: whatever grows or moves the panel
// under a still pointer, the notch stays as hovering or clicking made it.
#include "VeskNotchProgram.h"

#include "support/EventLoop.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryFile>

namespace vesk {
namespace {

class HoverX11Test : public VeskNotchX11Test {
protected:
    // Starts the program with `settings` (JSON members) in its defaults, the pointer away
    // from the top of the screen.
    void launch(const QByteArray& settings, const QString& demo = {}) {
        stop();
        ASSERT_TRUE(test::xdotool({"mousemove", "960", "700"}));
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
        QDir().mkpath(folder);
        QFile defaults(folder + QStringLiteral("/defaults.json"));
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
        QByteArray json = "{\"hasCompletedOnboarding\": true";
        if (!settings.isEmpty()) json += ", " + settings;
        defaults.write(json + "}\n");
        defaults.close();
        QProcessEnvironment environment;
        if (!demo.isEmpty()) environment.insert(QStringLiteral("VESK_DEMO"), demo);
        start(program, environment, false);
        ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    }

    void stop() {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(test::patienceMs);
        }
        m_output.clear();
        m_errors.clear();
    }

    // Every state the notch has been in since launch, oldest first.
    QStringList states() {
        static const QRegularExpression line(QStringLiteral("^state (\\S+)"));
        QStringList result;
        for (const QString& text : errorLines(program)) {
            const QRegularExpressionMatch match = line.match(text);
            if (match.hasMatch()) result << match.captured(1);
        }
        return result;
    }
    bool reached(const QString& state) {
        return test::processEventsUntil([&] { return !states().isEmpty() && states().last() == state; });
    }
    // The state holds for `ms` with nothing in between.
    ::testing::AssertionResult holds(const QString& state, int ms) {
        const qsizetype before = states().size();
        test::processEventsFor(ms);
        const QStringList after = states().mid(before - 1);
        if (after == QStringList{state}) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "went through " << qPrintable(after.join(QStringLiteral(", ")));
    }

    // The notch's window: hanging from the top, centred on the screen.
    QRect notchWindow() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QRect found;
        test::processEventsUntil([&] {
            for (const QRect& window : visibleWindows(program.processId()))
                if (window.top() == 0 && std::abs(window.center().x() - screen.center().x()) <= 1)
                    found = window;
            return !found.isEmpty();
        });
        return found;
    }

    // A click on the resting notch's middle opens the Desk.
    bool openDesk() {
        return pointAt(notchWindow().center().x(), 3) && test::xdotool({"click", "1"}) &&
               reached(QStringLiteral("open(desk)"));
    }

    // Comes to rest at x, y as a hand would, the last pixel a move of its own.
    bool pointAt(int x, int y) {
        if (!test::xdotool({"mousemove", QString::number(x - 2), QString::number(y)})) return false;
        test::processEventsFor(50);
        return test::xdotool({"mousemove", QString::number(x), QString::number(y)});
    }
};

TEST_F(HoverX11Test, APointerRestingOnTheNotchKeepsItExpandedOrOpen) {
    const auto cleanUp = qScopeGuard([] {
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk/defaults.json"));
    });

    // A pill hovered near either end expands and stays expanded.
    launch({}, QStringLiteral("battery"));
    ASSERT_TRUE(reached(QStringLiteral("activity(battery)"))) << qPrintable(states().join(' '));
    QRect window = notchWindow();
    ASSERT_FALSE(window.isEmpty());
    // The window leaves 12 beside the pill on each side.
    const int pillLeft = window.left() + 12, pillWidth = window.width() - 24;
    for (const double at : {0.1, 0.9}) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(pointAt(pillLeft + int(pillWidth * at), 10));
        ASSERT_TRUE(reached(QStringLiteral("activityExpanded(battery)"))) << qPrintable(states().join(' '));
        EXPECT_TRUE(holds(QStringLiteral("activityExpanded(battery)"), 1000));
        ASSERT_TRUE(pointAt(960, 700));
        ASSERT_TRUE(reached(QStringLiteral("activity(battery)")));
    }

    // The ambient now-playing view hovered shows the expanded pill, its title inside the
    // black shape and nothing drawn below it.
    launch({}, QStringLiteral("nowPlaying"));
    ASSERT_TRUE(reached(QStringLiteral("activity(nowPlaying)"))) << qPrintable(states().join(' '));
    window = notchWindow();
    // Near its right end, where the grown window first leaves the pointer outside its old shape.
    ASSERT_TRUE(pointAt(window.left() + 12 + int((window.width() - 24) * 0.9), 10));
    ASSERT_TRUE(reached(QStringLiteral("activityExpanded(nowPlaying)"))) << qPrintable(states().join(' '));
    EXPECT_TRUE(holds(QStringLiteral("activityExpanded(nowPlaying)"), 1000));
    window = notchWindow();
    QTemporaryFile shot(QDir::tempPath() + QStringLiteral("/hover-XXXXXX.png"));
    ASSERT_TRUE(shot.open());
    ASSERT_EQ(QProcess::execute(QStringLiteral("import"), {"-window", "root", shot.fileName()}), 0);
    const QImage screen(shot.fileName());
    ASSERT_FALSE(screen.isNull());
    // The test's screen is black behind the notch: light pixels are what the notch drew.
    const auto bright = [&](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += qGray(screen.pixel(x, y)) > 160;
        return count;
    };
    EXPECT_GT(bright(window.adjusted(14, 2, -14, -8)), 20) << "the title is drawn on the black shape";
    EXPECT_EQ(bright(QRect(window.left() - 60, window.bottom() - 5, window.width() + 120, 60)), 0)
        << "nothing is drawn below the shape";

    // With "Prevent closing on mouse leave" off, a click opens the Desk and it stays
    // while the pointer rests on it.
    launch("\"preventCloseOnMouseLeave\": false");
    window = notchWindow();
    ASSERT_TRUE(pointAt(window.center().x(), 3));
    ASSERT_TRUE(reached(QStringLiteral("closed")));
    ASSERT_TRUE(test::xdotool({"click", "1"}));
    ASSERT_TRUE(reached(QStringLiteral("open(desk)"))) << qPrintable(states().join(' '));
    EXPECT_TRUE(holds(QStringLiteral("open(desk)"), 1000));

    // With "Expand on hover" on as well, the pointer moving over the open Desk for two
    // seconds closes nothing.
    launch("\"preventCloseOnMouseLeave\": false, \"expandOnHover\": true");
    window = notchWindow();
    ASSERT_TRUE(pointAt(window.center().x(), 3));
    ASSERT_TRUE(reached(QStringLiteral("open(desk)"))) << qPrintable(states().join(' '));
    const qsizetype opened = states().size();
    for (int step = 0; step < 20; ++step) {
        ASSERT_TRUE(pointAt(window.center().x() - 150 + 15 * step, 8 + (step % 5) * 6));
        test::processEventsFor(100);
    }
    EXPECT_EQ(states().mid(opened - 1), QStringList{QStringLiteral("open(desk)")});
    stop();
}

TEST_F(HoverX11Test, AMenuOrTheDeskClosedAwayFromTheNotchLeavesItAtRest) {
    launch({});
    const QRect resting = notchWindow();
    const auto atRest = [&] { return test::processEventsUntil([&] { return notchWindow() == resting; }); };
    for (const QStringList& close : {QStringList{"key", "Escape"}, QStringList{"click", "1"}}) {
        SCOPED_TRACE(close.join(' ').toStdString());
        ASSERT_TRUE(pointAt(resting.center().x(), 3));
        ASSERT_TRUE(test::processEventsUntil([&] { return notchWindow().width() > resting.width(); }));
        ASSERT_TRUE(test::xdotool({"click", "3"}));
        ASSERT_TRUE(test::processEventsUntil([&] { return visibleWindows(program.processId()).size() > 1; }));
        // The menu holds the pointer: the notch sees neither the move nor the close.
        ASSERT_TRUE(pointAt(960, 700) && test::xdotool(close));
        EXPECT_TRUE(atRest()) << "still " << notchWindow().width() << " wide, " << resting.width()
                              << " at rest";
    }
    // The Desk closed by Escape and the pointer gone at once, before the panel shrank.
    ASSERT_TRUE(pointAt(resting.center().x(), 3) && test::xdotool({"click", "1"}));
    ASSERT_TRUE(reached(QStringLiteral("open(desk)"))) << qPrintable(states().join(' '));
    ASSERT_TRUE(test::xdotool({"key", "Escape"}) && pointAt(960, 700));
    EXPECT_TRUE(atRest()) << "still " << notchWindow().width() << " wide after the Desk closed";
    stop();
}

// "Prevent closing on mouse leave" off: the task field's own menu, closed by Escape with
// the pointer away from the Desk, closes the Desk and ends nothing else.
TEST_F(HoverX11Test, AFieldsMenuClosedAwayFromTheDeskClosesTheDeskAndTheProgramLives) {
    launch("\"preventCloseOnMouseLeave\": false");
    ASSERT_TRUE(openDesk()) << qPrintable(states().join(' '));
    test::processEventsFor(1000);
    // The to-do widget sits second in the default row, its field near the top.
    const QRect desk = notchWindow();
    ASSERT_TRUE(pointAt(desk.left() + desk.width() * 41 / 100, 52) && test::xdotool({"click", "3"}));
    test::processEventsFor(500);
    ASSERT_TRUE(pointAt(960, 700) && test::xdotool({"key", "Escape"}) && reached(QStringLiteral("closed")));
    test::processEventsFor(500);
    EXPECT_TRUE(runs()) << qPrintable(errorLines(program).join('\n'));
}

// "Prevent closing on mouse leave" off: "Close Desk" chosen on its line beside the Desk
// leaves the Desk closed.
TEST_F(HoverX11Test, CloseDeskChosenBesideTheDeskLeavesItClosed) {
    launch("\"preventCloseOnMouseLeave\": false");
    ASSERT_TRUE(openDesk()) << qPrintable(states().join(' '));
    test::processEventsFor(500);
    // Near the header's right end, so the menu reaches out beside the Desk.
    const QRect desk = notchWindow();
    ASSERT_TRUE(pointAt(desk.right() - 30, 12) && test::xdotool({"click", "3"}));
    test::processEventsFor(500);
    ASSERT_TRUE(pointAt(desk.right() + 50, 22) && test::xdotool({"click", "1"}));
    ASSERT_TRUE(reached(QStringLiteral("closed")));
    EXPECT_TRUE(holds(QStringLiteral("closed"), 1000));
    stop();
}

// Clicked 0.1 s after Escape closed the Desk, while it still shrinks in the Desk-wide
// window, the notch takes the click and opens the Desk again.
TEST_F(HoverX11Test, AClickOnTheClosingNotchOpensTheDeskAgain) {
    launch({});
    ASSERT_TRUE(openDesk()) << qPrintable(states().join(' '));
    test::processEventsFor(1000);
    ASSERT_TRUE(test::xdotool({"key", "Escape"}) && reached(QStringLiteral("closed")));
    test::processEventsFor(100);
    ASSERT_TRUE(test::xdotool({"click", "1"}));
    EXPECT_TRUE(reached(QStringLiteral("open(desk)"))) << qPrintable(states().join(' '));
}

} // namespace
} // namespace vesk
