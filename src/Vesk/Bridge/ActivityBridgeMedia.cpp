// The now-playing half of the bridge: the adapter's start, the ambient copy kept while
// something plays, and one pill per new item.
#include "Vesk/Bridge/ActivityBridge.h"

#include "Vesk/Bridge/ActivityPayloads.h"
#include "VeskKit/Settings/SettingsStore.h"

#include <syslog.h>

namespace vesk {

namespace {

constexpr double mediaSelfTestTimeout = 5.0;
constexpr double ambientDuration = 3600;

// What a viewer sees of a payload, leaving out its identity and timing.
bool looksAlike(const ActivityPayload& a, const ActivityPayload& b) {
    return a.kind == b.kind && a.dedupeKey == b.dedupeKey && a.leading == b.leading && a.title == b.title &&
           a.subtitle == b.subtitle && a.trailing == b.trailing && a.interaction == b.interaction;
}

QString orDash(const std::optional<QString>& text) {
    return text.value_or(QStringLiteral("-"));
}

} // namespace

void ActivityBridge::startMedia() {
    NowPlayingSource* source = media();
    if (!source) return;
    // Blocks the main thread for at most the timeout, once, at start.
    const bool passed = !m_services.mediaSelfTest || m_services.mediaSelfTest(mediaSelfTestTimeout);
    trace(QStringLiteral("media adapter present, selfTest=") +
          (passed ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral(" at ") +
          resourcesDirectory());
    if (!passed) {
        syslog(LOG_USER | LOG_WARNING, "%s", "[VeskNotch] media adapter self-test failed — falling back");
        return;
    }
    source->start();
    m_mediaStarted = true;
    consume(source->states(), &ActivityBridge::handleNowPlaying);
}

void ActivityBridge::handleNowPlaying(const NowPlayingState& state) {
    if (m_onNowPlayingChange) m_onNowPlayingChange(state);
    updateAmbient(state);

    const QString key = state.itemKey();
    trace(QStringLiteral("media playing=") +
          (state.isPlaying ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral(" title=") +
          orDash(state.title) + QStringLiteral(" key=") + key.left(24) + QStringLiteral(" art=") +
          QString::number(state.artwork ? state.artwork->size() : 0));

    // A paused item is not remembered, so resuming it gives no pill and a new item that
    // starts paused gives its pill when it plays.
    if (!state.isPlaying || key.isEmpty() || m_lastMediaItemKey == key) return;
    m_lastMediaItemKey = key;
    if (!m_primed.contains(QStringLiteral("media"))) {
        m_primed.insert(QStringLiteral("media"));
        trace(QStringLiteral("media primed, suppressing first pill"));
        return;
    }
    if (!m_settings.nowPlayingEnabled() || !m_settings.nowPlayingPeekOnChange()) return;
    trace(QStringLiteral("media EMIT ") + orDash(state.title));
    offer(payloads::nowPlaying(state, ActivityPriority::queued, m_settings.inactivityTimeout(), now()));
}

void ActivityBridge::updateAmbient(const NowPlayingState& state) {
    if (!state.isPlaying || !m_settings.nowPlayingEnabled()) {
        m_coordinator.setAmbient(std::nullopt);
        // An ambient copy already showing would otherwise go on, waveform moving, for
        // the rest of its hour.
        if (m_coordinator.expireAmbient() && m_onCurrentChanged) m_onCurrentChanged();
        return;
    }
    const ActivityPayload copy =
        payloads::nowPlaying(state, ActivityPriority::ambient, ambientDuration, now());
    m_coordinator.setAmbient(copy);
    // Likewise a showing copy of an earlier state (another track, artwork that came
    // later) gives way to the new one.
    const std::optional<ActivityPayload>& current = m_coordinator.current();
    if (current && current->priority == ActivityPriority::ambient && !looksAlike(*current, copy) &&
        m_coordinator.expireAmbient() && m_onCurrentChanged)
        m_onCurrentChanged();
}

} // namespace vesk
