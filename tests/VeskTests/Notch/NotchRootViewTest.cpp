#include "Vesk/Notch/NotchRootView.h"
#include "Vesk/Notch/ActivityPillView.h"
#include "Vesk/Notch/AmbientMediaView.h"
#include "Vesk/Notch/DeskFrameView.h"
#include "Vesk/Notch/DropLanesView.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Notch/ActivityMetrics.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Activity/PayloadFactory.h"
#include "support/Desk/DeskFixture.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

namespace vesk {
namespace {

using test::near;
using test::pixel;

ActivityPayload activity(ActivityKind kind, ActivityPriority priority, ActivityTrailing trailing) {
    return test::shownPayload(ActivityGlyph::symbol(symbol(kind)), u"Volume"_qs, std::nullopt,
                              std::move(trailing), kind, priority);
}

class NotchRootViewTest : public ::testing::Test {
protected:
    NotchRootViewTest() : settings(*defaults), model(test::deskHousing(), settings), root(model) {
        root.resize(800, 220);
        root.setAttribute(Qt::WA_DontShowOnScreen);
        root.show();
    }

    // The state as it stands once its animation is over.
    QImage settled() {
        root.finishAnimations();
        return test::widgetImage(root);
    }

    void mouse(QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, root.mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&root, &event);
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings;
    NotchViewModel model;
    NotchRootView root;
};

TEST_F(NotchRootViewTest, TheNotchIsOpaqueBlackInsideItsOutlineAndClearOutside) {
    settings.setContrastOutline(false);
    const QImage image = settled();
    // Closed: the 180-wide body plus two 6-point flares, centred on the top edge.
    ASSERT_EQ(root.surfaceRect(), QRectF(304, 0, 192, 32));
    EXPECT_EQ(pixel(image, 400, 16), QColor(Qt::black)) << "opaque black inside";
    EXPECT_EQ(pixel(image, 311, 1), QColor(Qt::black)) << "the flare reaches into the top corner";
    EXPECT_EQ(pixel(image, 400, 40).alpha(), 0) << "below";
    EXPECT_EQ(pixel(image, 200, 10).alpha(), 0) << "beside";
    EXPECT_EQ(pixel(image, 305, 5).alpha(), 0) << "under the flare's curve";
    EXPECT_EQ(pixel(image, 310.5, 31.5).alpha(), 0) << "outside the rounded lower corner";
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(qRed(image.pixel(x, y)), 0) << "without the outline nothing but black is drawn";
}

TEST_F(NotchRootViewTest, TheContrastOutlineTracesTheShape) {
    settings.setContrastOutline(true);
    const QImage outlined = settled();
    settings.setContrastOutline(false);
    const QImage plain = settled();
    // The wall of the body stands at x 310; the hairline straddles it.
    EXPECT_GT(pixel(outlined, 310, 16).red(), 0);
    EXPECT_EQ(pixel(plain, 310, 16).red(), 0);
    EXPECT_EQ(pixel(outlined, 400, 16), QColor(Qt::black)) << "only the edge changes";
}

TEST_F(NotchRootViewTest, HiddenShowsNothing) {
    model.send(NotchEvent::toggleHidden());
    const QImage image = settled();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 0);
    EXPECT_TRUE(root.surfacePath().isEmpty()) << "and takes no pointer input";
}

TEST_F(NotchRootViewTest, ThePillIsAsWideAsTheActivityWidthRuleWithItsBarAtTheRightEdge) {
    const ActivityPayload p =
        activity(ActivityKind::sound, ActivityPriority::interrupt, ActivityTrailing::bar(1));
    model.send(NotchEvent::activityArrived(p));
    const QImage image = settled();
    ASSERT_EQ(root.contentKind(), NotchRootView::ContentKind::pill);
    const double width = ActivityMetrics::width(p, false, 180, 2 * (12 + 6) - 12);
    const QRectF surface = root.surfaceRect();
    EXPECT_EQ(surface.width(), width + 12);
    EXPECT_EQ(surface.height(), 32);
    // The content is inset by contentPadding + 6 on each side.
    EXPECT_EQ(QRectF(root.content()->geometry()), surface.adjusted(18, 0, -18, 0));
    const double barEnd = surface.right() - 18;
    EXPECT_TRUE(near(pixel(image, barEnd - 3, 16), Vesk::Stone::x100))
        << "a full bar ends at the pill's edge";
    EXPECT_TRUE(near(pixel(image, barEnd - 90, 16), Vesk::Stone::x100));
    EXPECT_EQ(pixel(image, barEnd + 2, 16), QColor(Qt::black)) << "and not beyond";
}

TEST_F(NotchRootViewTest, HoverAndClicksCountOnlyInsideTheOutline) {
    settled();
    mouse(QEvent::MouseMove, {400, 16});
    EXPECT_TRUE(model.isHovering());
    root.finishAnimations(); // hovered, the closed notch grows by 14 × 6
    EXPECT_EQ(root.surfaceRect(), QRectF(297, 0, 206, 38));
    mouse(QEvent::MouseMove, {298, 5});
    EXPECT_FALSE(model.isHovering()) << "the corner under the flare is outside";
    mouse(QEvent::MouseMove, {400, 60});
    EXPECT_FALSE(model.isHovering());

    mouse(QEvent::MouseButtonPress, {298, 36});
    mouse(QEvent::MouseButtonRelease, {298, 36});
    EXPECT_EQ(model.state(), NotchState::closed()) << "a click beside the rounded corner does nothing";
    mouse(QEvent::MouseButtonPress, {400, 16});
    mouse(QEvent::MouseButtonRelease, {400, 16});
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::desk)) << "a click on the notch opens the desk";
}

