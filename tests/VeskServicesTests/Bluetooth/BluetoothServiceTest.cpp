#include "VeskServices/Bluetooth/BluetoothService.h"

#include "support/Bluetooth/FakeBluetoothDevices.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using vesk::test::FakeBluetoothDevices;
using Reachability = BluetoothDevices::Reachability;

namespace vesk {

void PrintTo(const BluetoothEvent& event, std::ostream* os) {
    static const char* kinds[] = {"connected", "disconnected", "lowBattery"};
    const BluetoothDevice& d = event.device();
    *os << kinds[static_cast<int>(event.kind())] << '(' << d.address.toStdString() << " \""
        << d.name.toStdString() << "\" " << d.symbol.toStdString()
        << " battery=" << (d.batteryPercent ? *d.batteryPercent : -1);
    if (event.kind() == BluetoothEvent::Kind::lowBattery) *os << " level=" << event.level();
    *os << ')';
}

} // namespace vesk

namespace {

const QString mouseAddress = QStringLiteral("AA:BB:CC:DD:EE:01");
const QString budsAddress = QStringLiteral("AA:BB:CC:DD:EE:02");

class BluetoothServiceTest : public ::testing::Test {
protected:
    BluetoothServiceTest() : main(scheduler) {
        auto fake = std::make_unique<FakeBluetoothDevices>();
        devices = fake.get();
        devices->setReachability(Reachability::reachable);
        service = std::make_unique<BluetoothService>(std::move(fake));
        consumer =
            service->events().consume(nullptr, [this](BluetoothEvent event) { events.push_back(event); });
    }
    ~BluetoothServiceTest() override { consumer.cancel(); }

    std::vector<BluetoothEvent> advance(double seconds) {
        scheduler.advance(seconds);
        return std::exchange(events, {});
    }

    // The device as the service describes it without levels.
    static BluetoothDevice described(const QString& address, const QString& name, const QString& symbol,
                                     std::optional<double> battery = std::nullopt) {
        BluetoothDevice device;
        device.address = address;
        device.name = name;
        device.symbol = symbol;
        device.batteryPercent = battery;
        return device;
    }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler main;
    FakeBluetoothDevices* devices = nullptr;
    std::unique_ptr<BluetoothService> service;
    std::vector<BluetoothEvent> events;
    TaskHandle consumer;
};

} // namespace

