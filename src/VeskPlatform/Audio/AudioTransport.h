#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// How an output device is attached. Raw values are the case names.
enum class AudioTransport { builtIn, bluetooth, usb, hdmi, displayPort, airPlay, virtual_, other };

template <> struct RawEnumTable<AudioTransport> {
    static constexpr std::array<std::pair<AudioTransport, std::string_view>, 8> entries{{
        {AudioTransport::builtIn, "builtIn"},
        {AudioTransport::bluetooth, "bluetooth"},
        {AudioTransport::usb, "usb"},
        {AudioTransport::hdmi, "hdmi"},
        {AudioTransport::displayPort, "displayPort"},
        {AudioTransport::airPlay, "airPlay"},
        {AudioTransport::virtual_, "virtual"},
        {AudioTransport::other, "other"},
    }};
};

inline std::optional<AudioTransport> audioTransportFromRaw(QStringView raw) {
    return fromRaw<AudioTransport>(raw);
}

inline constexpr std::array<AudioTransport, 8> allAudioTransports() {
    return allCases<AudioTransport>();
}

} // namespace vesk
