#include "VeskKit/Foundation/JsonListFile.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace vesk {

namespace {

// How many object ends before a parse error are tried as the end of a shortened array.
constexpr int salvageAttempts = 64;

// A file cut short or with damage after some entries: the array up to the last complete
// entry before the error, if one parses.
QJsonArray salvage(const QByteArray& bytes, qsizetype errorOffset) {
    if (!bytes.trimmed().startsWith('[')) return {};
    qsizetype end = std::min(errorOffset, bytes.size() - 1);
    for (int attempt = 0; attempt < salvageAttempts && end > 0; ++attempt) {
        end = bytes.lastIndexOf('}', end);
        if (end < 0) break;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes.left(end + 1) + ']');
        if (doc.isArray()) return doc.array();
        --end;
    }
    return {};
}

} // namespace

QJsonArray JsonListFile::readArray() {
    m_damaged = false;
    const files::FileRead read = files::readRegularFile(m_path, maxFileSize);
    if (read.status == files::FileRead::Status::missing) return {};
    if (!read.ok()) {
        noteDamage(QStringLiteral("cannot be read: ") + read.error);
        return {};
    }
    const QByteArray& bytes = read.bytes;
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        noteDamage(QStringLiteral("not valid JSON at offset %1: %2")
                       .arg(parseError.offset)
                       .arg(parseError.errorString()));
        return salvage(bytes, parseError.offset);
    }
    if (!doc.isArray()) {
        noteDamage(QStringLiteral("not a JSON array"));
        return {};
    }
    return doc.array();
}

void JsonListFile::noteDamage(const QString& problem) {
    if (!m_damaged) TraceLog::trace(QFileInfo(m_path).fileName() + QStringLiteral(" damaged, ") + problem);
    m_damaged = true;
}

bool JsonListFile::save(const QJsonArray& array, QString* error) {
    if (m_damaged && QFileInfo::exists(m_path)) {
        const std::optional<QString> aside = files::keepAside(m_path);
        if (!aside) {
            *error = QStringLiteral("the damaged file could not be kept aside");
            return false;
        }
        TraceLog::trace(QFileInfo(m_path).fileName() + QStringLiteral(" kept aside as ") +
                        QFileInfo(*aside).fileName());
    }
    m_damaged = false;
    return files::writeAtomically(m_path, QJsonDocument(array).toJson(QJsonDocument::Compact), error);
}

} // namespace vesk
