// How items leave the tray: their folders go aside at once, and are deleted or trashed
// on the queue; an item whose file cannot go to the trash comes back.
#include "VeskServices/Tray/TrayStore.h"

#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskServices/Tray/TrayFiles.h"

#include <QPointer>

#include <algorithm>

namespace vesk {

void TrayStore::evict() {
    const int limit = maxItems();
    if (m_items.size() <= limit) return;
    const QList<TrayItem> evicted = m_items.mid(limit);
    m_items.resize(limit);
    Place last;
    last.listed = true;
    for (const TrayItem& item : evicted) {
        m_ranks.remove(item.id);
        discard(item, !item.originalPath, last);
    }
}

void TrayStore::discard(const TrayItem& item, bool trash, const Place& place) {
    // Aside before the index forgets the item: an ending at any point after cannot bring
    // it back. The deleting, or trashing, is the queue's.
    const std::optional<QString> folder = tray_files::setAside(m_root, item.id, trash);
    if (!folder) return;
    const QString root = m_root;
    QPointer<TrayStore> self(this);
    m_queue->async([self, root, folder = *folder, item, trash, place] {
        const std::optional<QString> reason = tray_files::discard(root, folder, item, trash);
        if (!reason) return;
        mainScheduler().post([self, item, place, reason = *reason] {
            if (self) self->notRemoved(item, place, reason);
        });
    });
}

void TrayStore::notRemoved(const TrayItem& item, const Place& place, const QString& reason) {
    const auto same = [&](const QUuid& id) { return [id](const TrayItem& other) { return other.id == id; }; };
    // Back where it stood, unless its folder could not go back under its name.
    if (std::none_of(m_items.cbegin(), m_items.cend(), same(item.id)) && !m_pending.contains(item.id) &&
        tray_files::isRealItemFolder(m_root, item.id)) {
        const auto next = place.before ? std::find_if(m_items.cbegin(), m_items.cend(), same(*place.before))
                                       : m_items.cend();
        if (place.listed && (!place.before || next != m_items.cend()))
            m_items.insert(next - m_items.cbegin(), item);
        else
            insertByDate(item);
        if (place.rank) m_ranks.insert(item.id, *place.rank);
        save();
    }
    Q_EMIT itemNotRemoved(item.displayName, reason);
}

void TrayStore::remove(const TrayItem& item) {
    remove(QList<TrayItem>{item});
}

void TrayStore::remove(const QList<TrayItem>& items) {
    for (const TrayItem& item : items) {
        TrayItem target = item;
        Place place;
        const auto listed = std::find_if(m_items.cbegin(), m_items.cend(),
                                         [&](const TrayItem& i) { return i.id == item.id; });
        // What the tray knows about its own item decides between deleting and trashing.
        if (listed != m_items.cend()) {
            target = *listed;
            place.listed = true;
            if (listed + 1 != m_items.cend()) place.before = (listed + 1)->id;
            if (m_ranks.contains(item.id)) place.rank = m_ranks.value(item.id);
        }
        m_items.removeIf([&](const TrayItem& i) { return i.id == item.id; });
        m_ranks.remove(item.id);
        if (auto pending = m_pending.find(item.id); pending != m_pending.end())
            cancel(*pending);
        else
            discard(target, !target.originalPath, place);
    }
    save();
}

void TrayStore::removeAll() {
    const QList<TrayItem> kept = m_items;
    m_items.clear();
    m_ranks.clear();
    for (Pending& pending : m_pending)
        cancel(pending);
    for (qsizetype i = 0; i < kept.size(); ++i) {
        Place place;
        place.listed = true;
        if (i + 1 < kept.size()) place.before = kept[i + 1].id;
        discard(kept[i], !kept[i].originalPath, place);
    }
    save();
}

void TrayStore::cancel(Pending& pending) {
    if (pending.cancelled) return;
    pending.cancelled = true;
    // A folder moved in is in its item folder already: it goes aside now. What is staged
    // elsewhere is dropped when its work ends.
    if (pending.inPlace) discard(*pending.inPlace, true, Place{});
}

void TrayStore::removeCopiesOf(const QSet<QString>& originalPaths) {
    QSet<QUuid> outputs;
    for (const QString& path : originalPaths)
        if (const QUuid id = m_movedOutputs.take(path); !id.isNull()) outputs.insert(id);
    bool changed = false;
    const QList<TrayItem> listed = m_items;
    for (const TrayItem& item : listed) {
        const bool copy = item.originalPath && originalPaths.contains(*item.originalPath);
        if (!copy && !outputs.contains(item.id)) continue;
        m_items.removeIf([&](const TrayItem& i) { return i.id == item.id; });
        m_ranks.remove(item.id);
        discard(item, false, Place{});
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

} // namespace vesk
