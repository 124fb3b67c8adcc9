#include "VeskPlatform/Audio/PulseAudioHardware.h"

#include "VeskPlatform/Audio/PulseSinkTransport.h"
#include "VeskPlatform/Audio/PulseVolume.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <vector>

namespace vesk {

namespace {

struct SinkRecord {
    QString name;
    QString description;
    AudioTransport transport = AudioTransport::other;
    pa_cvolume confirmed{};
    // What readers see: the last volume asked for while a change is on its way,
    // else the server's. Key repeats then build on each other instead of on a stale value.
    pa_cvolume shown{};
    bool muted = false;
    std::vector<pa_operation*> pendingSets;
};

quint32 deviceIdForIndex(uint32_t index) {
    return index + 1;
}

QString text(const char* value) {
    return value ? QString::fromUtf8(value) : QString();
}

PulseSinkFacts factsOf(const pa_sink_info& info) {
    PulseSinkFacts facts;
    facts.name = text(info.name);
    void* state = nullptr;
    while (const char* key = pa_proplist_iterate(info.proplist, &state)) {
        if (const char* value = pa_proplist_gets(info.proplist, key))
            facts.properties.insert(QString::fromUtf8(key), QString::fromUtf8(value));
    }
    if (info.active_port) {
        facts.activePortType = info.active_port->type;
        facts.activePortName = text(info.active_port->name);
        facts.activePortDescription = text(info.active_port->description);
    }
    return facts;
}

// For requests whose answer, if any, comes through their callback.
void forget(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

void releaseFinished(std::vector<pa_operation*>& operations, bool all) {
    std::erase_if(operations, [all](pa_operation* operation) {
        if (!all && pa_operation_get_state(operation) == PA_OPERATION_RUNNING) return false;
        pa_operation_unref(operation);
        return true;
    });
}

} // namespace

struct PulseAudioHardware::Impl {
    using Event = AudioHardwareEvent;
    using Kind = AudioHardwareEvent::Kind;

    Options options;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;

    // Touched only with the loop's lock held.
    pa_context* context = nullptr;
    pa_time_event* retryEvent = nullptr;
    int failures = 0;
    bool shuttingDown = false;
    QString confirmedDefault;

    // The cache readers on any thread see; the loop's lock, when needed, is taken first.
    mutable std::mutex cacheMutex;
    AudioHardwareStatus status = AudioHardwareStatus::waiting;
    QString shownDefault;
    std::map<uint32_t, SinkRecord> sinks;

    std::mutex observerMutex;
    std::map<int, Observer> observers;
    int nextToken = 1;

    void notify(const std::vector<Event>& events) {
        if (events.empty()) return;
        std::lock_guard lock(observerMutex);
        for (const Event& event : events)
            for (auto& [token, observer] : observers)
                observer(event);
    }

    bool isReady() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }

