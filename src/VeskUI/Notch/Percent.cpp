#include "VeskUI/Notch/Percent.h"

#include <cmath>

namespace vesk {

qint64 percentValue(double level) {
    const double hundredfold = level * 100;
    if (!std::isfinite(hundredfold) || std::abs(hundredfold) >= 9.0e15) return 0;
    return static_cast<qint64>(std::trunc(hundredfold + std::copysign(1e-9, hundredfold)));
}

QString percentText(double level) {
    return QString::number(percentValue(level)) + u'%';
}

} // namespace vesk
