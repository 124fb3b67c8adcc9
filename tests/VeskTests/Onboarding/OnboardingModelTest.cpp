#include "Vesk/Onboarding/OnboardingModel.h"

#include "support/Permissions/FakePermissionsHarness.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace vesk {
namespace {

using Step = OnboardingModel::Step;
using Authorization = BluetoothService::Authorization;

class OnboardingModelTest : public ::testing::Test, protected test::FakePermissionsHarness {
protected:
    OnboardingModel model{settings, permissions};

    // Asks for Bluetooth and lets the daemon answer `answer`.
    void requestBluetooth(Authorization answer) {
        model.request(Permission::bluetooth);
        scheduler.advance(0.2); // the request runs 0.15 s after the program came to the front
        layers.answerProbes(answer);
        scheduler.runPending();
    }
};

TEST_F(OnboardingModelTest, ARefreshRecordsEveryPermission) {
    EXPECT_TRUE(model.permissionStates().isEmpty());
    EXPECT_EQ(model.state(Permission::bluetooth), PermissionState::notDetermined);
    QSignalSpy changes(&model, &OnboardingModel::permissionStateChanged);
    model.refreshPermissions();
    EXPECT_EQ(model.permissionStates().size(), 5);
    EXPECT_EQ(changes.size(), 5);
    EXPECT_EQ(model.state(Permission::inputMonitoring), PermissionState::granted);
}

TEST_F(OnboardingModelTest, ARequestThatChangedNothingIsStuck) {
    model.refreshPermissions();
    // Not determined to denied: the user answered, nothing is stuck.
    requestBluetooth(Authorization::denied);
    EXPECT_EQ(model.state(Permission::bluetooth), PermissionState::denied);
    EXPECT_FALSE(model.stuckPermission());

    // Denied and still denied: stuck.
    requestBluetooth(Authorization::denied);
    EXPECT_EQ(model.stuckPermission(), Permission::bluetooth);

    // A success does not clear it; a granted permission that stays granted is not stuck.
    requestBluetooth(Authorization::allowedAlways);
    requestBluetooth(Authorization::allowedAlways);
    EXPECT_EQ(model.stuckPermission(), Permission::bluetooth);

    // A later stuck request replaces it: Input Monitoring refused and read 1 s later.
    layers.listen = EventTapService::InputMonitoring::denied;
    model.request(Permission::inputMonitoring);
    scheduler.advance(1.2);
    EXPECT_EQ(model.stuckPermission(), Permission::inputMonitoring);
}

TEST_F(OnboardingModelTest, StepsStopAtTheirEndsWithoutSignalling) {
    QSignalSpy steps(&model, &OnboardingModel::stepChanged);
    model.back();
    EXPECT_EQ(steps.size(), 0);
    for (int i = 0; i < 6; ++i)
        model.advance();
    EXPECT_EQ(model.step(), Step::desk);
    EXPECT_EQ(steps.size(), 4);
    model.setStep(Step::desk);
    EXPECT_EQ(steps.size(), 4);
}

TEST_F(OnboardingModelTest, AReplyAfterTheModelIsGoneDoesNothing) {
    auto gone = std::make_unique<OnboardingModel>(settings, permissions);
    QSignalSpy states(&model, &OnboardingModel::permissionStateChanged);
    QSignalSpy stuck(&model, &OnboardingModel::stuckPermissionChanged);
    gone->request(Permission::bluetooth);
    scheduler.advance(0.2);
    ASSERT_TRUE(holds.isRegular()) << "the request is running";
    gone.reset();
    layers.answerProbes(Authorization::denied);
    scheduler.runPending();
    // The answer reached the permissions, and no model heard of it.
    EXPECT_EQ(permissions.state(Permission::bluetooth), PermissionState::denied);
    EXPECT_EQ(states.size(), 0);
    EXPECT_EQ(stuck.size(), 0);
    EXPECT_TRUE(model.permissionStates().isEmpty());
    // The program still goes back to the background afterwards, and nothing is left waiting.
    scheduler.advance(PermissionPrompt::regularAfterBody);
    EXPECT_FALSE(holds.isRegular());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(OnboardingStepTest, TheHookNamesAStepOnlyWhenItParsesCompletely) {
    const struct {
        const char* text;
        std::optional<Step> step;
    } cases[] = {{"3", Step::permissions}, {"+3", Step::permissions}, {"3x", std::nullopt},
                 {"", std::nullopt},       {"-0", Step::welcome},     {"5", std::nullopt},
                 {"-1", std::nullopt},     {" 3", std::nullopt},      {"99999999999999999999", std::nullopt},
                 {"4", Step::desk}};
    for (const auto& c : cases)
        EXPECT_EQ(OnboardingModel::parseStep(QLatin1String(c.text)), c.step) << c.text;
}

} // namespace
} // namespace vesk
