#include "VeskKit/Settings/SettingsCodec.h"

#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk::settingsCodec {

namespace {

// The array's strings, or nothing when it is not an array of strings only.
std::optional<QStringList> strings(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) return value.toStringList();
    if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
    QStringList result;
    for (const QVariant& element : value.toList()) {
        if (element.typeId() != QMetaType::QString) return std::nullopt;
        result.append(element.toString());
    }
    return result;
}

// Strings that name no case are dropped; order and repeats stay.
template <typename E> std::optional<QList<E>> identifiers(const QVariant& value) {
    const auto raws = strings(value);
    if (!raws) return std::nullopt;
    QList<E> result;
    for (const QString& raw : *raws)
        if (const auto id = fromRaw<E>(raw)) result.append(*id);
    return result;
}

template <typename E> QVariantList raws(const QList<E>& ids) {
    QVariantList result;
    for (const E id : ids)
        result.append(toRaw(id));
    return result;
}

QVariantList toVariantList(const QStringList& strings) {
    QVariantList result;
    for (const QString& s : strings)
        result.append(s);
    return result;
}

} // namespace

std::optional<bool> decodeBool(const QVariant& value) {
    return UserDefaults::exactBool(value);
}

std::optional<double> decodeDouble(const QVariant& value) {
    return UserDefaults::exactDouble(value);
}

std::optional<PipelineOrder> decodePipelineOrder(const QVariant& value) {
    return identifiers<PipelineID>(value);
}

std::optional<WidgetOrder> decodeWidgetOrder(const QVariant& value) {
    return identifiers<WidgetID>(value);
}

std::optional<WidgetSet> decodeWidgetSet(const QVariant& value) {
    const auto ids = identifiers<WidgetID>(value);
    if (!ids) return std::nullopt;
    return WidgetSet(ids->begin(), ids->end());
}

std::optional<CalendarIdentifiers> decodeCalendars(const QVariant& value) {
    const auto list = strings(value);
    if (!list) return std::nullopt;
    return CalendarIdentifiers(list->begin(), list->end());
}

std::optional<WidgetCells> decodeWidgetCells(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantMap) return std::nullopt;
    const QVariantMap map = value.toMap();
    WidgetCells result;
    for (auto it = map.begin(); it != map.end(); ++it) {
        const auto count = UserDefaults::exactInteger(it.value());
        if (!count) return std::nullopt;
        const auto widget = fromRaw<WidgetID>(it.key());
        if (!widget) continue;
        // Counts are not clamped on read; one beyond what an int holds is simply huge.
        result.insert(*widget, int(std::clamp<qint64>(*count, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max())));
    }
    return result;
}

QVariant encode(bool value) {
    return value;
}

QVariant encode(double value) {
    return value;
}

QVariant encode(const PipelineOrder& value) {
    return raws(value);
}

QVariant encode(const WidgetOrder& value) {
    return raws(value);
}

QVariant encode(const WidgetSet& value) {
    QStringList names;
    for (const WidgetID id : value)
        names.append(toRaw(id));
    return toVariantList(sortedStrings(names));
}

QVariant encode(const CalendarIdentifiers& value) {
    return toVariantList(sortedStrings(QStringList(value.begin(), value.end())));
}

QVariant encode(const WidgetCells& value) {
    QVariantMap map;
    for (auto it = value.begin(); it != value.end(); ++it)
        map.insert(toRaw(it.key()), QVariant::fromValue<qint64>(it.value()));
    return map;
}

QStringList sortedStrings(QStringList strings) {
    std::stable_sort(strings.begin(), strings.end(), [](const QString& a, const QString& b) {
        const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
        const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
        return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
    });
    return strings;
}

double clamp(double value, double lowest, double highest) {
    if (std::isnan(value)) return lowest;
    return std::min(std::max(value, lowest), highest);
}

} // namespace vesk::settingsCodec
