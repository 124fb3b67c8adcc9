#pragma once

#include "Vesk/Menus/ShellMenus.h"
#include "Vesk/Menus/StatusItem.h"
#include "VeskKit/Diagnostics/DiagnosticsReport.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace vesk {

class ActivationHolds;
class ActivityBridge;
class ClipboardService;
class NotchViewModel;
class Permissions;
class SettingsStore;
class SyncCoordinator;
class TrayStore;
class UpdateService;

// What the status item and the notch's right-click menu do, over the long-lived objects
// the shell owns: the menus' actions, their state at each opening, and the facts of the
// diagnostics report. Main thread.
class MenuCommands final : public QObject {
    Q_OBJECT
public:
    // The shell's objects; each must outlive the commands.
    struct Parts {
        SettingsStore& settings;
        ActivityBridge& bridge;
        UpdateService& updates;
        Permissions& permissions;
        ActivationHolds& holds;
        // The notch of the display under the pointer (else the first); null without one.
        std::function<NotchViewModel*()> activeModel;
        // Every display's notch, in the window controller's order.
        std::function<QList<NotchViewModel*>()> models;
        std::function<TrayStore*()> trayStore;
        // The clipboard history; null without one.
        std::function<const ClipboardService*()> clipboardService = {};
    };

    explicit MenuCommands(Parts parts, QObject* parent = nullptr);
    ~MenuCommands() override;

    // The windows' openers and the way out, which the shell provides. Entries whose
    // opener is not set are shown disabled.
    void setOpenSettings(std::function<void()> open) { m_openSettings = std::move(open); }
    void setShowOnboarding(std::function<void()> show) { m_showOnboarding = std::move(show); }
    void setQuit(std::function<void()> quit) { m_quit = std::move(quit); }
    // The synced store's coordinator, for the report's sync and push rows; held weakly.
    void setSyncCoordinator(SyncCoordinator* sync);

    MenuActions actions();
    StatusMenuState statusState() const;
    ContextMenuState contextState() const;

    // The status item, once, when the desktop has a tray.
    void buildStatusItem();
    StatusItem* statusItem() const { return m_statusItem.get(); }
    // A new right-click menu for the state now.
    std::unique_ptr<QMenu> contextMenu();

    DiagnosticsReport buildDiagnostics() const;
    // Gathers the report, asks where to save it and saves it.
    void exportDiagnostics();

    // "Replace System HUDs" on or off; the setting afterwards. Turning it on tries the
    // keys afresh and explains, changing nothing, when another program holds them now.
    bool toggleSuppression();
    // Starts the key tap again in the mode the setting asks for now.
    void restartEventTap();
    // The System HUDs card's "Allow…": asks afresh whether the keys can be taken. When
    // they can and the setting is on, the tap restarts to intercept them at once; when
    // not, the desktop's page that frees them (or why there is none) is shown over
    // `window`. True when they can.
    bool allowKeyInterception(QWidget* window);
    // The Connectivity card's "Allow": asks for Bluetooth; when it is still not there,
    // says why over `window`.
    void allowBluetooth(QWidget* window);

    // Every hidden notch comes back; then the active one's Desk closes when open, else
    // the notch takes a click.
    void toggleDesk();

private:
    // The Desk of the display under the pointer (else the first) is open.
    bool isDeskOpen() const;

    Parts m_parts;
    std::function<void()> m_openSettings;
    std::function<void()> m_showOnboarding;
    std::function<void()> m_quit;
    std::unique_ptr<StatusItem> m_statusItem;
    QPointer<SyncCoordinator> m_sync;
    QPointer<QWidget> m_exportPanel;
};

} // namespace vesk
