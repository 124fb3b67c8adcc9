#include "VeskServices/Weather/WeatherSnapshot.h"

#include <QLocale>

#include <cmath>

namespace vesk {

QString WeatherSnapshot::formatted(double celsius, TemperatureUnit unit) {
    const double value = unit == TemperatureUnit::celsius ? celsius : celsius * 9 / 5 + 32;
    // nearbyint rounds half to even in the default rounding mode; + 0.0 turns -0 into 0.
    const double whole = std::nearbyint(value) + 0.0;
    return QLocale().toString(qint64(whole)) +
           (unit == TemperatureUnit::celsius ? QStringLiteral("°C") : QStringLiteral("°F"));
}

} // namespace vesk
