#include "Vesk/Controls/SmallAccentButton.h"

#include "Vesk/Controls/Dimming.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace vesk {

namespace {

QFont buttonFont() {
    return systemFont(11, QFont::DemiBold);
}

} // namespace

SmallAccentButton::SmallAccentButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SmallAccentButton::sizeHint() const {
    const QFontMetricsF metrics(buttonFont());
    return {int(std::ceil(metrics.horizontalAdvance(text()) + 24)), int(std::ceil(metrics.height() + 10))};
}

void SmallAccentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Disabled on its own (not through a dimmed ancestor, which dims it already), it
    // is drawn dimmed like any control that cannot be used.
    const bool ownDisabled = testAttribute(Qt::WA_ForceDisabled) && !dimming::isDimmed(this);
    painter.setOpacity(dimming::opacity(this) * (ownDisabled ? dimming::dimmedOpacity : 1.0));
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? Vesk::Accent::x600 : Vesk::Accent::x500);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.setFont(buttonFont());
    painter.setPen(Vesk::Accent::on);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace vesk
