#include "Vesk/Desk/Widgets/TodoWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/RowMenu.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "Vesk/Desk/Widgets/WidgetNotice.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

QColor mix(const QColor& from, const QColor& to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t),
                            float(from.alphaF() + (to.alphaF() - from.alphaF()) * t));
}

// The "plus", the field and its underline; a press anywhere on it focuses the field.
class Composer final : public QWidget {
public:
    Composer(QLineEdit* field, const DeskEnvironment& environment, QWidget* parent)
        : QWidget(parent), m_field(field), m_environment(environment), m_focus(0.0) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(8 + 12 + 8, 7, 8, 7);
        layout->addWidget(field);
        field->installEventFilter(this);
        connect(&m_focus, &MotionAnimator::valueChanged, this, [this] { update(); });
    }
    double focus() const { return m_focus.valueAs<double>(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            m_focus.animateTo(event->type() == QEvent::FocusIn ? 1.0 : 0.0, m_environment.hoverMotion());
        return false;
    }
    void mousePressEvent(QMouseEvent* event) override {
        m_field->setFocus(Qt::MouseFocusReason);
        event->accept();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double t = focus();
        const double side = Symbols::sideForFontSize(11);
        Symbols::paint(painter, QRectF(8, (height() - side) / 2, side, side), u"plus",
                       mix(Vesk::Stone::x400, Vesk::Accent::x500, t));
        QColor focused = Vesk::Accent::x500;
        focused.setAlphaF(0.55f);
        painter.fillRect(QRectF(0, height() - 1, width(), 1), mix(Vesk::Ink::x700, focused, t));
    }

private:
    QLineEdit* m_field;
    const DeskEnvironment& m_environment;
    MotionAnimator m_focus;
};

