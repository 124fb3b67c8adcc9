#pragma once

#include <QString>

namespace vesk {

// One running copy per user and display: an exclusive lock on a file in the user's
// runtime folder. The kernel drops the lock when the process ends, however it ends, so a
// crash never leaves a stale lock behind; the descriptor is closed on exec. A child
// between its start and its exec holds a copy of it, and with it the lock, after we
// ended: letting go therefore unlocks first, and so does releaseHeld().
class SingleInstanceLock {
public:
    explicit SingleInstanceLock(QString path);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // The lock file for a display name (DISPLAY's value, which may be empty) in
    // $XDG_RUNTIME_DIR, else in the temporary folder under a name with the user id.
    static QString pathForDisplay(const QString& display);
    // The display as the lock names it: ":0.0" and ":0" are one display.
    static QString displayKey(const QString& display);

    // True when this object holds the lock now (also when it already did).
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    // Why the last tryLock() failed for another reason than another holder.
    const QString& error() const { return m_error; }
    // Unlocks the lock this process holds, for an ending that runs no destructor
    // (_exit). Safe from any thread.
    static void releaseHeld();

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
};

} // namespace vesk
