#pragma once

#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskPlatform/Workspace/RunningApplications.h"

#include <QHash>
#include <QPixmap>
#include <QSet>
#include <QStringList>

namespace vesk::test {

// Desktop entries held in memory: `byID` is what the desktop resolves ids to, `files`
// what loads from a path. Records what was launched.
class FakeDesktopApplications final : public DesktopApplications {
public:
    QHash<QString, DesktopEntry> byID;
    QHash<QString, DesktopEntry> files;
    mutable QStringList launched;

    QList<DesktopEntry> installed() const override { return {}; }
    std::optional<DesktopEntry> entry(const QString& id) const override {
        if (!byID.contains(id)) return std::nullopt;
        return byID.value(id);
    }
    std::optional<DesktopEntry> load(const QString& path) const override {
        if (!files.contains(path)) return std::nullopt;
        return files.value(path);
    }
    bool launch(const QString& path, QString*) const override {
        launched << path;
        return true;
    }
    QIcon icon(const QString&) const override {
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
};

// Applications running by id.
class FakeRunningApplications final : public RunningApplications {
public:
    QSet<QString> runningIDs;
    bool isRunning(const DesktopEntry& entry) override { return runningIDs.contains(entry.id); }
};

inline DesktopEntry desktopEntry(const QString& id, const QString& name, const QString& path) {
    return DesktopEntry{.id = id, .name = name, .path = path, .startupWMClass = {}, .executable = {}};
}

} // namespace vesk::test
