#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// One JSON array of records in one file, as the desk's list services keep theirs.
// A file that cannot be read whole is never lost: every entry that still decodes is
// loaded, and the file is kept aside (files::keepAside) before the first save replaces
// it. A failed save says why. Main thread only.
class JsonListFile {
public:
    // Far more than any list of ours; a larger file is not read.
    static constexpr qint64 maxFileSize = 64 * 1024 * 1024;

    explicit JsonListFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // The last load found a damaged file that has not been kept aside yet.
    bool isDamaged() const { return m_damaged; }

    // The array's objects as read. A missing file is an empty list; an unreadable or
    // damaged one gives the entries that parse and decode.
    template <typename T>
    QList<T> load(const std::function<std::optional<T>(const QJsonObject&, QString*)>& decode) {
        QList<T> items;
        for (const QJsonValue& value : readArray()) {
            QString error;
            std::optional<T> item;
            if (value.isObject())
                item = decode(value.toObject(), &error);
            else
                error = QStringLiteral("not an object");
            if (item)
                items.append(std::move(*item));
            else
                noteDamage(QStringLiteral("entry %1: %2").arg(items.size()).arg(error));
        }
        return items;
    }

    // Writes the array compactly and atomically, after keeping a damaged file aside.
    // A damaged file that cannot be moved is not overwritten. False when nothing was
    // written, with the reason in `error`.
    bool save(const QJsonArray& array, QString* error);

private:
    QJsonArray readArray();
    void noteDamage(const QString& problem);

    QString m_path;
    bool m_damaged = false;
};

} // namespace vesk
