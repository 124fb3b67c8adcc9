// The media-key half of the bridge: starting the key tap and deciding, key by key,
// whether the bridge applies a key itself (and the tap may swallow it). Only an
// intercepting tap applies keys; a listening one only notes them.
#include "Vesk/Bridge/ActivityBridge.h"

#include "VeskKit/Settings/SettingsStore.h"

#include <QPointer>

namespace vesk {

namespace {

constexpr double step = 1.0 / 16;
constexpr double fineStep = 1.0 / 64;

} // namespace

void ActivityBridge::startEventTap() {
    QPointer<ActivityBridge> self(this);
    eventTap().setOnStatusChange([self](const EventTapService::Status& status) {
        const QString text = describe(status);
        onMain([self, text] {
            if (!self) return;
            trace(QStringLiteral("event tap → ") + text);
            Q_EMIT self->eventTapStatusChanged();
        });
    });
    eventTap().setHandler(
        [self](const MediaKeyEvent& event) { return self ? self->handleMediaKey(event) : false; });
    // First: the keys tried below are the ones wanted now.
    updateConsumableKeys();
    const bool wanted = m_settings.suppressSystemHUD();
    // A refusal recorded earlier may be stale: the keys are tried afresh before giving up.
    const bool canTake = wanted && (eventTap().hasAccessibility() || eventTap().requestAccessibility());
    const EventTapService::Mode mode =
        canTake ? EventTapService::Mode::intercept : EventTapService::Mode::listen;
    const EventTapService::Status status = eventTap().start(mode);
    if (wanted && !canTake && isRunning(status)) eventTap().retakeKeysWhenFree();
    trace(QStringLiteral("event tap start(") + caseName(mode) + QStringLiteral(") → ") + describe(status));
}

void ActivityBridge::updateConsumableKeys() {
    QSet<MediaKey> keys;
    if (audio().currentState().canSetVolume) keys << MediaKey::soundUp << MediaKey::soundDown;
    if (brightness().isAvailable() && brightness().canSet())
        keys << MediaKey::brightnessUp << MediaKey::brightnessDown;
    if (keyboardBacklight().isAvailable() && keyboardBacklight().canSet())
        keys << MediaKey::illuminationUp << MediaKey::illuminationDown;
    if (keys != eventTap().consumableKeys()) eventTap().setConsumableKeys(keys);
}

bool ActivityBridge::handleMediaKey(const MediaKeyEvent& event) {
    if (!event.isDown) return false;
    const double delta = event.isFineAdjust ? fineStep : step;
    // Stamped before anything is checked, so a key left to the system still lets its
    // level change show a pill.
    if (isBrightness(event.key)) m_keyIntent.stamp(KeyIntent::brightness, now());
    if (isIllumination(event.key)) m_keyIntent.stamp(KeyIntent::illumination, now());
    trace(QStringLiteral("media key ") + caseName(event.key) + QStringLiteral(" down=true fine=") +
          (event.isFineAdjust ? QStringLiteral("true") : QStringLiteral("false")));
    // A listening tap leaves the key to whoever holds it (the desktop, as a rule), and
    // that program changes the level itself: stepping it here too would take two steps
    // per press. The stamps above still let the resulting change show its pill.
    if (eventTap().mode() != EventTapService::Mode::intercept) return false;

    const bool up = event.key == MediaKey::brightnessUp || event.key == MediaKey::illuminationUp ||
                    event.key == MediaKey::soundUp;
    // The display and keyboard backlights step alike.
    const auto stepBacklight = [&](auto& service) {
        if (!service.isAvailable()) return false;
        const std::optional<double> level = service.read();
        // A set that cannot be issued changes nothing, so the system keeps the key.
        return level && service.set(*level + (up ? delta : -delta));
    };
    switch (event.key) {
    case MediaKey::brightnessUp:
    case MediaKey::brightnessDown:
        return stepBacklight(brightness());
    case MediaKey::illuminationUp:
    case MediaKey::illuminationDown:
        return stepBacklight(keyboardBacklight());
    case MediaKey::soundUp:
    case MediaKey::soundDown: {
        // Without a settable volume (no output device, say) the key stays the system's.
        const AudioState state = audio().currentState();
        if (!state.canSetVolume) return false;
        audio().setVolume(state.volume + (up ? delta : -delta));
        return true;
    }
    case MediaKey::mute:
    case MediaKey::play:
    case MediaKey::next:
    case MediaKey::previous:
    case MediaKey::fast:
    case MediaKey::rewind:
        return false;
    }
    return false;
}

} // namespace vesk
