#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vesk::files {

// The application-support folder "Vesk": $XDG_DATA_HOME/Vesk (not created here).
QString applicationSupportFolder();
// Where the user defaults live: $XDG_CONFIG_HOME/Vesk.
QString configFolder();
// The per-user temporary folder: $XDG_RUNTIME_DIR when it is set and exists, else
// the system temporary folder (shared with other users: callers check ownership).
QString userTemporaryFolder();

// Writes the whole file or nothing: a crash never leaves half a file. The file is the
// user's alone (0600); a missing parent folder is made with makePrivateFolder. On
// failure returns false and, when asked, the reason.
bool writeAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Makes the folder and every missing parent, each new one for the user alone (0700), as
// the base-directory rules ask. True when the folder exists afterwards.
bool makePrivateFolder(const QString& path);
// Takes group and other access away from a file or folder the user owns; links and
// other users' files are left alone.
void restrictToOwner(const QString& path);

// What reading a stored file gave.
struct FileRead {
    enum class Status { ok, missing, notRegular, tooLarge, unreadable };
    Status status = Status::missing;
    QByteArray bytes;
    // Why it was not read, for anything but ok and missing.
    QString error;
    bool ok() const { return status == Status::ok; }
};
// Reads a whole regular file of at most `maxBytes`. A FIFO, device or folder in its place
// is never opened for reading in a way that could wait, and the size is judged on the
// open descriptor, so neither a link to an endless device nor a file that grows is read
// without end.
FileRead readRegularFile(const QString& path, qint64 maxBytes);

// Moves an unreadable file out of the way ("<path>.corrupt-<yyyyMMdd-HHmmss>", with a
// number added if that exists) so nothing new is saved over it. Returns the new path.
std::optional<QString> keepAside(const QString& path);

// The most bytes one name may take in `folder`, as its filesystem says (255 when it
// cannot be asked).
int nameLimit(const QString& folder);
// `stem` + `insert` + `extension` (with its dot) in at most `maxBytes` bytes on disk:
// the stem loses whole characters from its middle as needed, and an extension too long to
// keep whole (over half the limit) is cut as part of the stem. `insert` (a number that
// makes the name free) is kept.
QString fittedName(const QString& stem, const QString& insert, const QString& extension, int maxBytes);

// A file that ships beside the running program (a helper program, a module): in its own
// folder, or, from a build tree where tests and tools run from another folder, in the
// "bin" folder next to theirs. The path beside the program when neither exists.
QString besideProgram(const QString& fileName);

// True when `path` lies strictly inside `folder`, comparing cleaned absolute paths
// (and the canonical paths when both exist, so links cannot lead out).
bool isInside(const QString& path, const QString& folder);

} // namespace vesk::files
