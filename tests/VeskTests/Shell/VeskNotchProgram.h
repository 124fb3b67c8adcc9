#pragma once

// The program as a user runs it, started and watched from outside by the X11 tests.
#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSize>
#include <QStringList>

#include <algorithm>

namespace vesk {

inline QString programPath() {
    return QStringLiteral(VESK_BINARY_DIR "/bin/vesk-notch");
}

struct ProgramWindow {
    QString id;
    QRect frame;
};

// The program's visible windows, as the X server (the test's, or `display`) places them;
// those whose name matches the pattern `name` only, when one is given.
inline QList<ProgramWindow> programWindows(qint64 pid, const QString& display = {}, const QString& name = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--pid"), QString::number(pid)};
    if (!name.isEmpty()) arguments << QStringLiteral("--name") << name;
    QProcess search;
    search.setProcessEnvironment(environment);
    search.start(QStringLiteral("xdotool"), arguments);
    search.waitForFinished(test::patienceMs);
    QList<ProgramWindow> windows;
    const QStringList ids =
        QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression geometry(
        QStringLiteral("Position: (-?\\d+),(-?\\d+).*Geometry: (\\d+)x(\\d+)"),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QString& id : ids) {
        QProcess query;
        query.setProcessEnvironment(environment);
        query.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
        query.waitForFinished(test::patienceMs);
        const QRegularExpressionMatch match =
            geometry.match(QString::fromUtf8(query.readAllStandardOutput()));
        if (match.hasMatch())
            windows.append({id, QRect(match.captured(1).toInt(), match.captured(2).toInt(),
                                      match.captured(3).toInt(), match.captured(4).toInt())});
    }
    return windows;
}

inline QList<QRect> visibleWindows(qint64 pid, const QString& display = {}) {
    QList<QRect> frames;
    for (const ProgramWindow& window : programWindows(pid, display))
        frames.append(window.frame);
    return frames;
}

inline QList<QSize> visibleWindowSizes(qint64 pid, const QString& display = {}) {
    QList<QSize> sizes;
    for (const QRect& window : visibleWindows(pid, display))
        sizes.append(window.size());
    return sizes;
}

inline int widestWindow(qint64 pid, const QString& display = {}) {
    int widest = 0;
    for (const QSize& size : visibleWindowSizes(pid, display))
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
            if (defaults.open(QIODevice::WriteOnly))
                defaults.write("{\"hasCompletedOnboarding\": true" + moreDefaults + "}\n");
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VESK_TRACE"), QStringLiteral("1"));
        if (!withBluetooth) environment.insert(QStringLiteral("VESK_NO_BT"), QString());
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

    // The menus and boxes of the program, driven and found on the test's X server (or
    // on `m_display`).
    bool xdo(const QStringList& arguments) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!m_display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), m_display);
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(test::patienceMs) && tool.exitCode() == 0;
    }
    QList<ProgramWindow> windows(const QString& name = {}) {
        return programWindows(program.processId(), m_display, name);
    }
    bool runs() {
        errorLines(program);
        return program.state() == QProcess::Running && !m_errors.contains(QStringLiteral("Sanitizer"));
    }
    // The boxes the program shows (the notches carry its name too, at the top).
    QList<ProgramWindow> boxes() {
        QList<ProgramWindow> found;
        for (const ProgramWindow& window : windows(QStringLiteral("^VeskNotch$")))
            if (window.frame.top() > 40) found.append(window);
        return found;
    }
    // Right-clicks at `at` (a notch or the status item) and chooses the entry reached by
    // `keys` (Down for each entry, separators skipped; Right into a submenu).
    bool choose(QPoint at, const QStringList& keys) {
        const QList<ProgramWindow> before = windows();
        // The menu is the window that was not there.
        const auto menuShown = [&] {
            for (const ProgramWindow& window : windows()) {
                const bool known = std::any_of(before.begin(), before.end(),
                                               [&](const ProgramWindow& old) { return old.id == window.id; });
                if (!known && window.frame.height() > 60) return true;
            }
            return false;
        };
        // A menu opened just as the Desk takes or gives back the keyboard closes again:
        // the click is made again once that is over.
        bool shown = false;
        for (int attempt = 0; attempt < 3 && !shown && runs(); ++attempt) {
            if (!xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "3"}))
                return false;
            shown = test::processEventsUntil(menuShown, 1500);
        }
        if (!shown) return false;
        // The menu takes the keyboard as it shows; a key typed before then goes elsewhere.
        test::processEventsFor(100);
        return xdo(QStringList{"key", "--delay", "40"} + keys + QStringList{"Return"});
    }
    static QStringList down(int times) { return QStringList(times, QStringLiteral("Down")); }

    test::PrivateBuses buses;
    QProcess program;
    QProcess second;
    // Whether the program may start Bluetooth (it does not by default).
    bool withBluetooth = false;
    // Further settings for start() to write, as JSON members each led by a comma.
    QByteArray moreDefaults;
    QString m_display;
    QString m_output;
    QString m_errors;
};

} // namespace vesk
