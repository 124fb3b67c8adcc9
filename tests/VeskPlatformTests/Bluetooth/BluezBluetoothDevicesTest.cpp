#include "VeskPlatform/Bluetooth/BluezBluetoothDevices.h"

#include "support/Bluetooth/BluezMock.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <optional>

using namespace vesk;
using namespace vesk::test;
using Reachability = BluetoothDevices::Reachability;

namespace vesk {

void PrintTo(const BluetoothDeviceInfo& info, std::ostream* os) {
    *os << '{' << info.address.toStdString() << " alias=\"" << info.alias.toStdString() << "\" name=\""
        << info.name.toStdString() << "\" icon=\"" << info.icon.toStdString() << "\" paired=" << info.paired
        << " connected=" << info.connected
        << " battery=" << (info.batteryPercentage ? *info.batteryPercentage : -1) << '}';
}

} // namespace vesk

namespace {

const QString mouse = QStringLiteral("AA:BB:CC:DD:EE:01");
const QString buds = QStringLiteral("AA:BB:CC:DD:EE:02");

class BluezBluetoothDevicesTest : public BusTest {
protected:
    std::optional<BluetoothDeviceInfo> find(const QString& address) const {
        for (const BluetoothDeviceInfo& info : devices.devices())
            if (info.address == address) return info;
        return std::nullopt;
    }
    bool waitFor(Reachability reachability) {
        return processEventsUntil([&] { return devices.reachability() == reachability; });
    }
    std::optional<bool> probe() {
        std::optional<bool> answer;
        devices.probe([&](bool reachable) { answer = reachable; });
        processEventsUntil([&] { return answer.has_value(); });
        return answer;
    }
    static QString address(const QSignalSpy& spy, int i) {
        return spy.at(i).at(0).value<BluetoothDeviceInfo>().address;
    }

    BluezMock bluez{buses};
    BluezBluetoothDevices devices;
    QSignalSpy connected{&devices, &BluetoothDevices::deviceConnected};
    QSignalSpy disconnected{&devices, &BluetoothDevices::deviceDisconnected};
};

} // namespace

TEST_F(BluezBluetoothDevicesTest, ReachableOnlyWhileTheDaemonIsThere) {
    devices.watch();
    ASSERT_TRUE(waitFor(Reachability::unreachable));
    EXPECT_EQ(probe(), false);
    EXPECT_TRUE(devices.devices().isEmpty());

    ASSERT_TRUE(bluez.start()) << qPrintable(buses.error());
    ASSERT_TRUE(waitFor(Reachability::reachable)) << "the daemon is noticed as it takes its name";
    EXPECT_EQ(probe(), true);
}

TEST_F(BluezBluetoothDevicesTest, TheFirstAnswerListsDevicesWithoutReportingConnections) {
    ASSERT_TRUE(bluez.start()) << qPrintable(buses.error());
    bluez.addAdapter();
    bluez.addDevice(mouse, QStringLiteral("Magic Mouse"));
    bluez.pair(mouse);
    bluez.connectDevice(mouse);
    bluez.addBattery(mouse, 64);
    bluez.addDevice(buds, QStringLiteral("Buds"));

    QSignalSpy changed(&devices, &BluetoothDevices::devicesChanged);
    devices.watch();
    ASSERT_TRUE(waitFor(Reachability::reachable));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(devices.devices().size(), 2);
    BluetoothDeviceInfo expected;
    expected.address = mouse;
    expected.alias = expected.name = QStringLiteral("Magic Mouse");
    // (dbusmock announces the icon "phone" on pairing without storing it.)
    expected.paired = expected.connected = true;
    expected.batteryPercentage = 64;
    EXPECT_EQ(find(mouse), expected);
    EXPECT_FALSE(find(buds)->connected);
    processEventsFor(100);
    EXPECT_EQ(connected.count(), 0);
}

