#include "Vesk/Menus/StatusItem.h"

#include "VeskUI/Symbols/Symbols.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace vesk {

std::unique_ptr<StatusItem> StatusItem::createIfTrayAvailable(const StatusMenuState& state,
                                                              const MenuActions& actions) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
    return std::make_unique<StatusItem>(state, actions);
}

StatusItem::StatusItem(const StatusMenuState& state, const MenuActions& actions, QObject* parent)
    : QObject(parent), m_menu(buildStatusMenu(state, actions)), m_icon(std::make_unique<QSystemTrayIcon>()) {
    // Trays sit on dark panels far more often than on light ones.
    m_icon->setIcon(Symbols::icon(symbolName(), Qt::white));
    m_icon->setToolTip(QStringLiteral("VeskNotch"));
    m_icon->setContextMenu(m_menu.get());
    // The menu is the item's only use, so a plain click opens it too.
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) m_menu->popup(QCursor::pos());
            });
    m_icon->show();
}

StatusItem::~StatusItem() = default;

} // namespace vesk
