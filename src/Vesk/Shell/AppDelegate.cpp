#include "Vesk/Shell/AppDelegate.h"

#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Menus/MenuCommands.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Onboarding/OnboardingModel.h"
#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/Permissions/ActivationHolds.h"
#include "Vesk/Permissions/DesktopPermissionLayers.h"
#include "Vesk/Permissions/PermissionPrompt.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "Vesk/Shell/ActivationPolicy.h"
#include "Vesk/Shell/ActivityServices.h"
#include "Vesk/Shell/DeveloperHooks.h"
#include "Vesk/Shell/LaunchAtLogin.h"
#include "Vesk/Shell/NotchSurface.h"
#include "Vesk/Shell/ShellFactory.h"
#include "Vesk/Shell/SyncStartup.h"
#include "Vesk/Shell/TrayAddActivity.h"
#include "Vesk/Updates/UpdateService.h"
#include "VeskKit/Activity/ActivityCoordinator.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Notch/NotchEffect.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Camera/DesktopCameraAccess.h"
#include "VeskPlatform/Machine/DeviceName.h"
#include "VeskPlatform/Push/RemoteNotifications.h"
#include "VeskServices/NowPlaying/MediaCommand.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/SyncCoordinator.h"

#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vesk {

namespace {

bool showsActivity(const NotchState& state) {
    const NotchState::Kind kind = state.kind();
    return kind == NotchState::Kind::peek || kind == NotchState::Kind::activity ||
           kind == NotchState::Kind::activityExpanded;
}

// The clipboard history's cap from its floating-point setting: truncated, and
// kept in the range the settings window offers, since a hand-edited value may
// be anything.
int clipboardLimit(double stored) {
    constexpr double lowest = 5, highest = 200, fallback = 40;
    if (!std::isfinite(stored)) return int(fallback);
    return int(std::trunc(std::clamp(stored, lowest, highest)));
}

void printToStandardOutput(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

} // namespace

AppDelegate::AppDelegate(std::unique_ptr<ShellFactory> factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)), m_print(printToStandardOutput) {}

AppDelegate::~AppDelegate() {
    m_tickTimer.cancel();
    // Not left for later: it would outlive the permissions its rows read.
    delete m_finishedOnboardingWindow.data();
}

void AppDelegate::setStandardOutput(std::function<void(const QString&)> print) {
    m_print = std::move(print);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (m_launched) return;
    m_launched = true;
    const QPointer<AppDelegate> weak(this);

    // 1.
    Activation::shared().setPolicy(ActivationPolicy::accessory);
    // 2. to 4.
    m_settings = m_factory->makeSettings();
    m_coordinator = m_factory->makeCoordinator();
    m_notchController = m_factory->makeNotchSurface(*m_settings);
    // The notch's first frame needs nothing more: it reaches the screen first, and the
    // services, the status item and the hooks follow in their order.
    m_notchController->afterFirstPaint([weak] {
        if (weak) weak->finishLaunching();
    });
}

