#include "VeskServices/QuickApps/QuickAppsService.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Collation.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/JsonListFile.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskPlatform/Workspace/RunningApplications.h"
#include "VeskServices/Storage/JsonListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>

namespace vesk {

namespace {

// Merged lists keep the first app pinned for each id.
QList<QuickApp> onePerID(QList<QuickApp> apps) {
    QSet<QString> pinned;
    apps.removeIf([&pinned](const QuickApp& app) {
        if (pinned.contains(app.bundleID)) return true;
        pinned.insert(app.bundleID);
        return false;
    });
    return apps;
}

QuickApp quickApp(const DesktopEntry& entry) {
    return QuickApp{.id = QUuid::createUuid(), .bundleID = entry.id, .name = entry.name, .path = entry.path};
}

} // namespace

QuickAppsService::QuickAppsService(const QString& containerName)
    : QuickAppsService(containerName, Environment{}) {}

QuickAppsService::QuickAppsService(const QString& containerName, Environment environment)
    : m_applications(std::move(environment.applications)), m_running(std::move(environment.running)),
      m_file(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
                 containerName + QStringLiteral("/quickapps.json"),
             {.decode = [](const QJsonObject& object) { return QuickApp::fromJson(object); },
              .encode =
                  [](QList<QuickApp>& apps) {
                      return json_list::encode(apps, [](const QuickApp& app) { return app.toJson(); });
                  },
              .tidy = &onePerID}),
      m_write(QStringLiteral("quickapps.json"),
              [this](QString* error) { return m_file.write(m_apps, error); }) {
    if (!m_applications) m_applications = DesktopApplications::create();
    if (!m_running) m_running = RunningApplications::create();
    const QString folder = QFileInfo(m_file.path()).absolutePath();
    files::makePrivateFolder(folder);
    files::restrictToOwner(folder);
    files::restrictToOwner(m_file.path());
    // A damaged file gives the entries that still read; it is kept aside by the first save
    // that still finds it damaged.
    m_apps = JsonListFile(m_file.path()).load<QuickApp>(&QuickApp::fromJson);
    m_file.setSeen(m_apps);
}

QuickAppsService::~QuickAppsService() {
    m_write.writeIfWaiting();
}

void QuickAppsService::add(const QuickApp& app) {
    const bool pinned = std::any_of(m_apps.cbegin(), m_apps.cend(),
                                    [&](const QuickApp& a) { return a.bundleID == app.bundleID; });
    if (pinned) return;
    m_apps.append(app);
    save();
}

std::optional<QuickApp> QuickAppsService::add(const QUrl& url) {
    std::optional<QuickApp> app = describe(url);
    if (app) add(*app);
    return app;
}

std::optional<QuickApp> QuickAppsService::describe(const QUrl& url) const {
    if (!url.isLocalFile()) return std::nullopt;
    const std::optional<DesktopEntry> entry = m_applications->load(url.toLocalFile());
    if (!entry) return std::nullopt;
    return quickApp(*entry);
}

void QuickAppsService::remove(const QuickApp& app) {
    // `app` may be one of our own entries, gone once the list changes.
    const auto id = app.id;
    m_apps.removeIf([&id](const QuickApp& a) { return a.id == id; });
    save();
}

void QuickAppsService::move(int from, int to) {
    const int n = int(m_apps.size());
    if (from < 0 || from >= n) return;
    const QuickApp app = m_apps.takeAt(from);
    m_apps.insert(std::max(std::min(n - 1, to), 0), app);
    save();
}

void QuickAppsService::installed(QObject* context, std::function<void(QList<QuickApp>)> done) const {
    const bool bound = context != nullptr;
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start(
        [applications = m_applications, bound, guard, done = std::move(done)]() mutable {
            QList<QuickApp> apps;
            for (const DesktopEntry& entry : applications->installed())
                apps.append(quickApp(entry));
            sortByLocalizedName(apps, [](const QuickApp& app) { return app.name; });
            onMain([bound, guard, done = std::move(done), apps = std::move(apps)] {
                if (!bound || guard) done(apps);
            });
        });
}

std::optional<DesktopEntry> QuickAppsService::resolvedEntry(const QuickApp& app) const {
    if (std::optional<DesktopEntry> entry = m_applications->entry(app.bundleID)) return entry;
    if (app.path) return m_applications->load(*app.path);
    return std::nullopt;
}

std::optional<QString> QuickAppsService::resolve(const QuickApp& app) const {
    const std::optional<DesktopEntry> entry = resolvedEntry(app);
    if (!entry) return std::nullopt;
    return entry->path;
}

void QuickAppsService::launch(const QuickApp& app) const {
    const std::optional<QString> path = resolve(app);
    if (!path) return;
    QString error;
    if (!m_applications->launch(*path, &error))
        TraceLog::trace(QStringLiteral("quick app %1 did not launch: %2").arg(app.bundleID, error));
}

std::optional<QIcon> QuickAppsService::icon(const QuickApp& app) const {
    const std::optional<QString> path = resolve(app);
    if (!path) return std::nullopt;
    // One icon per entry file: Qt's pixmap cache keys the sizes drawn by the icon, so a new
    // icon at every desk opening would add its pixmaps again each time.
    const QDateTime modified = QFileInfo(*path).lastModified();
    const auto found = m_icons.constFind(*path);
    if (found != m_icons.cend() && found->modified == modified) return found->icon;
    const QIcon icon = m_applications->icon(*path);
    m_icons.insert(*path, CachedIcon{modified, icon});
    return icon;
}

bool QuickAppsService::isRunning(const QuickApp& app) const {
    return m_running->isRunning(resolvedEntry(app).value_or(
        DesktopEntry{.id = app.bundleID, .name = {}, .path = {}, .startupWMClass = {}, .executable = {}}));
}

void QuickAppsService::save() {
    // Another copy of the program (another display) may have saved meanwhile: what it
    // pinned and unpinned is merged in, one app per id. A list the disk cannot take waits.
    m_write.write();
    if (m_onChange) m_onChange(m_apps);
}

} // namespace vesk
