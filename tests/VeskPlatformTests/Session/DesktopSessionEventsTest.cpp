// Screen lock from logind's LockedHint and both screensaver services, merged.
#include "VeskPlatform/Session/DesktopSessionEvents.h"

#include "support/EventLoop.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;
using namespace vesk::test::sessionmock;

namespace {

struct Session {
    explicit Session(PrivateBuses& buses)
        : logind(buses.system(), login1, sessionPath),
          freedesktop(buses.session(), screenSaver, screenSaverPath),
          gnome(buses.session(), gnomeScreenSaver, gnomeScreenSaverPath) {
        QObject::connect(&events, &SessionEvents::lockedChanged, [this](bool locked) { heard << locked; });
    }

    // Starts watching and waits until every reporter has been asked once. (Answers that
    // come after a change was signalled are stale and dropped, so nothing waits for them.)
    bool start(bool withScreenSavers) {
        events.start();
        if (!processEventsUntil([&] { return events.sessionPath() == sessionPath; })) return false;
        if (withScreenSavers && !processEventsUntil([&] {
                return !freedesktop.methodCalls(QStringLiteral("GetActive")).isEmpty() &&
                       !gnome.methodCalls(QStringLiteral("GetActive")).isEmpty();
            }))
            return false;
        return true;
    }

    void setLockedHint(bool locked) {
        logind.call(sessionInterface, QStringLiteral("SetLockedHint"), {locked});
        ASSERT_TRUE(logind.lastError().isEmpty()) << qPrintable(logind.lastError());
    }
    void setActive(DBusMockControl& saver, const QString& interface, bool active) {
        saver.call(interface, QStringLiteral("SetActive"), {active});
        ASSERT_TRUE(saver.lastError().isEmpty()) << qPrintable(saver.lastError());
    }

    DBusMockControl logind;
    DBusMockControl freedesktop;
    DBusMockControl gnome;
    DesktopSessionEvents events;
    QList<bool> heard;
};

using DesktopSessionEventsTest = BusTest;

} // namespace

// Started outside a session, GetSessionByPID fails: "auto" names the session, whose
// own path is then followed.
TEST_F(DesktopSessionEventsTest, WithoutASessionForThePidTheAutoSessionIsFollowed) {
    ASSERT_EQ(startLogind(buses, false, true), QString());
    Session session(buses);
    ASSERT_TRUE(session.start(false));

    session.setLockedHint(true);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 1; }));
    EXPECT_EQ(session.heard, QList<bool>{true});
}

// GNOME reports through both its screensaver and LockedHint, KDE through
// org.freedesktop.ScreenSaver: however many say so, one lock is one event. logind's
// Lock and Unlock signals ask the locker to act and report nothing.
TEST_F(DesktopSessionEventsTest, AllReportersMergeIntoOneEventPerChange) {
    ASSERT_EQ(startLogind(buses, true, false), QString());
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    ASSERT_EQ(startGnomeScreenSaver(buses), QString());
    Session session(buses);
    ASSERT_TRUE(session.start(true));
    session.logind.call(sessionInterface, QStringLiteral("Lock"));
    processEventsFor(200);
    EXPECT_TRUE(session.heard.isEmpty());

    session.setActive(session.gnome, gnomeScreenSaver, true);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 1; }));
    session.setLockedHint(true);
    session.setActive(session.freedesktop, screenSaver, true);
    session.setActive(session.gnome, gnomeScreenSaver, false);
    session.setActive(session.freedesktop, screenSaver, false);
    session.logind.call(sessionInterface, QStringLiteral("Unlock"));
    processEventsFor(300);
    EXPECT_EQ(session.heard, QList<bool>{true}) << "still locked while LockedHint says so";

    session.setLockedHint(false);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 2; }));

    session.setActive(session.freedesktop, screenSaver, true);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 3; }));
    session.setActive(session.freedesktop, screenSaver, false);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 4; }));
    processEventsFor(200);
    EXPECT_EQ(session.heard, (QList<bool>{true, false, true, false}));
}

// The state found at the start is the baseline, not an event; a screensaver that
// quits while active no longer holds the screen locked.
TEST_F(DesktopSessionEventsTest, StartIsSilentAndAScreenSaverThatGoesAwayUnlocks) {
    ASSERT_EQ(startLogind(buses, true, false), QString());
    QProcess* saverProcess = nullptr;
    ASSERT_EQ(startFreedesktopScreenSaver(buses, &saverProcess), QString());
    ASSERT_EQ(startGnomeScreenSaver(buses), QString());
    Session session(buses);
    session.setActive(session.freedesktop, screenSaver, true);
    ASSERT_TRUE(session.start(true));
    EXPECT_TRUE(processEventsUntil([&] { return session.events.isLocked(); }));
    EXPECT_TRUE(session.heard.isEmpty());

    buses.stop(saverProcess);
    ASSERT_TRUE(processEventsUntil([&] { return session.heard.size() == 1; }));
    EXPECT_EQ(session.heard, QList<bool>{false});
    EXPECT_FALSE(session.events.isLocked());
}
