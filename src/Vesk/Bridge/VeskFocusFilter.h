#pragma once

#include <QString>

#include <optional>

namespace vesk {

class FocusFilterBridge;

// The Focus filter a user attaches to a Focus mode: which name and symbol the notch
// shows while that Focus is on. Linux desktops have no Focus settings that run
// filters, so only perform() connects it to the rest of the program.
struct VeskFocusFilter {
    // One parameter as the Focus settings list it.
    struct Parameter {
        QString property;
        QString title;
    };
    // How a configured filter is listed.
    struct DisplayRepresentation {
        QString title;
        QString subtitle;
        friend bool operator==(const DisplayRepresentation&, const DisplayRepresentation&) = default;
    };

    static QString title() { return QStringLiteral("Show Focus in the notch"); }
    static QString description() {
        return QStringLiteral(
            "Lets VeskNotch show which Focus is on. Without this, VeskNotch can tell that a "
            "Focus is active but not which one, and shows a generic pill.");
    }
    // In declaration order: showInNotch, modeName, symbolName.
    static const QList<Parameter>& parameters();

    bool showInNotch = true;
    std::optional<QString> modeName;
    // A symbol name.
    std::optional<QString> symbolName;

    DisplayRepresentation displayRepresentation() const;

    // Hands the chosen identity to the shared Focus filter bridge (both values absent
    // when the pill is to stay generic). Never fails.
    void perform() const;
    void perform(FocusFilterBridge& bridge) const;

    friend bool operator==(const VeskFocusFilter&, const VeskFocusFilter&) = default;
};

} // namespace vesk
