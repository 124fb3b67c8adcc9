#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

namespace vesk {
namespace {

using test::pixel;

// The lightest pixel inside `rect`.
int brightest(const QImage& image, const QRectF& rect) {
    int best = 0;
    const QRect area = rect.toAlignedRect() & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, image.pixelColor(x, y).lightness());
    return best;
}

// What the view shows over the notch's black.
QImage onBlack(QWidget& view) {
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(WidgetEmptyStateTest, DetailAndActionShowOnlyWhenGivenAndLeaveNoGapOtherwise) {
    bool performed = false;
    WidgetEmptyState full(
        QStringLiteral("checklist"), QStringLiteral("No to-dos"), QStringLiteral("Add one below."),
        WidgetEmptyState::Action{QStringLiteral("Open Settings"), [&] { performed = true; }});
    WidgetEmptyState bare(QStringLiteral("checklist"), QStringLiteral("No to-dos"));
    for (WidgetEmptyState* view : {&full, &bare}) {
        view->resize(220, 140);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
    }
    const QImage image = onBlack(full);
    EXPECT_GT(brightest(image, full.detailRect()), brightest(image, full.messageRect()) + 40)
        << "the detail is brighter than the message";
    ASSERT_NE(full.actionButton(), nullptr);
    const QRect button = full.actionButton()->geometry();
    EXPECT_GT(button.top(), full.detailRect().bottom());
    EXPECT_EQ(pixel(image, button.left() + 4, button.center().y()), Vesk::Accent::x500);
    full.actionButton()->click();
    EXPECT_TRUE(performed);

    EXPECT_EQ(bare.actionButton(), nullptr);
    EXPECT_TRUE(bare.detailRect().isNull());
    // Symbol (24), spacing, message: centred, with nothing reserved below.
    EXPECT_NEAR(bare.heightForWidth(220), 24 + 8 + bare.messageRect().height(), 1);
    const QImage bareImage = onBlack(bare);
    EXPECT_GT(brightest(bareImage, bare.messageRect()), 100) << "the message is drawn";
}

TEST(WidgetEmptyStateTest, ALongMessageWrapsAndGrowsTheView) {
    const QString text = QStringLiteral("Calendar access is needed to show your upcoming events here");
    WidgetEmptyState view(QStringLiteral("calendar"), text, text);
    EXPECT_GT(view.heightForWidth(120), view.heightForWidth(600) + 20);
}

// The content fills the cell below the control's header row, and the whole cell while the
// control is hidden.
TEST(WidgetFrameTest, ContentFillsTheCellBelowTheTrailingControlAtTopRightAndTheTitleIsNotDrawn) {
    auto* content = new QWidget;
    auto* trailing = new QWidget;
    trailing->setFixedSize(20, 16);
    WidgetFrame frame(QStringLiteral("Now Playing"), trailing, Qt::AlignCenter, content);
    frame.resize(270, 136);
    frame.setAttribute(Qt::WA_DontShowOnScreen);
    frame.show();
    EXPECT_EQ(frame.accessibleName(), QStringLiteral("Now Playing"));
    EXPECT_EQ(content->geometry(),
              QRect(0, 16 + WidgetFrame::trailingGap, 270, 136 - 16 - WidgetFrame::trailingGap));
    EXPECT_EQ(trailing->geometry(), QRect(250, 0, 20, 16));
    const QImage image = test::widgetImage(frame);
    EXPECT_EQ(image, [&] {
        QImage blank(image.size(), image.format());
        blank.fill(Qt::transparent);
        return blank;
    }()) << "the frame draws nothing of its own";
    trailing->hide();
    EXPECT_EQ(content->geometry(), QRect(0, 0, 270, 136));
}

TEST(DeskWidgetTest, ClocksTickOnlyWhileOnScreen) {
    test::DeskFixture fixture;
    int ticks = 0;
    struct Ticking final : DeskWidget {
        Ticking(const DeskEnvironment& environment, int& ticks) : DeskWidget(environment) {
            repeatWhileOnScreen(0.5, [&ticks] { ++ticks; });
        }
    } widget(fixture.environment, ticks);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    fixture.scheduler.advance(2);
    EXPECT_EQ(ticks, 0) << "not shown yet";
    widget.show();
    fixture.scheduler.advance(1);
    EXPECT_EQ(ticks, 2);
    widget.hide();
    fixture.scheduler.advance(2);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(fixture.scheduler.pendingCount(), 0);
}

TEST(DeskWidgetWiringTest, FollowServiceMovesToEachNewService) {
    test::DeskFixture fixture;
    TrayStore first(QUuid::createUuid().toString(QUuid::WithoutBraces));
    TrayStore second(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QWidget widget;
    int pushes = 0;
    fixture.model.setTrayStore(&first);
    NotchViewModel& model = fixture.model;
    DeskWidgetWiring::followService<TrayStore>(
        model, &widget, [&model] { return model.trayStore(); }, &TrayStore::itemsChanged, [&] { ++pushes; });
    EXPECT_EQ(pushes, 1);
    Q_EMIT first.itemsChanged();
    EXPECT_EQ(pushes, 2);
    fixture.model.setTrayStore(&second);
    EXPECT_EQ(pushes, 3);
    Q_EMIT first.itemsChanged();
    EXPECT_EQ(pushes, 3) << "the old service is no longer followed";
    Q_EMIT second.itemsChanged();
    EXPECT_EQ(pushes, 4);
}

} // namespace
} // namespace vesk
