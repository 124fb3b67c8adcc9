#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

namespace vesk {

class Pasteboard;

// What the tray's chips reach outside themselves. Every member has a working default.
struct TrayViewEnvironment {
    // What "Copy" writes to; without one "Copy" does nothing.
    Pasteboard* pasteboard = nullptr;
    // Shows a file selected in the file manager; fileManager::reveal when empty.
    std::function<void(const QString& path)> reveal;
    // Previews files from an index; the shared preview window when empty.
    std::function<void(const QList<QUrl>& urls, int index)> preview;
    // Whether Alt is held now; the keyboard's when empty.
    std::function<bool()> altHeld;

    void showInFolder(const QString& path) const;
    void show(const QList<QUrl>& urls, int index) const;
    // The pasteboard then holds the file as a file URL (also as copied files for file managers).
    void copy(const QUrl& file) const;
};

} // namespace vesk
