#include "Vesk/Controls/SwitchToggle.h"

#include "Vesk/Controls/Dimming.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPainter>

namespace vesk {

SwitchToggle::SwitchToggle(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFixedSize(width, height);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

SwitchToggle::SwitchToggle(SettingsStore& settings, const SettingBinding& binding, QWidget* parent)
    : SwitchToggle(parent) {
    followSetting(this, settings, binding, [this](const QVariant& value) { setChecked(value.toBool()); });
    // Only the user's clicks write; showing a value never does.
    const auto write = binding.write;
    connect(this, &QAbstractButton::clicked, this, [write](bool checked) { write(checked); });
}

void SwitchToggle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, this);
    const QRectF track(0.5, 0.5, width - 1, height - 1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Vesk::Accent::x500 : Vesk::Ink::x600);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    constexpr double inset = 2;
    const double diameter = height - 2 * inset;
    const double x = isChecked() ? width - inset - diameter : inset;
    const QRectF knob(x, inset, diameter, diameter);
    // A soft shadow under the knob: two faint rings, a little lower.
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knob.translated(0, 1).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setBrush(QColor(0, 0, 0, 30));
    painter.drawEllipse(knob.translated(0, 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
    if (hasFocus() && focusPolicy() != Qt::NoFocus) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Vesk::Accent::x700, 1));
        painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    }
}

} // namespace vesk
