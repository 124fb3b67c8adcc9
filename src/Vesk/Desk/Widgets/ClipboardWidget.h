#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/Clipboard/Clip.h"

#include <QHash>
#include <QList>
#include <QUuid>

#include <functional>

class QAbstractButton;

namespace vesk {

class WidgetEmptyState;

// The clipboard history, newest first, one row per clip: a click puts it back on the
// clipboard and the row says "Copied" for 1.2 s (only when it really was written);
// hovering shows a remove button; "Clear" empties the history.
class ClipboardWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        // Restores the clip and answers whether it was written.
        std::function<void(const Clip&, std::function<void(bool wrote)>)> onRestore;
        std::function<void(const Clip&)> onRemove;
        std::function<void()> onClear;
    };

    static constexpr double copiedFlash = 1.2;

    ClipboardWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setClips(const QList<Clip>& clips);
    const QList<Clip>& clips() const { return m_clips; }

    // Null without clips.
    QAbstractButton* clearButton() const;
    WidgetEmptyState* emptyState() const;
    QList<QWidget*> rows() const;
    // Whether the row of this clip is showing "Copied".
    bool isCopied(const QUuid& id) const;

private:
    void rebuild();
    void restore(const Clip& clip);

    Actions m_actions;
    QList<Clip> m_clips;
    QWidget* m_content = nullptr;
    QWidget* m_shown = nullptr;
    QAbstractButton* m_clear = nullptr;
    QHash<QUuid, TaskHandle> m_copied;
};

} // namespace vesk
