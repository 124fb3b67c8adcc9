#include "Vesk/Desk/Widgets/WidgetFrame.h"

#include <QEvent>
#include <QStyle>

#include <algorithm>

namespace vesk {

WidgetFrame::WidgetFrame(const QString& title, QWidget* trailing, Qt::Alignment alignment, QWidget* content,
                         QWidget* parent)
    : QWidget(parent), m_content(content), m_trailing(trailing), m_alignment(alignment) {
    setAccessibleName(title);
    if (m_content) m_content->setParent(this);
    if (m_trailing) {
        m_trailing->setParent(this);
        m_trailing->raise();
        // The content takes the header row back while the control is hidden.
        m_trailing->installEventFilter(this);
    }
    place();
}

WidgetFrame* WidgetFrame::filling(QWidget* host, const QString& title, QWidget* trailing,
                                  Qt::Alignment alignment, QWidget* content) {
    auto* frame = new WidgetFrame(title, trailing, alignment, content, host);
    frame->setGeometry(host->rect());
    frame->show();
    host->installEventFilter(frame);
    return frame;
}

void WidgetFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

bool WidgetFrame::event(QEvent* event) {
    // A child that changes its size limits or its wish is placed again.
    if (event->type() == QEvent::LayoutRequest) place();
    return QWidget::event(event);
}

bool WidgetFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    if (watched == m_trailing &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        place();
    return QWidget::eventFilter(watched, event);
}

void WidgetFrame::place() {
    // The control sits in a header row of its own: nothing of the content lies under it.
    QRect area = rect();
    if (m_trailing) {
        const QSize hint = m_trailing->sizeHint().expandedTo(m_trailing->minimumSize());
        m_trailing->setGeometry(std::max(0, width() - hint.width()), 0, hint.width(), hint.height());
        if (m_trailing->isVisibleTo(this)) area.setTop(std::min(height(), hint.height() + trailingGap));
    }
    if (m_content) {
        const QSize size =
            area.size().boundedTo(m_content->maximumSize()).expandedTo(m_content->minimumSize());
        m_content->setGeometry(QStyle::alignedRect(layoutDirection(), m_alignment, size, area));
    }
}

} // namespace vesk
