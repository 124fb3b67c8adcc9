#pragma once

#include <QByteArray>
#include <QString>

namespace vesk {

// What the runs' temporaries are named: this prefix and six random letters or digits.
inline constexpr char stagedOutputPrefix[] = ".vesk-output-";

// Whether `name` has exactly the shape of a temporary's name: a finished output may
// begin the same way (a Zip of ".vesk-output-notes.txt").
bool isStagedOutputName(const QByteArray& name);

// Deletes `name` inside the folder open as `folderFd`: a file or link itself, a folder
// with everything below it. Works from descriptors, so no path grows with the depth of
// the tree, and never follows a link. False when something could not be deleted.
bool removeTreeAt(int folderFd, const QByteArray& name);

// Deletes a file or a whole folder that a run produced: only directly inside `folder`,
// never through a link (a link is deleted itself, and nothing it points to). False when
// the path is elsewhere or something could not be deleted.
bool removeOutput(const QString& folder, const QString& path);

// Removes the temporaries in `folder` that runs cut short (a crash, a kill) left: ours
// by owner, and not locked by a live run of this or another copy of the program. Meant
// for once at start-up; may take a while on a large leftover, so off the main thread.
void removeStaleOutputs(const QString& folder);

} // namespace vesk
