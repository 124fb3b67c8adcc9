#include "Vesk/SettingsWindow/ScrollEdgeVeil.h"

#include "VeskUI/Tokens/Vesk.h"

#include <QLinearGradient>
#include <QPainter>

namespace vesk {

ScrollEdgeVeil::ScrollEdgeVeil(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedHeight(bandHeight);
}

void ScrollEdgeVeil::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor solid = Vesk::Ink::x950;
    solid.setAlphaF(0.55f);
    QColor clear = solid;
    clear.setAlphaF(0);
    QLinearGradient band(0, 0, 0, height());
    band.setColorAt(0, solid);
    band.setColorAt(0.7, solid);
    band.setColorAt(1, clear);
    painter.fillRect(rect(), band);
}

} // namespace vesk