void AppDelegate::finishLaunching() {
    // Termination came first: nothing is started any more.
    if (m_terminated) return;
    const QPointer<AppDelegate> weak(this);

    // 5.
    m_bridge =
        m_factory->makeActivityServices(*m_coordinator, *m_settings, [weak](const ActivityPayload& payload) {
            if (weak) weak->present(payload);
        });

    // 6.
    m_bridge->setOnNowPlayingChange([weak](const NowPlayingState& state) {
        if (weak) weak->nowPlayingChanged(state);
    });
    m_bridge->setOnCurrentChanged([weak] {
        if (weak) weak->syncCoordinatorToSurface();
    });
    m_notchController->setOnFilesDropped([weak](const QList<TrayItem>& items) {
        if (weak) weak->filesDropped(items);
    });
    if (TrayStore* store = m_notchController->trayStore()) {
        // A pill while the notch is closed; the tray tab's banner while the Desk is open.
        const auto tell = [this](ActivityPayload (*make)(const QString&, const QString&, Date)) {
            return [this, make](const QString& name, const QString& reason) {
                const ActivityPayload payload = make(name, reason, m_coordinator->clock().now());
                if (m_coordinator->submit(payload)) showOnSurface(NotchEvent::activityArrived(payload));
                const QList<NotchViewModel*> models = m_notchController->models();
                if (PipelineRunner* runner = models.isEmpty() ? nullptr : models.first()->pipelineRunner())
                    runner->showFailure(trayFailureLine(payload));
            };
        };
        connect(store, &TrayStore::itemNotAdded, this, tell(trayAddFailedActivity));
        connect(store, &TrayStore::itemNotRemoved, this, tell(trayRemoveFailedActivity));
    }

    // 7. and 8.
    m_bridge->restoreFocusFilter();
    m_bridge->start();

    // 9. Every model now, and those of displays attached later, get the same handlers.
    m_notchController->setOnModelCreated([weak](NotchViewModel& model) {
        if (weak) weak->installModelHandlers(model);
    });

    // 10.
    m_updates = std::make_unique<UpdateService>(BuildProfile::current());
    m_launchAtLogin = m_factory->makeLaunchAtLogin(*m_settings);
    buildMenus();

    // 11.
    m_notchController->setContextMenuProvider(
        [weak]() -> std::unique_ptr<QMenu> { return weak ? weak->notchContextMenu() : nullptr; });

    // 12.
    if (WeatherProvider* weather = m_notchController->weatherProvider()) weather->start();
    m_notchController->startDragMonitors();
    buildStatusItem();

    // 13.
    addObservers();

    // 14.
    m_tickTimer = mainScheduler().postRepeating(heartbeatInterval, [weak] {
        if (weak) weak->tick();
    });
    m_factory->registerForRemoteNotifications({.registered =
                                                   [weak](const QByteArray& token) {
                                                       if (weak)
                                                           weak->didRegisterForRemoteNotifications(token);
                                                   },
                                               .failed =
                                                   [weak](const QString& error) {
                                                       if (weak)
                                                           weak->didFailToRegisterForRemoteNotifications(
                                                               error);
                                                   }});
    startSync();

    // 15. to 17.
    m_print(m_notchController->geometryReport() + QLatin1Char('\n'));
    showOnboardingIfNeeded();
    runDeveloperHooks();
}

void AppDelegate::applicationWillTerminate() {
    m_terminated = true;
    if (m_bridge) m_bridge->stop();
    writeWhatWaits();
    if (m_notchController) m_notchController->stopDragMonitors();
}

void AppDelegate::writeWhatWaits() {
    // Every ending comes here, and the display's loss ends the process right after,
    // with no destructor run: whatever is only in memory is written now.
    // Settings changed in the last half second, or whose write failed.
    if (m_settings) m_settings->defaults().flush();
    // The tray index, pins, clipboard history and shortcuts a full disk kept waiting.
    if (m_notchController && !m_notchController->writeWaiting())
        TraceLog::trace(QStringLiteral("ending with desk lists unsaved"));
    // Desk edits whose save failed get a last try; the Desk said so.
    if (DeskRepository* repository = m_syncStartup ? m_syncStartup->repository() : nullptr)
        if (!repository->saveUnsaved())
            TraceLog::trace(QStringLiteral("desk store: quit with edits unsaved: ") +
                            repository->unsavedReason());
}

void AppDelegate::didRegisterForRemoteNotifications(const QByteArray& deviceToken) {
    if (m_sync) m_sync->notePushRegistration(SyncCoordinator::PushRegistration::registered());
    TraceLog::trace(QStringLiteral("push registered (") + QString::number(deviceToken.size()) +
                    QStringLiteral("-byte token)"));
}

void AppDelegate::didFailToRegisterForRemoteNotifications(const QString& error) {
    if (m_sync) m_sync->notePushRegistration(SyncCoordinator::PushRegistration::failed(error));
    TraceLog::trace(QStringLiteral("push registration FAILED: ") + error);
}

