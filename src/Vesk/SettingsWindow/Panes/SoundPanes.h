#pragma once

#include <QWidget>

#include <functional>

namespace vesk {

class SettingsStore;

// The "System HUDs" section of the Sound and Display panes: whether the program takes
// the volume and brightness keys so the desktop never draws its own HUD. Where the keys
// cannot be taken, "Allow…" stands in for the switch. The switch writes the setting and
// then runs `onSwitched`, which puts it into effect at once.
class SuppressionCard final : public QWidget {
    Q_OBJECT
public:
    SuppressionCard(SettingsStore& settings, bool canSuppress, std::function<void()> onRequest,
                    std::function<void()> onSwitched = {}, QWidget* parent = nullptr);

    // The "Keys with no settable volume" row, shown while the keys are replaced.
    QWidget* passThroughRow() const { return m_passThrough; }

private:
    QWidget* m_passThrough = nullptr;
};

QWidget* makeSoundPane(SettingsStore& settings, bool canSuppress,
                       std::function<void()> onRequestAccessibility,
                       std::function<void()> onSuppressionSwitched = {});
QWidget* makeDisplayPane(SettingsStore& settings, bool brightnessAvailable, bool canSuppress,
                         std::function<void()> onRequestAccessibility,
                         std::function<void()> onSuppressionSwitched = {});

} // namespace vesk