    void connect() {
        dropContext();
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "VeskNotch");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "app.tessarn.notch");
        context = pa_context_new_with_proplist(api, "VeskNotch", properties);
        pa_proplist_free(properties);
        if (!context) {
            fail();
            return;
        }
        pa_context_set_state_callback(context, &Impl::onContextState, this);
        pa_context_set_subscribe_callback(context, &Impl::onSubscription, this);
        const QByteArray server = options.server.toUtf8();
        // Never start a server of our own: the desktop session owns that.
        if (pa_context_connect(context, server.isEmpty() ? nullptr : server.constData(),
                               PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            fail();
    }

    void dropContext() {
        if (!context) return;
        {
            std::lock_guard lock(cacheMutex);
            for (auto& [index, sink] : sinks)
                releaseFinished(sink.pendingSets, true);
        }
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    // The connection failed or went away. The context is released later, from the
    // retry timer: never from inside one of its own callbacks.
    void fail() {
        confirmedDefault.clear();
        std::vector<Event> events;
        {
            std::lock_guard lock(cacheMutex);
            for (auto& [index, sink] : sinks)
                releaseFinished(sink.pendingSets, true);
            sinks.clear();
            shownDefault.clear();
            if (status != AudioHardwareStatus::unavailable) {
                status = AudioHardwareStatus::unavailable;
                events.push_back({Kind::statusChanged, 0});
            }
        }
        notify(events);
        scheduleRetry();
    }

    void scheduleRetry() {
        if (shuttingDown || retryEvent) return;
        const double delay = std::min(options.firstRetryDelay * std::pow(2.0, failures),
                                      std::max(options.longestRetryDelay, 0.0));
        failures = std::min(failures + 1, 30);
        struct timeval due {};
        pa_gettimeofday(&due);
        pa_timeval_add(&due, static_cast<pa_usec_t>(std::max(delay, 0.0) * PA_USEC_PER_SEC));
        retryEvent = api->time_new(api, &due, &Impl::onRetry, this);
    }

    void finishLoading() {
        std::vector<Event> events;
        {
            std::lock_guard lock(cacheMutex);
            if (status == AudioHardwareStatus::ready) return;
            status = AudioHardwareStatus::ready;
            events.push_back({Kind::statusChanged, 0});
        }
        notify(events);
    }

    void apply(const pa_sink_info& info) {
        std::vector<Event> events;
        {
            std::lock_guard lock(cacheMutex);
            const bool isNew = !sinks.contains(info.index);
            SinkRecord& sink = sinks[info.index];
            const PulseSinkFacts facts = factsOf(info);
            const AudioTransport transport = transportForSink(facts);
            const QString description = text(info.description);
            const bool describedChanged =
                !isNew &&
                (sink.name != facts.name || sink.description != description || sink.transport != transport);
            const bool levelChanged =
                !isNew && (!pa_cvolume_equal(&sink.confirmed, &info.volume) || sink.muted != bool(info.mute));
            sink.name = facts.name;
            sink.description = description;
            sink.transport = transport;
            sink.confirmed = info.volume;
            sink.muted = info.mute != 0;
            releaseFinished(sink.pendingSets, false);
            if (sink.pendingSets.empty()) sink.shown = sink.confirmed;
            if (status == AudioHardwareStatus::ready) {
                const quint32 id = deviceIdForIndex(info.index);
                if (isNew) {
                    events.push_back({Kind::devicesChanged, id});
                    if (sink.name == shownDefault) events.push_back({Kind::defaultDeviceChanged, id});
                } else {
                    if (levelChanged) events.push_back({Kind::deviceChanged, id});
                    if (describedChanged) events.push_back({Kind::devicesChanged, id});
                }
            }
        }
        notify(events);
    }

    void removeSink(uint32_t index) {
        std::vector<Event> events;
        {
            std::lock_guard lock(cacheMutex);
            auto it = sinks.find(index);
            if (it == sinks.end()) return;
            const bool wasDefault = it->second.name == shownDefault;
            releaseFinished(it->second.pendingSets, true);
            sinks.erase(it);
            if (status == AudioHardwareStatus::ready) {
                events.push_back({Kind::devicesChanged, deviceIdForIndex(index)});
                if (wasDefault) events.push_back({Kind::defaultDeviceChanged, 0});
            }
        }
        notify(events);
    }

    void setDefaultName(const QString& name) {
        std::vector<Event> events;
        {
            std::lock_guard lock(cacheMutex);
            if (shownDefault == name) return;
            shownDefault = name;
            if (status == AudioHardwareStatus::ready) events.push_back({Kind::defaultDeviceChanged, 0});
        }
        notify(events);
    }

    void refreshSinks() { forget(pa_context_get_sink_info_list(context, &Impl::onSinkInfo, this)); }

    // libpulse callbacks: all run on the loop's thread with its lock held.

    static void onContextState(pa_context* c, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c != self->context) return;
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY: {
            self->failures = 0;
            const auto mask =
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
            forget(pa_context_subscribe(c, mask, nullptr, nullptr));
            // Answers come in the order asked: the default sink is known before the list ends.
            forget(pa_context_get_server_info(c, &Impl::onServerInfo, self));
            forget(pa_context_get_sink_info_list(c, &Impl::onSinkList, self));
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->fail();
            break;
        default:
            break;
        }
    }

    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        api->time_free(event);
        self->retryEvent = nullptr;
        if (!self->shuttingDown) self->connect();
    }

    static void onSubscription(pa_context* c, pa_subscription_event_type_t type, uint32_t index,
                               void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c != self->context) return;
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
            if (kind == PA_SUBSCRIPTION_EVENT_REMOVE)
                self->removeSink(index);
            else
                forget(pa_context_get_sink_info_by_index(c, index, &Impl::onSinkInfo, self));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            forget(pa_context_get_server_info(c, &Impl::onServerInfo, self));
        }
    }

    static void onServerInfo(pa_context* c, const pa_server_info* info, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c != self->context || !info) return;
        const QString name = text(info->default_sink_name);
        // Other server changes (the default source, say) repeat the same default sink.
        if (name == self->confirmedDefault && !name.isEmpty()) return;
        self->confirmedDefault = name;
        self->setDefaultName(name);
    }

    static void onSinkList(pa_context* c, const pa_sink_info* info, int eol, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c != self->context) return;
        if (eol != 0) {
            self->finishLoading();
            return;
        }
        if (info) self->apply(*info);
    }

    static void onSinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c != self->context || eol != 0 || !info) return;
        self->apply(*info);
    }

    static void onVolumeSet(pa_context* c, int success, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        // A refused change must not stay in the cache as if it had happened.
        if (c == self->context && !success) self->refreshSinks();
    }

    static void onDefaultSet(pa_context* c, int success, void* userdata) {
        auto* self = static_cast<Impl*>(userdata);
        if (c == self->context && !success) self->setDefaultName(self->confirmedDefault);
    }
};

