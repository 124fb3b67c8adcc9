#pragma once

#include <QString>

namespace vesk {

// An exclusive lock on a folder, shared by every copy of the program that keeps files in
// it (two displays, one user): held while a copy reads, merges and rewrites a file there,
// so no copy writes over what another just wrote. Waits at most `patience` seconds for
// another copy to finish, then goes on without the lock rather than stall.
class FolderLock {
public:
    explicit FolderLock(const QString& folder, double patience = 1.0);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isLocked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

} // namespace vesk
