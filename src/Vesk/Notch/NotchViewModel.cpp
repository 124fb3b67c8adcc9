#include "Vesk/Notch/NotchViewModel.h"

#include "Vesk/Notch/NotchPanelInterface.h"
#include "Vesk/Notch/NotchSizing.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Sharing/Sharing.h"
#include "VeskPlatform/Workspace/UrlOpener.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/NowPlaying/MediaCommand.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/Timers/TimerStore.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskSync/DeskRepository.h"
#include "VeskUI/Motion/MotionSpec.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QDir>
#include <QPointer>
#include <QSet>

#include <cmath>

namespace vesk {

namespace {

// How long the open and close springs take to answer: the window shrinks, and the
// blur shows, only once the shape has moved.
constexpr double openDelay = 0.42;
constexpr double closeDelay = 0.34;

template <typename T> bool assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

bool wantsBackdrop(const NotchState& state) {
    switch (state.kind()) {
    case NotchState::Kind::activityExpanded:
    case NotchState::Kind::open:
    case NotchState::Kind::dropTarget:
        return true;
    default:
        return false;
    }
}

} // namespace

struct NotchViewModel::Fields {
    Fields(const NotchGeometry& geometry, SettingsStore& settings, Environment environment)
        : geometry(geometry), settings(settings), machine(NotchState::closed(), settings.notchGuards()),
          environment(std::move(environment)) {}

    NotchState state;
    bool isHovering = false;
    NotchGeometry geometry;
    SettingsStore& settings;
    NowPlayingState nowPlaying;
    QList<TrayItem> trayItems;
    QPointer<TrayStore> trayStore;
    TimerStore* timerStore = nullptr;
    QPointer<ClipboardService> clipboardService;
    ShortcutsService* shortcutsService = nullptr;
    QuickAppsService* quickAppsService = nullptr;
    QPointer<DeskRepository> repository;
    QPointer<PipelineRunner> pipelineRunner;
    QPointer<WeatherProvider> weatherProvider;
    std::function<void(const MediaCommand&)> onMediaCommand;
    QList<Clip> clips;
    QList<AudioOutputDevice> audioDevices;
    QList<QuickApp> quickApps;
    QList<QUrl> dragURLs;
    QList<DropLane> dragLanes;
    std::optional<int> hoveredLane;
    QList<VeskTimer> timers;
    DeskLayout layout;
    NotchStateMachine machine;
    NotchPanelInterface* panel = nullptr;
    QPointer<QObject> panelLifetime;
    std::function<void(const NotchEffect&)> onEffect;
    std::function<void()> onGeometryChange;
    ScrollGestureRecognizer scroll;
    MotionSpec motion = Vesk::Motion::close;
    Environment environment;
    SystemClock systemClock;
    QPointer<CalendarService> calendarService;
    std::function<void()> openCalendarSettings;
    std::function<ActivationHolds::Hold()> holdRegular;

    NotchPanelInterface* livePanel() const { return panelLifetime ? panel : nullptr; }
    Sharing& sharing() const { return environment.sharing ? *environment.sharing : Sharing::system(); }
    const ClockSource& clock() const { return environment.clock ? *environment.clock : systemClock; }
};

NotchViewModel::NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings, QObject* parent)
    : NotchViewModel(geometry, settings, Environment{}, parent) {}

NotchViewModel::NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings,
                               Environment environment, QObject* parent)
    : QObject(parent), d(std::make_unique<Fields>(geometry, settings, std::move(environment))) {}

NotchViewModel::~NotchViewModel() = default;

// ---- Observable fields

const NotchState& NotchViewModel::state() const {
    return d->state;
}

bool NotchViewModel::isHovering() const {
    return d->isHovering;
}

bool NotchViewModel::isAmbientMedia() const {
    if (d->state.kind() != NotchState::Kind::activity) return false;
    const std::optional<ActivityPayload> payload = d->state.payload();
    return payload && payload->kind == ActivityKind::nowPlaying &&
           payload->priority == ActivityPriority::ambient;
}

const NotchGeometry& NotchViewModel::geometry() const {
    return d->geometry;
}

void NotchViewModel::setGeometry(const NotchGeometry& geometry) {
    if (assign(d->geometry, geometry)) Q_EMIT geometryChanged();
}

const NowPlayingState& NotchViewModel::nowPlaying() const {
    return d->nowPlaying;
}

