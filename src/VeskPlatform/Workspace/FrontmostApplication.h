#pragma once

#include <QString>

#include <optional>

namespace vesk::workspace {

// The application whose window is active: its application id (_GTK_APPLICATION_ID,
// such as "org.gnome.TextEditor"), else its WM_CLASS class ("firefox"). Nothing
// without X11 or without an active window. A few quick requests to the X server over
// Qt's connection; main thread only.
std::optional<QString> frontmostApplicationID();

// The class part of a WM_CLASS value ("instance\0class\0"); nothing when it has none.
std::optional<QString> windowClass(const QByteArray& wmClass);

} // namespace vesk::workspace
