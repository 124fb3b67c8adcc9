#include "VeskSync/CloudMirror.h"

#include "VeskSync/SyncCoordinator.h"

#include <algorithm>

namespace vesk {

namespace {

const QStringList recordTypes{QStringLiteral("SyncedNote"), QStringLiteral("SyncedNoteRevision"),
                              QStringLiteral("SyncedTodo"), QStringLiteral("SyncedTimer"),
                              QStringLiteral("SyncedShortcut")};
const QString revisionType = QStringLiteral("SyncedNoteRevision");
const QString noteColumn = QStringLiteral("note");

QByteArray sql(const QString& text) {
    return text.toUtf8();
}

} // namespace

CloudMirror::CloudMirror(std::shared_ptr<ModelContainer> container, std::shared_ptr<CloudContainer> cloud)
    : m_container(std::move(container)), m_cloud(std::move(cloud)) {
    connect(m_container.get(), &ModelContainer::committed, this, &CloudMirror::noteCommit);
    const std::weak_ptr<bool> alive = m_alive;
    m_cloud->setOnRemoteChange([this, alive] {
        if (alive.lock()) importChanges();
    });
    importChanges();
}

CloudMirror::~CloudMirror() {
    m_cloud->setOnRemoteChange({});
}

void CloudMirror::setOnEvent(std::function<void(const SyncEvent&)> handler) {
    m_onEvent = std::move(handler);
}

void CloudMirror::report(const SyncEvent& event) {
    if (m_onEvent) m_onEvent(event);
}

const QStringList& CloudMirror::columns(const QString& table) {
    auto found = m_columns.find(table);
    if (found != m_columns.end()) return *found;
    QStringList names;
    sqlite::Statement info(m_container->connection(),
                           sql(QStringLiteral("PRAGMA table_info(%1)").arg(table)));
    while (info.step()) {
        const QString name = info.text(1);
        if (name != QLatin1String("pk") && name != QLatin1String("record_name")) names << name;
    }
    return *m_columns.insert(table, names);
}

// ---- Export

void CloudMirror::noteCommit(const QList<StoreChange>& changes) {
    for (const StoreChange& change : changes)
        m_pending.insert(change.recordName, Pending{change.recordType, change.removed, ++m_generation});
    exportPending();
}

std::optional<CloudRecord> CloudMirror::readRecord(const QString& recordType, const QString& recordName) {
    if (!recordTypes.contains(recordType)) return std::nullopt;
    QStringList selected = columns(recordType);
    // A revision names its note by the note's record name, the same on every device.
    for (QString& column : selected)
        if (recordType == revisionType && column == noteColumn)
            column = QStringLiteral("(SELECT record_name FROM SyncedNote WHERE pk = note)");
    sqlite::Statement select(
        m_container->connection(),
        sql(QStringLiteral("SELECT %1 FROM %2 WHERE record_name = ?").arg(selected.join(u", "), recordType)));
    select.bindText(1, recordName);
    if (!select.step()) return std::nullopt;
    CloudRecord record{recordType, recordName, {}};
    const QStringList& names = columns(recordType);
    for (int i = 0; i < names.size(); ++i)
        record.fields.insert(names.at(i), select.value(i));
    return record;
}

void CloudMirror::exportPending() {
    if (m_exporting) {
        m_exportAgain = true;
        return;
    }
    if (m_pending.isEmpty()) return;
    m_exporting = true;
    report(SyncEvent{});

    struct Round {
        int outstanding = 1;
        std::optional<CloudError> firstError;
    };
    const auto round = std::make_shared<Round>();
    const std::weak_ptr<bool> alive = m_alive;
    const auto finishOne = [this, alive, round] {
        if (!alive.lock() || --round->outstanding > 0) return;
        m_exporting = false;
        report(SyncEvent{Date::now(), !round->firstError, round->firstError});
        if (std::exchange(m_exportAgain, false)) exportPending();
    };
    const auto pending = m_pending;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        ++round->outstanding;
        const QString name = it.key();
        const quint64 generation = it->generation;
        auto completion = [this, alive, round, name, generation, finishOne](std::optional<CloudError> error) {
            if (!alive.lock()) return;
            if (error) {
                if (!round->firstError) round->firstError = error;
            } else if (m_pending.value(name).generation == generation) {
                m_pending.remove(name);
            }
            finishOne();
        };
        const std::optional<CloudRecord> record =
            it->removed ? std::nullopt : readRecord(it->recordType, name);
        if (record)
            m_cloud->save(*record, completion);
        else
            m_cloud->remove(name, completion); // removed, or gone since
    }
    finishOne();
}

