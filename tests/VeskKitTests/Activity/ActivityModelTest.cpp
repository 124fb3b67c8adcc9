#include "VeskKit/Activity/ActivityPayload.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

struct KindRow {
    ActivityKind kind;
    const char* raw;
    const char* displayName;
    const char* symbol;
};

const KindRow kindTable[] = {
    {ActivityKind::sound, "sound", "Sound", "speaker.wave.2.fill"},
    {ActivityKind::display, "display", "Display", "sun.max.fill"},
    {ActivityKind::keyboardBacklight, "keyboardBacklight", "Keyboard Backlight", "keyboard.fill"},
    {ActivityKind::nowPlaying, "nowPlaying", "Now Playing", "music.note"},
    {ActivityKind::battery, "battery", "Battery", "bolt.fill"},
    {ActivityKind::connectivity, "connectivity", "Connectivity", "airpods.gen3"},
    {ActivityKind::focus, "focus", "Focus", "moon.fill"},
    {ActivityKind::calendar, "calendar", "Calendar", "calendar"},
    {ActivityKind::fileTray, "fileTray", "File Tray", "tray.fill"},
    {ActivityKind::timerEnded, "timerEnded", "Timer Ended", "timer"},
    {ActivityKind::update, "update", "New Update", "arrow.down.circle"},
    {ActivityKind::download, "download", "Download", "arrow.down.doc"},
    {ActivityKind::screenshot, "screenshot", "Screenshot", "camera.viewfinder"},
    {ActivityKind::weather, "weather", "Weather", "cloud.sun.fill"},
    {ActivityKind::idleLock, "idleLock", "Idle & Lock", "lock.fill"},
};

} // namespace

TEST(ActivityModelTest, KindsMatchTheCatalogueInDeclarationOrder) {
    const auto cases = allCases<ActivityKind>();
    ASSERT_EQ(cases.size(), std::size(kindTable));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const KindRow& row = kindTable[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(cases[i], row.kind);
        EXPECT_EQ(toRaw(row.kind), QString::fromUtf8(row.raw));
        EXPECT_EQ(fromRaw<ActivityKind>(QString::fromUtf8(row.raw)), row.kind);
        EXPECT_EQ(displayName(row.kind), QString::fromUtf8(row.displayName));
        EXPECT_EQ(symbol(row.kind), QString::fromUtf8(row.symbol));
    }
}

TEST(ActivityModelTest, RawValuesAreExactCaseNames) {
    for (const char* wrong : {"Sound", "", "idlelock"})
        EXPECT_FALSE(fromRaw<ActivityKind>(QString::fromUtf8(wrong))) << wrong;
    const char* tintRaw[] = {"brass", "sage", "amber", "oxblood", "slate", "stone"};
    const auto tints = allCases<TintName>();
    ASSERT_EQ(tints.size(), std::size(tintRaw));
    for (std::size_t i = 0; i < tints.size(); ++i) {
        EXPECT_EQ(toRaw(tints[i]), QString::fromUtf8(tintRaw[i]));
        EXPECT_EQ(fromRaw<TintName>(QString::fromUtf8(tintRaw[i])), tints[i]);
    }
    EXPECT_FALSE(fromRaw<TintName>(u"Brass"));

    // Priorities order by their raw values 0, 1, 2.
    for (int raw = 0; raw < 3; ++raw) {
        EXPECT_EQ(toRaw(allActivityPriorities[raw]), raw);
        EXPECT_EQ(activityPriorityFromRaw(raw), allActivityPriorities[raw]);
        if (raw > 0) {
            EXPECT_GT(allActivityPriorities[raw], allActivityPriorities[raw - 1]);
        }
    }
    EXPECT_FALSE(activityPriorityFromRaw(3));
    EXPECT_FALSE(activityPriorityFromRaw(-1));
}
