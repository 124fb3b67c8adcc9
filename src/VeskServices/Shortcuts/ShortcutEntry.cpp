#include "VeskServices/Shortcuts/ShortcutEntry.h"

#include "VeskKit/Foundation/Json.h"

namespace vesk {

QJsonObject ShortcutEntry::toJson() const {
    const auto same = [](const QString& s) { return s; };
    QJsonObject object{{QStringLiteral("id"), json::fromUuid(id)},
                       {QStringLiteral("shortcutName"), shortcutName}};
    json::insertOptional(object, QStringLiteral("customName"), customName, same);
    object.insert(QStringLiteral("symbol"), symbol);
    json::insertOptional(object, QStringLiteral("textInput"), textInput, same);
    return object;
}

std::optional<ShortcutEntry> ShortcutEntry::fromJson(const QJsonObject& object, QString* error) {
    json::Reader r(object, QStringLiteral("shortcut"));
    ShortcutEntry entry;
    entry.id = r.uuid(QStringLiteral("id"));
    entry.shortcutName = r.string(QStringLiteral("shortcutName"));
    entry.customName = r.optionalString(QStringLiteral("customName"));
    entry.symbol = r.string(QStringLiteral("symbol"));
    entry.textInput = r.optionalString(QStringLiteral("textInput"));
    if (!r.ok()) {
        if (error) *error = r.error();
        return std::nullopt;
    }
    return entry;
}

} // namespace vesk
