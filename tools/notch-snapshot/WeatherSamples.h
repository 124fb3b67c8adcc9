#pragma once

#include <memory>

namespace vesk {
class WeatherProvider;
}

namespace vesk::snapshot {

enum class WeatherSample { reading, needsLocation, denied, failed };

// A weather model in the sample's state, over canned location and weather services.
// The one made before is released.
WeatherProvider& sampleWeather(WeatherSample sample);

} // namespace vesk::snapshot
