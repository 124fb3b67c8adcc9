#include "Vesk/Menus/MenuCommands.h"

#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Menus/DiagnosticsExport.h"
#include "Vesk/Menus/DiagnosticsRows.h"
#include "Vesk/Menus/HudReplacement.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Updates/UpdateService.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Machine/MachineModel.h"
#include "VeskPlatform/Machine/OperatingSystem.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/Tray/TrayStore.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/SyncCoordinator.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

namespace vesk {

namespace {

constexpr int logTailLimit = 40;

QString orNone(const QString& text) {
    return text.isEmpty() ? diagnostics::none() : text;
}

} // namespace

MenuCommands::MenuCommands(Parts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts)), m_quit([] { QCoreApplication::quit(); }) {}

MenuCommands::~MenuCommands() = default;

MenuActions MenuCommands::actions() {
    const QPointer<MenuCommands> self(this);
    const auto weakly = [self](void (*call)(MenuCommands&)) {
        return [self, call] {
            if (self) call(*self);
        };
    };
    MenuActions actions;
    actions.requestBluetooth = weakly([](MenuCommands& c) {
        const QPointer<ActivityBridge> bridge(&c.m_parts.bridge);
        c.m_parts.permissions.prompt().withActivation([bridge] {
            if (bridge) bridge->requestBluetoothPermission();
        });
    });
    actions.requestInputMonitoring = weakly([](MenuCommands& c) {
        const QPointer<ActivityBridge> bridge(&c.m_parts.bridge);
        c.m_parts.permissions.prompt().withActivation([bridge] {
            if (bridge) bridge->eventTap().requestInputMonitoring();
        });
    });
    actions.openPrivacyPane = [self](const QString& anchor) {
        if (self) self->m_parts.permissions.prompt().openPane(anchor);
    };
    actions.toggleSuppression = [self] { return self && self->toggleSuppression(); };
    actions.isSuppressingHUDs = [self] { return self && self->m_parts.settings.suppressSystemHUD(); };
    actions.toggleDesk = weakly([](MenuCommands& c) { c.toggleDesk(); });
    actions.isDeskOpen = [self] { return self && self->isDeskOpen(); };
    actions.toggleKeepAwake = weakly([](MenuCommands& c) { c.m_parts.bridge.toggleKeepAwake(); });
    actions.checkForUpdates = weakly([](MenuCommands& c) {
        if (UpdaterController* updater = c.m_parts.updates.controller()) updater->checkForUpdates();
    });
    actions.exportDiagnostics = weakly([](MenuCommands& c) { c.exportDiagnostics(); });
    if (m_showOnboarding) actions.showOnboarding = m_showOnboarding;
    if (m_openSettings) actions.openSettings = m_openSettings;
    actions.quit = m_quit;
    return actions;
}

StatusMenuState MenuCommands::statusState() const {
    return {m_parts.updates.isAvailable()};
}

bool MenuCommands::isDeskOpen() const {
    const NotchViewModel* active = m_parts.activeModel ? m_parts.activeModel() : nullptr;
    return active && active->state().isOpen();
}

ContextMenuState MenuCommands::contextState() const {
    const UpdaterController* updater = m_parts.updates.controller();
    ContextMenuState state;
    state.deskOpen = isDeskOpen();
    state.keepingAwake = m_parts.bridge.idle().isKeepingAwake();
    state.updatesAvailable = m_parts.updates.isAvailable();
    state.canCheckForUpdates = updater && updater->canCheckForUpdates();
    // Without a tray the status menu cannot be reached, so this menu carries the rest of it.
    state.includeStatusEntries = !m_statusItem || !QSystemTrayIcon::isSystemTrayAvailable();
    return state;
}

void MenuCommands::buildStatusItem() {
    if (m_statusItem) return;
    m_statusItem = StatusItem::createIfTrayAvailable(statusState(), actions());
    TraceLog::trace(m_statusItem
                        ? QStringLiteral("status item: in the tray")
                        : QStringLiteral("status item: no tray; the notch menu carries its entries"));
}

std::unique_ptr<QMenu> MenuCommands::contextMenu() {
    return std::unique_ptr<QMenu>(buildNotchContextMenu(contextState(), actions()));
}

bool MenuCommands::toggleSuppression() {
    EventTapService& tap = m_parts.bridge.eventTap();
    PermissionPrompt& prompt = m_parts.permissions.prompt();
    return hudReplacement::toggle(
        // Asked afresh, as "Allow…" does: what another program held then may be free now.
        m_parts.settings, [&tap] { return tap.requestAccessibility(); },
        [&prompt] {
            // Shown without waiting: the setting stays off whatever the answer.
            prompt.explain(hudReplacement::accessibilityTitle(), hudReplacement::accessibilityMessage(),
                           QStringLiteral("Privacy_Accessibility"));
        },
        [this] { restartEventTap(); });
}

void MenuCommands::restartEventTap() {
    m_parts.bridge.eventTap().stop();
    m_parts.bridge.startEventTap();
}

