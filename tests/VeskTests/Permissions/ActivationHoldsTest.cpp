#include "Vesk/Permissions/ActivationHolds.h"
#include "Vesk/Permissions/PermissionPrompt.h"

#include "support/ManualScheduler.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace vesk {
namespace {

// A prompt's 30 s running out while a window still wants the program regular must not
// put back the accessory policy it found, nor may a window closing end the prompt's time.
TEST(ActivationHoldsTest, APromptEndingDoesNotRestoreAStalePolicy) {
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler guard(scheduler);
    ActivationHolds holds;
    PermissionPrompt prompt(holds);
    QSignalSpy changes(&holds, &ActivationHolds::regularChanged);

    bool ran = false;
    prompt.withActivation([&] { ran = true; });
    EXPECT_TRUE(holds.isRegular());
    scheduler.advance(0.1);
    EXPECT_FALSE(ran);
    scheduler.advance(0.1);
    EXPECT_TRUE(ran);

    std::optional<ActivationHolds::Hold> onboarding(holds.holdRegular());
    scheduler.advance(PermissionPrompt::regularAfterBody + 1);
    EXPECT_TRUE(holds.isRegular()) << "the onboarding window is still open";
    onboarding.reset();
    EXPECT_FALSE(holds.isRegular());

    auto settingsWindow = std::make_optional(holds.holdRegular());
    prompt.withActivation([] {});
    scheduler.advance(1);
    settingsWindow.reset();
    EXPECT_TRUE(holds.isRegular()) << "the prompt's time is not over";
    scheduler.advance(PermissionPrompt::regularAfterBody);
    EXPECT_FALSE(holds.isRegular());
    EXPECT_EQ(changes.size(), 4) << "only changes are announced";
}

} // namespace
} // namespace vesk
