#include "VeskServices/Clipboard/ClipboardService.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Pasteboard/ClipboardReader.h"
#include "VeskPlatform/Pasteboard/Pasteboard.h"
#include "VeskPlatform/Workspace/FrontmostApplication.h"
#include "VeskServices/Clipboard/ClipboardFiles.h"
#include "VeskServices/Clipboard/ClipboardRead.h"
#include "VeskServices/Storage/ContainerFolder.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QUrl>

namespace vesk {

ClipboardService::ClipboardService(Pasteboard& pasteboard, const QString& containerName,
                                   ClipboardServiceOptions options, QObject* parent)
    : QObject(parent), m_pasteboard(pasteboard), m_options(std::move(options)) {
    if (!m_options.reader) {
        m_ownReader = ClipboardReader::create();
        m_options.reader = m_ownReader.get();
    }
    const QString container = storage::containerFolder(containerName, false);
    m_mediaDirectory = container + QStringLiteral("/Clipboard");
    QDir().mkpath(m_mediaDirectory);
    m_storeURL = container + QStringLiteral("/clipboard.json");
    // Whatever is on the clipboard at start is not news.
    m_lastChangeCount = m_pasteboard.changeCount();
    m_queue = std::make_unique<SerialQueue>(queueLabel(), m_options.queueScheduler);

    QPointer<ClipboardService> self(this);
    m_queue->async([self, store = m_storeURL, media = m_mediaDirectory] {
        const QList<Clip> clips = clipboard_files::load(store, media).clips;
        onMain([self, clips] {
            if (self) self->finishLoading(clips);
        });
    });
}

ClipboardService::~ClipboardService() {
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
    QPointer<ClipboardService> self(this);
    m_queue->async([self, reader = m_options.reader, request, generation = m_generation] {
        const std::optional<Clip> clip = clipboard_read::read(*reader, request);
        onMain([self, clip, generation] {
            if (self) self->finishReading(clip, generation);
        });
    });
}

void ClipboardService::finishReading(const std::optional<Clip>& clip, quint64 generation) {
    m_reading = false;
    if (!clip) return;
    if (generation != m_generation) {
        // Begun before a restore: what it read may be our own write.
        if (clip->kind == Clip::Kind::image && clip->storedPath) deleteImages({*clip->storedPath});
        return;
    }
    record(*clip);
}

void ClipboardService::record(const Clip& clip) {
    QStringList doomed;
    m_clips.removeIf([&](const Clip& old) {
        if (old.kind != clip.kind || old.text != clip.text) return false;
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
    m_queue->async([clips = m_clips, store = m_storeURL] {
        files::writeAtomically(store, clipboard_files::encode(clips));
    });
}

void ClipboardService::deleteImages(const QStringList& paths) {
    if (paths.isEmpty()) return;
    m_queue->async([paths, media = m_mediaDirectory] { clipboard_files::deleteOwnImages(paths, media); });
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
    m_queue->async([store = m_storeURL] { QFile::remove(store); });
}

} // namespace vesk
