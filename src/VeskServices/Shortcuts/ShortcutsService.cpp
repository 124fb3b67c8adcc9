#include "VeskServices/Shortcuts/ShortcutsService.h"

#include "VeskKit/Foundation/Collation.h"
#include "VeskPlatform/Shortcuts/ShortcutScripts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace vesk {

ShortcutsService::ShortcutsService(const QString& containerName)
    : ShortcutsService(containerName, Environment{}) {}

ShortcutsService::ShortcutsService(const QString& containerName, Environment environment)
    : m_scripts(environment.scripts),
      m_file(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
             containerName + QStringLiteral("/shortcuts.json")),
      m_write(QStringLiteral("shortcuts.json"), [this](QString* error) {
          QJsonArray array;
          for (const ShortcutEntry& entry : std::as_const(m_chosen))
              array.append(entry.toJson());
          return m_file.save(array, error);
      }) {
    if (!m_scripts) {
        m_ownScripts = ShortcutScripts::create();
        m_scripts = m_ownScripts.get();
    }
    QDir().mkpath(QFileInfo(m_file.path()).absolutePath());
    m_chosen = m_file.load<ShortcutEntry>(&ShortcutEntry::fromJson);
}

ShortcutsService::~ShortcutsService() {
    // A list whose last write failed has one more try.
    m_write.writeIfWaiting();
}

bool ShortcutsService::canList() const {
    return m_scripts->canList();
}

void ShortcutsService::available(QObject* context, std::function<void(QStringList)> done) const {
    m_scripts->list(context, [done = std::move(done)](QStringList names) {
        sortByLocalizedName(names, [](const QString& name) { return name; });
        done(names);
    });
}

void ShortcutsService::run(const ShortcutEntry& entry) {
    m_scripts->run(entry.shortcutName, entry.textInput);
}

void ShortcutsService::add(const ShortcutEntry& entry) {
    const bool chosen = std::any_of(m_chosen.cbegin(), m_chosen.cend(), [&](const ShortcutEntry& e) {
        return e.shortcutName == entry.shortcutName;
    });
    if (chosen) return;
    m_chosen.append(entry);
    save();
}

void ShortcutsService::remove(const ShortcutEntry& entry) {
    m_chosen.removeIf([&](const ShortcutEntry& e) { return e.id == entry.id; });
    save();
}

void ShortcutsService::update(const ShortcutEntry& entry) {
    const auto found = std::find_if(m_chosen.begin(), m_chosen.end(),
                                    [&](const ShortcutEntry& e) { return e.id == entry.id; });
    if (found == m_chosen.end()) return;
    *found = entry;
    save();
}

void ShortcutsService::save() {
    m_write.write();
    if (m_onChange) m_onChange(m_chosen);
}

} // namespace vesk
