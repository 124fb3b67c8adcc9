#pragma once

#include <QString>

#include <functional>

class QMenu;
class QWidget;

namespace vesk {

// What the menu entries do, all on the main thread. An entry whose action is missing
// is shown disabled.
struct MenuActions {
    std::function<void()> requestBluetooth;
    std::function<void()> requestInputMonitoring;
    // With the pane's anchor, e.g. "Privacy_Accessibility".
    std::function<void(const QString& anchor)> openPrivacyPane;
    // Turns "Replace System HUDs" on or off; returns the setting afterwards.
    std::function<bool()> toggleSuppression;
    // The setting as it is now, read whenever the menu opens.
    std::function<bool()> isSuppressingHUDs;
    std::function<void()> toggleDesk;
    // Whether the Desk of the display under the pointer is open now. With it, an entry
    // brings the Desk to what it meant when chosen, whatever came in between.
    std::function<bool()> isDeskOpen;
    std::function<void()> toggleKeepAwake;
    std::function<void()> checkForUpdates;
    std::function<void()> exportDiagnostics;
    std::function<void()> showOnboarding;
    std::function<void()> openSettings;
    std::function<void()> quit;
};

struct StatusMenuState {
    bool updatesAvailable = false;
    friend bool operator==(const StatusMenuState&, const StatusMenuState&) = default;
};

struct ContextMenuState {
    // The desk is open on the active display.
    bool deskOpen = false;
    bool keepingAwake = false;
    bool updatesAvailable = false;
    bool canCheckForUpdates = false;
    // There is no status item to reach the rest from: the status menu's entries this
    // menu lacks follow at the end, after a separator, in the status menu's order.
    bool includeStatusEntries = false;
    friend bool operator==(const ContextMenuState&, const ContextMenuState&) = default;
};

// The status item's menu, built once: Permissions, Export Diagnostics, Check for Updates,
// Toggle Desk, Welcome, Settings and Quit.
QMenu* buildStatusMenu(const StatusMenuState& state, const MenuActions& actions, QWidget* parent = nullptr);
// The notch's right-click menu, built afresh for each click from the state at that moment.
QMenu* buildNotchContextMenu(const ContextMenuState& state, const MenuActions& actions,
                             QWidget* parent = nullptr);

} // namespace vesk
