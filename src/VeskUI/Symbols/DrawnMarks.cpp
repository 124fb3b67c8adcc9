#include "VeskUI/Symbols/DrawnSymbols.h"

#include <cmath>
#include <numbers>

// Arrows, circled marks, waves, pointers, layouts and overlays on the 16 × 16 grid.
namespace vesk::symbols::drawn {

namespace {

using Canvas = SymbolCanvas;

QPainterPath documentPath() {
    QPainterPath doc(QPointF(3, 0.75));
    doc.lineTo(9.5, 0.75);
    doc.lineTo(13, 4.25);
    doc.lineTo(13, 15.25);
    doc.lineTo(3, 15.25);
    doc.closeSubpath();
    return doc;
}

void downArrowIn(Canvas& c, double top, double bottom, double width) {
    c.arrow(QPointF(8, top), QPointF(8, bottom), width, 3.1);
}

// Arcs of `radius` around `centre` between two angles (degrees, counter-clockwise
// from three o'clock, as Qt counts them).
QPainterPath arc(QPointF centre, double radius, double start, double sweep) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    return path;
}

QPainterPath zPath(const QRectF& box) {
    return Canvas::textPath(QStringLiteral("z"), box);
}

} // namespace

void arrowDownCircle(Canvas& c) {
    circled(c, false, [](Canvas& inner) { downArrowIn(inner, 4.25, 11.5, 1.5); });
}

void arrowDownCircleFill(Canvas& c) {
    circled(c, true, [](Canvas& inner) { downArrowIn(inner, 3.75, 11.75, 1.75); });
}

void arrowUpCircleFill(Canvas& c) {
    circled(c, true, [](Canvas& inner) { inner.arrow(QPointF(8, 12.25), QPointF(8, 4.25), 1.75, 3.1); });
}

void arrowDownDoc(Canvas& c) {
    c.stroke(documentPath(), 1.5);
    downArrowIn(c, 5.5, 12.25, 1.5);
}

void arrowDownDocFill(Canvas& c) {
    c.fill(documentPath());
    c.drawMaybeErasing(true, [](Canvas& inner) { downArrowIn(inner, 5.5, 12.25, 1.6); });
}

void arrowLeftArrowRight(Canvas& c) {
    c.arrow(QPointF(1.5, 4.75), QPointF(14.25, 4.75), 1.5, 3.25);
    c.arrow(QPointF(14.5, 11.25), QPointF(1.75, 11.25), 1.5, 3.25);
}

void arrowUpArrowDown(Canvas& c) {
    c.arrow(QPointF(4.75, 14.5), QPointF(4.75, 1.75), 1.5, 3.25);
    c.arrow(QPointF(11.25, 1.5), QPointF(11.25, 14.25), 1.5, 3.25);
}

void plusCircle(Canvas& c) {
    circled(c, false, [](Canvas& inner) {
        inner.line(QPointF(8, 4.75), QPointF(8, 11.25), 1.5);
        inner.line(QPointF(4.75, 8), QPointF(11.25, 8), 1.5);
    });
}

void minusCircleFill(Canvas& c) {
    circled(c, true, [](Canvas& inner) { inner.line(QPointF(4.5, 8), QPointF(11.5, 8), 1.75); });
}

void xmarkCircleFill(Canvas& c) {
    circled(c, true, [](Canvas& inner) {
        inner.line(QPointF(5.4, 5.4), QPointF(10.6, 10.6), 1.6);
        inner.line(QPointF(10.6, 5.4), QPointF(5.4, 10.6), 1.6);
    });
}

void recordCircle(Canvas& c) {
    c.ring(QPointF(8, 8), 6.75, 1.5);
    c.disk(QPointF(8, 8), 3.6);
}

void waveformCircle(Canvas& c) {
    circled(c, false, [](Canvas& inner) {
        const double heights[] = {1.5, 4.5, 7, 4, 2};
        for (int i = 0; i < 5; ++i) {
            const double x = 4.5 + i * 1.75;
            inner.line(QPointF(x, 8 - heights[i] / 2), QPointF(x, 8 + heights[i] / 2), 1.15);
        }
    });
}

void circleLeftHalfFilled(Canvas& c) {
    c.ring(QPointF(8, 8), 6.75, 1.5);
    QPainterPath half(QPointF(8, 1.25));
    half.arcTo(QRectF(1.25, 1.25, 13.5, 13.5), 90, 180);
    half.closeSubpath();
    c.fill(half);
}

void dotRadiowavesRight(Canvas& c) {
    const QPointF centre(3.75, 8);
    c.disk(centre, 1.9);
    c.stroke(arc(centre, 5, -50, 100), 1.5);
    c.stroke(arc(centre, 9.25, -45, 90), 1.5);
}

