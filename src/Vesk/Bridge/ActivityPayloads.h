#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskServices/Battery/BatteryState.h"
#include "VeskServices/Bluetooth/BluetoothDevice.h"
#include "VeskServices/Focus/FocusModeState.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <QString>

#include <optional>

namespace vesk {

class SettingsStore;

// The activities the bridge offers, one builder per kind of event. Each makes a fresh
// id, stamps `now` and reads the settings it honours afresh; a builder answers nothing
// when the settings turn that activity off.
namespace payloads {

// "1 hr 5 min remaining", "45 min remaining"; nothing without an estimate.
std::optional<QString> batterySubtitle(std::optional<double> timeRemaining);
// "in 5 min", or "Starting now" within the last minute.
QString calendarSubtitle(double secondsUntilStart);
// "Until you turn it off", or "Until 14:30" in local time.
QString keepAwakeSubtitle(std::optional<Date> until);

std::optional<ActivityPayload> sound(const AudioState& state, const SettingsStore& settings, Date now);
std::optional<ActivityPayload> display(double level, const SettingsStore& settings, Date now);
ActivityPayload keyboardBacklight(double level, Date now);
// `timeRemaining` is the battery's current estimate, for the subtitle.
std::optional<ActivityPayload> battery(const BatteryEvent& event, std::optional<double> timeRemaining,
                                       const SettingsStore& settings, Date now);
// The pill of a new item (queued) or the quiet copy kept while playing (ambient); the
// caller decides whether either is wanted.
ActivityPayload nowPlaying(const NowPlayingState& state, ActivityPriority priority, double duration,
                           Date now);
std::optional<ActivityPayload> focus(const FocusModeState& state, const SettingsStore& settings, Date now);
std::optional<ActivityPayload> bluetooth(const BluetoothEvent& event, const SettingsStore& settings,
                                         Date now);
ActivityPayload unlocked(Date now);
ActivityPayload calendar(const QString& eventId, const QString& title, double secondsUntilStart, Date now);
ActivityPayload keepAwake(bool isOn, std::optional<Date> until, Date now);

} // namespace payloads
} // namespace vesk
