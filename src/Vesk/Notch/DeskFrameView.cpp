#include "Vesk/Notch/DeskFrameView.h"

#include <algorithm>

namespace vesk {

DeskFrameView::DeskFrameView(DeskTab tab, double headerHeight, double inset, QWidget* parent)
    : QWidget(parent), m_tab(tab), m_headerHeight(headerHeight), m_inset(inset) {}

void DeskFrameView::setHeaderHeight(double height) {
    if (height == m_headerHeight) return;
    m_headerHeight = height;
    relayout();
}

QRectF DeskFrameView::headerRect() const {
    return QRectF(m_inset, 0, std::max(0.0, width() - 2 * m_inset), m_headerHeight);
}

QRectF DeskFrameView::contentRect() const {
    const double top = m_headerHeight + headerSpacing;
    return QRectF(m_inset, top, std::max(0.0, width() - 2 * m_inset), std::max(0.0, height() - top));
}

} // namespace vesk
