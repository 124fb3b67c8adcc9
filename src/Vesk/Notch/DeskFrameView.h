#pragma once

#include "VeskKit/Notch/DeskTab.h"

#include <QRectF>
#include <QWidget>

namespace vesk {

// The open desk's frame: the header band as tall as the notch's open header, wrapping
// around the camera cutout, and below it the content area, both inset on the sides.
// The desk's tabs, buttons, widget row and tray are not built yet, so both are empty;
// the notch shows this in the open state until the desk view takes its slot.
class DeskFrameView : public QWidget {
    Q_OBJECT

public:
    // Between the header band and the content.
    static constexpr double headerSpacing = 4;

    DeskFrameView(DeskTab tab, double headerHeight, double inset, QWidget* parent = nullptr);

    DeskTab tab() const { return m_tab; }
    void setHeaderHeight(double height);

    QRectF headerRect() const;
    QRectF contentRect() const;

private:
    DeskTab m_tab;
    double m_headerHeight;
    double m_inset;
};

} // namespace vesk
