#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// One shortcut as the desk shows it, identified by `id`.
struct ShortcutEntry {
    QUuid id;
    // The shortcut's own name; this is what runs.
    QString shortcutName;
    // A label the user gave it.
    std::optional<QString> customName;
    QString symbol;
    // Text handed to the shortcut as its input.
    std::optional<QString> textInput;

    // The custom name when there is one, even an empty one; else the shortcut's name.
    QString displayName() const { return customName ? *customName : shortcutName; }

    // The stored form: keys named as the fields, absent optionals left out.
    QJsonObject toJson() const;
    // Needs "id", "shortcutName" and "symbol".
    static std::optional<ShortcutEntry> fromJson(const QJsonObject& object, QString* error = nullptr);

    friend bool operator==(const ShortcutEntry&, const ShortcutEntry&) = default;
};

} // namespace vesk
