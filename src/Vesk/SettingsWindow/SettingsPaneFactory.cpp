#include "Vesk/SettingsWindow/SettingsPaneFactory.h"

namespace vesk {

SettingsPaneFactory SettingsPaneFactory::standard() {
    SettingsPaneFactory factory;
    // One entry per pane, each as its pane's builder and flags.
    return factory;
}

PaneInputs SettingsPaneFactory::inputs(SettingsPane pane,
                                       const SettingsWindowEnvironment& environment) const {
    const auto it = m_entries.constFind(pane);
    if (it == m_entries.constEnd() || !it->inputs) return {};
    return it->inputs(environment);
}

QWidget* SettingsPaneFactory::build(SettingsPane pane, SettingsStore& settings,
                                    const SettingsWindowEnvironment& environment,
                                    const PaneInputs& inputs) const {
    const auto it = m_entries.constFind(pane);
    if (it == m_entries.constEnd() || !it->build) return nullptr;
    return it->build(PaneContext{settings, environment, inputs});
}

} // namespace vesk
