#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/NotchSizing.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Sharing/Sharing.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Activity/PayloadFactory.h"
#include "support/Calendar/CalendarFixtures.h"
#include "support/Desk/DeskFixture.h"
#include "support/ManualScheduler.h"
#include "support/Notch/FakeNotchPanel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

ActivityPayload payload(ActivityKind kind, ActivityPriority priority) {
    return test::makePayload(toRaw(kind), priority, 2, kind);
}

class AvailableAirDrop final : public Sharing {
public:
    bool isAirDropAvailable() const override { return true; }
    QString airDropUnavailableReason() const override { return {}; }
    bool sendViaAirDrop(const QList<QUrl>& urls) override {
        sent = urls;
        return true;
    }
    QList<QUrl> sent;
};

class NotchViewModelTest : public ::testing::Test {
protected:
    void SetUp() override { model = makeModel(nullptr); }

    std::unique_ptr<NotchViewModel> makeModel(Sharing* sharing) {
        NotchViewModel::Environment environment;
        environment.sharing = sharing;
        environment.clock = &scheduler.clock();
        environment.outputDevices = [this] {
            ++deviceReads;
            return devices;
        };
        environment.openURL = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        environment.performHaptic = [this] { ++haptics; };
        environment.showInCalendar = [this](const CalendarItem& item) { shownEvents << item.eventId; };
        auto made = std::make_unique<NotchViewModel>(test::deskHousing(), settings, environment);
        made->setPanel(&panel);
        made->setOnEffect([this](const NotchEffect& effect) { effects << effect; });
        made->setOnGeometryChange([this] { ++geometryChanges; });
        made->recomputeLayout();
        return made;
    }

    QSizeF canvasOf(const NotchState& state) const {
        return NotchSizing::canvas(model->contentSize(state), model->geometry());
    }

    void openDesk() {
        model->send(NotchEvent::click());
        scheduler.advance(1);
        panel.calls.clear();
    }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler scopedScheduler{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    test::FakeNotchPanel panel;
    QList<AudioOutputDevice> devices{AudioOutputDevice{.id = 3, .name = u"Speakers"_qs}};
    int deviceReads = 0;
    int haptics = 0;
    int geometryChanges = 0;
    QList<QUrl> opened;
    QStringList shownEvents;
    QList<NotchEffect> effects;
    std::unique_ptr<NotchViewModel> model;
};

} // namespace

TEST_F(NotchViewModelTest, OpeningGrowsTheWindowAtOnceAndTakesFocus) {
    model->send(NotchEvent::click());

    const NotchState open = NotchState::open(DeskTab::desk);
    EXPECT_EQ(model->state(), open);
    EXPECT_EQ(model->motion(), Vesk::Motion::open);
    EXPECT_EQ(panel.currentCanvas(), canvasOf(open));
    EXPECT_EQ(panel.drawnCanvas(), canvasOf(open));
    EXPECT_EQ(panel.frame, NotchSizing::panelFrame(canvasOf(open), test::deskHousing()));
    EXPECT_EQ(panel.drawnBottomRadius(), 34);
    EXPECT_TRUE(panel.keyboardFocusRequested());
    EXPECT_EQ(panel.calls.count(u"focus"_qs), 1);
    EXPECT_GE(geometryChanges, 1);

    // The blur waits for the opening spring.
    scheduler.advance(0.41);
    EXPECT_FALSE(panel.backdropWantedByState());
    scheduler.advance(0.02);
    EXPECT_TRUE(panel.backdropWantedByState());
}

