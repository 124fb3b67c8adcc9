// The weather model and the location provider on virtual time over fake services.
#include "VeskServices/Weather/WeatherProvider.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cmath>

using namespace vesk;
using namespace vesk::test;

namespace {

class FakeLocationManager final : public LocationManager {
public:
    LocationAuthorization status = LocationAuthorization::authorizedWhenInUse;
    int requests = 0;
    int permissionRequests = 0;
    // Answered at once with a fix measured now, when set.
    const ManualClock* answerWithFixAt = nullptr;

    LocationAuthorization authorizationStatus() const override { return status; }
    void requestWhenInUseAuthorization() override { ++permissionRequests; }
    void requestLocation() override {
        ++requests;
        if (answerWithFixAt) Q_EMIT locationsUpdated({fix(answerWithFixAt->now())});
    }
    static LocationFix fix(Date at, double latitude = 48.1) {
        return LocationFix{.latitude = latitude, .longitude = 11.6, .timestamp = at};
    }
};

class FakeGeocoder final : public ReverseGeocoder {
public:
    std::optional<QList<PlaceDescription>> places = QList<PlaceDescription>{};
    void reverseGeocode(const LocationFix&, QObject*,
                        std::function<void(std::optional<QList<PlaceDescription>>)> done) override {
        done(places);
    }
};

class FakeWeather final : public WeatherService {
public:
    int requests = 0;
    Result next = WeatherReport{.current = {.temperature = {68, TemperatureUnit::fahrenheit},
                                            .apparentTemperature = {19, TemperatureUnit::celsius},
                                            .condition = QStringLiteral("Clear"),
                                            .symbolName = QStringLiteral("sun.max"),
                                            .isDaylight = true},
                                .daily = {}};
    void weather(double, double, QObject*, std::function<void(Result)> done) override {
        ++requests;
        done(next);
    }
    void attribution(QObject*, std::function<void(std::optional<WeatherAttribution>)> done) override {
        done(WeatherAttribution{.legalPageURL = QUrl(QStringLiteral("https://open-meteo.com/")),
                                .combinedMarkDarkURL = std::nullopt});
    }
};

class WeatherProviderTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<FakeLocationManager> manager = std::make_shared<FakeLocationManager>();
    std::shared_ptr<FakeGeocoder> geocoder = std::make_shared<FakeGeocoder>();
    std::shared_ptr<FakeWeather> service = std::make_shared<FakeWeather>();
    LocationProvider locations{{.manager = manager, .geocoder = geocoder, .clock = &scheduler.clock()}};
    WeatherProvider weather{locations, {.service = service, .clock = &scheduler.clock()}};

    void SetUp() override { manager->answerWithFixAt = &scheduler.clock(); }
    void refresh(bool force) {
        weather.refresh(force);
        scheduler.runPending();
    }
    void failNext(const char* domain) {
        service->next = WeatherError{
            .domain = QLatin1String(domain), .code = 7, .localizedDescription = {}, .fullDescription = {}};
    }
};

} // namespace

TEST_F(WeatherProviderTest, FetchesAtMostOnceInTenMinutesCountedFromTheLastSuccess) {
    refresh(false);
    ASSERT_EQ(service->requests, 1);
    EXPECT_TRUE(weather.availability().isReady());
    EXPECT_EQ(weather.snapshot()->temperature, 20);
    EXPECT_EQ(weather.attributionURL(), QUrl(QStringLiteral("https://open-meteo.com/")));

    const FakeWeather::Result good = service->next;
    scheduler.clock().advance(500);
    failNext("network");
    refresh(true);
    EXPECT_EQ(weather.availability(),
              WeatherAvailability::failed(QStringLiteral("Check your internet connection.")));
    EXPECT_EQ(weather.snapshot()->temperature, 20) << "a failure keeps the reading";
    service->next = good;

    scheduler.clock().advance(99);
    refresh(false);
    EXPECT_EQ(service->requests, 2);
    scheduler.clock().advance(1);
    refresh(false);
    EXPECT_EQ(service->requests, 3);

    // The clock corrected backwards: the last fetch now lies in the future.
    scheduler.clock().advance(-3600);
    refresh(false);
    EXPECT_EQ(service->requests, 4);
}