PulseAudioHardware::PulseAudioHardware() : PulseAudioHardware(Options{}) {}

PulseAudioHardware::PulseAudioHardware(Options options) : d(std::make_unique<Impl>()) {
    d->options = std::move(options);
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop) {
        d->status = AudioHardwareStatus::unavailable;
        return;
    }
    d->api = pa_threaded_mainloop_get_api(d->loop);
    pa_threaded_mainloop_set_name(d->loop, "vesk-pulse");
    if (pa_threaded_mainloop_start(d->loop) < 0) {
        pa_threaded_mainloop_free(d->loop);
        d->loop = nullptr;
        d->status = AudioHardwareStatus::unavailable;
        return;
    }
    pa_threaded_mainloop_lock(d->loop);
    d->connect();
    pa_threaded_mainloop_unlock(d->loop);
}

PulseAudioHardware::~PulseAudioHardware() {
    if (!d->loop) return;
    pa_threaded_mainloop_lock(d->loop);
    d->shuttingDown = true;
    if (d->retryEvent) {
        d->api->time_free(d->retryEvent);
        d->retryEvent = nullptr;
    }
    d->dropContext();
    pa_threaded_mainloop_unlock(d->loop);
    pa_threaded_mainloop_stop(d->loop);
    pa_threaded_mainloop_free(d->loop);
}

AudioHardwareSnapshot PulseAudioHardware::snapshot() const {
    std::lock_guard lock(d->cacheMutex);
    AudioHardwareSnapshot snapshot;
    snapshot.status = d->status;
    if (d->status != AudioHardwareStatus::ready) return snapshot;
    snapshot.defaultKey = d->shownDefault;
    for (const auto& [index, sink] : d->sinks) {
        AudioHardwareDevice device;
        device.id = deviceIdForIndex(index);
        device.key = sink.name;
        device.name = sink.description;
        device.transport = sink.transport;
        device.volume = pulse::shownVolume(sink.shown);
        device.isMuted = sink.muted;
        if (!sink.name.isEmpty() && sink.name == d->shownDefault) snapshot.defaultDevice = device.id;
        snapshot.devices.push_back(std::move(device));
    }
    return snapshot;
}

bool PulseAudioHardware::setVolume(quint32 device, double volume) {
    if (device == 0 || !d->loop) return false;
    bool issued = false;
    pa_threaded_mainloop_lock(d->loop);
    if (d->isReady()) {
        std::lock_guard lock(d->cacheMutex);
        auto it = d->sinks.find(device - 1);
        if (it != d->sinks.end()) {
            SinkRecord& sink = it->second;
            const std::optional<pa_cvolume> target = pulse::volumeForFraction(sink.shown, volume);
            if (!target || pa_cvolume_equal(&*target, &sink.shown)) {
                issued = true;
            } else if (pa_operation* operation = pa_context_set_sink_volume_by_index(
                           d->context, device - 1, &*target, &Impl::onVolumeSet, d.get())) {
                sink.pendingSets.push_back(operation);
                sink.shown = *target;
                issued = true;
            }
        }
    }
    pa_threaded_mainloop_unlock(d->loop);
    return issued;
}

bool PulseAudioHardware::setDefaultOutput(quint32 device) {
    if (device == 0 || !d->loop) return false;
    bool issued = false;
    pa_threaded_mainloop_lock(d->loop);
    if (d->isReady()) {
        QString name;
        {
            std::lock_guard lock(d->cacheMutex);
            auto it = d->sinks.find(device - 1);
            if (it != d->sinks.end()) name = it->second.name;
        }
        if (!name.isEmpty()) {
            const QByteArray utf8 = name.toUtf8();
            if (pa_operation* operation =
                    pa_context_set_default_sink(d->context, utf8.constData(), &Impl::onDefaultSet, d.get())) {
                pa_operation_unref(operation);
                d->setDefaultName(name);
                issued = true;
            }
        }
    }
    pa_threaded_mainloop_unlock(d->loop);
    return issued;
}

int PulseAudioHardware::addObserver(Observer observer) {
    std::lock_guard lock(d->observerMutex);
    const int token = d->nextToken++;
    d->observers.emplace(token, std::move(observer));
    return token;
}

void PulseAudioHardware::removeObserver(int token) {
    std::lock_guard lock(d->observerMutex);
    d->observers.erase(token);
}

} // namespace vesk
