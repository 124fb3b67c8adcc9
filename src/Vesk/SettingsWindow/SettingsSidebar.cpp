#include "Vesk/SettingsWindow/SettingsSidebar.h"

#include "Vesk/Controls/ScrollBarStyle.h"
#include "Vesk/SettingsWindow/PaneIconTile.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace vesk {

namespace {

constexpr int paneRowHeight = 34;
constexpr int headingRowHeight = 28;
constexpr PaneIconTile sidebarTile{SettingsPane::general, 26, 12.5, 7};

QString colour(const QColor& c) {
    return c.name(QColor::HexArgb);
}

// Pane rows with their tile and title, headings in the section style.
class SidebarDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        return {SettingsSidebar::columnWidth,
                index.data(SettingsSidebarModel::headingRole).toBool() ? headingRowHeight : paneRowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF row = option.rect;
        if (index.data(SettingsSidebarModel::headingRole).toBool()) {
            painter->setFont(Vesk::Type_::settingsSection());
            painter->setPen(Vesk::Stone::x400);
            painter->drawText(row.adjusted(16, 0, -8, -5), Qt::AlignLeft | Qt::AlignBottom,
                              index.data().toString());
            painter->restore();
            return;
        }
        if (option.state & QStyle::State_Selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(Vesk::Ink::x700);
            painter->drawRoundedRect(row.adjusted(8, 1, -8, -1), 7, 7);
        }
        PaneIconTile tile = sidebarTile;
        tile.pane = SettingsPane(index.data(SettingsSidebarModel::paneRole).toInt());
        tile.paint(*painter, QPointF(row.left() + 14, row.center().y() - tile.size / 2));
        painter->setFont(systemFont(13, QFont::Medium));
        painter->setPen(Vesk::Stone::x100);
        painter->drawText(row.adjusted(14 + tile.size + 9, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
        painter->restore();
    }
};

} // namespace

bool matchesSearch(SettingsPane pane, const QString& search) {
    const QString text = search.trimmed();
    if (text.isEmpty()) return true;
    const SettingsPaneLook& l = look(pane);
    return l.title.contains(text, Qt::CaseInsensitive) || l.blurb.contains(text, Qt::CaseInsensitive);
}

// ---- Model

SettingsSidebarModel::SettingsSidebarModel(QObject* parent)
    : QAbstractListModel(parent), m_rows(rowsFor(QString())) {}

QList<SettingsSidebarModel::Row> SettingsSidebarModel::rowsFor(const QString& search) const {
    QList<Row> rows;
    for (const SettingsSection& section : settingsSections::all()) {
        QList<Row> panes;
        for (SettingsPane pane : section.panes)
            if (matchesSearch(pane, search)) panes.append({pane, QString()});
        if (panes.isEmpty()) continue;
        if (!section.heading.isEmpty()) rows.append({std::nullopt, section.heading});
        rows.append(panes);
    }
    return rows;
}

void SettingsSidebarModel::setSearch(const QString& search) {
    beginResetModel();
    m_rows = rowsFor(search);
    endResetModel();
}

int SettingsSidebarModel::rowOf(SettingsPane pane) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).pane == pane) return i;
    return -1;
}

std::optional<SettingsPane> SettingsSidebarModel::paneAt(int row) const {
    if (row < 0 || row >= m_rows.size()) return std::nullopt;
    return m_rows.at(row).pane;
}

int SettingsSidebarModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SettingsSidebarModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.pane ? look(*row.pane).title : row.heading;
    case paneRole:
        return row.pane ? QVariant(int(*row.pane)) : QVariant();
    case headingRole:
        return !row.pane.has_value();
    default:
        return {};
    }
}

Qt::ItemFlags SettingsSidebarModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return m_rows.at(index.row()).pane ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

// ---- Sidebar

SettingsSidebar::SettingsSidebar(SettingsPane selection, QWidget* parent)
    : QWidget(parent), m_selection(selection), m_search(new QLineEdit(this)), m_list(new QListView(this)),
      m_model(new SettingsSidebarModel(this)) {
    setFixedWidth(columnWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 14, 0, 8);
    column->setSpacing(10);

    m_search->setPlaceholderText(QStringLiteral("Search settings"));
    m_search->setClearButtonEnabled(true);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setFont(systemFont(13));
    m_search->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                       " border-radius: 7px; padding: 4px 8px; }")
            .arg(colour(Vesk::Ink::x800), colour(Vesk::Stone::x100), colour(Vesk::Ink::x700)));
    QPalette searchPalette = m_search->palette();
    searchPalette.setColor(QPalette::PlaceholderText, Vesk::Stone::x400);
    m_search->setPalette(searchPalette);
    // The field's inset is the layout's: a style-sheet margin would leave the clear
    // button at the widget's edge, outside the drawn field.
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(12, 0, 12, 0);
    searchRow->addWidget(m_search);
    column->addLayout(searchRow);

    m_list->setModel(m_model);
    m_list->setItemDelegate(new SidebarDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(false);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setStyleSheet(darkScrollBarStyle(QStringLiteral("QListView")));
    column->addWidget(m_list, 1);

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setSearch(text);
        showSelection();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_showing) return;
                const auto pane = m_model->paneAt(current.row());
                if (!pane || *pane == m_selection) return;
                m_selection = *pane;
                Q_EMIT paneChosen(*pane);
            });
    showSelection();
}

void SettingsSidebar::setSelection(SettingsPane pane) {
    m_selection = pane;
    showSelection();
}

QString SettingsSidebar::search() const {
    return m_search->text();
}

void SettingsSidebar::showSelection() {
    m_showing = true;
    const int row = m_model->rowOf(m_selection);
    if (row < 0) {
        m_list->selectionModel()->clear();
    } else {
        const QModelIndex index = m_model->index(row);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    m_showing = false;
}

void SettingsSidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Vesk::Ink::x900);
    painter.fillRect(QRect(width() - 1, 0, 1, height()), Vesk::Ink::x800);
}

} // namespace vesk
