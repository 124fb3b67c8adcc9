#include "Vesk/Controls/PreviewSamples.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QLinearGradient>
#include <QPainter>

namespace vesk {

namespace {

constexpr double trackWidth = 52;
constexpr double levelWidth = 33;
constexpr double barHeight = 4;

QRectF trackIn(const QRectF& box) {
    return {box.center().x() - trackWidth / 2, box.center().y() - barHeight / 2, trackWidth, barHeight};
}

void capsule(QPainter& painter, const QRectF& rect, const QBrush& fill) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
}

QBrush horizontalGradient(const QRectF& rect, const QColor& from, const QColor& to) {
    QLinearGradient gradient(rect.topLeft(), rect.topRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

} // namespace

void paintBarPreview(QPainter& painter, const QRectF& box, const QString& style) {
    const bool known = style == QLatin1String("white") || style == QLatin1String("accent") ||
                       style == QLatin1String("glow") || style == QLatin1String("decibel");
    if (!known) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackIn(box);
    capsule(painter, track, Vesk::Ink::x700);
    const QRectF level(track.left(), track.top(), levelWidth, barHeight);
    if (style == QLatin1String("glow")) {
        // The glow: the accent spread around the level, fading out over five points.
        for (int spread = 5; spread >= 1; --spread) {
            QColor glow = Vesk::Accent::x500;
            glow.setAlphaF(float(0.9 * 0.22 * (6 - spread) / 5.0));
            capsule(painter, level.adjusted(-spread, -spread, spread, spread), glow);
        }
    }
    if (style == QLatin1String("decibel"))
        capsule(painter, level, horizontalGradient(level, Vesk::Accent::x700, Vesk::Accent::x500));
    else
        capsule(painter, level, Vesk::Accent::x500);
    painter.restore();
}

void paintSpeedPreview(QPainter& painter, const QRectF& box, const QString& speed) {
    QString symbol;
    if (speed == QLatin1String("smooth")) symbol = QStringLiteral("tortoise.fill");
    if (speed == QLatin1String("fast")) symbol = QStringLiteral("hare.fill");
    if (speed == QLatin1String("instant")) symbol = QStringLiteral("bolt.fill");
    if (symbol.isEmpty()) return;
    const double side = Symbols::sideForFontSize(13);
    Symbols::paint(painter, QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side),
                   symbol, Vesk::Stone::x200);
}

void paintMediaBarPreview(QPainter& painter, const QRectF& box, const QString& style) {
    const QColor artwork = Color(0x8A7F70);
    QBrush fill;
    if (style == QLatin1String("monochrome"))
        fill = Vesk::Accent::x500;
    else if (style == QLatin1String("colored"))
        fill = artwork;
    else if (style != QLatin1String("gradient"))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackIn(box);
    capsule(painter, track, Vesk::Ink::x700);
    const QRectF level(track.left(), track.top(), levelWidth, barHeight);
    if (style == QLatin1String("gradient")) fill = horizontalGradient(level, artwork, Color(0xD8CFC0));
    capsule(painter, level, fill);
    painter.restore();
}

} // namespace vesk
