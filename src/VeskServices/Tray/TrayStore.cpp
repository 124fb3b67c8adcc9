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

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

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

// Writes pasted data into a file that must not exist yet.
bool writeNew(const QString& path, const QImage& image, const QByteArray& text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!image.isNull()) {
        QImageWriter writer(&file, "PNG");
        if (!writer.write(image)) {
            *error = writer.errorString();
            return false;
        }
    } else if (file.write(text) != text.size()) {
        *error = file.errorString();
        return false;
    }
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

TrayStore::TrayStore(const QString& containerName, TrayStoreOptions options, QObject* parent)
    : QObject(parent), m_root(trayRoot(containerName)), m_options(std::move(options)),
      m_indexWrite(QStringLiteral("tray: the index"),
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

    const QString root = m_root;
    m_queue->async([root] { tray_files::removeLeftovers(root); });

    if (contents.condition == tray_index::Condition::intact) return;
    // Folders the index does not name, listed now so that nothing added later counts.
    QStringList orphans;
    for (const QString& name : QDir(m_root).entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        const auto id = tray_files::idFromFolderName(name);
        if (id && !seen.contains(*id)) orphans.append(name);
    }
    if (orphans.isEmpty()) return;
    QPointer<TrayStore> self(this);
    m_queue->async([self, root, orphans] {
        QList<TrayItem> found;
        for (const QString& name : orphans)
            if (auto item = tray_files::adopt(root, name, measureLimit)) found.append(*item);
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
        if (known || m_pending.contains(item.id)) continue;
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

void TrayStore::evict() {
    const int limit = maxItems();
    if (m_items.size() <= limit) return;
    const QList<TrayItem> evicted = m_items.mid(limit);
    m_items.resize(limit);
    for (const TrayItem& item : evicted) {
        m_ranks.remove(item.id);
        discard(item);
    }
}

void TrayStore::discard(const TrayItem& item) {
    const QString root = m_root;
    const bool trash = !item.originalPath.has_value();
    m_queue->async([root, item, trash] { tray_files::discard(root, item, trash); });
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
    return addAccepted(urls, move, onEntered, false);
}

QList<TrayItem> TrayStore::addAccepted(const QList<QUrl>& urls, bool move, const EnteredHandler& onEntered,
                                       bool fromOtherDevice) {
    if (urls.isEmpty()) return {};
    const std::optional<QUuid> stack = urls.size() > 1 ? std::optional(QUuid::createUuid()) : std::nullopt;
    const quint64 call = ++m_calls;
    const auto handler = std::make_shared<EnteredHandler>(onEntered);
    const Date addedAt = now();
    const auto copy = [this](const TrayItem& item, const QString& source) {
        startWork(
            item,
            [source](const QString& file, const std::atomic<bool>& stopping, QString* error) {
                return tray_files::copy(source, file, stopping, error);
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
        pending.fromOtherDevice = fromOtherDevice;
        if (moveIn) {
            const QString folder = tray_files::itemFolder(m_root, item.id);
            if (!QDir().mkpath(folder)) {
                TraceLog::trace(QStringLiteral("tray: cannot create ") + folder);
                Q_EMIT itemNotAdded(item.displayName, QStringLiteral("cannot create its folder in the tray"));
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
    m_queue->async([self, root, item, fill, what, stopping = m_stopping] {
        std::optional<TrayItem> done = item;
        QString error;
        if (fill) {
            // Staged in a folder of its own and renamed into place, so an item folder
            // never holds half a file.
            const QString incoming = tray_files::incomingFolder(root, item.id);
            bool ok = false;
            if (stopping->load())
                error = QStringLiteral("cancelled");
            else if (!QDir().mkdir(incoming))
                error = incoming + QStringLiteral(": cannot create folder");
            else
                ok = fill(incoming + QLatin1Char('/') + item.displayName, *stopping, &error) &&
                     tray_files::rename(incoming, tray_files::itemFolder(root, item.id), &error) ==
                         tray_files::RenameResult::renamed;
            if (!ok) {
                tray_files::removeFolder(root, incoming);
                TraceLog::trace(QStringLiteral("tray: ") + what + QStringLiteral(" failed: ") + error);
                done.reset();
            }
        }
        if (done) tray_files::describeStored(*done, measureLimit);
        // The system's words without the path they came with.
        const QString reason = error.mid(error.lastIndexOf(QStringLiteral(": ")) + 1).trimmed();
        mainScheduler().post([self, id = item.id, done, name = item.displayName, reason] {
            if (self) self->finish(id, done, name, reason);
        });
    });
}

void TrayStore::finish(const QUuid& id, const std::optional<TrayItem>& done, const QString& name,
                       const QString& reason) {
    const auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    const Pending pending = *it;
    m_pending.erase(it);
    if (!done) {
        if (!pending.cancelled && !m_stopping->load()) Q_EMIT itemNotAdded(name, reason);
        return;
    }
    TrayItem item = *done;
    if (pending.fromOtherDevice) item.fromOtherDevice = true;
    if (pending.cancelled) {
        // A move across filesystems still has its source, so what arrived is a copy.
        if (pending.deleteSource) item.originalPath = pending.source;
        discard(item);
        return;
    }
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
    if (!urls.isEmpty()) return addAccepted(urls, false, onEntered, remote);

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
        [image, text](const QString& file, const std::atomic<bool>&, QString* error) {
            return writeNew(file, image, text, error);
        },
        QStringLiteral("writing pasted ") + name);
    return item;
}

void TrayStore::remove(const TrayItem& item) {
    remove(QList<TrayItem>{item});
}

void TrayStore::remove(const QList<TrayItem>& items) {
    for (const TrayItem& item : items) {
        TrayItem target = item;
        const auto listed = std::find_if(m_items.cbegin(), m_items.cend(),
                                         [&](const TrayItem& i) { return i.id == item.id; });
        // What the tray knows about its own item decides between deleting and trashing.
        if (listed != m_items.cend()) target = *listed;
        m_items.removeIf([&](const TrayItem& i) { return i.id == item.id; });
        m_ranks.remove(item.id);
        if (auto pending = m_pending.find(item.id); pending != m_pending.end())
            pending->cancelled = true;
        else
            discard(target);
    }
    save();
}

void TrayStore::removeAll() {
    const QList<TrayItem> kept = m_items;
    m_items.clear();
    m_ranks.clear();
    for (Pending& pending : m_pending)
        pending.cancelled = true;
    for (const TrayItem& item : kept)
        discard(item);
    save();
}

void TrayStore::removeCopiesOf(const QSet<QString>& originalPaths) {
    bool changed = false;
    const QList<TrayItem> listed = m_items;
    for (const TrayItem& item : listed) {
        if (!item.originalPath || !originalPaths.contains(*item.originalPath)) continue;
        m_items.removeIf([&](const TrayItem& i) { return i.id == item.id; });
        m_ranks.remove(item.id);
        discard(item);
        changed = true;
    }
    // A move across filesystems is not a copy: its source goes away once it entered.
    for (Pending& pending : m_pending) {
        if (pending.cancelled || pending.deleteSource || !originalPaths.contains(pending.source)) continue;
        pending.cancelled = true;
        changed = true;
    }
    if (changed) save();
}

void TrayStore::thumbnail(const TrayItem& item, double size, QObject* context,
                          std::function<void(const QImage&)> done) const {
    m_thumbnails.request(item, size, context, std::move(done));
}

} // namespace vesk
