#include "VeskPlatform/Workspace/IconThemeFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <algorithm>

namespace vesk {

namespace {

constexpr int bitmapSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256, 512};

// The size folders of a theme in the order they are tried for `pixels`.
QStringList sizeFolders(int pixels) {
    QStringList folders;
    for (int size : bitmapSizes)
        if (size >= pixels) folders << QStringLiteral("%1x%1").arg(size);
    folders << QStringLiteral("scalable");
    for (auto it = std::rbegin(bitmapSizes); it != std::rend(bitmapSizes); ++it)
        if (*it < pixels) folders << QStringLiteral("%1x%1").arg(*it);
    return folders;
}

QString existing(const QString& stem, std::initializer_list<const char*> suffixes) {
    for (const char* suffix : suffixes) {
        const QString file = stem + QLatin1String(suffix);
        if (QFileInfo(file).isFile()) return file;
    }
    return {};
}

} // namespace

IconThemeFiles::IconThemeFiles() {
    QStringList themes{QIcon::themeName(), QIcon::fallbackThemeName(), QStringLiteral("hicolor")};
    themes.removeAll(QString());
    themes.removeDuplicates();
    QStringList pixmaps;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        pixmaps << folder + QStringLiteral("/pixmaps");
    QStringList search = QIcon::themeSearchPaths();
    // Qt's resource folders hold no application icons.
    search.removeIf([](const QString& folder) { return folder.startsWith(QLatin1Char(':')); });
    *this = IconThemeFiles(search, themes, pixmaps);
}

IconThemeFiles::IconThemeFiles(QStringList searchFolders, QStringList themes, QStringList pixmapFolders)
    : m_searchFolders(std::move(searchFolders)), m_themes(std::move(themes)),
      m_pixmapFolders(std::move(pixmapFolders)) {}

QString IconThemeFiles::find(const QString& name, int pixels) const {
    // A name is one path segment; anything else is not a theme icon.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..")) return {};
    const QStringList sizes = sizeFolders(pixels);
    for (const QString& theme : m_themes) {
        for (const QString& size : sizes) {
            for (const QString& folder : m_searchFolders) {
                const QString sized = folder + QLatin1Char('/') + theme + QLatin1Char('/') + size;
                // Application icons first; generic ones live among the other kinds.
                QStringList kinds = QDir(sized).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
                if (kinds.removeAll(QStringLiteral("apps"))) kinds.prepend(QStringLiteral("apps"));
                for (const QString& kind : std::as_const(kinds)) {
                    const QString stem = sized + QLatin1Char('/') + kind + QLatin1Char('/') + name;
                    const QString file = size == QLatin1String("scalable")
                                             ? existing(stem, {".svg", ".svgz", ".png"})
                                             : existing(stem, {".png", ".svg"});
                    if (!file.isEmpty()) return file;
                }
            }
        }
    }
    for (const QString& folder : m_pixmapFolders) {
        const QString file = existing(folder + QLatin1Char('/') + name, {".png", ".svg", ".xpm"});
        if (!file.isEmpty()) return file;
    }
    return {};
}

QImage IconThemeFiles::read(const QString& file, int pixels) {
    // Read by the format its name says and by nothing else: a reader left to guess asks
    // every image plugin Qt has, loading them all into the program.
    const QString suffix = QFileInfo(file).suffix().toLower();
    QImage image;
    if (suffix == QLatin1String("svg") || suffix == QLatin1String("svgz")) {
        QSvgRenderer renderer(file);
        if (!renderer.isValid()) return {};
        const QSize size = renderer.defaultSize().isEmpty()
                               ? QSize(pixels, pixels)
                               : renderer.defaultSize().scaled(pixels, pixels, Qt::KeepAspectRatio);
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    }
    if (suffix != QLatin1String("png") && suffix != QLatin1String("xpm")) return {};
    QImageReader reader(file, suffix.toLatin1());
    reader.setAutoDetectImageFormat(false);
    image = reader.read();
    if (image.isNull()) return {};
    if (image.width() > pixels || image.height() > pixels)
        image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace vesk
