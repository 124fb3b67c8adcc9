#include "Scenes.h"

#include "VeskKit/Settings/SettingsStore.h"

namespace vesk::snapshot {

QList<Scene> scenes() {
    QList<Scene> list;
    const auto nothing = [](SettingsStore&, SettingsWindowEnvironment&) {};
    for (SettingsPane pane : allCases<SettingsPane>())
        list.append({toRaw(pane), pane, nothing, QString()});
    list.append({QStringLiteral("search"), SettingsPane::battery, nothing, QStringLiteral("bat")});
    // Special states of the panes go here, one line each.
    return list;
}

} // namespace vesk::snapshot
