#pragma once

#include "Vesk/Desk/DeskEnvironment.h"
#include "Vesk/Tray/TrayViewEnvironment.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class QAbstractButton;
class QScrollArea;

namespace vesk {

class MoreDropZone;
class TrayAllChip;
class TrayChip;
class TrayStore;

// The tray tab's list: a header (count, what a plain drag does, Paste and Clear) over
// a row of chips (the all-items chip from two items on, one chip per item, the "Drop
// more here" box), or, with no items, a dashed box inviting drops and Ctrl+V. Chips are
// matched to items by id, so a chip keeps its hover and thumbnail while its item stays.
// Space while a chip is hovered previews it.
class TrayWidget final : public QWidget {
    Q_OBJECT

public:
    static constexpr double headerSpacing = 7;
    static constexpr double chipSpacing = 12;
    static constexpr double rowHorizontalPadding = 4;
    static constexpr double rowVerticalPadding = 6;

    TrayWidget(const TrayContentInputs& inputs, const TrayViewEnvironment& environment,
               QWidget* parent = nullptr);
    ~TrayWidget() override;

    // Builds the tray tab's content for the desk.
    static TrayContent make(const TrayContentInputs& inputs, const TrayViewEnvironment& environment,
                            QWidget* parent);

    const QList<TrayItem>& items() const { return m_items; }
    void setItems(const QList<TrayItem>& items);
    // What a plain drag does: the header's hint and every chip follow at once.
    void setCopyByDefault(bool copyByDefault);
    bool copyByDefault() const { return m_copyByDefault; }

    // Null while empty (or, for the all-items chip, with fewer than two items).
    TrayChip* chip(const QUuid& id) const { return m_chips.value(id); }
    TrayAllChip* allChip() const { return m_allChip; }
    MoreDropZone* dropZone() const { return m_dropZone; }
    QWidget* emptyState() const { return m_empty; }
    QWidget* header() const { return m_header; }
    QScrollArea* row() const { return m_row; }
    QAbstractButton* pasteButton() const;
    QAbstractButton* clearButton() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    void remove(const QList<TrayItem>& items);
    void place();
    void placeRow();

    QList<TrayItem> m_items;
    QPointer<TrayStore> m_store;
    bool m_copyByDefault;
    TrayActions m_actions;
    const TrayViewEnvironment& m_environment;
    QWidget* m_empty = nullptr;
    QWidget* m_header = nullptr;
    QScrollArea* m_row = nullptr;
    QWidget* m_rowContent = nullptr;
    TrayAllChip* m_allChip = nullptr;
    MoreDropZone* m_dropZone = nullptr;
    QHash<QUuid, TrayChip*> m_chips;
    QPointer<QWidget> m_filteredWindow;
};

} // namespace vesk
