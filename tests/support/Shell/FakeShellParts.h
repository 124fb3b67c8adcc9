#pragma once

#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Shell/ActivityServices.h"
#include "Vesk/Shell/LaunchAtLogin.h"
#include "Vesk/Shell/NotchSurface.h"
#include "Vesk/Shell/ShellFactory.h"
#include "VeskKit/Activity/ActivityCoordinator.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Autostart/AutostartEntry.h"
#include "VeskPlatform/Push/RemoteNotifications.h"
#include "VeskServices/NowPlaying/MediaCommand.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskSync/SyncCoordinator.h"
#include "support/Cloud/FakeCloudContainer.h"
#include "support/ManualScheduler.h"
#include "support/Permissions/FakePermissionLayers.h"

#include <QMenu>
#include <QStringList>

#include <memory>
#include <vector>

namespace vesk::test {

// What the fakes below were asked, in order, as short lines ("start", "pollClipboard
// true 40 false", ...): one log shared by the factory and everything it made.
using CallLog = QStringList;

// A notch surface over real view models (without panels), one per display.
class FakeNotchSurface final : public NotchSurface {
public:
    FakeNotchSurface(CallLog& log, SettingsStore& settings, int displays) : m_log(log), m_settings(settings) {
        for (int i = 0; i < displays; ++i)
            addDisplay();
    }

    // A display attached while running: its model is announced like the controller does.
    NotchViewModel& addDisplay() {
        NotchGeometry geometry;
        geometry.displayID = quint32(m_models.size() + 1);
        geometry.screenFrame = QRectF(1920 * double(m_models.size()), 0, 1920, 1080);
        geometry.notchSize = QSizeF(185, 32);
        geometry.notchOrigin = QPointF(geometry.screenFrame.center().x() - 92.5, 0);
        m_models.push_back(std::make_unique<NotchViewModel>(geometry, m_settings));
        if (onModelCreated) onModelCreated(*m_models.back());
        return *m_models.back();
    }
    NotchViewModel& model(int index) const { return *m_models.at(size_t(index)); }
    // The display under the pointer; -1 for none.
    int active = 0;

    NotchViewModel* activeModel() const override {
        if (m_models.empty()) return nullptr;
        return &model(active < 0 ? 0 : active);
    }
    QList<NotchViewModel*> models() const override {
        QList<NotchViewModel*> list;
        for (const auto& model : m_models)
            list.append(model.get());
        return list;
    }
    TrayStore* trayStore() const override { return tray; }
    DeskRepository* repository() const override { return m_repository; }
    void setRepository(DeskRepository* repository) override {
        m_log << QStringLiteral("setRepository");
        m_repository = repository;
        for (const auto& model : m_models)
            model->setRepository(repository);
    }

    void pollDragPasteboard() override { m_log << QStringLiteral("pollDragPasteboard"); }
    void pollClipboard(bool enabled, int maxItems, bool persists) override {
        m_log << QStringLiteral("pollClipboard %1 %2 %3")
                     .arg(enabled ? "true" : "false")
                     .arg(maxItems)
                     .arg(persists ? "true" : "false");
    }
    void startDragMonitors() override { m_log << QStringLiteral("startDragMonitors"); }
    void stopDragMonitors() override { m_log << QStringLiteral("stopDragMonitors"); }
    bool writeWaiting() override {
        m_log << QStringLiteral("writeWaiting");
        return true;
    }
    void setSourcingDrag(bool sourcing) override {
        m_log << (sourcing ? QStringLiteral("setSourcingDrag true")
                           : QStringLiteral("setSourcingDrag false"));
    }
    QString geometryReport() const override { return QStringLiteral("display 1  1920×1080"); }
    void setOnFilesDropped(std::function<void(const QList<TrayItem>&)> handler) override {
        m_log << QStringLiteral("setOnFilesDropped");
        onFilesDropped = std::move(handler);
    }
    void setOnModelCreated(std::function<void(NotchViewModel&)> handler) override {
        m_log << QStringLiteral("setOnModelCreated");
        onModelCreated = std::move(handler);
        for (const auto& model : m_models)
            onModelCreated(*model);
    }
    void setContextMenuProvider(ContextMenuProvider provider) override {
        m_log << QStringLiteral("setContextMenuProvider");
        contextMenuProvider = std::move(provider);
    }
    // Painted at once, unless the test holds the first frame back until paintFirstFrame().
    void afterFirstPaint(std::function<void()> then) override {
        if (holdFirstPaint)
            m_afterFirstPaint = std::move(then);
        else
            then();
    }
    void paintFirstFrame() {
        if (std::function<void()> then = std::exchange(m_afterFirstPaint, {})) then();
    }

    bool holdFirstPaint = false;
    std::function<void(const QList<TrayItem>&)> onFilesDropped;
    std::function<void(NotchViewModel&)> onModelCreated;
    ContextMenuProvider contextMenuProvider;
    TrayStore* tray = nullptr;

private:
    CallLog& m_log;
    SettingsStore& m_settings;
    DeskRepository* m_repository = nullptr;
    std::vector<std::unique_ptr<NotchViewModel>> m_models;
    std::function<void()> m_afterFirstPaint;
};

class FakeActivityServices final : public ActivityServices {
public:
    explicit FakeActivityServices(CallLog& log, ActivityBridge* bridge = nullptr)
        : m_log(log), m_bridge(bridge) {}

