// The desk's clipboard history: restoring with its "Copied" flash, removing, clearing.
#include "Vesk/Desk/Widgets/ClipboardWidget.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMouseEvent>

#include <cmath>

using namespace vesk;
using namespace vesk::test;

namespace {

Clip clip(Clip::Kind kind, const QString& text) {
    Clip made;
    made.id = QUuid::createUuid();
    made.kind = kind;
    made.text = text;
    return made;
}

void click(QWidget* row, QPointF at = QPointF(40, 5)) {
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(row, &release);
}

TEST(ClipboardWidgetTest, OnlyARestoredClipFlashesCopiedForAMoment) {
    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    DeskEnvironment environment;
    environment.scheduler = &scheduler;
    bool writes = true;
    QStringList restored;
    ClipboardWidget widget(environment, {.onRestore =
                                             [&](const Clip& c, std::function<void(bool)> done) {
                                                 restored << c.text;
                                                 done(writes);
                                             },
                                         .onRemove = {},
                                         .onClear = {}});
    widget.resize(240, 120);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    const QList<Clip> clips{clip(Clip::Kind::text, QStringLiteral("hello\n\tworld")),
                            clip(Clip::Kind::url, QStringLiteral("https://example.com/a/long/path"))};
    widget.setClips(clips);
    widget.show();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(widget.rows().size(), 2);
    EXPECT_EQ(widget.rows()[0]->toolTip(), clips[0].preview());
    EXPECT_EQ(widget.rows()[1]->toolTip(), clips[1].text);

    click(widget.rows()[0]);
    EXPECT_EQ(restored, QStringList{clips[0].text});
    EXPECT_TRUE(widget.isCopied(clips[0].id));
    const QImage image = widgetImage(widget);
    QWidget* row = widget.rows()[0];
    bool sage = false;
    for (int x = 7; x < 20; ++x)
        for (int y = 2; y < row->height() - 2; ++y) {
            const QPoint at = row->mapTo(&widget, QPoint(x, y));
            sage = sage || near(pixel(image, at.x(), at.y()), Vesk::Semantic::sage, 20);
        }
    EXPECT_TRUE(sage) << "the sage check mark";
    scheduler.advance(1.19);
    EXPECT_TRUE(widget.isCopied(clips[0].id));
    scheduler.advance(0.02);
    EXPECT_FALSE(widget.isCopied(clips[0].id)) << "the flash ends after 1.2 s";

    writes = false;
    click(widget.rows()[1]);
    EXPECT_EQ(restored.size(), 2);
    EXPECT_FALSE(widget.isCopied(clips[1].id)) << "a restore that wrote nothing is not shown as copied";
}

TEST(ClipboardWidgetTest, ClearingWithoutAServiceEmptiesTheList) {
    DeskFixture fixture;
    fixture.model.setClips(
        {clip(Clip::Kind::text, QStringLiteral("one")), clip(Clip::Kind::text, QStringLiteral("two"))});
    std::unique_ptr<DeskWidget> built(
        DeskWidgetWiring::build(WidgetID::clipboard, {fixture.model, fixture.environment, nullptr}));
    auto* widget = qobject_cast<ClipboardWidget*>(built.get());
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->clearButton(), nullptr);
    widget->clearButton()->click();
    EXPECT_TRUE(fixture.model.clips().isEmpty());
    EXPECT_NE(widget->emptyState(), nullptr);
    EXPECT_EQ(widget->clearButton(), nullptr) << "no \"Clear\" without clips";
}

// "Clear" sits in a header row of its own: the first row's × is not under it, and a click
// on the top edge of that × removes that one clip, not the whole history.
TEST(ClipboardWidgetTest, AClickOnTheTopEdgeOfTheFirstRowsRemoveButtonRemovesOnlyThatClip) {
    QList<Clip> removed;
    int clears = 0;
    DeskEnvironment environment;
    ClipboardWidget widget(
        environment,
        {.onRestore = {}, .onRemove = [&](const Clip& c) { removed << c; }, .onClear = [&] { ++clears; }});
    widget.resize(240, 140);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    const QList<Clip> clips{
        clip(Clip::Kind::text, QStringLiteral("a first entry long enough to reach the end")),
        clip(Clip::Kind::text, QStringLiteral("second"))};
    widget.setClips(clips);
    widget.show();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(widget.rows().size(), 2);
    QWidget* row = widget.rows()[0];
    ASSERT_NE(widget.clearButton(), nullptr);
    const QAbstractButton* clear = widget.clearButton();
    EXPECT_LT(clear->mapTo(&widget, QPoint(0, clear->height())).y(), row->mapTo(&widget, QPoint()).y() + 1)
        << "the first row starts below \"Clear\"";

    const double side = Symbols::sideForFontSize(8);
    const QPointF onRow(row->width() - 7 - side / 2, std::ceil((row->height() - side) / 2));
    const QPoint onWidget = row->mapTo(&widget, onRow.toPoint());
    ASSERT_EQ(widget.childAt(onWidget), row) << "the click reaches the row, not the control above it";
    QHoverEvent enter(QEvent::HoverEnter, onRow, row->mapToGlobal(onRow), QPointF(-1, -1));
    QCoreApplication::sendEvent(row, &enter);
    click(row, onRow);
    EXPECT_EQ(removed, QList<Clip>{clips[0]});
    EXPECT_EQ(clears, 0);
}

} // namespace
