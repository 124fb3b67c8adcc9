#include "VeskUI/Symbols/DrawnSymbols.h"

#include <QTransform>

#include <cmath>
#include <numbers>

// Devices and objects. Coordinates are on the 16 × 16 symbol grid.
namespace vesk::symbols::drawn {

namespace {

using Canvas = SymbolCanvas;

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    path.closeSubpath();
    return path;
}

// One earbud: a round head and a stem hanging from its inner side.
void earbud(Canvas& c, bool left, double headRadius, double stemLength) {
    const double headX = left ? 4.25 : 11.75;
    const QPointF head(headX, 4.5);
    const double stemX = left ? headX + 0.6 : headX - 0.6 - 2.25;
    c.disk(head, headRadius);
    c.fill(Canvas::roundedRect(QRectF(stemX, 5, 2.25, stemLength), 1.1));
    // the speaker mesh on the outer side of the head
    c.eraseDisk(QPointF(left ? headX - 1.4 : headX + 1.4, 4), 0.8);
}

// A four-pointed star with concave sides.
QPainterPath fourPointStar(QPointF centre, double radius) {
    const double k = radius * 0.16;
    const double x = centre.x();
    const double y = centre.y();
    QPainterPath star(QPointF(x, y - radius));
    star.quadTo(QPointF(x + k, y - k), QPointF(x + radius, y));
    star.quadTo(QPointF(x + k, y + k), QPointF(x, y + radius));
    star.quadTo(QPointF(x - k, y + k), QPointF(x - radius, y));
    star.quadTo(QPointF(x - k, y - k), QPointF(x, y - radius));
    star.closeSubpath();
    return star;
}

QPainterPath boltPath() {
    return polygon({{9.75, 0.5}, {2.75, 9.25}, {7.5, 9.25}, {6.25, 15.5}, {13.25, 6.75}, {8.5, 6.75}});
}

// A speech bubble whose tail curls out of its lower left.
void bubble(Canvas& c, bool round) {
    QPainterPath body;
    if (round)
        body.addEllipse(QRectF(0.75, 1, 14.5, 11.5));
    else
        body.addRoundedRect(QRectF(0.75, 1.25, 14.5, 10.5), 3.5, 3.5);
    c.fill(body);
    QPainterPath tail(QPointF(3.75, 9));
    tail.quadTo(4.25, 13.5, 1.25, 15.25);
    tail.quadTo(6.25, 15, 8.5, 11.25);
    tail.closeSubpath();
    c.fill(tail);
}

} // namespace

void airpods(Canvas& c) {
    earbud(c, true, 3.1, 10.25);
    earbud(c, false, 3.1, 10.25);
}

void airpodsPro(Canvas& c) {
    earbud(c, true, 3.1, 6.5);
    earbud(c, false, 3.1, 6.5);
}

void laptop(Canvas& c) {
    c.stroke(Canvas::roundedRect(QRectF(2.75, 2.75, 10.5, 8), 1.2), 1.5);
    c.fill(Canvas::roundedRect(QRectF(0.5, 12, 15, 2.25), 1.1));
}

void hifiSpeaker(Canvas& c) {
    c.fill(Canvas::roundedRect(QRectF(3, 0.75, 10, 14.5), 2));
    c.eraseDisk(QPointF(8, 4.5), 1.4);
    c.eraseDisk(QPointF(8, 10.25), 3.1);
    c.disk(QPointF(8, 10.25), 1.5);
}

void cableConnector(Canvas& c) {
    c.fill(Canvas::roundedRect(QRectF(5.5, 0.75, 1.5, 4), 0.5));
    c.fill(Canvas::roundedRect(QRectF(9, 0.75, 1.5, 4), 0.5));
    c.fill(Canvas::roundedRect(QRectF(3.75, 4.5, 8.5, 6.5), 1.5));
    c.line(QPointF(8, 10.5), QPointF(8, 15.25), 2.25, Qt::FlatCap);
}

