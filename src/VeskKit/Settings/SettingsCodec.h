#pragma once

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsTable.h"

#include <QVariant>

#include <optional>
#include <type_traits>

// How each type of setting is kept in the user defaults. A value of the wrong form, or a
// collection with one element of the wrong form, decodes to nothing and the caller falls
// back to the setting's default.
namespace vesk::settingsCodec {

std::optional<bool> decodeBool(const QVariant& value);
std::optional<double> decodeDouble(const QVariant& value);
std::optional<PipelineOrder> decodePipelineOrder(const QVariant& value);
std::optional<WidgetOrder> decodeWidgetOrder(const QVariant& value);
std::optional<WidgetSet> decodeWidgetSet(const QVariant& value);
std::optional<CalendarIdentifiers> decodeCalendars(const QVariant& value);
std::optional<WidgetCells> decodeWidgetCells(const QVariant& value);

QVariant encode(bool value);
QVariant encode(double value);
QVariant encode(const PipelineOrder& value);
QVariant encode(const WidgetOrder& value);
QVariant encode(const WidgetSet& value);
QVariant encode(const CalendarIdentifiers& value);
QVariant encode(const WidgetCells& value);
template <RawStringEnum E> QVariant encode(E value) {
    return toRaw(value);
}

// Strings sorted ascending by Unicode scalar values of their canonical (NFC) form.
QStringList sortedStrings(QStringList strings);

// min(max(value, lowest), highest); a value that is not a number becomes `lowest`.
double clamp(double value, double lowest, double highest);

template <typename T> std::optional<T> decode(const QVariant& value) {
    if constexpr (std::is_same_v<T, bool>)
        return decodeBool(value);
    else if constexpr (std::is_same_v<T, double>)
        return decodeDouble(value);
    else if constexpr (std::is_same_v<T, PipelineOrder>)
        return decodePipelineOrder(value);
    else if constexpr (std::is_same_v<T, WidgetOrder>)
        return decodeWidgetOrder(value);
    else if constexpr (std::is_same_v<T, WidgetSet>)
        return decodeWidgetSet(value);
    else if constexpr (std::is_same_v<T, CalendarIdentifiers>)
        return decodeCalendars(value);
    else if constexpr (std::is_same_v<T, WidgetCells>)
        return decodeWidgetCells(value);
    else {
        static_assert(RawStringEnum<T>, "a setting type needs a storage form");
        if (value.typeId() != QMetaType::QString) return std::nullopt;
        return fromRaw<T>(value.toString());
    }
}

// The stored value under `key` read in its setting's form, or `fallback`.
template <typename T> T read(const UserDefaults& defaults, const QString& key, const T& fallback) {
    if constexpr (RawStringEnum<T>) {
        // Enumerations read through the string-for-key semantics, as the platform does.
        const auto text = defaults.string(key);
        if (!text) return fallback;
        return decode<T>(*text).value_or(fallback);
    } else {
        const auto object = defaults.object(key);
        if (!object) return fallback;
        return decode<T>(*object).value_or(fallback);
    }
}

} // namespace vesk::settingsCodec
