#include "Vesk/Notch/NotchViewModel.h"

#include "Vesk/Notch/NotchPanelInterface.h"
#include "Vesk/Notch/NotchViewModelFields.h"

namespace vesk {

NotchViewModel::NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings, QObject* parent)
    : NotchViewModel(geometry, settings, Environment{}, parent) {}

NotchViewModel::NotchViewModel(const NotchGeometry& geometry, SettingsStore& settings,
                               Environment environment, QObject* parent)
    : QObject(parent), d(std::make_unique<Fields>(geometry, settings, std::move(environment))) {}

NotchViewModel::~NotchViewModel() = default;

// ---- Observable fields

const NotchState& NotchViewModel::state() const {
    return d->state;
}

bool NotchViewModel::isHovering() const {
    return d->isHovering;
}

bool NotchViewModel::isAmbientMedia() const {
    if (d->state.kind() != NotchState::Kind::activity) return false;
    const std::optional<ActivityPayload> payload = d->state.payload();
    return payload && payload->kind == ActivityKind::nowPlaying &&
           payload->priority == ActivityPriority::ambient;
}

const NotchGeometry& NotchViewModel::geometry() const {
    return d->geometry;
}

void NotchViewModel::setGeometry(const NotchGeometry& geometry) {
    if (Fields::assign(d->geometry, geometry)) Q_EMIT geometryChanged();
}

const NowPlayingState& NotchViewModel::nowPlaying() const {
    return d->nowPlaying;
}

void NotchViewModel::setNowPlaying(const NowPlayingState& nowPlaying) {
    if (Fields::assign(d->nowPlaying, nowPlaying)) Q_EMIT nowPlayingChanged();
}

const QList<TrayItem>& NotchViewModel::trayItems() const {
    return d->trayItems;
}

void NotchViewModel::setTrayItems(const QList<TrayItem>& items) {
    if (Fields::assign(d->trayItems, items)) Q_EMIT trayItemsChanged();
}

const QList<Clip>& NotchViewModel::clips() const {
    return d->clips;
}

void NotchViewModel::setClips(const QList<Clip>& clips) {
    if (Fields::assign(d->clips, clips)) Q_EMIT clipsChanged();
}

const QList<AudioOutputDevice>& NotchViewModel::audioDevices() const {
    return d->audioDevices;
}

void NotchViewModel::setAudioDevices(const QList<AudioOutputDevice>& devices) {
    if (Fields::assign(d->audioDevices, devices)) Q_EMIT audioDevicesChanged();
}

const QList<QuickApp>& NotchViewModel::quickApps() const {
    return d->quickApps;
}

void NotchViewModel::setQuickApps(const QList<QuickApp>& apps) {
    if (Fields::assign(d->quickApps, apps)) Q_EMIT quickAppsChanged();
}

const QList<VeskTimer>& NotchViewModel::timers() const {
    return d->timers;
}

void NotchViewModel::setTimers(const QList<VeskTimer>& timers) {
    if (Fields::assign(d->timers, timers)) Q_EMIT timersChanged();
}

const DeskLayout& NotchViewModel::layout() const {
    return d->layout;
}

void NotchViewModel::setLayout(const DeskLayout& layout) {
    if (Fields::assign(d->layout, layout)) Q_EMIT layoutChanged();
}

const MotionSpec& NotchViewModel::motion() const {
    return d->motion;
}

// ---- Owned parts and wiring

SettingsStore& NotchViewModel::settings() const {
    return d->settings;
}

const NotchStateMachine& NotchViewModel::machine() const {
    return d->machine;
}

ScrollGestureRecognizer& NotchViewModel::scroll() {
    return d->scroll;
}

NotchPanelInterface* NotchViewModel::panel() const {
    return d->livePanel();
}

void NotchViewModel::setPanel(NotchPanelInterface* panel) {
    d->panel = panel;
    d->panelLifetime = panel ? panel->lifetimeObject() : nullptr;
}

void NotchViewModel::setOnEffect(std::function<void(const NotchEffect&)> handler) {
    d->onEffect = std::move(handler);
}

void NotchViewModel::setOnMediaCommand(std::function<void(const MediaCommand&)> handler) {
    d->onMediaCommand = std::move(handler);
}

const std::function<void(const MediaCommand&)>& NotchViewModel::onMediaCommand() const {
    return d->onMediaCommand;
}

void NotchViewModel::setOnGeometryChange(std::function<void()> handler) {
    d->onGeometryChange = std::move(handler);
}

} // namespace vesk
