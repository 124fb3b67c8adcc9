#include "Vesk/Desk/DeskWidgetRow.h"

#include "Vesk/Desk/DeskMetrics.h"
#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPainter>
#include <QSet>

#include <cmath>

namespace vesk {

DeskWidgetRow::DeskWidgetRow(NotchViewModel& model, const DeskEnvironment& environment,
                             DeskWidgetWiring::Builder builder, QWidget* parent)
    : QWidget(parent), m_model(model), m_environment(environment), m_builder(std::move(builder)) {
    // A service handed over later may fill a slot that had nothing to show.
    connect(&model, &NotchViewModel::deskServicesChanged, this, &DeskWidgetRow::fillEmptySlots);
}

void DeskWidgetRow::setPlacements(const QList<WidgetPlacement>& placements, double extraWidth) {
    QSet<WidgetID> placed;
    for (const WidgetPlacement& placement : placements)
        placed.insert(placement.id);
    for (auto it = m_widgets.begin(); it != m_widgets.end();) {
        if (placed.contains(it.key())) {
            ++it;
            continue;
        }
        if (DeskWidget* gone = it.value()) {
            gone->endAppearance();
            delete gone;
        }
        it = m_widgets.erase(it);
    }
    const bool firstOrNew = m_placements != placements || m_extraWidth != extraWidth;
    m_placements = placements;
    m_extraWidth = extraWidth;
    for (const WidgetPlacement& placement : placements)
        if (!m_widgets.contains(placement.id)) m_widgets.insert(placement.id, nullptr);
    fillEmptySlots();

    if (placements.isEmpty() && !m_empty) {
        m_empty =
            new WidgetEmptyState(QStringLiteral("square.grid.2x2"), QStringLiteral("Nothing on the Desk yet"),
                                 QStringLiteral("Pick the widgets you want."),
                                 WidgetEmptyState::Action{QStringLiteral("Choose Widgets"),
                                                          [] { DeskWidgetWiring::openSettings(); }},
                                 this);
        m_empty->show();
    } else if (!placements.isEmpty() && m_empty) {
        delete m_empty;
        m_empty = nullptr;
    }
    if (firstOrNew) {
        place();
        update();
    }
}

void DeskWidgetRow::fillEmptySlots() {
    if (!m_builder) return;
    for (const WidgetPlacement& placement : std::as_const(m_placements)) {
        QPointer<DeskWidget>& slot = m_widgets[placement.id];
        if (slot) continue;
        slot = m_builder(placement.id, DeskWidgetWiring::Context{m_model, m_environment, this});
        if (!slot) continue;
        slot->setParent(this);
        slot->setGeometry(slotRect(placement.id).toAlignedRect());
        slot->show();
    }
}

DeskWidget* DeskWidgetRow::widget(WidgetID id) const {
    return m_widgets.value(id);
}

QList<DeskWidget*> DeskWidgetRow::widgets() const {
    QList<DeskWidget*> list;
    for (const WidgetPlacement& placement : m_placements)
        if (DeskWidget* widget = m_widgets.value(placement.id)) list.append(widget);
    return list;
}

QRectF DeskWidgetRow::slotRect(WidgetID id) const {
    double x = 0;
    for (const WidgetPlacement& placement : m_placements) {
        const double width = placement.width + m_extraWidth;
        if (placement.id == id)
            return QRectF(x, 0, width, std::max(0.0, height() - DeskMetrics::rowBottomPadding));
        x += width + DeskMetrics::rowGap;
    }
    return {};
}

QList<double> DeskWidgetRow::dividers() const {
    QList<double> list;
    double x = 0;
    for (qsizetype i = 0; i < m_placements.size(); ++i) {
        if (i > 0) list.append(x - DeskMetrics::rowGap / 2);
        x += m_placements[i].width + m_extraWidth + DeskMetrics::rowGap;
    }
    return list;
}

void DeskWidgetRow::place() {
    for (const WidgetPlacement& placement : std::as_const(m_placements))
        if (DeskWidget* widget = m_widgets.value(placement.id))
            widget->setGeometry(slotRect(placement.id).toAlignedRect());
    if (m_empty)
        m_empty->setGeometry(0, 0, width(), std::max(0, int(height() - DeskMetrics::rowBottomPadding)));
}

void DeskWidgetRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void DeskWidgetRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double bottom = std::max(0.0, height() - DeskMetrics::rowBottomPadding);
    for (double x : dividers())
        painter.fillRect(QRectF(x - 0.5, 0, 1, bottom), Vesk::Ink::x700);
}

} // namespace vesk