void NotchViewModel::setNowPlaying(const NowPlayingState& nowPlaying) {
    if (assign(d->nowPlaying, nowPlaying)) Q_EMIT nowPlayingChanged();
}

const QList<TrayItem>& NotchViewModel::trayItems() const {
    return d->trayItems;
}

void NotchViewModel::setTrayItems(const QList<TrayItem>& items) {
    if (assign(d->trayItems, items)) Q_EMIT trayItemsChanged();
}

const QList<Clip>& NotchViewModel::clips() const {
    return d->clips;
}

void NotchViewModel::setClips(const QList<Clip>& clips) {
    if (assign(d->clips, clips)) Q_EMIT clipsChanged();
}

const QList<AudioOutputDevice>& NotchViewModel::audioDevices() const {
    return d->audioDevices;
}

void NotchViewModel::setAudioDevices(const QList<AudioOutputDevice>& devices) {
    if (assign(d->audioDevices, devices)) Q_EMIT audioDevicesChanged();
}

const QList<QuickApp>& NotchViewModel::quickApps() const {
    return d->quickApps;
}

void NotchViewModel::setQuickApps(const QList<QuickApp>& apps) {
    if (assign(d->quickApps, apps)) Q_EMIT quickAppsChanged();
}

const QList<QUrl>& NotchViewModel::dragURLs() const {
    return d->dragURLs;
}

void NotchViewModel::setDragURLs(const QList<QUrl>& urls) {
    if (assign(d->dragURLs, urls)) Q_EMIT dragURLsChanged();
}

const QList<DropLane>& NotchViewModel::dragLanes() const {
    return d->dragLanes;
}

void NotchViewModel::setDragLanes(const QList<DropLane>& lanes) {
    if (assign(d->dragLanes, lanes)) Q_EMIT dragLanesChanged();
}

std::optional<int> NotchViewModel::hoveredLane() const {
    return d->hoveredLane;
}

void NotchViewModel::setHoveredLane(std::optional<int> lane) {
    if (assign(d->hoveredLane, lane)) Q_EMIT hoveredLaneChanged();
}

const QList<VeskTimer>& NotchViewModel::timers() const {
    return d->timers;
}

void NotchViewModel::setTimers(const QList<VeskTimer>& timers) {
    if (assign(d->timers, timers)) Q_EMIT timersChanged();
}

const DeskLayout& NotchViewModel::layout() const {
    return d->layout;
}

void NotchViewModel::setLayout(const DeskLayout& layout) {
    if (assign(d->layout, layout)) Q_EMIT layoutChanged();
}

const MotionSpec& NotchViewModel::motion() const {
    return d->motion;
}

// ---- Owned parts and wiring

SettingsStore& NotchViewModel::settings() const {
    return d->settings;
}

const NotchStateMachine& NotchViewModel::machine() const {
    return d->machine;
}

ScrollGestureRecognizer& NotchViewModel::scroll() {
    return d->scroll;
}

TrayStore* NotchViewModel::trayStore() const {
    return d->trayStore;
}

PipelineRunner* NotchViewModel::pipelineRunner() const {
    return d->pipelineRunner;
}

void NotchViewModel::setPipelineRunner(PipelineRunner* runner) {
    if (d->pipelineRunner == runner) return;
    d->pipelineRunner = runner;
    Q_EMIT deskServicesChanged();
}

void NotchViewModel::setTrayStore(TrayStore* store) {
    if (d->trayStore == store) return;
    d->trayStore = store;
    Q_EMIT deskServicesChanged();
}

ShortcutsService* NotchViewModel::shortcutsService() const {
    return d->shortcutsService;
}

void NotchViewModel::setShortcutsService(ShortcutsService* service) {
    if (std::exchange(d->shortcutsService, service) != service) Q_EMIT deskServicesChanged();
}

QuickAppsService* NotchViewModel::quickAppsService() const {
    return d->quickAppsService;
}

void NotchViewModel::setQuickAppsService(QuickAppsService* service) {
    if (std::exchange(d->quickAppsService, service) != service) Q_EMIT deskServicesChanged();
}

DeskRepository* NotchViewModel::repository() const {
    return d->repository;
}

void NotchViewModel::setRepository(DeskRepository* repository) {
    if (d->repository == repository) return;
    d->repository = repository;
    Q_EMIT deskServicesChanged();
}

TimerStore* NotchViewModel::timerStore() const {
    return d->timerStore;
}

