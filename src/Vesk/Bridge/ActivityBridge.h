#pragma once

#include "Vesk/Bridge/KeyIntent.h"
#include "VeskKit/Activity/ActivityCoordinator.h"
#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Sound/SoundPlayer.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskServices/Battery/BatteryService.h"
#include "VeskServices/Bluetooth/BluetoothService.h"
#include "VeskServices/Brightness/BrightnessService.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/EventTap/EventTapService.h"
#include "VeskServices/Focus/FocusService.h"
#include "VeskServices/Idle/IdleService.h"
#include "VeskServices/KeyboardBacklight/KeyboardBacklightService.h"
#include "VeskServices/NowPlaying/NowPlayingSource.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class SettingsStore;

// Owns every system service and turns what they report into activities: one task per
// service stream on the main thread, a payload per event worth showing, offered to the
// coordinator and handed to `present` only when the coordinator made it current. Also
// keeps the coordinator's ambient now-playing payload and Focus gate up to date, plays
// the lock sounds, toggles keep-awake and handles the media keys. Main thread only.
class ActivityBridge final : public QObject {
    Q_OBJECT
public:
    using Present = std::function<void(const ActivityPayload&)>;

    // The services the bridge owns. The program takes the machine's own; tests hand in
    // services over fake layers.
    struct Services {
        std::unique_ptr<AudioService> audio;
        std::unique_ptr<BatteryService> battery;
        std::unique_ptr<BrightnessService> brightness;
        std::unique_ptr<KeyboardBacklightService> keyboardBacklight;
        std::unique_ptr<EventTapService> eventTap;
        std::unique_ptr<FocusService> focus;
        std::unique_ptr<BluetoothService> bluetooth;
        std::unique_ptr<CalendarService> calendar;
        std::unique_ptr<IdleService> idle;
        std::unique_ptr<SoundPlayer> sounds;
        // What is playing; none when the now-playing adapter is not installed.
        std::unique_ptr<NowPlayingSource> media;
        // Tests the adapter before the source starts, blocking for at most `timeout`
        // seconds; none counts as passed.
        std::function<bool(double timeout)> mediaSelfTest;

        // The machine's own, created in the order the bridge lists them.
        static Services system();
    };

    // Nothing is started until start(). Every service but `media` must be given.
    ActivityBridge(ActivityCoordinator& coordinator, SettingsStore& settings, Present present,
                   Services services = Services::system(), QObject* parent = nullptr);
    ~ActivityBridge() override;

    // Starts every service and consumes their streams. Once.
    void start();
    // Cancels every stream task and the delayed Bluetooth start, then stops the services
    // that have a stop (ending keep-awake); brightness, backlight and the key tap go on.
    void stop();
    // Chooses the tap's mode from the settings and (re)starts it with the media-key handler.
    // With the setting on, keys another program held when last tried are tried afresh;
    // while still held the tap listens and tries them again at its health checks.
    void startEventTap();
    // The media-key handler: true when the key was applied and the tap may swallow it.
    bool handleMediaKey(const MediaKeyEvent& event);
    // Announces the next calendar event once, while calendar access is granted.
    void checkUpcomingEvent();
    // Reads the calendars afresh (hard) and, once that read answered, announces an
    // upcoming event it found: the settings window's "Refresh now".
    void refreshCalendar();
    // Copies the calendar settings into the calendar service's filter.
    void applyCalendarFilter();
    // Flips keep-awake for the chosen duration and announces the new state.
    void toggleKeepAwake();
    // Asks for Bluetooth and, when granted, starts the Bluetooth service; `answered`
    // learns whether it was granted.
    void requestBluetoothPermission(std::function<void(bool granted)> answered = {});

    // Called after a payload of ambient priority was ended or replaced while current,
    // so the shell can push the coordinator's new current payload to the surface.
    void setOnCurrentChanged(std::function<void()> handler) { m_onCurrentChanged = std::move(handler); }
    // Called with every now-playing state, before anything else is done with it.
    void setOnNowPlayingChange(std::function<void(const NowPlayingState&)> handler) {
        m_onNowPlayingChange = std::move(handler);
    }

