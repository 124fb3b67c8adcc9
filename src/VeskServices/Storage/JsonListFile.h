#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace vesk::json_list {

// What a file holding one JSON array of objects gave.
template <typename T> struct Loaded {
    QList<T> items;
    // The file exists but is not wholly readable: not read, not an array, or an entry
    // that does not decode. Callers keep such a file aside before saving over it.
    bool damaged = false;
};

// The array in `path`; nothing for a missing file. Sets `damaged` when the file cannot
// be read or parsed.
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

template <typename T, typename Encode> QByteArray encode(const QList<T>& items, Encode encode) {
    QJsonArray array;
    for (const T& item : items)
        array.append(encode(item));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace vesk::json_list
