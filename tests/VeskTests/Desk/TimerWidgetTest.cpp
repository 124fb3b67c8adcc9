// The desk's timers: picker, chips and Start, counting rows, and the shared store.
#include "Vesk/Desk/Widgets/TimerWidget.h"
#include "Vesk/Desk/Widgets/DurationPicker.h"
#include "VeskServices/Timers/TimerStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

using namespace vesk;
using namespace vesk::test;

namespace {

// Counts the wheel events that reach it.
class Host final : public QWidget {
public:
    int wheels = 0;

protected:
    void wheelEvent(QWheelEvent*) override { ++wheels; }
};

void scroll(QWidget* target, QPoint at, int notches) {
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target->childAt(at) ? target->childAt(at) : target, &event);
}

class TimerWidgetTest : public ::testing::Test {
protected:
    TimerWidgetTest() {
        environment.clock = &scheduler.clock();
        environment.scheduler = &scheduler;
        widget.resize(260, 150);
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }
    void publish() { widget.setTimers(store.timers()); }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    DeskEnvironment environment;
    TimerStore store{&scheduler.clock()};
    TimerWidget widget{
        environment,
        {.onAdd = [this](double s) { store.add(s, {}, true), publish(); },
         .onToggle = [this](const VeskTimer& t) { store.toggle(t, scheduler.now()), publish(); },
         .onRemove = [this](const VeskTimer& t) { store.remove(t), publish(); }}};
};

} // namespace

TEST(DurationPickerTest, WheelsShowAndEditTheDuration) {
    Host host;
    DurationPicker picker(26, 3, &host);
    picker.resize(150, 78);
    host.resize(150, 78);
    host.setAttribute(Qt::WA_DontShowOnScreen);
    host.show();
    EXPECT_EQ(picker.height(), 78);
    int changes = 0;
    QObject::connect(&picker, &DurationPicker::durationChanged, [&] { ++changes; });
    picker.setDuration(61.9);
    EXPECT_EQ(picker.positions(), (std::array<int, 3>{0, 1, 1}));
    picker.setDuration(3725);
    EXPECT_EQ(picker.positions(), (std::array<int, 3>{1, 2, 5}));
    EXPECT_EQ(changes, 0) << "a duration from outside is not reported back";
    for (const auto& [odd, shown] : std::initializer_list<std::pair<double, std::array<int, 3>>>{
             {1e12, {23, 59, 59}}, {-5, {0, 0, 0}}, {std::nan(""), {0, 0, 0}}}) {
        picker.setDuration(odd);
        EXPECT_EQ(picker.positions(), shown) << odd;
        EXPECT_TRUE(picker.duration() == odd || std::isnan(odd)) << "kept as given until the user scrolls";
    }
    picker.setDuration(3725);

    scroll(&picker, picker.wheelRect(1).center(), 2);
    ASSERT_TRUE(processEventsUntil([&] { return picker.positions()[1] == 0; })) << "the wheel never snapped";
    EXPECT_EQ(picker.duration(), 3605);
    EXPECT_EQ(host.wheels, 0) << "wheel events stop at the picker";
}

TEST_F(TimerWidgetTest, ThePickerStartsTimersOfTheChosenDuration) {
    ASSERT_TRUE(widget.showsPicker());
    EXPECT_EQ(widget.duration(), 300);
    QCoreApplication::sendPostedEvents();
    const QImage image = widgetImage(widget);
    const QAbstractButton* fiveMinutes = widget.chips().at(1);
    const QPoint chip = fiveMinutes->mapTo(&widget, QPoint(3, fiveMinutes->height() / 2));
    EXPECT_TRUE(near(pixel(image, chip.x(), chip.y()), Vesk::Accent::x500, 6)) << "the 5m chip is selected";

    widget.chips().at(2)->click();
    EXPECT_EQ(widget.duration(), 600);
    EXPECT_EQ(widget.picker()->positions(), (std::array<int, 3>{0, 10, 0}));
    widget.setDuration(0.5);
    widget.startButton()->click();
    EXPECT_TRUE(store.timers().isEmpty()) << "Start does nothing below a second";
    EXPECT_FALSE(widget.startButton()->isEnabled());

    widget.setDuration(90);
    widget.startButton()->click();
    ASSERT_EQ(store.timers().size(), 1);
    EXPECT_FALSE(widget.showsPicker());
    widget.addButton()->click();
    EXPECT_EQ(store.timers().size(), 2);
    EXPECT_EQ(store.timers().last().total, 90) << "Add Timer uses the last duration";
}

