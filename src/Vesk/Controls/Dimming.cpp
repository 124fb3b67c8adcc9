#include "Vesk/Controls/Dimming.h"

#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace vesk::dimming {

namespace {

constexpr const char* dimmedProperty = "veskDimmed";

} // namespace

void setDimmed(QWidget* widget, bool dimmed) {
    if (!widget || isDimmed(widget) == dimmed) return;
    widget->setProperty(dimmedProperty, dimmed);
    widget->setEnabled(!dimmed);
    // Children paint with the product of their ancestors' opacities.
    widget->update();
}

bool isDimmed(const QWidget* widget) {
    return widget && widget->property(dimmedProperty).toBool();
}

double opacity(const QWidget* widget) {
    double result = 1.0;
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (isDimmed(w)) result *= dimmedOpacity;
    return result;
}

void apply(QPainter& painter, const QWidget* widget) {
    painter.setOpacity(opacity(widget));
}

} // namespace vesk::dimming
