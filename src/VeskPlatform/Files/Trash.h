#pragma once

#include <QString>

#include <optional>

// The desktop's trash, laid out as freedesktop.org's Trash standard has it: "files/"
// and "info/" (one ".trashinfo" record per entry) in $XDG_DATA_HOME/Trash. Written
// here rather than taken from QFile::moveToTrash, which in Qt 6.4 falls back to
// "files/" and "info/" in the working folder when the trash cannot be made.
namespace vesk::trash {

QString homeTrash();

// Moves a file or folder (a link as itself) into the home trash under a free name,
// with its record. A name too long to go there beside its record's is kept shorter;
// the record holds the whole path, so a restore gives the whole name back. The record
// names `restorePath` when one is given (where the entry belongs), else `path`. Only
// entries on the trash's own filesystem are moved, by rename, so nothing is ever copied
// half-way. Returns where it went; when absent (with the reason in `error`) the entry
// is untouched.
std::optional<QString> moveToTrash(const QString& path, QString* error = nullptr,
                                   const QString& restorePath = {});

} // namespace vesk::trash
