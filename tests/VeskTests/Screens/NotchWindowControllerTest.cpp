// The window controller over several offscreen screens, with the drag and click watches
// faked and time on the manual scheduler.

#include "NotchWindowControllerFixture.h"

using namespace vesk;
using namespace vesk::test;

TEST_F(NotchWindowControllerTest, UnpluggingADisplayRemovesOnlyItsNotch) {
    setScreens({screenA, screenB, screenC});
    auto controller = make();
    ASSERT_EQ(controller->displays().size(), 3);
    NotchViewModel* a = controller->model(idOf("A"));
    ASSERT_TRUE(a);
    open(*a);

    setScreens({screenA, screenC});
    scheduler.advance(NotchWindowController::rebuildDelay);
    QList<quint32> ids;
    for (const NotchDisplay& display : controller->displays())
        ids << display.id;
    EXPECT_EQ(ids, (QList<quint32>{idOf("A"), idOf("C")}));
    EXPECT_EQ(controller->model(idOf("A")), a);
    EXPECT_TRUE(a->state().isOpen());
}

TEST_F(NotchWindowControllerTest, ABurstOfScreenChangesOrWakeUpsRebuildsOnceAfterTheLast) {
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    QSignalSpy geometryChanges(a, &NotchViewModel::geometryChanged);
    for (int width : {1400, 1300, 1200}) {
        setScreens({{"A", QRect(0, 0, width, 982)}, screenB});
        scheduler.advance(0.1);
    }
    scheduler.advance(NotchWindowController::rebuildDelay - 0.1 - 0.01);
    EXPECT_EQ(geometryChanges.count(), 0);
    scheduler.advance(0.01);
    EXPECT_EQ(geometryChanges.count(), 1);
    EXPECT_EQ(a->geometry().screenFrame, QRectF(0, 0, 1200, 982));

    // A size adjustment waits for the next rebuild, which a wake-up brings.
    settings.setNotchWidthAdjust(10);
    Q_EMIT sleep.didWake();
    Q_EMIT sleep.didWake();
    scheduler.advance(NotchWindowController::rebuildDelay);
    EXPECT_EQ(geometryChanges.count(), 2);
    EXPECT_EQ(a->geometry().notchSize.width(), 194);
}

TEST_F(NotchWindowControllerTest, ASizeAdjustmentResizesEveryPanelAndItsInputAtOnce) {
    auto controller = make();
    const QList<quint32> ids{idOf("A"), idOf("B")};
    // The drawn 184 × 8 notch, closed: its canvas is 208 × 14.
    QList<QRect> inputBefore;
    for (quint32 id : ids) {
        ASSERT_EQ(controller->panel(id)->size(), QSize(208, 14));
        inputBefore << controller->panel(id)->inputRegion().boundingRect();
        ASSERT_FALSE(inputBefore.last().isEmpty());
    }

    // What the General pane does after a change: one rebuild, no pointer anywhere near.
    settings.setNotchWidthAdjust(20);
    settings.setNotchHeightAdjust(4);
    controller->rebuild();
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const quint32 id = ids.at(i);
        NotchPanel* panel = controller->panel(id);
        const NotchGeometry& geometry = controller->model(id)->geometry();
        EXPECT_EQ(controller->model(id)->state(), NotchState::closed());
        EXPECT_EQ(panel->currentCanvas(), QSizeF(228, 18));
        EXPECT_EQ(panel->size(), QSize(228, 18));
        EXPECT_EQ(panel->x(), int(geometry.notchOrigin.x() + geometry.notchSize.width() / 2 - 114));
        EXPECT_EQ(panel->hostingView()->interactiveRect(), QRectF(0, 0, 228, 18));
        // The clickable shape is the notch: 20 wider, 4 taller, still centred in the panel.
        const QRect input = panel->inputRegion().boundingRect();
        EXPECT_EQ(input.size(), inputBefore.at(i).size() + QSize(20, 4));
        EXPECT_EQ(input.center().x(), inputBefore.at(i).center().x() + 10);
    }
}

TEST_F(NotchWindowControllerTest, EveryModelBuiltIncludingLaterDisplaysReachesTheShellsHandler) {
    auto controller = make();
    QList<NotchViewModel*> created;
    controller->setOnModelCreated([&](NotchViewModel& model) { created << &model; });
    EXPECT_EQ(created.size(), 2);
    // The synced store reaches the models there are and those still to come.
    QTemporaryDir folder;
    DeskRepository repository(
        std::make_shared<ModelContext>(ModelContainer::open(folder.filePath("Vesk.store"))),
        QStringLiteral("Mac"));
    controller->setRepository(&repository);
    EXPECT_EQ(created.first()->repository(), &repository);

    setScreens({screenA, screenB, screenC});
    scheduler.advance(NotchWindowController::rebuildDelay);
    ASSERT_EQ(created.size(), 3);
    EXPECT_EQ(created.last(), controller->model(idOf("C")));
    EXPECT_EQ(created.last()->repository(), &repository);
}

