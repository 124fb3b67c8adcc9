#include "Vesk/SettingsWindow/Controls/RowButton.h"

#include "Vesk/SettingsWindow/Controls/Dimming.h"
#include "Vesk/SettingsWindow/Controls/SettingsCard.h"
#include "Vesk/SettingsWindow/Controls/SettingsRow.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPainter>

namespace vesk {

RowButton::RowButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab; a click does not take focus, so no tint stays behind it.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void RowButton::paintEvent(QPaintEvent*) {
    if (hasFocus()) {
        QPainter painter(this);
        dimming::apply(painter, this);
        SettingsCard::clipToCard(painter, this);
        painter.fillRect(rect(), Vesk::Accent::tint);
    }
    paintRowRule(this);
}

} // namespace vesk
