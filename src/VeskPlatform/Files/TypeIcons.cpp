#include "VeskPlatform/Files/TypeIcons.h"

#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskPlatform/Workspace/IconThemeFiles.h"

#include <QDir>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QStandardPaths>

#include <mutex>

namespace vesk::uti {

namespace {

struct ClassIcon {
    const char* identifier;
    const char* icon;
};

constexpr ClassIcon classIcons[] = {
    {"public.image", "image-x-generic"}, {"public.audio", "audio-x-generic"},
    {"public.movie", "video-x-generic"}, {"public.text", "text-x-generic"},
    {"public.folder", "folder"},
};

} // namespace

// Without a desktop session Qt names no icon theme at all, and the "hicolor" default
// holds no file-type icons. Fill in only what is missing: the theme search path, a
// theme name, and Adwaita (installed with the program) as the fallback theme.
void ensureIconTheme() {
    static std::once_flag once;
    std::call_once(once, [] {
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
            const QString icons = QDir(dir).filePath(QStringLiteral("icons"));
            if (!paths.contains(icons)) paths.append(icons);
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty()) QIcon::setThemeName(QStringLiteral("hicolor"));
        const QString fallback = QIcon::fallbackThemeName();
        if (fallback.isEmpty() || fallback == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    });
}

QStringList iconNames(const QString& identifier) {
    QStringList names;
    const QString known = isKnown(identifier) ? identifier : QString::fromUtf16(data);
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeTypeForIdentifier(known));
    if (type.isValid()) {
        names << type.iconName() << type.genericIconName();
    }
    for (const ClassIcon& c : classIcons)
        if (known == QLatin1String(c.identifier)) names << QString::fromLatin1(c.icon);
    if (names.isEmpty()) names << QStringLiteral("application-x-generic");
    names.removeDuplicates();
    return names;
}

QImage iconImage(const QString& identifier, int pixels) {
    ensureIconTheme();
    // The theme's files read by their own format: Qt's icon loader would ask every image
    // plugin about each PNG, loading decoders the program never needs.
    static const IconThemeFiles files;
    static std::mutex mutex;
    static QHash<QPair<QString, int>, QImage> made;
    const QPair<QString, int> key(identifier, pixels);
    {
        std::lock_guard lock(mutex);
        if (const auto found = made.constFind(key); found != made.cend()) return *found;
    }
    QImage image;
    for (const QString& name : iconNames(identifier)) {
        image = IconThemeFiles::read(files.find(name, pixels), pixels);
        if (!image.isNull()) break;
    }
    std::lock_guard lock(mutex);
    made.insert(key, image);
    return image;
}

} // namespace vesk::uti
