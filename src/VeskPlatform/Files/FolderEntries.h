#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// Folder listings on the bytes of the names: Qt's listings leave out names that are not
// valid UTF-8, since they cannot come back from a QString to the same bytes.
namespace vesk::files {

struct FolderEntry {
    enum class Type { file, folder, link, other };
    QByteArray name;
    Type type = Type::other;
};

// The entries of the folder at `path` (the name of every one, "." and ".." left out,
// hidden ones included) with their types, never following a link; sorted by their bytes
// when asked. Absent, with errno set, when the folder cannot be opened or read.
std::optional<QList<FolderEntry>> folderEntries(const QByteArray& path, bool sorted = false);

// Whether the bytes are a valid UTF-8 name (one a QString carries unchanged).
bool isUtf8(const QByteArray& name);

} // namespace vesk::files
