#pragma once

#include <QString>

#include <variant>

namespace vesk {

// The element drawn at the trailing side of an activity pill.
class ActivityTrailing {
public:
    enum class Kind {
        bar,      // a level bar
        percent,  // a percentage readout
        waveform, // the playback waveform, moving or still
        text,     // a short text
        none,
    };

    ActivityTrailing() = default;

    static ActivityTrailing bar(double value) { return ActivityTrailing(Kind::bar, value); }
    static ActivityTrailing percent(double value) { return ActivityTrailing(Kind::percent, value); }
    static ActivityTrailing waveform(bool isPlaying) { return ActivityTrailing(Kind::waveform, isPlaying); }
    static ActivityTrailing text(QString text) { return ActivityTrailing(Kind::text, std::move(text)); }
    static ActivityTrailing none() { return {}; }

    Kind kind() const { return m_kind; }

    // The value of `bar` and `percent`; 0 for the other cases.
    double value() const {
        if (const auto* v = std::get_if<double>(&m_value)) return *v;
        return 0;
    }
    // `isPlaying` of `waveform`; false for the other cases.
    bool isPlaying() const {
        if (const auto* playing = std::get_if<bool>(&m_value)) return *playing;
        return false;
    }
    // The text of `text`; empty for the other cases.
    QString text() const {
        if (const auto* t = std::get_if<QString>(&m_value)) return *t;
        return {};
    }

    friend bool operator==(const ActivityTrailing&, const ActivityTrailing&) = default;

private:
    using Value = std::variant<std::monostate, double, bool, QString>;

    ActivityTrailing(Kind kind, Value value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind = Kind::none;
    Value m_value;
};

} // namespace vesk
