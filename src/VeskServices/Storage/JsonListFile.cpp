#include "VeskServices/Storage/JsonListFile.h"

#include <QFile>
#include <QJsonDocument>

namespace vesk::json_list {

std::optional<QJsonArray> readArray(const QString& path, bool* damaged) {
    *damaged = false;
    QFile file(path);
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        *damaged = true;
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isArray()) {
        *damaged = true;
        return std::nullopt;
    }
    return document.array();
}

} // namespace vesk::json_list
