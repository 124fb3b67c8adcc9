#include "Vesk/Tray/TrayWidget.h"

#include "Vesk/Tray/MoreDropZone.h"
#include "Vesk/Tray/TrayAllChip.h"
#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayMoveWatch.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace vesk {

namespace {

const QFont& headerFont() {
    static const QFont font = systemFont(10, QFont::Medium);
    return font;
}
const QFont& hintFont() {
    static const QFont font = systemFont(10);
    return font;
}

// "Paste" and "Clear": their words only.
class WordButton final : public QAbstractButton {
public:
    WordButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
        setText(text);
        setFont(headerFont());
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text()))) + 2, int(std::ceil(metrics.height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(isDown() ? Vesk::Stone::x200 : Vesk::Stone::x400);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

class Header final : public QWidget {
public:
    Header(QWidget* parent) : QWidget(parent) {
        paste = new WordButton(QStringLiteral("Paste"), this);
        paste->setToolTip(QStringLiteral("Add what's on the clipboard (Ctrl+V)"));
        clear = new WordButton(QStringLiteral("Clear"), this);
    }
    void set(qsizetype count, bool copyByDefault) {
        m_count = count == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(count);
        m_hint = copyByDefault ? QStringLiteral("drag out to copy") : QStringLiteral("drag out to move");
        update();
    }
    int preferredHeight() const { return int(std::ceil(QFontMetricsF(headerFont()).height())); }

    WordButton* paste;
    WordButton* clear;

protected:
    void resizeEvent(QResizeEvent*) override {
        int right = width();
        for (WordButton* button : {clear, paste}) {
            const QSize hint = button->sizeHint();
            right -= hint.width();
            button->setGeometry(right, (height() - hint.height()) / 2, hint.width(), hint.height());
            right -= 6;
        }
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        double x = 0;
        const auto draw = [&](const QString& text, const QFont& font, const QColor& colour) {
            painter.setFont(font);
            painter.setPen(colour);
            const double advance = QFontMetricsF(font).horizontalAdvance(text);
            painter.drawText(QRectF(x, 0, advance + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text);
            x += advance + 6;
        };
        draw(m_count, headerFont(), Vesk::Stone::x300);
        draw(QStringLiteral("·"), hintFont(), Vesk::Ink::x600);
        draw(m_hint, hintFont(), Vesk::Stone::x400);
    }

private:
    QString m_count;
    QString m_hint;
};

class EmptyBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0, 4, 0, -4);
        paintDashedBox(painter, box, 12, Vesk::Ink::x600);

        static const QFont title = systemFont(12, QFont::Medium);
        static const QFont body = systemFont(10);
        const QString titleText = QStringLiteral("Drop files here — or press Ctrl+V");
        const QString bodyText = QStringLiteral(
            "Park files, copied text or images; open where they need to go, then drag them back out.");
        const QRectF inner = box.adjusted(16, 0, -16, 0);
        const double side = Symbols::sideForFontSize(20);
        const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
        const QRectF bodyRect =
            QFontMetricsF(body).boundingRect(QRectF(0, 0, inner.width(), 1e6), flags, bodyText);
        const double titleHeight = QFontMetricsF(title).height();
        const double total = side + 5 + titleHeight + 5 + bodyRect.height();
        double y = box.center().y() - total / 2;
        Symbols::paint(painter, QRectF(box.center().x() - side / 2, y, side, side), u"tray.and.arrow.down",
                       Vesk::Stone::x300);
        y += side + 5;
        painter.setFont(title);
        painter.setPen(Vesk::Stone::x200);
        painter.drawText(QRectF(inner.left(), y, inner.width(), titleHeight), flags, titleText);
        y += titleHeight + 5;
        painter.setFont(body);
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(QRectF(inner.left(), y, inner.width(), bodyRect.height()), flags, bodyText);
    }
};

