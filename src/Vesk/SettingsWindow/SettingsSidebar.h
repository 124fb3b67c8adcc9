#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"

#include <QAbstractListModel>
#include <QList>
#include <QWidget>

#include <optional>

class QLineEdit;
class QListView;

namespace vesk {

// Whether a pane stays listed for a search text: the trimmed text found in its title or
// blurb, ignoring case; an empty text keeps every pane.
bool matchesSearch(SettingsPane pane, const QString& search);

// The sidebar's rows: section headings (never selectable; none above General) and the
// panes that match the search. A heading whose section has no pane left is left out.
class SettingsSidebarModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { paneRole = Qt::UserRole + 1, headingRole };

    explicit SettingsSidebarModel(QObject* parent = nullptr);

    void setSearch(const QString& search);
    // The row of a pane; -1 while the search hides it.
    int rowOf(SettingsPane pane) const;
    std::optional<SettingsPane> paneAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        std::optional<SettingsPane> pane;
        QString heading;
    };
    QList<Row> rowsFor(const QString& search) const;

    QList<Row> m_rows;
};

// The 230-wide sidebar: the search field over the list of panes. The selected pane is
// highlighted whenever the search leaves it listed; searching never changes it.
class SettingsSidebar final : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 230;

    explicit SettingsSidebar(SettingsPane selection, QWidget* parent = nullptr);

    void setSelection(SettingsPane pane);
    SettingsPane selection() const { return m_selection; }
    QString search() const;

    QLineEdit* searchField() const { return m_search; }
    QListView* list() const { return m_list; }
    SettingsSidebarModel* model() const { return m_model; }

Q_SIGNALS:
    // The user chose a pane.
    void paneChosen(SettingsPane pane);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showSelection();

    SettingsPane m_selection;
    QLineEdit* m_search;
    QListView* m_list;
    SettingsSidebarModel* m_model;
    bool m_showing = false;
};

} // namespace vesk
