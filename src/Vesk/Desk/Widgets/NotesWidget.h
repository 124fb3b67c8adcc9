#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"

#include <functional>

class QPlainTextEdit;

namespace vesk {

// The scratch note: one plain-text editor filling the cell, "Notes…" while it is
// empty. Each edit is saved at once and then committed; a text from elsewhere (a merge,
// another computer) replaces the editor's and is neither saved nor committed: it is
// this computer's only once the user edits it. While the
// store is out of reach it says why in place of the editor and takes no typing; while
// saves fail it says why below the editor, which keeps the text.
class NotesWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        // Stores the text as typed.
        std::function<void(const QString&)> save;
        // Asks the owner to store what of the user's edits still waits; after edits and
        // when the widget leaves the screen.
        std::function<void()> onCommit;
    };

    NotesWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    // The note as stored; an equal text changes nothing.
    void setText(const QString& text);
    QString text() const;
    QPlainTextEdit* editor() const { return m_editor; }
    bool showsPlaceholder() const;
    // Why the note cannot be read or saved now; empty when it can.
    void setUnavailable(const QString& reason);
    const QString& unavailableReason() const { return m_unavailable; }
    // Why the last edits could not be saved; empty once they are.
    void setUnsaved(const QString& reason);

protected:
    void disappeared() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void edited();
    void showNotice();

    Actions m_actions;
    QPlainTextEdit* m_editor = nullptr;
    QWidget* m_placeholder = nullptr;
    bool m_replacing = false;
    QString m_unavailable;
    QString m_unsaved;
    QWidget* m_notice = nullptr;
};

} // namespace vesk
