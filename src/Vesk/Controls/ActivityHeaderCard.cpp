#include "Vesk/Controls/ActivityHeaderCard.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/ValueSlider.h"

namespace vesk {

ActivityHeaderCard::ActivityHeaderCard(const QString& title, SettingsStore& settings,
                                       const SettingBinding& enabled, const SettingBinding& duration,
                                       double lowest, double highest, QWidget* parent)
    : SettingsCard(parent), m_toggle(new SwitchToggle(settings, enabled)),
      m_slider(new ValueSlider(QStringLiteral("Duration"), settings, duration, lowest, highest,
                               QStringLiteral(" s"))) {
    addRow(new SettingsRow(title, m_toggle));
    addRow(m_slider);
    const auto read = enabled.read;
    followSettings(m_slider, settings, [this, read] { dimming::setDimmed(m_slider, !read().toBool()); });
}

} // namespace vesk
