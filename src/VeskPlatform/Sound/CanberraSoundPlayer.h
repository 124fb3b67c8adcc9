#pragma once

#include "VeskPlatform/Sound/SoundPlayer.h"

#include <memory>

namespace vesk {

// Named sounds from the freedesktop sound theme through libcanberra. The classic
// names the program uses ("Tink", "Pop") map to theme events; any other name is taken
// as a theme event id. The sound system is reached on a thread of its own, opened at
// the first sound.
class CanberraSoundPlayer final : public SoundPlayer {
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
    CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

    void play(const QString& name, std::function<void(bool played)> done = {}) override;

    // The sound-theme event a name plays.
    static QString eventId(const QString& name);

private:
    struct Core;
    std::unique_ptr<Core> m_core;
};

} // namespace vesk
