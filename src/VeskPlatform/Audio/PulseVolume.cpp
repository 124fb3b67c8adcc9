#include "VeskPlatform/Audio/PulseVolume.h"

#include "VeskKit/Foundation/StepLevel.h"

#include <algorithm>
#include <cmath>

namespace vesk::pulse {

std::optional<double> shownVolume(const pa_cvolume& volume) {
    if (!pa_cvolume_valid(&volume)) return std::nullopt;
    return std::min(1.0, levelForSteps(pa_cvolume_max(&volume), PA_VOLUME_NORM));
}

std::optional<pa_cvolume> volumeForFraction(const pa_cvolume& current, double fraction) {
    if (!pa_cvolume_valid(&current)) return std::nullopt;
    if (!std::isfinite(fraction)) fraction = 0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (fraction >= 1.0 && pa_cvolume_max(&current) >= PA_VOLUME_NORM) return std::nullopt;
    const auto target = static_cast<pa_volume_t>(std::lround(fraction * double(PA_VOLUME_NORM)));
    pa_cvolume result = current;
    if (!pa_cvolume_scale(&result, target)) return std::nullopt;
    return result;
}

} // namespace vesk::pulse
