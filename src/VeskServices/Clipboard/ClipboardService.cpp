#include "VeskServices/Clipboard/ClipboardService.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskKit/Foundation/WaitingWrite.h"
#include "VeskPlatform/Pasteboard/ClipboardReader.h"
#include "VeskPlatform/Pasteboard/Pasteboard.h"
#include "VeskPlatform/Workspace/FrontmostApplication.h"
#include "VeskServices/Clipboard/ClipboardCopies.h"
#include "VeskServices/Clipboard/ClipboardFiles.h"
#include "VeskServices/Clipboard/ClipboardRead.h"
#include "VeskServices/Storage/ContainerFolder.h"
#include "VeskServices/Storage/JsonListFile.h"
#include "VeskServices/Storage/SharedListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include <atomic>

namespace vesk {

namespace {

QUuid idOf(const Clip& clip) {
    return clip.id;
}

} // namespace

// The stored history and its write, used on the queue only.
struct ClipboardService::Store {
    Store(const QString& path, QString mediaDirectory, std::shared_ptr<ClipboardCopies> runningCopies)
        : media(std::move(mediaDirectory)), copies(std::move(runningCopies)),
          file(path,
               {.decode = &Clip::fromJson,
                .encode = [this](QList<Clip>& clips) { return encode(clips); },
                // As on loading: an image clip must name an image of ours.
                .adopt =
                    [this](QList<Clip>& theirs) {
                        theirs.removeIf([this](const Clip& clip) {
                            return clip.kind == Clip::Kind::image &&
                                   !(clip.storedPath && clipboard_files::isOwnImage(*clip.storedPath, media));
                        });
                    },
                .tidy =
                    [this](QList<Clip> merged) {
                        return clipboard_files::tidy(std::move(merged), maxItems, doomed);
                    }}),
          write(QStringLiteral("clipboard.json"),
                [this](QString* error) { return file.write(held, error); }) {}
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Long texts can make a history larger than a file is ever read: the oldest clips past
    // that size are left out, here and in memory.
    QByteArray encode(QList<Clip>& clips) {
        const clipboard_files::Encoded encoded = clipboard_files::encode(clips, json_list::maxFileSize);
        if (encoded.count < clips.size()) {
            TraceLog::trace(
                QStringLiteral("clipboard: %1 oldest clip(s) left out, the history would pass %2 bytes")
                    .arg(clips.size() - encoded.count)
                    .arg(json_list::maxFileSize));
            for (qsizetype i = encoded.count; i < clips.size(); ++i)
                if (clips.at(i).kind == Clip::Kind::image && clips.at(i).storedPath)
                    doomed.append(*clips.at(i).storedPath);
            clips.resize(encoded.count);
        }
        return encoded.bytes;
    }
    // The images of the clips a write left out; kept while another copy runs.
    void deleteDoomed() {
        if (!doomed.isEmpty() && copies->alone()) clipboard_files::deleteOwnImages(doomed, media);
        doomed.clear();
    }

