#include "VeskServices/Tray/TrayItem.h"

#include "VeskKit/Foundation/Json.h"
#include "VeskPlatform/Files/UniformTypes.h"
#include "VeskServices/Tray/ByteCount.h"

#include <limits>

namespace vesk {

QString TrayItem::utType() const {
    return uti::isKnown(utTypeIdentifier) ? utTypeIdentifier : QString::fromUtf16(uti::data);
}

QString TrayItem::formattedSize() const {
    return formatByteCount(byteSize);
}

QString TrayItem::subtitle() const {
    if (!isDirectory) return formattedSize();
    QString text =
        childCount == 1 ? QStringLiteral("1 item") : QString::number(childCount) + QStringLiteral(" items");
    if (byteSize >= 1) text += QStringLiteral(" \u00B7 ") + formattedSize();
    return text;
}

QJsonObject TrayItem::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("id"), json::fromUuid(id));
    o.insert(QStringLiteral("displayName"), displayName);
    o.insert(QStringLiteral("storedPath"), storedPath);
    json::insertOptional(o, QStringLiteral("originalPath"), originalPath, [](const QString& s) { return s; });
    json::insertOptional(o, QStringLiteral("bookmark"), bookmark, json::fromData);
    o.insert(QStringLiteral("utTypeIdentifier"), utTypeIdentifier);
    o.insert(QStringLiteral("byteSize"), static_cast<double>(byteSize));
    o.insert(QStringLiteral("addedAt"), json::fromDate(addedAt));
    json::insertOptional(o, QStringLiteral("thumbnailPath"), thumbnailPath,
                         [](const QString& s) { return s; });
    json::insertOptional(o, QStringLiteral("stackID"), stackID, json::fromUuid);
    o.insert(QStringLiteral("isDirectory"), isDirectory);
    o.insert(QStringLiteral("childCount"), childCount);
    json::insertOptional(o, QStringLiteral("fromOtherDevice"), fromOtherDevice, [](bool b) { return b; });
    return o;
}

std::optional<TrayItem> TrayItem::fromJson(const QJsonObject& object, QString* error) {
    json::Reader r(object, QStringLiteral("tray item"));
    TrayItem item;
    item.id = r.uuid(QStringLiteral("id"));
    item.displayName = r.string(QStringLiteral("displayName"));
    item.storedPath = r.string(QStringLiteral("storedPath"));
    item.originalPath = r.optionalString(QStringLiteral("originalPath"));
    item.bookmark = r.optionalData(QStringLiteral("bookmark"));
    item.utTypeIdentifier = r.string(QStringLiteral("utTypeIdentifier"));
    item.byteSize = r.integer(QStringLiteral("byteSize"));
    item.addedAt = r.date(QStringLiteral("addedAt"));
    item.thumbnailPath = r.optionalString(QStringLiteral("thumbnailPath"));
    item.stackID = r.optionalUuid(QStringLiteral("stackID"));
    item.isDirectory = r.boolean(QStringLiteral("isDirectory"));
    const qint64 children = r.integer(QStringLiteral("childCount"));
    item.fromOtherDevice = r.optionalBoolean(QStringLiteral("fromOtherDevice"));
    if (!r.ok()) {
        if (error) *error = r.error();
        return std::nullopt;
    }
    if (children < std::numeric_limits<int>::min() || children > std::numeric_limits<int>::max()) {
        if (error) *error = QStringLiteral("tray item: field \"childCount\" is out of range");
        return std::nullopt;
    }
    item.childCount = static_cast<int>(children);
    return item;
}

} // namespace vesk
