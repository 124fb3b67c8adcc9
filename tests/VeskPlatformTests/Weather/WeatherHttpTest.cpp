// The weather and place-name services against a loopback server: never the network.
#include "VeskPlatform/Location/NominatimReverseGeocoder.h"
#include "VeskPlatform/Weather/OpenMeteoWeatherService.h"

#include "support/EventLoop.h"
#include "support/Network/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <QUrlQuery>

using namespace vesk;
using namespace vesk::test;

namespace {

const QByteArray reading = R"({"current_units":{"temperature_2m":"°C","apparent_temperature":"°C"},
 "current":{"temperature_2m":21.4,"apparent_temperature":19.9,"weather_code":2,"is_day":0},
 "daily_units":{"temperature_2m_max":"°C","temperature_2m_min":"°C"},
 "daily":{"temperature_2m_max":[24.0],"temperature_2m_min":[12.5]}})";

WeatherService::Result fetch(OpenMeteoWeatherService& service) {
    QObject context;
    std::optional<WeatherService::Result> result;
    service.weather(48.13743, 11.57549, &context, [&](WeatherService::Result r) { result = std::move(r); });
    EXPECT_TRUE(processEventsUntil([&] { return result.has_value(); }, 30000)) << "the request never ended";
    return result.value_or(WeatherError{});
}

} // namespace

TEST(WeatherHttpTest, AsksForTheRoundedCoordinateAndReadsTheReading) {
    LoopbackHttpServer server;
    server.respond = [](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Reply{200, reading};
    };
    OpenMeteoWeatherService service(server.url());
    const WeatherService::Result result = fetch(service);

    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(
        server.requests.first().target,
        "/v1/"
        "forecast?latitude=48.14&longitude=11.58&current=temperature_2m,apparent_temperature,weather_code,"
        "is_day&daily=temperature_2m_max,temperature_2m_min&timezone=auto&forecast_days=1&temperature_unit="
        "celsius");
    EXPECT_TRUE(server.requests.first().header("User-Agent").startsWith("VeskNotch/"));
    ASSERT_TRUE(std::holds_alternative<WeatherReport>(result));
    const WeatherReport& report = std::get<WeatherReport>(result);
    EXPECT_EQ(report.current.temperature.celsius(), 21.4);
    EXPECT_EQ(report.current.apparentTemperature.celsius(), 19.9);
    EXPECT_EQ(report.current.condition, QStringLiteral("Partly Cloudy"));
    EXPECT_EQ(report.current.symbolName, QStringLiteral("cloud.moon"));
    EXPECT_FALSE(report.current.isDaylight);
    ASSERT_EQ(report.daily.size(), 1);
    EXPECT_EQ(report.daily.first().low.celsius(), 12.5);
}

TEST(WeatherHttpTest, ReadsFahrenheitAndAMissingDayAndTellsFailuresApart) {
    QByteArray fahrenheit = reading;
    fahrenheit.replace("°C", "°F").replace("21.4", "68").replace("[24.0]", "[null]");
    struct Row {
        std::optional<LoopbackHttpServer::Reply> reply;
        bool refused;
        const char* domain;
        qint64 code;
    };
    const QList<Row> rows{
        {LoopbackHttpServer::Reply{500, "oops"}, false, "http", 500},
        {LoopbackHttpServer::Reply{200, "{not json"}, false, "payload", 1},
        {LoopbackHttpServer::Reply{200, QByteArray(reading).replace("°C", "K")}, false, "payload", 1},
        {std::nullopt, false, "network", -1},
        {std::nullopt, true, "network", -1}};

    LoopbackHttpServer server;
    server.respond = [&](const LoopbackHttpServer::Request&) {
        return LoopbackHttpServer::Reply{200, fahrenheit};
    };
    OpenMeteoWeatherService service(server.url());
    const WeatherReport report = std::get<WeatherReport>(fetch(service));
    EXPECT_EQ(report.current.temperature.celsius(), 20);
    EXPECT_TRUE(report.daily.isEmpty());

    for (const Row& row : rows) {
        server.respond = [&](const LoopbackHttpServer::Request&) { return row.reply; };
        OpenMeteoWeatherService failing(row.refused ? LoopbackHttpServer::refusedURL() : server.url(), 300);
        const WeatherService::Result result = fetch(failing);
        ASSERT_TRUE(std::holds_alternative<WeatherError>(result)) << row.domain;
        const WeatherError& error = std::get<WeatherError>(result);
        EXPECT_EQ(error.domain, QLatin1String(row.domain));
        if (row.code >= 0) {
            EXPECT_EQ(error.code, row.code);
        }
    }
}

TEST(WeatherHttpTest, NamesAPlaceByItsTownOrLeavesTheLocalityOut) {
    LoopbackHttpServer server;
    QByteArray body = R"({"address":{"village":"Dorf","municipality":"Gemeinde","state":"Bayern"}})";
    server.respond = [&](const LoopbackHttpServer::Request&) { return LoopbackHttpServer::Reply{200, body}; };
    NominatimReverseGeocoder geocoder(server.url());
    const auto lookUp = [&] {
        QObject context;
        std::optional<std::optional<QList<PlaceDescription>>> places;
        geocoder.reverseGeocode(LocationFix{.latitude = 47.001, .longitude = -0.004, .timestamp = {}},
                                &context, [&](std::optional<QList<PlaceDescription>> p) { places = p; });
        EXPECT_TRUE(processEventsUntil([&] { return places.has_value(); }, 30000)) << "no answer";
        return places.value_or(std::nullopt);
    };
    EXPECT_EQ(lookUp(), (QList<PlaceDescription>{{QStringLiteral("Dorf"), QStringLiteral("Bayern")}}));
    const QUrlQuery query(QUrl(QString::fromLatin1(server.requests.first().target)));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("lat")), QStringLiteral("47.00"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("lon")), QStringLiteral("0.00"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("zoom")), QStringLiteral("10"));

    body = R"({"address":{"state":"Bayern"}})";
    EXPECT_EQ(lookUp(), (QList<PlaceDescription>{{std::nullopt, QStringLiteral("Bayern")}}));
}