TEST(BluetoothServiceStaticTest, AddressesAreNormalisedForMatching) {
    struct Case {
        const char* address;
        const char* normalised;
    };
    const Case cases[] = {
        {"a4-83-e7-1b-2c-3d", "A483E71B2C3D"},
        {"A4:83:E7:1B:2C:3D", "A483E71B2C3D"},
        {"a4:83:e7:1b:2c:3d", "A483E71B2C3D"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BluetoothService::normalisedAddress(QString::fromLatin1(c.address)),
                  QLatin1String(c.normalised))
            << c.address;

    // A table entry written with dashes in upper case matches a device whose address
    // uses colons in lower case.
    const BluetoothService::BatteryTable table = {
        {BluetoothService::normalisedAddress(QStringLiteral("A4-83-E7-1B-2C-3D")),
         {{QStringLiteral("BatteryPercentLeft"), 15},
          {QStringLiteral("BatteryPercentRight"), 60},
          {QStringLiteral("BatteryPercentCase"), 5}}},
    };
    BluetoothDevice device;
    device.address = QStringLiteral("a4:83:e7:1b:2c:3d");
    BluetoothService::applyBattery(device, table);
    EXPECT_EQ(device.batteryPercent, std::nullopt);
    EXPECT_EQ(device.batteryLeft, 0.15);
    EXPECT_EQ(device.batteryRight, 0.60);
    EXPECT_EQ(device.batteryCase, 0.05);
    EXPECT_EQ(device.lowestBattery(), 0.15) << "the case does not count";

    BluetoothDevice caseOnly;
    caseOnly.batteryCase = 0.05;
    EXPECT_EQ(caseOnly.lowestBattery(), std::nullopt);

    BluetoothDevice unknown;
    unknown.address = QStringLiteral("00:00:00:00:00:01");
    unknown.batteryPercent = 0.5;
    BluetoothService::applyBattery(unknown, table);
    EXPECT_EQ(unknown.batteryPercent, 0.5) << "a device missing from the table is left alone";
}

TEST(BluetoothServiceStaticTest, SymbolsFollowTheNameThenTheIconClass) {
    struct Case {
        const char* name;
        const char* icon;
        const char* symbol;
    };
    const Case cases[] = {
        {"AirPods Max", "", "airpods.max"},
        {"Bob's AIRPODS PRO", "", "airpods.pro"},
        {"AirPods", "", "airpods.gen3"},
        {"My airpod", "", "airpods.gen3"},
        {"Beats Studio Buds", "", "beats.headphones"},
        {"Magic Mouse", "", "magicmouse.fill"},
        {"Magic Keyboard", "", "keyboard.fill"},
        {"Magic Trackpad", "", "trackpad.fill"},
        {"WH-1000XM4", "", "headphones"},
        {"MX Anywhere 3", "", "headphones"},
        // Names that say nothing fall back to the class the device announces.
        {"MX Anywhere 3", "input-mouse", "magicmouse.fill"},
        {"MX Keys", "input-keyboard", "keyboard.fill"},
        {"WH-1000XM4", "audio-headset", "headphones"},
        {"Keyboard K380", "input-mouse", "keyboard.fill"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(BluetoothService::symbol(name, QString::fromLatin1(c.icon)), QLatin1String(c.symbol))
            << c.name << " / " << c.icon;
    }
    EXPECT_EQ(BluetoothService::symbol(QStringLiteral("MX Anywhere 3")), QStringLiteral("headphones"));
}

TEST(BluetoothServiceStaticTest, DescribingTakesReportedLevelsAndFallsBackToAliasNameAddressThenDevice) {
    const QList<BluetoothDeviceInfo> all = {
        FakeBluetoothDevices::device(mouseAddress, QStringLiteral("Mouse"), true, 55),
        FakeBluetoothDevices::device(budsAddress, QStringLiteral("Buds"), true, 0),
        FakeBluetoothDevices::device(QStringLiteral("AA:BB:CC:DD:EE:03"), QStringLiteral("Pad"), true),
    };
    const BluetoothService::BatteryTable table = BluetoothService::readBatteryTable(all);
    ASSERT_EQ(table.size(), 1) << "a level of 0 counts as none";
    BluetoothDevice mouse = BluetoothService::describe(all[0], table);
    EXPECT_EQ(mouse.batteryPercent, 0.55);
    EXPECT_EQ(mouse.batteryLeft, std::nullopt);
    EXPECT_EQ(mouse.batteryRight, std::nullopt);
    EXPECT_EQ(mouse.batteryCase, std::nullopt);
    EXPECT_EQ(BluetoothService::describe(all[1], table).batteryPercent, std::nullopt);

    BluetoothDeviceInfo info = FakeBluetoothDevices::device(mouseAddress, QStringLiteral("Desk mouse"));
    info.name = QStringLiteral("MX Master");
    EXPECT_EQ(BluetoothService::describe(info, {}).name, QStringLiteral("Desk mouse"));
    info.alias.clear();
    EXPECT_EQ(BluetoothService::describe(info, {}).name, QStringLiteral("MX Master"));
    info.name.clear();
    EXPECT_EQ(BluetoothService::describe(info, {}).name, mouseAddress);
    info.address.clear();
    const BluetoothDevice anonymous = BluetoothService::describe(info, {});
    EXPECT_EQ(anonymous.name, QStringLiteral("Device"));
    EXPECT_FALSE(anonymous.address.isEmpty()) << "a device without an address still gets an identity";
    EXPECT_NE(anonymous.address, BluetoothService::describe(info, {}).address);
}

TEST_F(BluetoothServiceTest, StartAnswersFromWhetherTheDaemonIsReachable) {
    struct Case {
        Reachability reachability;
        BluetoothService::Authorization authorization;
        BluetoothStartResult result;
    };
    const Case cases[] = {
        {Reachability::unknown, BluetoothService::Authorization::notDetermined,
         BluetoothStartResult::needsPermission},
        {Reachability::unreachable, BluetoothService::Authorization::restricted,
         BluetoothStartResult::denied},
        {Reachability::reachable, BluetoothService::Authorization::allowedAlways,
         BluetoothStartResult::started},
    };
    EXPECT_EQ(devices->watchCount, 1) << "the daemon is asked about at construction";
    for (const Case& c : cases) {
        devices->setReachability(c.reachability);
        EXPECT_EQ(service->authorization(), c.authorization);
        EXPECT_EQ(service->start(), c.result);
        EXPECT_EQ(service->isStarted(), c.result == BluetoothStartResult::started);
    }
    EXPECT_EQ(toRaw(BluetoothStartResult::needsPermission), QStringLiteral("needsPermission"));
}

TEST_F(BluetoothServiceTest, AConnectionIsReportedAfterTheDelayWithItsLevelThen) {
    devices->setDevices({FakeBluetoothDevices::device(mouseAddress, QStringLiteral("Magic Mouse"))});
    devices->connectDevice(mouseAddress);
    devices->disconnectDevice(mouseAddress);
    EXPECT_TRUE(advance(5).empty()) << "nothing is reported before start";
    ASSERT_EQ(service->start(), BluetoothStartResult::started);

    devices->connectDevice(mouseAddress);
    EXPECT_TRUE(advance(1.0).empty());
    devices->setBattery(mouseAddress, 64); // the device reports its level a moment later
    const auto after = advance(0.5);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0], BluetoothEvent::connected(described(mouseAddress, QStringLiteral("Magic Mouse"),
                                                            QStringLiteral("magicmouse.fill"), 0.64)));

    devices->disconnectDevice(mouseAddress);
    EXPECT_EQ(advance(0),
              std::vector{BluetoothEvent::disconnected(described(mouseAddress, QStringLiteral("Magic Mouse"),
                                                                 QStringLiteral("magicmouse.fill")))});
}

