#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace vesk {

// An enumeration whose raw value is a fixed string (usually the case name) declares
// it by specialising this template with a constexpr `entries` array of
// {case, raw} pairs in declaration order. toRaw, fromRaw, allCases and qHash follow.
template <typename E> struct RawEnumTable;

template <typename E>
concept RawStringEnum = std::is_enum_v<E> && requires {
    RawEnumTable<E>::entries;
};

template <RawStringEnum E> QString toRaw(E value) {
    for (const auto& [item, raw] : RawEnumTable<E>::entries)
        if (item == value) return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    return {};
}

// Case-sensitive; any string that is not exactly one of the raw values yields nothing.
template <RawStringEnum E> std::optional<E> fromRaw(QStringView raw) {
    for (const auto& [item, text] : RawEnumTable<E>::entries)
        if (raw == QLatin1StringView(text.data(), qsizetype(text.size()))) return item;
    return std::nullopt;
}

template <RawStringEnum E> constexpr auto allCases() {
    constexpr auto& entries = RawEnumTable<E>::entries;
    std::array<E, entries.size()> cases{};
    for (std::size_t i = 0; i < entries.size(); ++i)
        cases[i] = entries[i].first;
    return cases;
}

template <RawStringEnum E> size_t qHash(E value, size_t seed = 0) noexcept {
    return ::qHash(static_cast<std::underlying_type_t<E>>(value), seed);
}

} // namespace vesk