TEST_F(NotchViewModelTest, ClosingShrinksTheFrameOnlyAfterItsDelay) {
    openDesk();
    const QSizeF openCanvas = canvasOf(NotchState::open(DeskTab::desk));
    const QRectF openFrame = panel.frame;

    model->send(NotchEvent::escape());
    const QSizeF closedCanvas = canvasOf(NotchState::closed());
    EXPECT_EQ(closedCanvas, QSizeF(204, 38));
    EXPECT_EQ(model->state(), NotchState::closed());
    EXPECT_EQ(model->motion(), Vesk::Motion::close);
    EXPECT_EQ(panel.drawnCanvas(), closedCanvas);
    EXPECT_EQ(panel.currentCanvas(), openCanvas);
    EXPECT_EQ(panel.frame, openFrame);
    EXPECT_FALSE(panel.backdropWantedByState()) << "the blur goes at once";
    EXPECT_FALSE(panel.keyboardFocusRequested());
    EXPECT_EQ(panel.calls.count(u"resign"_qs), 1);
    EXPECT_EQ(panel.drawnBottomRadius(), 14);

    scheduler.advance(0.33);
    EXPECT_EQ(panel.currentCanvas(), openCanvas);
    EXPECT_EQ(panel.frame, openFrame);
    scheduler.advance(0.02);
    EXPECT_EQ(panel.currentCanvas(), closedCanvas);
    EXPECT_EQ(panel.frame, QRectF(654, 0, 204, 38));
}

TEST_F(NotchViewModelTest, AReopeningOrNewerTransitionVoidsThePendingShrinkAndBlur) {
    openDesk();
    const QSizeF openCanvas = canvasOf(NotchState::open(DeskTab::desk));
    const QRectF openFrame = panel.frame;
    model->send(NotchEvent::escape());
    scheduler.advance(0.2);
    model->send(NotchEvent::click());
    scheduler.advance(1);
    EXPECT_TRUE(model->state().isOpen());
    EXPECT_EQ(panel.currentCanvas(), openCanvas);
    EXPECT_EQ(panel.drawnCanvas(), openCanvas);
    EXPECT_EQ(panel.frame, openFrame);
    EXPECT_TRUE(panel.backdropWantedByState());

    model->send(NotchEvent::escape());
    scheduler.advance(0.2);
    const ActivityPayload sound = payload(ActivityKind::sound, ActivityPriority::interrupt);
    model->send(NotchEvent::activityArrived(sound));
    // The closing shrink was for `closed`: the activity's own one comes 0.34 s after it.
    scheduler.advance(0.15);
    EXPECT_EQ(panel.currentCanvas(), openCanvas);
    scheduler.advance(0.2);
    EXPECT_EQ(panel.currentCanvas(), canvasOf(NotchState::activity(sound)));

    // A blur scheduled for the opening desk never shows once the desk has closed again.
    model->send(NotchEvent::forceClose());
    model->send(NotchEvent::click());
    scheduler.advance(0.2);
    model->send(NotchEvent::escape());
    scheduler.advance(1);
    EXPECT_FALSE(panel.backdropWantedByState());
}

TEST_F(NotchViewModelTest, HoverHintOnTheClosedNotchAndTheAmbientPill) {
    model->send(NotchEvent::hoverBegan());
    EXPECT_TRUE(model->isHovering());
    EXPECT_EQ(model->state(), NotchState::closed());
    EXPECT_EQ(model->motion(), Vesk::Motion::hover);
    EXPECT_EQ(haptics, 1);
    EXPECT_EQ(panel.currentCanvas(), QSizeF(218, 44));
    EXPECT_EQ(panel.drawnCanvas(), QSizeF(218, 44));
    EXPECT_EQ(panel.frame, QRectF(647, 0, 218, 44));
    EXPECT_EQ(geometryChanges, 1);

    model->send(NotchEvent::hoverBegan());
    EXPECT_EQ(haptics, 1) << "no change, no second tap";

    model->send(NotchEvent::hoverEnded());
    EXPECT_FALSE(model->isHovering());
    EXPECT_EQ(panel.currentCanvas(), QSizeF(204, 38));
    EXPECT_EQ(haptics, 1);

    // Over the ambient now-playing pill the hint shows too.
    model->send(NotchEvent::activityArrived(payload(ActivityKind::nowPlaying, ActivityPriority::ambient)));
    EXPECT_TRUE(model->isAmbientMedia());
    model->send(NotchEvent::hoverBegan());
    EXPECT_TRUE(model->isHovering());
}

