#pragma once

#include "VeskServices/Tray/TrayItem.h"

#include <QList>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

class QMimeData;

namespace vesk {

// The part of a tray chip that is the drag source: a press and release that moved at
// most 4 points is a click; further, the items' stored files are dragged out as file
// URLs, as copies or (with the copy default inverted by Alt) as moves. The rest of the
// program hears of the drag through veskTrayDragChanged ("sourcing" true before it
// starts, false once it ended, dropped or cancelled).
//
// A drag that ended as a move hands its items to `onMovedAway`, which finds out which
// files the target took (TrayMoveWatch): the target may take them only after the drag
// returned.
class TrayDragHandle final : public QWidget {
    Q_OBJECT

public:
    // Runs the drag of `data` (taking ownership) with `pixmap` and the one `supported`
    // action; answers the action the target performed (Qt::IgnoreAction when none).
    using DragPerformer = std::function<Qt::DropAction(QWidget* source, QMimeData* data,
                                                       const QPixmap& pixmap, Qt::DropAction supported)>;

    static constexpr double clickDistance = 4;
    static constexpr double recheckSeconds = 60;

    explicit TrayDragHandle(QWidget* parent = nullptr);
    ~TrayDragHandle() override;

    QList<TrayItem> items;
    bool copyByDefault = true;
    std::function<void()> onClick;
    std::function<void(const QList<TrayItem>& dragged)> onMovedAway;
    // Whether Alt is held now; the keyboard's when empty.
    std::function<bool()> altHeld;
    // QDrag::exec when empty.
    DragPerformer performer;

    // Whether the drag that starts now would move: the copy default, inverted by Alt.
    bool draggingIsMove() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void startDrag();

    std::optional<QPointF> m_pressOrigin;
};

} // namespace vesk
