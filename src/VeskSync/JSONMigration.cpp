#include "VeskSync/JSONMigration.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/Json.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContext.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace vesk {

namespace {

// Generous for a list of to-dos or a note; a larger file is not one of ours.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

// The name of the file, beside the old files, that says the import is done: the flag in
// the settings can be lost with a damaged settings file, and an import run twice brings
// back every row deleted since.
const QString doneFileName = QStringLiteral(".json-import-done");

void skipped(const QString& path, const QString& why) {
    TraceLog::trace(QStringLiteral("import: ") + QFileInfo(path).fileName() + QStringLiteral(" skipped, ") +
                    why);
}

// A FIFO or device in a file's place is never waited on, and the size is judged on what
// was opened. Nothing for a missing file; a file that exists and is not read is traced.
std::optional<QByteArray> readFile(const QString& path) {
    files::FileRead read = files::readRegularFile(path, maximumFileSize);
    if (read.ok()) return std::move(read.bytes);
    if (read.status != files::FileRead::Status::missing) skipped(path, read.error);
    return std::nullopt;
}

// The rows of a file holding a JSON array; nothing for anything else.
QJsonArray rows(const QString& path) {
    const auto bytes = readFile(path);
    if (!bytes) return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (document.isArray()) return document.array();
    skipped(path, error.error != QJsonParseError::NoError ? error.errorString()
                                                          : QStringLiteral("not a JSON array"));
    return {};
}

QString folderOf(const QString& containerName) {
    return QFileInfo(files::applicationSupportFolder()).absolutePath() + QLatin1Char('/') + containerName;
}

// Only the hyphenated 36-character form is an id (QUuid also takes braces).
std::optional<QUuid> rowID(json::Reader& reader) {
    const std::optional<QString> text = reader.optionalString(QStringLiteral("id"));
    if (!text) return std::nullopt;
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}$"));
    if (!form.match(*text).hasMatch()) return QUuid(); // invalid: the row fails
    return QUuid::fromString(*text);
}

template <class T> QSet<QUuid> storedIDs(ModelContext& context) {
    QSet<QUuid> ids;
    for (const auto& record : context.fetch<T>().value_or(RecordList<T>{}))
        ids.insert(record->uuid);
    return ids;
}

} // namespace

QString JSONMigration::doneFilePath() const {
    return folderOf(containerName) + QLatin1Char('/') + doneFileName;
}

bool JSONMigration::hasRun() const {
    return UserDefaults::standard().boolValue(QString::fromLatin1(flagKey)) ||
           QFileInfo::exists(doneFilePath());
}

void JSONMigration::markDone() const {
    const QString key = QString::fromLatin1(flagKey);
    if (!UserDefaults::standard().boolValue(key)) {
        UserDefaults::standard().setBool(key, true);
        TraceLog::trace(QStringLiteral("import: done earlier (") + doneFileName +
                        QStringLiteral("), the settings' flag set again"));
    }
    if (QFileInfo::exists(doneFilePath())) return;
    QString reason;
    if (!files::writeAtomically(doneFilePath(), Date::now().iso8601().toUtf8() + '\n', &reason))
        TraceLog::trace(QStringLiteral("import: cannot write ") + doneFileName + QStringLiteral(": ") +
                        reason);
}

std::optional<JSONMigration::Summary> JSONMigration::run(ModelContext& context, bool force,
                                                         QString* error) const {
    if (!force && hasRun()) {
        // Each record of the import keeps the other.
        markDone();
        return Summary{};
    }
    const auto now = [this] { return clock ? clock->now() : Date::now(); };
    const QSet<QUuid> todoIDs = storedIDs<SyncedTodo>(context);
    const QSet<QUuid> shortcutIDs = storedIDs<SyncedShortcut>(context);
    const QSet<QUuid> noteIDs = storedIDs<SyncedNote>(context);
    const QString folder = folderOf(containerName);
    Summary summary;

    // Each row on its own: one mistyped row costs only itself. Positions stay the
    // array's, gaps included.
    const QJsonArray todos = rows(folder + QStringLiteral("/todos.json"));
    for (qsizetype position = 0; position < todos.size(); ++position) {
        json::Reader row(todos.at(position).toObject());
        const std::optional<QUuid> id = rowID(row);
        auto todo = std::make_shared<SyncedTodo>();
        todo->uuid = id.value_or(QUuid::createUuid());
        todo->title = row.optionalString(QStringLiteral("title")).value_or(QString());
        todo->isDone = row.optionalBoolean(QStringLiteral("isDone")).value_or(false);
        todo->isFavorite = row.optionalBoolean(QStringLiteral("isFavorite")).value_or(false);
        const std::optional<Date> createdAt = row.optionalDate(QStringLiteral("createdAt"));
        todo->completedAt = row.optionalDate(QStringLiteral("completedAt"));
        todo->sortIndex = position;
        todo->deviceID = deviceID;
        if (!todos.at(position).isObject() || !row.ok() || todo->uuid.isNull() ||
            todoIDs.contains(todo->uuid))
            continue;
        todo->createdAt = createdAt.value_or(now());
        context.insert(todo);
        ++summary.todos;
    }

    const QJsonArray shortcuts = rows(folder + QStringLiteral("/shortcuts.json"));
    for (qsizetype position = 0; position < shortcuts.size(); ++position) {
        json::Reader row(shortcuts.at(position).toObject());
        const std::optional<QUuid> id = rowID(row);
        auto shortcut = std::make_shared<SyncedShortcut>();
        shortcut->uuid = id.value_or(QUuid::createUuid());
        shortcut->shortcutName = row.optionalString(QStringLiteral("shortcutName")).value_or(QString());
        shortcut->customName = row.optionalString(QStringLiteral("customName"));
        shortcut->symbol = row.optionalString(QStringLiteral("symbol")).value_or(QStringLiteral("sparkles"));
        shortcut->textInput = row.optionalString(QStringLiteral("textInput"));
        shortcut->sortIndex = position;
        if (!shortcuts.at(position).isObject() || !row.ok() || shortcut->uuid.isNull() ||
            shortcutIDs.contains(shortcut->uuid))
            continue;
        context.insert(shortcut);
        ++summary.shortcuts;
    }

    // An existing scratch note is never touched; the file stays where it is.
    if (const auto bytes = readFile(folder + QStringLiteral("/note.txt"));
        bytes && !bytes->isEmpty() && !noteIDs.contains(DeskRepository::scratchNoteID)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(*bytes);
        if (!utf8.hasError()) {
            auto note = std::make_shared<SyncedNote>();
            note->uuid = DeskRepository::scratchNoteID;
            note->title = QStringLiteral("Notes");
            note->updatedAt = now();
            context.insert(note);
            auto revision = std::make_shared<SyncedNoteRevision>();
            revision->text = text;
            revision->editedAt = now();
            revision->deviceID = deviceID;
            context.setNote(revision, note);
            summary.notes = 1;
        }
    }

    QString reason;
    if (!context.save(&reason)) {
        if (error) *error = reason;
        return std::nullopt;
    }
    UserDefaults::standard().setBool(QString::fromLatin1(flagKey), true);
    markDone();
    return summary;
}

} // namespace vesk
