// Drags over the notch and drops into the tray through the window controller: arming,
// dropping on the shelf or a pipeline lane, and what a drop that adds nothing leaves.

#include "NotchWindowControllerFixture.h"

using namespace vesk;
using namespace vesk::test;

TEST_F(NotchWindowControllerTest, LeftDragsNearTheTopOfThePrimaryScreenArmUntilTheButtonIsUp) {
    auto controller = make();
    controller->startDragMonitors();
    EXPECT_EQ(traceCount("drag monitors installed: 2"), 1);
    Q_EMIT drag.leftMouseDragged(QPointF(3000, 260));
    EXPECT_FALSE(controller->isDragArmed());
    Q_EMIT drag.leftMouseDragged(QPointF(3000, 259));
    EXPECT_TRUE(controller->isDragArmed());
    Q_EMIT drag.leftMouseUp();
    EXPECT_FALSE(controller->isDragArmed());

    controller->stopDragMonitors();
    EXPECT_FALSE(drag.monitoring);
    Q_EMIT drag.leftMouseDragged(QPointF(3000, 10));
    EXPECT_FALSE(controller->isDragArmed());
}

TEST_F(NotchWindowControllerTest, DropsOnTheShelfCopyOrMoveIntoTheTrayByTheSettingAndAlt) {
    struct Row {
        bool moveOnDrop;
        bool alt;
        bool moved;
    };
    for (const Row& row :
         {Row{false, false, false}, Row{false, true, true}, Row{true, false, true}, Row{true, true, false}}) {
        SCOPED_TRACE(::testing::Message() << "moveOnDrop " << row.moveOnDrop << " alt " << row.alt);
        // Only the tray takes a drop here.
        settings.setPipelinesEnabled(false);
        settings.setTrayMoveOnDrop(row.moveOnDrop);
        alt = row.alt;
        auto controller = make();
        QList<TrayItem> reported;
        controller->setOnFilesDropped([&](const QList<TrayItem>& items) { reported << items; });
        NotchViewModel* a = controller->model(idOf("A"));
        NotchHostingView* host = controller->panel(idOf("A"))->hostingView();
        const QString file = makeFile(QStringLiteral("drop.txt"));
        const QList<QUrl> urls{QUrl::fromLocalFile(file)};

        host->onDragEntered(urls);
        EXPECT_EQ(a->state(), NotchState::dropTarget());
        EXPECT_EQ(a->dragLanes(), QList<DropLane>{DropLane::shelf()});
        EXPECT_TRUE(host->onDrop(urls, QPointF(450, 20)));
        scheduler.runPending();

        EXPECT_EQ(QFile::exists(file), !row.moved);
        ASSERT_EQ(controller->trayStore().items().size(), 1);
        EXPECT_EQ(reported, controller->trayStore().items());
        EXPECT_EQ(a->trayItems(), controller->trayStore().items());
        EXPECT_TRUE(a->dragURLs().isEmpty());
        EXPECT_TRUE(a->dragLanes().isEmpty());
        EXPECT_EQ(a->state(), NotchState::open(DeskTab::tray));
        controller->trayStore().removeAll();
        scheduler.runPending();
    }
}

// The outputs of a pipeline dropped on enter the tray as copies; undo takes both away,
// also while the copy into the tray is still under way. An output that cannot be copied
// (a full disk) is moved in instead, and undo still takes it away.
TEST_F(NotchWindowControllerTest, ADropOnAPipelineLaneRunsItIntoTheTrayAndUndoRemovesBoth) {
    ManualScheduler trayWork;
    trayQueue = &trayWork;
    auto controller = make();
    QList<TrayItem> reported;
    controller->setOnFilesDropped([&](const QList<TrayItem>& items) { reported << items; });
    NotchViewModel* a = controller->model(idOf("A"));
    NotchHostingView* host = controller->panel(idOf("A"))->hostingView();
    PipelineBanner banner(*a);
    const QString photo = sources + QStringLiteral("/photo.bmp");
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(photo));
    const QList<QUrl> urls{QUrl::fromLocalFile(photo)};
    const QString output = NotchWindowController::pipelineOutputDirectory() + QStringLiteral("/photo.png");

    enum class Copy { entered, stillCopying, failed };
    for (const Copy copy : {Copy::entered, Copy::stillCopying, Copy::failed}) {
        SCOPED_TRACE(int(copy));
        const bool entered = copy != Copy::stillCopying;
        reported.clear();
        host->onDragEntered(urls);
        const double lanes = double(a->dragLanes().size());
        ASSERT_EQ(a->dragLanes()[2], DropLane::pipeline(PipelineID::convertFormat));
        const double content = a->contentSize(a->state()).width();
        EXPECT_TRUE(host->onDrop(urls, QPointF((host->width() - content) / 2 + content * 2.5 / lanes, 20)));
        // The conversion runs in the pipeline worker.
        ASSERT_TRUE(test::processEventsUntil([&] {
            scheduler.runPending();
            return !controller->pipelineRunner().state().isRunning();
        }));
        ASSERT_TRUE(QFile::exists(output));
        if (entered) {
            std::optional<ScopedFileSizeLimit> full;
            if (copy == Copy::failed) full.emplace(16);
            trayWork.runPending();
            scheduler.runPending();
            ASSERT_EQ(a->trayItems().size(), 1);
            EXPECT_EQ(a->trayItems().first().originalPath == output, copy == Copy::entered);
            EXPECT_TRUE(QFile::exists(a->trayItems().first().storedPath));
            EXPECT_EQ(QFile::exists(output), copy == Copy::entered) << "no hidden copy stays behind";
            EXPECT_EQ(reported, a->trayItems());
        }
        ASSERT_FALSE(banner.undoButton()->isHidden()) << "the banner shows the finished run";
        const QList<TrayItem> listed = a->trayItems();
        banner.undoButton()->click();
        scheduler.runPending();
        trayWork.runPending();
        scheduler.runPending();
        EXPECT_FALSE(QFile::exists(output));
        EXPECT_TRUE(a->trayItems().isEmpty());
        for (const TrayItem& item : listed)
            EXPECT_FALSE(QFile::exists(item.storedPath));
        EXPECT_EQ(controller->trayStore().pendingCount(), 0);
        EXPECT_TRUE(banner.state().isIdle());
    }
}