TEST_F(WeatherProviderTest, AFailureRetriesOnceTwoMinutesAfterTheLastAndASuccessCancelsIt) {
    failNext("http");
    refresh(true);
    scheduler.advance(60);
    refresh(true);
    EXPECT_EQ(weather.availability(), WeatherAvailability::failed(QStringLiteral(
                                          "Weather isn't available right now. It'll retry on its own.")));
    scheduler.advance(119);
    EXPECT_EQ(service->requests, 2);
    scheduler.advance(1);
    EXPECT_EQ(service->requests, 3) << "one retry, 120 s after the second failure";
    scheduler.advance(120);
    EXPECT_EQ(service->requests, 4) << "the failed retry retries again";

    service->next = WeatherReport{};
    refresh(true);
    const int after = service->requests;
    scheduler.advance(600);
    EXPECT_EQ(service->requests, after);
}

TEST_F(WeatherProviderTest, AsksForPermissionOnlyWhenToldAndNamesThePlaceOfTheLastFix) {
    auto asking = std::make_shared<FakeLocationManager>();
    asking->status = LocationAuthorization::notDetermined;
    LocationProvider undecided{{.manager = asking, .geocoder = geocoder, .clock = &scheduler.clock()}};
    WeatherProvider provider{undecided, {.service = service, .clock = &scheduler.clock()}};
    provider.refresh(true);
    EXPECT_EQ(provider.availability(), WeatherAvailability::needsLocation());
    EXPECT_EQ(asking->permissionRequests, 0);
    EXPECT_EQ(asking->requests, 0);
    provider.requestLocationAccess();
    EXPECT_EQ(asking->permissionRequests, 1);

    asking->status = LocationAuthorization::denied;
    Q_EMIT asking->authorizationChanged();
    provider.refresh(true);
    EXPECT_EQ(provider.availability(), WeatherAvailability::locationDenied());

    geocoder->places = QList<PlaceDescription>{{std::nullopt, QStringLiteral("Bayern")}};
    refresh(true);
    EXPECT_EQ(weather.snapshot()->locationName, std::nullopt) << "the first reading comes before the name";
    EXPECT_EQ(locations.placeName(), QStringLiteral("Bayern"));
    geocoder->places = QList<PlaceDescription>{{QStringLiteral("München"), QStringLiteral("Bayern")}};
    scheduler.clock().advance(900);
    refresh(true);
    EXPECT_EQ(locations.placeName(), QStringLiteral("München"));
}

TEST_F(WeatherProviderTest, ReusesAFixUnderFifteenMinutesOldAndAnswersEveryWaiterInOrder) {
    const auto ask = [&] {
        int answered = 0;
        locations.current([&](std::optional<LocationFix> fix) { answered += fix ? 1 : 0; });
        return answered;
    };
    EXPECT_EQ(ask(), 1);
    scheduler.clock().advance(899);
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(manager->requests, 1);
    scheduler.clock().advance(1);
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(manager->requests, 2);
    scheduler.clock().advance(-100);
    EXPECT_EQ(ask(), 1);
    EXPECT_EQ(manager->requests, 3) << "a fix from the future is not reused";

    manager->answerWithFixAt = nullptr;
    scheduler.clock().advance(5000);
    QList<int> order;
    QList<std::optional<LocationFix>> fixes;
    for (int i = 0; i < 3; ++i)
        locations.current([&, i](std::optional<LocationFix> fix) {
            order << i;
            fixes << fix;
        });
    EXPECT_EQ(manager->requests, 6);
    Q_EMIT manager->locationsUpdated({});
    EXPECT_TRUE(order.isEmpty());
    const LocationFix fresh = FakeLocationManager::fix(scheduler.now(), 50);
    Q_EMIT manager->locationsUpdated({FakeLocationManager::fix(scheduler.now()), fresh});
    EXPECT_EQ(order, (QList<int>{0, 1, 2}));
    EXPECT_EQ(fixes, (QList<std::optional<LocationFix>>(3, fresh)));
}

