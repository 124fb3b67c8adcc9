#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

// How an output device is attached. Raw values are the case names.
enum class AudioTransport { builtIn, bluetooth, usb, hdmi, displayPort, airPlay, virtual_, other };

namespace detail {
inline constexpr std::array<std::pair<AudioTransport, std::string_view>, 8> audioTransportTable{{
    {AudioTransport::builtIn, "builtIn"},
    {AudioTransport::bluetooth, "bluetooth"},
    {AudioTransport::usb, "usb"},
    {AudioTransport::hdmi, "hdmi"},
    {AudioTransport::displayPort, "displayPort"},
    {AudioTransport::airPlay, "airPlay"},
    {AudioTransport::virtual_, "virtual"},
    {AudioTransport::other, "other"},
}};
} // namespace detail

inline QString toRaw(AudioTransport transport) {
    for (const auto& [item, raw] : detail::audioTransportTable)
        if (item == transport) return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    return {};
}

inline std::optional<AudioTransport> audioTransportFromRaw(QStringView raw) {
    for (const auto& [item, text] : detail::audioTransportTable)
        if (raw == QLatin1StringView(text.data(), qsizetype(text.size()))) return item;
    return std::nullopt;
}

inline constexpr std::array<AudioTransport, 8> allAudioTransports() {
    std::array<AudioTransport, 8> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i] = detail::audioTransportTable[i].first;
    return cases;
}

} // namespace vesk