// ---- Import

void CloudMirror::importChanges() {
    report(SyncEvent{});
    const std::weak_ptr<bool> alive = m_alive;
    m_cloud->fetchChanges(m_token, [this, alive](CloudContainer::ChangesResult result) {
        if (!alive.lock()) return;
        if (const CloudError* error = std::get_if<CloudError>(&result))
            return report(SyncEvent{Date::now(), false, *error});
        const CloudChanges& changes = std::get<CloudChanges>(result);
        const QString failure = apply(changes);
        if (!failure.isEmpty())
            return report(SyncEvent{Date::now(), false, CloudError{std::nullopt, failure}});
        m_token = changes.token;
        m_container->checkForRemoteChange();
        report(SyncEvent{Date::now(), true, std::nullopt});
    });
}

QString CloudMirror::apply(const CloudChanges& changes) {
    if (!m_connection.isOpen()) {
        if (!m_connection.open(m_container->path(), false)) return m_connection.lastError();
        m_connection.exec("PRAGMA busy_timeout = 250; PRAGMA foreign_keys = ON");
    }
    if (!m_connection.exec("BEGIN IMMEDIATE")) return m_connection.lastError();
    // Notes first, so revisions find the notes they name.
    QList<CloudRecord> ordered = changes.changed;
    std::stable_sort(ordered.begin(), ordered.end(), [](const CloudRecord& a, const CloudRecord& b) {
        return recordTypes.indexOf(a.recordType) < recordTypes.indexOf(b.recordType);
    });
    bool ok = true;
    // A row changed here and not yet sent keeps its values.
    for (const CloudRecord& record : ordered)
        if (!m_pending.contains(record.recordName)) ok = ok && upsert(record);
    for (const QString& name : changes.removed)
        if (!m_pending.contains(name)) ok = ok && removeRow(name);
    if (ok && m_connection.exec("COMMIT")) return {};
    const QString error = m_connection.lastError();
    m_connection.exec("ROLLBACK");
    return error;
}

bool CloudMirror::upsert(const CloudRecord& record) {
    if (!recordTypes.contains(record.recordType)) return true; // not ours to keep
    const QString& table = record.recordType;
    QStringList names;
    QVariantList values;
    for (const QString& column : columns(table)) {
        if (!record.fields.contains(column)) continue;
        QVariant value = record.fields.value(column);
        if (table == revisionType && column == noteColumn) {
            sqlite::Statement note(m_connection, "SELECT pk FROM SyncedNote WHERE record_name = ?");
            note.bindText(1, value.toString());
            value = note.step() ? QVariant::fromValue<qint64>(note.integer(0)) : QVariant();
        }
        names << column;
        values << value;
    }
    sqlite::Statement existing(m_connection,
                               sql(QStringLiteral("SELECT pk FROM %1 WHERE record_name = ?").arg(table)));
    existing.bindText(1, record.recordName);
    const std::optional<qint64> pk = existing.step() ? std::make_optional(existing.integer(0)) : std::nullopt;
    if (existing.failed()) return false;

    QString statement;
    if (pk) {
        if (names.isEmpty()) return true;
        statement = QStringLiteral("UPDATE %1 SET %2 = ? WHERE pk = ?").arg(table, names.join(u" = ?, "));
    } else {
        statement = QStringLiteral("INSERT INTO %1 (%2) VALUES (?%3)")
                        .arg(table, (QStringList{QStringLiteral("record_name")} + names).join(u", "),
                             QStringLiteral(", ?").repeated(names.size()));
    }
    sqlite::Statement write(m_connection, sql(statement));
    int index = 1;
    if (!pk) write.bindText(index++, record.recordName);
    for (const QVariant& value : values)
        write.bind(index++, value);
    if (pk) write.bindInteger(index, *pk);
    return write.run();
}

bool CloudMirror::removeRow(const QString& recordName) {
    for (const QString& table : recordTypes) {
        sqlite::Statement remove(m_connection,
                                 sql(QStringLiteral("DELETE FROM %1 WHERE record_name = ?").arg(table)));
        remove.bindText(1, recordName);
        if (!remove.run()) return false;
    }
    return true;
}

} // namespace vesk
