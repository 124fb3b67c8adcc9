#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace vesk {

class ActivationHolds;
class ActivityCoordinator;
class ActivityServices;
class LaunchAtLogin;
class OnboardingWindow;
class Permissions;
class NotchSurface;
class SettingsStore;
class SyncCoordinator;
struct ActivityPayload;
struct RemoteNotificationHandlers;

// Makes the long-lived objects that start-up wires together, one call per object in
// start-up order. The program uses systemShellFactory(); tests hand in fakes.
class ShellFactory {
public:
    using Present = std::function<void(const ActivityPayload&)>;

    virtual ~ShellFactory() = default;

    // The settings over the user's standard defaults.
    virtual std::unique_ptr<SettingsStore> makeSettings() = 0;
    // The coordinator on the wall clock.
    virtual std::unique_ptr<ActivityCoordinator> makeCoordinator() = 0;
    // The notch on every eligible screen.
    virtual std::unique_ptr<NotchSurface> makeNotchSurface(SettingsStore& settings) = 0;
    // The system services; `present` gets each payload the coordinator made current.
    virtual std::unique_ptr<ActivityServices>
    makeActivityServices(ActivityCoordinator& coordinator, SettingsStore& settings, Present present) = 0;
    // The synced store's coordinator for the cloud container `containerID`.
    virtual std::unique_ptr<SyncCoordinator> makeSyncCoordinator(const QString& containerID) = 0;
    // Asks for pushes of the cloud container; the answer comes later on the main thread.
    virtual void registerForRemoteNotifications(RemoteNotificationHandlers handlers) = 0;
    // The first-run window over the shell's permissions (null over stand-ins); none when
    // it cannot be built.
    virtual std::unique_ptr<OnboardingWindow> makeOnboardingWindow(SettingsStore& settings,
                                                                   Permissions* permissions,
                                                                   ActivationHolds& holds,
                                                                   std::function<void()> onFinish);
    // "Launch at login" over the desktop's autostart entry.
    virtual std::unique_ptr<LaunchAtLogin> makeLaunchAtLogin(SettingsStore& settings);
};

// The machine's own: the window controller, the activity bridge, the standard defaults.
std::unique_ptr<ShellFactory> systemShellFactory();

} // namespace vesk
