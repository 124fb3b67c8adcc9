#pragma once

#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <QStringList>

#include <variant>

namespace vesk {

// A transport command sent back to the player.
struct MediaCommand {
    struct Seek {
        double seconds = 0;
        friend bool operator==(const Seek&, const Seek&) = default;
    };
    struct Shuffle {
        ShuffleMode mode = ShuffleMode::off;
        friend bool operator==(const Shuffle&, const Shuffle&) = default;
    };
    struct Repeat {
        RepeatMode mode = RepeatMode::off;
        friend bool operator==(const Repeat&, const Repeat&) = default;
    };
    struct Speed {
        double rate = 1;
        friend bool operator==(const Speed&, const Speed&) = default;
    };
    struct Play {
        friend bool operator==(const Play&, const Play&) = default;
    };
    struct Pause {
        friend bool operator==(const Pause&, const Pause&) = default;
    };
    struct Toggle {
        friend bool operator==(const Toggle&, const Toggle&) = default;
    };
    struct Next {
        friend bool operator==(const Next&, const Next&) = default;
    };
    struct Previous {
        friend bool operator==(const Previous&, const Previous&) = default;
    };
    using Value = std::variant<Seek, Shuffle, Repeat, Speed, Play, Pause, Toggle, Next, Previous>;

    Value value;

    static MediaCommand seek(double seconds) { return {Seek{seconds}}; }
    static MediaCommand shuffle(ShuffleMode mode) { return {Shuffle{mode}}; }
    static MediaCommand repeatMode(RepeatMode mode) { return {Repeat{mode}}; }
    static MediaCommand speed(double rate) { return {Speed{rate}}; }
    static MediaCommand play() { return {Play{}}; }
    static MediaCommand pause() { return {Pause{}}; }
    static MediaCommand toggle() { return {Toggle{}}; }
    static MediaCommand next() { return {Next{}}; }
    static MediaCommand previous() { return {Previous{}}; }

    // The arguments that ask the now-playing adapter to carry the command out.
    QStringList adapterArguments() const;

    friend bool operator==(const MediaCommand&, const MediaCommand&) = default;
};

} // namespace vesk
