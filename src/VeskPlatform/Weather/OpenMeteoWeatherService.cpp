#include "VeskPlatform/Weather/OpenMeteoWeatherService.h"

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Network/HttpFetch.h"
#include "VeskPlatform/Network/RoundedCoordinate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUrlQuery>

namespace vesk {

namespace {

WeatherError payloadError(const QString& why) {
    return WeatherError{.domain = QStringLiteral("payload"),
                        .code = 1,
                        .localizedDescription =
                            QStringLiteral("The weather service's answer could not be read."),
                        .fullDescription = why};
}

std::optional<TemperatureUnit> unitOf(const QJsonValue& value) {
    if (value.toString() == QStringLiteral("°C")) return TemperatureUnit::celsius;
    if (value.toString() == QStringLiteral("°F")) return TemperatureUnit::fahrenheit;
    return std::nullopt;
}

struct ConditionRow {
    int first;
    int last;
    const char* text;
    const char* day;
    const char* night;
};

constexpr ConditionRow conditions[] = {
    {0, 0, "Clear", "sun.max", "moon.stars"},
    {1, 1, "Mostly Clear", "cloud.sun", "cloud.moon"},
    {2, 2, "Partly Cloudy", "cloud.sun", "cloud.moon"},
    {3, 3, "Cloudy", "cloud", "cloud"},
    {45, 48, "Foggy", "cloud.fog", "cloud.fog"},
    {51, 57, "Drizzle", "cloud.drizzle", "cloud.drizzle"},
    {61, 67, "Rain", "cloud.rain", "cloud.rain"},
    {80, 82, "Rain", "cloud.rain", "cloud.rain"},
    {71, 77, "Snow", "cloud.snow", "cloud.snow"},
    {85, 86, "Snow", "cloud.snow", "cloud.snow"},
    {95, 99, "Thunderstorms", "cloud.bolt.rain", "cloud.bolt.rain"},
};

} // namespace

OpenMeteoWeatherService::OpenMeteoWeatherService(QUrl baseURL, int timeoutMs)
    : m_baseURL(std::move(baseURL)), m_timeoutMs(timeoutMs), m_network(http::makeAccessManager()) {}

OpenMeteoWeatherService::~OpenMeteoWeatherService() = default;

std::pair<QString, QString> OpenMeteoWeatherService::condition(int code, bool isDaylight) {
    for (const ConditionRow& row : conditions) {
        // 45 and 48 are the only fog codes; 46 and 47 are not used.
        if (code < row.first || code > row.last || (row.first == 45 && code != 45 && code != 48)) continue;
        return {QString::fromLatin1(row.text), QString::fromLatin1(isDaylight ? row.day : row.night)};
    }
    return {QStringLiteral("Unknown"), QStringLiteral("cloud")};
}

QUrl OpenMeteoWeatherService::forecastURL(double latitude, double longitude) const {
    QUrl url = m_baseURL;
    url.setPath(url.path().chopped(url.path().endsWith(QLatin1Char('/')) ? 1 : 0) +
                QStringLiteral("/v1/forecast"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("latitude"), roundedCoordinate(latitude));
    query.addQueryItem(QStringLiteral("longitude"), roundedCoordinate(longitude));
    query.addQueryItem(QStringLiteral("current"),
                       QStringLiteral("temperature_2m,apparent_temperature,weather_code,is_day"));
    query.addQueryItem(QStringLiteral("daily"), QStringLiteral("temperature_2m_max,temperature_2m_min"));
    query.addQueryItem(QStringLiteral("timezone"), QStringLiteral("auto"));
    query.addQueryItem(QStringLiteral("forecast_days"), QStringLiteral("1"));
    query.addQueryItem(QStringLiteral("temperature_unit"), QStringLiteral("celsius"));
    url.setQuery(query);
    return url;
}

void OpenMeteoWeatherService::weather(double latitude, double longitude, QObject* context,
                                      std::function<void(Result)> done) {
    http::get(
        *m_network, forecastURL(latitude, longitude), {}, context,
        [done = std::move(done)](const http::Response& response) {
            if (response.tooLarge) return done(payloadError(response.error));
            if (response.status == 0)
                return done(WeatherError{.domain = QStringLiteral("network"),
                                         .code = response.networkErrorCode,
                                         .localizedDescription = response.error,
                                         .fullDescription = response.error});
            if (response.status != 200) {
                const QString text =
                    QStringLiteral("The weather service answered with HTTP status %1.").arg(response.status);
                return done(WeatherError{.domain = QStringLiteral("http"),
                                         .code = response.status,
                                         .localizedDescription = text,
                                         .fullDescription = text + QLatin1Char(' ') +
                                                            QString::fromUtf8(response.body.left(200))});
            }
            done(parse(response.body));
        },
        m_timeoutMs);
}

WeatherService::Result OpenMeteoWeatherService::parse(const QByteArray& body) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (!doc.isObject()) return payloadError(QStringLiteral("not a JSON object: ") + error.errorString());
    const QJsonObject root = doc.object();
    const QJsonObject current = root.value(QStringLiteral("current")).toObject();
    const QJsonObject units = root.value(QStringLiteral("current_units")).toObject();
    const auto measurement = [](const QJsonObject& values, const QJsonObject& unitsOf,
                                const QString& key) -> std::optional<TemperatureMeasurement> {
        const std::optional<TemperatureUnit> unit = unitOf(unitsOf.value(key));
        const QJsonValue value = values.value(key);
        if (!unit || !value.isDouble()) return std::nullopt;
        return TemperatureMeasurement{.value = value.toDouble(), .unit = *unit};
    };
    const auto temperature = measurement(current, units, QStringLiteral("temperature_2m"));
    const auto apparent = measurement(current, units, QStringLiteral("apparent_temperature"));
    const QJsonValue code = current.value(QStringLiteral("weather_code"));
    const QJsonValue isDay = current.value(QStringLiteral("is_day"));
    if (!temperature || !apparent || !code.isDouble() || !isDay.isDouble())
        return payloadError(QStringLiteral("the current conditions are missing or in an unknown unit"));

    WeatherReport report;
    const bool daylight = isDay.toInt() != 0;
    const auto [text, symbol] = condition(code.toInt(), daylight);
    report.current = CurrentWeather{.temperature = *temperature,
                                    .apparentTemperature = *apparent,
                                    .condition = text,
                                    .symbolName = symbol,
                                    .isDaylight = daylight};

    const QJsonObject daily = root.value(QStringLiteral("daily")).toObject();
    const QJsonObject dailyUnits = root.value(QStringLiteral("daily_units")).toObject();
    const QJsonValue highs = daily.value(QStringLiteral("temperature_2m_max"));
    const QJsonValue lows = daily.value(QStringLiteral("temperature_2m_min"));
    const QJsonObject today{{QStringLiteral("temperature_2m_max"), highs.toArray().at(0)},
                            {QStringLiteral("temperature_2m_min"), lows.toArray().at(0)}};
    const auto high = measurement(today, dailyUnits, QStringLiteral("temperature_2m_max"));
    const auto low = measurement(today, dailyUnits, QStringLiteral("temperature_2m_min"));
    if (high && low) report.daily.append(DayWeather{.high = *high, .low = *low});
    return report;
}

void OpenMeteoWeatherService::attribution(QObject* context,
                                          std::function<void(std::optional<WeatherAttribution>)> done) {
    // Fixed: the terms name the page; there is no separate mark.
    QPointer<QObject> guard(context);
    onMain([guard, done = std::move(done)] {
        if (guard)
            done(WeatherAttribution{.legalPageURL = QUrl(QStringLiteral("https://open-meteo.com/")),
                                    .combinedMarkDarkURL = std::nullopt});
    });
}

} // namespace vesk