// ---- Heartbeat and hand-off

void AppDelegate::tick() {
    m_notchController->pollDragPasteboard();
    ++m_calendarTick;
    if (m_calendarTick % 60 == 0) m_bridge->checkUpcomingEvent();
    if (m_calendarTick % 2 == 0) {
        const ClipboardPollSettings& clipboard = clipboardPollSettings();
        m_notchController->pollClipboard(clipboard.enabled, clipboard.maxItems, clipboard.persists);
    }
    if (m_coordinator->tick()) syncCoordinatorToSurface();
}

const AppDelegate::ClipboardPollSettings& AppDelegate::clipboardPollSettings() {
    // Every write of a setting bumps the revision, so an unchanged revision means
    // unchanged values.
    if (m_clipboardPollSettings.revision != m_settings->revision())
        m_clipboardPollSettings = {.revision = m_settings->revision(),
                                   .enabled = m_settings->clipboardEnabled(),
                                   .maxItems = clipboardLimit(m_settings->clipboardMaxItems()),
                                   .persists = m_settings->clipboardPersists()};
    return m_clipboardPollSettings;
}

void AppDelegate::syncCoordinatorToSurface() {
    if (const std::optional<ActivityPayload>& current = m_coordinator->current())
        showOnSurface(NotchEvent::activityArrived(*current));
    else
        showOnSurface(NotchEvent::activityTimedOut());
}

void AppDelegate::showOnSurface(const NotchEvent& event) {
    NotchViewModel* active = m_notchController->activeModel();
    if (!active) return;
    active->send(event);
    for (NotchViewModel* model : m_notchController->models())
        if (model != active && showsActivity(model->state())) model->send(NotchEvent::activityTimedOut());
}

void AppDelegate::present(const ActivityPayload& payload) {
    showOnSurface(NotchEvent::activityArrived(payload));
}

void AppDelegate::nowPlayingChanged(const NowPlayingState& state) {
    for (NotchViewModel* model : m_notchController->models())
        model->setNowPlaying(state);
}

void AppDelegate::filesDropped(const QList<TrayItem>& items) {
    const ActivityPayload payload = trayAddActivity(items, m_coordinator->clock().now());
    if (m_coordinator->submit(payload)) showOnSurface(NotchEvent::activityArrived(payload));
}

void AppDelegate::mediaCommand(const MediaCommand& command) {
    m_bridge->sendMediaCommand(command);
}

void AppDelegate::effect(const NotchEffect& effect) {
    switch (effect.kind()) {
    case NotchEffect::Kind::cycleActivity: {
        const std::optional<ActivityPayload> before = m_coordinator->current();
        m_coordinator->cycle(effect.forward());
        // Only a change is pushed: re-sending the same payload would collapse an
        // expanded pill.
        if (m_coordinator->current() != before) syncCoordinatorToSurface();
        break;
    }
    case NotchEffect::Kind::dismissActivity:
        m_coordinator->dismissCurrent();
        syncCoordinatorToSurface();
        break;
    case NotchEffect::Kind::mediaNext:
        m_bridge->sendMediaCommand(MediaCommand::next());
        break;
    case NotchEffect::Kind::mediaPrevious:
        m_bridge->sendMediaCommand(MediaCommand::previous());
        break;
    case NotchEffect::Kind::openDesk:
    case NotchEffect::Kind::requestKeyboardFocus:
    case NotchEffect::Kind::haptic:
        break;
    }
}

void AppDelegate::installModelHandlers(NotchViewModel& model) {
    const QPointer<AppDelegate> weak(this);
    model.setOnMediaCommand([weak](const MediaCommand& command) {
        if (weak) weak->mediaCommand(command);
    });
    model.setOnEffect([weak](const NotchEffect& effect) {
        if (weak) weak->effect(effect);
    });
    model.setCalendarService(m_bridge->calendarService());
    model.setCalendarAccessHandlers(
        [weak] {
            if (weak && weak->m_permissions) weak->m_permissions->openSettings(Permission::calendar);
        },
        [weak] {
            return weak && weak->m_activationHolds ? weak->m_activationHolds->holdRegular()
                                                   : ActivationHolds::Hold();
        });
}

