#pragma once

#include <QLabel>

namespace vesk {

// A text the user can select with the mouse and copy (Ctrl+C or the context menu's
// Copy), for what a user may paste into a report: versions, errors, reports. One font
// and colour, on one line or wrapped, optionally cut after a number of lines.
class SelectableText final : public QLabel {
    Q_OBJECT
public:
    SelectableText(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    // Wraps onto as many lines as the width needs, or at most `maxLines` (0: no limit).
    void setWrapping(int maxLines = 0);
    // The selection as Ctrl+C copies it: line breaks as line feeds.
    QString plainSelection() const;

protected:
    // A label offers a menu only for links: this one offers Copy for the selection.
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace vesk
