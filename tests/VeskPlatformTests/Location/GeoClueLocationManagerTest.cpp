// Location through a GeoClue of our own (dbusmock) on a private system bus.
#include "VeskPlatform/Location/GeoClueLocationManager.h"
#include "VeskKit/Foundation/UserDefaults.h"

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusVariant>
#include <QUuid>

#include <cmath>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString geoclue = QStringLiteral("org.freedesktop.GeoClue2");
const QString clientPath = QStringLiteral("/org/freedesktop/GeoClue2/Client/1");

class GeoClueLocationManagerTest : public BusTest {
protected:
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();

    QProcess* startGeoClue(bool deny, const QString& parameters = {}) {
        return buses.startTemplate(QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/geoclue.py"),
                                   geoclue, true, deny ? QStringLiteral(R"({"Deny": true})") : parameters);
    }
    // The next fix: its latitude, or NaN when it failed.
    double nextFix(GeoClueLocationManager& manager) {
        std::optional<double> latitude;
        const auto fixed =
            QObject::connect(&manager, &LocationManager::locationsUpdated,
                             [&](const QList<LocationFix>& f) { latitude = f.first().latitude; });
        const auto failed = QObject::connect(&manager, &LocationManager::failed,
                                             [&](const QString&) { latitude = std::nan(""); });
        manager.requestLocation();
        processEventsUntil([&] { return latitude.has_value(); }, 30000);
        QObject::disconnect(fixed);
        QObject::disconnect(failed);
        return latitude.value_or(std::nan(""));
    }
    std::unique_ptr<GeoClueLocationManager> make() {
        return std::make_unique<GeoClueLocationManager>(
            *defaults, QDBusConnection::connectToBus(buses.systemAddress(), QUuid::createUuid().toString()));
    }
};

} // namespace

TEST_F(GeoClueLocationManagerTest, OneFixStartsTheClientAtCityAccuracyAndStopsItAfterwards) {
    ASSERT_TRUE(startGeoClue(false)) << qPrintable(buses.error());
    auto manager = make();
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::notDetermined);
    QList<LocationFix> fixes;
    QObject::connect(manager.get(), &LocationManager::locationsUpdated,
                     [&](const QList<LocationFix>& f) { fixes = f; });
    manager->requestLocation();
    ASSERT_TRUE(processEventsUntil([&] { return !fixes.isEmpty(); }, 30000)) << "no fix came";
    EXPECT_EQ(fixes.first().latitude, 48.137);
    EXPECT_EQ(fixes.first().timestamp, Date::fromUnix(1700000000.5));
    DBusMockControl client(buses.system(), geoclue, clientPath);
    ASSERT_TRUE(
        processEventsUntil([&] { return !client.methodCalls(QStringLiteral("Stop")).isEmpty(); }, 30000))
        << "the client was never stopped";
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorizedWhenInUse);
    const auto property = [&](const char* name) {
        const QVariantList answer =
            client.call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                        {QStringLiteral("org.freedesktop.GeoClue2.Client"), QLatin1String(name)});
        return answer.isEmpty() ? QVariant() : answer.first().value<QDBusVariant>().variant();
    };
    EXPECT_EQ(property("DesktopId"), QStringLiteral("vesk-notch"));
    EXPECT_EQ(property("RequestedAccuracyLevel").toUInt(), 4u);

    // The next run starts allowed.
    EXPECT_EQ(make()->authorizationStatus(), LocationAuthorization::authorizedWhenInUse);
}

TEST_F(GeoClueLocationManagerTest, ARefusedStartIsDeniedAndNoServiceIsRestricted) {
    auto absent = make();
    ASSERT_TRUE(processEventsUntil(
        [&] { return absent->authorizationStatus() == LocationAuthorization::restricted; }, 30000))
        << "a bus without GeoClue never read as restricted";

    defaults->setBool(GeoClueLocationManager::rememberedKey, true);
    ASSERT_TRUE(startGeoClue(true)) << qPrintable(buses.error());
    auto manager = make();
    QString failure;
    QObject::connect(manager.get(), &LocationManager::failed, [&](const QString& why) { failure = why; });
    manager->requestLocation();
    ASSERT_TRUE(processEventsUntil([&] { return !failure.isEmpty(); }, 30000)) << "the refusal never came";
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::denied) << qPrintable(failure);
    EXPECT_FALSE(defaults->boolValue(GeoClueLocationManager::rememberedKey));
}

