#include "VeskPlatform/Power/UPowerPowerSources.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/MockCall.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString displayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString hadess = QStringLiteral("net.hadess.PowerProfiles");
const QString profilesService = QStringLiteral("org.freedesktop.UPower.PowerProfiles");
const QString profilesPath = QStringLiteral("/org/freedesktop/UPower/PowerProfiles");

// UPower's device states and kinds.
constexpr uint charging = 1;
constexpr uint discharging = 2;
constexpr uint batteryKind = 2;

class UPowerPowerSourcesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(buses.ok()) << buses.error().toStdString(); }

    QProcess* startUPower(bool onBattery) {
        return buses.startTemplate(QStringLiteral("upower"), upower, true,
                                   onBattery ? QStringLiteral("{\"OnBattery\": true}")
                                             : QStringLiteral("{\"OnBattery\": false}"));
    }
    void setupBattery(double percentage, uint state, qlonglong toEmpty, qlonglong toFull) {
        mockCall(
            buses.system(), upower, upowerPath, dbusMockInterface(), QStringLiteral("SetupDisplayDevice"),
            {batteryKind, state, percentage, percentage, 100.0, 12.5, toEmpty, toFull, true, QString(), 1u});
    }
    void setDevice(const QString& name, const QVariant& value) {
        mockSetProperty(buses.system(), upower, displayDevicePath, deviceInterface, name, value);
    }
    void setOnBattery(bool onBattery) {
        mockSetProperty(buses.system(), upower, upowerPath, upower, QStringLiteral("OnBattery"), onBattery);
    }
    QProcess* startHadess(const QString& profile) {
        return buses.startTemplate(QStringLiteral("power_profiles_daemon"), hadess, true,
                                   QStringLiteral("{\"ActiveProfile\": \"%1\"}").arg(profile));
    }

    static bool waitReady(const UPowerPowerSources& sources) {
        return processEventsUntil([&] { return sources.isReady(); });
    }

    PrivateBuses buses;
};

} // namespace

TEST_F(UPowerPowerSourcesTest, WithoutUPowerTheMachineHasNoBattery) {
    UPowerPowerSources sources;
    QSignalSpy changed(&sources, &PowerSources::powerSourcesChanged);
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    EXPECT_EQ(sources.firstPowerSource(), std::nullopt);
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
    EXPECT_EQ(changed.count(), 1) << "ready is announced once";
}

TEST_F(UPowerPowerSourcesTest, ADisplayDeviceThatIsNotPresentIsNoBattery) {
    ASSERT_TRUE(startUPower(false)) << buses.error().toStdString();
    UPowerPowerSources sources;
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    EXPECT_EQ(sources.firstPowerSource(), std::nullopt);
}

TEST_F(UPowerPowerSourcesTest, ReadsTheDisplayDeviceAndOnBattery) {
    ASSERT_TRUE(startUPower(true)) << buses.error().toStdString();
    setupBattery(47.0, discharging, 5700, 0);

    UPowerPowerSources sources;
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    PowerSourceDescription expected;
    expected.currentCapacity = 47.0;
    expected.maxCapacity = 100.0;
    expected.isCharging = false;
    expected.isCharged = false;
    expected.powerSourceState = PowerSourceDescription::batteryPower();
    expected.timeToEmpty = 95;
    expected.timeToFullCharge = 0;
    EXPECT_EQ(sources.firstPowerSource(), expected);
}

