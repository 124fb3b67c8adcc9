#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"
#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <QHash>
#include <QVariantList>

#include <functional>

class QWidget;

namespace vesk {

class SettingsStore;

// The constant flags a pane is built with, read from the environment. The window
// rebuilds the pane when they change and leaves it alone otherwise.
using PaneInputs = QVariantList;

// What a pane is built from.
struct PaneContext {
    SettingsStore& settings;
    const SettingsWindowEnvironment& environment;
    const PaneInputs& inputs;
};

// How one pane is built.
struct SettingsPaneEntry {
    // The pane's flags now; none when it has no flags.
    std::function<PaneInputs(const SettingsWindowEnvironment&)> inputs;
    std::function<QWidget*(const PaneContext&)> build;
};

// Builds the panes of the settings window, one entry per pane; a pane without an entry
// shows only its header.
class SettingsPaneFactory {
public:
    // Every pane the program has.
    static SettingsPaneFactory standard();

    void set(SettingsPane pane, SettingsPaneEntry entry) { m_entries.insert(pane, std::move(entry)); }
    bool has(SettingsPane pane) const { return m_entries.contains(pane); }

    PaneInputs inputs(SettingsPane pane, const SettingsWindowEnvironment& environment) const;
    // The pane's body, or null without an entry.
    QWidget* build(SettingsPane pane, SettingsStore& settings, const SettingsWindowEnvironment& environment,
                   const PaneInputs& inputs) const;

private:
    QHash<SettingsPane, SettingsPaneEntry> m_entries;
};

} // namespace vesk
