#include "Vesk/Shell/UpdateService.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

class FakeUpdater final : public UpdaterController {
public:
    void checkForUpdates() override {}
    bool canCheckForUpdates() const override { return true; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    std::optional<Date> lastUpdateCheckDate() const override { return lastCheck; }
    std::optional<Date> lastCheck;
};

TEST(UpdateServiceTest, OnlyADirectBuildWithAnUpdaterHasOne) {
    int made = 0;
    const auto makeFake = [&made] {
        ++made;
        auto updater = std::make_unique<FakeUpdater>();
        updater->lastCheck = Date{1000};
        return updater;
    };

    UpdateService sandboxed(BuildProfile(true), makeFake);
    EXPECT_FALSE(sandboxed.isAvailable());
    EXPECT_EQ(sandboxed.controller(), nullptr);
    EXPECT_EQ(sandboxed.lastCheck(), std::nullopt);
    EXPECT_EQ(made, 0) << "a sandboxed build never starts an updater";

    UpdateService direct(BuildProfile(false), makeFake);
    EXPECT_TRUE(direct.isAvailable());
    ASSERT_NE(direct.controller(), nullptr);
    EXPECT_EQ(direct.lastCheck(), Date{1000});

    // Linux offers no self-updater: the package manager updates the program.
    UpdateService system(BuildProfile(false));
    EXPECT_FALSE(system.isAvailable());
    EXPECT_EQ(system.controller(), nullptr);
    EXPECT_EQ(system.lastCheck(), std::nullopt);
}

} // namespace
} // namespace vesk