// One to-do: check box, title (struck through when done), star and delete. The hover
// ground, the outline star and the delete mark fade in and out with the pointer; the
// star slides aside as the delete mark comes.
class TodoRow final : public QWidget {
public:
    TodoRow(const TodoSnapshot& item, const TodoWidget::Actions& actions, const DeskEnvironment& environment,
            QWidget* holder, QWidget* parent)
        : QWidget(parent), m_item(item), m_actions(actions), m_environment(environment), m_holder(holder),
          m_hover(new MotionAnimator(QVariant(0.0), this)) {
        setAttribute(Qt::WA_Hover);
        setAccessibleName(item.title);
        setFixedHeight(int(std::ceil(std::max(20.0, QFontMetricsF(systemFont(12.5)).height()) + 12)));
        m_hover->setObjectName(QStringLiteral("hover"));
        connect(m_hover, &MotionAnimator::valueChanged, this, [this] { update(); });
    }
    bool hovering = false;
    bool showsStar() const { return m_item.isFavorite || hovering; }
    bool showsDelete() const { return hovering; }

protected:
    // How far the hover look has come in, 0 to 1 (the spring's overshoot cut off).
    double shown() const { return std::clamp(m_hover->valueAs<double>(), 0.0, 1.0); }
    QRectF checkRect() const { return QRectF(8, (height() - 20) / 2.0, 20, 20); }
    QRectF deleteRect() const { return QRectF(width() - 8 - 18, (height() - 18) / 2.0, 18, 18); }
    QRectF starRect() const { return deleteRect().translated(-(18 + 9) * shown(), 0); }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double t = shown();
        if (t > 0) {
            QPainterPath ground;
            ground.addRoundedRect(QRectF(rect()), 8, 8);
            QColor colour = Vesk::Ink::x850;
            colour.setAlphaF(float(colour.alphaF() * t));
            painter.fillPath(ground, colour);
        }
        const QRectF circle = checkRect().adjusted(2.5, 2.5, -2.5, -2.5);
        if (m_item.isDone) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Vesk::Accent::x500);
            painter.drawEllipse(circle);
            const double side = Symbols::sideForFontSize(8);
            Symbols::paint(painter, QRectF(circle.center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                           u"checkmark", Vesk::Accent::on);
        } else {
            painter.setPen(QPen(Vesk::Ink::x600, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(circle.adjusted(0.75, 0.75, -0.75, -0.75));
        }
        const bool starDrawn = m_item.isFavorite || t > 0;
        double right = width() - 8;
        if (t > 0) right = deleteRect().left() - 9;
        if (starDrawn) right = starRect().left() - 9;
        right = std::min(right, width() - 8.0 - 4);
        const double left = checkRect().right() + 9;
        const QFont font = systemFont(12.5);
        const QFontMetricsF metrics(font);
        const QString title = metrics.elidedText(m_item.title, Qt::ElideRight, std::max(0.0, right - left));
        const QColor colour = m_item.isDone ? Vesk::Stone::x400 : Vesk::Stone::x100;
        painter.setFont(font);
        painter.setPen(colour);
        const QRectF titleRect(left, 0, std::max(0.0, right - left), height());
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, title);
        if (m_item.isDone) {
            const double y = height() / 2.0 + 0.5;
            painter.setPen(QPen(Vesk::Stone::x400, 1));
            painter.drawLine(QPointF(left, y), QPointF(left + metrics.horizontalAdvance(title), y));
        }
        if (starDrawn) {
            const double side = Symbols::sideForFontSize(10);
            const QRectF star = starRect();
            painter.setOpacity(m_item.isFavorite ? 1.0 : t);
            Symbols::paint(painter, QRectF(star.center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                           m_item.isFavorite ? u"star.fill" : u"star",
                           m_item.isFavorite ? Vesk::Accent::x500 : Vesk::Stone::x400);
        }
        if (t > 0) {
            const double side = Symbols::sideForFontSize(9);
            painter.setOpacity(t);
            Symbols::paint(painter,
                           QRectF(deleteRect().center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                           u"xmark", Vesk::Stone::x400);
        }
    }

    bool event(QEvent* event) override {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave) {
            hovering = event->type() == QEvent::HoverEnter;
            m_hover->animateTo(hovering ? 1.0 : 0.0, m_environment.hoverMotion());
        }
        return QWidget::event(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPointF at = event->position();
        const TodoSnapshot item = m_item;
        if (checkRect().contains(at)) {
            if (m_actions.onToggle) m_actions.onToggle(item);
        } else if (showsDelete() && deleteRect().contains(at)) {
            if (m_actions.onDelete) m_actions.onDelete(item);
        } else if (showsStar() && starRect().contains(at)) {
            if (m_actions.onFavorite) m_actions.onFavorite(item);
        }
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        const TodoSnapshot item = m_item;
        const auto remove = m_actions.onDelete;
        popupRowMenu(m_holder, event->globalPos(),
                     {{QStringLiteral("Delete"),
                       [remove, item] {
                           if (remove) remove(item);
                       },
                       true}});
    }

private:
    TodoSnapshot m_item;
    const TodoWidget::Actions& m_actions;
    const DeskEnvironment& m_environment;
    QWidget* m_holder;
    MotionAnimator* m_hover;
};

// "N left".
class CountLine final : public QWidget {
public:
    CountLine(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {
        setFixedHeight(int(std::ceil(QFontMetricsF(systemFont(10)).height())));
        setAccessibleName(text);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(systemFont(10));
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(rect().adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_text);
    }

private:
    QString m_text;
};

} // namespace

QList<TodoSnapshot> TodoWidget::ordered(QList<TodoSnapshot> items) {
    std::stable_sort(items.begin(), items.end(), [](const TodoSnapshot& a, const TodoSnapshot& b) {
        if (a.isDone != b.isDone) return !a.isDone;
        if (a.isFavorite != b.isFavorite) return a.isFavorite;
        return a.createdAt > b.createdAt;
    });
    return items;
}

QString TodoWidget::remainingText(const QList<TodoSnapshot>& items) {
    const qsizetype open =
        std::count_if(items.begin(), items.end(), [](const TodoSnapshot& item) { return !item.isDone; });
    if (open == 0) return {};
    return QStringLiteral("%1 left").arg(open);
}

TodoWidget::TodoWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)) {
    m_field = new QLineEdit;
    m_field->setFrame(false);
    m_field->setFocusPolicy(Qt::ClickFocus);
    m_field->setFont(systemFont(12.5));
    m_field->setPlaceholderText(QStringLiteral("New task"));
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Vesk::Stone::x100);
    palette.setColor(QPalette::PlaceholderText, Vesk::Stone::x400);
    m_field->setPalette(palette);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        // The text goes as typed; the repository trims it and ignores a blank one.
        const QString draft = m_field->text();
        if (m_actions.onAdd) m_actions.onAdd(draft);
        // Told at once when the store opened for it; otherwise the text was not taken.
        if (!m_unavailable.isEmpty()) return;
        m_field->clear();
        m_field->setFocus(Qt::OtherFocusReason);
    });

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    m_composer = new Composer(m_field, environment, content);
    stack->addWidget(m_composer);
    m_body = new QWidget(content);
    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_body, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("To-do"), nullptr, Qt::AlignTop, content));
    rebuild();
}