void trayFill(Canvas& c) {
    QPainterPath walls(QPointF(1.5, 9));
    walls.lineTo(3.25, 2.75);
    walls.lineTo(12.75, 2.75);
    walls.lineTo(14.5, 9);
    c.stroke(walls, 1.5);
    c.fill(Canvas::roundedRect(QRectF(0.75, 8.25, 14.5, 6), 1.75));
    // the dip in the middle of the tray's lip
    c.erase(Canvas::roundedRect(QRectF(5, 6, 6, 4.25), 1.6));
}

void bolt(Canvas& c) {
    c.fill(boltPath());
}

void boltBadgeA(Canvas& c) {
    QTransform shrink;
    shrink.translate(0.5, 0);
    shrink.scale(0.85, 0.85);
    c.fill(shrink.map(boltPath()));
    badged(c, [](Canvas& b) {
        b.disk(QPointF(12.25, 12.25), 3.5);
        b.erase(Canvas::textPath(QStringLiteral("A"), QRectF(10.35, 10.35, 3.8, 3.8)));
    });
}

void sunMin(Canvas& c) {
    const QPointF centre(8, 8);
    c.disk(centre, 3.1);
    for (int i = 0; i < 8; ++i) {
        const double angle = i * std::numbers::pi / 4;
        c.disk(centre + QPointF(std::cos(angle), std::sin(angle)) * 5.9, 0.95);
    }
}

void timer(Canvas& c) {
    const QPointF centre(8, 8.5);
    QPainterPath dial;
    dial.arcMoveTo(QRectF(1.75, 2.25, 12.5, 12.5), 105);
    dial.arcTo(QRectF(1.75, 2.25, 12.5, 12.5), 105, 330);
    c.stroke(dial, 1.5);
    c.line(QPointF(8, 1), QPointF(8, 4.25), 1.5);
    c.line(centre, QPointF(10.9, 5.6), 1.5);
    c.disk(centre, 1.3);
}

void stopwatch(Canvas& c) {
    const QPointF centre(8, 9.25);
    c.ring(centre, 5.75, 1.5);
    c.fill(Canvas::roundedRect(QRectF(5.75, 0.5, 4.5, 1.6), 0.6));
    c.line(QPointF(8, 2), QPointF(8, 3.25), 1.5, Qt::FlatCap);
    c.line(QPointF(12.4, 3.9), QPointF(13.5, 5), 1.5);
    c.line(centre, QPointF(8, 5.75), 1.5);
    c.disk(centre, 1.2);
}

void checklist(Canvas& c) {
    for (const double y : {3.0, 8.0, 13.0}) {
        QPainterPath tick(QPointF(1, y));
        tick.lineTo(2.4, y + 1.3);
        tick.lineTo(4.9, y - 1.5);
        c.stroke(tick, 1.4);
        c.line(QPointF(7.25, y), QPointF(14.75, y), 1.75);
    }
}

void personCropCircle(Canvas& c) {
    const QPointF centre(8, 8);
    c.ring(centre, 6.75, 1.5);
    c.disk(QPointF(8, 6.25), 2.6);
    QPainterPath shoulders;
    shoulders.addEllipse(QPointF(8, 14.75), 5.25, 4.5);
    c.fill(shoulders.intersected(Canvas::circle(centre, 6.2)));
}

void thermometer(Canvas& c) {
    QPainterPath outline = Canvas::roundedRect(QRectF(6, 0.75, 4, 11), 2);
    outline = outline.united(Canvas::circle(QPointF(8, 12.25), 3.25));
    c.stroke(outline, 1.5);
    c.disk(QPointF(8, 12.25), 1.75);
    c.line(QPointF(8, 5), QPointF(8, 11.5), 1.6);
}