TEST_F(BluetoothServiceTest, ADeviceThatDisconnectsBeforeTheDelayGivesNoConnectedEvent) {
    devices->setDevices({FakeBluetoothDevices::device(budsAddress, QStringLiteral("Buds"))});
    service->start();

    devices->connectDevice(budsAddress);
    scheduler.advance(1.0);
    devices->disconnectDevice(budsAddress);
    const auto events = advance(2.0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind(), BluetoothEvent::Kind::disconnected);

    // Connect, disconnect and connect again within the delay: one connection, the last.
    devices->connectDevice(budsAddress);
    scheduler.advance(0.5);
    devices->disconnectDevice(budsAddress);
    scheduler.advance(0.5);
    devices->connectDevice(budsAddress);
    auto kinds = [](const std::vector<BluetoothEvent>& list) {
        std::vector<BluetoothEvent::Kind> result;
        for (const auto& e : list)
            result.push_back(e.kind());
        return result;
    };
    EXPECT_EQ(kinds(advance(1.0)), std::vector{BluetoothEvent::Kind::disconnected});
    EXPECT_EQ(kinds(advance(0.5)), std::vector{BluetoothEvent::Kind::connected});
    EXPECT_TRUE(advance(5).empty());
}

TEST_F(BluetoothServiceTest, LowBatteryIsWarnedOncePerConnectionBelowTheThreshold) {
    devices->setDevices(
        {FakeBluetoothDevices::device(budsAddress, QStringLiteral("AirPods Pro"), false, 15)});
    service->start();
    const BluetoothDevice buds =
        described(budsAddress, QStringLiteral("AirPods Pro"), QStringLiteral("airpods.pro"), 0.15);

    devices->connectDevice(budsAddress);
    EXPECT_EQ(advance(1.5),
              (std::vector{BluetoothEvent::connected(buds), BluetoothEvent::lowBattery(buds, 0.15)}));
    // A second connection report during the same connection does not warn again.
    devices->connectDevice(budsAddress);
    EXPECT_EQ(advance(1.5), std::vector{BluetoothEvent::connected(buds)});

    devices->disconnectDevice(budsAddress);
    devices->connectDevice(budsAddress);
    const auto again = advance(1.5);
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[2], BluetoothEvent::lowBattery(buds, 0.15)) << "a new connection warns again";

    service->setLowBatteryThreshold(0.1);
    devices->disconnectDevice(budsAddress);
    devices->connectDevice(budsAddress);
    const auto quiet = advance(1.5);
    ASSERT_EQ(quiet.size(), 2u) << "15 % is above a threshold of 10 %";
    EXPECT_EQ(quiet[1], BluetoothEvent::connected(buds));
}

