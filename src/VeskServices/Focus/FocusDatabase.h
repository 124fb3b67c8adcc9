#pragma once

#include <QString>

#include <optional>

namespace vesk {

// The name and symbol of the Focus mode that is on.
struct FocusModeIdentity {
    QString name;
    std::optional<QString> symbol;
    friend bool operator==(const FocusModeIdentity&, const FocusModeIdentity&) = default;
};

// The system's Focus database ("Assertions.json" and "ModeConfigurations.json"),
// read only. Where the files are absent, unreadable or laid out otherwise, it knows
// of no active mode.
class FocusDatabase {
public:
    explicit FocusDatabase(QString folder = defaultFolder());
    // The home folder + "Library/DoNotDisturb/DB".
    static QString defaultFolder();

    const QString& folder() const { return m_folder; }
    // Whether "Assertions.json" can be read (no parsing).
    bool isReadable() const;
    // The mode named by the first assertion record, or nothing.
    std::optional<FocusModeIdentity> activeMode() const;

private:
    QString m_folder;
};

} // namespace vesk