TEST_F(NotchRootViewTest, EachStateGetsItsContent) {
    model.send(NotchEvent::activityArrived(
        activity(ActivityKind::nowPlaying, ActivityPriority::ambient, ActivityTrailing::waveform(true))));
    settled();
    EXPECT_EQ(root.contentKind(), NotchRootView::ContentKind::ambient);
    EXPECT_EQ(QRectF(root.content()->geometry()), root.surfaceRect()) << "the ambient row spans the surface";

    model.send(NotchEvent::activityArrived(
        activity(ActivityKind::nowPlaying, ActivityPriority::queued, ActivityTrailing::waveform(true))));
    settled();
    EXPECT_EQ(root.contentKind(), NotchRootView::ContentKind::pill)
        << "now playing that is not ambient is a pill";

    model.send(NotchEvent::hoverBegan());
    settled();
    EXPECT_EQ(root.contentKind(), NotchRootView::ContentKind::expandedPill);
    EXPECT_TRUE(qobject_cast<ActivityPillView*>(root.content())->isExpanded());

    model.send(NotchEvent::dragEntered());
    settled();
    EXPECT_EQ(root.contentKind(), NotchRootView::ContentKind::dropHint) << "a drag without lanes";
    model.setDragURLs({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
    model.setDragLanes({DropLane::shelf(), DropLane::pipeline(PipelineID::zip)});
    model.setHoveredLane(1);
    EXPECT_EQ(root.contentKind(), NotchRootView::ContentKind::lanes);
    auto* lanes = qobject_cast<DropLanesView*>(root.content());
    ASSERT_TRUE(lanes);
    EXPECT_EQ(lanes->hovered(), 1);
    EXPECT_EQ(lanes->fileCount(), 1);
    EXPECT_EQ(root.surfaceRect().size(), QSizeF(700 + 12, 150)) << "the drop target";
}

TEST_F(NotchRootViewTest, TheOpenDeskDrawsItsFrameAndHeaderBandThroughOneSlot) {
    model.send(NotchEvent::click());
    settled();
    const QSizeF open = model.contentSize(model.state());
    EXPECT_EQ(root.surfaceRect().size(), QSizeF(open.width() + 12, 176 + 32));
    EXPECT_EQ(root.bottomRadius(), 34);
    auto* frame = qobject_cast<DeskFrameView*>(root.content());
    ASSERT_TRUE(frame);
    EXPECT_EQ(QRectF(frame->geometry()), root.surfaceRect().adjusted(6, 0, -6, 0));
    EXPECT_EQ(frame->headerRect().height(), 32) << "as tall as the notch";
    EXPECT_EQ(frame->contentRect().top(), 36);
    EXPECT_EQ(frame->headerRect().left(), 18);

    QList<DeskTab> built;
    root.setDeskFactory([&](DeskTab tab, NotchViewModel&, double inset, QWidget* parent) -> QWidget* {
        built.append(tab);
        EXPECT_EQ(inset, 18);
        return new QWidget(parent);
    });
    model.send(NotchEvent::selectTab(DeskTab::tray));
    settled();
    EXPECT_EQ(built, (QList<DeskTab>{DeskTab::desk, DeskTab::tray}))
        << "the desk fills the slot, one per tab";
    EXPECT_FALSE(qobject_cast<DeskFrameView*>(root.content()));
}

TEST_F(NotchRootViewTest, ANewActivityFadesInThenStandsLive) {
    settled();
    model.send(NotchEvent::activityArrived(
        activity(ActivityKind::sound, ActivityPriority::interrupt, ActivityTrailing::bar(0.5))));
    ASSERT_TRUE(root.content());
    EXPECT_TRUE(root.isAnimating());
    EXPECT_FALSE(root.content()->isVisible()) << "a still picture of it grows into place first";
    ASSERT_TRUE(test::processEventsUntil([&] { return !root.isAnimating(); }));
    EXPECT_TRUE(root.content()->isVisible());
    EXPECT_EQ(root.surfaceRect().height(), 32);

    // The next volume step redraws the same pill where it stands.
    QWidget* shown = root.content();
    const ActivityPayload louder =
        activity(ActivityKind::sound, ActivityPriority::interrupt, ActivityTrailing::bar(0.7));
    model.send(NotchEvent::activityArrived(louder));
    EXPECT_EQ(root.content(), shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(qobject_cast<ActivityPillView*>(shown)->payload(), louder);
}

} // namespace
} // namespace vesk
