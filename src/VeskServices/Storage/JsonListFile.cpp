#include "VeskServices/Storage/JsonListFile.h"

#include "VeskKit/Foundation/Files.h"

#include <QJsonDocument>

namespace vesk::json_list {

std::optional<QJsonArray> readArray(const QString& path, bool* damaged) {
    *damaged = false;
    const files::FileRead read = files::readRegularFile(path, maxFileSize);
    if (read.status == files::FileRead::Status::missing) return std::nullopt;
    if (!read.ok()) {
        *damaged = true;
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes);
    if (!document.isArray()) {
        *damaged = true;
        return std::nullopt;
    }
    return document.array();
}

} // namespace vesk::json_list