TEST_F(NotchViewModelTest, HoverOverAnInterruptingActivityGivesNoHint) {
    model->send(NotchEvent::activityArrived(payload(ActivityKind::sound, ActivityPriority::interrupt)));
    model->send(NotchEvent::hoverBegan());
    EXPECT_FALSE(model->isHovering());
    EXPECT_EQ(model->state().kind(), NotchState::Kind::activityExpanded);

    settings.setHapticFeedback(false);
    model->send(NotchEvent::activityTimedOut());
    model->send(NotchEvent::hoverBegan());
    EXPECT_TRUE(model->isHovering());
    EXPECT_EQ(haptics, 0);
    model->send(NotchEvent::activityArrived(payload(ActivityKind::sound, ActivityPriority::interrupt)));
    model->send(NotchEvent::hoverEnded());
    EXPECT_FALSE(model->isHovering()) << "leaving always clears the hint";
}

TEST_F(NotchViewModelTest, ScrollingFollowsTheGestureSettings) {
    settings.setGesturesWhileHovering(false);
    model->send(NotchEvent::activityArrived(payload(ActivityKind::sound, ActivityPriority::interrupt)));
    model->handleScroll(0, -30, SwipePhase::began); // a swipe up would dismiss the activity
    model->handleScroll(-30, 0, SwipePhase::began);
    EXPECT_EQ(model->state().kind(), NotchState::Kind::activity);
    EXPECT_TRUE(effects.isEmpty());

    settings.setGesturesWhileHovering(true);
    model->handleScroll(0, -30, SwipePhase::began);
    EXPECT_EQ(model->state(), NotchState::closed());
    EXPECT_EQ(effects, QList<NotchEffect>{NotchEffect::dismissActivity()});

    // Downward travel opens; with natural movement the same travel reads as up.
    scheduler.advance(1);
    model->handleScroll(0, 30, SwipePhase::began);
    EXPECT_TRUE(model->state().isOpen());
    model->send(NotchEvent::escape());
    settings.setNaturalMovement(true);
    scheduler.advance(1);
    model->handleScroll(0, 30, SwipePhase::began);
    EXPECT_EQ(model->state(), NotchState::hidden());

    // Sideways travel skips media, inverted on request.
    effects.clear();
    model->send(NotchEvent::toggleHidden());
    scheduler.advance(1);
    model->handleScroll(-30, 0, SwipePhase::began);
    scheduler.advance(1);
    settings.setInvertMediaGestures(true);
    model->handleScroll(-30, 0, SwipePhase::began);
    EXPECT_EQ(effects, (QList<NotchEffect>{NotchEffect::mediaNext(), NotchEffect::mediaPrevious()}));
}

TEST_F(NotchViewModelTest, LaneUnderThePointer) {
    model->setDragLanes({DropLane::shelf(), DropLane::airDrop(), DropLane::pipeline(PipelineID::zip)});
    const std::tuple<double, double, std::optional<int>> points[] = {{50, 300, 0},
                                                                     {150, 300, 1},
                                                                     {250, 300, 2},
                                                                     {300, 300, std::nullopt},
                                                                     {-150, 300, std::nullopt},
                                                                     {50, 0, std::nullopt},
                                                                     {50, -10, std::nullopt}};
    for (const auto& [x, width, lane] : points)
        EXPECT_EQ(model->lane(x, width), lane) << x << " of " << width;
    model->setDragLanes({DropLane::shelf()});
    EXPECT_EQ(model->lane(50, 300), std::nullopt) << "one lane needs no choosing";
}

