#include "Vesk/Menus/ShellMenus.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include <array>
#include <optional>

namespace vesk {

namespace {

enum class Entry {
    permissions,
    exportDiagnostics,
    checkForUpdates,
    toggleDesk,
    showOnboarding,
    openSettings,
    quit,
    keepAwake,
    separator
};

struct PrivacyPaneItem {
    const char* title;
    const char* anchor;
};

// No entry for access to every file: nothing here grants it. A program reads what its
// user can, and a sandboxed one what its package declares.
constexpr std::array<PrivacyPaneItem, 3> privacyPanes{{
    {"Key Interception…", "Privacy_Accessibility"},
    {"Key Monitoring…", "Privacy_ListenEvent"},
    {"Bluetooth (Desktop Settings)…", "Privacy_Bluetooth"},
}};

QList<Entry> statusEntries(const StatusMenuState& state) {
    QList<Entry> entries{Entry::permissions, Entry::separator, Entry::exportDiagnostics};
    if (state.updatesAvailable) entries.append(Entry::checkForUpdates);
    entries.append({Entry::toggleDesk, Entry::separator, Entry::showOnboarding, Entry::openSettings,
                    Entry::separator, Entry::quit});
    return entries;
}

QList<Entry> contextEntries(const ContextMenuState& state) {
    QList<Entry> entries{Entry::toggleDesk, Entry::keepAwake, Entry::openSettings};
    if (state.updatesAvailable) entries.append(Entry::checkForUpdates);
    entries.append({Entry::separator, Entry::quit});
    return entries;
}

// The chosen action runs from the event loop once the menu's own handling of the click or
// key is over: what it does may outlive the menu, which is free to go as soon as it hides.
void afterMenuCloses(std::function<void()> action) {
    QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
}

QAction* addAction(QMenu* menu, const QString& title, const std::function<void()>& action) {
    QAction* item = menu->addAction(title);
    item->setEnabled(static_cast<bool>(action));
    if (action) QObject::connect(item, &QAction::triggered, item, [action] { afterMenuCloses(action); });
    return item;
}

// An entry that opens (`open` true) or closes the Desk, as its title said; without `open`,
// the other way from the Desk at the moment of the choice. What the menu's closing sets off
// runs first and may have done it already (the notch judges the pointer, gone beside the
// Desk, and closes it): a plain toggle would then undo it.
QAction* addDeskAction(QMenu* menu, const QString& title, const MenuActions& actions,
                       std::optional<bool> open) {
    QAction* item = menu->addAction(title);
    item->setEnabled(static_cast<bool>(actions.toggleDesk));
    if (!actions.toggleDesk) return item;
    QObject::connect(item, &QAction::triggered, item,
                     [open, toggle = actions.toggleDesk, isOpen = actions.isDeskOpen] {
                         const bool wanted = open ? *open : !(isOpen && isOpen());
                         afterMenuCloses([wanted, toggle, isOpen] {
                             if (!isOpen || isOpen() != wanted) toggle();
                         });
                     });
    return item;
}

void setKeyEquivalent(QAction* item, QKeyCombination keys) {
    item->setShortcut(QKeySequence(keys));
    item->setShortcutVisibleInContextMenu(true);
}

void addPermissionsMenu(QMenu* menu, QMenu* root, const MenuActions& actions) {
    QMenu* submenu = menu->addMenu(QStringLiteral("Permissions"));
    addAction(submenu, QStringLiteral("Enable Bluetooth Access…"), actions.requestBluetooth);
    addAction(submenu, QStringLiteral("Enable Key Monitoring…"), actions.requestInputMonitoring);
    for (const PrivacyPaneItem& pane : privacyPanes) {
        const QString anchor = QString::fromLatin1(pane.anchor);
        std::function<void()> open;
        if (actions.openPrivacyPane)
            open = [openPane = actions.openPrivacyPane, anchor] { openPane(anchor); };
        addAction(submenu, QString::fromUtf8(pane.title), open)->setData(anchor);
    }
    submenu->addSeparator();

    QAction* hud = submenu->addAction(QStringLiteral("Replace System HUDs"));
    hud->setCheckable(true);
    hud->setEnabled(static_cast<bool>(actions.toggleSuppression));
    // The setting can change elsewhere (the settings window): read it whenever a menu opens.
    const auto refresh = [hud, read = actions.isSuppressingHUDs] {
        if (read) hud->setChecked(read());
    };
    refresh();
    QObject::connect(root, &QMenu::aboutToShow, hud, refresh);
    QObject::connect(submenu, &QMenu::aboutToShow, hud, refresh);
    if (actions.toggleSuppression)
        QObject::connect(hud, &QAction::triggered, hud, [hud, toggle = actions.toggleSuppression] {
            // Checking the entry flipped its mark; the setting decides it once the toggle ran.
            hud->setChecked(!hud->isChecked());
            afterMenuCloses([entry = QPointer<QAction>(hud), toggle] {
                const bool on = toggle();
                if (entry) entry->setChecked(on);
            });
        });
}

void addEntry(QMenu* menu, QMenu* root, Entry entry, const MenuActions& actions,
              const ContextMenuState* context) {
    switch (entry) {
    case Entry::permissions:
        addPermissionsMenu(menu, root, actions);
        return;
    case Entry::exportDiagnostics:
        addAction(menu, QStringLiteral("Export Diagnostics…"), actions.exportDiagnostics);
        return;
    case Entry::checkForUpdates: {
        QAction* item = addAction(menu, QStringLiteral("Check for Updates…"), actions.checkForUpdates);
        if (context) item->setEnabled(item->isEnabled() && context->canCheckForUpdates);
        return;
    }
    case Entry::toggleDesk:
        if (!context)
            addDeskAction(menu, QStringLiteral("Toggle Desk"), actions, std::nullopt);
        else
            addDeskAction(menu,
                          context->deskOpen ? QStringLiteral("Close Desk") : QStringLiteral("Open Desk"),
                          actions, !context->deskOpen);
        return;
    case Entry::keepAwake: {
        const bool on = context && context->keepingAwake;
        QAction* item = addAction(menu, on ? QStringLiteral("Allow Sleep") : QStringLiteral("Keep Awake"),
                                  actions.toggleKeepAwake);
        item->setCheckable(true);
        item->setChecked(on);
        return;
    }
    case Entry::showOnboarding:
        addAction(menu, QStringLiteral("Welcome to VeskNotch…"), actions.showOnboarding);
        return;
    case Entry::openSettings:
        setKeyEquivalent(addAction(menu, QStringLiteral("Settings…"), actions.openSettings),
                         Qt::CTRL | Qt::Key_Comma);
        return;
    case Entry::quit:
        setKeyEquivalent(addAction(menu, QStringLiteral("Quit VeskNotch"), actions.quit),
                         Qt::CTRL | Qt::Key_Q);
        return;
    case Entry::separator:
        menu->addSeparator();
        return;
    }
}

} // namespace

QMenu* buildStatusMenu(const StatusMenuState& state, const MenuActions& actions, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (Entry entry : statusEntries(state))
        addEntry(menu, menu, entry, actions, nullptr);
    return menu;
}

QMenu* buildNotchContextMenu(const ContextMenuState& state, const MenuActions& actions, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const QList<Entry> own = contextEntries(state);
    for (Entry entry : own)
        addEntry(menu, menu, entry, actions, &state);

    if (state.includeStatusEntries) {
        QList<Entry> missing;
        for (Entry entry : statusEntries({state.updatesAvailable}))
            if (entry != Entry::separator && !own.contains(entry)) missing.append(entry);
        if (!missing.isEmpty()) menu->addSeparator();
        for (Entry entry : missing)
            addEntry(menu, menu, entry, actions, nullptr);
    }
    return menu;
}

} // namespace vesk
