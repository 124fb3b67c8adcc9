#include "VeskServices/Shortcuts/ShortcutSeeder.h"

#include "VeskKit/Foundation/Collation.h"

#include <QUuid>

#include <array>
#include <utility>

namespace vesk {

namespace {

// Names with these words are picked first, in this order.
constexpr std::array<const char*, 24> priorityKeywords{
    "timer",    "focus",     "do not disturb", "dnd",        "screenshot", "screen recording",
    "lock",     "sleep",     "shut down",      "brightness", "volume",     "mute",
    "wifi",     "bluetooth", "airdrop",        "airplane",   "note",       "reminder",
    "calendar", "music",     "play",           "shazam",     "battery",    "low power"};

// Keyword to symbol; the first keyword a name contains wins.
constexpr std::array<std::pair<const char*, const char*>, 55> symbolTable{{
    {"timer", "timer"},
    {"alarm", "alarm"},
    {"stopwatch", "stopwatch"},
    {"do not disturb", "moon.fill"},
    {"dnd", "moon.fill"},
    {"focus", "moon.fill"},
    {"screenshot", "camera.viewfinder"},
    {"screen record", "record.circle"},
    {"record", "record.circle"},
    {"lock", "lock.fill"},
    {"sleep", "powersleep"},
    {"shut down", "power"},
    {"restart", "arrow.clockwise"},
    {"brightness", "sun.max.fill"},
    {"dark", "circle.lefthalf.filled"},
    {"light", "lightbulb.fill"},
    {"lamp", "lightbulb.fill"},
    {"volume", "speaker.wave.2.fill"},
    {"mute", "speaker.slash.fill"},
    {"wifi", "wifi"},
    {"bluetooth", "antenna.radiowaves.left.and.right"},
    {"airdrop", "airplayaudio"},
    {"airplane", "airplane"},
    {"vpn", "lock.shield"},
    {"note", "note.text"},
    {"reminder", "checklist"},
    {"todo", "checklist"},
    {"calendar", "calendar"},
    {"meeting", "video.fill"},
    {"zoom", "video.fill"},
    {"mail", "envelope.fill"},
    {"message", "message.fill"},
    {"music", "music.note"},
    {"play", "play.fill"},
    {"shazam", "shazam.logo"},
    {"podcast", "mic.fill"},
    {"battery", "battery.100"},
    {"low power", "battery.25"},
    {"charge", "bolt.fill"},
    {"purifier", "wind"},
    {"fan", "wind"},
    {"air", "wind"},
    {"temperature", "thermometer"},
    {"heat", "flame.fill"},
    {"home", "house.fill"},
    {"camera", "camera.fill"},
    {"photo", "photo.fill"},
    {"download", "arrow.down.circle.fill"},
    {"upload", "arrow.up.circle.fill"},
    {"trash", "trash.fill"},
    {"clean", "sparkles"},
    {"search", "magnifyingglass"},
    {"translate", "character.bubble"},
    {"weather", "cloud.sun.fill"},
    {"map", "map.fill"},
}};

bool mentions(const QString& name, const char* keyword) {
    return name.contains(QLatin1String(keyword), Qt::CaseInsensitive);
}

} // namespace

QString ShortcutSeeder::symbol(const QString& name) {
    for (const auto& [keyword, symbol] : symbolTable)
        if (mentions(name, keyword)) return QString::fromLatin1(symbol);
    return QStringLiteral("sparkles");
}

QList<ShortcutEntry> ShortcutSeeder::seed(const QStringList& available, const QSet<QString>& existing) {
    QStringList candidates;
    for (const QString& name : available)
        if (!existing.contains(name)) candidates << name;

    QStringList picked;
    for (const char* keyword : priorityKeywords)
        for (const QString& name : std::as_const(candidates))
            if (mentions(name, keyword) && !picked.contains(name)) picked << name;
    QStringList rest = candidates;
    sortByLocalizedName(rest, [](const QString& name) { return name; });
    for (const QString& name : std::as_const(rest))
        if (!picked.contains(name)) picked << name;

    QList<ShortcutEntry> entries;
    for (const QString& name : picked.first(std::min<qsizetype>(picked.size(), limit)))
        entries.append(ShortcutEntry{.id = QUuid::createUuid(),
                                     .shortcutName = name,
                                     .customName = std::nullopt,
                                     .symbol = symbol(name),
                                     .textInput = std::nullopt});
    return entries;
}

} // namespace vesk
