#include "Vesk/Desk/Widgets/NotesWidget.h"

#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetNotice.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// "Notes…", drawn over the empty editor where typed text starts; clicks go through to it.
class Placeholder final : public QWidget {
public:
    explicit Placeholder(QPlainTextEdit* editor) : QWidget(editor->viewport()) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const QFontMetricsF metrics(systemFont(11));
        resize(int(std::ceil(metrics.horizontalAdvance(text()))) + 1, int(std::ceil(metrics.height())));
        // The first line of the empty document, in the editor's viewport.
        move(editor->cursorRect(QTextCursor(editor->document())).topLeft());
    }
    static QString text() { return QStringLiteral("Notes\u2026"); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(systemFont(11));
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, text());
    }
};

} // namespace

NotesWidget::NotesWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)) {
    m_editor = new QPlainTextEdit;
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setFocusPolicy(Qt::ClickFocus);
    m_editor->setFont(systemFont(11));
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setAutoFillBackground(false);
    m_editor->document()->setDocumentMargin(0);
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Vesk::Stone::x100);
    m_editor->setPalette(palette);
    m_editor->setAccessibleName(Placeholder::text());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_editor);
    m_placeholder = new Placeholder(m_editor);
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { edited(); });
}

QString NotesWidget::text() const {
    return m_editor->toPlainText();
}

bool NotesWidget::showsPlaceholder() const {
    return !m_placeholder->isHidden();
}

void NotesWidget::setText(const QString& text) {
    const QString shown = this->text();
    if (text == shown) return;
    // Only what differs is replaced, so the user keeps their place: the cursor stays with
    // the text around it even where a merge adds text before it or right at it, and the
    // next keystroke lands after what they typed. Like any text from elsewhere, it ends
    // the undo history.
    const qsizetype shorter = std::min(shown.size(), text.size());
    qsizetype head = 0;
    while (head < shorter && shown[head] == text[head])
        ++head;
    if (head > 0 && shown[head - 1].isHighSurrogate()) --head;
    qsizetype tail = 0;
    while (tail < shorter - head && shown[shown.size() - 1 - tail] == text[text.size() - 1 - tail])
        ++tail;
    if (tail > 0 && shown[shown.size() - tail].isLowSurrogate()) --tail;
    const qsizetype cursor = m_editor->textCursor().position();
    const qsizetype inserted = text.size() - head - tail;
    const int scroll = m_editor->verticalScrollBar()->value();
    m_replacing = true;
    QTextDocument* document = m_editor->document();
    document->setUndoRedoEnabled(false);
    QTextCursor edit(document);
    edit.setPosition(int(head));
    edit.setPosition(int(shown.size() - tail), QTextCursor::KeepAnchor);
    edit.insertText(text.mid(head, inserted));
    document->setUndoRedoEnabled(true);
    m_replacing = false;
    QTextCursor kept = m_editor->textCursor();
    if (cursor <= head)
        kept.setPosition(int(cursor));
    else if (cursor >= shown.size() - tail)
        kept.setPosition(int(cursor + text.size() - shown.size()));
    else
        kept.setPosition(int(head + inserted));
    m_editor->setTextCursor(kept);
    m_editor->verticalScrollBar()->setValue(scroll);
}

void NotesWidget::setUnavailable(const QString& reason) {
    if (reason == m_unavailable) return;
    m_unavailable = reason;
    const bool unavailable = !reason.isEmpty();
    // Typing would go nowhere: the editor takes none until the store is back.
    m_editor->setReadOnly(unavailable);
    m_editor->setVisible(!unavailable);
    m_placeholder->setVisible(!unavailable && m_editor->document()->isEmpty());
    showNotice();
}

void NotesWidget::setUnsaved(const QString& reason) {
    if (reason == m_unsaved) return;
    m_unsaved = reason;
    showNotice();
}

// A store out of reach takes the editor's place; failing saves are told below it, and
// the text stays to be saved with the next edit.
void NotesWidget::showNotice() {
    delete m_notice;
    m_notice = nullptr;
    if (!m_unavailable.isEmpty())
        m_notice = new WidgetEmptyState(QStringLiteral("exclamationmark.triangle"),
                                        QStringLiteral("Can't open your note"), m_unavailable);
    else if (!m_unsaved.isEmpty())
        m_notice = new WidgetNotice(QStringLiteral("exclamationmark.triangle"),
                                    QStringLiteral("Can't save your note"), m_unsaved);
    if (m_notice) layout()->addWidget(m_notice);
}

void NotesWidget::edited() {
    m_placeholder->setVisible(m_unavailable.isEmpty() && m_editor->document()->isEmpty());
    if (m_replacing || !m_unavailable.isEmpty()) return;
    if (m_actions.save) m_actions.save(text());
    if (m_actions.onCommit) m_actions.onCommit();
}

void NotesWidget::disappeared() {
    if (m_actions.onCommit) m_actions.onCommit();
}

void NotesWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath ground;
    ground.addRoundedRect(QRectF(rect()), 7, 7);
    painter.fillPath(ground, Vesk::Ink::x900);
}

} // namespace vesk
