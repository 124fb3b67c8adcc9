#pragma once

#include "Vesk/Controls/SettingBinding.h"
#include "Vesk/Controls/SettingsCard.h"

namespace vesk {

class SettingsStore;
class SwitchToggle;
class ValueSlider;

// The first card of an activity pane: the activity's switch and its on-screen
// "Duration". The slider is dimmed and takes no input while the activity is off.
class ActivityHeaderCard final : public SettingsCard {
    Q_OBJECT
public:
    ActivityHeaderCard(const QString& title, SettingsStore& settings, const SettingBinding& enabled,
                       const SettingBinding& duration, double lowest, double highest,
                       QWidget* parent = nullptr);

    SwitchToggle* toggle() const { return m_toggle; }
    ValueSlider* slider() const { return m_slider; }

private:
    SwitchToggle* m_toggle;
    ValueSlider* m_slider;
};

} // namespace vesk
