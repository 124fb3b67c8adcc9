#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <variant>

namespace vesk {

enum class TemperatureUnit { celsius, fahrenheit };

// A temperature as the weather service gave it.
struct TemperatureMeasurement {
    double value = 0;
    TemperatureUnit unit = TemperatureUnit::celsius;

    double celsius() const { return unit == TemperatureUnit::celsius ? value : (value - 32) * 5 / 9; }
    friend bool operator==(const TemperatureMeasurement&, const TemperatureMeasurement&) = default;
};

struct CurrentWeather {
    TemperatureMeasurement temperature;
    TemperatureMeasurement apparentTemperature;
    // The condition in words ("Partly Cloudy") and the symbol drawn for it.
    QString condition;
    QString symbolName;
    bool isDaylight = true;
    friend bool operator==(const CurrentWeather&, const CurrentWeather&) = default;
};

struct DayWeather {
    TemperatureMeasurement high;
    TemperatureMeasurement low;
    friend bool operator==(const DayWeather&, const DayWeather&) = default;
};

struct WeatherReport {
    CurrentWeather current;
    // Today first; empty when the service gave no days.
    QList<DayWeather> daily;
    friend bool operator==(const WeatherReport&, const WeatherReport&) = default;
};

// Why a weather request failed. Domains: "network" (no HTTP answer came), "http" (the
// answer's status is the code), "payload" (the answer could not be read).
struct WeatherError {
    QString domain;
    qint64 code = 0;
    QString localizedDescription;
    QString fullDescription;
    friend bool operator==(const WeatherError&, const WeatherError&) = default;
};

struct WeatherAttribution {
    QUrl legalPageURL;
    // The combined mark for dark backgrounds, where the service has one.
    std::optional<QUrl> combinedMarkDarkURL;
};

// The current weather and today's forecast for a coordinate. Main thread only.
class WeatherService {
public:
    using Result = std::variant<WeatherReport, WeatherError>;

    virtual ~WeatherService() = default;
    // Answered while `context` lives.
    virtual void weather(double latitude, double longitude, QObject* context,
                         std::function<void(Result)> done) = 0;
    virtual void attribution(QObject* context,
                             std::function<void(std::optional<WeatherAttribution>)> done) = 0;
};

} // namespace vesk
