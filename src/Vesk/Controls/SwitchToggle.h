#pragma once

#include "Vesk/Controls/SettingBinding.h"

#include <QAbstractButton>

namespace vesk {

class SettingsStore;

// Every on/off switch of the settings window: a 38 × 22 track, the accent when on and a
// dark grey when off, with a white knob. A click or Space flips it.
class SwitchToggle final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int width = 38;
    static constexpr int height = 22;

    explicit SwitchToggle(QWidget* parent = nullptr);
    // Shows the setting and writes it when the user flips the switch.
    SwitchToggle(SettingsStore& settings, const SettingBinding& binding, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {width, height}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vesk
