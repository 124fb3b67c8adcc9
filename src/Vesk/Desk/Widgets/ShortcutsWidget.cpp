#include "Vesk/Desk/Widgets/ShortcutsWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "Vesk/Desk/Widgets/WidgetNotice.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

// One shortcut: its symbol in a 12-point column, then its name on one line.
class ShortcutRow final : public QWidget {
public:
    ShortcutRow(const ShortcutSnapshot& item, std::function<void()> onRun, QWidget* parent)
        : QWidget(parent), m_item(item), m_onRun(std::move(onRun)) {
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(item.displayName());
        setFixedHeight(int(std::ceil(QFontMetricsF(systemFont(11)).height() + 8)));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath ground;
        ground.addRoundedRect(QRectF(rect()), 5, 5);
        painter.fillPath(ground, Vesk::Ink::x900);
        const QRectF content = QRectF(rect()).adjusted(7, 4, -7, -4);
        const double side = Symbols::sideForFontSize(9);
        Symbols::paint(painter,
                       QRectF(content.left() + (12 - side) / 2, content.center().y() - side / 2, side, side),
                       m_item.symbol, Vesk::Accent::x500);
        const QFont font = systemFont(11);
        const QRectF name(content.left() + 12 + 6, content.top(), content.width() - 18, content.height());
        painter.setFont(font);
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(font).elidedText(m_item.displayName(), Qt::ElideRight, name.width()));
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onRun)
            m_onRun();
    }

private:
    ShortcutSnapshot m_item;
    std::function<void()> m_onRun;
};

} // namespace

ShortcutsWidget::ShortcutsWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)) {
    m_content = new QWidget;
    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("Shortcuts"), nullptr, Qt::AlignCenter, m_content));
    rebuild();
}

void ShortcutsWidget::setItems(const QList<ShortcutSnapshot>& items) {
    if (items == m_items && m_shown) return;
    m_items = items;
    rebuild();
}

void ShortcutsWidget::setUnavailable(const QString& reason) {
    if (reason == m_unavailable) return;
    m_unavailable = reason;
    rebuild();
}

void ShortcutsWidget::setUnsaved(const QString& reason) {
    if (reason == m_unsaved) return;
    m_unsaved = reason;
    rebuild();
}

WidgetEmptyState* ShortcutsWidget::emptyState() const {
    return qobject_cast<WidgetEmptyState*>(m_shown);
}

QList<QWidget*> ShortcutsWidget::rows() const {
    QList<QWidget*> result;
    if (m_shown)
        for (QWidget* child : m_shown->findChildren<QWidget*>())
            if (dynamic_cast<ShortcutRow*>(child)) result.append(child);
    return result;
}

void ShortcutsWidget::rebuild() {
    if (m_shown) {
        // Later: a row's own click may be what changed the list.
        m_shown->hide();
        m_shown->deleteLater();
    }
    delete m_notice;
    m_notice = nullptr;
    const bool unsaved = m_unavailable.isEmpty() && !m_unsaved.isEmpty();
    if (unsaved) {
        m_notice = new WidgetNotice(QStringLiteral("exclamationmark.triangle"),
                                    QStringLiteral("Can't save your shortcuts"), m_unsaved);
        m_content->layout()->addWidget(m_notice);
    }
    if (!m_unavailable.isEmpty()) {
        m_shown = new WidgetEmptyState(QStringLiteral("exclamationmark.triangle"),
                                       QStringLiteral("Can't open your shortcuts"), m_unavailable);
    } else if (m_items.isEmpty()) {
        m_shown = new WidgetEmptyState(QStringLiteral("sparkles"), QStringLiteral("Choose your shortcuts"),
                                       QStringLiteral("in settings."),
                                       WidgetEmptyState::Action{QStringLiteral("Choose Shortcuts"), [this] {
                                                                    if (m_actions.onConfigure)
                                                                        m_actions.onConfigure();
                                                                }});
    } else {
        m_shown = DeskScrollList::ofRows(3, [this](QWidget* column, QVBoxLayout* rows) {
            for (const ShortcutSnapshot& item : std::as_const(m_items))
                rows->addWidget(new ShortcutRow(
                    item,
                    [this, item] {
                        if (m_actions.onRun) m_actions.onRun(item);
                    },
                    column));
        });
    }
    m_content->layout()->addWidget(m_shown);
}

} // namespace vesk
