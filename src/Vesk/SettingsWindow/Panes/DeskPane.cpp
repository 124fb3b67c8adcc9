#include "Vesk/SettingsWindow/Panes/DeskPane.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingBinding.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/WidgetLayoutPreview.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskKit/Widgets/WidgetLayoutEngine.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

int storedCells(const SettingsStore& settings, WidgetID id) {
    return settings.widgetCells().value(id, defaultCells(id));
}

// A reorder chevron: bright while it can move the widget, dim and inert otherwise.
class Arrow final : public QAbstractButton {
public:
    Arrow(const QString& symbol, QWidget* parent) : QAbstractButton(parent), m_symbol(symbol) {
        setFixedSize(14, 11);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paintForFontSize(painter, QRectF(rect()), 8, m_symbol,
                                  isEnabled() ? Vesk::Stone::x300 : Vesk::Ink::x600);
    }

private:
    QString m_symbol;
};

// The widget's symbol on a 28-point tile, in the accent while the widget is on.
class SymbolTile final : public QWidget {
public:
    SymbolTile(WidgetID id, QWidget* parent) : QWidget(parent), m_id(id) { setFixedSize(28, 28); }
    void setOn(bool on) {
        if (on == m_on) return;
        m_on = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath tile;
        tile.addRoundedRect(QRectF(rect()), 7, 7);
        painter.fillPath(tile, m_on ? Vesk::Accent::tint : Vesk::Ink::x800);
        Symbols::paintForFontSize(painter, QRectF(rect()), 12, symbol(m_id),
                                  m_on ? Vesk::Accent::x500 : Vesk::Stone::x400);
    }

private:
    WidgetID m_id;
    bool m_on = false;
};

} // namespace

// ---- WidgetRow

WidgetRow::WidgetRow(WidgetID id, QWidget* parent)
    : QWidget(parent), m_id(id), m_up(new Arrow(QStringLiteral("chevron.up"), this)),
      m_down(new Arrow(QStringLiteral("chevron.down"), this)), m_tile(new SymbolTile(id, this)),
      m_cells(new TextView(QString(), Vesk::Type_::settingsFootnote(), Vesk::Stone::x400, this)),
      m_toggle(new SwitchToggle(this)) {
    setObjectName(QStringLiteral("widget.") + toRaw(id));
    m_toggle->setObjectName(QStringLiteral("enabledWidgets.") + toRaw(id));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(11);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(1);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    row->addLayout(arrows);
    row->addWidget(m_tile);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(new TextView(displayName(id), Vesk::Type_::settingsRow(), Vesk::Stone::x100, this));
    texts->addWidget(m_cells);
    row->addLayout(texts);
    row->addStretch(1);
    row->addSpacing(8);
    row->addWidget(m_toggle);
    connect(m_up, &QAbstractButton::clicked, this, [this] {
        if (onMove) onMove(-1);
    });
    connect(m_down, &QAbstractButton::clicked, this, [this] {
        if (onMove) onMove(+1);
    });
    connect(m_toggle, &QAbstractButton::clicked, this, [this](bool on) {
        if (onToggle) onToggle(on);
    });
}

void WidgetRow::show(bool selected, bool enabled, int cells, bool canMoveUp, bool canMoveDown) {
    m_selected = selected;
    m_enabled = enabled;
    m_up->setEnabled(canMoveUp);
    m_down->setEnabled(canMoveDown);
    static_cast<SymbolTile*>(m_tile)->setOn(enabled);
    m_cells->setText(QStringLiteral("%1 cells").arg(cells));
    m_toggle->setChecked(enabled);
    update();
}

QString WidgetRow::cellsText() const {
    return m_cells->text();
}

void WidgetRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onSelect)
        onSelect();
}

void WidgetRow::paintEvent(QPaintEvent*) {
    if (m_selected) {
        QPainter painter(this);
        SettingsCard::clipToCard(painter, this);
        QColor highlight = Vesk::Accent::tint;
        highlight.setAlphaF(highlight.alphaF() * 0.5f);
        painter.fillRect(rect(), highlight);
    }
    paintRowRule(this);
}

