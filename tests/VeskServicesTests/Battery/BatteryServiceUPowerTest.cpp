#include "VeskServices/Battery/BatteryService.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using namespace vesk::test;

using BatteryServiceUPowerTest = BusTest;

// The service over the real UPower and power-profiles-daemon backend: the first
// answers set the starting point; later changes become events.
TEST_F(BatteryServiceUPowerTest, UnpluggingAndLowPowerModeBecomeEventsButTheDaemonComingAndGoingDoesNot) {
    const QString upower = QStringLiteral("org.freedesktop.UPower");
    const QString hadess = QStringLiteral("net.hadess.PowerProfiles");
    ASSERT_TRUE(
        buses.startTemplate(QStringLiteral("upower"), upower, true, QStringLiteral("{\"OnBattery\": false}")))
        << qPrintable(buses.error());
    const auto startProfiles = [&](const char* profile) {
        return buses.startTemplate(QStringLiteral("power_profiles_daemon"), hadess, true,
                                   QStringLiteral("{\"ActiveProfile\": \"%1\"}").arg(QLatin1String(profile)));
    };
    QProcess* profilesDaemon = startProfiles("balanced");
    ASSERT_TRUE(profilesDaemon) << qPrintable(buses.error());
    DBusMockControl daemon(buses.system(), upower, QStringLiteral("/org/freedesktop/UPower"));
    // A battery at 50 %, charging.
    daemon.call(DBusMockControl::mockInterface, QStringLiteral("SetupDisplayDevice"),
                {2u, 1u, 50.0, 50.0, 100.0, 10.0, qlonglong(0), qlonglong(1800), true, QString(), 1u});
    ASSERT_EQ(daemon.lastError(), QString());

    BatteryService service;
    std::vector<BatteryEvent> events;
    TaskHandle consumer =
        service.events().consume(nullptr, [&](BatteryEvent event) { events.push_back(event); });
    service.start();
    ASSERT_TRUE(processEventsUntil([&] { return service.previous().has_value(); }));
    EXPECT_TRUE(service.previous()->isPluggedIn);
    EXPECT_EQ(service.currentState().timeRemaining, 1800.0);

    ASSERT_TRUE(daemon.updateProperties(upower, {{QStringLiteral("OnBattery"), true}}));
    ASSERT_TRUE(processEventsUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector{BatteryEvent::unplugged(0.5)});

    DBusMockControl profiles(buses.system(), hadess, QStringLiteral("/net/hadess/PowerProfiles"));
    ASSERT_TRUE(profiles.updateProperties(
        hadess, {{QStringLiteral("ActiveProfile"), QStringLiteral("power-saver")}}));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events[1], BatteryEvent::lowPowerMode(true));
    EXPECT_TRUE(service.currentState().lowPowerMode);

    // The daemon leaving and coming back is a new starting point each time, no event;
    // its next real change is one.
    buses.stop(profilesDaemon);
    ASSERT_TRUE(processEventsUntil([&] { return !service.previous()->lowPowerMode; }));
    ASSERT_TRUE(startProfiles("power-saver")) << qPrintable(buses.error());
    ASSERT_TRUE(processEventsUntil([&] { return service.previous()->lowPowerMode; }));
    EXPECT_EQ(events.size(), 2u);
    DBusMockControl returned(buses.system(), hadess, QStringLiteral("/net/hadess/PowerProfiles"));
    ASSERT_TRUE(
        returned.updateProperties(hadess, {{QStringLiteral("ActiveProfile"), QStringLiteral("balanced")}}));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events[2], BatteryEvent::lowPowerMode(false));
    consumer.cancel();
}
