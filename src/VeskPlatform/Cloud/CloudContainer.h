#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace vesk {

// A failure reported by the cloud service.
struct CloudError {
    std::optional<qint64> code; // the service's own error code, when the error is one of its own
    QString description;
    friend bool operator==(const CloudError&, const CloudError&) = default;
};

// One record of a private cloud database.
struct CloudRecord {
    QString recordType;
    QString recordName;
    QVariantMap fields;
    friend bool operator==(const CloudRecord&, const CloudRecord&) = default;
};

// What changed in the database since a change token: records saved, names of records
// removed, and the token to ask from next time.
struct CloudChanges {
    QList<CloudRecord> changed;
    QStringList removed;
    QByteArray token;
};

// The program's container in the user's private cloud. Every operation completes
// exactly once, on the thread that started it.
class CloudContainer {
public:
    // The service's account states; other raw values may come from newer services.
    enum AccountStatus : int {
        couldNotDetermine = 0,
        available = 1,
        restricted = 2,
        noAccount = 3,
        temporarilyUnavailable = 4,
    };
    using AccountStatusResult = std::variant<int, CloudError>;
    using ChangesResult = std::variant<CloudChanges, CloudError>;
    using Completion = std::function<void(std::optional<CloudError>)>;
    // The service's code for a full cloud storage.
    static constexpr qint64 quotaExceededCode = 25;

    virtual ~CloudContainer() = default;

    // Whether this copy of the program was granted the container at all.
    virtual bool isEntitled() const = 0;
    virtual void accountStatus(std::function<void(AccountStatusResult)> done) = 0;
    virtual void save(const CloudRecord& record, Completion done) = 0;
    virtual void fetch(const QString& recordName, Completion done) = 0;
    virtual void remove(const QString& recordName, Completion done) = 0;

    // Readies the database for a store that mirrors into it; the reason when it cannot.
    virtual std::optional<CloudError> prepare() = 0;
    // The changes since `token` (everything without one).
    virtual void fetchChanges(const std::optional<QByteArray>& token,
                              std::function<void(ChangesResult)> done) = 0;
    // Called on this thread when another device changed the database, and when the
    // user's account changed. An empty handler stops the calls.
    virtual void setOnRemoteChange(std::function<void()> handler) = 0;
    virtual void setOnAccountChanged(std::function<void()> handler) = 0;
};

// The container on this system. Linux has no private cloud database tied to the
// program's signature: the container returned is never entitled, every operation
// fails with that reason, and no change is ever announced.
std::shared_ptr<CloudContainer> makeCloudContainer(const QString& containerID);

} // namespace vesk