void NotchViewModel::setTimerStore(TimerStore* store) {
    if (d->timerStore == store) return;
    d->timerStore = store;
    Q_EMIT deskServicesChanged();
}

ClipboardService* NotchViewModel::clipboardService() const {
    return d->clipboardService;
}

void NotchViewModel::setClipboardService(ClipboardService* service) {
    if (d->clipboardService == service) return;
    d->clipboardService = service;
    Q_EMIT deskServicesChanged();
}

CalendarService* NotchViewModel::calendarService() const {
    return d->calendarService;
}

void NotchViewModel::setCalendarService(CalendarService* service) {
    if (d->calendarService == service) return;
    d->calendarService = service;
    Q_EMIT deskServicesChanged();
}

void NotchViewModel::setCalendarAccessHandlers(std::function<void()> openSettings,
                                               std::function<ActivationHolds::Hold()> holdRegular) {
    d->openCalendarSettings = std::move(openSettings);
    d->holdRegular = std::move(holdRegular);
}

WeatherProvider* NotchViewModel::weatherProvider() const {
    return d->weatherProvider;
}

void NotchViewModel::setWeatherProvider(WeatherProvider* provider) {
    if (d->weatherProvider == provider) return;
    d->weatherProvider = provider;
    Q_EMIT deskServicesChanged();
}

NotchPanelInterface* NotchViewModel::panel() const {
    return d->livePanel();
}

void NotchViewModel::setPanel(NotchPanelInterface* panel) {
    d->panel = panel;
    d->panelLifetime = panel ? panel->lifetimeObject() : nullptr;
}

void NotchViewModel::setOnEffect(std::function<void(const NotchEffect&)> handler) {
    d->onEffect = std::move(handler);
}

void NotchViewModel::setOnMediaCommand(std::function<void(const MediaCommand&)> handler) {
    d->onMediaCommand = std::move(handler);
}

const std::function<void(const MediaCommand&)>& NotchViewModel::onMediaCommand() const {
    return d->onMediaCommand;
}

void NotchViewModel::setOnGeometryChange(std::function<void()> handler) {
    d->onGeometryChange = std::move(handler);
}

// ---- Events

void NotchViewModel::send(const NotchEvent& event) {
    // Settings are read afresh for every event, so a change applies at once.
    d->machine.setGuards(d->settings.notchGuards());
    updateHoverHint(event);

    const NotchState old = d->state;
    const NotchEffects effects = d->machine.apply(event);
    const NotchState next = d->machine.state();

    if (next != old) {
        d->motion = Vesk::Motion::forStateChange(next);
        d->state = next;
        Q_EMIT stateChanged();
        geometryMayHaveChanged();
        resizeWindow(next);

        if (NotchPanelInterface* panel = d->livePanel()) {
            setKeyboardFocus(*panel, next.isOpen());

            const double radius =
                next.isOpen() ? NotchSizing::openBottomRadius : NotchSizing::closedBottomRadius;
            if (panel->drawnBottomRadius() != radius) {
                panel->setDrawnBottomRadius(radius);
                panel->syncBackdrop();
            }

            const bool blur = d->settings.progressiveBlur();
            if (panel->backdropEnabled() != blur) {
                panel->setBackdropEnabled(blur);
                if (blur)
                    panel->syncBackdrop();
                else
                    panel->hideBackdrop();
            }
        }

        if (next.isOpen() && !old.isOpen()) {
            if (d->repository) d->repository->reloadFromStore();
            // The desk lists the output devices as they are now.
            refreshAudioDevices();
        }
    }

    for (const NotchEffect& effect : effects)
        performEffect(effect);
}

void NotchViewModel::refreshAudioDevices() {
    setAudioDevices(d->environment.outputDevices ? d->environment.outputDevices()
                                                 : AudioService::outputDevices());
}

void NotchViewModel::updateHoverHint(const NotchEvent& event) {
    bool hovering = d->isHovering;
    switch (event.kind()) {
    case NotchEvent::Kind::hoverEnded:
        hovering = false;
        break;
    case NotchEvent::Kind::hoverBegan:
        if (d->state.kind() == NotchState::Kind::closed || isAmbientMedia()) hovering = true;
        break;
    default:
        return;
    }
    if (hovering == d->isHovering) return;

    if (hovering && d->settings.hapticFeedback()) playHaptic();
    d->motion = Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover);
    d->isHovering = hovering;
    Q_EMIT isHoveringChanged();
    if (NotchPanelInterface* panel = d->livePanel()) applyCanvasAtOnce(*panel, currentCanvasSize());
    geometryMayHaveChanged();
}

