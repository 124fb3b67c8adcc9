#pragma once

#include <QString>

#include <optional>

namespace vesk {

// The Focus (do-not-disturb) state as the Focus service publishes it.
struct FocusModeState {
    bool isActive = false;
    std::optional<QString> modeName;
    // A symbol name; "moon.fill" when nothing better is known.
    QString symbol = QStringLiteral("moon.fill");

    QString displayName() const { return modeName.value_or(QStringLiteral("Focus")); }

    friend bool operator==(const FocusModeState&, const FocusModeState&) = default;
};

} // namespace vesk
