#pragma once

#include <QString>

#include <cmath>

namespace vesk {

// A latitude or longitude to 0.01° (about 1 km): all the services we ask need to know.
inline QString roundedCoordinate(double degrees) {
    const double rounded = std::round(degrees * 100) / 100;
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', 2);
}

} // namespace vesk
