#pragma once

#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"
#include "Vesk/Shell/ActivityServices.h"
#include "Vesk/Shell/NotchSurface.h"
#include "Vesk/Shell/ShellFactory.h"
#include "VeskKit/Activity/ActivityCoordinator.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Settings/SettingsStore.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QMenu;

namespace vesk {

class ActivationHolds;
class DesktopPermissionLayers;
class MenuCommands;
class PermissionPrompt;
class Permissions;
class LaunchAtLogin;
class OnboardingWindow;
class SettingsWindow;
class SyncCoordinator;
class SyncStartup;
class UpdateService;
class NotchEffect;
class NotchEvent;
class NotchViewModel;
struct ActivityPayload;
struct MediaCommand;
struct NowPlayingState;
struct TrayItem;

// The application's spine: builds the long-lived objects when launching
// finishes, wires them to each other in one fixed order, and owns them for the
// life of the process. It is the one place where the activity coordinator, the
// system services and the notch meet: the 0.25 s heartbeat, the hand-off of
// activities, effects and media commands, the developer hooks, termination and
// the push-registration answer. Every callback it hands out holds it weakly.
// Main thread only.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    static constexpr double heartbeatInterval = 0.25;
    static constexpr double onboardingDelay = 0.8;
    static inline const QString cloudContainerID = QStringLiteral("iCloud.app.tessarn.notch");
    static inline const QString hasCompletedOnboardingKey = QStringLiteral("hasCompletedOnboarding");

    // Null: the machine's own objects. Nothing is created before launching
    // finishes.
    explicit AppDelegate(std::unique_ptr<ShellFactory> factory = nullptr, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Once, when the event loop runs. The notch is built at once; the rest of launching
    // runs after its first frame (see NotchSurface::afterFirstPaint).
    void applicationDidFinishLaunching();
    // Every ending's one call (the menu's Quit, a termination signal, the display going
    // away): stops the system services and the drag monitors, and writes what waits to
    // be written (settings, the desk's lists and tray index, the synced store's edits).
    void applicationWillTerminate();
    void didRegisterForRemoteNotifications(const QByteArray& deviceToken);
    void didFailToRegisterForRemoteNotifications(const QString& error);

    // Where the geometry report goes; standard output unless replaced.
    void setStandardOutput(std::function<void(const QString&)> print);

    // The objects start-up made; null before launching finishes.
    SettingsStore* settings() const { return m_settings.get(); }
    ActivityCoordinator* coordinator() const { return m_coordinator.get(); }
    NotchSurface* notchController() const { return m_notchController.get(); }
    ActivityServices* bridge() const { return m_bridge.get(); }
    SyncCoordinator* sync() const { return m_sync.get(); }
    SyncStartup* syncStartup() const { return m_syncStartup.get(); }
    // The first-run window while it exists (shown, or closed and kept).
    OnboardingWindow* onboardingWindow() const { return m_onboardingWindow.get(); }
    // The settings window once it was first opened; null before.
    SettingsWindow* settingsWindow() const { return m_settingsWindow.get(); }
    qint64 calendarTick() const { return m_calendarTick; }
    // What the status item and the notch's menu do; null over stand-in services.
    MenuCommands* menus() const { return m_menus.get(); }

private:
    // Launching from the activity services on.
    void finishLaunching();
    // At the ending, before the process goes.
    void writeWhatWaits();
    // The heartbeat and the hand-off to the notch.
    void tick();
    void syncCoordinatorToSurface();
    // Sends an activity event to the active display's model and times out the
    // activity any other display still shows: one current activity is shown in
    // one place.
    void showOnSurface(const NotchEvent& event);
    void present(const ActivityPayload& payload);
    void nowPlayingChanged(const NowPlayingState& state);
    void filesDropped(const QList<TrayItem>& items);
    void mediaCommand(const MediaCommand& command);
    void effect(const NotchEffect& effect);
    void installModelHandlers(NotchViewModel& model);
    void republishTray();
    void addObservers();
    void runDeveloperHooks();
    // Step 14: the sync coordinator, and its start-up task posted to run after launch.
    void startSync();

    // The permissions and the menus over the system services.
    void buildMenus();

    // ---- Where the parts built elsewhere plug in. Until a part exists its
    // method does nothing, so start-up and the hooks skip it. The notch's
    // right-click menu, built afresh for every click.
    std::unique_ptr<QMenu> notchContextMenu();
    // The status item with its menu, built once at launch.
    void buildStatusItem();
    // The settings window (also for VESK_SETTINGS), built on first use.
    void openSettings();
    // What the settings panes read of the services and call on them.
    SettingsWindowEnvironment settingsEnvironment();
    // The welcome window.
    void showOnboarding();
    void showOnboardingIfNeeded();
    // Records that onboarding is done and lets the window go.
    void finishOnboarding();

    std::unique_ptr<ShellFactory> m_factory;
    std::function<void(const QString&)> m_print;
    // Declared so that each is destroyed before what it refers to.
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ActivityCoordinator> m_coordinator;
    std::unique_ptr<NotchSurface> m_notchController;
    std::unique_ptr<ActivityServices> m_bridge;
    std::unique_ptr<SyncCoordinator> m_sync;
    std::unique_ptr<SyncStartup> m_syncStartup;
    std::unique_ptr<UpdateService> m_updates;
    std::unique_ptr<ActivationHolds> m_activationHolds;
    std::unique_ptr<DesktopPermissionLayers> m_permissionLayers;
    std::unique_ptr<PermissionPrompt> m_permissionPrompt;
    std::unique_ptr<Permissions> m_permissions;
    std::unique_ptr<MenuCommands> m_menus;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<OnboardingWindow> m_onboardingWindow;
    // A finished window waiting for its deletion; it refers to the permissions above.
    QPointer<OnboardingWindow> m_finishedOnboardingWindow;
    std::unique_ptr<LaunchAtLogin> m_launchAtLogin;
    TaskHandle m_tickTimer;
    qint64 m_calendarTick = 0;
    // The clipboard settings as of the store's revision `revision`: read again only
    // after a write, so the half-second poll does not look each of them up.
    struct ClipboardPollSettings {
        qint64 revision = -1;
        bool enabled = false;
        int maxItems = 0;
        bool persists = false;
    };
    const ClipboardPollSettings& clipboardPollSettings();
    ClipboardPollSettings m_clipboardPollSettings;
    bool m_launched = false;
    bool m_terminated = false;
};

} // namespace vesk
