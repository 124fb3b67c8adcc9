#include "VeskServices/LegacyStores/NoteStore.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Storage/ContainerFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>

namespace vesk {

namespace {

// The file's text, or nothing when it is missing, unreadable or not valid UTF-8.
std::optional<QString> readUtf8(const QString& path) {
    // A note is text a person typed; a larger file is not one.
    const files::FileRead read = files::readRegularFile(path, 64 * 1024 * 1024);
    if (!read.ok()) return std::nullopt;
    const QByteArray& bytes = read.bytes;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// A failed write leaves the older file whole; the text stays in memory.
void write(const QString& path, const QString& text) {
    QString error;
    if (!files::writeAtomically(path, text.toUtf8(), &error))
        TraceLog::trace(QFileInfo(path).fileName() + QStringLiteral(" not saved: ") + error);
}

} // namespace

NoteStore::NoteStore(const QString& containerName, const QString& fileName)
    : m_url(storage::containerFolder(containerName) + QLatin1Char('/') + fileName),
      m_backupURL(m_url + QStringLiteral(".bak")) {
    load();
}

void NoteStore::load() {
    if (const std::optional<QString> text = readUtf8(m_url)) {
        m_text = *text;
        write(m_backupURL, m_text);
        return;
    }
    if (const std::optional<QString> backup = readUtf8(m_backupURL)) m_text = *backup;
}

bool NoteStore::recoveredFromBackup() const {
    return !QFileInfo::exists(m_url) && QFileInfo::exists(m_backupURL);
}

void NoteStore::save(const QString& text) {
    m_text = text;
    write(m_url, m_text);
    if (onChange) onChange(m_text);
}

} // namespace vesk