bool MenuCommands::allowKeyInterception(QWidget* window) {
    EventTapService& tap = m_parts.bridge.eventTap();
    if (!tap.requestAccessibility()) {
        m_parts.permissions.prompt().openPane(paneAnchor(Permission::accessibility), window);
        return false;
    }
    // A tap started while another program held the keys only listens.
    if (m_parts.settings.suppressSystemHUD() && !tap.isIntercepting()) restartEventTap();
    return true;
}

void MenuCommands::allowBluetooth(QWidget* window) {
    const QPointer<QWidget> owner(window);
    const QPointer<MenuCommands> self(this);
    m_parts.bridge.requestBluetoothPermission([self, owner](bool granted) {
        if (granted || !self) return;
        // The same words the welcome window's Bluetooth row gives when asking changed nothing.
        const QString anchor = paneAnchor(Permission::bluetooth);
        self->m_parts.permissions.prompt().explain(QStringLiteral("That didn't take"),
                                                   SystemSettings::nothingNeeded(anchor), anchor, owner);
    });
}

void MenuCommands::toggleDesk() {
    // A hidden notch takes no pointer input at all, so the menus are the way back, for
    // every display at once.
    if (m_parts.models)
        for (NotchViewModel* model : m_parts.models())
            if (model->state().kind() == NotchState::Kind::hidden) model->send(NotchEvent::toggleHidden());
    NotchViewModel* active = m_parts.activeModel ? m_parts.activeModel() : nullptr;
    if (!active) return;
    // An open Desk ignores a click; the entry says it closes, so it does.
    active->send(active->state().kind() == NotchState::Kind::open ? NotchEvent::forceClose()
                                                                  : NotchEvent::click());
}

void MenuCommands::setSyncCoordinator(SyncCoordinator* sync) {
    m_sync = sync;
}

DiagnosticsReport MenuCommands::buildDiagnostics() const {
    const ActivityBridge& bridge = m_parts.bridge;
    DiagnosticsReport::Facts facts;
    facts.version = orNone(QCoreApplication::applicationVersion());
    // There is no build number apart from the version.
    facts.build = diagnostics::none();
    facts.osName = machine::osName();
    facts.model = orNone(machine::model());
    facts.profile = bridge.profile();
    if (m_parts.models)
        for (const NotchViewModel* model : m_parts.models()) {
            const NotchGeometry& geometry = model->geometry();
            facts.screens.append(diagnostics::screen(
                geometry.displayID, geometry.screenFrame.size(),
                geometry.hasHardwareNotch ? std::make_optional(geometry.notchSize) : std::nullopt));
        }
    const Permissions& permissions = m_parts.permissions;
    const bool bluetoothAbsent = bridge.bluetooth().isAbsent();
    facts.permissions = diagnostics::permissionRows(
        [&permissions](Permission permission) { return permissions.state(permission); }, bluetoothAbsent);

    diagnostics::ServiceFacts services;
    // A source whose helper failed its self-test never started: not universal.
    services.universalMediaAdapter = bridge.isUniversalNowPlaying();
    services.hasAccessibility = bridge.eventTap().hasAccessibility();
    services.interceptingKeys = bridge.eventTap().isIntercepting();
    services.brightnessAvailable = bridge.brightness().source() != BrightnessState::Source::unavailable;
    services.bluetooth = bridge.bluetoothStatus();
    services.bluetoothAbsent = bluetoothAbsent;
    services.calendarAccess = toRaw(bridge.calendar().access());
    if (m_sync) services.push = m_sync->push().description();
    services.keepingAwake = bridge.idle().isKeepingAwake();
    services.updatesAvailable = m_parts.updates.isAvailable();
    services.settingsFile = UserDefaults::standard().loadReport();
    facts.services = diagnostics::serviceRows(services);
    facts.syncSummary = m_sync ? m_sync->status().summary(m_sync->containerError()) : diagnostics::none();
    if (m_sync) facts.storeRows = diagnostics::storeRows(m_sync->storeNotice());

    facts.widgetCount = int(m_parts.settings.enabledWidgets().size());
    const TrayStore* tray = m_parts.trayStore ? m_parts.trayStore() : nullptr;
    facts.trayCount = tray ? int(tray->items().size()) : 0;
    const ClipboardService* clipboard = m_parts.clipboardService ? m_parts.clipboardService() : nullptr;
    facts.clipCount = clipboard ? int(clipboard->clips().size()) : 0;
    // Every model holds the one repository once the synced store is up.
    if (m_parts.models)
        for (const NotchViewModel* model : m_parts.models())
            if (const DeskRepository* repository = model->repository()) {
                facts.todoCount = int(repository->todos().size());
                break;
            }
    facts.logTail = TraceLog::recentLogLines(logTailLimit);
    facts.generatedAt = Date::now();
    return DiagnosticsReport::make(facts);
}

void MenuCommands::exportDiagnostics() {
    // One save panel at a time: choosing the entry again brings it forward.
    if (m_exportPanel && m_exportPanel->isVisible()) {
        m_exportPanel->raise();
        m_exportPanel->activateWindow();
        return;
    }
    const DiagnosticsReport report = buildDiagnostics();
    m_exportPanel = DiagnosticsExport(m_parts.holds).run(report);
}

} // namespace vesk