    // The folder the now-playing adapter is looked for in: the program's own.
    static QString resourcesDirectory();

    AudioService& audio() const { return *m_services.audio; }
    // Absent without the adapter.
    NowPlayingSource* media() const { return m_services.media.get(); }
    // Whether start() started the media source (it does not after a failed self-test).
    bool isMediaStarted() const { return m_mediaStarted; }
    // Whether what plays anywhere can show: a started source that reads every player.
    bool isUniversalNowPlaying() const {
        return media() && m_mediaStarted && media()->capabilities().contains(Capability::universalNowPlaying);
    }
    BatteryService& battery() const { return *m_services.battery; }
    BrightnessService& brightness() const { return *m_services.brightness; }
    KeyboardBacklightService& keyboardBacklight() const { return *m_services.keyboardBacklight; }
    EventTapService& eventTap() const { return *m_services.eventTap; }
    FocusService& focus() const { return *m_services.focus; }
    BluetoothService& bluetooth() const { return *m_services.bluetooth; }
    CalendarService& calendar() const { return *m_services.calendar; }
    IdleService& idle() const { return *m_services.idle; }
    KeyIntent& keyIntent() { return m_keyIntent; }

    BluetoothStartResult bluetoothStatus() const { return m_bluetoothStatus; }
    const BuildProfile& profile() const { return m_profile; }
    // Names of the streams whose first value has been seen: "audio", "focus", "media".
    const QSet<QString>& primed() const { return m_primed; }
    // The item key of the last playing item considered for a pill.
    const std::optional<QString>& lastMediaItemKey() const { return m_lastMediaItemKey; }
    // Calendar event ids already announced.
    const QSet<QString>& announcedEvents() const { return m_announcedEvents; }
    // Stream tasks running now.
    int taskCount() const { return static_cast<int>(m_tasks.size()); }

    // The trace log: one line when tracing is on.
    static void trace(const QString& message);
    static void diag(const QString& message) { trace(message); }
    static QStringList recentLogLines(int limit);

Q_SIGNALS:
    void bluetoothStatusChanged(BluetoothStartResult status);
    // The key tap announced a new status (it may intercept, or no longer).
    void eventTapStatusChanged();

private:
    Date now() const { return m_coordinator.clock().now(); }
    void offer(const std::optional<ActivityPayload>& payload);
    void setBluetoothStatus(BluetoothStartResult status);
    // Low thresholds of battery and Bluetooth from the settings.
    void applyThresholds();
    // Tells the tap which keys the handler would consume now.
    void updateConsumableKeys();
    void startBluetoothWhenIdle();
    // One task per stream on the main thread. The bridge is the context: once it is
    // gone its tasks take nothing more.
    template <typename T, typename Handler> void consume(const NewestStream<T>& stream, Handler handler) {
        m_tasks.append(stream.consume(this, [this, handler](T value) { (this->*handler)(value); }));
    }

    void startMedia();
    void handleAudio(const AudioState& state);
    void handleAudioSettable(bool settable);
    void handleNowPlaying(const NowPlayingState& state);
    void updateAmbient(const NowPlayingState& state);
    void handleBattery(const BatteryEvent& event);
    void handleFocus(const FocusModeState& state);
    void handleBrightness(const BrightnessState& state);
    void handleBacklight(double level);
    void handleBluetooth(const BluetoothEvent& event);
    void handleLock(ScreenLockEvent event);

    ActivityCoordinator& m_coordinator;
    SettingsStore& m_settings;
    Present m_present;
    Services m_services;
    QList<TaskHandle> m_tasks;
    TaskHandle m_bluetoothStart;
    QMetaObject::Connection m_settingsObserver;
    QSet<QString> m_primed;
    bool m_mediaStarted = false;
    BluetoothStartResult m_bluetoothStatus = BluetoothStartResult::needsPermission;
    std::function<void()> m_onCurrentChanged;
    std::function<void(const NowPlayingState&)> m_onNowPlayingChange;
    std::optional<QString> m_lastMediaItemKey;
    QSet<QString> m_announcedEvents;
    BuildProfile m_profile = BuildProfile::current();
    KeyIntent m_keyIntent;
};

} // namespace vesk