void flame(Canvas& c) {
    QPainterPath outer(QPointF(8, 0.5));
    outer.cubicTo(9, 3.5, 13.5, 5.5, 13.5, 10);
    outer.cubicTo(13.5, 13.2, 11, 15.5, 8, 15.5);
    outer.cubicTo(5, 15.5, 2.5, 13.2, 2.5, 10.2);
    outer.cubicTo(2.5, 7.5, 4.2, 6, 5, 4.5);
    outer.cubicTo(5.3, 6.5, 6, 7.5, 6.8, 7.8);
    outer.cubicTo(6.6, 5, 7, 2.5, 8, 0.5);
    outer.closeSubpath();
    c.fill(outer);
    QPainterPath inner(QPointF(8, 8.8));
    inner.cubicTo(9, 10, 10.3, 11, 10.3, 12.6);
    inner.cubicTo(10.3, 13.9, 9.3, 14.5, 8, 14.5);
    inner.cubicTo(6.7, 14.5, 5.7, 13.9, 5.7, 12.6);
    inner.cubicTo(5.7, 11, 7, 10, 8, 8.8);
    inner.closeSubpath();
    c.erase(inner);
}

void cupAndSaucer(Canvas& c) {
    QPainterPath cup(QPointF(1.75, 5));
    cup.lineTo(11.25, 5);
    cup.lineTo(11.25, 8.5);
    cup.cubicTo(11.25, 11, 9.25, 12.5, 6.5, 12.5);
    cup.cubicTo(3.75, 12.5, 1.75, 11, 1.75, 8.5);
    cup.closeSubpath();
    c.fill(cup);
    c.ring(QPointF(12, 7.75), 1.9, 1.3);
    c.fill(Canvas::roundedRect(QRectF(0.5, 13.5, 15, 1.75), 0.875));
    c.withOpacity(0.6, [](Canvas& steam) {
        steam.line(QPointF(5, 1), QPointF(5, 3), 1.2);
        steam.line(QPointF(8, 1), QPointF(8, 3), 1.2);
    });
}

void mapFill(Canvas& c) {
    c.fill(polygon({{0.75, 2.75},
                    {5.25, 1},
                    {10.75, 2.75},
                    {15.25, 1},
                    {15.25, 13.25},
                    {10.75, 15},
                    {5.25, 13.25},
                    {0.75, 15}}));
    QPainterPath folds(QPointF(5.25, 1.25));
    folds.lineTo(5.25, 13.25);
    folds.moveTo(10.75, 2.75);
    folds.lineTo(10.75, 14.75);
    c.eraseStroke(folds, 0.9, Qt::FlatCap);
}

void link(Canvas& c) {
    QTransform turn;
    turn.translate(8, 8);
    turn.rotate(-45);
    const QPainterPath left = Canvas::roundedRect(QRectF(-7, -2.4, 8.25, 4.8), 2.4);
    const QPainterPath right = Canvas::roundedRect(QRectF(-1.25, -2.4, 8.25, 4.8), 2.4);
    c.stroke(turn.map(left), 1.6);
    c.stroke(turn.map(right), 1.6);
}

void messageFill(Canvas& c) {
    bubble(c, true);
}

void characterBubble(Canvas& c) {
    bubble(c, false);
    c.erase(Canvas::textPath(QStringLiteral("A"), QRectF(4.75, 3.25, 6.5, 6.5)));
}

void starOutline(Canvas& c) {
    QPainterPath star;
    const QPointF centre(8, 8.6);
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const double radius = i % 2 == 0 ? 7.2 : 3.1;
        const QPointF p = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        if (i == 0)
            star.moveTo(p);
        else
            star.lineTo(p);
    }
    star.closeSubpath();
    c.stroke(star, 1.4);
}

void sparkles(Canvas& c) {
    c.fill(fourPointStar(QPointF(6.25, 9.5), 6));
    c.fill(fourPointStar(QPointF(12.5, 3.5), 3));
    c.fill(fourPointStar(QPointF(13, 12.5), 2.25));
}

void questionmark(Canvas& c) {
    c.fill(Canvas::textPath(QStringLiteral("?"), QRectF(3.5, 0.75, 9, 14.5)));
}

void shazamLogo(Canvas& c) {
    c.disk(QPointF(8, 8), 7.5);
    c.erase(Canvas::textPath(QStringLiteral("S"), QRectF(4.5, 3.25, 7, 9.5)));
}

} // namespace vesk::symbols::drawn
