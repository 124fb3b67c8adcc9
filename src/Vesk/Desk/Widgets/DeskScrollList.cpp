#include "Vesk/Desk/Widgets/DeskScrollList.h"

#include <QVBoxLayout>
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

DeskScrollList* DeskScrollList::ofRows(int spacing,
                                       const std::function<void(QWidget* column, QVBoxLayout* rows)>& fill) {
    auto* list = new DeskScrollList;
    auto* column = new QWidget;
    auto* rows = new QVBoxLayout(column);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(spacing);
    fill(column, rows);
    rows->addStretch(1);
    list->setContent(column);
    return list;
}

void DeskScrollList::wheelEvent(QWheelEvent* event) {
    QScrollArea::wheelEvent(event);
    event->accept();
}

} // namespace vesk
