#include "Vesk/Desk/Widgets/CalendarWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

QDate localDay(Date date) {
    return date.toDateTime().toLocalTime().date();
}

QString clockTime(Date date) {
    return date.toDateTime().toLocalTime().toString(QStringLiteral("HH:mm"));
}

// Whole minutes, truncated toward zero.
qint64 minutes(double seconds) {
    return std::isfinite(seconds) ? qint64(std::trunc(std::clamp(seconds, -1e12, 1e12) / 60)) : 0;
}

bool inProgress(const CalendarEvent& event, Date now) {
    return event.start <= now && event.end > now;
}

bool ended(const CalendarEvent& event, Date now) {
    return event.end <= now;
}

// A day's header: upper-cased, slightly spaced.
class DayHeader final : public QWidget {
public:
    DayHeader(Date day, const CalendarWidget& widget, QWidget* parent)
        : QWidget(parent), m_day(day), m_widget(widget) {
        m_font = systemFont(9.5, QFont::DemiBold);
        m_font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
        setFixedHeight(int(std::ceil(QFontMetricsF(m_font).height())));
        setAccessibleName(text());
    }
    QString text() const { return QLocale().toUpper(CalendarWidget::dayLabel(m_day, m_widget.clock())); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(m_font);
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    Date m_day;
    const CalendarWidget& m_widget;
    QFont m_font;
};

// One event: colour bar, title, time (and place), a camera for a meeting link.
class CalendarRow final : public QWidget {
public:
    CalendarRow(const CalendarEvent& event, const CalendarWidget& widget, std::function<void()> onOpen,
                QWidget* parent)
        : QWidget(parent), m_event(event), m_widget(widget), m_onOpen(std::move(onOpen)) {
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(event.title);
        const double title = QFontMetricsF(systemFont(12, QFont::DemiBold)).height();
        const double time = QFontMetricsF(systemFont(10)).height();
        setFixedHeight(int(std::ceil(4 + title + 2 + time + 4)));
    }
    const CalendarEvent& event() const { return m_event; }

protected:
    void paintEvent(QPaintEvent*) override {
        const Date now = m_widget.clock();
        const bool running = inProgress(m_event, now);
        const bool over = ended(m_event, now);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(over ? 0.55 : 1.0);
        if (running) {
            QPainterPath ground;
            ground.addRoundedRect(QRectF(rect()), 7, 7);
            painter.fillPath(ground, Vesk::Ink::x850);
        }
        const QRectF content = QRectF(rect()).adjusted(6, 4, -6, -4);
        const QColor bar = m_event.calendarColor ? QColor::fromRgbF(float(m_event.calendarColor->red),
                                                                    float(m_event.calendarColor->green),
                                                                    float(m_event.calendarColor->blue))
                                                 : Vesk::Stone::x400;
        QPainterPath barPath;
        barPath.addRoundedRect(QRectF(content.left(), content.top(), 3, content.height()), 1.5, 1.5);
        painter.fillPath(barPath, bar);

        double right = content.right();
        if (m_event.meetingURL) {
            const double side = Symbols::sideForFontSize(10);
            Symbols::paint(painter, QRectF(right - side, content.top(), side, side), u"video.fill",
                           over ? Vesk::Ink::x600 : Vesk::Stone::x300);
            right -= side + 8;
        }
        const double left = content.left() + 3 + 8;
        const QFont titleFont = systemFont(12, running ? QFont::DemiBold : QFont::Medium);
        const QFontMetricsF titleMetrics(titleFont);
        painter.setFont(titleFont);
        painter.setPen(over ? Vesk::Stone::x400 : Vesk::Stone::x100);
        const QRectF titleRect(left, content.top(), std::max(0.0, right - left), titleMetrics.height());
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                         titleMetrics.elidedText(m_event.title, Qt::ElideRight, titleRect.width()));