// A drop the tray cannot take, and a drag without files, both leave the drop target.
TEST_F(NotchWindowControllerTest, DropsThatAddNothingFailAndReturnTheNotchToItsState) {
    settings.setPipelinesEnabled(false);
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    NotchHostingView* host = controller->panel(idOf("A"))->hostingView();
    int dropped = 0;
    controller->setOnFilesDropped([&](const QList<TrayItem>&) { ++dropped; });

    for (const QList<QUrl>& urls :
         {QList<QUrl>{QUrl::fromLocalFile(sources + "/missing.txt")}, QList<QUrl>{}}) {
        host->onDragEntered(urls);
        EXPECT_EQ(a->state(), NotchState::dropTarget());
        EXPECT_FALSE(host->onDrop(urls, QPointF(450, 20)));
        scheduler.runPending();
        EXPECT_EQ(a->state(), NotchState::closed());
        EXPECT_TRUE(a->dragURLs().isEmpty());
        EXPECT_TRUE(a->dragLanes().isEmpty());
    }
    EXPECT_TRUE(controller->trayStore().items().isEmpty());
    EXPECT_EQ(dropped, 0);
}

// X11 reports the button's release before the drop: disarming waits for the drop, so the
// panel does not shrink under it.
TEST_F(NotchWindowControllerTest, ADisarmWaitsForTheDragOverTheNotchToDrop) {
    auto controller = make();
    NotchHostingView* host = controller->panel(idOf("A"))->hostingView();
    controller->startDragMonitors();
    Q_EMIT drag.leftMouseDragged(QPointF(900, 50));
    const QList<QUrl> urls{QUrl::fromLocalFile(makeFile("late.txt"))};
    host->onDragEntered(urls);
    Q_EMIT drag.leftMouseUp();
    EXPECT_TRUE(controller->isDragArmed());
    EXPECT_TRUE(host->onDrop(urls, QPointF(450, 20)));
    EXPECT_FALSE(controller->isDragArmed());

    // A drag that never drops nor leaves holds the notch armed only briefly.
    Q_EMIT drag.leftMouseDragged(QPointF(900, 50));
    host->onDragEntered(urls);
    Q_EMIT drag.leftMouseUp();
    scheduler.advance(1.0);
    EXPECT_FALSE(controller->isDragArmed());
}

// The drop of a first drag opened the tray; a second drag arms while the desk is open, the
// desk closes under it, and the closed notch still offers the armed drop area whatever the
// state does meanwhile, so the drag that enters it is taken.
TEST_F(NotchWindowControllerTest, ADeskClosingDuringADragKeepsTheArmedDropAreaAndTheDropIsTaken) {
    settings.setPipelinesEnabled(false);
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    NotchPanel* panel = controller->panel(idOf("A"));
    NotchHostingView* host = panel->hostingView();
    open(*a);
    const QSizeF openCanvas = panel->currentCanvas();
    drag.count = 1;
    drag.leftDown = true;
    controller->pollDragPasteboard();
    ASSERT_TRUE(controller->isDragArmed());
    EXPECT_EQ(panel->currentCanvas(), openCanvas) << "the open desk is a drop area already";

    const QSizeF armed(184 + 560, 190);
    const auto expectArmed = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(panel->currentCanvas(), armed);
        EXPECT_EQ(panel->geometry(), QRect(756 - 372, 0, 744, 190));
        EXPECT_EQ(host->dropRect(), QRectF(QPointF(0, 0), armed));
        EXPECT_TRUE(host->liveRegion().contains(QPoint(700, 180)));
    };
    a->send(NotchEvent::escape());
    ASSERT_EQ(a->state(), NotchState::closed());
    scheduler.advance(1);
    expectArmed("the desk closed");
    EXPECT_EQ(panel->drawnCanvas(), QSizeF(184 + 24, 8 + 6)) << "the shape is drawn closed";
    a->send(NotchEvent::hoverBegan());
    scheduler.advance(1);
    expectArmed("hovered");

    const QList<QUrl> urls{QUrl::fromLocalFile(makeFile(QStringLiteral("second.txt")))};
    host->onDragEntered(urls);
    ASSERT_EQ(a->state(), NotchState::dropTarget());
    scheduler.advance(1);
    expectArmed("over the notch");
    EXPECT_TRUE(host->onDrop(urls, QPointF(372, 60)));
    scheduler.runPending();
    EXPECT_EQ(controller->trayStore().items().size(), 1);
    drag.leftDown = false;
    controller->pollDragPasteboard();
    EXPECT_FALSE(controller->isDragArmed());
    EXPECT_EQ(panel->currentCanvas(), a->currentCanvasSize()) << "disarmed, the window fits the state again";
    controller->trayStore().removeAll();
    scheduler.runPending();
}