TEST(WeatherSnapshotTest, FormatsWholeDegreesRoundingHalfToEven) {
    struct Row {
        double celsius;
        TemperatureUnit unit;
        const char* text;
    };
    for (const Row& row :
         {Row{21.5, TemperatureUnit::celsius, "22°C"}, Row{22.5, TemperatureUnit::celsius, "22°C"},
          Row{20, TemperatureUnit::fahrenheit, "68°F"}, Row{-0.4, TemperatureUnit::celsius, "0°C"}})
        EXPECT_EQ(WeatherSnapshot::formatted(row.celsius, row.unit), QString::fromUtf8(row.text))
            << row.celsius;
}

// A refusal holds until the user asks again; the answer to that shows at once, without
// waiting for the 20-minute timer.
TEST_F(WeatherProviderTest, TheUsersRequestAfterARefusalAsksOnceAndAGrantShowsTheWeatherAtOnce) {
    manager->status = LocationAuthorization::denied;
    Q_EMIT manager->authorizationChanged();
    weather.start();
    scheduler.runPending();
    EXPECT_EQ(weather.availability(), WeatherAvailability::locationDenied());
    EXPECT_EQ(manager->permissionRequests, 0) << "a refusal lasts until the user acts";

    weather.requestLocationAccess();
    scheduler.runPending();
    EXPECT_EQ(manager->permissionRequests, 1);
    EXPECT_EQ(service->requests, 0);
    manager->status = LocationAuthorization::authorizedWhenInUse;
    Q_EMIT manager->authorizationChanged();
    scheduler.runPending();
    EXPECT_EQ(service->requests, 1);
    EXPECT_TRUE(weather.availability().isReady());
}

// A fix measured before the one held (a late answer) leaves the location and its name.
TEST_F(WeatherProviderTest, TheLocationNeverMovesToAnOlderFix) {
    manager->answerWithFixAt = nullptr;
    const Date now = scheduler.now();
    geocoder->places = QList<PlaceDescription>{{QStringLiteral("München"), std::nullopt}};
    Q_EMIT manager->locationsUpdated({FakeLocationManager::fix(now, 48.1)});
    geocoder->places = QList<PlaceDescription>{{QStringLiteral("Augsburg"), std::nullopt}};
    std::optional<LocationFix> answered;
    scheduler.clock().advance(1000);
    locations.current([&](std::optional<LocationFix> fix) { answered = fix; });
    Q_EMIT manager->locationsUpdated({FakeLocationManager::fix(now - 60, 48.4)});
    EXPECT_EQ(locations.location()->latitude, 48.1);
    EXPECT_EQ(locations.placeName(), QStringLiteral("München"));
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->latitude, 48.1) << "the waiter gets the newest fix there is";

    Q_EMIT manager->locationsUpdated({FakeLocationManager::fix(now + 1, 48.4)});
    EXPECT_EQ(locations.location()->latitude, 48.4);
    EXPECT_EQ(locations.placeName(), QStringLiteral("Augsburg"));
}

TEST(WeatherSnapshotTest, ATemperatureBeyondAWholeNumbersRangeIsWrittenAsItIs) {
    const auto digits = [](QString text) {
        return text.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    };
    const QString huge = WeatherSnapshot::formatted(1e19, TemperatureUnit::celsius);
    EXPECT_EQ(digits(huge), QStringLiteral("10000000000000000000")) << qPrintable(huge);
    EXPECT_TRUE(huge.endsWith(QStringLiteral("°C")));
    const QString cold = WeatherSnapshot::formatted(-1e300, TemperatureUnit::fahrenheit);
    EXPECT_TRUE(cold.startsWith(u'-') && cold.endsWith(QStringLiteral("°F"))) << qPrintable(cold);
    EXPECT_TRUE(
        WeatherSnapshot::formatted(std::nan(""), TemperatureUnit::celsius).endsWith(QStringLiteral("°C")));
}
