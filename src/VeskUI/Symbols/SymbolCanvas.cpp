#include "VeskUI/Symbols/SymbolCanvas.h"

#include <QFont>
#include <QPainterPathStroker>

#include <cmath>

namespace vesk::symbols {

namespace {

QPainterPath outlineOf(const QPainterPath& path, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(join);
    return stroker.createStroke(path);
}

} // namespace

void SymbolCanvas::fill(const QPainterPath& path) {
    QPainterPath filled = path;
    filled.setFillRule(Qt::WindingFill);
    m_painter.fillPath(filled, Qt::black);
}

void SymbolCanvas::erase(const QPainterPath& path) {
    const auto mode = m_painter.compositionMode();
    m_painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    fill(path);
    m_painter.setCompositionMode(mode);
}

void SymbolCanvas::stroke(const QPainterPath& path, double width, Qt::PenCapStyle cap,
                          Qt::PenJoinStyle join) {
    fill(outlineOf(path, width, cap, join));
}

void SymbolCanvas::eraseStroke(const QPainterPath& path, double width, Qt::PenCapStyle cap) {
    erase(outlineOf(path, width, cap, Qt::RoundJoin));
}

void SymbolCanvas::line(QPointF from, QPointF to, double width, Qt::PenCapStyle cap) {
    QPainterPath path(from);
    path.lineTo(to);
    stroke(path, width, cap);
}

void SymbolCanvas::disk(QPointF centre, double radius) {
    fill(circle(centre, radius));
}

void SymbolCanvas::ring(QPointF centre, double radius, double width) {
    QPainterPath path = circle(centre, radius + width / 2);
    path.addPath(circle(centre, radius - width / 2));
    path.setFillRule(Qt::OddEvenFill);
    m_painter.fillPath(path, Qt::black);
}

void SymbolCanvas::eraseDisk(QPointF centre, double radius) {
    erase(circle(centre, radius));
}

void SymbolCanvas::arrow(QPointF from, QPointF to, double width, double head) {
    line(from, to, width);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    for (const double wing : {angle + 2.35619449, angle - 2.35619449}) // ±135°
        line(to, to + QPointF(std::cos(wing), std::sin(wing)) * head, width);
}

void SymbolCanvas::arrowHead(QPointF from, QPointF tip, double length, double halfWidth) {
    const double angle = std::atan2(tip.y() - from.y(), tip.x() - from.x());
    const QPointF along(std::cos(angle), std::sin(angle));
    const QPointF across(-along.y(), along.x());
    const QPointF base = tip - along * length;
    QPainterPath head(tip);
    head.lineTo(base + across * halfWidth);
    head.lineTo(base - across * halfWidth);
    head.closeSubpath();
    fill(head);
}

QPainterPath SymbolCanvas::textPath(const QString& text, const QRectF& box, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    font.setBold(bold);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    if (bounds.isEmpty()) return {};
    const double scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform transform;
    transform.translate(box.center().x(), box.center().y());
    transform.scale(scale, scale);
    transform.translate(-bounds.center().x(), -bounds.center().y());
    return transform.map(path);
}

void SymbolCanvas::drawMaybeErasing(bool erasing, const std::function<void(SymbolCanvas&)>& inner) {
    const auto mode = m_painter.compositionMode();
    if (erasing) m_painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    inner(*this);
    m_painter.setCompositionMode(mode);
}

void SymbolCanvas::withOpacity(double opacity, const std::function<void(SymbolCanvas&)>& inner) {
    const double previous = m_painter.opacity();
    m_painter.setOpacity(previous * opacity);
    inner(*this);
    m_painter.setOpacity(previous);
}

QPainterPath SymbolCanvas::circle(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath SymbolCanvas::roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void circled(SymbolCanvas& canvas, bool filled, const std::function<void(SymbolCanvas&)>& inner) {
    const QPointF centre(8, 8);
    if (filled) {
        canvas.disk(centre, 7.5);
        canvas.drawMaybeErasing(true, inner);
    } else {
        canvas.ring(centre, 6.75, 1.5);
        inner(canvas);
    }
}

void slashed(SymbolCanvas& canvas) {
    QPainterPath slash(QPointF(1.5, 1.5));
    slash.lineTo(14.5, 14.5);
    canvas.eraseStroke(slash, 4);
    canvas.stroke(slash, 1.6);
}

void badged(SymbolCanvas& canvas, const std::function<void(SymbolCanvas&)>& inner) {
    canvas.eraseDisk(QPointF(12.25, 12.25), 4.75);
    inner(canvas);
}

} // namespace vesk::symbols