    QString media;
    std::shared_ptr<ClipboardCopies> copies;
    // What the next write writes, and the most clips it keeps.
    QList<Clip> held;
    int maxItems = 40;
    QStringList doomed;
    SharedListFile<Clip> file;
    // A history the disk cannot take waits for the next save or the ending.
    WaitingWrite write;
};

ClipboardService::ClipboardService(Pasteboard& pasteboard, const QString& containerName,
                                   ClipboardServiceOptions options, QObject* parent)
    : QObject(parent), m_pasteboard(pasteboard), m_options(std::move(options)) {
    if (!m_options.reader) {
        m_ownReader = ClipboardReader::create();
        m_options.reader = m_ownReader.get();
    }
    const QString container = storage::containerFolder(containerName, false);
    m_mediaDirectory = container + QStringLiteral("/Clipboard");
    files::makePrivateFolder(m_mediaDirectory);
    m_storeURL = container + QStringLiteral("/clipboard.json");
    m_copies = std::make_shared<ClipboardCopies>(m_mediaDirectory);
    m_store = std::make_shared<Store>(m_storeURL, m_mediaDirectory, m_copies);
    // Whatever is on the clipboard at start is not news.
    m_lastChangeCount = m_pasteboard.changeCount();
    m_queue = std::make_unique<SerialQueue>(queueLabel(), m_options.queueScheduler);

    QPointer<ClipboardService> self(this);
    m_queue->async([self, store = m_store] {
        const QList<Clip> clips =
            clipboard_files::load(store->file.path(), store->media, store->copies->alone()).clips;
        store->file.setSeen(clips);
        onMain([self, clips] {
            if (self) self->finishLoading(clips);
        });
    });
}

ClipboardService::~ClipboardService() {
    // A history whose last save failed (a full disk) has one more try.
    if (m_persists)
        m_queue->async([store = m_store] {
            store->write.writeIfWaiting();
            store->deleteDoomed();
        });
    // A read waiting on a silent owner ends now; writes already queued still happen,
    // within the queue's patience.
    m_options.reader->interrupt();
    m_queue->shutdown();
}

Date ClipboardService::now() const {
    return m_options.clock ? m_options.clock->now() : Date::now();
}

void ClipboardService::finishLoading(const QList<Clip>& clips) {
    m_clips = clips;
    m_loaded = true;
    Q_EMIT loaded();
}

void ClipboardService::poll() {
    if (!m_loaded || m_reading) return;
    const qint64 count = m_pasteboard.changeCount();
    if (count == m_lastChangeCount) return;
    m_lastChangeCount = count;
    m_reading = true;

    clipboard_read::Request request{
        .mediaDirectory = m_mediaDirectory,
        .copiedAt = now(),
        .sourceApp = m_options.frontmostApplication ? m_options.frontmostApplication()
                                                    : workspace::frontmostApplicationID(),
    };
    // A new image replaces only the same picture: its bytes are compared with these.
    QStringList images;
    for (const Clip& clip : std::as_const(m_clips))
        if (clip.kind == Clip::Kind::image && clip.storedPath) images << *clip.storedPath;
    QPointer<ClipboardService> self(this);
    m_queue->async([self, reader = m_options.reader, request, images, generation = m_generation] {
        const std::optional<Clip> clip = clipboard_read::read(*reader, request);
        const QStringList same = clip && clip->kind == Clip::Kind::image && clip->storedPath
                                     ? clipboard_files::samePicture(*clip->storedPath, images)
                                     : QStringList();
        onMain([self, clip, same, generation] {
            if (self) self->finishReading(clip, same, generation);
        });
    });
}

void ClipboardService::finishReading(const std::optional<Clip>& clip, const QStringList& samePicture,
                                     quint64 generation) {
    m_reading = false;
    if (!clip) return;
    if (generation != m_generation) {
        // Begun before a restore: what it read may be our own write.
        // Written just now and listed nowhere: ours to delete in any case.
        if (clip->kind == Clip::Kind::image && clip->storedPath) deleteImages({*clip->storedPath}, true);
        return;
    }
    record(*clip, samePicture);
}

void ClipboardService::record(const Clip& clip, const QStringList& samePicture) {
    QStringList doomed;
    m_clips.removeIf([&](const Clip& old) {
        if (!clipboard_files::replaces(clip, old, samePicture)) return false;
        if (old.kind == Clip::Kind::image && old.storedPath) doomed.append(*old.storedPath);
        return true;
    });
    m_clips.prepend(clip);
    evict(doomed);
    deleteImages(doomed);
    save();
    if (onChange) onChange(m_clips);
    Q_EMIT recorded();
}

void ClipboardService::evict(QStringList& doomed) {
    if (m_clips.size() <= m_maxItems) return;
    for (qsizetype i = m_maxItems; i < m_clips.size(); ++i) {
        const Clip& old = m_clips.at(i);
        if (old.kind == Clip::Kind::image && old.storedPath) doomed.append(*old.storedPath);
    }
    m_clips.resize(m_maxItems);
}

void ClipboardService::save() {
    if (!m_persists) return;
    // Another copy of the program (another display) may have saved meanwhile: its
    // changes are merged in, under the folder's lock, and come back to this list. A
    // history the disk cannot take waits; the file stays as it was.
    QPointer<ClipboardService> self(this);
    m_queue->async([self, store = m_store, clips = m_clips, maxItems = m_maxItems] {
        store->held = clips;
        store->maxItems = maxItems;
        store->write.write();
        store->deleteDoomed();
        if (json_list::ids(store->held, idOf) == json_list::ids(clips, idOf)) return;
        onMain([self, clips, merged = store->held] {
            if (self) self->applyMerge(clips, merged);
        });
    });
}

bool ClipboardService::writeWaiting() {
    if (!m_persists) return true;
    // Shared: a queue that did not answer in time may still run the write later.
    auto written = std::make_shared<std::atomic<bool>>(false);
    const bool answered = m_queue->finish([store = m_store, written] {
        written->store(store->write.writeIfWaiting());
        store->deleteDoomed();
    });
    return answered && written->load();
}

void ClipboardService::applyMerge(const QList<Clip>& saved, const QList<Clip>& merged) {
    const QSet<QUuid> before = json_list::ids(saved, idOf);
    const QSet<QUuid> after = json_list::ids(merged, idOf);
    // Changes made here since that save stay; the other copy's changes join them.
    m_clips.removeIf([&](const Clip& clip) { return before.contains(clip.id) && !after.contains(clip.id); });
    for (const Clip& clip : merged)
        if (!before.contains(clip.id)) m_clips.append(clip);
    QStringList doomed;
    m_clips = clipboard_files::tidy(m_clips, m_maxItems, doomed);
    deleteImages(doomed);
    if (onChange) onChange(m_clips);
}

void ClipboardService::deleteImages(const QStringList& paths, bool fresh) {
    if (paths.isEmpty()) return;
    m_queue->async([paths, media = m_mediaDirectory, copies = m_copies, fresh] {
        if (fresh || copies->alone())
            clipboard_files::deleteOwnImages(paths, media);
        else
            TraceLog::trace(
                QStringLiteral("clipboard: %1 image file(s) kept while another copy runs").arg(paths.size()));
    });
}

void ClipboardService::remove(const Clip& clip) {
    if (clip.kind == Clip::Kind::image && clip.storedPath) deleteImages({*clip.storedPath});
    m_clips.removeIf([&](const Clip& old) { return old.id == clip.id; });
    save();
    if (onChange) onChange(m_clips);
}

void ClipboardService::clear() {
    QStringList doomed;
    for (const Clip& old : std::as_const(m_clips))
        if (old.kind == Clip::Kind::image && old.storedPath) doomed.append(*old.storedPath);
    deleteImages(doomed);
    m_clips.clear();
    save();
    if (onChange) onChange(m_clips);
}

void ClipboardService::restore(const Clip& clip, std::function<void(bool wrote)> done) {
    ++m_generation;
    const auto answer = [&done](bool wrote) {
        if (done) done(wrote);
    };
    switch (clip.kind) {
    case Clip::Kind::text:
    case Clip::Kind::url:
        m_lastChangeCount = m_pasteboard.setString(clip.text);
        answer(true);
        return;
    case Clip::Kind::file:
        m_lastChangeCount = clip.storedPath ? m_pasteboard.setUrls({QUrl::fromLocalFile(*clip.storedPath)})
                                            : m_pasteboard.clearContents();
        answer(clip.storedPath.has_value());
        return;
    case Clip::Kind::image:
        break;
    }
    // Decoding waits its turn on the queue; the clipboard is written once it is done,
    // and only when there is an image to write.
    QPointer<ClipboardService> self(this);
    m_queue->async([self, path = clip.storedPath.value_or(QString()), generation = m_generation,
                    done = std::move(done)] {
        const QImage image = path.isEmpty() ? QImage() : clipboard_read::loadImage(path);
        onMain([self, image, generation, done] {
            // A later restore wins.
            const bool current = self && generation == self->m_generation;
            if (current && !image.isNull()) self->m_lastChangeCount = self->m_pasteboard.setImage(image);
            if (done) done(current && !image.isNull());
        });
    });
}

void ClipboardService::forgetOnDisk() {
    m_queue->async([store = m_store] {
        QFile::remove(store->file.path());
        // The next history saved starts afresh: nothing in it was removed by anyone.
        store->file.forget();
    });
}

} // namespace vesk
