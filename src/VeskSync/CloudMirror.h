#pragma once

#include "VeskPlatform/Cloud/CloudContainer.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/Sqlite.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

struct SyncEvent;

// Carries a store's rows to a private cloud database and back, by their record names.
// What the store's contexts commit is sent after each commit (what fails waits for the
// next export); what other devices changed is fetched when the cloud announces it and
// written on a connection of the mirror's own, so the store's readers see it as a
// peer's change and it is never sent back. Each export and import reports one started
// and one finished event. Main thread only.
class CloudMirror : public QObject {
    Q_OBJECT

public:
    // Attaches at once: follows the store's commits and the cloud's announcements,
    // and fetches what the cloud holds.
    CloudMirror(std::shared_ptr<ModelContainer> container, std::shared_ptr<CloudContainer> cloud);
    ~CloudMirror() override;

    void setOnEvent(std::function<void(const SyncEvent&)> handler);

    // Sends every row waiting for export.
    void exportPending();
    // Fetches and writes what changed in the cloud since the last fetch.
    void importChanges();

    // Rows committed here and not yet in the cloud.
    qsizetype pendingCount() const { return m_pending.size(); }

private:
    struct Pending {
        QString recordType;
        bool removed = false;
        quint64 generation = 0;
    };

    void noteCommit(const QList<StoreChange>& changes);
    std::optional<CloudRecord> readRecord(const QString& recordType, const QString& recordName);
    // Empty on success, else why the changes could not be written.
    QString apply(const CloudChanges& changes);
    bool upsert(const CloudRecord& record);
    bool removeRow(const QString& recordName);
    const QStringList& columns(const QString& table);
    void report(const SyncEvent& event);

    std::shared_ptr<ModelContainer> m_container;
    std::shared_ptr<CloudContainer> m_cloud;
    sqlite::Connection m_connection; // for imports
    std::function<void(const SyncEvent&)> m_onEvent;
    QHash<QString, Pending> m_pending; // by record name
    quint64 m_generation = 0;
    bool m_exporting = false;
    bool m_exportAgain = false;
    std::optional<QByteArray> m_token;
    QHash<QString, QStringList> m_columns;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace vesk
