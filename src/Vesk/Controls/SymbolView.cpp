#include "Vesk/Controls/SymbolView.h"

#include "Vesk/Controls/Dimming.h"
#include "VeskUI/Symbols/Symbols.h"

#include <QPainter>

#include <cmath>

namespace vesk {

SymbolView::SymbolView(QString name, double size, QColor color, QWidget* parent)
    : QWidget(parent), m_name(std::move(name)), m_color(color) {
    const int side = int(std::ceil(Symbols::sideForFontSize(size)));
    setFixedSize(side, side);
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, this);
    Symbols::paint(painter, QRectF(rect()), m_name, m_color);
}

} // namespace vesk
