#include "Vesk/SettingsWindow/PaneIconTile.h"

#include "VeskUI/Symbols/Symbols.h"

#include <QLinearGradient>
#include <QPainter>

namespace vesk {

void PaneIconTile::paint(QPainter& painter, const QPointF& origin) const {
    const SettingsPaneLook& pane = look(this->pane);
    const QRectF tile(origin, QSizeF(size, size));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    // The shadow: the bottom colour at 0.35, one point lower, fading over size / 9.
    const double blur = size / 9;
    for (int ring = 3; ring >= 1; --ring) {
        const double spread = blur * ring / 3.0;
        QColor shade = pane.tileBottom;
        shade.setAlphaF(float(0.35 / 5.0));
        painter.setBrush(shade);
        painter.drawRoundedRect(tile.translated(0, 1).adjusted(-spread, -spread, spread, spread),
                                radius + spread, radius + spread);
    }

    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, pane.tileTop);
    fill.setColorAt(1, pane.tileBottom);
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, radius, radius);

    QLinearGradient rim(tile.topLeft(), tile.bottomLeft());
    rim.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.35f));
    rim.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0.06f));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(rim), 0.5));
    painter.drawRoundedRect(tile.adjusted(0.25, 0.25, -0.25, -0.25), radius - 0.25, radius - 0.25);

    const double side = Symbols::sideForFontSize(symbolSize);
    const QRectF symbol(tile.center().x() - side / 2, tile.center().y() - side / 2, side, side);
    Symbols::paint(painter, symbol.translated(0, 0.5), pane.symbol, QColor::fromRgbF(0, 0, 0, 0.25f));
    Symbols::paint(painter, symbol, pane.symbol, Qt::white);
    painter.restore();
}

} // namespace vesk
