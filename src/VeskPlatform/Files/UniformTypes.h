#pragma once

#include <QMimeType>
#include <QString>

#include <optional>
#include <span>

// Files are described by uniform type identifiers ("public.jpeg", "com.adobe.pdf"),
// the names stored in the tray's index and checked by the drop pipelines. Here they
// are derived from the shared MIME database through one table.
namespace vesk::uti {

inline constexpr char16_t data[] = u"public.data";
inline constexpr char16_t folder[] = u"public.folder";

struct Mapping {
    const char* mimeType;
    const char* identifier;
};

// MIME type to identifier. Where several MIME types share an identifier the first
// one listed is the identifier's preferred MIME type.
std::span<const Mapping> table();

// The identifier of a MIME type: its own entry or an alias's, else the nearest
// ancestor's, else the broad class of its media type (image, audio, video, text),
// else "public.data".
QString identifierForMimeType(const QMimeType& type);
QString identifierForMimeType(const QString& mimeName);

// The content type of a file or folder, read from its contents and name (links are
// followed). Absent when the path cannot be read.
std::optional<QString> identifierForFile(const QString& path);

// The type a file name's extension implies, without reading anything. Absent when
// the extension names no known type.
std::optional<QString> identifierForExtension(const QString& extension);

// The identifier the table gives the MIME type of a file name's extension itself (or
// an alias of it), ignoring ancestors: camera raw types, which the MIME database
// derives from TIFF, get none. Absent when the table has no entry.
std::optional<QString> ownIdentifierForExtension(const QString& extension);

// Whether the identifier names a type this system knows.
bool isKnown(const QString& identifier);

// The preferred MIME type of an identifier; empty when it names no known type.
QString mimeTypeForIdentifier(const QString& identifier);

} // namespace vesk::uti
