#pragma once

#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/Sqlite.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>

namespace vesk::test {

// A store in a fresh folder, with helpers to reach it as another writer would.
class StoreFixture : public ::testing::Test {
protected:
    QString storePath() const { return m_folder.path() + QStringLiteral("/Vesk.store"); }

    std::shared_ptr<ModelContainer> openStore(const QString& path = {}) {
        QString error;
        auto container = ModelContainer::open(path.isEmpty() ? storePath() : path, &error);
        EXPECT_TRUE(container) << error.toStdString();
        return container;
    }
    std::shared_ptr<ModelContext> newContext(const std::shared_ptr<ModelContainer>& container) {
        return std::make_shared<ModelContext>(container);
    }
    // A plain connection, as a second copy of the program has.
    sqlite::Connection peer(const QString& path = {}) {
        sqlite::Connection db;
        EXPECT_TRUE(db.open(path.isEmpty() ? storePath() : path, false)) << db.lastError().toStdString();
        db.exec("PRAGMA busy_timeout = 5000");
        return db;
    }
    // Runs `action` while `db` holds the write lock; when the store first waits for it,
    // `db` runs `sql` and commits, as a second copy of the program would meanwhile.
    void commitWhileWaiting(ModelContainer& container, sqlite::Connection& db, const char* sql,
                            const std::function<void()>& action) {
        ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
        using Peer = std::pair<sqlite::Connection*, const char*>;
        Peer peer{&db, sql};
        sqlite3_busy_handler(
            container.connection().handle(),
            [](void* data, int count) {
                const auto [other, sql] = *static_cast<Peer*>(data);
                return int(count == 0 && other->exec(sql) && other->exec("COMMIT"));
            },
            &peer);
        action();
        container.connection().exec("PRAGMA busy_timeout = 250");
        EXPECT_FALSE(db.inTransaction()) << "the store never waited for the lock";
    }
    qint64 count(sqlite::Connection& db, const char* table) {
        return db.integer(QByteArray(QByteArray("SELECT count(*) FROM ") + table).constData()).value_or(-1);
    }
    static QByteArray bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& data) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QTemporaryDir m_folder;
};

inline std::shared_ptr<SyncedTodo> todo(const QString& title, QUuid uuid = QUuid::createUuid(),
                                        Date createdAt = distantPast) {
    auto made = std::make_shared<SyncedTodo>();
    made->uuid = uuid;
    made->title = title;
    made->createdAt = createdAt;
    return made;
}

inline std::shared_ptr<SyncedNoteRevision> revision(const QString& text, Date editedAt = distantPast,
                                                    const QString& deviceID = {}) {
    auto made = std::make_shared<SyncedNoteRevision>();
    made->text = text;
    made->editedAt = editedAt;
    made->deviceID = deviceID;
    return made;
}

} // namespace vesk::test
