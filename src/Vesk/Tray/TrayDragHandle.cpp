#include "Vesk/Tray/TrayDragHandle.h"

#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskPlatform/Files/TypeIcons.h"

#include <QDrag>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace vesk {

namespace {

void announce(bool sourcing) {
    NotificationCenter::defaultCenter().post(notchNotifications::veskTrayDragChanged,
                                             {{notchNotifications::sourcingKey, sourcing}});
}

bool exists(const TrayItem& item) {
    return QFileInfo(item.storedPath).exists() || QFileInfo(item.storedPath).isSymLink();
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
    if (self && move && (done == Qt::MoveAction || done == Qt::TargetMoveAction)) self->reportGone(dragged);
}

void TrayDragHandle::deliver(const QList<TrayItem>& gone) {
    // Removing items rebuilds the row, which may drop this handle's chip: never inside
    // this handle's own event or its watcher's signal.
    QMetaObject::invokeMethod(
        this,
        [this, gone] {
            const auto removed = onRemoved;
            if (removed) removed(gone);
        },
        Qt::QueuedConnection);
}

void TrayDragHandle::reportGone(const QList<TrayItem>& dragged) {
    QList<TrayItem> gone;
    QList<TrayItem> remaining;
    for (const TrayItem& item : dragged)
        (exists(item) ? remaining : gone).append(item);
    if (!remaining.isEmpty()) watch(remaining);
    if (!gone.isEmpty()) deliver(gone);
}

void TrayDragHandle::watch(const QList<TrayItem>& remaining) {
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
            QList<TrayItem> gone;
            for (auto it = m_watched.begin(); it != m_watched.end();) {
                if (exists(*it)) {
                    ++it;
                    continue;
                }
                gone.append(*it);
                it = m_watched.erase(it);
            }
            if (!gone.isEmpty()) deliver(gone);
        });
    }
    for (const TrayItem& item : remaining) {
        m_watched.append(item);
        m_watcher->addPath(QFileInfo(item.storedPath).absolutePath());
    }
    const QPointer<TrayDragHandle> self(this);
    const QList<TrayItem> batch = remaining;
    QTimer::singleShot(int(recheckSeconds * 1000), this, [this, batch] {
        for (const TrayItem& item : batch)
            m_watched.removeAll(item);
        if (m_watched.isEmpty() && m_watcher) {
            delete m_watcher;
            m_watcher = nullptr;
        }
    });
}

} // namespace vesk