TEST_F(TimerWidgetTest, RowsCountDownAndAPausedRowFreezes) {
    widget.startButton()->click(); // 5:00
    scheduler.advance(100.2);
    EXPECT_EQ(TimerWidget::formatted(store.timers().first().remaining(widget.clock())), "3:20");
    const VeskTimer running = store.timers().first();
    widget.setDuration(7200);
    widget.addButton()->click();
    store.toggle(store.timers().last(), scheduler.now()), publish();
    scheduler.advance(1000);
    EXPECT_EQ(TimerWidget::formatted(store.timers().last().remaining(widget.clock())), "2:00:00");

    QCoreApplication::sendPostedEvents();
    const QImage image = widgetImage(widget);
    QWidget* finished = widget.rows().first();
    const QPoint top = finished->mapTo(&widget, QPoint(8 + 9, finished->height() / 2 - 8));
    EXPECT_TRUE(near(pixel(image, top.x(), top.y()), Vesk::Accent::x500, 60))
        << "a finished timer's ring is full";

    // The pause button of a row, clicked: the list it changes replaces that row.
    QWidget* second = widget.rows().last();
    const QPointer<QWidget> clicked(second);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(second->width() - 14, second->height() / 2));
    EXPECT_TRUE(store.timers().last().isRunning());
    EXPECT_TRUE(clicked) << "the clicked row outlives its own click";

    for (const VeskTimer& timer : store.timers())
        store.remove(timer);
    publish();
    EXPECT_TRUE(widget.showsPicker());
    EXPECT_EQ(widget.duration(), 7200) << "the last duration stays chosen";
}

TEST_F(TimerWidgetTest, PauseActsOnlyOnAPressAndReleaseOnItAndAZeroLengthTimerShowsAnEmptyRing) {
    widget.setTimers({VeskTimer{.id = QUuid::createUuid(),
                                .label = {},
                                .total = 0,
                                .startedAt = scheduler.now(),
                                .pausedRemaining = std::nullopt}});
    QCoreApplication::sendPostedEvents();
    QWidget* row = widget.rows().first();
    const QImage image = widgetImage(widget);
    const QPoint top = row->mapTo(&widget, QPoint(8 + 9, row->height() / 2 - 8));
    EXPECT_TRUE(near(pixel(image, top.x(), top.y()), Vesk::Ink::x700, 40)) << "no progress drawn";
    EXPECT_EQ(TimerWidget::formatted(widget.timers().first().remaining(widget.clock())), "0:00");

    widget.setTimers({});
    widget.startButton()->click();
    QCoreApplication::sendPostedEvents();
    row = widget.rows().first();
    const QPoint toggle(row->width() - 14, row->height() / 2);
    const QPoint text(40, row->height() / 2);
    // Pressed elsewhere and released on it, then pressed on it and released elsewhere.
    QTest::mousePress(row, Qt::LeftButton, {}, text);
    QTest::mouseRelease(row, Qt::LeftButton, {}, toggle);
    QTest::mousePress(row, Qt::LeftButton, {}, toggle);
    QTest::mouseRelease(row, Qt::LeftButton, {}, text);
    EXPECT_TRUE(store.timers().first().isRunning()) << "neither half a click pauses";
    QTest::mouseClick(row, Qt::LeftButton, {}, toggle);
    EXPECT_FALSE(store.timers().first().isRunning());
}
