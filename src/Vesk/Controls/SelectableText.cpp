#include "Vesk/Controls/SelectableText.h"

#include "VeskUI/Tokens/Vesk.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>

#include <cmath>

namespace vesk {

SelectableText::SelectableText(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    QPalette ink = palette();
    ink.setColor(QPalette::WindowText, color);
    ink.setColor(QPalette::Highlight, Vesk::Accent::x500);
    ink.setColor(QPalette::HighlightedText, Vesk::Accent::on);
    setPalette(ink);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A click focuses it, so Ctrl+C copies what the mouse selected; no caret blinks.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setCursor(Qt::IBeamCursor);
}

void SelectableText::setWrapping(int maxLines) {
    setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    if (maxLines > 0) setMaximumHeight(int(std::ceil(QFontMetricsF(font()).lineSpacing() * maxLines)));
}

QString SelectableText::plainSelection() const {
    // The selection keeps the layout's own separators; a paste wants what Ctrl+C gives.
    QString text = selectedText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
        else if (c == QChar::Nbsp)
            c = u' ';
    }
    return text;
}

void SelectableText::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("Copy"), this,
                                    [this] { QGuiApplication::clipboard()->setText(plainSelection()); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasSelectedText());
    menu->popup(event->globalPos());
}

} // namespace vesk
