#include "Vesk/Controls/ProgressSpinner.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/TextView.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTimerEvent>

namespace vesk {

ProgressSpinner::ProgressSpinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(side, side);
}

void ProgressSpinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_timer.start(stepMs, Qt::CoarseTimer, this);
}

void ProgressSpinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void ProgressSpinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) return QWidget::timerEvent(event);
    m_step = (m_step + 1) % spokes;
    update();
}

void ProgressSpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    dimming::apply(painter, this);
    painter.translate(width() / 2.0, height() / 2.0);
    const double outer = side / 2.0 - 0.5;
    for (int i = 0; i < spokes; ++i) {
        // The spokes behind the brightest fade out over the turn.
        const int behind = (m_step - i + spokes) % spokes;
        QColor colour = Vesk::Stone::x300;
        colour.setAlphaF(float(1.0 - 0.75 * behind / (spokes - 1)));
        painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.rotate(360.0 * i / spokes);
        painter.drawLine(QPointF(0, -outer * 0.5), QPointF(0, -outer));
        painter.restore();
    }
}

QWidget* progressRow(const QString& text) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(14, 14, 14, 14);
    line->setSpacing(8);
    line->addWidget(new ProgressSpinner(row));
    line->addWidget(new TextView(text, Vesk::Type_::settingsFootnote(), Vesk::Stone::x400, row));
    line->addStretch(1);
    return row;
}

} // namespace vesk
