#pragma once

#include "VeskPlatform/Cloud/CloudContainer.h"

#include <QStringList>

namespace vesk::test {

// A cloud container whose answers the test sets; it records what was asked of it.
class FakeCloudContainer final : public CloudContainer {
public:
    bool isEntitled() const override { return entitled; }
    void accountStatus(std::function<void(AccountStatusResult)> done) override {
        asked << QStringLiteral("accountStatus");
        done(status);
    }
    void save(const CloudRecord& record, Completion done) override {
        asked << QStringLiteral("save");
        saved = record;
        done(saveError);
    }
    void fetch(const QString& recordName, Completion done) override {
        asked << QStringLiteral("fetch ") + recordName;
        done(fetchError);
    }
    void remove(const QString& recordName, Completion done) override {
        asked << QStringLiteral("remove ") + recordName;
        done(removeError);
    }

    bool entitled = true;
    AccountStatusResult status = int(available);
    std::optional<CloudError> saveError;
    std::optional<CloudError> fetchError;
    std::optional<CloudError> removeError;
    QStringList asked;
    CloudRecord saved;
};

} // namespace vesk::test
