#include "Vesk/Desk/Widgets/ClipboardWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

// "Clear", in the frame's corner.
class ClearButton final : public QAbstractButton {
public:
    explicit ClearButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Clear"));
        setAccessibleName(text());
        setFont(systemFont(9, QFont::Medium));
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
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

// One clip: its kind's icon (a check while copied), its preview (or "Copied"), and on
// hover a remove button.
class ClipRow final : public QWidget {
public:
    ClipRow(const Clip& clip, const ClipboardWidget& widget, std::function<void()> onRestore,
            std::function<void()> onRemove, QWidget* parent)
        : QWidget(parent), m_clip(clip), m_widget(widget), m_onRestore(std::move(onRestore)),
          m_onRemove(std::move(onRemove)) {
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
        setToolTip(clip.kind == Clip::Kind::text ? clip.preview() : clip.text);
        setAccessibleName(clip.preview());
        setFixedHeight(int(std::ceil(QFontMetricsF(systemFont(11)).height() + 10)));
    }
    bool hovering = false;

protected:
    QRectF removeRect() const {
        const double side = Symbols::sideForFontSize(8);
        return QRectF(width() - 7 - side, (height() - side) / 2, side, side);
    }

    void paintEvent(QPaintEvent*) override {
        const bool copied = m_widget.isCopied(m_clip.id);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (hovering) {
            QPainterPath ground;
            ground.addRoundedRect(QRectF(rect()), 6, 6);
            painter.fillPath(ground, Vesk::Ink::x850);
        }
        const double side = Symbols::sideForFontSize(10);
        Symbols::paint(painter, QRectF(7 + (13 - side) / 2, (height() - side) / 2, side, side),
                       copied ? QStringLiteral("checkmark") : m_clip.symbol(),
                       copied ? Vesk::Semantic::sage : Vesk::Stone::x400);
        const bool removable = hovering && !copied;
        const double right = removable ? removeRect().left() - 4 : width() - 7;
        const QRectF textRect(7 + 13 + 7, 0, std::max(0.0, right - 27), height());
        const QFont font = systemFont(11);
        painter.setFont(font);
        painter.setPen(copied ? Vesk::Stone::x200 : Vesk::Stone::x100);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(font).elidedText(copied ? QStringLiteral("Copied") : m_clip.preview(),
                                                        Qt::ElideRight, textRect.width()));
        if (removable) Symbols::paint(painter, removeRect(), u"xmark", Vesk::Stone::x400);
    }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave) {
            hovering = event->type() == QEvent::HoverEnter;
            update();
        }
        return QWidget::event(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
        if (hovering && !m_widget.isCopied(m_clip.id) &&
            removeRect().adjusted(-3, -3, 3, 3).contains(event->position())) {
            if (m_onRemove) m_onRemove();
            return;
        }
        if (m_onRestore) m_onRestore();
    }

private:
    Clip m_clip;
    const ClipboardWidget& m_widget;
    std::function<void()> m_onRestore;
    std::function<void()> m_onRemove;
};

} // namespace

ClipboardWidget::ClipboardWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)) {
    m_content = new QWidget;
    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    m_clear = new ClearButton(nullptr);
    connect(m_clear, &QAbstractButton::clicked, this, [this] {
        if (m_actions.onClear) m_actions.onClear();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("Clipboard"), m_clear, Qt::AlignCenter, m_content));
    rebuild();
}

QAbstractButton* ClipboardWidget::clearButton() const {
    return m_clear->isHidden() ? nullptr : m_clear;
}

WidgetEmptyState* ClipboardWidget::emptyState() const {
    return qobject_cast<WidgetEmptyState*>(m_shown);
}

QList<QWidget*> ClipboardWidget::rows() const {
    QList<QWidget*> result;
    if (m_shown)
        for (QWidget* child : m_shown->findChildren<QWidget*>())
            if (dynamic_cast<ClipRow*>(child)) result.append(child);
    return result;
}

bool ClipboardWidget::isCopied(const QUuid& id) const {
    return m_copied.contains(id);
}

void ClipboardWidget::setClips(const QList<Clip>& clips) {
    if (clips == m_clips && m_shown) return;
    m_clips = clips;
    rebuild();
}

void ClipboardWidget::restore(const Clip& clip) {
    if (!m_actions.onRestore) return;
    const QPointer<ClipboardWidget> self(this);
    const QUuid id = clip.id;
    m_actions.onRestore(clip, [self, id](bool wrote) {
        // Only a clip that reached the clipboard is shown as copied.
        if (!self || !wrote) return;
        if (self->m_copied.contains(id)) self->m_copied.value(id).cancel();
        self->m_copied.insert(id,
                              self->environment().mainThreadScheduler().postAfter(copiedFlash, [self, id] {
                                  if (!self) return;
                                  self->m_copied.remove(id);
                                  for (QWidget* row : self->rows())
                                      row->update();
                              }));
        for (QWidget* row : self->rows())
            row->update();
    });
}

void ClipboardWidget::rebuild() {
    if (m_shown) {
        // Later: a row's own click may be what changed the list.
        m_shown->hide();
        m_shown->deleteLater();
    }
    m_clear->setVisible(!m_clips.isEmpty());
    if (m_clips.isEmpty()) {
        m_shown =
            new WidgetEmptyState(QStringLiteral("doc.on.clipboard"), QStringLiteral("Nothing copied yet"),
                                 QStringLiteral("Copy something and it lands here."));
    } else {
        m_shown = DeskScrollList::ofRows(2, [this](QWidget* column, QVBoxLayout* rows) {
            for (const Clip& clip : std::as_const(m_clips))
                rows->addWidget(new ClipRow(
                    clip, *this, [this, clip] { restore(clip); },
                    [this, clip] {
                        if (m_actions.onRemove) m_actions.onRemove(clip);
                    },
                    column));
        });
    }
    m_content->layout()->addWidget(m_shown);
}

} // namespace vesk
