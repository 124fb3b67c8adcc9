#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskSync/DeskRepository.h"

#include <QList>

#include <functional>

namespace vesk {

class WidgetEmptyState;

// The user's chosen shortcuts, one button each (symbol and name) that runs it; without
// any, a prompt that leads to the settings window's Shortcuts pane.
class ShortcutsWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(const ShortcutSnapshot&)> onRun;
        std::function<void()> onConfigure;
    };

    ShortcutsWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setItems(const QList<ShortcutSnapshot>& items);
    // Why the shortcuts cannot be read now (shown instead of them); empty when they can.
    void setUnavailable(const QString& reason);
    // Why the last edits could not be saved (shown above them); empty once they are.
    void setUnsaved(const QString& reason);
    const QList<ShortcutSnapshot>& items() const { return m_items; }

    // The placeholder shown without shortcuts; null while they are listed.
    WidgetEmptyState* emptyState() const;
    QList<QWidget*> rows() const;

private:
    void rebuild();

    Actions m_actions;
    QList<ShortcutSnapshot> m_items;
    QWidget* m_content = nullptr;
    QWidget* m_shown = nullptr;
    QWidget* m_notice = nullptr;
    QString m_unavailable;
    QString m_unsaved;
};

} // namespace vesk
