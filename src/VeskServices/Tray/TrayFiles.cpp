#include "VeskServices/Tray/TrayFiles.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Json.h"
#include "VeskPlatform/Files/FolderEntries.h"
#include "VeskPlatform/Files/Trash.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskServices/Pipelines/OutputRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vesk::tray_files {

namespace {

const QString incomingPrefix = QStringLiteral(".incoming-");
const QString removingPrefix = QStringLiteral(".removing-");
const QString trashingPrefix = QStringLiteral(".trashing-");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// For messages: a path on disk as the user reads it.
QString shown(const QByteArray& path) {
    return QFile::decodeName(path);
}

bool lstatPath(const QString& path, struct stat* info) {
    return ::lstat(native(path).constData(), info) == 0;
}

bool isRealFolder(const QString& path) {
    struct stat info {};
    return lstatPath(path, &info) && S_ISDIR(info.st_mode);
}

// Keeps the permission bits and the modification and access times, as a file
// manager's copy does. (QFile's permissions mix in what the running user may do.)
void copyModeAndTimes(const QByteArray& source, const QByteArray& destination) {
    struct stat info {};
    if (::lstat(source.constData(), &info) != 0) return;
    ::chmod(destination.constData(), info.st_mode & 07777);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, destination.constData(), times, AT_SYMLINK_NOFOLLOW);
}

bool isAncestor(const QString& folder, const QString& path) {
    if (folder == QLatin1String("/")) return path != folder;
    return path.startsWith(folder + QLatin1Char('/'));
}

// Closes the descriptor it holds when it goes.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Works on descriptors, not paths: a tree of many small files pays for each path
// lookup and status query, and the source's status read once serves for its size,
// mode and times.
bool copyFile(const QByteArray& source, const QByteArray& destination, const std::atomic<bool>& cancel,
              QString* error) {
    // Not blocking: a pipe put in the file's place must not hold the copy forever.
    Descriptor in{::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat info {};
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0) {
        *error = shown(source) + QStringLiteral(": ") + systemError();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = shown(source) + QStringLiteral(": not a file");
        return false;
    }
    Descriptor out{
        ::open(destination.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR)};
    if (out.fd < 0) {
        *error = shown(destination) + QStringLiteral(": ") + systemError();
        return false;
    }
    // The kernel copies (sharing blocks where the filesystem can) in chunks, so a cancel
    // is seen between them; read and write only where it cannot. A file that says its
    // size is done once that much is copied; one that says none (as /proc's) is read to
    // its end.
    constexpr qint64 chunk = qint64(8) << 20;
    bool kernel = true;
    std::unique_ptr<char[]> buffer;
    qint64 copied = 0;
    for (;;) {
        if (cancel.load()) {
            *error = QStringLiteral("cancelled");
            return false;
        }
        if (info.st_size > 0 && copied >= info.st_size) break;
        if (kernel) {
            const ssize_t n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, size_t(chunk), 0);
            if (n > 0) {
                copied += n;
                continue;
            }
            if (n == 0) break;
            if (errno == EINTR) continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                errno != EBADF) {
                *error = shown(destination) + QStringLiteral(": ") + systemError();
                return false;
            }
            kernel = false;
        }
        if (!buffer) buffer.reset(new char[1 << 20]);
        const ssize_t n = ::read(in.fd, buffer.get(), 1 << 20);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = shown(source) + QStringLiteral(": ") + systemError();
            return false;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.fd, buffer.get() + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                *error = shown(destination) + QStringLiteral(": ") + systemError();
                return false;
            }
            done += w;
        }
        copied += n;
    }
    // Permissions and times as a file manager's copy keeps them, times last.
    ::fchmod(out.fd, info.st_mode & 07777);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(out.fd, times);
    const int fd = std::exchange(out.fd, -1);
    if (::close(fd) != 0) {
        *error = shown(destination) + QStringLiteral(": ") + systemError();
        return false;
    }
    return true;
}

bool copyLink(const QByteArray& source, const QByteArray& destination, QString* error) {
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(source.constData(), target.data(), target.size());
    if (n < 0 || n >= target.size()) {
        *error = shown(source) + QStringLiteral(": ") + systemError();
        return false;
    }
    target.truncate(n);
    if (::symlink(target.constData(), destination.constData()) != 0) {
        *error = shown(destination) + QStringLiteral(": ") + systemError();
        return false;
    }
    return true;
}

