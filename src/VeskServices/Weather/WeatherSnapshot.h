#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskPlatform/Weather/WeatherService.h"

#include <QString>

#include <optional>
#include <variant>

namespace vesk {

// One reading for the weather widget. Temperatures are in °C, whatever the service
// gave; they are converted only to be shown.
struct WeatherSnapshot {
    double temperature = 0;
    double apparentTemperature = 0;
    QString condition;
    QString symbolName;
    bool isDaylight = true;
    // Today's high and low; absent when the forecast had no day.
    std::optional<double> high;
    std::optional<double> low;
    std::optional<QString> locationName;
    Date fetchedAt;

    // A °C value as a whole number in `unit`, rounded half to even, written as the
    // user's locale writes numbers, with the unit's symbol: "22°C", "68°F".
    static QString formatted(double celsius, TemperatureUnit unit);

    friend bool operator==(const WeatherSnapshot&, const WeatherSnapshot&) = default;
};

// Whether the weather widget has anything to show.
struct WeatherAvailability {
    struct Ready {
        friend bool operator==(const Ready&, const Ready&) = default;
    };
    struct NeedsLocation {
        friend bool operator==(const NeedsLocation&, const NeedsLocation&) = default;
    };
    struct LocationDenied {
        // There is no location service at all, rather than one that refuses.
        bool noService = false;
        friend bool operator==(const LocationDenied&, const LocationDenied&) = default;
    };
    struct Failed {
        QString message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    std::variant<NeedsLocation, Ready, LocationDenied, Failed> value;

    static WeatherAvailability ready() { return {Ready{}}; }
    static WeatherAvailability needsLocation() { return {NeedsLocation{}}; }
    static WeatherAvailability locationDenied() { return {LocationDenied{}}; }
    static WeatherAvailability noLocationService() { return {LocationDenied{.noService = true}}; }
    static WeatherAvailability failed(QString message) { return {Failed{std::move(message)}}; }

    bool isReady() const { return std::holds_alternative<Ready>(value); }
    // The failure's text, when it is one.
    std::optional<QString> failure() const {
        if (const auto* f = std::get_if<Failed>(&value)) return f->message;
        return std::nullopt;
    }

    friend bool operator==(const WeatherAvailability&, const WeatherAvailability&) = default;
};

// Where the weather is for: the computer's location, or a given coordinate and name.
struct WeatherPlace {
    struct Current {
        friend bool operator==(const Current&, const Current&) = default;
    };
    struct Fixed {
        double latitude = 0;
        double longitude = 0;
        QString name;
        friend bool operator==(const Fixed&, const Fixed&) = default;
    };
    std::variant<Current, Fixed> value;

    friend bool operator==(const WeatherPlace&, const WeatherPlace&) = default;
};

} // namespace vesk
