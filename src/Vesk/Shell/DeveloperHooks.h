#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskServices/Cloud/CloudKitProbe.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace vesk {

class TrayStore;

// Developer switches read from the environment once, at the end of launching. A variable
// that is set, even to an empty value, switches its hook on; the environment is read
// afresh for each. Delayed hooks run on the main scheduler and do nothing once their
// context object is gone.
//
//   VESK_CLOUDKIT_PROBE  runs the cloud probe and logs its result
//   VESK_DEMO            an ActivityKind's raw value: its sample, 1.0 s later
//   VESK_SEED_TRAY       a folder whose entries, then a ":"-separated path list, are copied
//                        into the tray
//   VESK_SETTINGS        opens the settings window 0.6 s later
//   VESK_REQUEST_CALENDAR asks for calendar access 1.5 s later
//   VESK_OPEN            clicks the notch 1.0 s later; "tray" also selects the tray tab
namespace DeveloperHooks {

inline constexpr double demoDelay = 1.0;
inline constexpr double settingsDelay = 0.6;
inline constexpr double calendarDelay = 1.5;
inline constexpr double openDelay = 1.0;
inline constexpr double demoDuration = 600;
inline const QString cloudContainerID = QStringLiteral("iCloud.app.tessarn.notch");

// What the hooks act on. A hook whose target is missing does nothing.
struct Targets {
    std::function<Date()> now;
    // The container to probe (null: this system's own).
    std::shared_ptr<CloudContainer> cloudContainer;
    std::function<bool(const ActivityPayload&)> submit;
    // Shows a payload on the active display.
    std::function<void(const ActivityPayload&)> present;
    // Sends an event to the active display's model.
    std::function<void(const NotchEvent&)> sendToActiveModel;
    std::function<TrayStore*()> trayStore;
    // Every model's tray items := the store's items.
    std::function<void()> republishTray;
    std::function<void()> openSettings;
    std::function<void()> requestCalendarAccess;
    // A line for the diagnostics trace.
    std::function<void(const QString&)> log;
};

using Lookup = std::function<std::optional<QString>(const char* name)>;
// The variable's value when it is set (empty when set to nothing), else nothing.
std::optional<QString> processEnvironment(const char* name);

// Runs the hooks in their order; delayed work is bound to `context`.
void run(const Targets& targets, QObject* context, const Lookup& lookup = processEnvironment);
// VESK_SEED_TRAY's third reading, once the synced store is handed over: its path list
// into the tray again.
void seedTrayAfterSync(const Targets& targets, const Lookup& lookup = processEnvironment);

// The demo activity for a VESK_DEMO value; nothing when the value names no kind.
std::optional<ActivityPayload> demoPayload(const QString& value, Date now);
// File URLs of the non-empty pieces of a ":"-separated list, in order.
QList<QUrl> pathList(const QString& value);
// The entries of a folder, one level, hidden ones included, by name; empty when the
// folder cannot be listed.
QList<QUrl> folderEntries(const QString& path);

} // namespace DeveloperHooks

} // namespace vesk
