#include "VeskPlatform/Files/UniformTypes.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>

namespace vesk::uti {

namespace {

constexpr Mapping mappings[] = {
    // generic
    {"application/octet-stream", "public.data"},
    {"inode/directory", "public.folder"},
    {"inode/symlink", "public.symlink"},
    {"application/x-executable", "public.unix-executable"},
    {"application/x-sharedlib", "public.unix-executable"},
    // text
    {"text/plain", "public.plain-text"},
    {"text/html", "public.html"},
    {"application/xml", "public.xml"},
    {"text/xml", "public.xml"},
    {"text/csv", "public.comma-separated-values-text"},
    {"text/tab-separated-values", "public.tab-separated-values-text"},
    {"text/rtf", "public.rtf"},
    {"application/rtf", "public.rtf"},
    {"text/markdown", "net.daringfireball.markdown"},
    {"application/json", "public.json"},
    {"application/x-yaml", "public.yaml"},
    {"text/x-csrc", "public.c-source"},
    {"text/x-chdr", "public.c-header"},
    {"text/x-c++src", "public.c-plus-plus-source"},
    {"text/x-c++hdr", "public.c-plus-plus-header"},
    {"text/x-python3", "public.python-script"},
    {"text/x-python", "public.python-script"},
    {"application/x-shellscript", "public.shell-script"},
    {"application/javascript", "com.netscape.javascript-source"},
    {"text/css", "public.css"},
    {"text/calendar", "com.apple.ical.ics"},
    {"text/vcard", "public.vcard"},
    // images
    {"image/jpeg", "public.jpeg"},
    {"image/png", "public.png"},
    {"image/gif", "com.compuserve.gif"},
    {"image/tiff", "public.tiff"},
    {"image/bmp", "com.microsoft.bmp"},
    {"image/webp", "org.webmproject.webp"},
    {"image/heif", "public.heif"},
    {"image/avif", "public.avif"},
    {"image/svg+xml", "public.svg-image"},
    {"image/vnd.microsoft.icon", "com.microsoft.ico"},
    {"image/x-icns", "com.apple.icns"},
    {"image/vnd.adobe.photoshop", "com.adobe.photoshop-image"},
    // documents
    {"application/pdf", "com.adobe.pdf"},
    {"application/postscript", "com.adobe.postscript"},
    {"application/msword", "com.microsoft.word.doc"},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document",
     "org.openxmlformats.wordprocessingml.document"},
    {"application/vnd.ms-excel", "com.microsoft.excel.xls"},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
     "org.openxmlformats.spreadsheetml.sheet"},
    {"application/vnd.ms-powerpoint", "com.microsoft.powerpoint.ppt"},
    {"application/vnd.openxmlformats-officedocument.presentationml.presentation",
     "org.openxmlformats.presentationml.presentation"},
    {"application/vnd.oasis.opendocument.text", "org.oasis-open.opendocument.text"},
    {"application/vnd.oasis.opendocument.spreadsheet", "org.oasis-open.opendocument.spreadsheet"},
    {"application/vnd.oasis.opendocument.presentation", "org.oasis-open.opendocument.presentation"},
    {"application/epub+zip", "org.idpf.epub-container"},
    // archives
    {"application/zip", "public.zip-archive"},
    {"application/gzip", "org.gnu.gnu-zip-archive"},
    {"application/x-tar", "public.tar-archive"},
    {"application/x-bzip2", "public.bzip2-archive"},
    {"application/x-xz", "org.tukaani.xz-archive"},
    {"application/x-7z-compressed", "org.7-zip.7-zip-archive"},
    {"application/vnd.rar", "com.rarlab.rar-archive"},
    // audio and video
    {"audio/mpeg", "public.mp3"},
    {"audio/mp4", "public.mpeg-4-audio"},
    {"audio/aac", "public.aac-audio"},
    {"audio/x-wav", "com.microsoft.waveform-audio"},
    {"audio/x-aiff", "public.aiff-audio"},
    {"audio/flac", "org.xiph.flac"},
    {"video/mp4", "public.mpeg-4"},
    {"video/quicktime", "com.apple.quicktime-movie"},
    {"video/x-msvideo", "public.avi"},
    {"video/mpeg", "public.mpeg"},
    // fonts
    {"font/ttf", "public.truetype-ttf-font"},
    {"font/otf", "public.opentype-font"},
};

