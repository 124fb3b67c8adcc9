#include "VeskPlatform/Power/UPowerPowerSources.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString hadess = QStringLiteral("net.hadess.PowerProfiles");
const QString profiles = QStringLiteral("org.freedesktop.UPower.PowerProfiles");

// UPower's device states.
constexpr uint charging = 1;
constexpr uint discharging = 2;

class UPowerPowerSourcesTest : public BusTest {
protected:
    QProcess* startUPower(bool onBattery) {
        QProcess* daemon =
            buses.startTemplate(QStringLiteral("upower"), upower, true,
                                QStringLiteral("{\"OnBattery\": %1}").arg(onBattery ? "true" : "false"));
        EXPECT_TRUE(daemon) << qPrintable(buses.error());
        return daemon;
    }
    // A present battery (UPower kind 2); times in seconds.
    void setupBattery(double percentage, uint state, qlonglong toEmpty, qlonglong toFull) {
        DBusMockControl mock(buses.system(), upower, QStringLiteral("/org/freedesktop/UPower"));
        mock.call(DBusMockControl::mockInterface, QStringLiteral("SetupDisplayDevice"),
                  {2u, state, percentage, percentage, 100.0, 12.5, toEmpty, toFull, true, QString(), 1u});
        EXPECT_EQ(mock.lastError(), QString());
    }
    void setDevice(const QVariantMap& properties) {
        DBusMockControl device(buses.system(), upower,
                               QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice"));
        EXPECT_TRUE(device.updateProperties(QStringLiteral("org.freedesktop.UPower.Device"), properties))
            << qPrintable(device.lastError());
    }
    QProcess* startHadess(const QString& profile) {
        QProcess* daemon = buses.startTemplate(QStringLiteral("power_profiles_daemon"), hadess, true,
                                               QStringLiteral("{\"ActiveProfile\": \"%1\"}").arg(profile));
        EXPECT_TRUE(daemon) << qPrintable(buses.error());
        return daemon;
    }
    void setProfile(const QString& service, const QString& path, const QString& profile) {
        DBusMockControl daemon(buses.system(), service, path);
        EXPECT_TRUE(daemon.updateProperties(service, {{QStringLiteral("ActiveProfile"), profile}}))
            << qPrintable(daemon.lastError());
    }
    bool start() {
        return sources.start() && processEventsUntil([&] { return sources.isReady(); });
    }
    std::optional<PowerSourceDescription> source() const { return sources.firstPowerSource(); }

    UPowerPowerSources sources;
    QSignalSpy changed{&sources, &PowerSources::powerSourcesChanged};
    QSignalSpy lowPower{&sources, &PowerSources::lowPowerModeChanged};
};

} // namespace

TEST_F(UPowerPowerSourcesTest, WithoutUPowerThereIsNoBatteryUntilItStarts) {
    ASSERT_TRUE(start());
    EXPECT_EQ(source(), std::nullopt);
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
    EXPECT_EQ(changed.count(), 1) << "ready is announced once";

    ASSERT_TRUE(startUPower(true));
    setupBattery(55.0, discharging, 600, 0);
    ASSERT_TRUE(processEventsUntil([&] {
        return source() && source()->currentCapacity == 55.0 &&
               source()->powerSourceState == PowerSourceDescription::batteryPower();
    }));
    EXPECT_EQ(source()->timeToEmpty, 10);
}

TEST_F(UPowerPowerSourcesTest, ADisplayDeviceThatIsNotPresentIsNoBattery) {
    ASSERT_TRUE(startUPower(false));
    ASSERT_TRUE(start());
    EXPECT_EQ(source(), std::nullopt);
}

