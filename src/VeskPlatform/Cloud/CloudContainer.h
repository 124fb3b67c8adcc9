#pragma once

#include <QString>
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
    using Completion = std::function<void(std::optional<CloudError>)>;

    virtual ~CloudContainer() = default;

    // Whether this copy of the program was granted the container at all.
    virtual bool isEntitled() const = 0;
    virtual void accountStatus(std::function<void(AccountStatusResult)> done) = 0;
    virtual void save(const CloudRecord& record, Completion done) = 0;
    virtual void fetch(const QString& recordName, Completion done) = 0;
    virtual void remove(const QString& recordName, Completion done) = 0;
};

// The container on this system. Linux has no private cloud database tied to the
// program's signature: the container returned is never entitled and every operation
// fails with that reason.
std::shared_ptr<CloudContainer> makeCloudContainer(const QString& containerID);

} // namespace vesk
