#include "VeskServices/Tray/TrayStore.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskPlatform/Pasteboard/Pasteboard.h"
#include "VeskPlatform/Thumbnails/DesktopThumbnailer.h"
#include "VeskServices/Pipelines/PipelineWorker.h"
#include "VeskServices/Tray/TrayFiles.h"
#include "VeskServices/Tray/TrayIndex.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

QString trayRoot(const QString& containerName) {
    // Clean, because stored paths are checked against it character for character.
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QLatin1Char('/') + containerName + QStringLiteral("/Tray"));
}

std::shared_ptr<ThumbnailGenerator> orDefault(std::shared_ptr<ThumbnailGenerator> generator) {
    return generator ? std::move(generator) : std::make_shared<DesktopThumbnailer>();
}

// Writes pasted data into a file that must not exist yet. A picture is encoded in
// memory first and every write is the system's own, so a failing disk gives its reason
// (the encoder only knows that its device failed, and a file's buffer can hide it).
bool writeNew(const QString& path, const QImage& image, const QByteArray& text, QString* error) {
    QByteArray bytes = text;
    if (!image.isNull()) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "PNG");
        if (!writer.write(image)) {
            *error = writer.errorString();
            return false;
        }
    }
    const auto failed = [&] {
        *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return failed();
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const bool written = failed();
            ::close(fd);
            return written;
        }
        done += n;
    }
    return ::close(fd) == 0 || failed();
}

} // namespace

TrayStore::TrayStore(const QString& containerName, TrayStoreOptions options, QObject* parent)
    : QObject(parent), m_root(trayRoot(containerName)), m_options(std::move(options)),
      m_indexWrite(QStringLiteral("tray index"),
                   [this](QString* error) {
                       return files::writeAtomically(indexPath(), tray_index::encode(m_items), error);
                   }),
      m_queue(std::make_unique<SerialQueue>(queueLabel(), m_options.queueScheduler)),
      m_thumbnails(m_root, picturesOrWorker(), orDefault(m_options.thumbnails)) {
    load();
}

TrayThumbnails::PictureSource TrayStore::picturesOrWorker() {
    if (m_options.pictures) return m_options.pictures;
    return [this](const QString& path, int pixels, TrayThumbnails::PictureDone done) {
        if (!m_pictureWorker) m_pictureWorker = new PipelineWorker(this);
        m_pictureWorker->preview(path, QSize(pixels, pixels), [done](const auto& rendered) {
            done(rendered ? std::optional<QImage>(rendered->picture) : std::nullopt);
        });
    };
}

TrayStore::~TrayStore() {
    // Copies stop at their next chunk and clean up; deletions already queued still run.
    m_stopping->store(true);
    m_queue->finish([] {});
    m_queue.reset();
}

int TrayStore::maxItems() const {
    const int value = m_options.maxItems ? m_options.maxItems() : defaultMaxItems;
    return std::max(1, value);
}

QString TrayStore::indexPath() const {
    return m_root + QStringLiteral("/index.json");
}

Date TrayStore::now() const {
    return m_options.clock ? m_options.clock->now() : Date::now();
}

void TrayStore::load() {
    QDir().mkpath(m_root);
    const tray_index::Contents contents = tray_index::read(indexPath());
    bool rewrite = false;
    if (contents.condition == tray_index::Condition::damaged) {
        TraceLog::trace(QStringLiteral("tray: ") + contents.problem);
        const auto aside = files::keepAside(indexPath());
        if (aside) {
            TraceLog::trace(QStringLiteral("tray: kept the damaged index as ") + *aside);
            rewrite = true;
        } else if (QFileInfo::exists(indexPath())) {
            // Saving now would destroy the only record of the damaged entries.
            m_indexWritable = false;
            TraceLog::trace(QStringLiteral("tray: the damaged index cannot be moved aside; not saving it"));
        }
    }

    QSet<QUuid> seen;
    for (const TrayItem& item : contents.items) {
        if (seen.contains(item.id) || !tray_files::hasValidStoredPath(m_root, item)) {
            TraceLog::trace(QStringLiteral("tray: dropping index entry for ") + item.storedPath);
            rewrite = true;
            continue;
        }
        if (!tray_files::isRealItemFolder(m_root, item.id) || !tray_files::entryExists(item.storedPath)) {
            rewrite = true;
            continue;
        }
        seen.insert(item.id);
        m_items.append(item);
    }
    if (rewrite) save();

    // An item folder the index does not name holds an item that entered while the index
    // could not be written, or just before an ending: it is found again. A removed item's
    // folder never has an item's name (see discard), so removals cut short stay removed.
    const QString root = m_root;
    QPointer<TrayStore> self(this);
    m_queue->async([self, root, seen] {
        tray_files::removeLeftovers(root);
        QList<TrayItem> found;
        for (const QString& name :
             QDir(root).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
            const auto id = tray_files::idFromFolderName(name);
            if (!id || seen.contains(*id)) continue;
            if (auto item = tray_files::adopt(root, name, measureLimit)) found.append(*item);
        }
        if (found.isEmpty()) return;
        mainScheduler().post([self, found] {
            if (self) self->adopted(found);
        });
    });
}

