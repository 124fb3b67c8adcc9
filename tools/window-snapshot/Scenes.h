#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"
#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace vesk {
class ClipboardService;
class QuickAppsService;
class ShortcutsService;
class SettingsStore;
} // namespace vesk

namespace vesk::snapshot {

// One picture of the settings window: a pane with the settings and environment a setup
// gives it.
struct Scene {
    QString name;
    SettingsPane pane;
    std::function<void(SettingsStore&, SettingsWindowEnvironment&)> setup;
    // The sidebar's search text.
    QString search;
};

// One scene per pane (named by raw value) and every special state.
QList<Scene> scenes();

// The clipboard history the Clipboard pane is shown with; it must outlive the scenes.
void setClipboard(ClipboardService* service);
// The pinned applications the Quick Apps pane is shown with; they must outlive the scenes.
void setQuickApps(QuickAppsService* service);
// Pinned applications whose scan of the installed ones takes a while (the loading state).
void setSlowQuickApps(QuickAppsService* service);
// The shortcut scripts the Shortcuts pane is shown with: one service over a folder of
// scripts, one without a folder and one whose listing takes a while (the loading state).
void setShortcuts(ShortcutsService* listing, ShortcutsService* withoutFolder, ShortcutsService* slow);

// Every building block of the panes in its states, in one column.
QWidget* controlsSheet(SettingsStore& settings);

// Writes a widget to a PNG at a scale; false when it could not.
using Writer = std::function<bool(QWidget& widget, const QString& path, double scale)>;
// The first-run window's pages and the demo's beats whose names contain `only` (all
// when it is empty).
bool writeOnboarding(const QString& folder, SettingsStore& settings, double scale, const QString& only,
                     const Writer& write);
// The tray's preview window with each kind of file, written through `write`.
bool writePreviews(const QString& folder, double scale, const QString& only,
                   const std::function<bool(QWidget&, const QString&, double)>& write);

} // namespace vesk::snapshot
