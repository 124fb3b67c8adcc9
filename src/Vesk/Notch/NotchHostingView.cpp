#include "Vesk/Notch/NotchHostingView.h"

#include "Vesk/Notch/NotchSurfaceView.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QWheelEvent>

namespace vesk {

NotchHostingView::NotchHostingView(QWidget* parent) : QWidget(parent) {
    setAcceptDrops(true);
}

void NotchHostingView::setRootView(NotchSurfaceView* root) {
    if (m_root == root) return;
    if (m_root) m_root->disconnect(this);
    m_root = root;
    if (root) {
        root->setParent(this);
        root->setGeometry(rect());
        root->show();
        connect(root, &NotchSurfaceView::surfaceChanged, this, &NotchHostingView::regionsChanged);
    }
    Q_EMIT regionsChanged();
}

void NotchHostingView::setInteractiveRect(const QRectF& rect) {
    if (rect == m_interactiveRect) return;
    m_interactiveRect = rect;
    Q_EMIT regionsChanged();
}

void NotchHostingView::setDropRectForDrag(const QRectF& rect) {
    if (rect == m_dropRect) return;
    m_dropRect = rect;
    Q_EMIT regionsChanged();
}

void NotchHostingView::setArmed(bool armed) {
    const bool changed = armed != m_isArmed;
    m_isArmed = armed;
    if (!armed && m_isDragging) {
        m_isDragging = false;
        Q_EMIT regionsChanged();
    } else if (changed) {
        Q_EMIT regionsChanged();
    }
}

void NotchHostingView::setDragging(bool dragging) {
    if (dragging == m_isDragging) return;
    m_isDragging = dragging;
    Q_EMIT regionsChanged();
}

QRegion NotchHostingView::visibleRegion() const {
    if (!m_root) return {};
    const QPainterPath path = m_root->surfacePath();
    if (path.isEmpty()) return {};
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill).translated(m_root->pos());
}

QRegion NotchHostingView::liveRegion() const {
    // The rectangle is centred in the canvas of the state; the outline is centred in the
    // window as it is, which keeps a closing Desk's width until the shape has shrunk.
    QRectF centred = m_interactiveRect;
    centred.moveLeft((width() - centred.width()) / 2);
    // Rounding outward keeps the edge pixels of fractional rectangles.
    const QRegion interactive(centred.toAlignedRect());
    if (m_isDragging || m_isArmed) return interactive + QRegion(m_dropRect.toAlignedRect());
    if (interactive.isEmpty()) return {};
    // The outline lies inside the rectangle once it rests; while it shrinks toward it, all
    // of what is drawn takes clicks, since that is where the user sees the notch. Outside
    // the outline (the flares' corners, the slack) clicks reach the windows below.
    return visibleRegion();
}

QList<QUrl> NotchHostingView::fileURLs(const QMimeData* data) {
    QList<QUrl> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.append(url);
    return files;
}

SwipePhase NotchHostingView::swipePhase(Qt::ScrollPhase phase) {
    switch (phase) {
    case Qt::ScrollBegin:
        return SwipePhase::began;
    case Qt::ScrollUpdate:
    case Qt::ScrollMomentum:
        return SwipePhase::changed;
    case Qt::ScrollEnd:
        return SwipePhase::ended;
    case Qt::NoScrollPhase:
        break;
    }
    return SwipePhase::none;
}

void NotchHostingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_root) m_root->setGeometry(rect());
    Q_EMIT regionsChanged();
}

void NotchHostingView::dragEnterEvent(QDragEnterEvent* event) {
    if (onDragDiagnostic)
        onDragDiagnostic(QStringLiteral("draggingEntered sourcing=") +
                         (m_isSourcingDrag ? QStringLiteral("true") : QStringLiteral("false")) +
                         QStringLiteral(" armed=") +
                         (m_isArmed ? QStringLiteral("true") : QStringLiteral("false")));
    if (m_isSourcingDrag) {
        event->ignore();
        return;
    }
    setDragging(true);
    if (onDragEntered) onDragEntered(fileURLs(event->mimeData()));
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchHostingView::dragMoveEvent(QDragMoveEvent* event) {
    if (m_isSourcingDrag) {
        event->ignore();
        return;
    }
    if (onDragMoved) onDragMoved(event->position());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchHostingView::dragLeaveEvent(QDragLeaveEvent* event) {
    setDragging(false);
    if (onDragExited) onDragExited();
    event->accept();
}

void NotchHostingView::dropEvent(QDropEvent* event) {
    if (m_isSourcingDrag) {
        event->ignore();
        return;
    }
    setDragging(false);
    if (!onDrop || !onDrop(fileURLs(event->mimeData()), event->position())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void NotchHostingView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = contextMenuProvider ? contextMenuProvider() : nullptr;
    if (!menu) {
        event->ignore();
        return;
    }
    menu->popup(event->globalPos());
    if (m_root) m_root->watchPopup(menu);
    event->accept();
}

void NotchHostingView::wheelEvent(QWheelEvent* event) {
    if (!onScroll) {
        event->ignore();
        return;
    }
    // Touchpads report pixels; wheels report eighths of a degree, a notch being 15°.
    const QPointF delta =
        !event->pixelDelta().isNull() ? QPointF(event->pixelDelta()) : QPointF(event->angleDelta()) / 8.0;
    onScroll(delta.x(), delta.y(), swipePhase(event->phase()));
    event->accept();
}

} // namespace vesk
