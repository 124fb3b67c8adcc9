#pragma once

#include <pulse/volume.h>

#include <optional>

namespace vesk::pulse {

// The volume shown for a sink: its loudest channel as a fraction of the normal
// volume, exact, at most 1 (a boosted sink reads as full). Nothing for an invalid volume.
std::optional<double> shownVolume(const pa_cvolume& volume);

// Channel volumes that put the loudest channel at `fraction` (0...1) of the normal
// volume and keep the balance between channels. Nothing when the sink should be left
// alone: asking for full volume never lowers a sink boosted above it. The volume shown
// for `current` gives `current` itself, since a unit is 1/65536 and so exact in a double.
std::optional<pa_cvolume> volumeForFraction(const pa_cvolume& current, double fraction);

} // namespace vesk::pulse
