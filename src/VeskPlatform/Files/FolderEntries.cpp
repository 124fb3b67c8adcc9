#include "VeskPlatform/Files/FolderEntries.h"

#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::files {

namespace {

FolderEntry::Type typeOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FolderEntry::Type::file;
    if (S_ISDIR(mode)) return FolderEntry::Type::folder;
    if (S_ISLNK(mode)) return FolderEntry::Type::link;
    return FolderEntry::Type::other;
}

} // namespace

std::optional<QList<FolderEntry>> folderEntries(const QByteArray& path, bool sorted) {
    const int fd = ::open(path.constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return std::nullopt;
    }
    QList<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
        if (!entry) break;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        FolderEntry::Type type = FolderEntry::Type::other;
        switch (entry->d_type) {
        case DT_REG:
            type = FolderEntry::Type::file;
            break;
        case DT_DIR:
            type = FolderEntry::Type::folder;
            break;
        case DT_LNK:
            type = FolderEntry::Type::link;
            break;
        case DT_UNKNOWN: {
            // Filesystems that do not say: asked one by one.
            struct stat info {};
            if (::fstatat(::dirfd(listing), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;
                break;
            }
            type = typeOfMode(info.st_mode);
            break;
        }
        default:
            break;
        }
        entries.append(FolderEntry{QByteArray(name), type});
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0) {
        errno = error;
        return std::nullopt;
    }
    if (sorted)
        std::sort(entries.begin(), entries.end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

bool isUtf8(const QByteArray& name) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(name);
    return !decoder.hasError();
}

} // namespace vesk::files