// The chips' row: no bars, every wheel event taken (a wheel reaching the notch would
// swipe the desk closed), a vertical wheel scrolling sideways.
class Row final : public QScrollArea {
public:
    explicit Row(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFocusPolicy(Qt::NoFocus);
        viewport()->setAutoFillBackground(false);
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        const QPoint pixels = event->pixelDelta();
        const QPoint angle = event->angleDelta();
        const double dx = !pixels.isNull() ? pixels.x() : angle.x() / 8.0 * 2;
        const double dy = !pixels.isNull() ? pixels.y() : angle.y() / 8.0 * 2;
        const double step = std::abs(dx) > std::abs(dy) ? dx : dy;
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() - int(std::round(step)));
        event->accept();
    }
};

// What a new list drops may be inside its own event or signal: it goes once that returned.
void retire(QWidget* widget) {
    if (!widget) return;
    widget->hide();
    widget->deleteLater();
}

} // namespace

TrayWidget::TrayWidget(const TrayContentInputs& inputs, const TrayViewEnvironment& environment,
                       QWidget* parent)
    : QWidget(parent), m_store(inputs.store), m_copyByDefault(inputs.copyByDefault),
      m_actions(inputs.actions), m_environment(environment) {
    setItems(inputs.items);
}

TrayWidget::~TrayWidget() {
    if (m_filteredWindow) m_filteredWindow->removeEventFilter(this);
}

TrayContent TrayWidget::make(const TrayContentInputs& inputs, const TrayViewEnvironment& environment,
                             QWidget* parent) {
    auto* widget = new TrayWidget(inputs, environment, parent);
    const QPointer<TrayWidget> weak(widget);
    return TrayContent{.widget = widget,
                       .setItems =
                           [weak](const QList<TrayItem>& items) {
                               if (weak) weak->setItems(items);
                           },
                       .setCopyByDefault =
                           [weak](bool copyByDefault) {
                               if (weak) weak->setCopyByDefault(copyByDefault);
                           }};
}

QAbstractButton* TrayWidget::pasteButton() const {
    return m_header ? static_cast<Header*>(m_header)->paste : nullptr;
}

QAbstractButton* TrayWidget::clearButton() const {
    return m_header ? static_cast<Header*>(m_header)->clear : nullptr;
}

void TrayWidget::setItems(const QList<TrayItem>& items) {
    const bool first = m_items.isEmpty() && !m_empty && !m_header;
    if (!first && items == m_items) return;
    m_items = items;
    rebuild();
}

void TrayWidget::setCopyByDefault(bool copyByDefault) {
    if (copyByDefault == m_copyByDefault) return;
    m_copyByDefault = copyByDefault;
    if (m_header) static_cast<Header*>(m_header)->set(m_items.size(), m_copyByDefault);
    if (m_allChip) m_allChip->setCopyByDefault(copyByDefault);
    for (TrayChip* chip : std::as_const(m_chips))
        chip->setCopyByDefault(copyByDefault);
}

// A removal republishes the list, and the new list may drop the very chip, button or
// menu that asked for it: it runs once their own call has returned.
void TrayWidget::remove(const QList<TrayItem>& items) {
    QMetaObject::invokeMethod(
        this,
        [this, items] {
            if (m_actions.onRemove) m_actions.onRemove(items);
        },
        Qt::QueuedConnection);
}

