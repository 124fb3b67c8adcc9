#pragma once

#include "Vesk/Controls/PaneColumn.h"
#include "VeskKit/Widgets/WidgetID.h"

#include <QAbstractButton>
#include <QList>

#include <functional>

namespace vesk {

class SettingsCard;
class SettingsStore;
class SwitchToggle;
class TextView;
class ValueSlider;
class WidgetLayoutPreview;

// One widget in the Widgets pane's list: reorder arrows, its symbol tile, its name and
// width in cells, and its switch; highlighted while selected. A tap on the row selects.
class WidgetRow final : public QWidget {
    Q_OBJECT

public:
    explicit WidgetRow(WidgetID id, QWidget* parent = nullptr);

    WidgetID id() const { return m_id; }
    // Shows the row's values; writes nothing.
    void show(bool selected, bool enabled, int cells, bool canMoveUp, bool canMoveDown);
    bool isSelected() const { return m_selected; }
    bool isOn() const { return m_enabled; }
    QAbstractButton* upArrow() const { return m_up; }
    QAbstractButton* downArrow() const { return m_down; }
    SwitchToggle* toggle() const { return m_toggle; }
    QString cellsText() const;

    std::function<void()> onSelect;
    std::function<void(bool)> onToggle;
    std::function<void(int)> onMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WidgetID m_id;
    bool m_selected = false;
    bool m_enabled = false;
    QAbstractButton* m_up;
    QAbstractButton* m_down;
    QWidget* m_tile;
    TextView* m_cells;
    SwitchToggle* m_toggle;
};

// The Widgets pane: the layout preview, one row per widget in the normalised order and
// the width card of the selected widget. Every change is written to the settings at
// once and announced through `onLayoutChanged`; selecting writes nothing.
class DeskPane final : public PaneColumn {
    Q_OBJECT

public:
    DeskPane(SettingsStore& settings, std::function<void()> onLayoutChanged, QWidget* parent = nullptr);

    WidgetID selected() const { return m_selected; }
    void select(WidgetID id);
    WidgetLayoutPreview* preview() const { return m_preview; }
    // In list order.
    QList<WidgetRow*> rows() const;
    ValueSlider* widthSlider() const { return m_slider; }
    TextView* widthFootnote() const { return m_footnote; }

    // What the width slider stores for a value: rounded, halves away from zero.
    static void writeCells(SettingsStore& settings, WidgetID id, double value);

private:
    void refresh();
    void buildWidthCard();

    SettingsStore& m_settings;
    std::function<void()> m_onLayoutChanged;
    WidgetID m_selected = WidgetID::media;
    WidgetLayoutPreview* m_preview;
    SettingsCard* m_list;
    QList<WidgetRow*> m_rows;
    QWidget* m_widthCard = nullptr;
    ValueSlider* m_slider = nullptr;
    TextView* m_footnote = nullptr;
};

QWidget* makeDeskPane(SettingsStore& settings, std::function<void()> onLayoutChanged);

} // namespace vesk
