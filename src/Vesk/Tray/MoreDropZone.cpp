#include "Vesk/Tray/MoreDropZone.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace vesk {

void paintDashedBox(QPainter& painter, const QRectF& rect, double radius, const QColor& colour) {
    QPen pen(colour, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({5, 4});
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

MoreDropZone::MoreDropZone(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MoreDropZone::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintDashedBox(painter, rect(), 10, Vesk::Ink::x700);
    static const QFont font = systemFont(10);
    const QString text = QStringLiteral("Drop more here");
    const QFontMetricsF metrics(font);
    const double side = Symbols::sideForFontSize(10);
    const double total = side + 5 + metrics.horizontalAdvance(text);
    const double left = (width() - total) / 2;
    Symbols::paint(painter, QRectF(left, (height() - side) / 2, side, side), u"plus", Vesk::Stone::x400);
    painter.setFont(font);
    painter.setPen(Vesk::Stone::x400);
    painter.drawText(QRectF(left + side + 5, 0, total, height()), Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace vesk
