#include "Vesk/Tray/TrayDragHandle.h"

#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskPlatform/Files/TypeIcons.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include <cmath>

namespace vesk {

namespace {

void announce(bool sourcing) {
    NotificationCenter::defaultCenter().post(notchNotifications::veskTrayDragChanged,
                                             {{notchNotifications::sourcingKey, sourcing}});
}

Qt::DropAction execDrag(QWidget* source, QMimeData* data, const QPixmap& pixmap, Qt::DropAction supported) {
    // Made with new: an X11 target asks for the data after exec() has begun.
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!pixmap.isNull()) {
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2) / pixmap.devicePixelRatio());
    }
    return drag->exec(supported, supported);
}

} // namespace

TrayDragHandle::TrayDragHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
}

TrayDragHandle::~TrayDragHandle() = default;

bool TrayDragHandle::draggingIsMove() const {
    const bool alt = altHeld ? altHeld() : (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier);
    return copyByDefault != !alt;
}

void TrayDragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressOrigin = event->globalPosition();
}

void TrayDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || items.isEmpty()) return;
    if (m_pressOrigin) {
        const QPointF moved = event->globalPosition() - *m_pressOrigin;
        if (std::hypot(moved.x(), moved.y()) <= clickDistance) return;
    }
    m_pressOrigin.reset();
    startDrag();
}

void TrayDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool clicked = m_pressOrigin.has_value();
    m_pressOrigin.reset();
    if (clicked && onClick) onClick();
}

void TrayDragHandle::startDrag() {
    const bool move = draggingIsMove();
    const QList<TrayItem> dragged = items;
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const TrayItem& item : dragged)
        urls.append(item.storedURL());
    data->setUrls(urls);
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(uti::iconImage(dragged.first().utType(), int(std::ceil(48 * ratio))));
    pixmap.setDevicePixelRatio(ratio);

    const QPointer<TrayDragHandle> self(this);
    announce(true);
    const Qt::DropAction supported = move ? Qt::MoveAction : Qt::CopyAction;
    const Qt::DropAction done =
        performer ? performer(this, data, pixmap, supported) : execDrag(this, data, pixmap, supported);
    announce(false);
    // Qt reports a target's own move on X11 as TargetMoveAction.
    if (self && move && (done == Qt::MoveAction || done == Qt::TargetMoveAction) && self->onMovedAway) {
        const auto movedAway = self->onMovedAway;
        movedAway(dragged);
    }
}

} // namespace vesk