// On the names' bytes, so that every name is carried, UTF-8 or not.
bool copyFolder(const QByteArray& source, const QByteArray& destination, const std::atomic<bool>& cancel,
                QString* error) {
    if (::mkdir(destination.constData(), S_IRWXU) != 0) {
        *error = shown(destination) + QStringLiteral(": ") + systemError();
        return false;
    }
    const auto entries = files::folderEntries(source);
    if (!entries) {
        *error = shown(source) + QStringLiteral(": ") + systemError();
        return false;
    }
    for (const files::FolderEntry& entry : *entries) {
        if (cancel.load()) {
            *error = QStringLiteral("cancelled");
            return false;
        }
        const QByteArray path = source + '/' + entry.name;
        const QByteArray target = destination + '/' + entry.name;
        bool ok = true;
        if (entry.type == files::FolderEntry::Type::link)
            ok = copyLink(path, target, error);
        else if (entry.type == files::FolderEntry::Type::folder)
            ok = copyFolder(path, target, cancel, error);
        else if (entry.type == files::FolderEntry::Type::file)
            ok = copyFile(path, target, cancel, error);
        if (!ok) return false;
    }
    // Permissions last, so a read-only source folder is still filled.
    copyModeAndTimes(source, destination);
    return true;
}

// Copies keep their permissions, so a read-only folder inside one would stop its
// deletion: open every folder of the tree (never through a link) to its owner first.
void makeDeletable(const QByteArray& folder) {
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    if ((info.st_mode & S_IRWXU) != S_IRWXU) ::chmod(folder.constData(), (info.st_mode & 07777) | S_IRWXU);
    if (const auto entries = files::folderEntries(folder))
        for (const files::FolderEntry& entry : *entries)
            if (entry.type == files::FolderEntry::Type::folder) makeDeletable(folder + '/' + entry.name);
}

// Deletes a folder tree of ours, names that are not UTF-8 included (QDir's recursive
// removal leaves those, and with them the folder).
bool removeTree(const QString& folder) {
    const QByteArray path = native(folder);
    makeDeletable(path);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? path.left(slash) : QByteArray("/");
    const int fd = ::open(parent.constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool removed = removeTreeAt(fd, path.mid(slash + 1));
    ::close(fd);
    return removed;
}

} // namespace

QString itemFolder(const QString& root, const QUuid& id) {
    return root + QLatin1Char('/') + json::uuidString(id);
}

QString incomingFolder(const QString& root, const QUuid& id) {
    return root + QLatin1Char('/') + incomingPrefix + json::uuidString(id);
}

QString previewFolder(const QString& root) {
    return root + QStringLiteral("/.previews");
}

QString previewPath(const QString& root, const QUuid& id) {
    return previewFolder(root) + QLatin1Char('/') + json::uuidString(id) + QStringLiteral(".png");
}

std::optional<QString> storedEntry(const QString& folder) {
    QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    // A preview is taken for ours only beside another entry: alone, it is what the user gave.
    if (entries.size() == 2) entries.removeOne(QString::fromUtf16(legacyPreviewName));
    if (entries.size() != 1) return std::nullopt;
    return entries.first();
}

std::optional<QUuid> idFromFolderName(const QString& name) {
    const QUuid id = QUuid::fromString(name);
    if (id.isNull() || json::uuidString(id) != name) return std::nullopt;
    return id;
}

bool hasValidStoredPath(const QString& root, const TrayItem& item) {
    if (item.id.isNull() || item.storedPath.isEmpty()) return false;
    const QString stored = item.storedPath;
    if (QDir::cleanPath(stored) != stored || !QFileInfo(stored).isAbsolute()) return false;
    const QFileInfo info(stored);
    const QString name = info.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    return info.path() == itemFolder(root, item.id);
}

bool isRealItemFolder(const QString& root, const QUuid& id) {
    return isRealFolder(itemFolder(root, id));
}

bool entryExists(const QString& path) {
    struct stat info {};
    return lstatPath(path, &info);
}

std::optional<QString> refusal(const QUrl& url, const QString& root) {
    if (!url.isLocalFile()) return QStringLiteral("not a file URL");
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("does not exist");
    if (!info.isFile() && !info.isDir()) return QStringLiteral("is not a file or folder");
    if (!info.isReadable()) return QStringLiteral("cannot be read");
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty()) return QStringLiteral("cannot be resolved");
    if (canonical == QLatin1String("/")) return QStringLiteral("is the root folder");
    QString tray = QFileInfo(root).canonicalFilePath();
    if (tray.isEmpty()) tray = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    if (canonical == tray) return QStringLiteral("is the tray folder");
    if (isAncestor(canonical, tray)) return QStringLiteral("contains the tray folder");
    if (isAncestor(tray, canonical)) return QStringLiteral("is inside the tray folder");
    return std::nullopt;
}