// GeoClue quits when idle and numbers its clients afresh when it comes back: a fix after
// that, or one whose kept client now belongs to another program, takes a new client,
// arrives, and leaves the grant as it was.
TEST_F(GeoClueLocationManagerTest, AFixAfterTheDaemonCameBackTakesANewClientAndKeepsTheGrant) {
    QProcess* first = startGeoClue(false);
    ASSERT_TRUE(first) << qPrintable(buses.error());
    auto manager = make();
    EXPECT_EQ(nextFix(*manager), 48.137);

    buses.stop(first);
    ASSERT_TRUE(buses.waitForNameGone(geoclue, true));
    QProcess* second = startGeoClue(false, QStringLiteral(R"({"TakenClients": 1, "Latitude": 52.52})"));
    ASSERT_TRUE(second) << qPrintable(buses.error());
    EXPECT_EQ(nextFix(*manager), 52.52);
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorizedWhenInUse);

    // The daemon did not change, but the client we keep is someone else's now.
    DBusMockControl daemon(buses.system(), geoclue, QStringLiteral("/org/freedesktop/GeoClue2/Manager"));
    ASSERT_FALSE(daemon.call(DBusMockControl::mockInterface, QStringLiteral("HandOverClient")).isEmpty())
        << qPrintable(daemon.lastError());
    EXPECT_EQ(nextFix(*manager), 52.52);
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorizedWhenInUse);
    EXPECT_TRUE(defaults->boolValue(GeoClueLocationManager::rememberedKey));

    // A daemon that is gone for good fails the fix and still keeps the grant.
    buses.stop(second);
    ASSERT_TRUE(buses.waitForNameGone(geoclue, true));
    EXPECT_TRUE(std::isnan(nextFix(*manager)));
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorizedWhenInUse);
    EXPECT_TRUE(defaults->boolValue(GeoClueLocationManager::rememberedKey));
}

// A refusal holds until the user asks again; then one fresh request is made, and once
// the desktop allows it, fixes come in the same run.
TEST_F(GeoClueLocationManagerTest, AfterARefusalTheUsersRequestAsksAgainAndAGrantGivesAFix) {
    ASSERT_TRUE(startGeoClue(true)) << qPrintable(buses.error());
    auto manager = make();
    manager->requestWhenInUseAuthorization();
    ASSERT_TRUE(processEventsUntil(
        [&] { return manager->authorizationStatus() == LocationAuthorization::denied; }, 30000));

    // The user turns location on in the desktop's settings, then asks again.
    DBusMockControl daemon(buses.system(), geoclue, QStringLiteral("/org/freedesktop/GeoClue2/Manager"));
    daemon.call(DBusMockControl::mockInterface, QStringLiteral("SetDeny"), {false});
    ASSERT_EQ(daemon.lastError(), QString());
    manager->requestWhenInUseAuthorization();
    ASSERT_TRUE(processEventsUntil(
        [&] { return manager->authorizationStatus() == LocationAuthorization::authorizedWhenInUse; }, 30000))
        << "the user's request was not made afresh";
    EXPECT_EQ(nextFix(*manager), 48.137);
    EXPECT_TRUE(defaults->boolValue(GeoClueLocationManager::rememberedKey));
}

// GeoClue absent at launch and appearing later is taken as if it had been there: a grant
// from an earlier run gives a fix; without one, the user has yet to be asked.
TEST_F(GeoClueLocationManagerTest, GeoClueAppearingAfterLaunchIsFollowed) {
    defaults->setBool(GeoClueLocationManager::rememberedKey, true);
    auto allowed = make();
    const std::shared_ptr<UserDefaults> fresh = UserDefaults::inMemory();
    auto neverAsked = std::make_unique<GeoClueLocationManager>(
        *fresh, QDBusConnection::connectToBus(buses.systemAddress(), QUuid::createUuid().toString()));
    ASSERT_TRUE(processEventsUntil(
        [&] {
            return allowed->authorizationStatus() == LocationAuthorization::restricted &&
                   neverAsked->authorizationStatus() == LocationAuthorization::restricted;
        },
        30000));

    ASSERT_TRUE(startGeoClue(false)) << qPrintable(buses.error());
    ASSERT_TRUE(processEventsUntil(
        [&] { return allowed->authorizationStatus() == LocationAuthorization::authorizedWhenInUse; }, 30000))
        << "GeoClue's arrival was not followed";
    EXPECT_EQ(nextFix(*allowed), 48.137);
    EXPECT_EQ(neverAsked->authorizationStatus(), LocationAuthorization::notDetermined);
}