TEST_F(NotchWindowControllerTest, GeometryReportDescribesEveryDisplay) {
    auto controller = make();
    const QString expected = QStringLiteral("display %1  1512×982\n"
                                            "  notch    184.0 × 8.0 (synthetic handler)\n"
                                            "  origin   x=664.0  centreX=756.0\n"
                                            "  menuBar  0.0   scale 1.0   60Hz\n"
                                            "display %2  1920×1080\n"
                                            "  notch    184.0 × 8.0 (synthetic handler)\n"
                                            "  origin   x=2380.0  centreX=2472.0\n"
                                            "  menuBar  0.0   scale 2.0   60Hz")
                                 .arg(idOf("A"))
                                 .arg(idOf("B"));
    EXPECT_EQ(controller->geometryReport(), expected);
}

TEST_F(NotchWindowControllerTest, WithoutANotchedScreenNotchedOnlyShowsNoNotch) {
    settings.setShowOn(ScreenPolicy::notchedOnly);
    auto controller = make();
    EXPECT_TRUE(controller->displays().isEmpty());
    EXPECT_EQ(controller->activeModel(), nullptr);
    EXPECT_EQ(controller->geometryReport(), QString());
}

TEST_F(NotchWindowControllerTest, EscapeAtAPanelClosesEveryOpenDeskAndOtherWindowsKeepTheirKeys) {
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    NotchViewModel* b = controller->model(idOf("B"));
    QWidget other;
    other.show();
    int keysSeen = 0;
    struct Counter : QObject {
        int* seen;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() != QEvent::KeyPress) return false;
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_V) ++*seen;
            return false;
        }
    } counter;
    counter.seen = &keysSeen;
    other.installEventFilter(&counter);

    open(*a);
    open(*b);
    // Another window's Escape and Ctrl+V are its own (a settings field pastes there).
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(makeFile("note.txt"))});
    QGuiApplication::clipboard()->setMimeData(data);
    QTest::keyClick(other.windowHandle(), Qt::Key_Escape);
    QTest::keyClick(other.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    scheduler.runPending();
    EXPECT_EQ(keysSeen, 2);
    EXPECT_TRUE(a->state().isOpen());
    EXPECT_TRUE(controller->trayStore().items().isEmpty());

    pressKey(*controller->panel(idOf("A")), Qt::Key_Escape);
    EXPECT_FALSE(a->state().isOpen());
    EXPECT_FALSE(b->state().isOpen());
}

TEST_F(NotchWindowControllerTest, TheTrayKeepsAtMostTheFilesTheSettingAllows) {
    settings.setTrayMaxItems(5.9);
    auto controller = make();
    for (int i = 1; i <= 6; ++i) {
        controller->trayStore().add({QUrl::fromLocalFile(makeFile(QStringLiteral("file-%1.txt").arg(i)))},
                                    false);
        scheduler.runPending();
    }
    EXPECT_EQ(controller->trayStore().items().size(), 5);
    defaults->setDouble(QStringLiteral("trayMaxItems"), 1e300); // hand-edited: held to 200
    EXPECT_EQ(controller->trayStore().maxItems(), 200);
}

TEST_F(NotchWindowControllerTest, AClickElsewhereClosesOpenDesksWhosePanelItMissed) {
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    NotchViewModel* b = controller->model(idOf("B"));
    open(*a);
    open(*b);
    // Inside A's panel, but where it lets clicks through: the watch still reports it.
    const QRect panelA = controller->panel(idOf("A"))->geometry();
    Q_EMIT clicks.clickedElsewhere(QPointF(panelA.left() + 2, panelA.bottom() - 2));
    EXPECT_TRUE(a->state().isOpen());
    EXPECT_FALSE(b->state().isOpen());
    Q_EMIT clicks.clickedElsewhere(QPointF(700, 900));
    EXPECT_FALSE(a->state().isOpen());
}

TEST_F(NotchWindowControllerTest, CtrlVPastesTheClipboardIntoTheOpenTray) {
    auto controller = make();
    NotchViewModel* a = controller->model(idOf("A"));
    NotchViewModel* b = controller->model(idOf("B"));
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(makeFile("note.txt"))});
    QGuiApplication::clipboard()->setMimeData(data);

    // With no desk open the keys are not ours.
    pressKey(*controller->panel(idOf("A")), Qt::Key_V, Qt::ControlModifier);
    scheduler.runPending();
    EXPECT_TRUE(controller->trayStore().items().isEmpty());

    open(*b);
    pressKey(*controller->panel(idOf("B")), Qt::Key_V, Qt::ControlModifier);
    scheduler.runPending();
    ASSERT_EQ(controller->trayStore().items().size(), 1);
    EXPECT_EQ(controller->trayStore().items().first().displayName, "note.txt");
    EXPECT_EQ(b->state(), NotchState::open(DeskTab::tray));
    EXPECT_EQ(a->trayItems(), controller->trayStore().items());
}

