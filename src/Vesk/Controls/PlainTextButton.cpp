#include "Vesk/Controls/PlainTextButton.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace vesk {

PlainTextButton::PlainTextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), m_font(font), m_color(color) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize PlainTextButton::sizeHint() const {
    const QFontMetricsF metrics(m_font);
    return {int(std::ceil(metrics.horizontalAdvance(text()) + 4)), int(std::ceil(metrics.height() + 4))};
}

void PlainTextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(m_font);
    QColor color = m_color;
    if (isDown()) color = color.darker(130);
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace vesk
