#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <limits>
#include <optional>

// ZIP archives written and read in-process with libarchive, streamed in blocks: no
// file is ever held in memory whole.
namespace vesk::zip_archive {

struct Failure {
    enum class Kind {
        // An input could not be read, or the archive is damaged, encrypted or refused.
        readFailed,
        // The output could not be written.
        writeFailed,
        // The output's disk has no room for the archive's contents (Limits::maxFreeBytes,
        // or a write that found the disk full).
        noSpace,
        // libarchive failed otherwise.
        library,
        // The stop flag was set.
        stopped,
    };
    Kind kind = Kind::library;
    // The file concerned (the input, the archive or the output).
    QString path;
    // Why, for the trace (libarchive's or the system's words).
    QString reason;
};

// Writes a ZIP at `output` (which may exist and is replaced) holding each input under
// its own last component with everything below it: hidden entries included, symbolic
// links stored as links, permissions and modification times kept, UTF-8 names, ZIP64
// where needed. Already-compressed types are stored, the rest deflated at level 6.
// Never adds `output` itself. Checks `stop` between blocks.
std::optional<Failure> write(const QStringList& inputs, const QString& output, const std::atomic<bool>* stop);

struct Limits {
    // The most entries written; each folder made along an entry's path counts as one.
    qint64 maxEntries = 250000;
    // The most bytes written; each folder made counts 4096.
    qint64 maxBytes = qint64(1) << 30;
    // The most steps spent resolving links, all of the archive's together: each is a
    // name looked up on disk, and link bodies full of "x/../" ask for thousands each.
    qint64 maxLinkSteps = 1000000;
    // The most bytes the output's disk can take, counted as maxBytes is; beyond it the
    // failure is noSpace.
    qint64 maxFreeBytes = std::numeric_limits<qint64>::max();
};

// The longest path an entry may have inside the archive, in bytes and in components.
inline constexpr qsizetype maxPathBytes = 1024;
inline constexpr qsizetype maxPathComponents = 128;

// Extracts the ZIP `archive` into the existing, empty `folder`. Refuses (readFailed)
// anything but a ZIP, encrypted entries, entries with "..", absolute paths, entries
// that are neither files, folders nor links, paths through a link, paths longer than
// maxPathBytes or maxPathComponents, and archives beyond the limits (the link steps
// among them, counted while extracting and in the final check). Skips links whose
// target is absolute or leads out of the folder (resolved through the links already
// extracted), and the "__MACOSX/" and "._" entries other systems add; after the last
// entry, removes every link that no longer resolves inside the folder. Modification times are restored,
// owners never, setuid, setgid and sticky bits never (the umask applies to the rest).
// Whatever fails, what was extracted stays in `folder` for the caller to remove.
std::optional<Failure> extract(const QString& archive, const QString& folder, const Limits& limits,
                               const std::atomic<bool>* stop);

} // namespace vesk::zip_archive