TEST_F(BluezBluetoothDevicesTest, ConnectionsAndLevelsAreFollowed) {
    ASSERT_TRUE(bluez.start()) << qPrintable(buses.error());
    bluez.addAdapter();
    devices.watch();
    ASSERT_TRUE(waitFor(Reachability::reachable));
    QSignalSpy changed(&devices, &BluetoothDevices::devicesChanged);

    bluez.addDevice(buds, QStringLiteral("AirPods Pro"));
    ASSERT_TRUE(processEventsUntil([&] { return find(buds).has_value(); }));
    EXPECT_EQ(changed.count(), 1);
    bluez.connectDevice(buds);
    ASSERT_TRUE(processEventsUntil([&] { return connected.count() == 1; }));
    const auto info = connected.at(0).at(0).value<BluetoothDeviceInfo>();
    EXPECT_EQ(info.address, buds);
    EXPECT_EQ(info.alias, QStringLiteral("AirPods Pro"));
    EXPECT_TRUE(info.connected);

    // The level arrives after the connection, as a new interface, then changes.
    bluez.addBattery(buds, 64);
    ASSERT_TRUE(processEventsUntil([&] { return find(buds)->batteryPercentage == 64; }));
    bluez.setBattery(buds, 19);
    ASSERT_TRUE(processEventsUntil([&] { return find(buds)->batteryPercentage == 19; }));

    bluez.disconnectDevice(buds);
    ASSERT_TRUE(processEventsUntil([&] { return disconnected.count() == 1; }));
    EXPECT_FALSE(disconnected.at(0).at(0).value<BluetoothDeviceInfo>().connected);
    EXPECT_EQ(connected.count(), 1);
}

// An adapter going away takes its connections with it, with or without its devices; a
// device of an adapter that comes up later, found connected, is no connection.
TEST_F(BluezBluetoothDevicesTest, AdaptersComingAndGoingReportOnlyDisconnections) {
    ASSERT_TRUE(bluez.start()) << qPrintable(buses.error());
    bluez.addAdapter();
    bluez.addDevice(mouse, QStringLiteral("Magic Mouse"));
    bluez.addDevice(buds, QStringLiteral("Buds"));
    bluez.connectDevice(mouse);
    devices.watch();
    ASSERT_TRUE(waitFor(Reachability::reachable));
    bluez.removeAdapterWithDevices();
    ASSERT_TRUE(processEventsUntil([&] { return devices.devices().isEmpty(); }));
    processEventsFor(100);
    ASSERT_EQ(disconnected.count(), 1) << "only the connected one disconnected";
    EXPECT_EQ(address(disconnected, 0), mouse);

    bluez.addAdapter();
    bluez.addConnectedDevice(buds, QStringLiteral("MX Anywhere"), QStringLiteral("input-mouse"));
    ASSERT_TRUE(processEventsUntil([&] { return find(buds).has_value(); }));
    EXPECT_TRUE(find(buds)->connected);
    EXPECT_EQ(find(buds)->icon, QStringLiteral("input-mouse"));
    bluez.removeAdapterOnly();
    ASSERT_TRUE(processEventsUntil([&] { return disconnected.count() == 2; }));
    EXPECT_EQ(address(disconnected, 1), buds);
    EXPECT_TRUE(devices.devices().isEmpty());
    EXPECT_EQ(connected.count(), 0);
}

TEST_F(BluezBluetoothDevicesTest, ARestartedDaemonIsPickedUp) {
    QProcess* daemon = bluez.start();
    ASSERT_TRUE(daemon) << qPrintable(buses.error());
    bluez.addAdapter();
    bluez.addDevice(mouse, QStringLiteral("Magic Mouse"));
    bluez.connectDevice(mouse);
    devices.watch();
    ASSERT_TRUE(waitFor(Reachability::reachable));

    buses.stop(daemon);
    ASSERT_TRUE(waitFor(Reachability::unreachable));
    EXPECT_TRUE(devices.devices().isEmpty());
    EXPECT_EQ(disconnected.count(), 0) << "a daemon going away reports nothing about the devices";

    ASSERT_TRUE(bluez.start()) << qPrintable(buses.error());
    ASSERT_TRUE(waitFor(Reachability::reachable));
    bluez.addAdapter();
    bluez.addDevice(buds, QStringLiteral("Buds"));
    bluez.connectDevice(buds);
    ASSERT_TRUE(processEventsUntil([&] { return connected.count() == 1; }));
    EXPECT_EQ(address(connected, 0), buds);
}