TEST_F(NotchWindowControllerTest, ArmingEnlargesClosedNotchesRaisesAllAndDisarmingRestoresThem) {
    auto controller = make();
    NotchPanel* a = controller->panel(idOf("A"));
    NotchPanel* b = controller->panel(idOf("B"));
    open(*controller->model(idOf("B")));
    const QSizeF openCanvas = b->currentCanvas();

    // A drag pasteboard that moved without the button held (a drag that already ended)
    // arms nothing.
    drag.count = 1;
    controller->pollDragPasteboard();
    EXPECT_FALSE(controller->isDragArmed());

    drag.count = 2;
    drag.leftDown = true;
    // Other tests in this process arm too.
    const int armedBefore = traceCount("drag armed=true");
    controller->pollDragPasteboard();
    controller->pollDragPasteboard();
    ASSERT_TRUE(controller->isDragArmed());
    EXPECT_EQ(traceCount("drag armed=true"), armedBefore + 1);
    EXPECT_EQ(a->level(), NotchPanel::Level::drag);
    EXPECT_EQ(b->level(), NotchPanel::Level::drag);
    EXPECT_EQ(a->currentCanvas(), QSizeF(184 + 560, 190));
    EXPECT_EQ(a->hostingView()->dropRect(), QRectF(0, 0, 744, 190));
    EXPECT_EQ(a->geometry(), QRect(756 - 372, 0, 744, 190));
    EXPECT_TRUE(a->hostingView()->isArmed());
    EXPECT_EQ(b->currentCanvas(), openCanvas);

    drag.leftDown = false;
    controller->pollDragPasteboard();
    EXPECT_FALSE(controller->isDragArmed());
    EXPECT_EQ(a->level(), NotchPanel::Level::resting);
    EXPECT_EQ(a->currentCanvas(), QSizeF(184 + 24, 8 + 6));
    EXPECT_EQ(a->drawnCanvas(), QSizeF(184 + 24, 8 + 6));
    EXPECT_EQ(a->hostingView()->dropRect(), QRectF(0, 0, 208, 120));
}

// Sizes edited by hand far outside what the settings window writes are kept in the file
// as they are, but the notch is built from the nearest size the window could have written.
TEST_F(NotchWindowControllerTest, HandEditedSizesOutOfRangeStillGiveAUsableNotch) {
    defaults->setDouble(QStringLiteral("handlerWidth"), 100000);
    defaults->setDouble(QStringLiteral("notchWidthAdjust"), 1e308);
    defaults->setDouble(QStringLiteral("handlerHeight"), -1e9);
    defaults->setDouble(QStringLiteral("contentPadding"), 5000);
    auto controller = make();
    EXPECT_EQ(settings.handlerWidth(), 100000) << "read as stored";
    NotchPanel* panel = controller->panel(idOf("A"));
    NotchViewModel* model = controller->model(idOf("A"));
    // 400 wide and 20 more, 2 high.
    EXPECT_EQ(panel->currentCanvas(), QSizeF(420 + 24, 2 + 6));
    EXPECT_EQ(panel->geometry(), QRect(756 - 222, 0, 444, 8));
    open(*model);
    EXPECT_LE(panel->geometry().width(), 1512);
    EXPECT_TRUE(QRect(0, 0, 1512, 982).contains(panel->geometry()));
    // The pill's chrome comes from a padding of 24 at most.
    ActivityPayload pill;
    pill.kind = ActivityKind::battery;
    pill.title = QStringLiteral("Charging");
    EXPECT_LT(model->contentSize(NotchState::activity(pill)).width(), 1000);
}

// What a full disk kept waiting (pins, the clipboard history, the tray index) is written
// by the one call every ending makes, before anything is destroyed: the display's loss
// ends the process with no destructor run.
TEST_F(NotchWindowControllerTest, TheEndingWritesThePinsTheHistoryAndTheTrayIndexThatWaited) {
    FakeClipboard clipboard;
    board = &clipboard;
    auto controller = make();
    TrayStore& tray = controller->trayStore();
    for (const char* name : {"kept.txt", "removed.txt"}) {
        tray.add({QUrl::fromLocalFile(makeFile(name))}, false);
        scheduler.runPending();
    }
    {
        const ScopedFileSizeLimit full(1);
        controller->quickAppsService().add(
            QuickApp{.id = QUuid::createUuid(), .bundleID = "editor.desktop", .name = "Editor", .path = {}});
        clipboard.copy(FakeClipboard::text("copied while full"));
        controller->pollClipboard(true, 40, true);
        scheduler.runPending();
        const QList<TrayItem> items = tray.items();
        for (const TrayItem& item : items)
            if (item.displayName == "removed.txt") tray.remove(item);
        scheduler.runPending();
    }
    ASSERT_TRUE(readFile(tray.indexPath()).contains("removed.txt")) << "the index waits";
    EXPECT_TRUE(controller->writeWaiting());
    EXPECT_TRUE(readFile(controller->quickAppsService().url()).contains("editor.desktop"));
    EXPECT_TRUE(readFile(controller->clipboardService().storeURL()).contains("copied while full"));
    EXPECT_TRUE(readFile(tray.indexPath()).contains("kept.txt"));
    EXPECT_FALSE(readFile(tray.indexPath()).contains("removed.txt"));
}
