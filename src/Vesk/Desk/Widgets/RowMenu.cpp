#include "Vesk/Desk/Widgets/RowMenu.h"

#include "Vesk/Notch/NotchSurfaceView.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QMenu>
#include <QPointer>
#include <QStyleOptionMenuItem>

namespace vesk {

namespace {

class RowMenu final : public QMenu {
protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override {
        QMenu::initStyleOption(option, action);
        if (!action || !action->property(destructiveProperty).toBool()) return;
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            option->palette.setColor(role, Vesk::Semantic::oxblood);
    }
};

} // namespace

QMenu* popupRowMenu(QObject* holder, const QPoint& globalPosition, const QList<RowMenuItem>& items) {
    // Not a child of the row: a row deleted while its menu is open must not take the
    // menu down inside its own event handling.
    auto* menu = new RowMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<QObject> weak(holder);
    for (const RowMenuItem& item : items) {
        if (item.title.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.title);
        action->setProperty(destructiveProperty, item.destructive);
        QObject::connect(action, &QAction::triggered, menu, [weak, run = item.action] {
            if (weak && run) run();
        });
    }
    menu->popup(globalPosition);
    NotchSurfaceView::watchPopupFrom(qobject_cast<QWidget*>(holder), menu);
    return menu;
}

} // namespace vesk
