#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <functional>

namespace vesk::symbols {

// Drawing helpers for symbols of our own. A symbol is drawn on a 16 × 16 grid, the grid
// of the icon theme's symbolic icons, in one opaque colour; the caller scales the grid
// to the wanted size and tints the result by its coverage, so helpers may also cut
// holes (erase) and use partial opacity for secondary parts.
class SymbolCanvas {
public:
    explicit SymbolCanvas(QPainter& painter) : m_painter(painter) {}

    QPainter& painter() { return m_painter; }

    void fill(const QPainterPath& path);
    void erase(const QPainterPath& path);
    // A stroked outline, round caps and joins unless told otherwise.
    void stroke(const QPainterPath& path, double width, Qt::PenCapStyle cap = Qt::RoundCap,
                Qt::PenJoinStyle join = Qt::RoundJoin);
    void eraseStroke(const QPainterPath& path, double width, Qt::PenCapStyle cap = Qt::RoundCap);
    void line(QPointF from, QPointF to, double width, Qt::PenCapStyle cap = Qt::RoundCap);

    void disk(QPointF centre, double radius);
    void ring(QPointF centre, double radius, double width);
    void eraseDisk(QPointF centre, double radius);

    // An arrow from `from` to `to` with an open chevron head of `head` along each wing.
    void arrow(QPointF from, QPointF to, double width, double head);
    // A filled triangular arrow head pointing at `tip` from the direction of `from`.
    void arrowHead(QPointF from, QPointF tip, double length, double halfWidth);

    // Text set in DejaVu Sans (bold when asked), fitted into `box` keeping its shape.
    static QPainterPath textPath(const QString& text, const QRectF& box, bool bold = true);

    // Draws `inner` normally, or, when `erasing`, as holes cut into what is there.
    void drawMaybeErasing(bool erasing, const std::function<void(SymbolCanvas&)>& inner);

    // With opacity (1 is opaque) for secondary parts, as hierarchical symbols have.
    void withOpacity(double opacity, const std::function<void(SymbolCanvas&)>& inner);

    static QPainterPath circle(QPointF centre, double radius);
    static QPainterPath roundedRect(const QRectF& rect, double radius);

private:
    QPainter& m_painter;
};

// A circle with `inner` inside it: a ring around it, or a disk with `inner` cut out.
void circled(SymbolCanvas& canvas, bool filled, const std::function<void(SymbolCanvas&)>& inner);
// A cut-out slash from top-left to bottom-right with a thin slash drawn inside it.
void slashed(SymbolCanvas& canvas);
// A badge at the bottom-right corner: its area is cleared, then `inner` is drawn there
// around (12.25, 12.25).
void badged(SymbolCanvas& canvas, const std::function<void(SymbolCanvas&)>& inner);

} // namespace vesk::symbols
