// The Focus service over the desktop's real switch: a notification server with
// Inhibited. (The layer's other sources are tested in DesktopDoNotDisturbTest.)
#include "VeskServices/Focus/FocusService.h"

#include "support/EventLoop.h"
#include "support/Session/MemoryGSettings.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

using FocusServiceDesktopTest = BusTest;

// Start reads the real state; one change publishes one state; a repeat publishes none.
TEST_F(FocusServiceDesktopTest, FollowsTheNotificationServersInhibitedProperty) {
    MemoryGSettings gsettings;
    ASSERT_TRUE(startNotificationServer(buses, true)) << qPrintable(buses.error());
    DBusMockControl server(buses.session(), sessionmock::notifications, sessionmock::notificationsPath);

    FocusService service;
    QList<bool> states;
    QObject context;
    service.states().consume(&context, [&](FocusModeState s) { states << s.isActive; });
    service.start();
    ASSERT_TRUE(processEventsUntil([&] { return states.size() == 1; }));
    EXPECT_EQ(states, QList<bool>{true}) << "the starting state is the one read";

    for (bool inhibited : {false, false, true})
        ASSERT_TRUE(
            server.updateProperties(sessionmock::notifications, {{QStringLiteral("Inhibited"), inhibited}}))
            << qPrintable(server.lastError());
    ASSERT_TRUE(processEventsUntil([&] { return states.size() == 3; }));
    processEventsFor(200);
    EXPECT_EQ(states, (QList<bool>{true, false, true}));
}