    void setOnNowPlayingChange(std::function<void(const NowPlayingState&)> handler) override {
        m_log << QStringLiteral("setOnNowPlayingChange");
        onNowPlayingChange = std::move(handler);
    }
    void setOnCurrentChanged(std::function<void()> handler) override {
        m_log << QStringLiteral("setOnCurrentChanged");
        onCurrentChanged = std::move(handler);
    }
    void restoreFocusFilter() override { m_log << QStringLiteral("restoreFocusFilter"); }
    void start() override { m_log << QStringLiteral("start"); }
    void stop() override { m_log << QStringLiteral("stop"); }
    void checkUpcomingEvent() override { m_log << QStringLiteral("checkUpcomingEvent"); }
    void sendMediaCommand(const MediaCommand& command) override {
        m_log << QStringLiteral("sendMediaCommand ") + command.adapterArguments().join(QLatin1Char(' '));
    }

    // A bridge of the test's own (over fake layers), so the shell builds its menus.
    ActivityBridge* bridge() const override { return m_bridge; }

    std::function<void(const NowPlayingState&)> onNowPlayingChange;
    std::function<void()> onCurrentChanged;

private:
    CallLog& m_log;
    ActivityBridge* m_bridge;
};

// Makes real settings (in memory) and a coordinator on the manual clock, and the fakes
// above; keeps pointers to what it made and the present callback it handed out.
class FakeShellFactory final : public ShellFactory {
public:
    FakeShellFactory(CallLog& log, ManualScheduler& scheduler, int displays = 1)
        : m_log(log), m_scheduler(scheduler), m_displays(displays) {}

    std::unique_ptr<SettingsStore> makeSettings() override {
        m_log << QStringLiteral("makeSettings");
        auto store = std::make_unique<SettingsStore>(*defaults);
        settings = store.get();
        return store;
    }
    std::unique_ptr<ActivityCoordinator> makeCoordinator() override {
        m_log << QStringLiteral("makeCoordinator");
        auto made = std::make_unique<ActivityCoordinator>(
            std::shared_ptr<const ClockSource>(std::shared_ptr<const ClockSource>(), &m_scheduler.clock()));
        coordinator = made.get();
        return made;
    }
    std::unique_ptr<NotchSurface> makeNotchSurface(SettingsStore& store) override {
        m_log << QStringLiteral("makeNotchSurface");
        auto made = std::make_unique<FakeNotchSurface>(m_log, store, m_displays);
        made->holdFirstPaint = holdFirstPaint;
        surface = made.get();
        return made;
    }
    std::unique_ptr<ActivityServices> makeActivityServices(ActivityCoordinator&, SettingsStore&,
                                                           Present presentCallback) override {
        m_log << QStringLiteral("makeActivityServices");
        present = std::move(presentCallback);
        auto made = std::make_unique<FakeActivityServices>(m_log, bridge);
        services = made.get();
        return made;
    }
    // On a cloud that is never entitled, as on Linux; its store is in the test's data folder.
    std::unique_ptr<SyncCoordinator> makeSyncCoordinator(const QString& containerID) override {
        m_log << QStringLiteral("makeSyncCoordinator");
        auto made = std::make_unique<SyncCoordinator>(containerID, cloud);
        sync = made.get();
        return made;
    }
    void registerForRemoteNotifications(RemoteNotificationHandlers handlers) override {
        m_log << QStringLiteral("registerForRemoteNotifications");
        vesk::registerForRemoteNotifications(std::move(handlers));
    }
    // Over stand-ins the shell has no permissions: the window gets permissions of its own
    // over fake layers.
    std::unique_ptr<OnboardingWindow> makeOnboardingWindow(SettingsStore& store, Permissions* given,
                                                           ActivationHolds& holds,
                                                           std::function<void()> onFinish) override {
        m_log << QStringLiteral("makeOnboardingWindow");
        if (!given) {
            prompt = std::make_unique<PermissionPrompt>(holds);
            permissions = std::make_unique<Permissions>(layers, *prompt);
            given = permissions.get();
        }
        auto made = std::make_unique<OnboardingWindow>(store, *given, &holds, std::move(onFinish));
        made->setAttribute(Qt::WA_DontShowOnScreen);
        return made;
    }

    // Its queue runs on the manual scheduler, as everything the shell starts here does.
    std::unique_ptr<LaunchAtLogin> makeLaunchAtLogin(SettingsStore& store) override {
        return std::make_unique<LaunchAtLogin>(store, autostart::entryPath(), QString(), &m_scheduler);
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    // Handed to the services when set before launch: the shell then builds its menus.
    ActivityBridge* bridge = nullptr;
    FakePermissionLayers layers;
    std::unique_ptr<PermissionPrompt> prompt;
    std::unique_ptr<Permissions> permissions;
    SettingsStore* settings = nullptr;
    ActivityCoordinator* coordinator = nullptr;
    FakeNotchSurface* surface = nullptr;
    // Handed to the surface it makes.
    bool holdFirstPaint = false;
    FakeActivityServices* services = nullptr;
    std::shared_ptr<FakeCloudContainer> cloud = [] {
        auto made = std::make_shared<FakeCloudContainer>();
        made->entitled = false;
        made->prepareError =
            CloudError{std::nullopt, QStringLiteral("There is no private cloud database here.")};
        return made;
    }();
    SyncCoordinator* sync = nullptr;
    Present present;

private:
    CallLog& m_log;
    ManualScheduler& m_scheduler;
    int m_displays;
};

} // namespace vesk::test
