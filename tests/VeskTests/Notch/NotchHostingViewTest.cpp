#include "Vesk/Notch/NotchHostingView.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QWheelEvent>

namespace vesk {
namespace {

// Content that draws a plain 200 × 40 notch at the top centre of a 900-wide panel.
class BoxSurface final : public NotchSurfaceView {
public:
    QPainterPath surfacePath() const override {
        QPainterPath path;
        path.addRect(QRectF(350, 0, 200, 40));
        return path;
    }
};

class NotchHostingViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(900, 420);
        host.setRootView(new BoxSurface);
        // The content and its slack: 12 on each side and 6 below.
        host.setInteractiveRect(QRectF(338, 0, 224, 46));
        host.setDropRectForDrag(QRectF(170, 0, 560, 190));
    }

    std::unique_ptr<QMimeData> files(QList<QUrl> urls) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls(urls);
        return data;
    }

    // Sends a drag event of type E; returns whether it was accepted.
    template <typename E>
    bool drag(QPoint at, const QMimeData* data, Qt::DropActions actions = Qt::CopyAction) {
        E event(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&host, &event);
        return event.isAccepted();
    }

    bool wheel(QPoint pixels, QPoint angle, Qt::ScrollPhase phase) {
        QWheelEvent event(QPointF(450, 20), QPointF(450, 20), pixels, angle, Qt::NoButton, Qt::NoModifier,
                          phase, false);
        QCoreApplication::sendEvent(&host, &event);
        return event.isAccepted();
    }

    NotchHostingView host;
};

TEST_F(NotchHostingViewTest, ClicksOutsideTheNotchPassThrough) {
    EXPECT_TRUE(host.hitTest({450, 20})) << "inside the drawn notch";
    EXPECT_FALSE(host.hitTest({450, 47})) << "one point below the interactive rectangle";
    EXPECT_FALSE(host.hitTest({337, 10})) << "one point left of it";
    EXPECT_FALSE(host.hitTest({345, 10})) << "in the rectangle's slack but outside the outline";
    EXPECT_FALSE(host.hitTest({200, 100})) << "empty panel";
}

TEST_F(NotchHostingViewTest, ArmedItTakesTheWholeDropArea) {
    host.setArmed(true);
    EXPECT_TRUE(host.hitTest({200, 100})) << "inside the drop rectangle, over empty space";
    EXPECT_TRUE(host.hitTest({345, 10}));
    EXPECT_FALSE(host.hitTest({100, 100})) << "outside the drop rectangle";

    // A drag enters, then the controller disarms: the drag ends and the area shrinks back.
    auto data = files({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
    drag<QDragEnterEvent>({200, 100}, data.get());
    ASSERT_TRUE(host.isDragging());
    host.setArmed(false);
    EXPECT_FALSE(host.isDragging());
    EXPECT_FALSE(host.hitTest({200, 100}));
}

TEST_F(NotchHostingViewTest, FileDragsReachTheCallbacksWithTheirLocalFiles) {
    QStringList log;
    QList<QUrl> entered;
    host.onDragDiagnostic = [&](const QString& line) { log << line; };
    host.onDragEntered = [&](const QList<QUrl>& urls) { entered = urls; };
    host.onDragMoved = [&](const QPointF& point) { log << QStringLiteral("moved %1").arg(point.x()); };
    host.onDragExited = [&] { log << QStringLiteral("exited"); };
    QList<QUrl> dropped;
    host.onDrop = [&](const QList<QUrl>& urls, const QPointF&) {
        dropped = urls;
        return true;
    };

    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/tmp/photo.jpg"));
    auto data = files({file, QUrl(QStringLiteral("https://example.org/page"))});
    QDragEnterEvent enter(QPoint(450, 20), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(&host, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    EXPECT_EQ(entered, QList<QUrl>{file}) << "only file URLs";
    EXPECT_TRUE(host.isDragging());
    EXPECT_TRUE(drag<QDragMoveEvent>({460, 25}, data.get()));
    EXPECT_TRUE(drag<QDropEvent>({460, 25}, data.get()));
    EXPECT_EQ(dropped, QList<QUrl>{file});
    EXPECT_FALSE(host.isDragging());
    EXPECT_EQ(log, (QStringList{QStringLiteral("draggingEntered sourcing=false armed=false"),
                                QStringLiteral("moved 460")}));

    host.onDrop = [](const QList<QUrl>&, const QPointF&) { return false; };
    EXPECT_FALSE(drag<QDropEvent>({460, 25}, data.get())) << "a drop the controller did not take fails";
}

TEST_F(NotchHostingViewTest, ADragOutOfTheTrayIsRefusedThroughout) {
    bool called = false;
    host.onDragEntered = [&](const QList<QUrl>&) { called = true; };
    host.onDragMoved = [&](const QPointF&) { called = true; };
    host.onDrop = [&](const QList<QUrl>&, const QPointF&) { return called = true; };
    host.setSourcingDrag(true);
    auto data = files({QUrl::fromLocalFile(QStringLiteral("/tmp/tray-item.pdf"))});
    EXPECT_FALSE(drag<QDragEnterEvent>({450, 20}, data.get()));
    EXPECT_FALSE(drag<QDragMoveEvent>({450, 20}, data.get()));
    EXPECT_FALSE(drag<QDropEvent>({450, 20}, data.get()));
    EXPECT_FALSE(called);
    EXPECT_FALSE(host.isDragging());
}

TEST_F(NotchHostingViewTest, ScrollingPassesDeltasAndPhases) {
    struct Call {
        double dx, dy;
        SwipePhase phase;
    };
    QList<Call> calls;
    host.onScroll = [&](double dx, double dy, SwipePhase phase) { calls.append({dx, dy, phase}); };

    wheel({12, -30}, {24, -60}, Qt::ScrollUpdate);
    wheel({}, {0, 120}, Qt::NoScrollPhase);
    wheel({0, 3}, {0, 6}, Qt::ScrollMomentum);
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].dx, 12) << "pixel deltas when the device gives them";
    EXPECT_EQ(calls[0].dy, -30);
    EXPECT_EQ(calls[0].phase, SwipePhase::changed);
    EXPECT_EQ(calls[1].dy, 15) << "otherwise an eighth of the angle";
    EXPECT_EQ(calls[1].phase, SwipePhase::none);
    EXPECT_EQ(calls[2].phase, SwipePhase::changed) << "momentum continues the gesture";
    EXPECT_EQ(NotchHostingView::swipePhase(Qt::ScrollBegin), SwipePhase::began);
    EXPECT_EQ(NotchHostingView::swipePhase(Qt::ScrollEnd), SwipePhase::ended);
    host.onScroll = nullptr;
    EXPECT_FALSE(wheel({}, {0, 120}, Qt::NoScrollPhase));
}

TEST_F(NotchHostingViewTest, RightClickPopsUpTheProvidedMenu) {
    QContextMenuEvent withoutMenu(QContextMenuEvent::Mouse, QPoint(450, 20), QPoint(450, 20));
    QCoreApplication::sendEvent(&host, &withoutMenu);
    EXPECT_FALSE(withoutMenu.isAccepted()) << "without a provider the usual handling goes on";

    QMenu menu;
    menu.addAction(QStringLiteral("Settings…"));
    host.contextMenuProvider = [&] { return &menu; };
    QContextMenuEvent withMenu(QContextMenuEvent::Mouse, QPoint(450, 20), QPoint(450, 20));
    QCoreApplication::sendEvent(&host, &withMenu);
    EXPECT_TRUE(withMenu.isAccepted());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

} // namespace
} // namespace vesk
