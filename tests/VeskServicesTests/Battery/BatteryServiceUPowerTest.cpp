#include "VeskServices/Battery/BatteryService.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/MockCall.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString hadess = QStringLiteral("net.hadess.PowerProfiles");

} // namespace

// The service over the real UPower and power-profiles-daemon backend: the first
// answers set the starting point; later changes become events.
TEST(BatteryServiceUPowerTest, UnpluggingAndLowPowerModeBecomeEvents) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << buses.error().toStdString();
    ASSERT_TRUE(
        buses.startTemplate(QStringLiteral("upower"), upower, true, QStringLiteral("{\"OnBattery\": false}")))
        << buses.error().toStdString();
    ASSERT_TRUE(buses.startTemplate(QStringLiteral("power_profiles_daemon"), hadess, true,
                                    QStringLiteral("{\"ActiveProfile\": \"balanced\"}")))
        << buses.error().toStdString();
    // A battery at 50 %, charging.
    mockCall(buses.system(), upower, upowerPath, dbusMockInterface(), QStringLiteral("SetupDisplayDevice"),
             {2u, 1u, 50.0, 50.0, 100.0, 10.0, qlonglong(0), qlonglong(1800), true, QString(), 1u});

    BatteryService service;
    std::vector<BatteryEvent> events;
    TaskHandle consumer =
        service.events().consume(nullptr, [&](BatteryEvent event) { events.push_back(event); });
    service.start();
    ASSERT_TRUE(processEventsUntil([&] { return service.previous().has_value(); }));
    EXPECT_TRUE(service.previous()->isPluggedIn);
    EXPECT_EQ(service.currentState().timeRemaining, 1800.0);

    mockSetProperty(buses.system(), upower, upowerPath, upower, QStringLiteral("OnBattery"), true);
    ASSERT_TRUE(processEventsUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector{BatteryEvent::unplugged(0.5)});

    mockSetProperty(buses.system(), hadess, QStringLiteral("/net/hadess/PowerProfiles"), hadess,
                    QStringLiteral("ActiveProfile"), QStringLiteral("power-saver"));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events[1], BatteryEvent::lowPowerMode(true));
    EXPECT_TRUE(service.currentState().lowPowerMode);
    consumer.cancel();
}