TEST_F(NotchViewModelTest, DragLanesOfferAirDropOnlyWhereItWorks) {
    const QList<QUrl> files{QUrl::fromLocalFile(u"/tmp/a.png"_qs)};
    model->setHoveredLane(1);
    model->beginDrag(files);
    EXPECT_EQ(model->dragURLs(), files);
    EXPECT_EQ(model->hoveredLane(), std::nullopt);
    EXPECT_EQ(model->dragLanes(), QList<DropLane>{DropLane::shelf()});

    AvailableAirDrop airDrop;
    auto withAirDrop = makeModel(&airDrop);
    withAirDrop->beginDrag(files);
    EXPECT_EQ(withAirDrop->dragLanes(), (QList<DropLane>{DropLane::shelf(), DropLane::airDrop()}));
    EXPECT_EQ(withAirDrop->lane(149, 300), 0);
    EXPECT_EQ(withAirDrop->lane(150, 300), 1);

    settings.setPipelinesEnabled(false);
    withAirDrop->beginDrag(files);
    EXPECT_EQ(withAirDrop->dragLanes(), (QList<DropLane>{DropLane::shelf(), DropLane::airDrop()}));

    withAirDrop->beginDrag({});
    EXPECT_TRUE(withAirDrop->dragLanes().isEmpty());
    EXPECT_TRUE(withAirDrop->dragURLs().isEmpty());
}

TEST_F(NotchViewModelTest, EffectsGoToTheShellInOrderExceptFocusAndHaptics) {
    model->send(NotchEvent::click());      // openDesk, haptic
    model->send(NotchEvent::swipeLeft());  // mediaNext
    model->send(NotchEvent::escape());     // focus off, haptic
    model->send(NotchEvent::swipeRight()); // mediaPrevious
    model->send(NotchEvent::activityArrived(payload(ActivityKind::battery, ActivityPriority::queued)));
    model->send(NotchEvent::swipeLeft()); // cycleActivity forward
    model->send(NotchEvent::swipeUp());   // dismissActivity
    EXPECT_EQ(effects, (QList<NotchEffect>{NotchEffect::openDesk(DeskTab::desk), NotchEffect::mediaNext(),
                                           NotchEffect::mediaPrevious(), NotchEffect::cycleActivity(true),
                                           NotchEffect::dismissActivity()}));
    EXPECT_EQ(haptics, 2);

    settings.setHapticFeedback(false);
    model->send(NotchEvent::click());
    EXPECT_EQ(haptics, 2);
}

TEST_F(NotchViewModelTest, AnEventThatKeepsTheStateOnlyPerformsItsEffects) {
    panel.setKeyboardFocusRequested(true);
    model->send(NotchEvent::forceClose()); // closed stays closed, focus is released
    EXPECT_EQ(panel.calls, QStringList{u"resign"_qs});
    EXPECT_FALSE(panel.keyboardFocusRequested());

    panel.calls.clear();
    model->send(NotchEvent::swipeLeft());
    EXPECT_TRUE(panel.calls.isEmpty()) << "no resize, focus, radius or backdrop work";
    EXPECT_EQ(geometryChanges, 0);
    EXPECT_EQ(effects, QList<NotchEffect>{NotchEffect::mediaNext()});
}

TEST_F(NotchViewModelTest, DeskDataReloadsEachTimeTheDeskOpens) {
    QTemporaryDir folder;
    const auto container = ModelContainer::open(folder.filePath(u"Vesk.store"_qs));
    DeskRepository repository(std::make_shared<ModelContext>(container), u"Mac"_qs);
    QSignalSpy services(model.get(), &NotchViewModel::deskServicesChanged);
    model->setRepository(&repository);
    model->setRepository(&repository);
    EXPECT_EQ(services.count(), 1);
    // Written by another writer without telling the repository.
    ModelContext elsewhere(container);
    elsewhere.insert(std::make_shared<SyncedTodo>());
    ASSERT_TRUE(elsewhere.save());

    QSignalSpy devicesChanged(model.get(), &NotchViewModel::audioDevicesChanged);
    model->send(NotchEvent::click());
    EXPECT_EQ(deviceReads, 1);
    EXPECT_EQ(repository.todos().size(), 1);
    model->send(NotchEvent::selectTab(DeskTab::tray));
    EXPECT_EQ(model->state(), NotchState::open(DeskTab::tray));
    EXPECT_EQ(deviceReads, 1) << "a tab change is not an opening";
    model->send(NotchEvent::escape());
    model->send(NotchEvent::click());
    EXPECT_EQ(deviceReads, 2);
    EXPECT_EQ(model->audioDevices(), devices);
    EXPECT_EQ(devicesChanged.count(), 1) << "the same list read twice notifies once";
}

