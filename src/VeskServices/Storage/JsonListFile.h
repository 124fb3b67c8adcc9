#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>

namespace vesk::json_list {

// What a file holding one JSON array of objects gave.
template <typename T> struct Loaded {
    QList<T> items;
    // The file exists but is not wholly readable: not read, not an array, or an entry
    // that does not decode. Callers keep such a file aside before saving over it.
    bool damaged = false;
};

// Far more than any list of ours; a larger file is not read.
constexpr qint64 maxFileSize = 64 * 1024 * 1024;

// The array in `path`; nothing for a missing file. Sets `damaged` when the file cannot
// be read or parsed (also when something else than a regular file is in its place).
std::optional<QJsonArray> readArray(const QString& path, bool* damaged);

// Every entry that `decode` (QJsonObject -> std::optional<T>) accepts, in file order.
template <typename T, typename Decode> Loaded<T> read(const QString& path, Decode decode) {
    Loaded<T> loaded;
    const std::optional<QJsonArray> array = readArray(path, &loaded.damaged);
    if (!array) return loaded;
    for (const QJsonValue& value : *array) {
        std::optional<T> item;
        if (value.isObject()) item = decode(value.toObject());
        if (item)
            loaded.items.append(std::move(*item));
        else
            loaded.damaged = true;
    }
    return loaded;
}

// Two copies of the program (two displays, one user) save one list to one file. Before a
// copy writes, it merges what the file holds now (`theirs`) into its own list (`ours`)
// against `base`, the ids the file held when this copy last read or wrote it: an entry
// the other copy added (in theirs, not in base) is kept, one it removed (in base, not in
// theirs) goes, and this copy's own additions and removals hold. Ours keep their order;
// the other copy's additions follow in theirs.
template <typename T, typename IdOf>
QList<T> merge(const QSet<decltype(std::declval<IdOf>()(std::declval<const T&>()))>& base,
               const QList<T>& ours, const QList<T>& theirs, IdOf idOf) {
    using Id = decltype(idOf(std::declval<const T&>()));
    QSet<Id> inTheirs;
    for (const T& item : theirs)
        inTheirs.insert(idOf(item));
    QList<T> merged;
    QSet<Id> taken;
    for (const T& item : ours)
        if (!base.contains(idOf(item)) || inTheirs.contains(idOf(item))) {
            merged.append(item);
            taken.insert(idOf(item));
        }
    for (const T& item : theirs)
        if (!base.contains(idOf(item)) && !taken.contains(idOf(item))) {
            merged.append(item);
            taken.insert(idOf(item));
        }
    return merged;
}

template <typename T, typename IdOf> auto ids(const QList<T>& items, IdOf idOf) {
    QSet<decltype(idOf(std::declval<const T&>()))> set;
    for (const T& item : items)
        set.insert(idOf(item));
    return set;
}

template <typename T, typename Encode> QByteArray encode(const QList<T>& items, Encode encode) {
    QJsonArray array;
    for (const T& item : items)
        array.append(encode(item));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace vesk::json_list
