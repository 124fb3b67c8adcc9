#pragma once

#include "VeskServices/Clipboard/Clip.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ClipboardCopies;
class ClipboardReader;
class ClockSource;
class Pasteboard;
class Scheduler;
class SerialQueue;

struct ClipboardServiceOptions {
    // Reads the contents; the desktop's clipboard when null. Must outlive the service.
    ClipboardReader* reader = nullptr;
    // The application in front when a change is seen; the desktop's active window when empty.
    std::function<std::optional<QString>()> frontmostApplication = {};
    // Tells copiedAt; the system clock when null.
    const ClockSource* clock = nullptr;
    // Runs the queue "app.tessarn.notch.clipboard"; a thread of its own when null.
    Scheduler* queueScheduler = nullptr;
};

// The history of what the user copies to the desktop clipboard, newest first: texts,
// web addresses, images (kept as PNG files in "Clipboard") and files. Used from the
// main thread; it has no timer of its own and looks for changes only when polled.
//
// The stored history ("clipboard.json"), reading the clipboard's contents, image files
// and every write and deletion run on the clipboard queue in call order, so a slow
// clipboard owner or a big image never holds up the notch. The stored history arrives
// with loaded(); nothing is recorded before it. A read started by poll() ends later
// with a record (and recorded()) or with nothing.
//
// Two copies of the program (one per display, one user) share the folder: a saved
// history merges in what the other copy saved since (its new clips join, the clips it
// removed go), and image files are deleted only while no other copy runs.
//
// A history that cannot be written (a full disk) stays in memory and the file as it was;
// it waits for the next change, or writeWaiting() at the ending.
class ClipboardService final : public QObject {
    Q_OBJECT
public:
    static QString queueLabel() { return QStringLiteral("app.tessarn.notch.clipboard"); }

    ClipboardService(Pasteboard& pasteboard, const QString& containerName,
                     ClipboardServiceOptions options = {}, QObject* parent = nullptr);
    ~ClipboardService() override;

    const QList<Clip>& clips() const { return m_clips; }
    bool isLoaded() const { return m_loaded; }
    // Called with the new list after a record, remove and clear.
    std::function<void(const QList<Clip>&)> onChange;

    // The most clips kept (below 0 counts as 0) and whether the history is written to
    // disk; set before each poll.
    int maxItems() const { return m_maxItems; }
    void setMaxItems(int maxItems) { m_maxItems = std::max(maxItems, 0); }
    bool persists() const { return m_persists; }
    void setPersists(bool persists) { m_persists = persists; }

    const QString& storeURL() const { return m_storeURL; }
    const QString& mediaDirectory() const { return m_mediaDirectory; }
    qint64 lastChangeCount() const { return m_lastChangeCount; }
    // A read started by poll() has not ended yet.
    bool isReading() const { return m_reading; }

    // Takes a new change count and starts reading the contents (one read at a time).
    void poll();
    void remove(const Clip& clip);
    void clear();
    // Puts the clip back on the clipboard without recording it again; `done` (on the
    // main thread) says whether it was written. An image is loaded first, off the main
    // thread: when it cannot be, the clipboard is left as it was.
    void restore(const Clip& clip, std::function<void(bool wrote)> done = {});
    // Deletes "clipboard.json"; the history in memory and the images stay.
    void forgetOnDisk();
    // At an ending: writes the kept history when its last write failed, and returns once
    // that is done (or the queue's patience ran out); true when nothing waits any more.
    bool writeWaiting();

Q_SIGNALS:
    void loaded();
    // A read put a new clip at the top (it may have been evicted at once).
    void recorded();

private:
    void finishLoading(const QList<Clip>& clips);
    void finishReading(const std::optional<Clip>& clip, const QStringList& samePicture, quint64 generation);
    // `samePicture`: the image files holding the same picture as a new image clip.
    void record(const Clip& clip, const QStringList& samePicture);
    void evict(QStringList& doomed);
    void save();
    void applyMerge(const QList<Clip>& saved, const QList<Clip>& merged);
    // `fresh`: files this copy just wrote and listed nowhere, deleted in any case.
    void deleteImages(const QStringList& paths, bool fresh = false);
    Date now() const;

    Pasteboard& m_pasteboard;
    ClipboardServiceOptions m_options;
    std::unique_ptr<ClipboardReader> m_ownReader;
    QString m_storeURL;
    QString m_mediaDirectory;
    QList<Clip> m_clips;
    int m_maxItems = 40;
    bool m_persists = false;
    qint64 m_lastChangeCount = 0;
    bool m_loaded = false;
    bool m_reading = false;
    // Moves with every restore: a read begun before one might see our own contents.
    quint64 m_generation = 0;
    // Used on the queue only: which copies run, and the stored history with its write.
    std::shared_ptr<ClipboardCopies> m_copies;
    struct Store;
    std::shared_ptr<Store> m_store;
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace vesk
