#pragma once

#include <QByteArray>
#include <QList>

#include <unistd.h>
#include <utility>

// What the extractor shares with its judge of symbolic links: an owned descriptor, and
// where a link inside the output folder leads on disk.
namespace vesk::zip_archive::detail {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// `overBudget`: the archive's allowance of resolution steps ran out on the way.
enum class LinkEnd { inside, outside, unresolved, overBudget };

// Where `target`, read from the folder `folder` (components below the root `rootFd`),
// leads: resolved a component at a time against what is on disk, following links
// (at most 40 of them) without ever opening one, and "..", which leaves the root,
// counting as outside. While `strict` is off, a name that does not exist yet (or is not
// a folder) is taken as the folder it would be, for entries still to come; strict, it
// leaves the target unresolved. Each step taken is counted off `budget`.
LinkEnd resolveLink(int rootFd, const QList<QByteArray>& folder, const QByteArray& target, bool strict,
                    qint64& budget);

} // namespace vesk::zip_archive::detail
