#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The freedesktop autostart entry that starts the program when the user logs in:
// "vesk-notch.desktop" in the autostart folder of the user's config folder. Blocking
// file work: call off the main thread.
namespace vesk::autostart {

// $XDG_CONFIG_HOME/autostart/vesk-notch.desktop (~/.config when unset).
QString entryPath();

// The Exec value that runs `program` with no arguments: the path double-quoted with
// `"`, backquote, `$` and `\` escaped and `%` doubled, then string-escaped for the file.
QString execValue(const QString& program);
QByteArray entryText(const QString& program);

// Whether the entry at `path` starts the program at login: it exists, parses, and is
// neither Hidden nor turned off the way startup-application tools do.
bool isEnabled(const QString& path);

// Writes the entry (the folder made when missing), atomically; the reason on failure.
std::optional<QString> enable(const QString& path, const QString& program);
// Removes the entry when it is a regular file; a link or anything else is left alone.
// The reason on failure.
std::optional<QString> disable(const QString& path);

} // namespace vesk::autostart
