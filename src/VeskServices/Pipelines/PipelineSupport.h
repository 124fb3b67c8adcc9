#pragma once

#include <QSet>
#include <QString>
#include <QUrl>

// What several pipelines share: the image test and the rule for free output names.
namespace vesk::pipeline_support {

// The image types the image pipelines take: JPEG, PNG, HEIC, HEIF, TIFF, GIF, BMP, WebP.
const QSet<QString>& imageTypes();

// Whether the file's extension names one of the image types. Only the extension's own
// type counts: camera raw files (whose type derives from TIFF) and SVG are not images.
bool isImage(const QUrl& url);

// The first of name.extension, name-1.extension, name-2.extension ... that does not
// exist in `folder` ("file" for an empty name), with the name cut short where the folder
// would refuse it as too long. Creates nothing.
QUrl uniqueURL(const QString& folder, const QString& name, const QString& extension);

// The file name without its last extension, as the pipelines name their outputs.
QString baseName(const QUrl& url);
// The last extension as written; empty when there is none.
QString extension(const QUrl& url);
QString fileName(const QUrl& url);

// The preferred file extension of a uniform type; empty when it has none.
QString preferredExtension(const QString& type);

} // namespace vesk::pipeline_support
