#include "Vesk/Menus/HudReplacement.h"

#include "VeskKit/Settings/SettingsStore.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(HudReplacementTest, TurningOnNeedsAccessibilityTurningOffNeverAsks) {
    struct Case {
        bool wasOn;
        bool accessibility;
        bool expectedOn;
        int explanations;
        int restarts;
    };
    const std::vector<Case> cases{
        {false, false, false, 1, 0},
        {false, true, true, 0, 1},
        {true, false, false, 0, 1}, // even when Accessibility was revoked meanwhile
        {true, true, false, 0, 1},
    };
    for (const Case& c : cases) {
        auto defaults = UserDefaults::inMemory();
        SettingsStore settings(*defaults);
        settings.setSuppressSystemHUD(c.wasOn);
        int explanations = 0;
        int restarts = 0;
        int accessibilityReads = 0;
        const bool on = hudReplacement::toggle(
            settings,
            [&] {
                ++accessibilityReads;
                return c.accessibility;
            },
            [&] { ++explanations; }, [&] { ++restarts; });
        EXPECT_EQ(on, c.expectedOn);
        EXPECT_EQ(settings.suppressSystemHUD(), c.expectedOn);
        EXPECT_EQ(explanations, c.explanations);
        EXPECT_EQ(restarts, c.restarts);
        EXPECT_EQ(accessibilityReads, c.wasOn ? 0 : 1);
    }
}

} // namespace
} // namespace vesk
