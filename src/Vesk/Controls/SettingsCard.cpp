#include "Vesk/Controls/SettingsCard.h"

#include "Vesk/Controls/Dimming.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vesk {

SettingsCard::SettingsCard(QWidget* parent) : QWidget(parent), m_rows(new QVBoxLayout(this)) {
    m_rows->setContentsMargins(shadowMargins);
    m_rows->setSpacing(0);
}

void SettingsCard::addRow(QWidget* row) {
    m_rows->addWidget(row);
}

QRectF SettingsCard::cardRect() const {
    return QRectF(rect().marginsRemoved(shadowMargins));
}

void SettingsCard::clipToCard(QPainter& painter, const QWidget* descendant) {
    for (const QWidget* w = descendant ? descendant->parentWidget() : nullptr; w; w = w->parentWidget()) {
        const auto* card = qobject_cast<const SettingsCard*>(w);
        if (!card) continue;
        const QRectF outline = card->cardRect().translated(QPointF(descendant->mapFrom(card, QPoint(0, 0))));
        QPainterPath path;
        path.addRoundedRect(outline, radius, radius);
        painter.setClipPath(path, Qt::IntersectClip);
        return;
    }
}

void SettingsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, this);
    const QRectF card = cardRect();

    // The shadow: rings of falling strength around the card, three points lower.
    painter.setPen(Qt::NoPen);
    constexpr int rings = 8;
    for (int i = rings; i >= 1; --i) {
        const double spread = i;
        const double strength = 0.22 * (1.0 - double(i) / (rings + 1)) / 3.0;
        painter.setBrush(QColor::fromRgbF(0, 0, 0, float(strength)));
        painter.drawRoundedRect(card.translated(0, 3).adjusted(-spread, -spread, spread, spread),
                                radius + spread, radius + spread);
    }

    painter.setBrush(Vesk::Ink::x850);
    painter.drawRoundedRect(card, radius, radius);

    QLinearGradient stroke(card.topLeft(), card.bottomLeft());
    stroke.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.09f));
    stroke.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0.02f));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QBrush(stroke), 1));
    painter.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
}

} // namespace vesk
