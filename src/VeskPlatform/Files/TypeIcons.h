#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace vesk::uti {

// Icon-theme names for a type, most specific first: the MIME type's own icon, then its
// generic one. An identifier that names no known type gets the icons of "public.data".
QStringList iconNames(const QString& identifier);

// The icon theme's picture of a type, `pixels` square, read from the theme's file and
// kept. Main thread only (the theme is looked up there on first use). Null when no icon
// theme offers any of the names.
QImage iconImage(const QString& identifier, int pixels);

// Makes QIcon::fromTheme find the installed themes without a desktop session: the XDG
// icon folders searched, a theme named, Adwaita as the fallback. Main thread only.
void ensureIconTheme();

} // namespace vesk::uti