void TrayStore::adopted(const QList<TrayItem>& found) {
    bool changed = false;
    for (const TrayItem& item : found) {
        const bool known =
            std::any_of(m_items.cbegin(), m_items.cend(), [&](const TrayItem& i) { return i.id == item.id; });
        // Items that entered since the start, and any removed meanwhile, are no strays.
        if (known || m_pending.contains(item.id) || !tray_files::isRealItemFolder(m_root, item.id)) continue;
        TraceLog::trace(QStringLiteral("tray: recovered ") + item.storedPath);
        insertByDate(item);
        changed = true;
    }
    if (changed) save();
}

void TrayStore::save() {
    // A failed write keeps the list as it is in memory; the next change or an ending
    // writes it whole.
    if (m_indexWritable) m_indexWrite.write();
    Q_EMIT itemsChanged();
}

bool TrayStore::writeWaiting() {
    return !m_indexWritable || m_indexWrite.writeIfWaiting();
}

void TrayStore::insertRanked(const TrayItem& item) {
    const Rank rank = m_ranks.value(item.id);
    qsizetype at = 0;
    for (; at < m_items.size(); ++at) {
        const auto other = m_ranks.constFind(m_items[at].id);
        if (other == m_ranks.constEnd()) break;
        const bool ahead =
            other->call > rank.call || (other->call == rank.call && other->position < rank.position);
        if (!ahead) break;
    }
    m_items.insert(at, item);
}

void TrayStore::insertByDate(const TrayItem& item) {
    qsizetype at = 0;
    while (at < m_items.size() && (m_ranks.contains(m_items[at].id) || m_items[at].addedAt >= item.addedAt))
        ++at;
    m_items.insert(at, item);
}

void TrayStore::enterNow(const QList<TrayItem>& entered, const std::shared_ptr<EnteredHandler>& onEntered) {
    if (entered.isEmpty()) return;
    for (const TrayItem& item : entered)
        insertRanked(item);
    evict();
    save();
    if (onEntered && *onEntered) (*onEntered)(entered);
}

QList<TrayItem> TrayStore::add(const QList<QUrl>& urls, bool move, EnteredHandler onEntered) {
    Call how;
    how.move = move;
    return addAccepted(urls, onEntered, how);
}

QList<TrayItem> TrayStore::addOutputs(const QList<QUrl>& urls, EnteredHandler onEntered, LostHandler onLost) {
    Call how;
    how.outputs = true;
    how.onLost = std::move(onLost);
    return addAccepted(urls, onEntered, how);
}