// ---- DeskPane

DeskPane::DeskPane(SettingsStore& settings, std::function<void()> onLayoutChanged, QWidget* parent)
    : PaneColumn(parent), m_settings(settings), m_onLayoutChanged(std::move(onLayoutChanged)),
      m_preview(new WidgetLayoutPreview(settings)), m_list(new SettingsCard) {
    m_preview->onSelect = [this](WidgetID id) { select(id); };
    add(m_preview);
    addSection(QStringLiteral("Widgets"));
    for (WidgetID id : allCases<WidgetID>()) {
        auto* row = new WidgetRow(id);
        row->onSelect = [this, id] { select(id); };
        row->onToggle = [this, id](bool on) {
            m_settings.setWidget(id, on);
            if (m_onLayoutChanged) m_onLayoutChanged();
        };
        row->onMove = [this, id](int offset) {
            const QList<WidgetID> order = WidgetLayoutEngine::normalise(m_settings.widgetOrder());
            const qsizetype from = order.indexOf(id);
            m_settings.setWidgetOrder(WidgetLayoutEngine::move(order, from, from + offset));
            if (m_onLayoutChanged) m_onLayoutChanged();
        };
        m_rows << row;
    }
    add(m_list);
    buildWidthCard();
    followSettings(this, settings, [this] { refresh(); });
}

QList<WidgetRow*> DeskPane::rows() const {
    QList<WidgetRow*> ordered;
    for (WidgetID id : WidgetLayoutEngine::normalise(m_settings.widgetOrder()))
        for (WidgetRow* row : m_rows)
            if (row->id() == id) ordered << row;
    return ordered;
}

void DeskPane::select(WidgetID id) {
    if (id == m_selected) return;
    m_selected = id;
    m_preview->setSelected(id);
    buildWidthCard();
    refresh();
}

void DeskPane::refresh() {
    const QList<WidgetRow*> ordered = rows();
    // The rows stay; only their places and values change (a row may be the sender).
    for (WidgetRow* row : ordered)
        m_list->rows()->removeWidget(row);
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        WidgetRow* row = ordered[i];
        m_list->rows()->addWidget(row);
        row->show(row->id() == m_selected, m_settings.enabledWidgets().contains(row->id()),
                  storedCells(m_settings, row->id()), i > 0, i < ordered.size() - 1);
    }
}

void DeskPane::writeCells(SettingsStore& settings, WidgetID id, double value) {
    settings.setCells(int(std::lround(value)), id);
}

void DeskPane::buildWidthCard() {
    delete m_widthCard;
    const WidgetID id = m_selected;
    m_widthCard = new QWidget;
    auto* stack = new QVBoxLayout(m_widthCard);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    stack->addWidget(new TextView(displayName(id), Vesk::Type_::settingsSection(), Vesk::Stone::x400), 0,
                     Qt::AlignLeft);
    auto* card = new SettingsCard;
    SettingBinding binding{QStringLiteral("widgetCells.") + toRaw(id),
                           [this, id] { return QVariant(double(storedCells(m_settings, id))); },
                           [this, id](const QVariant& value) {
                               writeCells(m_settings, id, value.toDouble());
                               if (m_onLayoutChanged) m_onLayoutChanged();
                           }};
    m_slider = new ValueSlider(QStringLiteral("Width"), m_settings, binding, minCells(id), 8,
                               QStringLiteral(" cells"));
    card->addRow(m_slider);
    stack->addWidget(card);
    m_footnote =
        new TextView(QStringLiteral("Each cell is %1 pt. A widget won't go below %2 cells — narrower "
                                    "than that it stops being useful rather than just tight.")
                         .arg(54)
                         .arg(minCells(id)),
                     Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    m_footnote->setWrapping(true, footnoteWidth);
    stack->addWidget(m_footnote);
    add(m_widthCard);
}

QWidget* makeDeskPane(SettingsStore& settings, std::function<void()> onLayoutChanged) {
    return new DeskPane(settings, std::move(onLayoutChanged));
}

} // namespace vesk