void NotchViewModel::resizeWindow(const NotchState& target) {
    NotchPanelInterface* panel = d->livePanel();
    if (!panel) return;

    const QSizeF canvas = NotchSizing::canvas(contentSize(target), d->geometry);
    const QSizeF current = panel->currentCanvas();
    const bool grows = canvas.height() > current.height() || canvas.width() > current.width();
    const double delay = target.isOpen() ? openDelay : closeDelay;

    // Delayed work acts only while the model still drives the same live panel and the
    // state is still the one it was scheduled for: a newer transition voids it.
    const QPointer<NotchViewModel> self(this);
    const QPointer<QObject> lifetime = d->panelLifetime;
    const auto stillCurrent = [self, lifetime, panel, target] {
        return self && lifetime && self->d->panel == panel && self->d->state == target;
    };

    const bool wanted = wantsBackdrop(target);
    if (wanted && !panel->backdropWantedByState()) {
        // The blur shows only once the opening animation is done, and goes at once.
        onMainAfter(delay, [stillCurrent, panel] {
            if (stillCurrent()) panel->setBackdropWantedByState(true);
        });
    } else {
        panel->setBackdropWantedByState(wanted);
    }

    if (grows) {
        // The window grows before the shape does, so the animation is never clipped...
        applyCanvasAtOnce(*panel, canvas);
    } else {
        // ...and shrinks only after it, so the closing shape is drawn whole.
        panel->setDrawnCanvas(canvas);
        panel->syncBackdrop();
        onMainAfter(delay, [self, stillCurrent, panel] {
            if (stillCurrent()) self->applyCanvasAtOnce(*panel, self->currentCanvasSize());
        });
    }
}

void NotchViewModel::applyCanvasAtOnce(NotchPanelInterface& panel, const QSizeF& canvas) {
    panel.setCurrentCanvas(canvas);
    panel.setDrawnCanvas(canvas);
    panel.setFrame(NotchSizing::panelFrame(canvas, d->geometry));
    panel.syncBackdrop();
}

void NotchViewModel::performEffect(const NotchEffect& effect) {
    switch (effect.kind()) {
    case NotchEffect::Kind::requestKeyboardFocus:
        if (NotchPanelInterface* panel = d->livePanel()) setKeyboardFocus(*panel, effect.focus());
        break;
    case NotchEffect::Kind::haptic:
        if (d->settings.hapticFeedback()) playHaptic();
        break;
    default:
        if (d->onEffect) d->onEffect(effect);
        break;
    }
}

void NotchViewModel::setKeyboardFocus(NotchPanelInterface& panel, bool requested) {
    if (panel.keyboardFocusRequested() == requested) return;
    panel.setKeyboardFocusRequested(requested);
    if (requested)
        panel.takeKeyboardFocus();
    else
        panel.resignKeyboardFocus();
}

void NotchViewModel::playHaptic() {
    if (d->environment.performHaptic) d->environment.performHaptic();
}

void NotchViewModel::geometryMayHaveChanged() {
    if (d->onGeometryChange) d->onGeometryChange();
}

void NotchViewModel::handleScroll(double dx, double dy, SwipePhase phase) {
    if (!d->settings.gesturesWhileHovering()) return;
    d->scroll.naturalVertical = d->settings.naturalMovement();
    d->scroll.invertHorizontal = d->settings.invertMediaGestures();
    const std::optional<ScrollIntent> intent = d->scroll.consume(dx, dy, phase, d->clock().now());
    if (!intent) return;
    switch (*intent) {
    case ScrollIntent::up:
        send(NotchEvent::swipeUp());
        break;
    case ScrollIntent::down:
        send(NotchEvent::swipeDown());
        break;
    case ScrollIntent::left:
        send(NotchEvent::swipeLeft());
        break;
    case ScrollIntent::right:
        send(NotchEvent::swipeRight());
        break;
    }
}

void NotchViewModel::beginDrag(const QList<QUrl>& urls) {
    setDragURLs(urls);
    setHoveredLane(std::nullopt);
    if (urls.isEmpty()) {
        setDragLanes({});
        return;
    }
    QList<DropLane> lanes{DropLane::shelf()};
    // A lane that takes the files and sends them nowhere would lose the drop.
    if (d->sharing().isAirDropAvailable()) lanes.append(DropLane::airDrop());
    if (d->settings.pipelinesEnabled() && d->pipelineRunner)
        for (const PipelinePtr& pipeline : d->pipelineRunner->lanes(urls, d->settings.pipelineOrder()))
            lanes.append(DropLane::pipeline(pipeline->id()));
    setDragLanes(lanes);
}

