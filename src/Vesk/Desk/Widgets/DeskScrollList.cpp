#include "Vesk/Desk/Widgets/DeskScrollList.h"

#include <QWheelEvent>

namespace vesk {

DeskScrollList::DeskScrollList(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void DeskScrollList::setContent(QWidget* content) {
    setWidget(content);
    if (content) content->setAutoFillBackground(false);
}

void DeskScrollList::wheelEvent(QWheelEvent* event) {
    QScrollArea::wheelEvent(event);
    event->accept();
}

} // namespace vesk
