#pragma once

#include "Vesk/Notch/NotchSurfaceView.h"
#include "VeskKit/Gestures/SwipePhase.h"

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QRegion>
#include <QUrl>
#include <QWidget>

#include <functional>

class QMenu;
class QMimeData;

namespace vesk {

// The content of a notch panel: it holds the root view, decides where the panel takes
// pointer input (inside the drawn outline within the interactive rectangle, or the
// whole drop area while a drag is armed or over it), and turns drags of files, scrolling
// and right clicks into the callbacks the window controller installs.
class NotchHostingView : public QWidget {
    Q_OBJECT

public:
    explicit NotchHostingView(QWidget* parent = nullptr);

    // The content; it fills this view.
    void setRootView(NotchSurfaceView* root);
    NotchSurfaceView* rootView() const { return m_root; }

    // Where the notch takes pointer input, kept current by the window controller; it is
    // placed centred in this view, as the outline is.
    QRectF interactiveRect() const { return m_interactiveRect; }
    void setInteractiveRect(const QRectF& rect);
    // The drop area while armed.
    QRectF dropRect() const { return m_dropRect; }
    void setDropRectForDrag(const QRectF& rect);
    bool isDragging() const { return m_isDragging; }
    bool isArmed() const { return m_isArmed; }
    // Disarming also ends a drag in progress, so the input area shrinks back.
    void setArmed(bool armed);
    bool isSourcingDrag() const { return m_isSourcingDrag; }
    // While a drag out of the tray runs, the notch refuses it.
    void setSourcingDrag(bool sourcing) { m_isSourcingDrag = sourcing; }

    // Where the panel takes pointer input now, in this view's coordinates.
    QRegion liveRegion() const;
    // What the panel draws now: the content's outline.
    QRegion visibleRegion() const;
    // True when a click at `point` reaches the notch; false lets it through.
    bool hitTest(const QPointF& point) const { return liveRegion().contains(point.toPoint()); }

    std::function<void(const QString&)> onDragDiagnostic;
    std::function<void(const QList<QUrl>&)> onDragEntered;
    std::function<void()> onDragExited;
    std::function<void(const QPointF&)> onDragMoved;
    std::function<bool(const QList<QUrl>&, const QPointF&)> onDrop;
    // The right-click menu; none lets the click through to the usual handling.
    std::function<QMenu*()> contextMenuProvider;
    std::function<void(double dx, double dy, SwipePhase phase)> onScroll;

    // The local files of a drag; other URLs are left out.
    static QList<QUrl> fileURLs(const QMimeData* data);
    // Qt's scroll phases as the gesture recogniser knows them; momentum counts as a change.
    static SwipePhase swipePhase(Qt::ScrollPhase phase);

Q_SIGNALS:
    // liveRegion() or visibleRegion() may have changed.
    void regionsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setDragging(bool dragging);

    QPointer<NotchSurfaceView> m_root;
    QRectF m_interactiveRect;
    QRectF m_dropRect;
    bool m_isDragging = false;
    bool m_isArmed = false;
    bool m_isSourcingDrag = false;
};

} // namespace vesk