// Identifiers for the broad classes, used when neither a type nor its ancestors are in
// the table; they name known types even though no MIME type maps to them directly.
struct MediaClass {
    const char* prefix;
    const char* identifier;
};

constexpr MediaClass mediaClasses[] = {
    {"image/", "public.image"},
    {"audio/", "public.audio"},
    {"video/", "public.movie"},
    {"text/", "public.text"},
};

// The shared MIME database folds some types that uniform types keep apart; the
// extension decides between them.
struct ExtensionOverride {
    const char* extension;
    const char* identifier;
};

constexpr ExtensionOverride extensionOverrides[] = {
    {"heic", "public.heic"},
};

const QHash<QString, QString>& identifierByMime() {
    static const QHash<QString, QString> byMime = [] {
        QHash<QString, QString> hash;
        for (const Mapping& m : mappings)
            hash.insert(QString::fromLatin1(m.mimeType), QString::fromLatin1(m.identifier));
        return hash;
    }();
    return byMime;
}

std::optional<QString> lookup(const QMimeType& type) {
    const auto& byMime = identifierByMime();
    if (auto it = byMime.constFind(type.name()); it != byMime.constEnd()) return *it;
    for (const QString& alias : type.aliases())
        if (auto it = byMime.constFind(alias); it != byMime.constEnd()) return *it;
    return std::nullopt;
}

std::optional<QString> overrideForExtension(const QString& suffix) {
    for (const ExtensionOverride& o : extensionOverrides)
        if (suffix.compare(QLatin1String(o.extension), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(o.identifier);
    return std::nullopt;
}

} // namespace

std::span<const Mapping> table() {
    return mappings;
}

QString identifierForMimeType(const QMimeType& type) {
    if (!type.isValid()) return QString::fromUtf16(data);
    if (auto own = lookup(type)) return *own;
    const QMimeDatabase db;
    // allAncestors lists the nearest parents first; application/octet-stream comes last.
    for (const QString& ancestorName : type.allAncestors()) {
        const QMimeType ancestor = db.mimeTypeForName(ancestorName);
        if (ancestor.name() == QLatin1String("application/octet-stream")) continue;
        if (auto inherited = lookup(ancestor)) return *inherited;
    }
    for (const MediaClass& c : mediaClasses)
        if (type.name().startsWith(QLatin1String(c.prefix))) return QString::fromLatin1(c.identifier);
    return QString::fromUtf16(data);
}

QString identifierForMimeType(const QString& mimeName) {
    return identifierForMimeType(QMimeDatabase().mimeTypeForName(mimeName));
}

std::optional<QString> identifierForFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    if (info.isDir()) return QString::fromUtf16(folder);
    if (auto special = overrideForExtension(info.suffix())) return special;
    return identifierForMimeType(QMimeDatabase().mimeTypeForFile(info));
}

std::optional<QString> identifierForExtension(const QString& extension) {
    if (extension.isEmpty()) return std::nullopt;
    if (auto special = overrideForExtension(extension)) return special;
    const QMimeDatabase db;
    const QList<QMimeType> candidates = db.mimeTypesForFileName(QStringLiteral("file.") + extension);
    if (candidates.isEmpty()) return std::nullopt;
    return identifierForMimeType(candidates.first());
}

std::optional<QString> ownIdentifierForExtension(const QString& extension) {
    if (extension.isEmpty()) return std::nullopt;
    if (auto special = overrideForExtension(extension)) return special;
    const QList<QMimeType> candidates =
        QMimeDatabase().mimeTypesForFileName(QStringLiteral("file.") + extension);
    if (candidates.isEmpty()) return std::nullopt;
    return lookup(candidates.first());
}

bool isKnown(const QString& identifier) {
    if (identifier.isEmpty()) return false;
    for (const Mapping& m : mappings)
        if (identifier == QLatin1String(m.identifier)) return true;
    for (const MediaClass& c : mediaClasses)
        if (identifier == QLatin1String(c.identifier)) return true;
    for (const ExtensionOverride& o : extensionOverrides)
        if (identifier == QLatin1String(o.identifier)) return true;
    return false;
}

QString mimeTypeForIdentifier(const QString& identifier) {
    for (const Mapping& m : mappings)
        if (identifier == QLatin1String(m.identifier)) return QString::fromLatin1(m.mimeType);
    for (const ExtensionOverride& o : extensionOverrides)
        if (identifier == QLatin1String(o.identifier)) return QStringLiteral("image/heif");
    return {};
}

} // namespace vesk::uti