void TodoWidget::setItems(const QList<TodoSnapshot>& items) {
    if (items == m_items && m_shown) return;
    m_items = items;
    rebuild();
}

void TodoWidget::setUnavailable(const QString& reason) {
    if (reason == m_unavailable) return;
    m_unavailable = reason;
    rebuild();
}

void TodoWidget::setUnsaved(const QString& reason) {
    if (reason == m_unsaved) return;
    m_unsaved = reason;
    rebuild();
}

WidgetEmptyState* TodoWidget::emptyState() const {
    return m_shown ? m_shown->findChild<WidgetEmptyState*>() : nullptr;
}

WidgetNotice* TodoWidget::unsavedNotice() const {
    return m_shown ? m_shown->findChild<WidgetNotice*>() : nullptr;
}

QList<QWidget*> TodoWidget::rows() const {
    QList<QWidget*> result;
    if (m_shown)
        for (QWidget* child : m_shown->findChildren<QWidget*>())
            if (dynamic_cast<TodoRow*>(child)) result.append(child);
    return result;
}

QString TodoWidget::countLine() const {
    return m_countLine;
}

void TodoWidget::rebuild() {
    if (m_shown) {
        // Later: a row's own click may be what changed the list.
        m_shown->hide();
        m_shown->deleteLater();
    }
    m_shown = new QWidget;
    auto* layout = new QVBoxLayout(m_shown);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_countLine.clear();
    if (!m_unavailable.isEmpty()) {
        layout->setContentsMargins(0, 14, 0, 0);
        layout->addWidget(new WidgetEmptyState(QStringLiteral("exclamationmark.triangle"),
                                               QStringLiteral("Can't open your to-dos"), m_unavailable));
        layout->addStretch(1);
        m_body->layout()->addWidget(m_shown);
        return;
    }
    if (!m_unsaved.isEmpty())
        layout->addWidget(new WidgetNotice(QStringLiteral("exclamationmark.triangle"),
                                           QStringLiteral("Can't save your to-dos"), m_unsaved));
    if (m_items.isEmpty()) {
        layout->setContentsMargins(0, 14, 0, 0);
        // Its own notice stands in for the placeholder, for which the cell has no room
        // beside it; the composer above still takes a new to-do.
        if (m_unsaved.isEmpty())
            layout->addWidget(new WidgetEmptyState(QStringLiteral("checkmark.circle"),
                                                   QStringLiteral("Nothing to do"),
                                                   QStringLiteral("Add one above.")));
        layout->addStretch(1);
    } else {
        auto* list = DeskScrollList::ofRows(1, [this](QWidget* column, QVBoxLayout* rows) {
            for (const TodoSnapshot& item : ordered(m_items))
                rows->addWidget(new TodoRow(item, m_actions, environment(), this, column));
        });
        layout->addWidget(list, 1);
        m_countLine = remainingText(m_items);
        if (!m_countLine.isEmpty()) layout->addWidget(new CountLine(m_countLine, m_shown));
    }
    m_body->layout()->addWidget(m_shown);
}

} // namespace vesk
