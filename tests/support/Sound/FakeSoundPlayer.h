#pragma once

#include "VeskPlatform/Sound/SoundPlayer.h"

#include <QStringList>

namespace vesk::test {

// Records the names it is asked to play.
class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& name, std::function<void(bool)> done = {}) override {
        played << name;
        if (done) done(true);
    }
    QStringList played;
};

} // namespace vesk::test
