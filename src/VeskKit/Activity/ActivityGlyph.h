#pragma once

#include "VeskKit/Activity/TintName.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace vesk {

// The element drawn at the leading side of an activity pill. Built through the
// factories; `kind()` tells the case and the accessors read its associated value.
class ActivityGlyph {
public:
    enum class Kind {
        symbol,       // a system symbol by name
        symbolTinted, // a system symbol drawn in a named tint
        artwork,      // encoded image bytes; absent bytes mean artwork expected but missing
        progressRing, // a ring showing a progress value
        none,
    };

    ActivityGlyph() = default;

    static ActivityGlyph symbol(QString name) { return ActivityGlyph(Kind::symbol, std::move(name)); }
    static ActivityGlyph symbolTinted(QString name, TintName tint) {
        return ActivityGlyph(Kind::symbolTinted, Tinted{std::move(name), tint});
    }
    static ActivityGlyph artwork(std::optional<QByteArray> bytes) {
        return ActivityGlyph(Kind::artwork, std::move(bytes));
    }
    static ActivityGlyph progressRing(double progress) { return ActivityGlyph(Kind::progressRing, progress); }
    static ActivityGlyph none() { return {}; }

    Kind kind() const { return m_kind; }

    // The symbol name of `symbol` and `symbolTinted`; empty for the other cases.
    QString symbolName() const {
        if (const auto* name = std::get_if<QString>(&m_value)) return *name;
        if (const auto* tinted = std::get_if<Tinted>(&m_value)) return tinted->name;
        return {};
    }
    // The tint of `symbolTinted`.
    std::optional<TintName> tint() const {
        if (const auto* tinted = std::get_if<Tinted>(&m_value)) return tinted->tint;
        return std::nullopt;
    }
    // The bytes of `artwork` (absent also for the other cases: check kind()).
    std::optional<QByteArray> artworkBytes() const {
        if (const auto* bytes = std::get_if<std::optional<QByteArray>>(&m_value)) return *bytes;
        return std::nullopt;
    }
    // The value of `progressRing`; 0 for the other cases.
    double progress() const {
        if (const auto* value = std::get_if<double>(&m_value)) return *value;
        return 0;
    }

    friend bool operator==(const ActivityGlyph&, const ActivityGlyph&) = default;

private:
    struct Tinted {
        QString name;
        TintName tint;
        friend bool operator==(const Tinted&, const Tinted&) = default;
    };
    using Value = std::variant<std::monostate, QString, Tinted, std::optional<QByteArray>, double>;

    ActivityGlyph(Kind kind, Value value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind = Kind::none;
    Value m_value;
};

} // namespace vesk
