#pragma once

#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskKit/Foundation/NewestStream.h"
#include "VeskServices/NowPlaying/MediaCommand.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"

namespace vesk {

// A provider of what is playing, and of control over it.
class NowPlayingSource {
public:
    virtual ~NowPlayingSource() = default;

    virtual NewestStream<NowPlayingState> states() const = 0;
    // What the provider can honour.
    virtual Capability capabilities() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual void send(const MediaCommand& command) = 0;
};

} // namespace vesk
