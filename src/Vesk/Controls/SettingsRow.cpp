#include "Vesk/Controls/SettingsRow.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/TextView.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk {

SettingsRow::SettingsRow(const QString& label, QWidget* control, const QString& footnote, QWidget* parent)
    : QWidget(parent), m_label(new TextView(label, Vesk::Type_::settingsRow(), Vesk::Stone::x100)),
      m_control(control) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 9, 12, 9);
    column->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(m_label, 0, Qt::AlignVCenter);
    line->addStretch(1);
    if (control) line->addWidget(control, 0, Qt::AlignVCenter);
    column->addLayout(line);
    if (!footnote.isEmpty()) {
        m_footnote = new TextView(footnote, Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
        m_footnote->setWrapping(true);
        column->addWidget(m_footnote);
    }
}

void SettingsRow::paintEvent(QPaintEvent*) {
    paintRowRule(this);
}

void paintRowRule(QWidget* row) {
    QPainter painter(row);
    dimming::apply(painter, row);
    SettingsCard::clipToCard(painter, row);
    painter.fillRect(QRectF(0, row->height() - 1, row->width(), 1), Vesk::Ink::x700);
}

} // namespace vesk
