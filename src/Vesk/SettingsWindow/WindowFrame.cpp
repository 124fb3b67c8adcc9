#include "Vesk/SettingsWindow/WindowFrame.h"

#include <QStringList>

#include <cmath>

namespace vesk::windowFrame {

namespace {

QRect centred(QSize size, const QRect& area) {
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2,
            size.width(), size.height()};
}

} // namespace

std::optional<QRect> parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 4) return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const double value = parts.at(i).toDouble(&ok);
        // Far beyond any screen: not a frame this program wrote.
        if (!ok || !std::isfinite(value) || std::fabs(value) > 1e6) return std::nullopt;
        numbers[i] = int(std::lround(value));
    }
    if (numbers[2] <= 0 || numbers[3] <= 0) return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

QString format(const QRect& frame) {
    return QStringLiteral("%1 %2 %3 %4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

QRect place(const std::optional<QRect>& saved, QSize size, QSize minimum, const QRect& primaryAvailable,
            const QList<QRect>& screens) {
    QRect frame = centred(size.expandedTo(minimum), primaryAvailable);
    if (saved) frame = QRect(saved->topLeft(), saved->size().expandedTo(minimum));
    for (const QRect& screen : screens)
        if (screen.intersects(frame)) return frame;
    return centred(frame.size(), primaryAvailable);
}

} // namespace vesk::windowFrame
