#pragma once

#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/FolderLock.h"
#include "VeskServices/Storage/JsonListFile.h"

#include <QFileInfo>
#include <QUuid>

#include <functional>

namespace vesk {

// One list file that two copies of the program (two displays, one user) both write, its
// entries told apart by their `id`. Each write merges in, under the folder's lock, what
// the other copy added and removed since this copy last saw the file, then writes this
// copy's list. Used on one thread at a time.
template <typename T> class SharedListFile {
public:
    struct Form {
        std::function<std::optional<T>(const QJsonObject&)> decode;
        // The bytes of the list; it may leave entries out from the end, which then go.
        std::function<QByteArray(QList<T>&)> encode;
        // Drops what of the other copy's entries this copy does not take; all are taken
        // when empty.
        std::function<void(QList<T>&)> adopt = {};
        // Puts a merged list in the shape the service keeps; as merged when empty.
        std::function<QList<T>(QList<T>)> tidy = {};
    };

    SharedListFile(QString path, Form form) : m_path(std::move(path)), m_form(std::move(form)) {}

    const QString& path() const { return m_path; }
    // What this copy read from the file at its start.
    void setSeen(const QList<T>& items) { m_seen = json_list::ids(items, idOf); }
    // The file was removed: nothing a later file lacks was removed by anyone.
    void forget() { m_seen.clear(); }

    // Merges the file as it is now into `items` and writes them; true when the file holds
    // them, else false with the reason. A file that read whole is what this copy has seen
    // from then on, whatever the write does: a retry after a failed write merges against
    // it, so what the other copy removed meanwhile is not taken for this copy's own.
    bool write(QList<T>& items, QString* error) {
        const FolderLock lock(QFileInfo(m_path).absolutePath());
        json_list::ForMerge<T> current = json_list::readForMerge<T>(m_path, m_form.decode);
        if (current.merge) {
            if (m_form.adopt) m_form.adopt(current.theirs);
            QList<T> merged = json_list::merge(m_seen, items, current.theirs, idOf);
            items = m_form.tidy ? m_form.tidy(std::move(merged)) : std::move(merged);
            m_seen = json_list::ids(current.theirs, idOf);
        }
        QString reason;
        if (!current.writable) {
            reason = QStringLiteral("the damaged file could not be kept aside");
        } else if (files::writeAtomically(m_path, m_form.encode(items), &reason)) {
            m_seen = json_list::ids(items, idOf);
            return true;
        }
        if (error) *error = reason;
        return false;
    }

private:
    static QUuid idOf(const T& item) { return item.id; }

    QString m_path;
    Form m_form;
    QSet<QUuid> m_seen;
};

} // namespace vesk
