#include "VeskServices/Tray/TrayIndex.h"

#include "VeskKit/Foundation/Files.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vesk::tray_index {

namespace {

// How many object ends before a parse error are tried as the end of a shortened array.
constexpr int salvageAttempts = 64;

// The array up to the last complete entry before `errorOffset`, if one parses.
std::optional<QJsonArray> salvage(const QByteArray& bytes, qsizetype errorOffset) {
    qsizetype end = std::min(errorOffset, bytes.size() - 1);
    for (int attempt = 0; attempt < salvageAttempts && end > 0; ++attempt) {
        end = bytes.lastIndexOf('}', end);
        if (end < 0) break;
        QByteArray candidate = bytes.left(end + 1);
        candidate.append(']');
        const QJsonDocument doc = QJsonDocument::fromJson(candidate);
        if (doc.isArray()) return doc.array();
        --end;
    }
    return std::nullopt;
}

} // namespace

QByteArray encode(const QList<TrayItem>& items) {
    QJsonArray array;
    for (const TrayItem& item : items)
        array.append(item.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

Contents decode(const QByteArray& bytes) {
    Contents contents;
    contents.condition = Condition::intact;
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    QJsonArray array;
    if (parseError.error != QJsonParseError::NoError) {
        contents.condition = Condition::damaged;
        contents.problem = QStringLiteral("index is not valid JSON at offset %1: %2")
                               .arg(parseError.offset)
                               .arg(parseError.errorString());
        if (bytes.trimmed().startsWith('[')) array = salvage(bytes, parseError.offset).value_or(QJsonArray());
    } else if (!doc.isArray()) {
        contents.condition = Condition::damaged;
        contents.problem = QStringLiteral("index is not a JSON array");
    } else {
        array = doc.array();
    }
    for (qsizetype i = 0; i < array.size(); ++i) {
        QString error;
        std::optional<TrayItem> item;
        if (array.at(i).isObject())
            item = TrayItem::fromJson(array.at(i).toObject(), &error);
        else
            error = QStringLiteral("not an object");
        if (item) {
            contents.items.append(*item);
        } else {
            if (contents.condition == Condition::intact)
                contents.problem = QStringLiteral("index entry %1: %2").arg(i).arg(error);
            contents.condition = Condition::damaged;
        }
    }
    return contents;
}

Contents read(const QString& path) {
    // Thousands of items take a few megabytes; a far larger file is not our index.
    constexpr qint64 maximumIndexSize = 256 * 1024 * 1024;
    const files::FileRead file = files::readRegularFile(path, maximumIndexSize);
    if (file.status == files::FileRead::Status::missing) return {};
    if (!file.ok()) {
        Contents contents;
        contents.condition = Condition::damaged;
        contents.problem = QStringLiteral("index cannot be read: ") + file.error;
        return contents;
    }
    return decode(file.bytes);
}

} // namespace vesk::tray_index
