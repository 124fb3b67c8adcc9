#pragma once

#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskPlatform/Workspace/RunningApplications.h"

#include <QCoreApplication>
#include <QHash>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <atomic>

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
    mutable std::atomic<int> icons{0};
    QIcon icon(const QString&) const override {
        ++icons;
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
    // Counts its calls, and those on the main thread.
    mutable std::atomic<int> iconImages{0};
    mutable std::atomic<int> iconImagesOnMain{0};
    QImage iconImage(const QString&, int pixels) const override {
        ++iconImages;
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++iconImagesOnMain;
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        return image;
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