std::optional<int> NotchViewModel::lane(double x, double width) const {
    const qsizetype count = d->dragLanes.size();
    if (count < 2 || !(width > 0)) return std::nullopt;
    const double index = std::trunc(x / (width / double(count)));
    if (!(index >= 0 && index < double(count))) return std::nullopt;
    return int(index);
}

void NotchViewModel::addTimer(double seconds) {
    if (!d->timerStore) {
        setTimers({});
        return;
    }
    d->timerStore->add(seconds, QString(), true);
    setTimers(d->timerStore->timers());
}

void NotchViewModel::openCalendarEvent(const CalendarEvent& event) {
    const auto open = [this](const QUrl& url) {
        const bool opened = d->environment.openURL ? d->environment.openURL(url) : urlOpener::open(url);
        if (!opened) TraceLog::trace(QStringLiteral("could not open ") + url.toString());
    };

    // A meeting link comes from whoever sent the invitation: a local file is never
    // opened through it.
    if (d->settings.detectMeetingLinks() && event.meetingURL && !event.meetingURL->isLocalFile() &&
        !event.meetingURL->scheme().isEmpty()) {
        open(*event.meetingURL);
        return;
    }

    // The desktop has no address for an event: the calendar application is asked to show it.
    std::optional<CalendarItem> item = d->calendarService ? d->calendarService->item(event.id) : std::nullopt;
    if (!item) item = CalendarItem{event.id, event.calendarID, {}, {}};
    if (d->environment.showInCalendar)
        d->environment.showInCalendar(*item);
    else
        CalendarApp::open(*item);
}

void NotchViewModel::removeTrayItems(const QList<QUrl>& storedSources) {
    if (storedSources.isEmpty() || !d->trayStore) return;
    QSet<QString> paths;
    for (const QUrl& url : storedSources)
        paths.insert(QDir::cleanPath(url.isLocalFile() ? url.toLocalFile() : url.path()));
    d->trayStore->removeCopiesOf(paths);
    setTrayItems(d->trayStore->items());
}

void NotchViewModel::requestCalendarAccess() {
    CalendarService* service = d->calendarService;
    if (!service) return;
    if (service->access() != CalendarAccess::notDetermined) {
        if (d->openCalendarSettings) d->openCalendarSettings();
        return;
    }
    // Regular while access is asked, accessory again once the answer is in.
    auto hold =
        std::make_shared<ActivationHolds::Hold>(d->holdRegular ? d->holdRegular() : ActivationHolds::Hold());
    const QPointer<CalendarService> weak(service);
    service->start([weak, hold] {
        if (weak)
            TraceLog::trace(QStringLiteral("calendar access after request: ") + toRaw(weak->access()) +
                            QStringLiteral(" error=") +
                            weak->requestError().value_or(QStringLiteral("none")));
        hold->release();
    });
}

// ---- Sizing

QSizeF NotchViewModel::contentSize(const NotchState& state) const {
    const NotchSizing::Context context{.geometry = d->geometry,
                                       .isHovering = d->isHovering,
                                       .layout = d->layout,
                                       .deskHeight = deskHeight(),
                                       .contentPadding = d->settings.contentPadding()};
    return NotchSizing::contentSize(state, context);
}

double NotchViewModel::deskHeight() const {
    return NotchSizing::deskHeight(d->state, d->layout);
}

QSizeF NotchViewModel::currentCanvasSize() const {
    return NotchSizing::canvas(contentSize(d->state), d->geometry);
}

QRectF NotchViewModel::interactiveRect(const QSizeF& canvas) const {
    return NotchSizing::interactiveRect(d->state, contentSize(d->state), canvas);
}

void NotchViewModel::recomputeLayout() {
    setLayout(NotchSizing::deskLayoutEngine().layout(d->settings.widgetOrder(), d->settings.enabledWidgets(),
                                                     d->settings.widgetCells(),
                                                     NotchSizing::availableDeskWidth(d->geometry)));
    if (!d->state.isOpen()) return;
    if (NotchPanelInterface* panel = d->livePanel()) {
        applyCanvasAtOnce(*panel, currentCanvasSize());
        geometryMayHaveChanged();
    }
}

} // namespace vesk
