#include "VeskKit/Settings/SettingsStore.h"

#include "support/RawValues.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(SettingsCatalogueTest, AFreshStoreReadsEveryDefaultInsideItsRange) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore store(*defaults);
    for (const SettingDescriptor& setting : SettingsStore::catalogue()) {
        SCOPED_TRACE(setting.key.toStdString());
        EXPECT_EQ(setting.read(store), setting.defaultValue);
        if (setting.range) {
            EXPECT_GE(setting.defaultValue.toDouble(), setting.range->lowest);
            EXPECT_LE(setting.defaultValue.toDouble(), setting.range->highest);
        }
    }
}

TEST(SettingsCatalogueTest, EveryWriteLandsUnderItsOwnKeyInTheStoredForm) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore store(*defaults);
    for (const SettingDescriptor& setting : SettingsStore::catalogue()) {
        SCOPED_TRACE(setting.key.toStdString());
        const auto before = defaults->dictionaryRepresentation();
        ASSERT_TRUE(setting.write(store, setting.defaultValue));
        const auto after = defaults->dictionaryRepresentation();
        EXPECT_EQ(after.size(), before.size() + 1);
        EXPECT_EQ(after.value(setting.key), setting.defaultValue);
        EXPECT_EQ(after.value(setting.key).typeId(), setting.defaultValue.typeId());
    }
}

TEST(SettingsCatalogueTest, EnumerationsRoundTripTheirExactRawValues) {
    test::expectExactRawValues<ScreenPolicy>();
    test::expectExactRawValues<FullscreenPolicy>();
    test::expectExactRawValues<AppearanceMode>();
    test::expectExactRawValues<BarStyle>();
    test::expectExactRawValues<HUDSpeed>();
    test::expectExactRawValues<SoundTrailing>();
    test::expectExactRawValues<KeepAwakeDurationSetting>();
    test::expectExactRawValues<MediaBarStyle>();
}
