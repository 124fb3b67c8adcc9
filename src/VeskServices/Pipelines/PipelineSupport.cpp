#include "VeskServices/Pipelines/PipelineSupport.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskServices/Pipelines/OutputRemoval.h"

#include <QFileInfo>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace vesk::pipeline_support {

namespace {

// A dangling link still takes the name, and so does the shape of a run's temporary:
// what is published must never look like a leftover to the next sweep.
bool taken(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (isStagedOutputName(native.mid(native.lastIndexOf('/') + 1))) return true;
    struct stat info {};
    return ::lstat(native.constData(), &info) == 0;
}

// name + insert + "." + extension, cut to what the folder takes: a long input name
// with a suffix of ours added must still make an output.
QString join(const QString& name, const QString& insert, const QString& extension, int maxBytes) {
    return files::fittedName(name, insert, extension.isEmpty() ? QString() : QLatin1Char('.') + extension,
                             maxBytes);
}

} // namespace

const QSet<QString>& imageTypes() {
    static const QSet<QString> types{
        QStringLiteral("public.jpeg"),       QStringLiteral("public.png"),
        QStringLiteral("public.heic"),       QStringLiteral("public.heif"),
        QStringLiteral("public.tiff"),       QStringLiteral("com.compuserve.gif"),
        QStringLiteral("com.microsoft.bmp"), QStringLiteral("org.webmproject.webp"),
    };
    return types;
}

bool isImage(const QUrl& url) {
    const auto type = uti::ownIdentifierForExtension(extension(url).toLower());
    return type && imageTypes().contains(*type);
}

QUrl uniqueURL(const QString& folder, const QString& name, const QString& extension) {
    const QString base = name.isEmpty() ? QStringLiteral("file") : name;
    const int limit = files::nameLimit(folder);
    QString candidate = folder + QLatin1Char('/') + join(base, {}, extension, limit);
    for (int n = 1; taken(candidate); ++n)
        candidate =
            folder + QLatin1Char('/') + join(base, QLatin1Char('-') + QString::number(n), extension, limit);
    return QUrl::fromLocalFile(candidate);
}

QString fileName(const QUrl& url) {
    return url.adjusted(QUrl::StripTrailingSlash).fileName();
}

QString baseName(const QUrl& url) {
    const QString name = fileName(url);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString extension(const QUrl& url) {
    const QString name = fileName(url);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QString preferredExtension(const QString& type) {
    const QString mime = uti::mimeTypeForIdentifier(type);
    return mime.isEmpty() ? QString() : QMimeDatabase().mimeTypeForName(mime).preferredSuffix();
}

} // namespace vesk::pipeline_support
