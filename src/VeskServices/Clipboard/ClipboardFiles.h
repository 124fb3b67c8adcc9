#pragma once

#include "VeskServices/Clipboard/Clip.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vesk::clipboard_files {

// True for a regular file (not a link) directly inside `mediaDirectory`: the only
// files the history ever deletes, whatever a stored path says.
bool isOwnImage(const QString& path, const QString& mediaDirectory);
// Deletes the paths that are our own images; others are left alone.
void deleteOwnImages(const QStringList& paths, const QString& mediaDirectory);

struct Loaded {
    QList<Clip> clips;
    // The file could not be wholly read and was kept aside.
    bool keptAside = false;
};

// Reads "clipboard.json": every clip that decodes, minus image clips whose file is not
// one of ours. An unreadable file is kept aside. Otherwise, when `sweep` (no other copy
// of the program runs), the images in the folder that no loaded clip names (a history
// not kept, a crash, or images another copy left) are deleted. The files and the folder
// are made the user's alone.
Loaded load(const QString& storeURL, const QString& mediaDirectory, bool sweep);

// Whether `newer` takes the place of `older` in the history: same kind and text, but an
// image only for the same picture, which `samePicture` lists by file (every image's text
// is "Image").
bool replaces(const Clip& newer, const Clip& older, const QStringList& samePicture);
// The image files among `candidates` that hold the same PNG bytes as the file at `path`.
QStringList samePicture(const QString& path, const QStringList& candidates);

// Newest first, one clip per kind and text (the newest; an image per file), at most
// `maxItems`; the image files of the clips that went are appended to `doomed`. A merged
// history comes out as a history recorded by one copy would.
QList<Clip> tidy(QList<Clip> clips, int maxItems, QStringList& doomed);

// The stored history: the newest clips that fit in `maxBytes` together, so that what is
// written always reads back; `count` of them, from the front.
struct Encoded {
    QByteArray bytes;
    qsizetype count = 0;
};
Encoded encode(const QList<Clip>& clips, qint64 maxBytes);

} // namespace vesk::clipboard_files
