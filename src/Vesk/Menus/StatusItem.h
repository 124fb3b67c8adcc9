#pragma once

#include "Vesk/Menus/ShellMenus.h"

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace vesk {

// The program's icon in the desktop's tray with the status menu. Built once; the menu
// is kept for the life of the item.
class StatusItem final : public QObject {
    Q_OBJECT
public:
    static QString symbolName() { return QStringLiteral("rectangle.topthird.inset.filled"); }

    // None when the desktop shows no tray (stock GNOME has none).
    static std::unique_ptr<StatusItem> createIfTrayAvailable(const StatusMenuState& state,
                                                             const MenuActions& actions);

    StatusItem(const StatusMenuState& state, const MenuActions& actions, QObject* parent = nullptr);
    ~StatusItem() override;

    QSystemTrayIcon* trayIcon() const { return m_icon.get(); }
    QMenu* menu() const { return m_menu.get(); }

private:
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace vesk
