#include "VeskPlatform/Archive/ArchiveLinks.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace vesk::zip_archive::detail {

namespace {

// As the kernel allows.
constexpr int maxHops = 40;
// Bounds the work a chain of long link bodies can ask for.
constexpr int maxSteps = 4096;

void prepend(std::deque<QByteArray>& pending, const QByteArray& path) {
    const QList<QByteArray> parts = path.split('/');
    for (auto it = parts.crbegin(); it != parts.crend(); ++it)
        pending.push_front(*it);
}

bool meaningfulRemains(const std::deque<QByteArray>& pending) {
    for (const QByteArray& part : pending)
        if (!part.isEmpty()) return true;
    return false;
}

} // namespace

LinkEnd resolveLink(int rootFd, const QList<QByteArray>& folder, const QByteArray& target, bool strict,
                    qint64& budget) {
    if (target.isEmpty() || target.startsWith('/')) return LinkEnd::outside;
    // The real folders from the root down to where resolution stands, then the count of
    // names below them that are not on disk (yet).
    std::vector<Descriptor> real;
    real.emplace_back(::dup(rootFd));
    if (!real.back().valid()) return LinkEnd::unresolved;
    for (const QByteArray& name : folder) {
        if (--budget < 0) return LinkEnd::overBudget;
        Descriptor next(
            ::openat(real.back().get(), name.constData(), O_DIRECTORY | O_NOFOLLOW | O_RDONLY | O_CLOEXEC));
        if (!next.valid()) return LinkEnd::unresolved;
        real.push_back(std::move(next));
    }
    int lexical = 0;
    int hops = 0;
    int steps = 0;
    std::deque<QByteArray> pending;
    prepend(pending, target);
    while (!pending.empty()) {
        if (++steps > maxSteps) return LinkEnd::unresolved;
        if (--budget < 0) return LinkEnd::overBudget;
        const QByteArray part = pending.front();
        pending.pop_front();
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            if (lexical > 0)
                --lexical;
            else if (real.size() > 1)
                real.pop_back();
            else
                return LinkEnd::outside;
            continue;
        }
        if (lexical > 0) {
            ++lexical;
            continue;
        }
        struct stat info {};
        if (::fstatat(real.back().get(), part.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || strict) return LinkEnd::unresolved;
            ++lexical;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            Descriptor next(::openat(real.back().get(), part.constData(),
                                     O_DIRECTORY | O_NOFOLLOW | O_RDONLY | O_CLOEXEC));
            if (!next.valid()) return LinkEnd::unresolved;
            real.push_back(std::move(next));
        } else if (S_ISLNK(info.st_mode)) {
            if (++hops > maxHops) return LinkEnd::unresolved;
            char body[PATH_MAX];
            const ssize_t length = ::readlinkat(real.back().get(), part.constData(), body, sizeof body);
            if (length <= 0 || size_t(length) >= sizeof body) return LinkEnd::unresolved;
            const QByteArray next(body, qsizetype(length));
            if (next.startsWith('/')) return LinkEnd::outside;
            prepend(pending, next);
        } else if (meaningfulRemains(pending)) {
            // A file with more path below it: a later entry may still put a link there.
            if (strict) return LinkEnd::unresolved;
            ++lexical;
        }
    }
    return LinkEnd::inside;
}

} // namespace vesk::zip_archive::detail
