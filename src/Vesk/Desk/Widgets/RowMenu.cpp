#include "Vesk/Desk/Widgets/RowMenu.h"

#include <QMenu>
#include <QPointer>

namespace vesk {

QMenu* popupRowMenu(QObject* holder, const QPoint& globalPosition, const QList<RowMenuItem>& items) {
    // Not a child of the row: a row deleted while its menu is open must not take the
    // menu down inside its own event handling.
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<QObject> weak(holder);
    for (const RowMenuItem& item : items) {
        if (item.title.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.title);
        QObject::connect(action, &QAction::triggered, menu, [weak, run = item.action] {
            if (weak && run) run();
        });
    }
    menu->popup(globalPosition);
    return menu;
}

} // namespace vesk
