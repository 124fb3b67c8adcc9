#pragma once

class QPainter;
class QWidget;

namespace vesk::dimming {

// A control that cannot be used is disabled and drawn at this opacity.
inline constexpr double dimmedOpacity = 0.45;

// Disables the widget (and so everything in it) and marks it dimmed, or undoes both.
void setDimmed(QWidget* widget, bool dimmed);
bool isDimmed(const QWidget* widget);

// The opacity the widget is drawn at: dimmedOpacity for every dimmed widget from it up
// to its window, multiplied, so a dimmed row in a dimmed card is dimmer still. Every
// painted control of the settings window draws at it.
double opacity(const QWidget* widget);
// Sets the painter's opacity for the widget.
void apply(QPainter& painter, const QWidget* widget);

} // namespace vesk::dimming
