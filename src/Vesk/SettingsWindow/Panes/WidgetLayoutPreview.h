#pragma once

#include "VeskKit/Widgets/DeskLayout.h"

#include <QWidget>

#include <functional>

class QScreen;

namespace vesk {

class SettingsStore;
class TextView;

// The Widgets pane's preview: a black stage with the notch outline at its top and one
// tile per widget the layout places, widths scaled so the row is at most 430 wide, and
// an amber notice naming the switched-on widgets that do not fit. A tile selects its
// widget. It lays out with the contentPadding setting, the desk with 18: near the limit
// the two can differ.
class WidgetLayoutPreview final : public QWidget {
    Q_OBJECT

public:
    static constexpr double stageHeight = 84;
    static constexpr double tileHeight = 56;
    static constexpr double tileTop = 16;
    static constexpr double tileSpacing = 4;
    static constexpr double minimumTileWidth = 30;
    static constexpr double scaledMaximum = 430;

    WidgetLayoutPreview(SettingsStore& settings, QWidget* parent = nullptr);

    // The width the desk has on a screen: its width − 80, or 1360 without a screen.
    static double availableWidth(const QScreen* screen);
    static DeskLayout layoutFor(const SettingsStore& settings, double available);
    static double scaleFor(double totalWidth);
    // Each placement's tile width: its width scaled, but never under 30.
    static QList<double> tileWidths(const DeskLayout& layout);
    // "Weather doesn't fit and won't be shown." and the like; empty when all fit.
    static QString overflowText(const QList<WidgetID>& overflow);

    const DeskLayout& layout() const { return m_layout; }
    // The tiles' rectangles on the stage, in placement order.
    QList<QRectF> tileRects() const;
    QRectF stageRect() const;
    TextView* notice() const { return m_notice; }

    WidgetID selected() const { return m_selected; }
    void setSelected(WidgetID id);
    // Lays out again from the settings and the screen the preview is on.
    void refresh();

    std::function<void(WidgetID)> onSelect;

private:
    SettingsStore& m_settings;
    DeskLayout m_layout;
    WidgetID m_selected = WidgetID::media;
    QWidget* m_stage;
    TextView* m_notice;
    QWidget* m_noticeRow = nullptr;
};

} // namespace vesk
