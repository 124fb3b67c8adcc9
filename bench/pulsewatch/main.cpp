// A bare libpulse subscriber: the sound server's own delivery time for a volume change,
// with nothing of a user interface around it. Follows one sink (the one named on the
// command line, else the default sink) and prints, for every change of it,
//   <read-time> volume <percent> <event-time>
// where <event-time> is when the change event arrived and <read-time> when the new
// volume had been read back (what any client must do before it can show the value).
// Times are CLOCK_MONOTONIC nanoseconds. The first line is "<time> ready <percent>".
#include <pulse/pulseaudio.h>

#include <time.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int64_t now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct State {
    pa_mainloop_api* api = nullptr;
    std::string sinkName;
    uint32_t sinkIndex = PA_INVALID_INDEX;
    bool ready = false;
    int status = 0;
};

int percent(const pa_cvolume& volume) {
    return int(std::lround(double(pa_cvolume_max(&volume)) * 100.0 / PA_VOLUME_NORM));
}

struct Read {
    State* state;
    int64_t eventTime;
};

void sinkRead(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* read = static_cast<Read*>(userdata);
    if (eol != 0) {
        delete read;
        return;
    }
    State* state = read->state;
    if (!state->ready) {
        state->sinkIndex = info->index;
        state->ready = true;
        std::printf("%" PRId64 " ready %d\n", now(), percent(info->volume));
    } else {
        std::printf("%" PRId64 " volume %d %" PRId64 "\n", now(), percent(info->volume), read->eventTime);
    }
    std::fflush(stdout);
}

void serverRead(pa_context* context, const pa_server_info* info, void* userdata) {
    auto* state = static_cast<State*>(userdata);
    if (state->sinkName.empty() && info && info->default_sink_name) state->sinkName = info->default_sink_name;
    if (state->sinkName.empty()) {
        std::fprintf(stderr, "pulsewatch: the sound server has no default sink\n");
        state->status = 1;
        state->api->quit(state->api, 1);
        return;
    }
    pa_operation_unref(
        pa_context_get_sink_info_by_name(context, state->sinkName.c_str(), sinkRead, new Read{state, now()}));
}

void subscribed(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* userdata) {
    const int64_t t = now();
    auto* state = static_cast<State*>(userdata);
    if (!state->ready || index != state->sinkIndex) return;
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SINK) return;
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_CHANGE) return;
    pa_operation_unref(pa_context_get_sink_info_by_index(context, index, sinkRead, new Read{state, t}));
}

void contextState(pa_context* context, void* userdata) {
    auto* state = static_cast<State*>(userdata);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        pa_context_set_subscribe_callback(context, subscribed, state);
        pa_operation_unref(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr));
        pa_operation_unref(pa_context_get_server_info(context, serverRead, state));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        std::fprintf(stderr, "pulsewatch: %s\n", pa_strerror(pa_context_errno(context)));
        state->status = 1;
        state->api->quit(state->api, 1);
        break;
    default:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    State state;
    if (argc > 1) state.sinkName = argv[1];
    pa_mainloop* loop = pa_mainloop_new();
    state.api = pa_mainloop_get_api(loop);
    pa_context* context = pa_context_new(state.api, "vesk-bench-pulsewatch");
    pa_context_set_state_callback(context, contextState, &state);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        std::fprintf(stderr, "pulsewatch: %s\n", pa_strerror(pa_context_errno(context)));
        return 1;
    }
    int result = 0;
    pa_mainloop_run(loop, &result);
    pa_context_unref(context);
    pa_mainloop_free(loop);
    return state.status;
}