void AppDelegate::republishTray() {
    TrayStore* store = m_notchController->trayStore();
    if (!store) return;
    for (NotchViewModel* model : m_notchController->models())
        model->setTrayItems(store->items());
}

// ---- Observers and hooks

void AppDelegate::addObservers() {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.observe(notchNotifications::veskOpenSettings, this,
                   [this](const Notification&) { openSettings(); });
    center.observe(notchNotifications::veskShowWelcome, this,
                   [this](const Notification&) { showOnboarding(); });
    center.observe(notchNotifications::veskTrayDragChanged, this, [this](const Notification& notification) {
        const QVariant sourcing = notification.userInfo.value(notchNotifications::sourcingKey);
        m_notchController->setSourcingDrag(sourcing.typeId() == QMetaType::Bool && sourcing.toBool());
    });
}

void AppDelegate::runDeveloperHooks() {
    const QPointer<AppDelegate> weak(this);
    DeveloperHooks::Targets targets;
    targets.now = [weak] { return weak ? weak->m_coordinator->clock().now() : Date::now(); };
    targets.submit = [weak](const ActivityPayload& payload) {
        return weak && weak->m_coordinator->submit(payload);
    };
    targets.present = [weak](const ActivityPayload& payload) {
        if (weak) weak->showOnSurface(NotchEvent::activityArrived(payload));
    };
    targets.sendToActiveModel = [weak](const NotchEvent& event) {
        if (!weak) return;
        if (NotchViewModel* model = weak->m_notchController->activeModel()) model->send(event);
    };
    targets.trayStore = [weak]() -> TrayStore* {
        return weak ? weak->m_notchController->trayStore() : nullptr;
    };
    targets.republishTray = [weak] {
        if (weak) weak->republishTray();
    };
    targets.openSettings = [weak] {
        if (weak) weak->openSettings();
    };
    targets.requestCalendarAccess = [weak] {
        if (!weak) return;
        if (NotchViewModel* model = weak->m_notchController->activeModel()) model->requestCalendarAccess();
    };
    targets.log = TraceLog::trace;
    DeveloperHooks::run(targets, this);
}

// ---- Synced store

void AppDelegate::startSync() {
    m_sync = m_factory->makeSyncCoordinator(cloudContainerID);
    if (m_menus) m_menus->setSyncCoordinator(m_sync.get());
    NotchWindowController* controller = m_notchController->controller();
    const QPointer<AppDelegate> weak(this);
    m_syncStartup = std::make_unique<SyncStartup>(SyncStartup::Parts{
        .sync = *m_sync,
        .surface = *m_notchController,
        .syncEnabled = m_settings->syncEnabled(),
        .deviceID = machine::deviceName(),
        .availableShortcuts =
            controller ? [controller](
                             QObject* context,
                             std::function<void(QStringList)>
                                 done) { controller->shortcutsService().available(context, std::move(done)); }
                       : std::function<void(QObject*, std::function<void(QStringList)>)>(),
        .seedTray =
            [weak] {
                DeveloperHooks::Targets targets;
                targets.trayStore = [weak]() -> TrayStore* {
                    return weak ? weak->m_notchController->trayStore() : nullptr;
                };
                targets.republishTray = [weak] {
                    if (weak) weak->republishTray();
                };
                targets.log = TraceLog::trace;
                DeveloperHooks::seedTrayAfterSync(targets);
            },
        .log = TraceLog::trace,
        // The Shortcuts pane, open before the repository existed, takes it now.
        .repositoryReady =
            [weak] {
                if (weak && weak->m_settingsWindow) weak->m_settingsWindow->root()->refreshPaneInputs();
            },
    });
    // Launching does not wait for it: the task starts once launching has returned, after
    // the geometry report, the onboarding timer and the developer hooks' first readings.
    const QPointer<SyncStartup> startup(m_syncStartup.get());
    onMain([startup] {
        if (startup) startup->run();
    });
}

