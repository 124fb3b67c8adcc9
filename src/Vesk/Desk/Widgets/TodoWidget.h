#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskSync/DeskRepository.h"

#include <QList>

#include <functional>

class QLineEdit;

namespace vesk {

class WidgetEmptyState;
class WidgetNotice;

// The to-dos: a composer for a new one, the list (check box, title, star, delete) and
// how many are left. Rows are open before done, favourites first, newest first. While
// the store is out of reach it says why instead of the list, and a typed to-do stays in
// the field until the store takes it. While saves fail it says why above the list,
// which still shows the unsaved rows.
class TodoWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(const QString&)> onAdd;
        std::function<void(const TodoSnapshot&)> onToggle;
        std::function<void(const TodoSnapshot&)> onFavorite;
        std::function<void(const TodoSnapshot&)> onDelete;
    };

    TodoWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setItems(const QList<TodoSnapshot>& items);
    // Why the to-dos cannot be read or written now; empty when they can.
    void setUnavailable(const QString& reason);
    const QString& unavailableReason() const { return m_unavailable; }
    // Why the last edits could not be saved; empty once they are.
    void setUnsaved(const QString& reason);
    const QList<TodoSnapshot>& items() const { return m_items; }
    // The items in the order they are listed.
    static QList<TodoSnapshot> ordered(QList<TodoSnapshot> items);
    // "1 left", "N left", or empty when nothing is open.
    static QString remainingText(const QList<TodoSnapshot>& items);

    QLineEdit* field() const { return m_field; }
    QWidget* composer() const { return m_composer; }
    WidgetEmptyState* emptyState() const;
    // What says the last edits were not saved; null once they are.
    WidgetNotice* unsavedNotice() const;
    QList<QWidget*> rows() const;
    // The count line as shown; empty when absent.
    QString countLine() const;

private:
    void rebuild();

    Actions m_actions;
    QList<TodoSnapshot> m_items;
    QWidget* m_composer = nullptr;
    QLineEdit* m_field = nullptr;
    QWidget* m_body = nullptr;
    QWidget* m_shown = nullptr;
    QString m_countLine;
    QString m_unavailable;
    QString m_unsaved;
};

} // namespace vesk
