#include "Vesk/Shell/ShellFactory.h"

#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "Vesk/Shell/BridgeActivityServices.h"
#include "Vesk/Shell/LaunchAtLogin.h"
#include "Vesk/Shell/WindowControllerSurface.h"
#include "VeskKit/Activity/ActivityCoordinator.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Autostart/AutostartEntry.h"
#include "VeskPlatform/Cloud/CloudContainer.h"
#include "VeskPlatform/Push/RemoteNotifications.h"
#include "VeskSync/SyncCoordinator.h"

namespace vesk {

namespace {

class SystemShellFactory final : public ShellFactory {
public:
    std::unique_ptr<SettingsStore> makeSettings() override {
        return std::make_unique<SettingsStore>(UserDefaults::standard());
    }
    std::unique_ptr<ActivityCoordinator> makeCoordinator() override {
        return std::make_unique<ActivityCoordinator>(std::make_shared<SystemClock>());
    }
    std::unique_ptr<NotchSurface> makeNotchSurface(SettingsStore& settings) override {
        return std::make_unique<WindowControllerSurface>(std::make_unique<NotchWindowController>(settings));
    }
    std::unique_ptr<ActivityServices> makeActivityServices(ActivityCoordinator& coordinator,
                                                           SettingsStore& settings,
                                                           Present present) override {
        return std::make_unique<BridgeActivityServices>(
            std::make_unique<ActivityBridge>(coordinator, settings, std::move(present)));
    }
    std::unique_ptr<SyncCoordinator> makeSyncCoordinator(const QString& containerID) override {
        return std::make_unique<SyncCoordinator>(containerID, makeCloudContainer(containerID));
    }
    void registerForRemoteNotifications(RemoteNotificationHandlers handlers) override {
        vesk::registerForRemoteNotifications(std::move(handlers));
    }
};

} // namespace

std::unique_ptr<OnboardingWindow> ShellFactory::makeOnboardingWindow(SettingsStore& settings,
                                                                     Permissions* permissions,
                                                                     ActivationHolds& holds,
                                                                     std::function<void()> onFinish) {
    if (!permissions) return nullptr;
    return std::make_unique<OnboardingWindow>(settings, *permissions, &holds, std::move(onFinish));
}

std::unique_ptr<LaunchAtLogin> ShellFactory::makeLaunchAtLogin(SettingsStore& settings) {
    return std::make_unique<LaunchAtLogin>(settings, autostart::entryPath());
}

std::unique_ptr<ShellFactory> systemShellFactory() {
    return std::make_unique<SystemShellFactory>();
}

} // namespace vesk
