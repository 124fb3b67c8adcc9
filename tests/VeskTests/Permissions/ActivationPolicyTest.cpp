#include "Vesk/Permissions/ActivationPolicy.h"
#include "Vesk/Permissions/PermissionPrompt.h"

#include "support/ManualScheduler.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace vesk {
namespace {

using Policy = ActivationPolicy::Policy;

// A prompt's 30 s running out while a window still wants the program regular must not
// put back the accessory policy it found, nor may a window closing end the prompt's time.
TEST(ActivationPolicyTest, APromptEndingDoesNotRestoreAStalePolicy) {
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler guard(scheduler);
    ActivationPolicy policy;
    PermissionPrompt prompt(policy);
    QSignalSpy changes(&policy, &ActivationPolicy::policyChanged);

    bool ran = false;
    prompt.withActivation([&] { ran = true; });
    EXPECT_EQ(policy.policy(), Policy::regular);
    scheduler.advance(0.1);
    EXPECT_FALSE(ran);
    scheduler.advance(0.1);
    EXPECT_TRUE(ran);

    std::optional<ActivationPolicy::Hold> onboarding(policy.holdRegular());
    scheduler.advance(PermissionPrompt::regularAfterBody + 1);
    EXPECT_EQ(policy.policy(), Policy::regular) << "the onboarding window is still open";
    onboarding.reset();
    EXPECT_EQ(policy.policy(), Policy::accessory);

    auto settingsWindow = std::make_optional(policy.holdRegular());
    prompt.withActivation([] {});
    scheduler.advance(1);
    settingsWindow.reset();
    EXPECT_EQ(policy.policy(), Policy::regular) << "the prompt's time is not over";
    scheduler.advance(PermissionPrompt::regularAfterBody);
    EXPECT_EQ(policy.policy(), Policy::accessory);
    EXPECT_EQ(changes.size(), 4) << "only changes are announced";
}

} // namespace
} // namespace vesk
