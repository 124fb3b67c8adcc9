#include "VeskPlatform/Cloud/CloudContainer.h"

namespace vesk {

namespace {

class UnavailableCloudContainer final : public CloudContainer {
public:
    bool isEntitled() const override { return false; }
    void accountStatus(std::function<void(AccountStatusResult)> done) override { done(unavailable()); }
    void save(const CloudRecord&, Completion done) override { done(unavailable()); }
    void fetch(const QString&, Completion done) override { done(unavailable()); }
    void remove(const QString&, Completion done) override { done(unavailable()); }
    std::optional<CloudError> prepare() override { return unavailable(); }
    void fetchChanges(const std::optional<QByteArray>&, std::function<void(ChangesResult)> done) override {
        done(unavailable());
    }
    // Nothing here ever changes.
    void setOnRemoteChange(std::function<void()>) override {}
    void setOnAccountChanged(std::function<void()>) override {}

private:
    static CloudError unavailable() {
        return {std::nullopt, QStringLiteral("There is no private cloud database on this system.")};
    }
};

} // namespace

std::shared_ptr<CloudContainer> makeCloudContainer(const QString& /*containerID*/) {
    return std::make_shared<UnavailableCloudContainer>();
}

} // namespace vesk
