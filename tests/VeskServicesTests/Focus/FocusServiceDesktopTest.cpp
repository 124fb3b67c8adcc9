// The Focus service over the desktop's real switch: a notification server with
// Inhibited, GNOME's show-banners in GSettings, and nothing at all.
#include "VeskServices/Focus/FocusService.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/Session/DBusMockControl.h"
#include "support/Session/MemoryGSettings.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

struct Collected {
    explicit Collected(FocusService& service) {
        handle = service.states().consume(&context, [this](FocusModeState s) { states << s.isActive; });
    }
    ~Collected() { handle.cancel(); }

    bool waitFor(qsizetype count) {
        return processEventsUntil([&] { return states.size() >= count; }, 10000);
    }

    QObject context;
    TaskHandle handle;
    QList<bool> states; // isActive of each published state
};

} // namespace

TEST(FocusServiceDesktopTest, FollowsTheNotificationServersInhibitedProperty) {
    MemoryGSettings gsettings;
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_TRUE(startNotificationServer(buses, true)) << qPrintable(buses.error());
    DBusMockControl server(buses.session(), sessionmock::notifications, sessionmock::notificationsPath);
    const auto setInhibited = [&](bool inhibited) {
        ASSERT_TRUE(
            server.updateProperties(sessionmock::notifications, {{QStringLiteral("Inhibited"), inhibited}}))
            << qPrintable(server.lastError());
    };

    FocusService service;
    Collected collected(service);
    service.start();
    ASSERT_TRUE(collected.waitFor(1));
    EXPECT_EQ(collected.states, QList<bool>{true}) << "the starting state is the one read";

    setInhibited(false);
    ASSERT_TRUE(collected.waitFor(2));
    setInhibited(false); // the server says the same again: no change
    setInhibited(true);
    ASSERT_TRUE(collected.waitFor(3));
    processEventsFor(200);
    EXPECT_EQ(collected.states, (QList<bool>{true, false, true}));
}

TEST(FocusServiceDesktopTest, FollowsGnomeShowBannersThroughGSettings) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    // Banners off means do-not-disturb is on, already before the start.
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", false);

    FocusService service;
    Collected collected(service);
    service.start();
    ASSERT_TRUE(collected.waitFor(1));
    EXPECT_EQ(collected.states, QList<bool>{true});

    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", true);
    ASSERT_TRUE(collected.waitFor(2));
    MemoryGSettings::setBoolean("org.gnome.desktop.notifications", "show-banners", true);
    processEventsFor(200);
    EXPECT_EQ(collected.states, (QList<bool>{true, false}));
}

TEST(FocusServiceDesktopTest, WithoutAnySourcePublishesInactiveOnceAndNothingAfter) {
    MemoryGSettings gsettings(false);
    ASSERT_TRUE(gsettings.ok()) << qPrintable(gsettings.error());
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());

    FocusService service;
    Collected collected(service);
    service.start();
    ASSERT_TRUE(collected.waitFor(1));
    processEventsFor(300);
    EXPECT_EQ(collected.states, QList<bool>{false});
}