        const QFont timeFont = systemFont(10, QFont::Normal, FontDesign::monospaced);
        const QFontMetricsF timeMetrics(timeFont);
        const QString time = CalendarWidget::timeLabel(m_event, now);
        double x = left;
        const double y = titleRect.bottom() + 2;
        const double lineHeight = QFontMetricsF(systemFont(10)).height();
        painter.setFont(timeFont);
        painter.setPen(running ? Vesk::Accent::x500 : Vesk::Stone::x400);
        painter.drawText(QRectF(x, y, right - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, time);
        x += timeMetrics.horizontalAdvance(time) + 5;
        if (m_event.location && x < right) {
            const QFont placeFont = systemFont(10);
            const QFontMetricsF placeMetrics(placeFont);
            painter.setFont(placeFont);
            painter.setPen(Vesk::Stone::x400);
            const QString dot = QStringLiteral("·");
            painter.drawText(QRectF(x, y, right - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter, dot);
            x += placeMetrics.horizontalAdvance(dot) + 5;
            if (x < right)
                painter.drawText(QRectF(x, y, right - x, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                 placeMetrics.elidedText(*m_event.location, Qt::ElideRight, right - x));
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onOpen)
            m_onOpen();
    }

private:
    CalendarEvent m_event;
    const CalendarWidget& m_widget;
    std::function<void()> m_onOpen;
};

} // namespace

QString CalendarWidget::dayLabel(Date day, Date now) {
    const QDate date = localDay(day);
    const QDate today = localDay(now);
    if (date == today) return QStringLiteral("Today");
    if (date == today.addDays(1)) return QStringLiteral("Tomorrow");
    if (date == today.addDays(-1)) return QStringLiteral("Yesterday");
    const qint64 ahead = today.daysTo(date);
    const QLocale locale;
    if (ahead >= 1 && ahead <= 6) return locale.toString(date, QStringLiteral("dddd"));
    return locale.toString(date, QStringLiteral("ddd d MMM"));
}

QString CalendarWidget::timeLabel(const CalendarEvent& event, Date now) {
    if (event.isAllDay) return QStringLiteral("All day");
    if (inProgress(event, now)) {
        const qint64 left = minutes(event.end - now);
        if (left > 59) return QStringLiteral("now");
        return QStringLiteral("now · %1m left").arg(left);
    }
    const QString start = clockTime(event.start);
    const qint64 ahead = minutes(event.start - now);
    if (ahead >= 1 && ahead <= 60) return start + QStringLiteral(" · in %1m").arg(ahead);
    return start + QStringLiteral("–") + clockTime(event.end);
}

CalendarWidget::CalendarWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)), m_now(now()) {
    m_content = new QWidget;
    m_stack = new QStackedLayout(m_content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("Calendar"), nullptr, Qt::AlignTop, m_content));
    rebuild();
    repeatWhileOnScreen(tickInterval, [this] {
        m_now = now();
        for (QWidget* child : m_content->findChildren<QWidget*>())
            child->update();
    });
}

void CalendarWidget::setAccess(CalendarAccess access) {
    if (access == m_access) return;
    m_access = access;
    rebuild();
}

void CalendarWidget::setDays(const QList<CalendarService::Day>& days) {
    if (days == m_days) return;
    m_days = days;
    rebuild();
}

WidgetEmptyState* CalendarWidget::emptyState() const {
    return qobject_cast<WidgetEmptyState*>(m_stack->currentWidget());
}

QList<QWidget*> CalendarWidget::rows() const {
    QList<QWidget*> result;
    for (QWidget* child : m_content->findChildren<QWidget*>())
        if (dynamic_cast<CalendarRow*>(child)) result.append(child);
    return result;
}

void CalendarWidget::appeared() {
    m_now = now();
    update();
}

void CalendarWidget::rebuild() {
    while (QWidget* old = m_stack->currentWidget()) {
        m_stack->removeWidget(old);
        // Later: a row's own click may be what changed the list.
        old->hide();
        old->deleteLater();
    }
    const auto empty = [](const char* symbol, const QString& message, std::optional<QString> detail,
                          std::optional<WidgetEmptyState::Action> action) {
        return new WidgetEmptyState(QString::fromLatin1(symbol), message, detail, std::move(action));
    };
    const auto openSettings = WidgetEmptyState::Action{QStringLiteral("Open Settings"), [this] {
                                                           if (m_actions.onOpenSettings)
                                                               m_actions.onOpenSettings();
                                                       }};
    QWidget* shown = nullptr;
    switch (m_access) {
    case CalendarAccess::granted:
        if (m_days.isEmpty())
            shown = empty("calendar", QStringLiteral("Nothing scheduled"), QStringLiteral("Enjoy the quiet."),
                          {});
        break;
    case CalendarAccess::notDetermined:
        shown = empty("calendar.badge.plus", QStringLiteral("Show your events in the notch"), {},
                      WidgetEmptyState::Action{QStringLiteral("Allow"), [this] {
                                                   if (m_actions.onRequestAccess) m_actions.onRequestAccess();
                                               }});
        break;
    case CalendarAccess::writeOnly:
        shown = empty("calendar.badge.exclamationmark",
                      QStringLiteral("VeskNotch can only add events. Grant full access to see them."), {},
                      openSettings);
        break;
    case CalendarAccess::denied:
        shown = empty("calendar.badge.exclamationmark", QStringLiteral("Calendar access is off"), {},
                      openSettings);
        break;
    case CalendarAccess::restricted:
        shown = empty("calendar.badge.exclamationmark",
                      QStringLiteral("Calendar access is restricted on this computer"), {}, {});
        break;
    }
    if (!shown) {
        shown = DeskScrollList::ofRows(8, [this](QWidget* column, QVBoxLayout* rows) {
            for (const CalendarService::Day& day : std::as_const(m_days)) {
                rows->addWidget(new DayHeader(day.day, *this, column));
                for (const CalendarEvent& event : day.events)
                    rows->addWidget(new CalendarRow(
                        event, *this,
                        [this, event] {
                            if (m_actions.onOpen) m_actions.onOpen(event);
                        },
                        column));
            }
        });
    }
    m_stack->addWidget(shown);
    m_stack->setCurrentWidget(shown);
}

} // namespace vesk
