#include "Vesk/Desk/DeskView.h"

#include "Vesk/Desk/DeskHeader.h"
#include "Vesk/Desk/DeskMetrics.h"
#include "Vesk/Desk/DeskTrayTab.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Notch/NotchViewModel.h"

#include <cmath>

namespace vesk {

DeskView::DeskView(DeskTab tab, NotchViewModel& model, double inset, DeskEnvironment environment,
                   QWidget* parent, DeskWidgetWiring::Builder builder)
    : DeskFrameView(tab, model.geometry().openHeaderHeight(), inset, parent), m_model(&model),
      m_environment(std::move(environment)), m_canvas(new QWidget(this)),
      m_header(new DeskHeader(tab, model, m_canvas)) {
    setAttribute(Qt::WA_AlwaysShowToolTips);
    if (tab == DeskTab::desk)
        m_row = new DeskWidgetRow(model, m_environment, std::move(builder), m_canvas);
    else
        m_tray = new DeskTrayTab(model, m_environment, m_canvas);
    connect(&model, &NotchViewModel::layoutChanged, this, &DeskView::relayout);
    connect(&model, &NotchViewModel::geometryChanged, this, &DeskView::relayout);
    relayout();
}

DeskView::~DeskView() {
    // A desk deleted while shown (its panel going away) is not hidden first: its widgets
    // go off screen now, while they are whole, and before the environment they refer to.
    for (DeskWidget* widget : findChildren<DeskWidget*>())
        widget->endAppearance();
    delete m_canvas;
}

QSizeF DeskView::canvasSize() const {
    return m_model ? m_model->contentSize(m_model->state()) : QSizeF();
}

double DeskView::sideZoneWidth() const {
    if (!m_model) return 0;
    return DeskMetrics::sideZoneWidth(canvasSize().width(), inset(), m_model->geometry().notchSize.width());
}

double DeskView::extraWidthPerWidget() const {
    if (!m_model) return 0;
    return DeskMetrics::extraWidthPerWidget(canvasSize().width(), inset(), m_model->layout().placements);
}

void DeskView::relayout() {
    if (!m_model) return;
    const QSizeF canvas = canvasSize();
    const double width = std::max(0.0, canvas.width() - 2 * inset());
    const double header = headerHeight();
    m_canvas->resize(int(std::ceil(canvas.width())), int(std::ceil(canvas.height())));
    m_header->setGeometry(QRectF(inset(), 0, width, header).toAlignedRect());
    m_header->setZones(sideZoneWidth(), m_model->geometry().notchSize.width());
    const QRectF content(inset(), header + headerSpacing, width,
                         std::max(0.0, canvas.height() - header - headerSpacing));
    if (m_row) {
        m_row->setGeometry(content.toAlignedRect());
        m_row->setPlacements(m_model->layout().placements, extraWidthPerWidget());
    }
    if (m_tray) m_tray->setGeometry(content.toAlignedRect());
    centreCanvas();
}

void DeskView::centreCanvas() {
    m_canvas->move(int(std::round((width() - m_canvas->width()) / 2.0)), 0);
}

void DeskView::resizeEvent(QResizeEvent* event) {
    DeskFrameView::resizeEvent(event);
    centreCanvas();
}

void DeskView::showEvent(QShowEvent* event) {
    DeskFrameView::showEvent(event);
    // Tooltips show in windows that are not active only when the window allows it, and
    // the notch panel never takes activation on its own.
    if (QWidget* panel = window(); panel != this) panel->setAttribute(Qt::WA_AlwaysShowToolTips);
}

} // namespace vesk
