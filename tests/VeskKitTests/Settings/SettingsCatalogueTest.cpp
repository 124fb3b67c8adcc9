#include "VeskKit/Settings/SettingsStore.h"

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

namespace {

// Raw values round-trip and match exactly: another capitalisation names nothing.
template <typename E> void expectExactRawValues() {
    for (const E value : allCases<E>()) {
        const QString raw = toRaw(value);
        SCOPED_TRACE(raw.toStdString());
        EXPECT_EQ(fromRaw<E>(raw), value);
        QString capitalised = raw;
        capitalised[0] = capitalised.at(0).toUpper();
        EXPECT_FALSE(fromRaw<E>(capitalised));
    }
    EXPECT_FALSE(fromRaw<E>(u""));
}

} // namespace

TEST(SettingsCatalogueTest, EnumerationsRoundTripTheirExactRawValues) {
    expectExactRawValues<ScreenPolicy>();
    expectExactRawValues<FullscreenPolicy>();
    expectExactRawValues<AppearanceMode>();
    expectExactRawValues<BarStyle>();
    expectExactRawValues<HUDSpeed>();
    expectExactRawValues<SoundTrailing>();
    expectExactRawValues<KeepAwakeDurationSetting>();
    expectExactRawValues<MediaBarStyle>();
}
