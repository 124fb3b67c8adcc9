#include "VeskServices/Bluetooth/BluetoothService.h"

#include "support/Bluetooth/BluezMock.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString mouseAddress = QStringLiteral("AA:BB:CC:DD:EE:01");
const QString budsAddress = QStringLiteral("AA:BB:CC:DD:EE:02");

// An adapter with a mouse that is connected and earbuds that are paired but not.
void addMouseConnectedAndBudsPaired(BluezMock& bluez) {
    bluez.addAdapter();
    bluez.addDevice(mouseAddress, QStringLiteral("Magic Mouse"));
    bluez.pair(mouseAddress);
    bluez.connectDevice(mouseAddress);
    bluez.addDevice(budsAddress, QStringLiteral("AirPods Pro"));
    bluez.pair(budsAddress);
}

} // namespace

// The service over the real BlueZ backend: a device connected before start gives no
// event; a new connection gives one with the level the device reported meanwhile,
// and a low-battery warning.
TEST(BluetoothServiceBluezTest, ConnectionsOfTheRealDaemonBecomeEvents) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << buses.error().toStdString();
    BluezMock bluez(buses);
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    addMouseConnectedAndBudsPaired(bluez);

    BluetoothService service;
    std::vector<BluetoothEvent> events;
    TaskHandle consumer =
        service.events().consume(nullptr, [&](BluetoothEvent event) { events.push_back(event); });
    ASSERT_TRUE(processEventsUntil(
        [&] { return service.authorization() == BluetoothService::Authorization::allowedAlways; }));
    ASSERT_EQ(service.start(), BluetoothStartResult::started);
    EXPECT_EQ(service.connectedDevices().size(), 1);

    bluez.connectDevice(budsAddress);
    bluez.addBattery(budsAddress, 15);
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    ASSERT_EQ(events.size(), 2u) << "nothing for the mouse connected before start";
    EXPECT_EQ(events[0].kind(), BluetoothEvent::Kind::connected);
    EXPECT_EQ(events[0].device().address, budsAddress);
    EXPECT_EQ(events[0].device().symbol, QStringLiteral("airpods.pro"));
    EXPECT_EQ(events[0].device().batteryPercent, 0.15);
    EXPECT_EQ(events[1], BluetoothEvent::lowBattery(events[0].device(), 0.15));

    bluez.disconnectDevice(mouseAddress);
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events[2].kind(), BluetoothEvent::Kind::disconnected);
    EXPECT_EQ(events[2].device().name, QStringLiteral("Magic Mouse"));
    consumer.cancel();
}

// BlueZ coming after the start was refused: it is adopted when it appears, devices it
// finds connected give no events, and a connection after that gives its event.
TEST(BluetoothServiceBluezTest, ADaemonThatAppearsAfterTheStartIsAdopted) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << buses.error().toStdString();
    BluetoothService service;
    std::vector<BluetoothEvent> events;
    TaskHandle consumer =
        service.events().consume(nullptr, [&](BluetoothEvent event) { events.push_back(event); });
    bool startedLate = false;
    QObject::connect(&service, &BluetoothService::startedLate, [&] { startedLate = true; });
    ASSERT_TRUE(processEventsUntil(
        [&] { return service.authorization() == BluetoothService::Authorization::restricted; }));
    ASSERT_EQ(service.start(), BluetoothStartResult::denied);

    // The daemon comes up with the mouse's connection in place: connected as it is
    // first seen, whenever the service adopts the daemon. (Connecting it after the daemon
    // appears is a connection the service may rightly report.)
    BluezMock bluez(buses);
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    bluez.addAdapter();
    bluez.addConnectedDevice(mouseAddress, QStringLiteral("Magic Mouse"), QStringLiteral("input-mouse"));
    bluez.addDevice(budsAddress, QStringLiteral("AirPods Pro"));
    bluez.pair(budsAddress);
    ASSERT_TRUE(processEventsUntil([&] { return startedLate && service.connectedDevices().size() == 1; }));
    EXPECT_TRUE(service.isStarted());

    bluez.connectDevice(budsAddress);
    ASSERT_TRUE(processEventsUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.size(), 1u) << "nothing for the mouse found connected";
    EXPECT_EQ(events[0].kind(), BluetoothEvent::Kind::connected);
    EXPECT_EQ(events[0].device().address, budsAddress);
    consumer.cancel();
}
