#include "Vesk/Shell/AppDelegate.h"

#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Shell/ActivationPolicy.h"
#include "Vesk/Shell/SyncStartup.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "support/Activity/PayloadFactory.h"
#include "support/Shell/FakeShellParts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScopeGuard>

#include <cmath>
#include <limits>

namespace vesk {
namespace {

using test::makePayload;

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VESK_TRACE", "1");
        QFile::remove(TraceLog::filePath()); // counts below start from an empty log
    }

    void launch(int displays = 1, bool holdFirstPaint = false) {
        auto made = std::make_unique<test::FakeShellFactory>(log, scheduler, displays);
        made->holdFirstPaint = holdFirstPaint;
        factory = made.get();
        delegate = std::make_unique<AppDelegate>(std::move(made));
        delegate->setStandardOutput([this](const QString& text) { log << QStringLiteral("print ") + text; });
        delegate->applicationDidFinishLaunching();
    }

    NotchViewModel& model(int index) const { return factory->surface->model(index); }
    ActivityCoordinator& coordinator() const { return *factory->coordinator; }
    // Offers a payload as the bridge does: presented only when it became current.
    void offer(const ActivityPayload& payload) {
        if (coordinator().submit(payload)) factory->present(payload);
    }
    // The log lines since the mark.
    QStringList since(qsizetype mark) const { return log.mid(mark); }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler mainGuard{scheduler};
    test::CallLog log;
    test::FakeShellFactory* factory = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, NothingIsCreatedBeforeLaunchingFinishes) {
    auto made = std::make_unique<test::FakeShellFactory>(log, scheduler);
    AppDelegate idle(std::move(made));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(idle.settings(), nullptr);
    EXPECT_EQ(idle.notchController(), nullptr);
}

// What launching does once the notch is built, in its order.
const QStringList afterTheNotch{
    QStringLiteral("makeActivityServices"), QStringLiteral("setOnNowPlayingChange"),
    QStringLiteral("setOnCurrentChanged"),  QStringLiteral("setOnFilesDropped"),
    QStringLiteral("restoreFocusFilter"),   QStringLiteral("start"),
    QStringLiteral("setOnModelCreated"),    QStringLiteral("setContextMenuProvider"),
    QStringLiteral("startDragMonitors"),    QStringLiteral("registerForRemoteNotifications"),
    QStringLiteral("makeSyncCoordinator"),  QStringLiteral("print display 1  1920×1080\n"),
};
const QStringList theNotch{QStringLiteral("makeSettings"), QStringLiteral("makeCoordinator"),
                           QStringLiteral("makeNotchSurface")};

// The notch's first frame waits for nothing it does not show; the rest of launching then
// goes on by itself, and what it starts gives its first answers without a user action.
TEST_F(AppDelegateTest, TheNotchPaintsFirstAndLaunchingGoesOnByItself) {
    launch(1, /*holdFirstPaint=*/true);
    EXPECT_EQ(log, theNotch);
    EXPECT_EQ(delegate->bridge(), nullptr);
    EXPECT_EQ(scheduler.pendingCount(), 0) << "no timer, task or hook before the first frame";

    factory->surface->paintFirstFrame();
    EXPECT_EQ(log, theNotch + afterTheNotch);
    EXPECT_NE(delegate->bridge(), nullptr);
    scheduler.runPending();
    EXPECT_NE(delegate->syncStartup()->repository(), nullptr) << "the store never opened";
    const qsizetype mark = log.size();
    scheduler.advance(15);
    EXPECT_EQ(delegate->calendarTick(), 60);
    EXPECT_TRUE(since(mark).contains(QStringLiteral("checkUpcomingEvent")));
    EXPECT_FALSE(since(mark).filter(QStringLiteral("pollClipboard")).isEmpty());

    // A second frame changes nothing.
    const qsizetype launched = log.size();
    factory->surface->paintFirstFrame();
    EXPECT_EQ(log.size(), launched);
}