TEST_F(NotchViewModelTest, BlurSwitchFollowsTheSetting) {
    settings.setProgressiveBlur(false);
    model->send(NotchEvent::click());
    EXPECT_FALSE(panel.backdropEnabled());
    EXPECT_TRUE(panel.calls.contains(u"hide"_qs));

    settings.setProgressiveBlur(true);
    panel.calls.clear();
    model->send(NotchEvent::escape());
    EXPECT_TRUE(panel.backdropEnabled());
    EXPECT_FALSE(panel.calls.contains(u"hide"_qs));
}

TEST_F(NotchViewModelTest, AGonePanelOrModelIsLeftAlone) {
    model->send(NotchEvent::click());
    model->send(NotchEvent::escape());
    panel.calls.clear();
    panel.destroy();
    scheduler.advance(1);
    EXPECT_TRUE(panel.calls.isEmpty());
    EXPECT_EQ(model->panel(), nullptr);
    model->send(NotchEvent::click());
    EXPECT_TRUE(model->state().isOpen());
    EXPECT_TRUE(panel.calls.isEmpty());
    EXPECT_EQ(deviceReads, 2);

    // A model gone before its delayed work.
    test::FakeNotchPanel other;
    auto second = makeModel(nullptr);
    second->setPanel(&other);
    second->send(NotchEvent::click());
    second->send(NotchEvent::escape());
    second.reset();
    other.calls.clear();
    scheduler.advance(1);
    EXPECT_TRUE(other.calls.isEmpty());
}

TEST_F(NotchViewModelTest, RecomputedLayoutResizesOnlyAnOpenDesk) {
    QSignalSpy layoutChanged(model.get(), &NotchViewModel::layoutChanged);
    model->recomputeLayout();
    EXPECT_EQ(layoutChanged.count(), 0) << "the same layout notifies nobody";

    settings.setWidget(WidgetID::mirror, false);
    panel.calls.clear();
    model->recomputeLayout();
    EXPECT_EQ(layoutChanged.count(), 1);
    EXPECT_TRUE(panel.calls.isEmpty()) << "a closed notch keeps its window";

    openDesk();
    const int before = geometryChanges;
    settings.setWidget(WidgetID::mirror, true);
    model->recomputeLayout();
    EXPECT_EQ(panel.currentCanvas(), canvasOf(NotchState::open(DeskTab::desk)));
    EXPECT_EQ(panel.drawnCanvas(), panel.currentCanvas());
    EXPECT_TRUE(panel.calls.contains(u"frame"_qs));
    EXPECT_EQ(geometryChanges, before + 1);
}

TEST_F(NotchViewModelTest, CalendarEventsOpenTheirMeetingOrTheCalendar) {
    CalendarEvent event{.id = u"e1"_qs,
                        .title = u"Standup"_qs,
                        .start = Date{800000000.9},
                        .end = Date{800001800},
                        .isAllDay = false,
                        .location = std::nullopt,
                        .calendarColor = std::nullopt,
                        .calendarID = u"work"_qs,
                        .meetingURL = QUrl(u"https://meet.example.com/abc"_qs)};
    model->openCalendarEvent(event);
    settings.setDetectMeetingLinks(false);
    model->openCalendarEvent(event);
    settings.setDetectMeetingLinks(true);
    event.meetingURL = QUrl::fromLocalFile(u"/home/user/run.sh"_qs);
    model->openCalendarEvent(event);
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(u"https://meet.example.com/abc"_qs)}));
    EXPECT_EQ(shownEvents, (QStringList{u"e1"_qs, u"e1"_qs}));
}

