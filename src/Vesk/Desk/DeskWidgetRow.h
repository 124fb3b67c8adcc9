#pragma once

#include "Vesk/Desk/DeskWidgetWiring.h"
#include "VeskKit/Widgets/WidgetPlacement.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace vesk {

class DeskWidget;
class WidgetEmptyState;

// The desk tab's content: the placed widgets left to right, 22 apart, each as wide as
// its placement plus the shared spare width and as tall as the row, with a divider in
// the middle of each gap; or, with nothing placed, the empty state that offers to
// choose widgets. Each placed widget is built once and kept while its id stays placed,
// so drafts, focus and hover survive changes of the model and of the layout.
class DeskWidgetRow final : public QWidget {
    Q_OBJECT

public:
    DeskWidgetRow(NotchViewModel& model, const DeskEnvironment& environment,
                  DeskWidgetWiring::Builder builder, QWidget* parent = nullptr);

    // Follows the placements (building new ids, deleting removed ones) and the extra
    // width each widget gets.
    void setPlacements(const QList<WidgetPlacement>& placements, double extraWidth);

    // The widget of a placed id; null for an empty slot or an id not placed.
    DeskWidget* widget(WidgetID id) const;
    QList<DeskWidget*> widgets() const;
    // Where a placed id's slot lies in the row.
    QRectF slotRect(WidgetID id) const;
    // The dividers' x positions (their centre lines).
    QList<double> dividers() const;
    WidgetEmptyState* emptyState() const { return m_empty; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
    void fillEmptySlots();

    NotchViewModel& m_model;
    const DeskEnvironment& m_environment;
    DeskWidgetWiring::Builder m_builder;
    QList<WidgetPlacement> m_placements;
    double m_extraWidth = 0;
    QHash<WidgetID, QPointer<DeskWidget>> m_widgets;
    WidgetEmptyState* m_empty = nullptr;
};

} // namespace vesk
