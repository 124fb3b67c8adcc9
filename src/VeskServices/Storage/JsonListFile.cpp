#include "VeskServices/Storage/JsonListFile.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"

#include <QFileInfo>

#include <QJsonDocument>

namespace vesk::json_list {

std::optional<QJsonArray> readArray(const QString& path, bool* damaged, QString* problem) {
    *damaged = false;
    const auto fail = [damaged, problem](const QString& why) {
        *damaged = true;
        if (problem) *problem = why;
        return std::nullopt;
    };
    const files::FileRead read = files::readRegularFile(path, maxFileSize);
    if (read.status == files::FileRead::Status::missing) return std::nullopt;
    if (!read.ok()) return fail(read.error);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON at offset %1").arg(error.offset));
    if (!document.isArray()) return fail(QStringLiteral("not a JSON array"));
    return document.array();
}

bool keepAsideBeforeSave(const QString& path, const QString& problem) {
    const QString name = QFileInfo(path).fileName();
    const std::optional<QString> aside = files::keepAside(path);
    if (!aside) {
        TraceLog::trace(
            QStringLiteral("%1 damaged (%2) and could not be kept aside: not saved").arg(name, problem));
        return false;
    }
    TraceLog::trace(
        QStringLiteral(
            "%1 damaged (%2): nothing merged from it, kept aside as %3; this copy's list goes in its place")
            .arg(name, problem, QFileInfo(*aside).fileName()));
    return true;
}

} // namespace vesk::json_list
