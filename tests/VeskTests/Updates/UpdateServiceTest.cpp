#include "Vesk/Updates/UpdateService.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

class FakeUpdater final : public UpdaterController {
public:
    void checkForUpdates() override {}
    bool canCheckForUpdates() const override { return true; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    std::optional<Date> lastUpdateCheckDate() const override { return Date{1000}; }
};

TEST(UpdateServiceTest, OnlyADirectBuildWithAnUpdaterHasOne) {
    int made = 0;
    const auto makeFake = [&made] {
        ++made;
        return std::make_unique<FakeUpdater>();
    };
    const UpdateService sandboxed(BuildProfile(true), makeFake);
    EXPECT_FALSE(sandboxed.isAvailable());
    EXPECT_EQ(sandboxed.lastCheck(), std::nullopt);
    EXPECT_EQ(made, 0) << "a sandboxed build never starts an updater";

    const UpdateService direct(BuildProfile(false), makeFake);
    EXPECT_TRUE(direct.isAvailable());
    EXPECT_EQ(direct.lastCheck(), Date{1000});

    // Linux offers no self-updater: the package manager updates the program.
    const UpdateService system(BuildProfile(false));
    EXPECT_FALSE(system.isAvailable());
    EXPECT_EQ(system.controller(), nullptr);
}

} // namespace
} // namespace vesk