QList<TrayItem> TrayStore::addAccepted(const QList<QUrl>& urls, const EnteredHandler& onEntered,
                                       const Call& how) {
    if (urls.isEmpty()) return {};
    const bool move = how.move;
    const bool fromOtherDevice = how.fromOtherDevice;
    const std::optional<QUuid> stack = urls.size() > 1 ? std::optional(QUuid::createUuid()) : std::nullopt;
    const quint64 call = ++m_calls;
    const auto handler = std::make_shared<EnteredHandler>(onEntered);
    const auto onLost = how.onLost ? std::make_shared<LostHandler>(how.onLost) : nullptr;
    const Date addedAt = now();
    const auto copy = [this, outputs = how.outputs](const TrayItem& item, const QString& source) {
        startWork(
            item,
            [source, outputs](const QString& file, TrayItem& made, const std::atomic<bool>& stopping,
                              QString* error) {
                if (tray_files::copy(source, file, stopping, error)) return true;
                // An output of ours needs no space to move in from the same filesystem.
                if (!outputs || stopping.load() || !tray_files::moveInstead(source, file)) return false;
                TraceLog::trace(QStringLiteral("tray: moved ") + source +
                                QStringLiteral(" in, as copying it failed: ") + *error);
                made.originalPath.reset();
                return true;
            },
            QStringLiteral("copying ") + source);
    };
    QList<TrayItem> accepted;
    QList<TrayItem> enteredNow;

    for (const QUrl& url : urls) {
        if (const auto why = tray_files::refusal(url, m_root)) {
            TraceLog::trace(QStringLiteral("tray: not adding ") + url.toDisplayString() +
                            QStringLiteral(": ") + *why);
            // A web link, or an item dragged from the tray back onto it, is no file lost.
            if (url.isLocalFile() && *why != QLatin1String("is inside the tray folder"))
                Q_EMIT itemNotAdded(QFileInfo(QDir::cleanPath(url.toLocalFile())).fileName(), *why);
            continue;
        }
        const QString source = QDir::cleanPath(url.toLocalFile());
        // The path names a newer output now: undoing its run leaves an older one alone.
        if (how.outputs) m_movedOutputs.remove(source);
        const QFileInfo info(source);
        TrayItem item;
        item.id = QUuid::createUuid();
        item.displayName = info.fileName();
        item.storedPath = tray_files::itemFolder(m_root, item.id) + QLatin1Char('/') + item.displayName;
        item.isDirectory = info.isDir();
        item.byteSize = item.isDirectory ? 0 : info.size();
        item.utTypeIdentifier =
            item.isDirectory
                ? QString::fromUtf16(uti::folder)
                : uti::identifierForExtension(info.suffix()).value_or(QString::fromUtf16(uti::data));
        item.addedAt = addedAt;
        item.stackID = stack;
        if (fromOtherDevice) item.fromOtherDevice = true;
        // A link is copied from what it points to, and stays where it is.
        const bool moveIn = move && !info.isSymLink();
        if (!moveIn) item.originalPath = source;

        Pending pending;
        pending.call = call;
        pending.position = static_cast<int>(accepted.size());
        pending.onEntered = handler;
        pending.onLost = onLost;
        pending.fromOtherDevice = fromOtherDevice;
        pending.output = how.outputs;
        if (moveIn) {
            const QString folder = tray_files::itemFolder(m_root, item.id);
            // The tray folder itself is made again when it went missing.
            if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 &&
                !(errno == ENOENT && QDir().mkpath(folder))) {
                const QString why = QString::fromLocal8Bit(std::strerror(errno));
                TraceLog::trace(QStringLiteral("tray: cannot create ") + folder + QStringLiteral(": ") + why);
                Q_EMIT itemNotAdded(item.displayName, why);
                continue;
            }
            QString error;
            const auto renamed = tray_files::rename(source, item.storedPath, &error);
            if (renamed == tray_files::RenameResult::failed) {
                QDir().rmdir(folder);
                TraceLog::trace(QStringLiteral("tray: cannot move ") + source + QStringLiteral(": ") + error);
                Q_EMIT itemNotAdded(item.displayName, error);
                continue;
            }
            if (renamed == tray_files::RenameResult::otherFileSystem) {
                QDir().rmdir(folder);
                pending.deleteSource = true;
                pending.source = source;
                m_pending.insert(item.id, pending);
                copy(item, source);
            } else if (item.isDirectory) {
                pending.inPlace = item;
                m_pending.insert(item.id, pending);
                startWork(item);
            } else {
                tray_files::describeStored(item, measureLimit);
                m_ranks.insert(item.id, Rank{call, pending.position});
                enteredNow.append(item);
            }
        } else {
            pending.source = source;
            m_pending.insert(item.id, pending);
            copy(item, source);
        }
        accepted.append(item);
    }
    enterNow(enteredNow, handler);
    return accepted;
}

void TrayStore::startWork(const TrayItem& item, Fill fill, const QString& what) {
    const QString root = m_root;
    QPointer<TrayStore> self(this);
    const bool staged = bool(fill);
    m_queue->async([self, root, item, fill, what, staged, stopping = m_stopping] {
        std::optional<TrayItem> done = item;
        QString error;
        QString stored = item.storedPath;
        if (fill) {
            // Staged in a folder of its own, which only the main thread names as the
            // item's: an item folder never holds half a file, nor one that was removed.
            const QString incoming = tray_files::incomingFolder(root, item.id);
            stored = incoming + QLatin1Char('/') + item.displayName;
            bool ok = false;
            if (stopping->load())
                error = QStringLiteral("cancelled");
            else if (::mkdir(QFile::encodeName(incoming).constData(), 0777) != 0)
                error = incoming + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            else
                ok = fill(stored, *done, *stopping, &error);
            if (!ok) {
                tray_files::removeFolder(root, incoming);
                TraceLog::trace(QStringLiteral("tray: ") + what + QStringLiteral(" failed: ") + error);
                done.reset();
            }
        }
        if (done) {
            TrayItem described = *done;
            described.storedPath = stored;
            tray_files::describeStored(described, measureLimit);
            described.storedPath = done->storedPath;
            done = described;
        }
        // The system's words without the path they came with.
        const QString reason = error.mid(error.lastIndexOf(QStringLiteral(": ")) + 1).trimmed();
        mainScheduler().post([self, id = item.id, done, staged, name = item.displayName, reason] {
            if (self) self->finish(id, done, staged, name, reason);
        });
    });
}

