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

const QString mouseAddress = QStringLiteral("AA:BB:CC:DD:EE:01");
const QString budsAddress = QStringLiteral("AA:BB:CC:DD:EE:02");

class BluezBluetoothDevicesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(buses.ok()) << buses.error().toStdString(); }

    std::optional<BluetoothDeviceInfo> find(const QString& address) const {
        for (const BluetoothDeviceInfo& info : devices.devices())
            if (info.address == address) return info;
        return std::nullopt;
    }
    bool waitReachable() {
        return processEventsUntil([&] { return devices.reachability() == Reachability::reachable; });
    }

    PrivateBuses buses;
    BluezMock bluez{buses};
    BluezBluetoothDevices devices;
};

} // namespace

TEST_F(BluezBluetoothDevicesTest, WithoutBluezTheDaemonIsUnreachable) {
    devices.watch();
    ASSERT_TRUE(processEventsUntil([&] { return devices.reachability() == Reachability::unreachable; }));
    std::optional<bool> answer;
    devices.probe([&](bool reachable) { answer = reachable; });
    ASSERT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
    EXPECT_TRUE(devices.devices().isEmpty());
}

TEST_F(BluezBluetoothDevicesTest, TheFirstAnswerListsDevicesWithoutReportingConnections) {
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    bluez.addAdapter();
    bluez.addDevice(mouseAddress, QStringLiteral("Magic Mouse"));
    bluez.pair(mouseAddress);
    bluez.connectDevice(mouseAddress);
    bluez.addBattery(mouseAddress, 64);
    bluez.addDevice(budsAddress, QStringLiteral("Buds"));

    QSignalSpy connected(&devices, &BluetoothDevices::deviceConnected);
    QSignalSpy changed(&devices, &BluetoothDevices::devicesChanged);
    devices.watch();
    ASSERT_TRUE(waitReachable());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(devices.devices().size(), 2);

    BluetoothDeviceInfo expected;
    expected.address = mouseAddress;
    expected.alias = QStringLiteral("Magic Mouse");
    expected.name = QStringLiteral("Magic Mouse");
    // (dbusmock announces the icon "phone" on pairing without storing it.)
    expected.paired = true;
    expected.connected = true;
    expected.batteryPercentage = 64;
    EXPECT_EQ(find(mouseAddress), expected);
    EXPECT_FALSE(find(budsAddress)->connected);
    processEventsFor(100);
    EXPECT_EQ(connected.count(), 0);
}

TEST_F(BluezBluetoothDevicesTest, ConnectionsAndLevelsAreFollowed) {
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    bluez.addAdapter();
    devices.watch();
    ASSERT_TRUE(waitReachable());
    QSignalSpy connected(&devices, &BluetoothDevices::deviceConnected);
    QSignalSpy disconnected(&devices, &BluetoothDevices::deviceDisconnected);
    QSignalSpy changed(&devices, &BluetoothDevices::devicesChanged);

    bluez.addDevice(budsAddress, QStringLiteral("AirPods Pro"));
    ASSERT_TRUE(processEventsUntil([&] { return find(budsAddress).has_value(); }));
    EXPECT_EQ(changed.count(), 1);

    bluez.connectDevice(budsAddress);
    ASSERT_TRUE(processEventsUntil([&] { return connected.count() == 1; }));
    const auto info = connected.at(0).at(0).value<BluetoothDeviceInfo>();
    EXPECT_EQ(info.address, budsAddress);
    EXPECT_EQ(info.alias, QStringLiteral("AirPods Pro"));
    EXPECT_TRUE(info.connected);

    // The level arrives after the connection, as a new interface, then changes.
    bluez.addBattery(budsAddress, 64);
    ASSERT_TRUE(processEventsUntil([&] { return find(budsAddress)->batteryPercentage == 64; }));
    bluez.setBattery(budsAddress, 19);
    ASSERT_TRUE(processEventsUntil([&] { return find(budsAddress)->batteryPercentage == 19; }));

    bluez.disconnectDevice(budsAddress);
    ASSERT_TRUE(processEventsUntil([&] { return disconnected.count() == 1; }));
    EXPECT_FALSE(disconnected.at(0).at(0).value<BluetoothDeviceInfo>().connected);
    EXPECT_EQ(connected.count(), 1);
}