Measure measure(const QString& directory, int limit) {
    Measure result;
    const QByteArray top = native(directory);
    const auto entries = files::folderEntries(top);
    if (!entries) return result;
    result.children = int(entries->size());

    // Depth first, each folder's entries followed at once by its own contents; hidden
    // entries are left out of the size.
    struct Level {
        QByteArray path;
        QList<files::FolderEntry> entries;
        qsizetype next = 0;
    };
    std::vector<Level> stack;
    stack.push_back(Level{top, *entries});
    int visits = 0;
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next >= level.entries.size()) {
            stack.pop_back();
            continue;
        }
        const files::FolderEntry entry = level.entries[level.next++];
        if (entry.name.startsWith('.')) continue;
        if (++visits > limit) break;
        const QByteArray path = level.path + '/' + entry.name;
        if (entry.type == files::FolderEntry::Type::folder) {
            if (auto below = files::folderEntries(path)) stack.push_back(Level{path, std::move(*below)});
        } else if (entry.type == files::FolderEntry::Type::file) {
            struct stat info {};
            if (::lstat(path.constData(), &info) == 0) result.size += info.st_size;
        }
    }
    return result;
}

void describeStored(TrayItem& item, int measureLimit) {
    const QFileInfo info(item.storedPath);
    item.childCount = 0;
    if (!info.exists()) {
        item.byteSize = 0;
        item.isDirectory = false;
        item.utTypeIdentifier = QString::fromUtf16(uti::data);
        return;
    }
    item.utTypeIdentifier = uti::identifierForFile(item.storedPath).value_or(QString::fromUtf16(uti::data));
    item.isDirectory = info.isDir();
    if (item.isDirectory) {
        const Measure m = measure(item.storedPath, measureLimit);
        item.byteSize = m.size;
        item.childCount = m.children;
    } else {
        item.byteSize = info.size();
    }
}

RenameResult rename(const QString& source, const QString& destination, QString* error) {
    if (::rename(native(source).constData(), native(destination).constData()) == 0)
        return RenameResult::renamed;
    if (errno == EXDEV) return RenameResult::otherFileSystem;
    if (error) *error = systemError();
    return RenameResult::failed;
}

bool copy(const QString& source, const QString& destination, const std::atomic<bool>& cancel,
          QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    // A link is copied from what it points to.
    struct stat info {};
    if (::stat(native(source).constData(), &info) != 0) {
        *error = source + QStringLiteral(": ") + systemError();
        return false;
    }
    if (S_ISDIR(info.st_mode)) return copyFolder(native(source), native(destination), cancel, error);
    if (S_ISREG(info.st_mode)) return copyFile(native(source), native(destination), cancel, error);
    *error = source + QStringLiteral(": not a file or folder");
    return false;
}

namespace {

bool deleteCopied(const QByteArray& source, const QByteArray& copy) {
    struct stat copied {};
    struct stat original {};
    if (::lstat(copy.constData(), &copied) != 0 || ::lstat(source.constData(), &original) != 0) return false;
    if (S_ISDIR(copied.st_mode) && S_ISDIR(original.st_mode)) {
        const auto entries = files::folderEntries(copy);
        if (!entries) return false;
        bool ok = true;
        for (const files::FolderEntry& entry : *entries)
            ok = deleteCopied(source + '/' + entry.name, copy + '/' + entry.name) && ok;
        // A folder that gained entries during the copy stays, with them.
        return ::rmdir(source.constData()) == 0 && ok;
    }
    if (S_ISDIR(copied.st_mode) || S_ISDIR(original.st_mode)) return false;
    return ::unlink(source.constData()) == 0;
}

} // namespace

bool deleteCopiedSource(const QString& source, const QString& copy) {
    return deleteCopied(native(source), native(copy));
}

bool moveInstead(const QString& source, const QString& destination) {
    if (entryExists(destination) && !removeTree(destination)) return false;
    return ::rename(native(source).constData(), native(destination).constData()) == 0;
}

bool removeFolder(const QString& root, const QString& folder) {
    const QString aside = root + QLatin1Char('/') + removingPrefix + json::uuidString(QUuid::createUuid());
    QString target = folder;
    if (::rename(native(folder).constData(), native(aside).constData()) == 0) target = aside;
    const bool removed = removeTree(target);
    if (!removed) TraceLog::trace(QStringLiteral("tray: could not delete ") + target);
    return removed;
}

void removeLeftovers(const QString& root) {
    const QStringList names =
        QDir(root).entryList({incomingPrefix + QLatin1Char('*'), removingPrefix + QLatin1Char('*'),
                              trashingPrefix + QLatin1Char('*')},
                             QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = root + QLatin1Char('/') + name;
        if (!isRealFolder(path)) continue;
        if (name.startsWith(trashingPrefix)) {
            // The removal was cut short: what it held goes to the trash now, or comes back.
            TrayItem item;
            item.id = idFromFolderName(name.mid(trashingPrefix.size())).value_or(QUuid());
            if (item.id.isNull()) continue;
            if (const auto stored = storedEntry(path))
                item.storedPath = itemFolder(root, item.id) + QLatin1Char('/') + *stored;
            discard(root, path, item, true);
        } else if (!removeTree(path)) {
            TraceLog::trace(QStringLiteral("tray: could not delete ") + path);
        }
    }
    // A preview outlives its item when an ending (or another copy of the program) came
    // between the item's removal and the preview's.
    const QString previews = previewFolder(root);
    if (!isRealFolder(previews)) return;
    for (const QString& name : QDir(previews).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const auto id =
            name.endsWith(QLatin1String(".png")) ? idFromFolderName(name.chopped(4)) : std::nullopt;
        if (id && !entryExists(itemFolder(root, *id)))
            ::unlink(native(previews + QLatin1Char('/') + name).constData());
    }
}

