#include "WeatherSamples.h"

#include "VeskServices/Weather/WeatherProvider.h"

namespace vesk::snapshot {

namespace {

class CannedLocation final : public LocationManager {
public:
    explicit CannedLocation(LocationAuthorization status) : m_status(status) {}
    LocationAuthorization authorizationStatus() const override { return m_status; }
    void requestWhenInUseAuthorization() override {}
    void requestLocation() override { Q_EMIT locationsUpdated({LocationFix{52.52, 13.40, Date::now()}}); }

private:
    LocationAuthorization m_status;
};

class CannedPlaces final : public ReverseGeocoder {
public:
    void reverseGeocode(const LocationFix&, QObject*,
                        std::function<void(std::optional<QList<PlaceDescription>>)> done) override {
        done(QList<PlaceDescription>{{QStringLiteral("Berlin"), std::nullopt}});
    }
};

class CannedWeather final : public WeatherService {
public:
    explicit CannedWeather(bool fails) : m_fails(fails) {}
    void weather(double, double, QObject*, std::function<void(Result)> done) override {
        if (m_fails)
            return done(WeatherError{.domain = QStringLiteral("network"),
                                     .code = 1,
                                     .localizedDescription = QStringLiteral("Connection refused"),
                                     .fullDescription = QStringLiteral("Connection refused")});
        using M = TemperatureMeasurement;
        done(WeatherReport{
            .current = {.temperature = M{21.4, TemperatureUnit::celsius},
                        .apparentTemperature = M{20, TemperatureUnit::celsius},
                        .condition = QStringLiteral("Partly Cloudy"),
                        .symbolName = QStringLiteral("cloud.sun"),
                        .isDaylight = true},
            .daily = {DayWeather{M{24, TemperatureUnit::celsius}, M{13, TemperatureUnit::celsius}}}});
    }
    void attribution(QObject*, std::function<void(std::optional<WeatherAttribution>)>) override {}

private:
    bool m_fails;
};

std::unique_ptr<LocationProvider> locations;
std::unique_ptr<WeatherProvider> provider;

} // namespace

WeatherProvider& sampleWeather(WeatherSample sample) {
    provider.reset();
    const LocationAuthorization status =
        sample == WeatherSample::needsLocation ? LocationAuthorization::notDetermined
        : sample == WeatherSample::denied      ? LocationAuthorization::denied
                                               : LocationAuthorization::authorizedWhenInUse;
    locations = std::make_unique<LocationProvider>(
        LocationProvider::Environment{.manager = std::make_shared<CannedLocation>(status),
                                      .geocoder = std::make_shared<CannedPlaces>(),
                                      .clock = nullptr});
    provider = std::make_unique<WeatherProvider>(
        *locations,
        WeatherProvider::Environment{
            .service = std::make_shared<CannedWeather>(sample == WeatherSample::failed), .clock = nullptr});
    // Twice, so the reading carries the place named after the first fix.
    provider->refresh(true);
    provider->refresh(true);
    return *provider;
}

} // namespace vesk::snapshot
