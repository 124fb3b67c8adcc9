#include "VeskPlatform/Workspace/GioDesktopApplications.h"

#include "VeskPlatform/Files/TypeIcons.h"
#include "VeskPlatform/Workspace/GioLaunchContext.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace vesk {

namespace {

// Owns one GObject reference.
template <typename T> struct GObjectRef {
    T* object = nullptr;
    explicit GObjectRef(T* o) : object(o) {}
    ~GObjectRef() {
        if (object) g_object_unref(object);
    }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
    explicit operator bool() const { return object != nullptr; }
};

QString text(const char* utf8) {
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

DesktopEntry describe(GDesktopAppInfo* info, const QString& id) {
    auto* app = G_APP_INFO(info);
    return DesktopEntry{.id = id,
                        .name = text(g_app_info_get_name(app)),
                        .path = QFile::decodeName(g_desktop_app_info_get_filename(info)),
                        .startupWMClass = text(g_desktop_app_info_get_startup_wm_class(info)),
                        .executable = QFile::decodeName(g_app_info_get_executable(app))};
}

GDesktopAppInfo* loadFile(const QString& path) {
    if (path.isEmpty()) return nullptr;
    return g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
}

// The folders whose "applications" subfolder holds desktop entries, as GIO reads them.
QStringList dataFolders() {
    QStringList folders{QFile::decodeName(g_get_user_data_dir())};
    for (const gchar* const* dir = g_get_system_data_dirs(); dir && *dir; ++dir)
        folders << QFile::decodeName(*dir);
    return folders;
}

QIcon iconOf(GIcon* icon) {
    if (G_IS_THEMED_ICON(icon)) {
        for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name; ++name) {
            const QIcon themed = QIcon::fromTheme(QString::fromUtf8(*name));
            if (!themed.isNull()) return themed;
        }
    } else if (G_IS_FILE_ICON(icon)) {
        GFile* file = g_file_icon_get_file(G_FILE_ICON(icon));
        char* path = file ? g_file_get_path(file) : nullptr;
        const QString iconPath = QFile::decodeName(path);
        g_free(path);
        if (!iconPath.isEmpty() && QFileInfo(iconPath).isFile()) {
            const QIcon fromFile(iconPath);
            if (!fromFile.isNull()) return fromFile;
        }
    }
    return {};
}

} // namespace

std::unique_ptr<DesktopApplications> DesktopApplications::create() {
    return std::make_unique<GioDesktopApplications>();
}

namespace {

// Built where the theme is known: after the search folders and fallback theme are set.
IconThemeFiles themeFiles() {
    uti::ensureIconTheme();
    return IconThemeFiles();
}

} // namespace

GioDesktopApplications::GioDesktopApplications()
    : m_iconFiles(themeFiles()),
      // GIO reads and indexes every entry on its first question; ask it here, off the
      // main thread. Its state is process-wide and locked, so later calls find it built.
      m_scan([] { g_list_free_full(g_app_info_get_all(), g_object_unref); }) {}

GioDesktopApplications::~GioDesktopApplications() {
    m_scan.join();
}

QList<DesktopEntry> GioDesktopApplications::installed() const {
    QList<DesktopEntry> entries;
    QSet<QString> seen;
    GList* all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        auto* app = G_APP_INFO(item->data);
        if (!G_IS_DESKTOP_APP_INFO(app) || !g_app_info_should_show(app)) continue;
        const QString id = text(g_app_info_get_id(app));
        // GIO already lets the first folder win; keep one per id regardless.
        if (id.isEmpty() || seen.contains(id)) continue;
        seen.insert(id);
        entries.append(describe(G_DESKTOP_APP_INFO(app), id));
    }
    g_list_free_full(all, g_object_unref);
    return entries;
}

std::optional<DesktopEntry> GioDesktopApplications::entry(const QString& id) const {
    if (id.isEmpty()) return std::nullopt;
    GObjectRef<GDesktopAppInfo> info(g_desktop_app_info_new(id.toUtf8().constData()));
    if (!info) return std::nullopt;
    return describe(info.object, id);
}

std::optional<DesktopEntry> GioDesktopApplications::load(const QString& path) const {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    GObjectRef<GDesktopAppInfo> info(loadFile(absolute));
    if (!info) return std::nullopt;
    return describe(info.object, desktopFileID(absolute));
}

bool GioDesktopApplications::launch(const QString& path, QString* error) const {
    GObjectRef<GDesktopAppInfo> info(loadFile(path));
    if (!info) {
        if (error) *error = QStringLiteral("%1 is not an application entry").arg(path);
        return false;
    }
    GObjectRef<GAppLaunchContext> context(childEnvironment::newLaunchContext());
    GError* failure = nullptr;
    const bool launched = g_app_info_launch(G_APP_INFO(info.object), nullptr, context.object, &failure);
    if (!launched && error)
        *error = failure ? QString::fromUtf8(failure->message) : QStringLiteral("unknown error");
    if (failure) g_error_free(failure);
    return launched;
}

QIcon GioDesktopApplications::icon(const QString& path) const {
    GObjectRef<GDesktopAppInfo> info(loadFile(path));
    if (!info) return {};
    uti::ensureIconTheme();
    if (GIcon* icon = g_app_info_get_icon(G_APP_INFO(info.object))) {
        const QIcon found = iconOf(icon);
        if (!found.isNull()) return found;
    }
    return QIcon::fromTheme(QStringLiteral("application-x-executable"));
}

QImage GioDesktopApplications::iconImage(const QString& path, int pixels) const {
    GObjectRef<GDesktopAppInfo> info(loadFile(path));
    if (!info) return {};
    QStringList names;
    if (GIcon* icon = g_app_info_get_icon(G_APP_INFO(info.object))) {
        if (G_IS_THEMED_ICON(icon)) {
            for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name;
                 ++name)
                names << QString::fromUtf8(*name);
        } else if (G_IS_FILE_ICON(icon)) {
            GFile* file = g_file_icon_get_file(G_FILE_ICON(icon));
            char* iconPath = file ? g_file_get_path(file) : nullptr;
            const QImage image = IconThemeFiles::read(QFile::decodeName(iconPath), pixels);
            g_free(iconPath);
            if (!image.isNull()) return image;
        }
    }
    names << QStringLiteral("application-x-executable");
    for (const QString& name : std::as_const(names)) {
        const QString file = m_iconFiles.find(name, pixels);
        if (file.isEmpty()) continue;
        const QImage image = IconThemeFiles::read(file, pixels);
        if (!image.isNull()) return image;
    }
    return {};
}

QString GioDesktopApplications::desktopFileID(const QString& path) {
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& folder : dataFolders()) {
        if (folder.isEmpty()) continue;
        const QString applications =
            QDir::cleanPath(folder + QStringLiteral("/applications")) + QLatin1Char('/');
        if (file.startsWith(applications))
            return file.mid(applications.size()).replace(QLatin1Char('/'), QLatin1Char('-'));
    }
    return QFileInfo(file).fileName();
}

} // namespace vesk