TEST_F(AppDelegateTest, TerminationBeforeTheFirstFrameStartsNothingAfterIt) {
    launch(1, /*holdFirstPaint=*/true);
    delegate->applicationWillTerminate();
    factory->surface->paintFirstFrame();
    EXPECT_EQ(log,
              theNotch + QStringList({QStringLiteral("writeWaiting"), QStringLiteral("stopDragMonitors")}));
    EXPECT_EQ(delegate->bridge(), nullptr);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST_F(AppDelegateTest, LaunchingWiresTheObjectsInOrder) {
    launch();
    EXPECT_EQ(log, theNotch + afterTheNotch);
    EXPECT_EQ(Activation::shared().policy(), ActivationPolicy::accessory);
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    // No menu until the menus exist: a right click passes on.
    EXPECT_EQ(factory->surface->contextMenuProvider(), nullptr);
    // The onboarding timer is set before the store opens.
    EXPECT_EQ(scheduler.pendingCount(), 5)
        << "autostart entry read, heartbeat, push answer, sync start-up, onboarding";
    EXPECT_EQ(delegate->syncStartup()->repository(), nullptr) << "launch did not wait for the store";

    // The store opens and the push answer arrives once launching has returned.
    const auto pushLine = [] {
        return TraceLog::recentLogLines(100).filter(QStringLiteral("push registration FAILED")).size();
    };
    EXPECT_EQ(pushLine(), 0);
    const qsizetype launchEnd = log.size();
    scheduler.runPending();
    EXPECT_EQ(since(launchEnd), QStringList{QStringLiteral("setRepository")});
    EXPECT_NE(delegate->syncStartup()->repository(), nullptr);
    EXPECT_EQ(pushLine(), 1);
    EXPECT_TRUE(TraceLog::recentLogLines(100)
                    .filter(QStringLiteral("push"))
                    .first()
                    .endsWith(QStringLiteral(
                        "  push registration FAILED: remote notifications are not available on Linux")));

    // Launch is entered once.
    const qsizetype mark = log.size();
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(since(mark).isEmpty());
}

// The launch readings of VESK_SEED_TRAY come before the start-up task's third one.
TEST_F(AppDelegateTest, TheTraysLaunchSeedingComesBeforeTheStoresOwn) {
    qputenv("VESK_SEED_TRAY", "");
    const auto unset = qScopeGuard([] { qunsetenv("VESK_SEED_TRAY"); });
    launch();
    scheduler.runPending();
    const QStringList seeded = TraceLog::recentLogLines(100).filter(QRegularExpression("  seeded.*tray"));
    ASSERT_EQ(seeded.size(), 2) << qPrintable(seeded.join('\n'));
    EXPECT_TRUE(seeded.at(0).endsWith(QStringLiteral("  seeded 0 tray item(s)")));
    EXPECT_TRUE(seeded.at(1).endsWith(QStringLiteral("  seeded tray: 0 files")));
}

TEST_F(AppDelegateTest, HeartbeatPollsAndChecksOnItsTicks) {
    launch();
    scheduler.runPending(); // the store's start-up
    const qsizetype mark = log.size();
    scheduler.advance(0.24);
    EXPECT_TRUE(since(mark).isEmpty());
    scheduler.advance(15 - 0.24);
    EXPECT_EQ(delegate->calendarTick(), 60);
    const QStringList ticks = since(mark);
    EXPECT_EQ(ticks.count(QStringLiteral("pollDragPasteboard")), 60);
    EXPECT_EQ(ticks.count(QStringLiteral("pollClipboard true 40 false")), 30);
    EXPECT_EQ(ticks.count(QStringLiteral("checkUpcomingEvent")), 1);
    EXPECT_EQ(ticks.mid(0, 3),
              (QStringList{QStringLiteral("pollDragPasteboard"), QStringLiteral("pollDragPasteboard"),
                           QStringLiteral("pollClipboard true 40 false")}));
    // Tick 60: the calendar first, then the clipboard.
    EXPECT_EQ(ticks.mid(ticks.size() - 3),
              (QStringList{QStringLiteral("pollDragPasteboard"), QStringLiteral("checkUpcomingEvent"),
                           QStringLiteral("pollClipboard true 40 false")}));
    scheduler.advance(15);
    EXPECT_EQ(since(mark).count(QStringLiteral("checkUpcomingEvent")), 2);
}

TEST_F(AppDelegateTest, HeartbeatReadsTheClipboardSettingsEachTime) {
    launch();
    const struct {
        double maxItems;
        bool enabled;
        bool persists;
        const char* line;
    } rows[] = {
        {12.9, true, false, "pollClipboard true 12 false"},
        {200, false, true, "pollClipboard false 200 true"},
        // A hand-edited value is kept to the range the settings window offers.
        {1e30, true, false, "pollClipboard true 200 false"},
        {-7, true, false, "pollClipboard true 5 false"},
        {std::numeric_limits<double>::quiet_NaN(), true, false, "pollClipboard true 40 false"},
    };
    for (const auto& row : rows) {
        factory->defaults->setDouble(QStringLiteral("clipboardMaxItems"), row.maxItems);
        factory->settings->setClipboardEnabled(row.enabled);
        factory->settings->setClipboardPersists(row.persists);
        const qsizetype mark = log.size();
        scheduler.advance(0.5);
        EXPECT_EQ(since(mark).filter(QStringLiteral("pollClipboard")),
                  QStringList{QString::fromUtf8(row.line)});
    }
}

TEST_F(AppDelegateTest, HeartbeatPushesOnlyWhenTheCoordinatorAdvanced) {
    launch(2);
    const ActivityPayload pill = makePayload(QStringLiteral("sound"), ActivityPriority::interrupt, 1.5);
    offer(pill);
    EXPECT_EQ(model(0).state(), NotchState::activity(pill));

    // Changed by another path, without a presentation: the heartbeat does not send it.
    const ActivityPayload other = makePayload(QStringLiteral("display"), ActivityPriority::interrupt, 10);
    coordinator().submit(other);
    scheduler.advance(1.0);
    EXPECT_EQ(model(0).state(), NotchState::activity(pill));

    // When the current one expires, the next (here: nothing) is pushed.
    scheduler.advance(10);
    EXPECT_EQ(model(0).state(), NotchState::closed());
    EXPECT_EQ(model(1).state(), NotchState::closed()) << "the other display received nothing to show";
}

TEST_F(AppDelegateTest, ACurrentActivityIsShownOnTheActiveDisplayOnly) {
    launch(2);
    const ActivityPayload first = makePayload(QStringLiteral("sound"), ActivityPriority::interrupt, 1.5);
    offer(first);
    EXPECT_EQ(model(0).state(), NotchState::activity(first));

    // The pointer moves to the second display while the pill shows: it still times out.
    factory->surface->active = 1;
    scheduler.advance(1.5);
    EXPECT_EQ(model(0).state(), NotchState::closed());
    EXPECT_EQ(model(1).state(), NotchState::closed());

    // A new pill on the second display takes the stale one off the first.
    factory->surface->active = 0;
    offer(makePayload(QStringLiteral("stale"), ActivityPriority::interrupt, 30));
    ASSERT_EQ(model(0).state().kind(), NotchState::Kind::activity);
    factory->surface->active = 1;
    const ActivityPayload next = makePayload(QStringLiteral("display"), ActivityPriority::interrupt, 30);
    offer(next);
    EXPECT_EQ(model(1).state(), NotchState::activity(next));
    EXPECT_EQ(model(0).state(), NotchState::closed());
}

TEST_F(AppDelegateTest, SwipesThatCycleOrDismissShowTheNewCurrentActivity) {
    launch();
    const ActivityPayload first = makePayload(QStringLiteral("a"), ActivityPriority::interrupt, 30);
    const ActivityPayload second = makePayload(QStringLiteral("b"), ActivityPriority::queued, 30);
    offer(first);
    offer(second);
    ASSERT_EQ(coordinator().queue().size(), 1);

    model(0).send(NotchEvent::swipeLeft());
    EXPECT_EQ(coordinator().current()->id, second.id);
    EXPECT_EQ(model(0).state(), NotchState::activity(second));

    model(0).send(NotchEvent::swipeUp());
    EXPECT_EQ(coordinator().current()->id, first.id);
    EXPECT_EQ(model(0).state(), NotchState::activity(first));

    model(0).send(NotchEvent::swipeUp());
    EXPECT_FALSE(coordinator().current());
    EXPECT_EQ(model(0).state(), NotchState::closed());

    // Cycling with nothing queued leaves an expanded pill alone.
    offer(first);
    model(0).send(NotchEvent::hoverBegan());
    ASSERT_EQ(model(0).state(), NotchState::activityExpanded(first));
    model(0).send(NotchEvent::swipeRight());
    EXPECT_EQ(model(0).state(), NotchState::activityExpanded(first));
}

TEST_F(AppDelegateTest, MediaEffectsAndCommandsGoToTheNowPlayingSource) {
    launch();
    factory->settings->setSwipeToCycleActivity(false);
    const qsizetype mark = log.size();
    model(0).send(NotchEvent::swipeLeft());
    model(0).send(NotchEvent::swipeRight());
    EXPECT_EQ(since(mark), (QStringList{QStringLiteral("sendMediaCommand send 4"),
                                        QStringLiteral("sendMediaCommand send 5")}));
}

TEST_F(AppDelegateTest, DisplaysAttachedLaterGetTheHandlers) {
    launch();
    NotchViewModel& later = factory->surface->addDisplay();
    factory->surface->active = 1;
    offer(makePayload(QStringLiteral("a"), ActivityPriority::interrupt, 30));
    offer(makePayload(QStringLiteral("b"), ActivityPriority::queued, 30));
    later.send(NotchEvent::swipeUp());
    EXPECT_EQ(coordinator().current()->dedupeKey, QStringLiteral("b"));
    EXPECT_EQ(later.state().payload()->dedupeKey, QStringLiteral("b"));
}

TEST_F(AppDelegateTest, DroppedFilesAreAnnouncedWhenTheirActivityBecomesCurrent) {
    launch();
    TrayItem report;
    report.displayName = QStringLiteral("Report.pdf");
    factory->surface->onFilesDropped({report});
    ASSERT_EQ(model(0).state().kind(), NotchState::Kind::activity);
    EXPECT_EQ(model(0).state().payload()->title, QStringLiteral("Report.pdf"));

    // Behind an interrupt the tray-add activity waits in the queue and nothing is sent.
    const ActivityPayload loud = makePayload(QStringLiteral("sound"), ActivityPriority::interrupt, 30);
    offer(loud);
    factory->surface->onFilesDropped({report, report});
    EXPECT_EQ(model(0).state(), NotchState::activity(loud));
    EXPECT_EQ(coordinator().queue().size(), 1);
}

TEST_F(AppDelegateTest, NowPlayingReachesEveryDisplay) {
    launch(2);
    NowPlayingState playing;
    playing.isPlaying = true;
    playing.title = QStringLiteral("Song");
    factory->services->onNowPlayingChange(playing);
    EXPECT_EQ(model(0).nowPlaying(), playing);
    EXPECT_EQ(model(1).nowPlaying(), playing);
}

TEST_F(AppDelegateTest, AnEndedAmbientPayloadIsFollowedOnTheSurface) {
    launch();
    const ActivityPayload ambient = makePayload(QStringLiteral("np"), ActivityPriority::ambient, 3600);
    offer(ambient);
    ASSERT_EQ(model(0).state(), NotchState::activity(ambient));
    coordinator().setAmbient(std::nullopt);
    coordinator().dismissCurrent();
    ASSERT_FALSE(coordinator().current());
    factory->services->onCurrentChanged();
    EXPECT_EQ(model(0).state(), NotchState::closed());
}

TEST_F(AppDelegateTest, TrayDragNotificationSetsTheSourcingFlag) {
    launch();
    const struct {
        QVariantMap userInfo;
        const char* line;
    } rows[] = {
        {{{notchNotifications::sourcingKey, true}}, "setSourcingDrag true"},
        {{{notchNotifications::sourcingKey, false}}, "setSourcingDrag false"},
        {{}, "setSourcingDrag false"},
        {{{notchNotifications::sourcingKey, QStringLiteral("yes")}}, "setSourcingDrag false"},
    };
    for (const auto& row : rows) {
        const qsizetype mark = log.size();
        NotificationCenter::defaultCenter().post(notchNotifications::veskTrayDragChanged, row.userInfo);
        EXPECT_EQ(since(mark), QStringList{QString::fromUtf8(row.line)});
    }
}

// Every ending, the display's loss too, writes what the desk's lists keep waiting here:
// the process may end right after, with no destructor run.
TEST_F(AppDelegateTest, TerminationStopsTheServicesAndTheDragMonitorsAndWritesWhatWaits) {
    launch();
    const qsizetype mark = log.size();
    delegate->applicationWillTerminate();
    EXPECT_EQ(since(mark), (QStringList{QStringLiteral("stop"), QStringLiteral("writeWaiting"),
                                        QStringLiteral("stopDragMonitors")}));
    scheduler.advance(0.25);
    EXPECT_TRUE(since(mark).contains(QStringLiteral("pollDragPasteboard"))) << "the heartbeat goes on";
}

TEST_F(AppDelegateTest, PushTokenIsCountedNotLogged) {
    launch();
    scheduler.runPending();
    delegate->didRegisterForRemoteNotifications(QByteArray(32, '\x7f'));
    EXPECT_TRUE(
        TraceLog::recentLogLines(1).first().endsWith(QStringLiteral("  push registered (32-byte token)")));
}

TEST_F(AppDelegateTest, CallbacksDoNothingOnceTheDelegateIsGone) {
    launch();
    const auto present = factory->present;
    delegate.reset();
    const qsizetype mark = log.size();
    present(makePayload(QStringLiteral("sound"), ActivityPriority::interrupt, 1));
    scheduler.advance(5);
    EXPECT_TRUE(since(mark).isEmpty());
}

TEST_F(AppDelegateTest, DeveloperHooksActOnTheActiveDisplay) {
    qputenv("VESK_OPEN", "tray");
    qputenv("VESK_DEMO", "battery");
    launch(2);
    factory->surface->active = 1;
    scheduler.advance(0.99);
    EXPECT_EQ(model(1).state(), NotchState::closed());
    scheduler.advance(0.01);
    // The demo pill arrives first, then the click opens the desk on the tray.
    EXPECT_EQ(model(1).state(), NotchState::open(DeskTab::tray));
    EXPECT_EQ(coordinator().current()->kind, ActivityKind::battery);
    EXPECT_EQ(coordinator().current()->duration, 600);
    EXPECT_EQ(model(0).state(), NotchState::closed());
}

} // namespace
} // namespace vesk
