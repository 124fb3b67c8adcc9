// The window controller over several offscreen screens, with the drag and click watches
// faked and time on the manual scheduler.
#include "Vesk/Screens/NotchWindowController.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/PipelineBanner.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskPlatform/Screens/Screens.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/ManualScheduler.h"
#include "support/Pasteboard/FakeClipboard.h"
#include "support/Screens/OffscreenScreens.h"
#include "support/Tray/FakeThumbnailGenerator.h"
#include "support/WindowController/FakePointerWatches.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vesk;
using namespace vesk::test;

namespace {

const OffscreenScreen screenA{"A", QRect(0, 0, 1512, 982)};
const OffscreenScreen screenB{"B", QRect(1512, 0, 1920, 1080), 2};
const OffscreenScreen screenC{"C", QRect(3432, 0, 1280, 800)};

quint32 idOf(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name) return screens::displayID(*screen);
    return 0;
}

class NotchWindowControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VESK_TRACE", "1");
        // The tray and the pipelines keep their files in the process's data folder: each
        // test starts without those an earlier test in this process left.
        ASSERT_TRUE(QDir(files::applicationSupportFolder()).removeRecursively());
        setScreens({screenA, screenB});
        sources = qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/sources");
        ASSERT_TRUE(QDir().mkpath(sources));
    }

    void setScreens(const QList<OffscreenScreen>& screens) {
        ASSERT_TRUE(setOffscreenScreens(screens));
        QCoreApplication::processEvents();
    }

    std::unique_ptr<NotchWindowController> make() {
        NotchWindowController::Environment environment;
        environment.dragWatch = &drag;
        environment.clickWatch = &clicks;
        environment.sleepWatch = &sleep;
        environment.altHeld = [this] { return alt; };
        environment.trayOptions.clock = &scheduler.clock();
        environment.trayOptions.queueScheduler = trayQueue;
        environment.pipelineOptions.workScheduler = &scheduler;
        environment.trayOptions.thumbnails = std::make_shared<FakeThumbnailGenerator>();
        environment.modelEnvironment.clock = &scheduler.clock();
        environment.modelEnvironment.outputDevices = [] { return QList<AudioOutputDevice>{}; };
        if (board) {
            environment.pasteboard = board;
            environment.clipboardOptions = {.reader = board, .queueScheduler = &scheduler};
        }
        return std::make_unique<NotchWindowController>(settings, environment);
    }

    QString makeFile(const QString& name) const {
        const QString path = sources + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("hello");
        return path;
    }

    static void open(NotchViewModel& model) {
        model.send(NotchEvent::click());
        ASSERT_TRUE(model.state().isOpen());
    }

    static void pressKey(NotchPanel& panel, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(panel.windowHandle(), key, modifiers);
    }

    int traceCount(const QString& line) const {
        return int(TraceLog::recentLogLines(400).filter(line).size());
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    ManualScheduler* trayQueue = &scheduler;
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    bool alt = false;
    QString sources;
    // The clipboard, when the test gives one; the history then works on the manual scheduler.
    FakeClipboard* board = nullptr;
};

} // namespace

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
