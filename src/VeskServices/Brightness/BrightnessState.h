#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace vesk {

struct BrightnessState {
    enum class Source { displayServices, ioKit, unavailable };

    double level = 0;
    bool isAvailable = false;
    Source source = Source::unavailable;

    friend bool operator==(const BrightnessState&, const BrightnessState&) = default;
};

namespace brightness_source_detail {
struct Entry {
    BrightnessState::Source value;
    const char* raw;
};
inline constexpr std::array<Entry, 3> table{{
    {BrightnessState::Source::displayServices, "displayServices"},
    {BrightnessState::Source::ioKit, "ioKit"},
    {BrightnessState::Source::unavailable, "unavailable"},
}};
} // namespace brightness_source_detail

inline QString toRaw(BrightnessState::Source source) {
    for (const auto& entry : brightness_source_detail::table)
        if (entry.value == source) return QString::fromLatin1(entry.raw);
    return {};
}

inline std::optional<BrightnessState::Source> brightnessSourceFromRaw(QStringView raw) {
    for (const auto& entry : brightness_source_detail::table)
        if (raw == QLatin1String(entry.raw)) return entry.value;
    return std::nullopt;
}

inline constexpr std::array<BrightnessState::Source, 3> allBrightnessSources{
    BrightnessState::Source::displayServices, BrightnessState::Source::ioKit,
    BrightnessState::Source::unavailable};

} // namespace vesk
