#pragma once

#include "VeskServices/NowPlaying/NowPlayingSource.h"

#include <QList>

namespace vesk::test {

// A now-playing source whose states the test publishes by hand.
class FakeNowPlayingSource final : public NowPlayingSource {
public:
    NewestStream<NowPlayingState> states() const override { return m_states; }
    Capability capabilities() const override { return Capability::universalNowPlaying; }
    void start() override {
        ++starts;
        running = true;
    }
    void stop() override {
        ++stops;
        running = false;
    }
    void send(const MediaCommand& command) override { sent << command; }

    void publish(const NowPlayingState& state) const { m_states.yield(state); }

    int starts = 0;
    int stops = 0;
    bool running = false;
    QList<MediaCommand> sent;

private:
    NewestStream<NowPlayingState> m_states{4};
};

} // namespace vesk::test