std::optional<QString> setAside(const QString& root, const QUuid& id, bool trash) {
    if (id.isNull()) return std::nullopt;
    const QString folder = itemFolder(root, id);
    if (!entryExists(folder)) return std::nullopt;
    if (!isRealFolder(folder)) {
        TraceLog::trace(QStringLiteral("tray: not deleting ") + folder +
                        QStringLiteral(", it is not a folder"));
        return std::nullopt;
    }
    const QString aside = root + QLatin1Char('/') +
                          (trash ? trashingPrefix + json::uuidString(id)
                                 : removingPrefix + json::uuidString(QUuid::createUuid()));
    if (::rename(native(folder).constData(), native(aside).constData()) == 0) return aside;
    TraceLog::trace(QStringLiteral("tray: could not set ") + folder + QStringLiteral(" aside: ") +
                    systemError());
    return folder;
}

std::optional<QString> discard(const QString& root, const QString& folder, const TrayItem& item, bool trash) {
    if (!isRealFolder(folder)) return std::nullopt;
    if (trash) {
        const QString home = itemFolder(root, item.id);
        const auto putBack = [&] {
            if (folder != home && ::rename(native(folder).constData(), native(home).constData()) != 0)
                TraceLog::trace(QStringLiteral("tray: could not put ") + folder + QStringLiteral(" back: ") +
                                systemError());
        };
        const QString stored = folder + QLatin1Char('/') + QFileInfo(item.storedPath).fileName();
        if (hasValidStoredPath(root, item) && entryExists(stored)) {
            QString error;
            // Gone meanwhile (dragged out, or another copy of the program took it) is gone.
            // Recorded as the item's own path: restored, it is back in the tray at the
            // next start, never in the folder set aside (which would send it off again).
            if (!trash::moveToTrash(stored, &error, item.storedPath) && entryExists(stored)) {
                TraceLog::trace(QStringLiteral("tray: could not move ") + stored +
                                QStringLiteral(" to the trash (") + error +
                                QStringLiteral("); it stays in the tray"));
                putBack();
                // The system's words without the path they came with.
                return error.mid(error.lastIndexOf(QStringLiteral(": ")) + 1).trimmed();
            }
        }
        // Only an older version's preview may remain, and only beside a stored copy of
        // another name; anything else stays where it is.
        // Listed on bytes: a name Qt cannot list is still something to keep.
        const QByteArray legacy = native(QString::fromUtf16(legacyPreviewName));
        const bool storedAsLegacy =
            QFileInfo(item.storedPath).fileName() == QString::fromUtf16(legacyPreviewName);
        QStringList rest;
        const auto entries = files::folderEntries(native(folder));
        if (!entries) rest.append(systemError());
        for (const files::FolderEntry& entry : entries.value_or(QList<files::FolderEntry>{}))
            if (entry.name != legacy || storedAsLegacy || !hasValidStoredPath(root, item))
                rest.append(QFile::decodeName(entry.name));
        if (!rest.isEmpty()) {
            TraceLog::trace(QStringLiteral("tray: keeping ") + home + QStringLiteral(", it still holds ") +
                            rest.join(QStringLiteral(", ")));
            putBack();
            return std::nullopt;
        }
    }
    if (removeFolder(root, folder) && !item.id.isNull())
        ::unlink(native(previewPath(root, item.id)).constData());
    return std::nullopt;
}

std::optional<TrayItem> adopt(const QString& root, const QString& folderName, int measureLimit) {
    const std::optional<QUuid> id = idFromFolderName(folderName);
    if (!id) return std::nullopt;
    const QString folder = itemFolder(root, *id);
    if (!isRealFolder(folder)) return std::nullopt;
    const std::optional<QString> stored = storedEntry(folder);
    if (!stored) return std::nullopt;

    TrayItem item;
    item.id = *id;
    item.displayName = *stored;
    item.storedPath = folder + QLatin1Char('/') + item.displayName;
    const QFileInfo folderInfo(folder);
    const QDateTime made =
        folderInfo.birthTime().isValid() ? folderInfo.birthTime() : folderInfo.lastModified();
    item.addedAt = Date::fromDateTime(made);
    describeStored(item, measureLimit);
    return item;
}

} // namespace vesk::tray_files
