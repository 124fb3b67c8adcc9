#pragma once

#include "Vesk/Bridge/ActivityBridge.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"

#include "support/Audio/FakeAudioHardware.h"
#include "support/Bluetooth/FakeBluetoothDevices.h"
#include "support/Bridge/FakeNowPlayingSource.h"
#include "support/Calendar/CalendarFixtures.h"
#include "support/DeviceInput/FakeDevices.h"
#include "support/ManualScheduler.h"
#include "support/Power/FakePowerSources.h"
#include "support/Session/FakeSessionLayers.h"
#include "support/Sound/FakeSoundPlayer.h"

#include <QFile>

#include <algorithm>

namespace vesk::test {

// An activity bridge over fake layers, on virtual time: the manual scheduler runs the
// main thread's work and every service queue, and its clock is the coordinator's.
struct BridgeHarness {
    // Layers of the machine's own for the audio and the key tap. With them the main
    // thread's work runs on the real event loop, and the audio on its own queue.
    struct Real {
        AudioHardware* audio = nullptr;
        std::unique_ptr<KeyTap> tap;
    };

    // Without backlights the machine has neither a panel backlight nor a keyboard one.
    explicit BridgeHarness(bool withBacklights = true) : BridgeHarness(withBacklights, Real()) {}
    BridgeHarness(bool withBacklights, Real real) {
        if (!real.audio) mainScheduler.emplace(scheduler);
        ActivityBridge::Services services;
        audio.setReady({speakers(0.5)});
        services.audio = real.audio ? std::make_unique<AudioService>(*real.audio)
                                    : std::make_unique<AudioService>(audio, &scheduler);
        services.battery = std::make_unique<BatteryService>(keep(power));
        services.brightness = std::make_unique<BrightnessService>(keep(display), &scheduler);
        display->device = withBacklights;
        services.keyboardBacklight = std::make_unique<KeyboardBacklightService>(
            keep(backlight, std::make_unique<FakeKeyboardBacklight>(true)), &scheduler);
        backlight->available = withBacklights;
        services.eventTap = real.tap ? std::make_unique<EventTapService>(std::move(real.tap))
                                     : std::make_unique<EventTapService>(keep(tap), [] { return qint64(0); });
        services.focus =
            std::make_unique<FocusService>(keep(dnd), FocusDatabase(QStringLiteral("/nonexistent")));
        services.bluetooth = std::make_unique<BluetoothService>(keep(devices));
        services.calendar = calendar.make();
        services.idle =
            std::make_unique<IdleService>(keep(assertion), keep(session), &scheduler, &scheduler.clock());
        services.sounds = keep(sounds);
        services.media = keep(media);
        services.mediaSelfTest = [this](double timeout) {
            selfTestTimeout = timeout;
            return selfTestPasses;
        };

        bridge = std::make_unique<ActivityBridge>(
            coordinator, settings, [this](const ActivityPayload& payload) { presented << payload; },
            std::move(services));
    }

    // Starts the bridge; the Focus switch answers off and Bluetooth's daemon is reachable.
    void start(bool focusOn = false) {
        devices->answerProbes(true);
        bridge->start();
        dnd->answerStart(focusOn);
        run();
    }

    void run(double seconds = 0) { scheduler.advance(seconds); }
    // As for a user who replaced the system HUDs: the tap intercepts, so the bridge
    // applies the level keys itself.
    void interceptKeys() {
        settings.setSuppressSystemHUD(true);
        bridge->startEventTap();
    }

    // Hands a fake layer over to its service, keeping a pointer to it.
    template <typename T>
    static std::unique_ptr<T> keep(T*& raw, std::unique_ptr<T> owned = std::make_unique<T>()) {
        raw = owned.get();
        return owned;
    }

    static AudioHardwareDevice speakers(double volume, QString name = QStringLiteral("Speakers"),
                                        AudioTransport transport = AudioTransport::builtIn) {
        return AudioHardwareDevice{1, QStringLiteral("speakers"), std::move(name), transport, volume, false};
    }
    // The output's state changes the way the sound server would report it.
    void changeOutput(const std::function<void(AudioHardwareDevice&)>& edit) {
        audio.change(
            [&](AudioHardwareSnapshot& snapshot) {
                for (AudioHardwareDevice& device : snapshot.devices)
                    if (device.id == snapshot.defaultDevice) edit(device);
            },
            {AudioHardwareEvent::Kind::deviceChanged, 1});
        run();
    }

    QList<ActivityPayload> takePresented() { return std::exchange(presented, {}); }
    QStringList presentedKeys() {
        QStringList keys;
        for (const ActivityPayload& payload : takePresented())
            keys << payload.dedupeKey;
        return keys;
    }

    static void enableTracing() { qputenv("VESK_TRACE", "1"); }
    static QStringList traceLines() { return TraceLog::recentLogLines(1000); }
    // True when a trace line ends with `text`.
    static bool traced(const QString& text) {
        const QStringList lines = traceLines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.endsWith(text); });
    }

    ManualScheduler scheduler;
    std::optional<ScopedMainScheduler> mainScheduler;
    ActivityCoordinator coordinator{
        std::shared_ptr<const ClockSource>(std::shared_ptr<void>(), &scheduler.clock())};
    FakeAudioHardware audio;
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    QList<ActivityPayload> presented;
    CalendarHarness calendar{scheduler};

    FakePowerSources* power = nullptr;
    FakeDisplayBrightness* display = nullptr;
    FakeKeyboardBacklight* backlight = nullptr;
    FakeKeyTap* tap = nullptr;
    FakeDoNotDisturb* dnd = nullptr;
    FakeBluetoothDevices* devices = nullptr;
    FakePowerAssertion* assertion = nullptr;
    FakeSessionEvents* session = nullptr;
    FakeSoundPlayer* sounds = nullptr;
    FakeNowPlayingSource* media = nullptr;
    bool selfTestPasses = true;
    std::optional<double> selfTestTimeout;
    std::unique_ptr<ActivityBridge> bridge;
};

inline MediaKeyEvent keyDown(MediaKey key, bool fine = false) {
    return MediaKeyEvent{key, true, false, fine};
}

} // namespace vesk::test
