#pragma once

#include "VeskKit/Notch/DeskTab.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

namespace vesk {

class NotchViewModel;

// A tab of the desk's header: symbol and title on a capsule, bright and filled while
// selected, with the tray's dot in its top-right corner when asked. The capsule is the
// button; the widget leaves room around it for the dot.
class DeskTabButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr double symbolFontSize = 9;
    static constexpr double labelSpacing = 4;
    static constexpr double horizontalPadding = 9;
    static constexpr double verticalPadding = 3;
    static constexpr double badgeSide = 5;
    // The dot's offset from the capsule's top-right corner: right and up.
    static constexpr double badgeRight = 3;
    static constexpr double badgeUp = 2;

    DeskTabButton(DeskTab tab, bool selected, QWidget* parent = nullptr);

    DeskTab tab() const { return m_tab; }
    bool isSelected() const { return m_selected; }
    bool showsBadge() const { return m_badge; }
    void setBadge(bool shown);

    // The capsule's size, and where it lies in the widget.
    QSizeF capsuleSize() const;
    QRectF capsuleRect() const;
    QRectF badgeRect() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    DeskTab m_tab;
    bool m_selected;
    bool m_badge = false;
};

// The desk's header band, as wide as the canvas less its insets: the two tabs in the
// zone left of the camera cutout, the settings and close buttons in the zone right of
// it, and nothing under the cutout.
class DeskHeader final : public QWidget {
    Q_OBJECT

public:
    static constexpr double tabSpacing = 6;
    static constexpr double buttonSpacing = 8;
    static constexpr double buttonFontSize = 11;

    DeskHeader(DeskTab tab, NotchViewModel& model, QWidget* parent = nullptr);

    // Lays the zones out for side zones `sideZone` wide around a cutout `cutout` wide.
    void setZones(double sideZone, double cutout);

    DeskTabButton* tabButton(DeskTab tab) const;
    QAbstractButton* settingsButton() const { return m_settings; }
    QAbstractButton* closeButton() const { return m_close; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
    void updateBadge();

    DeskTab m_tab;
    QPointer<NotchViewModel> m_model;
    DeskTabButton* m_desk;
    DeskTabButton* m_tray;
    QAbstractButton* m_settings;
    QAbstractButton* m_close;
    double m_sideZone = 0;
    double m_cutout = 0;
};

} // namespace vesk
