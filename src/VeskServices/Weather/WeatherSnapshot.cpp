#include "VeskServices/Weather/WeatherSnapshot.h"

#include <QLocale>

#include <cmath>

namespace vesk {

QString WeatherSnapshot::formatted(double celsius, TemperatureUnit unit) {
    const double value = unit == TemperatureUnit::celsius ? celsius : celsius * 9 / 5 + 32;
    // nearbyint rounds half to even in the default rounding mode; + 0.0 turns -0 into 0.
    const double whole = std::nearbyint(value) + 0.0;
    const QString symbol = unit == TemperatureUnit::celsius ? QStringLiteral("°C") : QStringLiteral("°F");
    // Only a value inside qint64's range may be converted to it; anything beyond (or not
    // a number) is written as the double it is.
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!(whole >= -limit && whole < limit)) return QLocale().toString(whole, 'f', 0) + symbol;
    return QLocale().toString(qint64(whole)) + symbol;
}

} // namespace vesk
