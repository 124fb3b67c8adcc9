#pragma once

#include "VeskKit/Foundation/WaitingWrite.h"
#include "VeskServices/QuickApps/QuickApp.h"
#include "VeskServices/Storage/SharedListFile.h"

#include <QDateTime>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class DesktopApplications;
class RunningApplications;
struct DesktopEntry;

// The user's pinned applications for the desk's Quick Apps, kept in "quickapps.json":
// pins them from the installed desktop entries or an entry file, finds where each is
// now, launches it, gives its icon and whether it runs. Main thread only. Two copies of
// the program (one per display) share the file: each save merges in what the other
// pinned or unpinned since. A save that cannot be written keeps the list in memory; it
// waits for the next change, or writeWaiting() at the ending.
class QuickAppsService {
public:
    struct Environment {
        // The desktop's applications and its windows; the system's when null.
        std::shared_ptr<DesktopApplications> applications;
        std::shared_ptr<RunningApplications> running;
    };

    // Keeps its file in the folder `containerName` of the user's data folder ("Vesk" is
    // the application-support folder), made here if missing.
    explicit QuickAppsService(const QString& containerName);
    QuickAppsService(const QString& containerName, Environment environment);
    ~QuickAppsService();
    QuickAppsService(const QuickAppsService&) = delete;
    QuickAppsService& operator=(const QuickAppsService&) = delete;

    const QList<QuickApp>& apps() const { return m_apps; }
    // Called with the new list after every save.
    void setOnChange(std::function<void(const QList<QuickApp>&)> handler) { m_onChange = std::move(handler); }
    // The file "quickapps.json".
    const QString& url() const { return m_file.path(); }
    // Writes the list when its last write failed; true when nothing waits any more.
    bool writeWaiting() { return m_write.writeIfWaiting(); }

    // Pins the app unless one with the same bundleID (compared exactly) is pinned.
    void add(const QuickApp& app);
    // Describes the desktop entry file at `url` and pins it; returns the described app
    // even when an app of its id was pinned already. None for anything but an
    // application entry.
    std::optional<QuickApp> add(const QUrl& url);
    std::optional<QuickApp> describe(const QUrl& url) const;
    // Unpins by id.
    void remove(const QuickApp& app);
    // Moves the app at `from` to `to`, clamped to the list; nothing for a bad `from`.
    void move(int from, int to);

    // The installed applications a menu shows, one per id, sorted by name as the user's
    // locale orders it without regard to case; read off the main thread and handed to
    // `done` on it while `context` lives.
    void installed(QObject* context, std::function<void(QList<QuickApp>)> done) const;

    // The entry file the app now launches from: the desktop's entry for its id, else its
    // stored path while that still loads; none when neither.
    std::optional<QString> resolve(const QuickApp& app) const;
    bool isMissing(const QuickApp& app) const { return !resolve(app); }
    // Starts the app; nothing when it does not resolve. A failure is traced.
    void launch(const QuickApp& app) const;
    // None when the app does not resolve.
    std::optional<QIcon> icon(const QuickApp& app) const;
    bool isRunning(const QuickApp& app) const;

private:
    std::optional<DesktopEntry> resolvedEntry(const QuickApp& app) const;
    // Writes the list (merged with the file) and tells onChange.
    void save();

    // Shared with the worker that lists the installed applications.
    std::shared_ptr<DesktopApplications> m_applications;
    std::shared_ptr<RunningApplications> m_running;
    QList<QuickApp> m_apps;
    SharedListFile<QuickApp> m_file;
    WaitingWrite m_write;
    std::function<void(const QList<QuickApp>&)> m_onChange;
    // By entry file; read again when the file changed.
    struct CachedIcon {
        QDateTime modified;
        QIcon icon;
    };
    mutable QHash<QString, CachedIcon> m_icons;
};

} // namespace vesk
