#pragma once

#include "VeskKit/Notch/DeskTab.h"

#include <QRectF>
#include <QWidget>

namespace vesk {

// The open desk's frame: the header band as tall as the notch's open header, wrapping
// around the camera cutout, and below it the content area, both inset on the sides.
// On its own both are empty (the notch shows it while no desk is installed); the desk
// view fills them.
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

protected:
    double headerHeight() const { return m_headerHeight; }
    double inset() const { return m_inset; }
    // Called after the header height changed.
    virtual void relayout() {}

private:
    DeskTab m_tab;
    double m_headerHeight;
    double m_inset;
};

} // namespace vesk