TEST_F(UPowerPowerSourcesTest, ReadsTheDisplayDeviceAndReportsOnlyChangesThatMatter) {
    ASSERT_TRUE(startUPower(true));
    setupBattery(47.0, discharging, 5700, 0);
    ASSERT_TRUE(start());
    PowerSourceDescription expected;
    expected.currentCapacity = 47.0;
    expected.maxCapacity = 100.0;
    expected.isCharging = false;
    expected.isCharged = false;
    expected.powerSourceState = PowerSourceDescription::batteryPower();
    expected.timeToEmpty = 95;
    expected.timeToFullCharge = 0;
    EXPECT_EQ(source(), expected);

    changed.clear();
    DBusMockControl daemon(buses.system(), upower, QStringLiteral("/org/freedesktop/UPower"));
    ASSERT_TRUE(daemon.updateProperties(upower, {{QStringLiteral("OnBattery"), false}}));
    ASSERT_TRUE(processEventsUntil([&] { return changed.count() > 0; }));
    EXPECT_EQ(source()->powerSourceState, PowerSourceDescription::acPower());
    setDevice({{QStringLiteral("TimeToFull"), qlonglong(1800)}, {QStringLiteral("State"), charging}});
    ASSERT_TRUE(processEventsUntil([&] { return source()->isCharging == true; }));
    EXPECT_EQ(source()->timeToFullCharge, 30);

    // The energy rate moves every few seconds on a real machine and changes nothing here.
    changed.clear();
    setDevice({{QStringLiteral("EnergyRate"), 9.75}});
    setDevice({{QStringLiteral("Percentage"), 31.0}}); // a marker that arrives after it
    ASSERT_TRUE(processEventsUntil([&] { return source()->currentCapacity == 31.0; }));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(UPowerPowerSourcesTest, ARestartedUPowerIsReadAgain) {
    QProcess* daemon = startUPower(true);
    setupBattery(80.0, discharging, 7200, 0);
    ASSERT_TRUE(start());
    ASSERT_EQ(source()->currentCapacity, 80.0);

    buses.stop(daemon);
    ASSERT_TRUE(buses.waitForNameGone(upower, true));
    processEventsFor(100);
    ASSERT_TRUE(source().has_value()) << "the last readings stand while UPower is away";
    EXPECT_EQ(source()->currentCapacity, 80.0);

    ASSERT_TRUE(startUPower(false));
    setupBattery(81.0, charging, 0, 600);
    ASSERT_TRUE(processEventsUntil([&] {
        return source() && source()->currentCapacity == 81.0 && source()->isCharging == true &&
               source()->powerSourceState == PowerSourceDescription::acPower();
    })) << "OnBattery is only read, never signalled, by the new daemon";
    EXPECT_EQ(source()->timeToFullCharge, 10);
}

// power-profiles-daemon under its Debian 12 name, starting after us and stopping: its
// coming and going are new readings, its profile changes are changes.
TEST_F(UPowerPowerSourcesTest, LowPowerModeFollowsTheOlderDaemonFromStartToStop) {
    ASSERT_TRUE(start());
    ASSERT_FALSE(sources.isLowPowerModeEnabled());
    qsizetype readings = changed.count();
    QProcess* daemon = startHadess(QStringLiteral("power-saver"));
    ASSERT_TRUE(processEventsUntil([&] { return sources.isLowPowerModeEnabled(); }));
    EXPECT_EQ(lowPower.count(), 0);
    EXPECT_EQ(changed.count(), ++readings);

    const QString path = QStringLiteral("/net/hadess/PowerProfiles");
    setProfile(hadess, path, QStringLiteral("balanced"));
    ASSERT_TRUE(processEventsUntil([&] { return lowPower.count() == 1; }));
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
    setProfile(hadess, path, QStringLiteral("performance"));
    setProfile(hadess, path, QStringLiteral("power-saver"));
    ASSERT_TRUE(processEventsUntil([&] { return sources.isLowPowerModeEnabled(); }));
    EXPECT_EQ(lowPower.count(), 2) << "balanced to performance is no Low Power Mode change";

    buses.stop(daemon);
    ASSERT_TRUE(processEventsUntil([&] { return !sources.isLowPowerModeEnabled(); }));
    EXPECT_EQ(lowPower.count(), 2);
    EXPECT_EQ(changed.count(), ++readings);
}

TEST_F(UPowerPowerSourcesTest, LowPowerModeFromTheNewerDaemonName) {
    const QString path = QStringLiteral("/org/freedesktop/UPower/PowerProfiles");
    ASSERT_TRUE(buses.startMock(profiles, path, profiles)) << qPrintable(buses.error());
    DBusMockControl daemon(buses.system(), profiles, path);
    ASSERT_TRUE(daemon.addProperty(profiles, QStringLiteral("ActiveProfile"), QStringLiteral("power-saver")));

    ASSERT_TRUE(start());
    EXPECT_TRUE(sources.isLowPowerModeEnabled());
    EXPECT_EQ(lowPower.count(), 0) << "the first reading is not a change";
    setProfile(profiles, path, QStringLiteral("balanced"));
    ASSERT_TRUE(processEventsUntil([&] { return lowPower.count() == 1; }));
    EXPECT_FALSE(sources.isLowPowerModeEnabled());
}