// ---- Plug-in points

void AppDelegate::buildMenus() {
    // Regular while anything holds it, accessory once the last hold ends.
    m_activationHolds = std::make_unique<ActivationHolds>();
    connect(m_activationHolds.get(), &ActivationHolds::regularChanged, this, [](bool regular) {
        Activation::shared().setPolicy(regular ? ActivationPolicy::regular : ActivationPolicy::accessory);
    });
    // The menus act on the system services themselves; a shell run over stand-ins has none.
    ActivityBridge* bridge = m_bridge->bridge();
    if (!bridge) return;
    m_permissionLayers = std::make_unique<DesktopPermissionLayers>(
        bridge->eventTap(), bridge->bluetooth(), bridge->calendar(),
        std::make_unique<DesktopCameraAccess>(bridge->profile().isSandboxed));
    m_permissionPrompt = std::make_unique<PermissionPrompt>(*m_activationHolds);
    // The desk's privacy links (calendar, location) open the same panes.
    if (NotchWindowController* controller = m_notchController->controller()) {
        const QPointer<AppDelegate> weak(this);
        controller->deskEnvironment().openPrivacyPane = [weak](const QString& anchor) {
            if (weak && weak->m_permissionPrompt) weak->m_permissionPrompt->openPane(anchor);
        };
    }
    m_permissions = std::make_unique<Permissions>(*m_permissionLayers, *m_permissionPrompt);

    NotchSurface* surface = m_notchController.get();
    m_menus = std::make_unique<MenuCommands>(MenuCommands::Parts{
        *m_settings, *bridge, *m_updates, *m_permissions, *m_activationHolds,
        [surface] { return surface->activeModel(); }, [surface] { return surface->models(); },
        [surface] { return surface->trayStore(); },
        [surface]() -> const ClipboardService* { return surface->clipboardService(); }});
    const QPointer<AppDelegate> weak(this);
    m_menus->setOpenSettings([weak] {
        if (weak) weak->openSettings();
    });
    m_menus->setShowOnboarding([weak] {
        if (weak) weak->showOnboarding();
    });
}

std::unique_ptr<QMenu> AppDelegate::notchContextMenu() {
    return m_menus ? m_menus->contextMenu() : nullptr;
}

void AppDelegate::buildStatusItem() {
    if (m_menus) m_menus->buildStatusItem();
}

void AppDelegate::showOnboarding() {
    if (!m_onboardingWindow) {
        const QPointer<AppDelegate> weak(this);
        m_onboardingWindow =
            m_factory->makeOnboardingWindow(*m_settings, m_permissions.get(), *m_activationHolds, [weak] {
                if (weak) weak->finishOnboarding();
            });
        if (!m_onboardingWindow) return;
        OnboardingModel& model = m_onboardingWindow->model();
        const auto step = OnboardingModel::parseStep(qEnvironmentVariable("VESK_ONBOARDING"));
        if (step && *step != model.step()) model.setStep(*step);
    }
    m_onboardingWindow->present();
}

void AppDelegate::finishOnboarding() {
    UserDefaults::standard().setBool(hasCompletedOnboardingKey, true);
    if (!m_onboardingWindow) return;
    // Later: the window's own button is what got here.
    OnboardingWindow* window = m_onboardingWindow.release();
    window->hide();
    window->deleteLater();
    m_finishedOnboardingWindow = window;
}

void AppDelegate::showOnboardingIfNeeded() {
    if (UserDefaults::standard().boolValue(hasCompletedOnboardingKey)) return;
    const QPointer<AppDelegate> weak(this);
    onMainAfter(onboardingDelay, [weak] {
        if (weak) weak->showOnboarding();
    });
}

} // namespace vesk
