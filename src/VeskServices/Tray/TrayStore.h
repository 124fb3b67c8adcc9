#pragma once

#include "VeskKit/Foundation/WaitingWrite.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskServices/Tray/TrayThumbnails.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ClockSource;
class Pasteboard;
class Scheduler;
class SerialQueue;
class PipelineWorker;
class ThumbnailGenerator;

struct TrayStoreOptions {
    // The most items the tray keeps, read whenever items enter (the setting
    // "trayMaxItems"); 50 when not given. Values below 1 count as 1.
    std::function<int()> maxItems;
    // Tells addedAt and the stamp of pasted files; the system clock when null.
    const ClockSource* clock = nullptr;
    // Runs the tray's queue; a thread of its own when null (tests pass a manual one).
    Scheduler* queueScheduler = nullptr;
    // Makes previews of what is no picture; the desktop's thumbnailers when null.
    std::shared_ptr<ThumbnailGenerator> thumbnails;
    // Renders pictures for previews apart from the program; a pipeline worker of the
    // store's own, started at the first request, when empty.
    TrayThumbnails::PictureSource pictures;
};

// The tray's items and their files, in "<application support>/<container>/Tray":
// "index.json", one folder per item named by its id, holding only the item's file or
// folder, and the previews in ".previews". Used from the main thread.
//
// Adding checks every source at once and answers with the accepted items, with their
// final ids, names and paths. A move within one filesystem is a rename and the item
// enters the list at once; copies, moves across filesystems, pasted data and the
// measuring of folders run on the serial queue "app.tessarn.notch.tray", and each
// item enters the list, the index and its call's `onEntered` when its work is done.
// The items of one call stay together in call order, newest call first.
class TrayStore final : public QObject {
    Q_OBJECT
public:
    // Called on the main thread with items that just entered the list (and the index).
    using EnteredHandler = std::function<void(const QList<TrayItem>& entered)>;
    // Called on the main thread with a file given to add that entered in no way, and why.
    using LostHandler = std::function<void(const QString& path, const QString& reason)>;

    static constexpr int defaultMaxItems = 50;
    static constexpr int measureLimit = 5000;
    static QString queueLabel() { return QStringLiteral("app.tessarn.notch.tray"); }
    // Marks pasteboard contents that came from another device.
    static QString remoteClipboardType() { return QStringLiteral("com.apple.is-remote-clipboard"); }

    explicit TrayStore(const QString& containerName, TrayStoreOptions options = {},
                       QObject* parent = nullptr);
    ~TrayStore() override;

    // Newest first.
    const QList<TrayItem>& items() const { return m_items; }
    int maxItems() const;
    const QString& root() const { return m_root; }
    QString indexPath() const;
    // Accepted items whose files are still being copied, written or measured.
    int pendingCount() const { return static_cast<int>(m_pending.size()); }
    // The index lacks what the list holds: its last write failed. The next change writes
    // it, and so does writeWaiting(), which every ending calls; true when nothing waits.
    bool isIndexWaiting() const { return m_indexWrite.isWaiting(); }
    bool writeWaiting();

    // Copies (or with `move` moves) the files and folders the file URLs name into the
    // tray. Several URLs share one new stack id. Returns the accepted items in URL order.
    QList<TrayItem> add(const QList<QUrl>& urls, bool move, EnteredHandler onEntered = {});
    // Adds a drop pipeline's outputs as copies. They lie on the tray's filesystem, so one
    // that cannot be copied (a full disk) is moved in instead, and removeCopiesOf() still
    // finds it by its path; `onLost` gets each output that entered neither way.
    QList<TrayItem> addOutputs(const QList<QUrl>& urls, EnteredHandler onEntered, LostHandler onLost);
    // Adds the pasteboard's file URLs (copied), else its image as "Pasted <seconds>.png",
    // else its text as "Pasted <seconds>.txt"; marks them as from another device when
    // the pasteboard carries remoteClipboardType(). Returns the accepted items.
    QList<TrayItem> addFromPasteboard(const Pasteboard& pasteboard, EnteredHandler onEntered = {});
    // Drops the item and deletes its folder; an item the tray holds the only copy of
    // goes to the trash instead, and when it cannot, comes back into the list where it
    // stood (itemNotRemoved says why). Also stops an item that has not entered yet.
    void remove(const TrayItem& item);
    // The same for several items, saving the index once.
    void remove(const QList<TrayItem>& items);
    // The same for every item, entered or not.
    void removeAll();
    // Removes every item copied in from one of these paths, also those whose copy has
    // not entered yet (an undo during a long copy leaves nothing behind).
    void removeCopiesOf(const QSet<QString>& originalPaths);