void antennaRadiowaves(Canvas& c) {
    const QPointF centre(8, 6);
    c.disk(centre, 1.6);
    c.line(centre, QPointF(8, 15.25), 1.5);
    for (const double radius : {3.6, 6.6}) {
        c.stroke(arc(centre, radius, -45, 90), 1.4);
        c.stroke(arc(centre, radius, 135, 90), 1.4);
    }
}

void airplayAudio(Canvas& c) {
    const QPointF centre(8, 8.25);
    c.stroke(arc(centre, 3.1, -35, 250), 1.5);
    c.stroke(arc(centre, 6.6, -35, 250), 1.5);
    QPainterPath wedge(QPointF(8, 9.5));
    wedge.lineTo(12.75, 15.25);
    wedge.lineTo(3.25, 15.25);
    wedge.closeSubpath();
    c.eraseStroke(wedge, 2.5);
    c.fill(wedge);
}

void cursorArrowClick(Canvas& c) {
    QPainterPath pointer(QPointF(5.5, 5));
    for (const QPointF& p : {QPointF(5.5, 15), QPointF(8, 12.5), QPointF(9.9, 15.75), QPointF(11.4, 14.9),
                             QPointF(9.6, 11.6), QPointF(13, 11.25)})
        pointer.lineTo(p);
    pointer.closeSubpath();
    c.fill(pointer);
    c.line(QPointF(5.5, 0.75), QPointF(5.5, 2.5), 1.2);
    c.line(QPointF(0.75, 5), QPointF(2.5, 5), 1.2);
    c.line(QPointF(2.1, 1.6), QPointF(3.2, 2.7), 1.2);
    c.line(QPointF(8.9, 1.6), QPointF(7.8, 2.7), 1.2);
    c.line(QPointF(2.1, 8.4), QPointF(3.2, 7.3), 1.2);
}

void rectangle3Group(Canvas& c) {
    c.fill(Canvas::roundedRect(QRectF(0.75, 1.5, 7, 13), 1.6));
    c.fill(Canvas::roundedRect(QRectF(9.25, 1.5, 6, 6), 1.6));
    c.fill(Canvas::roundedRect(QRectF(9.25, 9, 6, 5.5), 1.6));
}

void rectangleTopThirdInset(Canvas& c) {
    c.stroke(Canvas::roundedRect(QRectF(1, 2.25, 14, 11.5), 2.5), 1.5);
    c.fill(Canvas::roundedRect(QRectF(3.25, 4.5, 9.5, 3), 1));
}

void squareStack3dUp(Canvas& c) {
    QPainterPath top(QPointF(8, 0.75));
    top.lineTo(15, 4.5);
    top.lineTo(8, 8.25);
    top.lineTo(1, 4.5);
    top.closeSubpath();
    c.fill(top);
    for (const double y : {8.0, 11.5}) {
        QPainterPath layer(QPointF(1.5, y));
        layer.lineTo(8, y + 3.5);
        layer.lineTo(14.5, y);
        c.stroke(layer, 1.5);
    }
}

void slash(Canvas& c) {
    slashed(c);
}

void badgePlus(Canvas& c) {
    badged(c, [](Canvas& b) {
        b.line(QPointF(12.25, 9.5), QPointF(12.25, 15), 1.7);
        b.line(QPointF(9.5, 12.25), QPointF(15, 12.25), 1.7);
    });
}

void badgeExclamationmark(Canvas& c) {
    badged(c, [](Canvas& b) {
        b.line(QPointF(12.25, 9.25), QPointF(12.25, 12.25), 1.8);
        b.disk(QPointF(12.25, 14.6), 1);
    });
}

void zzz(Canvas& c) {
    const QPainterPath big = zPath(QRectF(10.5, 0.25, 5.25, 5.25));
    const QPainterPath small = zPath(QRectF(7.5, 3.5, 3.25, 3.25));
    c.eraseStroke(big, 2.5);
    c.eraseStroke(small, 2.5);
    c.fill(big);
    c.fill(small);
}

void fog(Canvas& c) {
    c.line(QPointF(2, 4), QPointF(12, 4), 1.8);
    c.line(QPointF(4, 8), QPointF(14, 8), 1.8);
    c.line(QPointF(2, 12), QPointF(11, 12), 1.8);
}

void placeholder(Canvas& c) {
    c.withOpacity(0.7, [](Canvas& box) {
        QPainterPath dashed;
        const QRectF frame(2, 2, 12, 12);
        dashed.addRoundedRect(frame, 3, 3);
        box.stroke(dashed, 1.25);
        box.disk(frame.center(), 1.25);
    });
}

} // namespace vesk::symbols::drawn
