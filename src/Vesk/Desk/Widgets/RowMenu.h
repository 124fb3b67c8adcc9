#pragma once

#include <QList>
#include <QPoint>
#include <QString>

#include <functional>

class QMenu;
class QObject;

namespace vesk {

// The secondary-click menu of a row in a desk widget. Each item's action runs only
// while `holder` (the widget that owns the list) still exists, so an item chosen after
// the row or the desk went away does nothing; actions should capture the row's id, not
// the row. The menu deletes itself once closed. The caller accepts the context-menu
// event, so the notch's own menu does not open as well.
struct RowMenuItem {
    // An empty title is a divider.
    QString title;
    std::function<void()> action;
    // An entry that deletes something: its text in the destructive colour.
    bool destructive = false;
};

// The property that marks a destructive entry's action.
inline constexpr char destructiveProperty[] = "veskDestructive";

QMenu* popupRowMenu(QObject* holder, const QPoint& globalPosition, const QList<RowMenuItem>& items);

} // namespace vesk