TEST_F(NotchViewModelTest, WithoutTheirServicesTimersAndCalendarAccessDoNothingHarmful) {
    model->setTimers({VeskTimer{.id = QUuid::createUuid(),
                                .label = {},
                                .total = 60,
                                .startedAt = std::nullopt,
                                .pausedRemaining = std::nullopt}});
    model->addTimer(300);
    EXPECT_TRUE(model->timers().isEmpty());
    model->requestCalendarAccess();
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(NotchViewModelTest, CalendarAccessIsAskedWhileUndecidedThenTheSettingsPaneOpens) {
    test::CalendarHarness calendar(scheduler);
    const std::unique_ptr<CalendarService> service = calendar.make();
    ActivationHolds activation;
    int panes = 0;
    QSignalSpy servicesChanged(model.get(), &NotchViewModel::deskServicesChanged);
    model->setCalendarService(service.get());
    model->setCalendarAccessHandlers([&] { ++panes; }, [&] { return activation.holdRegular(); });
    EXPECT_EQ(servicesChanged.count(), 1);

    model->requestCalendarAccess();
    EXPECT_TRUE(activation.isRegular()) << "regular while access is asked";
    scheduler.runPending();
    EXPECT_EQ(service->access(), CalendarAccess::granted);
    EXPECT_FALSE(activation.isRegular());
    EXPECT_EQ(panes, 0);

    model->requestCalendarAccess();
    EXPECT_EQ(panes, 1);
}

TEST_F(NotchViewModelTest, ObservableFieldsNotifyOnlyOnChange) {
    QSignalSpy lane(model.get(), &NotchViewModel::hoveredLaneChanged);
    QSignalSpy nowPlaying(model.get(), &NotchViewModel::nowPlayingChanged);
    QSignalSpy geometry(model.get(), &NotchViewModel::geometryChanged);
    model->setHoveredLane(1);
    model->setHoveredLane(1);
    model->setHoveredLane(std::nullopt);
    EXPECT_EQ(lane.count(), 2);

    NowPlayingState playing;
    playing.title = u"Song"_qs;
    model->setNowPlaying(playing);
    model->setNowPlaying(playing);
    EXPECT_EQ(nowPlaying.count(), 1);
    EXPECT_EQ(model->nowPlaying(), playing);

    model->setGeometry(test::deskHousing());
    EXPECT_EQ(geometry.count(), 0);
    NotchGeometry moved = test::deskHousing();
    moved.notchOrigin = QPointF(700, 0);
    model->setGeometry(moved);
    EXPECT_EQ(geometry.count(), 1);
}

TEST_F(NotchViewModelTest, TrayItemsWhoseSourcesWereMovedAwayLeaveTheTray) {
    QTemporaryDir sources;
    const QString a = sources.filePath(u"a.txt"_qs);
    const QString b = sources.filePath(u"b.txt"_qs);
    for (const QString& path : {a, b}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    TrayStore store(u"Vesk"_qs, TrayStoreOptions{.maxItems = {},
                                                 .clock = &scheduler.clock(),
                                                 .queueScheduler = &scheduler,
                                                 .thumbnails = {},
                                                 .pictures = {}});
    // Other tests in this process may have left items in the shared tray.
    store.removeAll();
    scheduler.advance(1);
    store.add({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}, false);
    scheduler.advance(1);
    ASSERT_EQ(store.items().size(), 2);

    model->removeTrayItems({QUrl::fromLocalFile(a)});
    EXPECT_TRUE(model->trayItems().isEmpty()) << "nothing happens without a tray";

    model->setTrayStore(&store);
    model->removeTrayItems({});
    EXPECT_EQ(store.items().size(), 2);
    model->removeTrayItems({QUrl::fromLocalFile(a), QUrl::fromLocalFile(u"/elsewhere/c.txt"_qs)});
    scheduler.advance(1);
    ASSERT_EQ(store.items().size(), 1);
    EXPECT_EQ(store.items().first().originalPath, b);
    EXPECT_EQ(model->trayItems(), store.items());
}
