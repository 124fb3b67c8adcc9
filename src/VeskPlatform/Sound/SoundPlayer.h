#pragma once

#include <QString>

#include <functional>

namespace vesk {

// Plays short named system sounds. Playing never fails loudly: without a sound system
// there is simply no sound.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Starts the sound and returns at once. `done`, when given, runs later on the main
    // thread with whether the sound was played to its end.
    virtual void play(const QString& name, std::function<void(bool played)> done = {}) = 0;
};

} // namespace vesk
