#pragma once

#include "VeskServices/Clipboard/Clip.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace vesk {

class ClipboardReader;

// Reading one clipboard change into a clip, on the clipboard queue: the types first,
// then only what the first matching kind needs. Images are decoded, re-encoded as PNG
// and written into the history's folder here too.
namespace clipboard_read {

// What is never kept: longer texts, larger image data, images with more pixels.
constexpr qsizetype maxTextLength = 1048576;
constexpr qint64 maxImageBytes = qint64(64) * 1024 * 1024;
constexpr qint64 maxImagePixels = qint64(64) * 1000 * 1000;

// Type names that mark contents as not to be kept (password managers and other tools).
QStringList concealedTypes();
// KDE's marker, concealing when its data is "secret".
QString passwordManagerHint();

struct Request {
    QString mediaDirectory;
    Date copiedAt;
    std::optional<QString> sourceApp;
};

// The clip for what the reader finds now; nothing for concealed, blank, oversized,
// unreadable or empty contents.
std::optional<Clip> read(ClipboardReader& reader, const Request& request);

// True when the contents carry a concealed type, or the password-manager hint "secret".
bool isConcealed(ClipboardReader& reader, const QStringList& types);

// The first local file of a text/uri-list, as a path.
std::optional<QString> firstLocalFile(const QByteArray& uriList);

// Decodes image data of `mimeType` within the limits; a null image otherwise.
QImage decodeImage(const QByteArray& data, const QByteArray& format = {});
// An image file of the history, within the same limits; null when missing or too big.
QImage loadImage(const QString& path);
// Writes `image` as "<UPPER-UUID>.png" in `folder`: the name taken exclusively, the
// contents written atomically. The path, or nothing on failure.
std::optional<QString> writeImage(const QImage& image, const QString& folder);

} // namespace clipboard_read
} // namespace vesk
