#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace vesk {

// One type's data as the clipboard's owner sent it.
struct ClipboardData {
    enum class Status {
        ok,
        // Not offered, refused, or the owner did not answer in time.
        unavailable,
        // More than the reader was allowed to take; the transfer was stopped.
        tooLarge,
    };
    Status status = Status::unavailable;
    QByteArray bytes;
};

// Reads the desktop clipboard's current contents type by type, asking its owner only
// for what the caller wants. Unlike QClipboard it never blocks the main thread: it is
// used on one worker thread (the clipboard service's queue), where each request waits
// for the owner at most requestTimeoutMs.
class ClipboardReader {
public:
    static constexpr int requestTimeoutMs = 1000;

    virtual ~ClipboardReader() = default;

    // The types the contents are offered as (MIME types, X11 target names, markers);
    // empty when the clipboard is empty or its owner did not answer.
    virtual QStringList types() = 0;
    // The data of one type, at most `limit` bytes.
    virtual ClipboardData data(const QString& type, qint64 limit) = 0;
    // From any thread: a wait in progress ends at once and later ones fail (shutting down).
    virtual void interrupt() {}

    // The desktop's clipboard over an X connection of its own; where the program does
    // not run on X11, a reader that finds the clipboard empty.
    static std::unique_ptr<ClipboardReader> create();
};

} // namespace vesk