TEST_F(UPowerPowerSourcesTest, FollowsChangesAndOnlyReportsThoseThatMatter) {
    ASSERT_TRUE(startUPower(true)) << buses.error().toStdString();
    setupBattery(30.0, discharging, 3600, 0);
    UPowerPowerSources sources;
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    QSignalSpy changed(&sources, &PowerSources::powerSourcesChanged);

    setOnBattery(false);
    ASSERT_TRUE(processEventsUntil([&] { return changed.count() > 0; }));
    EXPECT_EQ(sources.firstPowerSource()->powerSourceState, PowerSourceDescription::acPower());

    setDevice(QStringLiteral("TimeToFull"), QVariant::fromValue(qlonglong(1800)));
    setDevice(QStringLiteral("State"), QVariant::fromValue(charging));
    ASSERT_TRUE(processEventsUntil([&] { return sources.firstPowerSource()->isCharging == true; }));
    EXPECT_EQ(sources.firstPowerSource()->timeToFullCharge, 30);

    // The energy rate moves every few seconds on a real machine and changes nothing here.
    changed.clear();
    setDevice(QStringLiteral("EnergyRate"), 9.75);
    setDevice(QStringLiteral("Percentage"), 31.0); // a marker that arrives after it
    ASSERT_TRUE(processEventsUntil([&] { return sources.firstPowerSource()->currentCapacity == 31.0; }));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(UPowerPowerSourcesTest, LowPowerModeFromTheOlderDaemonName) {
    ASSERT_TRUE(startHadess(QStringLiteral("power-saver"))) << buses.error().toStdString();
    UPowerPowerSources sources;
    QSignalSpy lowPower(&sources, &PowerSources::lowPowerModeChanged);
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    EXPECT_TRUE(sources.isLowPowerModeEnabled());
    EXPECT_EQ(lowPower.count(), 0) << "the first reading is not a change";

    const QString path = QStringLiteral("/net/hadess/PowerProfiles");
    mockSetProperty(buses.system(), hadess, path, hadess, QStringLiteral("ActiveProfile"),
                    QStringLiteral("balanced"));
    ASSERT_TRUE(processEventsUntil([&] { return lowPower.count() == 1; }));
    EXPECT_FALSE(sources.isLowPowerModeEnabled());

    mockSetProperty(buses.system(), hadess, path, hadess, QStringLiteral("ActiveProfile"),
                    QStringLiteral("performance"));
    mockSetProperty(buses.system(), hadess, path, hadess, QStringLiteral("ActiveProfile"),
                    QStringLiteral("power-saver"));
    ASSERT_TRUE(processEventsUntil([&] { return sources.isLowPowerModeEnabled(); }));
    EXPECT_EQ(lowPower.count(), 2) << "balanced to performance is no Low Power Mode change";
}

TEST_F(UPowerPowerSourcesTest, LowPowerModeFromTheNewerDaemonName) {
    ASSERT_TRUE(buses.startMock(profilesService, profilesPath, profilesService))
        << buses.error().toStdString();
    mockCall(buses.system(), profilesService, profilesPath, dbusMockInterface(),
             QStringLiteral("AddProperty"),
             {profilesService, QStringLiteral("ActiveProfile"),
              QVariant::fromValue(QDBusVariant(QStringLiteral("power-saver")))});

    UPowerPowerSources sources;
    QSignalSpy lowPower(&sources, &PowerSources::lowPowerModeChanged);
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    EXPECT_TRUE(sources.isLowPowerModeEnabled());

    mockSetProperty(buses.system(), profilesService, profilesPath, profilesService,
                    QStringLiteral("ActiveProfile"), QStringLiteral("balanced"));
    ASSERT_TRUE(processEventsUntil([&] { return lowPower.count() == 1; }));
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
}

TEST_F(UPowerPowerSourcesTest, ADaemonThatStopsEndsLowPowerMode) {
    QProcess* daemon = startHadess(QStringLiteral("power-saver"));
    ASSERT_TRUE(daemon) << buses.error().toStdString();
    UPowerPowerSources sources;
    QSignalSpy lowPower(&sources, &PowerSources::lowPowerModeChanged);
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    ASSERT_TRUE(sources.isLowPowerModeEnabled());

    buses.stop(daemon);
    ASSERT_TRUE(processEventsUntil([&] { return lowPower.count() == 1; }));
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
}

TEST_F(UPowerPowerSourcesTest, ARestartedUPowerIsReadAgain) {
    QProcess* daemon = startUPower(true);
    ASSERT_TRUE(daemon) << buses.error().toStdString();
    setupBattery(80.0, discharging, 7200, 0);
    UPowerPowerSources sources;
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    ASSERT_EQ(sources.firstPowerSource()->currentCapacity, 80.0);

    buses.stop(daemon);
    ASSERT_TRUE(buses.waitForNameGone(upower, true));
    processEventsFor(100);
    ASSERT_TRUE(sources.firstPowerSource().has_value()) << "the last readings stand while UPower is away";
    EXPECT_EQ(sources.firstPowerSource()->currentCapacity, 80.0);

    ASSERT_TRUE(startUPower(false)) << buses.error().toStdString();
    setupBattery(81.0, charging, 0, 600);
    ASSERT_TRUE(processEventsUntil([&] {
        const auto source = sources.firstPowerSource();
        return source && source->currentCapacity == 81.0 && source->isCharging == true &&
               source->powerSourceState == PowerSourceDescription::acPower();
    })) << "OnBattery is only read, never signalled, by the new daemon";
    EXPECT_EQ(sources.firstPowerSource()->timeToFullCharge, 10);
}

TEST_F(UPowerPowerSourcesTest, AUPowerThatStartsLaterIsPickedUp) {
    UPowerPowerSources sources;
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    ASSERT_EQ(sources.firstPowerSource(), std::nullopt);

    ASSERT_TRUE(startUPower(true)) << buses.error().toStdString();
    setupBattery(55.0, discharging, 600, 0);
    ASSERT_TRUE(processEventsUntil([&] {
        const auto source = sources.firstPowerSource();
        return source && source->currentCapacity == 55.0 &&
               source->powerSourceState == PowerSourceDescription::batteryPower();
    }));
    EXPECT_EQ(sources.firstPowerSource()->timeToEmpty, 10);
}

TEST_F(UPowerPowerSourcesTest, APowerProfilesDaemonThatStartsLaterIsPickedUp) {
    UPowerPowerSources sources;
    QSignalSpy lowPower(&sources, &PowerSources::lowPowerModeChanged);
    ASSERT_TRUE(sources.start());
    ASSERT_TRUE(waitReady(sources));
    ASSERT_FALSE(sources.isLowPowerModeEnabled());

    ASSERT_TRUE(startHadess(QStringLiteral("power-saver"))) << buses.error().toStdString();
    ASSERT_TRUE(processEventsUntil([&] { return sources.isLowPowerModeEnabled(); }));
    EXPECT_EQ(lowPower.count(), 1);
}