    // A preview of `size` points (twice as many pixels), delivered to `done` on the
    // main thread while `context` lives; see TrayThumbnails.
    void thumbnail(const TrayItem& item, double size, QObject* context,
                   std::function<void(const QImage&)> done) const;

Q_SIGNALS:
    // After every save: the list and the index changed.
    void itemsChanged();
    // A file or folder given to add could not be read or copied, so it did not enter
    // (a stop asked for by a removal is no failure). `reason` is the system's words.
    void itemNotAdded(const QString& displayName, const QString& reason);
    // An item removed (or pushed out by the limit) could not go to the trash, so it
    // stayed in the tray; `reason` is the system's words.
    void itemNotRemoved(const QString& displayName, const QString& reason);

private:
    TrayThumbnails::PictureSource picturesOrWorker();
    struct Pending {
        quint64 call = 0;
        int position = 0;
        std::shared_ptr<EnteredHandler> onEntered;
        std::shared_ptr<LostHandler> onLost;
        bool fromOtherDevice = false;
        // A move across filesystems deletes its source once the copy is in the index.
        bool deleteSource = false;
        // A pipeline's output, moved in when it cannot be copied.
        bool output = false;
        // The item, when it is in its item folder already (a folder moved in, being
        // measured) rather than staged.
        std::optional<TrayItem> inPlace;
        QString source;
        bool cancelled = false;
    };
    struct Rank {
        quint64 call = 0;
        int position = 0;
    };
    // Where a removed item stood, for when it comes back.
    struct Place {
        bool listed = false;
        std::optional<QUuid> before;
        std::optional<Rank> rank;
    };
    struct Call {
        bool move = false;
        bool fromOtherDevice = false;
        bool outputs = false;
        LostHandler onLost;
    };

    void load();
    void save();
    void evict();
    void insertRanked(const TrayItem& item);
    void insertByDate(const TrayItem& item);
    // Takes the item's folder aside at once and finishes on the queue.
    void discard(const TrayItem& item, bool trash, const Place& place);
    void notRemoved(const TrayItem& item, const Place& place, const QString& reason);
    void cancel(Pending& pending);
    void enterNow(const QList<TrayItem>& entered, const std::shared_ptr<EnteredHandler>& onEntered);
    // `staged`: the work made the item in its incoming folder, which becomes the item's
    // here. `name` and `reason` say what did not enter, and why, when `done` is absent.
    void finish(const QUuid& id, const std::optional<TrayItem>& done, bool staged, const QString& name,
                const QString& reason);
    void adopted(const QList<TrayItem>& found);
    Date now() const;

    QList<TrayItem> addAccepted(const QList<QUrl>& urls, const EnteredHandler& onEntered, const Call& how);
    TrayItem stagePasted(const QString& name, const QImage& image, const QByteArray& text,
                         const std::shared_ptr<EnteredHandler>& onEntered, bool fromOtherDevice);
    // Writes an item's file at `file`, stopping early once `stopping` is set; may change
    // what `item` says of its source.
    using Fill = std::function<bool(const QString& file, TrayItem& item, const std::atomic<bool>& stopping,
                                    QString* error)>;
    // On the queue: fills the item's folder when `fill` is given (`what` names the work
    // in the trace), measures the stored copy, and finishes the item on the main thread.
    void startWork(const TrayItem& item, Fill fill = {}, const QString& what = {});

    QString m_root;
    TrayStoreOptions m_options;
    QList<TrayItem> m_items;
    QHash<QUuid, Pending> m_pending;
    QHash<QUuid, Rank> m_ranks;
    // Outputs moved in for want of space to copy them, by the path they had.
    QHash<QString, QUuid> m_movedOutputs;
    quint64 m_calls = 0;
    bool m_indexWritable = true;
    WaitingWrite m_indexWrite;
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<SerialQueue> m_queue;
    PipelineWorker* m_pictureWorker = nullptr;
    TrayThumbnails m_thumbnails;
};

} // namespace vesk
