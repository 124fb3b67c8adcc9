#pragma once

#include "VeskPlatform/Cloud/CloudContainer.h"

#include <QMap>
#include <QStringList>

#include <memory>

namespace vesk::test {

// A private cloud database that several fake containers share, as two computers of
// one user do. Changes reach the containers only when the test delivers them.
class FakeCloud {
public:
    struct Change {
        QString recordName;
        bool removed = false;
    };
    QMap<QString, CloudRecord> records;
    QList<Change> log; // a token is a position in it
    // When set, every save fails with it (a full storage: code 25).
    std::optional<CloudError> saveError;
    QList<std::function<void()>*> remoteChangeHandlers;

    // Tells every attached container that the database changed.
    void deliver() {
        const auto handlers = remoteChangeHandlers;
        for (auto* handler : handlers)
            if (*handler) (*handler)();
    }
};

// A cloud container whose answers the test sets; it records what was asked of it.
// With a shared FakeCloud it stores and serves records too.
class FakeCloudContainer final : public CloudContainer {
public:
    explicit FakeCloudContainer(std::shared_ptr<FakeCloud> cloud = nullptr) : cloud(std::move(cloud)) {
        if (this->cloud) this->cloud->remoteChangeHandlers << &onRemoteChange;
    }
    ~FakeCloudContainer() override {
        if (cloud) cloud->remoteChangeHandlers.removeAll(&onRemoteChange);
    }

    bool isEntitled() const override { return entitled; }
    void accountStatus(std::function<void(AccountStatusResult)> done) override {
        asked << QStringLiteral("accountStatus");
        if (!statuses.isEmpty()) status = statuses.takeFirst();
        done(status);
    }
    void save(const CloudRecord& record, Completion done) override {
        asked << QStringLiteral("save");
        saved = record;
        if (cloud && !saveError && !cloud->saveError) {
            cloud->records.insert(record.recordName, record);
            cloud->log << FakeCloud::Change{record.recordName, false};
        }
        done(cloud && cloud->saveError ? cloud->saveError : saveError);
    }
    void fetch(const QString& recordName, Completion done) override {
        asked << QStringLiteral("fetch ") + recordName;
        done(fetchError);
    }
    void remove(const QString& recordName, Completion done) override {
        asked << QStringLiteral("remove ") + recordName;
        if (cloud && !removeError) {
            cloud->records.remove(recordName);
            cloud->log << FakeCloud::Change{recordName, true};
        }
        done(removeError);
    }
    std::optional<CloudError> prepare() override {
        asked << QStringLiteral("prepare");
        return prepareError;
    }
    void fetchChanges(const std::optional<QByteArray>& token,
                      std::function<void(ChangesResult)> done) override {
        asked << QStringLiteral("fetchChanges");
        if (!cloud) return done(CloudError{std::nullopt, QStringLiteral("no database")});
        CloudChanges changes;
        QMap<QString, bool> latest; // name → removed
        for (qsizetype i = token ? token->toLongLong() : 0; i < cloud->log.size(); ++i)
            latest.insert(cloud->log.at(i).recordName, cloud->log.at(i).removed);
        for (auto it = latest.cbegin(); it != latest.cend(); ++it) {
            if (it.value())
                changes.removed << it.key();
            else
                changes.changed << cloud->records.value(it.key());
        }
        changes.token = QByteArray::number(cloud->log.size());
        done(changes);
    }
    void setOnRemoteChange(std::function<void()> handler) override { onRemoteChange = std::move(handler); }
    void setOnAccountChanged(std::function<void()> handler) override {
        onAccountChanged = std::move(handler);
    }

    bool entitled = true;
    AccountStatusResult status = int(available);
    // Answers for the next account queries, in order; then `status`.
    QList<AccountStatusResult> statuses;
    std::optional<CloudError> prepareError;
    std::optional<CloudError> saveError;
    std::optional<CloudError> fetchError;
    std::optional<CloudError> removeError;
    QStringList asked;
    CloudRecord saved;
    std::function<void()> onRemoteChange;
    std::function<void()> onAccountChanged;
    std::shared_ptr<FakeCloud> cloud;
};

} // namespace vesk::test