TEST_F(BluezBluetoothDevicesTest, ADeviceOfALateAdapterFoundConnectedIsNoConnection) {
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    devices.watch();
    ASSERT_TRUE(waitReachable());
    QSignalSpy connected(&devices, &BluetoothDevices::deviceConnected);
    QSignalSpy disconnected(&devices, &BluetoothDevices::deviceDisconnected);

    bluez.addAdapter();
    bluez.addConnectedDevice(mouseAddress, QStringLiteral("MX Anywhere"), QStringLiteral("input-mouse"));
    ASSERT_TRUE(processEventsUntil([&] { return find(mouseAddress).has_value(); }));
    EXPECT_TRUE(find(mouseAddress)->connected);
    EXPECT_EQ(find(mouseAddress)->icon, QStringLiteral("input-mouse"));

    // Taking the adapter away takes its connections with it.
    bluez.removeAdapterOnly();
    ASSERT_TRUE(processEventsUntil([&] { return disconnected.count() == 1; }));
    EXPECT_TRUE(devices.devices().isEmpty());
    EXPECT_EQ(connected.count(), 0);
}

TEST_F(BluezBluetoothDevicesTest, RemovingAnAdapterWithItsDevicesDisconnectsThem) {
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    bluez.addAdapter();
    bluez.addDevice(mouseAddress, QStringLiteral("Magic Mouse"));
    bluez.addDevice(budsAddress, QStringLiteral("Buds"));
    bluez.connectDevice(mouseAddress);
    devices.watch();
    ASSERT_TRUE(waitReachable());
    QSignalSpy disconnected(&devices, &BluetoothDevices::deviceDisconnected);

    bluez.removeAdapterWithDevices();
    ASSERT_TRUE(processEventsUntil([&] { return devices.devices().isEmpty(); }));
    processEventsFor(100);
    ASSERT_EQ(disconnected.count(), 1) << "only the connected one disconnected";
    EXPECT_EQ(disconnected.at(0).at(0).value<BluetoothDeviceInfo>().address, mouseAddress);
}

TEST_F(BluezBluetoothDevicesTest, ARestartedDaemonIsPickedUp) {
    QProcess* daemon = bluez.start();
    ASSERT_TRUE(daemon) << buses.error().toStdString();
    bluez.addAdapter();
    bluez.addDevice(mouseAddress, QStringLiteral("Magic Mouse"));
    bluez.connectDevice(mouseAddress);
    devices.watch();
    ASSERT_TRUE(waitReachable());
    QSignalSpy connected(&devices, &BluetoothDevices::deviceConnected);
    QSignalSpy disconnected(&devices, &BluetoothDevices::deviceDisconnected);

    buses.stop(daemon);
    ASSERT_TRUE(processEventsUntil([&] { return devices.reachability() == Reachability::unreachable; }));
    EXPECT_TRUE(devices.devices().isEmpty());
    EXPECT_EQ(disconnected.count(), 0) << "a daemon going away reports nothing about the devices";

    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    ASSERT_TRUE(waitReachable());
    bluez.addAdapter();
    bluez.addDevice(budsAddress, QStringLiteral("Buds"));
    bluez.connectDevice(budsAddress);
    ASSERT_TRUE(processEventsUntil([&] { return connected.count() == 1; }));
    EXPECT_EQ(connected.at(0).at(0).value<BluetoothDeviceInfo>().address, budsAddress);
}

TEST_F(BluezBluetoothDevicesTest, AProbeAnswersOnceTheDaemonIsThere) {
    devices.watch();
    ASSERT_TRUE(processEventsUntil([&] { return devices.reachability() == Reachability::unreachable; }));
    ASSERT_TRUE(bluez.start()) << buses.error().toStdString();
    ASSERT_TRUE(waitReachable()) << "the daemon is noticed as it takes its name";

    std::optional<bool> answer;
    devices.probe([&](bool reachable) { answer = reachable; });
    ASSERT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
}
