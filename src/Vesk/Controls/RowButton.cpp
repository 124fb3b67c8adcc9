#include "Vesk/Controls/RowButton.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
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