void TrayStore::finish(const QUuid& id, const std::optional<TrayItem>& done, bool staged, const QString& name,
                       const QString& reason) {
    const auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    const Pending pending = *it;
    m_pending.erase(it);
    const QString incoming = tray_files::incomingFolder(m_root, id);
    const auto dropStaged = [this, staged, incoming] {
        if (staged) m_queue->async([root = m_root, incoming] { tray_files::removeFolder(root, incoming); });
    };
    if (done && pending.cancelled) {
        // What was staged never enters; a folder moved in went aside when it was removed.
        dropStaged();
        return;
    }
    QString why = reason;
    bool entered = done.has_value();
    if (entered && staged) {
        QString error;
        if (tray_files::rename(incoming, tray_files::itemFolder(m_root, id), &error) !=
            tray_files::RenameResult::renamed) {
            TraceLog::trace(QStringLiteral("tray: cannot name ") + incoming + QStringLiteral(": ") + error);
            dropStaged();
            why = error;
            entered = false;
        }
    }
    if (!entered) {
        if (pending.cancelled || m_stopping->load()) return;
        if (pending.onLost && *pending.onLost) (*pending.onLost)(pending.source, why);
        Q_EMIT itemNotAdded(name, why);
        return;
    }
    TrayItem item = *done;
    if (pending.fromOtherDevice) item.fromOtherDevice = true;
    if (pending.output && !item.originalPath) m_movedOutputs.insert(pending.source, id);
    m_ranks.insert(id, Rank{pending.call, pending.position});
    enterNow({item}, pending.onEntered);
    if (pending.deleteSource) {
        const QString source = pending.source;
        const QString copy = item.storedPath;
        m_queue->async([source, copy] {
            if (!tray_files::deleteCopiedSource(source, copy))
                TraceLog::trace(QStringLiteral("tray: moved ") + source +
                                QStringLiteral(" into the tray, but some of it could not be deleted"));
        });
    }
}

QList<TrayItem> TrayStore::addFromPasteboard(const Pasteboard& pasteboard, EnteredHandler onEntered) {
    const bool remote = pasteboard.hasType(remoteClipboardType());
    const QList<QUrl> urls = pasteboard.urls();
    if (!urls.isEmpty()) {
        Call how;
        how.fromOtherDevice = remote;
        return addAccepted(urls, onEntered, how);
    }

    const qint64 stamp = static_cast<qint64>(std::floor(now().unixTime()));
    const QString base = QStringLiteral("Pasted ") + QString::number(stamp);
    const auto handler = std::make_shared<EnteredHandler>(std::move(onEntered));
    const QImage image = pasteboard.image();
    if (!image.isNull()) return {stagePasted(base + QStringLiteral(".png"), image, {}, handler, remote)};
    const QString text = pasteboard.string();
    if (!text.isEmpty())
        return {stagePasted(base + QStringLiteral(".txt"), {}, text.toUtf8(), handler, remote)};
    return {};
}

TrayItem TrayStore::stagePasted(const QString& name, const QImage& image, const QByteArray& text,
                                const std::shared_ptr<EnteredHandler>& onEntered, bool fromOtherDevice) {
    TrayItem item;
    item.id = QUuid::createUuid();
    item.displayName = name;
    item.storedPath = tray_files::itemFolder(m_root, item.id) + QLatin1Char('/') + name;
    item.utTypeIdentifier =
        uti::identifierForExtension(QFileInfo(name).suffix()).value_or(QString::fromUtf16(uti::data));
    item.byteSize = text.size();
    item.addedAt = now();
    if (fromOtherDevice) item.fromOtherDevice = true;
    Pending pending;
    pending.call = ++m_calls;
    pending.onEntered = onEntered;
    pending.fromOtherDevice = fromOtherDevice;
    m_pending.insert(item.id, pending);
    startWork(
        item,
        [image, text](const QString& file, TrayItem&, const std::atomic<bool>&, QString* error) {
            return writeNew(file, image, text, error);
        },
        QStringLiteral("writing pasted ") + name);
    return item;
}

void TrayStore::thumbnail(const TrayItem& item, double size, QObject* context,
                          std::function<void(const QImage&)> done) const {
    m_thumbnails.request(item, size, context, std::move(done));
}

} // namespace vesk
