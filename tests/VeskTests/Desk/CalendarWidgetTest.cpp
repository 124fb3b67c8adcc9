// The desk's calendar: day headers, time texts, access states, rows and their clock.
#include "Vesk/Desk/Widgets/CalendarWidget.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Calendar/CalendarFixtures.h"
#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMouseEvent>

using namespace vesk;
using namespace vesk::test;

namespace {

CalendarEvent event(const QString& title, Date start, double length) {
    return CalendarEvent{.id = title,
                         .title = title,
                         .start = start,
                         .end = start + length,
                         .isAllDay = false,
                         .location = std::nullopt,
                         .calendarColor = CalendarColor{1, 0, 0},
                         .calendarID = QStringLiteral("work"),
                         .meetingURL = std::nullopt};
}

class CalendarWidgetTest : public ::testing::Test {
protected:
    CalendarWidgetTest() {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        scheduler.clock().set(now);
        environment.clock = &scheduler.clock();
        environment.scheduler = &scheduler;
        widget.resize(280, 150);
        widget.setAttribute(Qt::WA_DontShowOnScreen);
    }
    ~CalendarWidgetTest() override { QLocale::setDefault(QLocale::c()); }

    ScopedTimeZone zone{"Europe/London"};
    // Thursday 5 March 2026, noon.
    Date now = localDate(2026, 3, 5, 12);
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    DeskEnvironment environment;
    int requests = 0, settings = 0;
    QStringList opened;
    CalendarWidget widget{environment,
                          {.onRequestAccess = [this] { ++requests; },
                           .onOpenSettings = [this] { ++settings; },
                           .onOpen = [this](const CalendarEvent& e) { opened << e.id; }}};
};

TEST_F(CalendarWidgetTest, DaysAndTimesReadAsTheCalendarSays) {
    const QList<std::pair<int, QString>> days{{0, "Today"},     {1, "Tomorrow"},  {-1, "Yesterday"},
                                              {2, "Saturday"},  {6, "Wednesday"}, {7, "Thu 12 Mar"},
                                              {-2, "Tue 3 Mar"}};
    for (const auto& [offset, label] : days)
        EXPECT_EQ(CalendarWidget::dayLabel(localDate(2026, 3, 5 + offset, 9), now), label) << offset;

    struct Case {
        double startIn, length;
        const char* expected;
    };
    const Case times[] = {
        {3630, 1800, "13:00 · in 60m"}, {3700, 1800, "13:01–13:31"},          {40, 600, "12:00–12:10"},
        {-600, 3600 + 600, "now"},      {-600, 600 + 3599, "now · 59m left"}, {-7200, 3600, "10:00–11:00"},
    };
    for (const Case& c : times)
        EXPECT_EQ(CalendarWidget::timeLabel(event(QStringLiteral("e"), now + c.startIn, c.length), now),
                  QString::fromUtf8(c.expected))
            << c.startIn;
    CalendarEvent allDay = event(QStringLiteral("a"), localDate(2026, 3, 5), 86399);
    allDay.isAllDay = true;
    EXPECT_EQ(CalendarWidget::timeLabel(allDay, now), QStringLiteral("All day"));
}

TEST_F(CalendarWidgetTest, EachAccessStateOffersItsWayOut) {
    struct Case {
        CalendarAccess access;
        const char* button;
    };
    const Case cases[] = {{CalendarAccess::notDetermined, "Allow"},
                          {CalendarAccess::writeOnly, "Open Settings"},
                          {CalendarAccess::denied, "Open Settings"},
                          {CalendarAccess::restricted, nullptr},
                          {CalendarAccess::granted, nullptr}};
    for (const Case& c : cases) {
        widget.setAccess(c.access);
        ASSERT_NE(widget.emptyState(), nullptr) << qPrintable(toRaw(c.access));
        QAbstractButton* button = widget.emptyState()->actionButton();
        EXPECT_EQ(button ? button->text() : QString(), QString::fromUtf8(c.button))
            << qPrintable(toRaw(c.access));
        if (button) button->click();
    }
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(settings, 2);
}

TEST_F(CalendarWidgetTest, RowsShowTheirCalendarAndProgressAndOpenTheirEvent) {
    widget.setAccess(CalendarAccess::granted);
    widget.setDays({{localDate(2026, 3, 5),
                     {event(QStringLiteral("running"), now - 600, 1800),
                      event(QStringLiteral("later"), now + 900, 1800)}}});
    widget.show();
    ASSERT_EQ(widget.emptyState(), nullptr);
    ASSERT_EQ(widget.rows().size(), 2);
    QCoreApplication::sendPostedEvents();
    const QImage image = widgetImage(widget);
    QWidget* running = widget.rows().at(0);
    const QPoint bar = running->mapTo(&widget, QPoint(7, running->height() / 2));
    EXPECT_TRUE(near(pixel(image, bar.x(), bar.y()), QColor(255, 0, 0), 6)) << "the calendar's colour bar";
    const QPoint ground = running->mapTo(&widget, QPoint(running->width() - 3, running->height() / 2));
    EXPECT_TRUE(near(pixel(image, ground.x(), ground.y()), Vesk::Ink::x850, 6)) << "the in-progress fill";
    QWidget* later = widget.rows().at(1);
    const QPoint clear = later->mapTo(&widget, QPoint(later->width() - 3, later->height() / 2));
    EXPECT_EQ(pixel(image, clear.x(), clear.y()).alpha(), 0) << "an upcoming row has no fill";

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 5), QPointF(20, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(later, &release);
    EXPECT_EQ(opened, QStringList{QStringLiteral("later")});
}

TEST_F(CalendarWidgetTest, TheClockTicksEveryThirtySecondsWhileShown) {
    widget.show();
    scheduler.advance(29);
    EXPECT_EQ(widget.clock(), now);
    scheduler.advance(1);
    EXPECT_EQ(widget.clock(), now + 30);
    widget.hide();
    scheduler.advance(60);
    EXPECT_EQ(widget.clock(), now + 30) << "no clock while off screen";
}

TEST(CalendarWidgetWiringTest, TheWidgetFollowsTheModelsCalendarService) {
    DeskFixture fixture;
    ScopedMainScheduler guard{fixture.scheduler};
    CalendarHarness calendar(fixture.scheduler);
    calendar.state->events = {storeEvent(QStringLiteral("review"), fixture.scheduler.now() + 600)};
    const std::unique_ptr<CalendarService> service = calendar.make();
    std::unique_ptr<DeskWidget> built(
        DeskWidgetWiring::build(WidgetID::calendar, {fixture.model, fixture.environment, nullptr}));
    auto* widget = qobject_cast<CalendarWidget*>(built.get());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->access(), CalendarAccess::notDetermined) << "no service yet";

    fixture.model.setCalendarService(service.get());
    widget->emptyState()->actionButton()->click(); // "Allow" asks the service
    fixture.scheduler.runPending();
    EXPECT_EQ(widget->access(), CalendarAccess::granted);
    ASSERT_EQ(widget->days().size(), 1);
    EXPECT_EQ(widget->days().first().events.first().title, QStringLiteral("review"));
}

} // namespace
