#pragma once

#include "VeskPlatform/Weather/WeatherService.h"

#include <QNetworkAccessManager>

#include <memory>

namespace vesk {

// The weather from Open-Meteo (no key; its data is CC BY 4.0, credited through the
// attribution page). Coordinates go out rounded to 0.01°.
class OpenMeteoWeatherService final : public WeatherService {
public:
    // A request with no answer within `timeoutMs` fails as a network error.
    explicit OpenMeteoWeatherService(QUrl baseURL = QUrl(QStringLiteral("https://api.open-meteo.com")),
                                     int timeoutMs = 15000);
    ~OpenMeteoWeatherService() override;

    void weather(double latitude, double longitude, QObject* context,
                 std::function<void(Result)> done) override;
    void attribution(QObject* context, std::function<void(std::optional<WeatherAttribution>)> done) override;

    // The request for a coordinate, and what an answer's body says.
    QUrl forecastURL(double latitude, double longitude) const;
    static Result parse(const QByteArray& body);
    // The words and symbol of a WMO weather code, by day or by night.
    static std::pair<QString, QString> condition(int code, bool isDaylight);

private:
    QUrl m_baseURL;
    int m_timeoutMs;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace vesk
