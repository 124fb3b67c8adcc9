#include "Vesk/Desk/Widgets/WidgetNotice.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

constexpr int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

const QFont& messageFont() {
    static const QFont font = systemFont(WidgetNotice::fontSize);
    return font;
}
const QFont& detailFont() {
    static const QFont font = systemFont(WidgetNotice::fontSize, QFont::DemiBold);
    return font;
}

double textLeft() {
    return Symbols::sideForFontSize(WidgetNotice::fontSize) + WidgetNotice::symbolGap;
}

QRectF wrapped(const QFont& font, const QString& text, double width) {
    return QFontMetricsF(font).boundingRect(QRectF(0, 0, std::max(width, 1.0), 1e6), textFlags, text);
}

} // namespace

WidgetNotice::WidgetNotice(const QString& symbol, const QString& message, const QString& detail,
                           QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_message(message), m_detail(detail) {
    setAccessibleName(message + QLatin1Char(' ') + detail);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int WidgetNotice::heightForWidth(int width) const {
    const double inner = width - textLeft();
    return int(std::ceil(wrapped(messageFont(), m_message, inner).height() +
                         wrapped(detailFont(), m_detail, inner).height()));
}

QSize WidgetNotice::sizeHint() const {
    const int width = 200;
    return QSize(width, heightForWidth(width));
}

void WidgetNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = Symbols::sideForFontSize(fontSize);
    const double lineHeight = QFontMetricsF(messageFont()).height();
    Symbols::paint(painter, QRectF(0, (lineHeight - side) / 2, side, side), m_symbol, Vesk::Stone::x400);
    const double inner = width() - textLeft();
    const double messageHeight = wrapped(messageFont(), m_message, inner).height();
    painter.setFont(messageFont());
    painter.setPen(Vesk::Stone::x300);
    painter.drawText(QRectF(textLeft(), 0, inner, messageHeight), textFlags, m_message);
    painter.setFont(detailFont());
    painter.setPen(Vesk::Stone::x100);
    painter.drawText(QRectF(textLeft(), messageHeight, inner, height() - messageHeight), textFlags, m_detail);
}

} // namespace vesk
