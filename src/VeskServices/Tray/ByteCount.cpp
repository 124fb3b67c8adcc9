#include "VeskServices/Tray/ByteCount.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace vesk {

namespace {

struct Unit {
    const char* name;
    int decimals;
};

constexpr Unit units[] = {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}};

QString number(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (decimals > 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return text;
}

} // namespace

QString formatByteCount(qint64 bytes) {
    if (bytes == 0) return QStringLiteral("Zero KB");
    if (bytes < 0)
        return QLatin1Char('-') + formatByteCount(bytes == std::numeric_limits<qint64>::min()
                                                      ? std::numeric_limits<qint64>::max()
                                                      : -bytes);
    if (bytes == 1) return QStringLiteral("1 byte");
    if (bytes < 1000) return QString::number(bytes) + QStringLiteral(" bytes");

    double value = static_cast<double>(bytes) / 1000.0;
    const int last = static_cast<int>(std::size(units)) - 1;
    for (int i = 0;; ++i) {
        const double scale = std::pow(10.0, units[i].decimals);
        const double rounded = std::round(value * scale) / scale;
        // 999,999 bytes rounds to 1000 KB: that is shown as the next unit instead.
        if (rounded < 1000.0 || i == last)
            return number(rounded, units[i].decimals) + QLatin1Char(' ') + QLatin1String(units[i].name);
        value /= 1000.0;
    }
}

} // namespace vesk