// Devices connected at start, or found connected later (an adapter appears, the daemon
// restarts), are watched silently until they disconnect; unpaired ones not at all.
TEST_F(BluetoothServiceTest, DevicesAlreadyConnectedGiveNoEventsUntilTheyDisconnect) {
    devices->setDevices({
        FakeBluetoothDevices::device(mouseAddress, QStringLiteral("Magic Mouse"), true, 80),
        FakeBluetoothDevices::device(budsAddress, QStringLiteral("Buds"), true, 10, /*paired*/ false),
    });
    service->start();
    EXPECT_TRUE(advance(5).empty());
    EXPECT_EQ(service->connectedDevices(), QList{described(mouseAddress, QStringLiteral("Magic Mouse"),
                                                           QStringLiteral("magicmouse.fill"), 0.8)});

    const QString pad = QStringLiteral("AA:BB:CC:DD:EE:03");
    devices->setDevices({devices->devices()[0], devices->devices()[1],
                         FakeBluetoothDevices::device(pad, QStringLiteral("Magic Trackpad"), true, 10)});
    EXPECT_TRUE(advance(5).empty());
    for (const QString& address : {mouseAddress, budsAddress, pad})
        devices->disconnectDevice(address);
    const auto events = advance(0);
    ASSERT_EQ(events.size(), 2u) << "an unpaired device connected before start was never watched";
    EXPECT_EQ(events[0].device().address, mouseAddress);
    EXPECT_EQ(events[1].device().address, pad);
    EXPECT_EQ(events[1].kind(), BluetoothEvent::Kind::disconnected);
}

TEST_F(BluetoothServiceTest, ADaemonThatGoesAwayDropsPendingAndWatchedDevicesSilently) {
    devices->setDevices({FakeBluetoothDevices::device(budsAddress, QStringLiteral("Buds"), false, 15)});
    service->start();
    devices->connectDevice(budsAddress);
    scheduler.advance(0.5);
    devices->setDevices({}); // the daemon went away
    EXPECT_TRUE(advance(5).empty());

    // Back, with the device still connected: no event; a later reconnection warns again.
    devices->setDevices({FakeBluetoothDevices::device(budsAddress, QStringLiteral("Buds"), true, 15)});
    EXPECT_TRUE(advance(5).empty());
    devices->disconnectDevice(budsAddress);
    devices->connectDevice(budsAddress);
    const auto events = advance(1.5);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].kind(), BluetoothEvent::Kind::lowBattery);
}

TEST_F(BluetoothServiceTest, StopDropsConnectionsStillWaiting) {
    devices->setDevices({FakeBluetoothDevices::device(mouseAddress, QStringLiteral("Magic Mouse"))});
    service->start();
    devices->connectDevice(mouseAddress);
    scheduler.advance(1.0);
    service->stop();
    EXPECT_TRUE(advance(5).empty());
    devices->disconnectDevice(mouseAddress);
    devices->connectDevice(mouseAddress);
    EXPECT_TRUE(advance(5).empty());
}

TEST_F(BluetoothServiceTest, ThePermissionRequestAsksTheDaemonAfresh) {
    devices->setReachability(Reachability::unreachable);
    ASSERT_EQ(service->start(), BluetoothStartResult::denied);

    std::vector<bool> answers;
    service->requestPermission([&](bool granted) { answers.push_back(granted); });
    EXPECT_TRUE(answers.empty()) << "no answer before the daemon's";
    devices->answerProbes(false);
    EXPECT_EQ(answers, std::vector{false});

    service->requestPermission([&](bool granted) { answers.push_back(granted); });
    devices->answerProbes(true);
    EXPECT_EQ(answers, (std::vector{false, true}));
    EXPECT_EQ(service->start(), BluetoothStartResult::started);
}
