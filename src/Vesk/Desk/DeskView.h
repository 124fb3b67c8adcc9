#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Notch/DeskFrameView.h"

#include <QPointer>

namespace vesk {

class DeskHeader;
class DeskTrayTab;
class DeskWidgetRow;
class NotchViewModel;

// The open desk: the header with the tabs left of the camera cutout and the settings
// and close buttons right of it, then the widget row (desk tab) or the tray (tray
// tab). It lays itself out for the canvas of the model's open state, centred in
// whatever rect the notch gives it, so the opening animation clips it rather than
// laying it out again every frame. Built afresh for each tab; its widgets live as long
// as it does.
class DeskView final : public DeskFrameView {
    Q_OBJECT

public:
    DeskView(DeskTab tab, NotchViewModel& model, double inset, DeskEnvironment environment,
             QWidget* parent = nullptr, DeskWidgetWiring::Builder builder = DeskWidgetWiring::build);
    ~DeskView() override;

    DeskHeader* header() const { return m_header; }
    // The desk tab's row; null on the tray tab.
    DeskWidgetRow* row() const { return m_row; }
    // The tray tab's content; null on the desk tab.
    DeskTrayTab* trayTab() const { return m_tray; }

    // The canvas the desk lays out for (the model's content size for its state), and
    // the widths derived from it.
    QSizeF canvasSize() const;
    double sideZoneWidth() const;
    double extraWidthPerWidget() const;

protected:
    void relayout() override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void centreCanvas();

    QPointer<NotchViewModel> m_model;
    DeskEnvironment m_environment;
    QWidget* m_canvas;
    DeskHeader* m_header;
    DeskWidgetRow* m_row = nullptr;
    DeskTrayTab* m_tray = nullptr;
};

} // namespace vesk
