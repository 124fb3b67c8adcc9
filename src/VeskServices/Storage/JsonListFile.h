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
    // What is wrong with a damaged file, for the trace.
    QString problem;
    // The file held an array (whole or not); false for a missing or unreadable one.
    bool found = false;
};

// Far more than any list of ours; a larger file is not read.
constexpr qint64 maxFileSize = 64 * 1024 * 1024;

// The array in `path`; nothing for a missing file. Sets `damaged` when the file cannot
// be read or parsed (also when something else than a regular file is in its place), and
// `problem`, when given, to what is wrong.
std::optional<QJsonArray> readArray(const QString& path, bool* damaged, QString* problem = nullptr);

// Every entry that `decode` (QJsonObject -> std::optional<T>) accepts, in file order.
template <typename T, typename Decode> Loaded<T> read(const QString& path, Decode decode) {
    Loaded<T> loaded;
    const std::optional<QJsonArray> array = readArray(path, &loaded.damaged, &loaded.problem);
    if (!array) return loaded;
    loaded.found = true;
    for (const QJsonValue& value : *array) {
        std::optional<T> item;
        if (value.isObject()) item = decode(value.toObject());
        if (item) {
            loaded.items.append(std::move(*item));
        } else if (!loaded.damaged) {
            loaded.damaged = true;
            loaded.problem = QStringLiteral("entry %1 does not decode").arg(loaded.items.size());
        }
    }
    return loaded;
}

// What a copy about to save finds in the file another copy may have written meanwhile.
template <typename T> struct ForMerge {
    // The file read whole: `theirs` is what it holds, to be merged.
    bool merge = false;
    QList<T> theirs;
    // False when a damaged file could not be kept aside: nothing may be written over it.
    bool writable = true;
};

// Keeps a damaged list file aside before a save replaces it, and traces what happened;
// false when it could not be moved.
bool keepAsideBeforeSave(const QString& path, const QString& problem);

// Only a file that reads whole is merged: entries missing from a damaged or cut file were
// not removed by anyone, so such a file gives nothing to the merge. It is kept aside and
// the caller writes its own list as it stands. A missing file gives nothing to merge.
template <typename T, typename Decode> ForMerge<T> readForMerge(const QString& path, Decode decode) {
    Loaded<T> loaded = read<T>(path, decode);
    ForMerge<T> result;
    if (loaded.damaged)
        result.writable = keepAsideBeforeSave(path, loaded.problem);
    else if (loaded.found)
        result = ForMerge<T>{.merge = true, .theirs = std::move(loaded.items), .writable = true};
    return result;
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
