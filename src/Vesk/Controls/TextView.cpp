#include "Vesk/Controls/TextView.h"

#include "Vesk/Controls/Dimming.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace vesk {

namespace {

constexpr int wrapFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

} // namespace

TextView::TextView(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent), m_text(text), m_font(font), m_color(color) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextView::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    changed();
}

void TextView::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

void TextView::setFont(const QFont& font) {
    m_font = font;
    changed();
}

void TextView::setWrapping(bool wrap, int maxWidth) {
    m_wrap = wrap;
    m_maxWidth = maxWidth;
    // Wrapped text must not be held to the one-line height of its size hint.
    QSizePolicy policy(QSizePolicy::Preferred, wrap ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    policy.setHeightForWidth(wrap);
    setSizePolicy(policy);
    if (wrap) setMaximumWidth(maxWidth);
    changed();
}

void TextView::setTracking(double tracking) {
    m_tracking = tracking;
    changed();
}

void TextView::setLineSpacing(double spacing) {
    m_lineSpacing = spacing;
    changed();
}

void TextView::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

QFont TextView::effectiveFont() const {
    QFont font = m_font;
    if (m_tracking != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, m_tracking);
    return font;
}

double TextView::layOut(QTextLayout& layout, double width) const {
    layout.setFont(effectiveFont());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (line.lineNumber() > 0) y += m_lineSpacing;
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

void TextView::changed() {
    updateGeometry();
    update();
}

QSize TextView::sizeHint() const {
    const QFontMetricsF metrics(effectiveFont());
    const double width = std::ceil(metrics.horizontalAdvance(m_text));
    if (m_wrap) {
        const int w = int(std::min<double>(width, m_maxWidth));
        return {w, heightForWidth(w)};
    }
    return {int(width), int(std::ceil(metrics.height()))};
}

QSize TextView::minimumSizeHint() const {
    if (!m_wrap) return sizeHint();
    return {0, int(std::ceil(QFontMetricsF(effectiveFont()).height()))};
}

int TextView::heightForWidth(int width) const {
    if (!m_wrap) return sizeHint().height();
    // Layouts ask at their own width even where the view is held narrower.
    width = std::min(width, m_maxWidth);
    const QFontMetricsF metrics(effectiveFont());
    if (m_lineSpacing != 0) {
        QTextLayout layout(m_text);
        return int(std::ceil(std::max(layOut(layout, std::max(width, 1)), metrics.height())));
    }
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, std::max(width, 1), 1e6), wrapFlags, m_text);
    return int(std::ceil(std::max(bounds.height(), metrics.height())));
}

void TextView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    dimming::apply(painter, this);
    painter.setFont(effectiveFont());
    painter.setPen(m_color);
    if (m_wrap && m_lineSpacing != 0) {
        QTextLayout layout(m_text);
        layOut(layout, width());
        layout.draw(&painter, QPointF(0, 0));
    } else if (m_wrap)
        painter.drawText(rect(), wrapFlags, m_text);
    else
        painter.drawText(rect(), int(m_alignment) | Qt::TextSingleLine, m_text);
}

} // namespace vesk
