#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace vesk::test {

// What a widget shows, children included, on a transparent ground: alpha 0 wherever it
// draws nothing. One pixel a point.
inline QImage widgetImage(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QColor pixel(const QImage& image, double x, double y) {
    return image.pixelColor(int(x), int(y));
}

// True when the colour is `expected` within a few steps per channel (antialiasing, the
// premultiplied round trip).
inline bool near(const QColor& actual, const QColor& expected, int tolerance = 3) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance &&
           std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

} // namespace vesk::test