void TrayWidget::rebuild() {
    const auto onRemove = [this](const TrayItem& item) { remove({item}); };
    const auto onRemoveAll = [this](const QList<TrayItem>& items) { remove(items); };
    // The files of a move may leave after the drag returned, and the first to leave can
    // take the chip that was dragged with it (the all-items chip goes below two items),
    // or the desk may close: the watch belongs to the store and removes through the
    // actions, which outlive this widget.
    const auto watchMoves = [this](const QList<TrayItem>& dragged) {
        QObject* owner = m_store ? static_cast<QObject*>(m_store.data()) : this;
        new TrayMoveWatch(dragged, m_actions.onRemove, owner);
    };
    if (m_items.isEmpty()) {
        retire(m_header);
        retire(m_row);
        m_header = nullptr;
        m_row = nullptr;
        m_rowContent = nullptr;
        m_allChip = nullptr;
        m_dropZone = nullptr;
        m_chips.clear();
        if (!m_empty) {
            m_empty = new EmptyBox(this);
            m_empty->show();
        }
        place();
        return;
    }
    retire(m_empty);
    m_empty = nullptr;
    if (!m_header) {
        auto* header = new Header(this);
        connect(header->paste, &QAbstractButton::clicked, this, [this] {
            if (m_actions.onPaste) m_actions.onPaste();
        });
        connect(
            header->clear, &QAbstractButton::clicked, this,
            [this] {
                if (m_actions.onClear) m_actions.onClear();
            },
            Qt::QueuedConnection);
        header->show();
        m_header = header;
        m_row = new Row(this);
        m_rowContent = new QWidget;
        m_rowContent->setAutoFillBackground(false);
        m_row->setWidget(m_rowContent);
        m_rowContent->setAutoFillBackground(false);
        m_dropZone = new MoreDropZone(m_rowContent);
        m_row->show();
    }
    static_cast<Header*>(m_header)->set(m_items.size(), m_copyByDefault);

    if (m_items.size() >= 2) {
        if (!m_allChip)
            m_allChip = new TrayAllChip(m_items, m_copyByDefault, onRemoveAll, m_environment, m_rowContent);
        m_allChip->dragHandle()->onMovedAway = watchMoves;
        m_allChip->setItems(m_items);
        m_allChip->show();
    } else {
        retire(m_allChip);
        m_allChip = nullptr;
    }
    QHash<QUuid, TrayChip*> kept;
    for (const TrayItem& item : std::as_const(m_items)) {
        TrayChip* chip = m_chips.take(item.id);
        if (chip) {
            chip->setItem(item);
        } else {
            chip = new TrayChip(item, m_store, m_copyByDefault, onRemove, m_environment, m_rowContent);
            chip->dragHandle()->onMovedAway = watchMoves;
            chip->show();
        }
        kept.insert(item.id, chip);
    }
    for (TrayChip* dropped : std::as_const(m_chips))
        retire(dropped);
    m_chips = kept;
    place();
}

void TrayWidget::place() {
    if (m_empty) m_empty->setGeometry(rect());
    if (!m_header) return;
    const int headerHeight = static_cast<Header*>(m_header)->preferredHeight();
    m_header->setGeometry(0, 0, width(), headerHeight);
    const int top = headerHeight + int(headerSpacing);
    m_row->setGeometry(0, top, width(), std::max(0, height() - top));
    placeRow();
}

void TrayWidget::placeRow() {
    if (!m_rowContent) return;
    QList<QWidget*> order;
    if (m_allChip) order.append(m_allChip);
    for (const TrayItem& item : std::as_const(m_items))
        if (TrayChip* chip = m_chips.value(item.id)) order.append(chip);
    int rowHeight = int(MoreDropZone::height_);
    for (QWidget* chip : order)
        rowHeight = std::max(rowHeight, chip->sizeHint().height());
    const int top = int(rowVerticalPadding);
    double x = rowHorizontalPadding;
    for (QWidget* chip : order) {
        const QSize hint = chip->sizeHint();
        chip->setGeometry(int(x), top + (rowHeight - hint.height()) / 2, hint.width(), hint.height());
        x += hint.width() + chipSpacing;
    }
    // The box takes what the view has left, at least 130.
    const double zoneWidth = std::max(MoreDropZone::minimumWidth_, m_row->width() - x - rowHorizontalPadding);
    m_dropZone->setGeometry(int(x), top + (rowHeight - int(MoreDropZone::height_)) / 2, int(zoneWidth),
                            int(MoreDropZone::height_));
    m_rowContent->resize(int(x + zoneWidth + rowHorizontalPadding), rowHeight + 2 * top);
}

void TrayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void TrayWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Keys without a focused widget go to the window: Space is seen there.
    if (QWidget* panel = window(); panel != this && panel != m_filteredWindow) {
        if (m_filteredWindow) m_filteredWindow->removeEventFilter(this);
        m_filteredWindow = panel;
        panel->installEventFilter(this);
    }
}

void TrayWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_filteredWindow) m_filteredWindow->removeEventFilter(this);
    m_filteredWindow = nullptr;
}

bool TrayWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        for (TrayChip* chip : std::as_const(m_chips)) {
            if (!chip->isHovering()) continue;
            chip->preview();
            return true;
        }
        if (m_allChip && m_allChip->isHovering()) {
            m_allChip->preview();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vesk
