#include "VeskKit/Settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <QVariantList>
#include <QVariantMap>

#include <cmath>
#include <optional>

using namespace vesk;

namespace {

struct Row {
    const char* key;
    const char* type;
    QVariant defaultValue; // in the stored form
    std::optional<std::pair<double, double>> range = std::nullopt;
};

QVariant names(std::initializer_list<const char*> raws) {
    QVariantList list;
    for (const char* raw : raws)
        list.append(QString::fromLatin1(raw));
    return list;
}

QVariant text(const char* raw) {
    return QString::fromLatin1(raw);
}

using R = std::pair<double, double>;

// Every setting with its key, type, default and write range, in the catalogue's order.
const std::vector<Row>& expectedSettings() {
    static const std::vector<Row> rows{
        // General and appearance
        {"launchAtLogin", "bool", false},
        {"showOn", "ScreenPolicy", text("allScreens")},
        {"fullscreenPolicy", "FullscreenPolicy", text("notchedOnly")},
        {"appearance", "AppearanceMode", text("system")},
        {"preferRoundButtons", "bool", true},
        {"translucentNotch", "bool", false},
        {"contrastOutline", "bool", true},
        {"progressiveBlur", "bool", true},
        {"hapticFeedback", "bool", true},
        {"demoMode", "bool", false},
        {"syncEnabled", "bool", true},
        // Notch size and handler
        {"contentPadding", "double", 12.0, R{0, 24}},
        {"notchWidthAdjust", "double", 0.0, R{-20, 20}},
        {"notchHeightAdjust", "double", 0.0, R{-20, 20}},
        {"handlerEnabled", "bool", true},
        {"handlerWidth", "double", 184.0, R{80, 400}},
        {"handlerHeight", "double", 8.0, R{2, 24}},
        {"handlerTransparent", "bool", false},
        {"hideOnNonNotched", "bool", false},
        {"unhideAutomatically", "bool", true},
        // Hover and gestures
        {"expandOnHover", "bool", false},
        {"alwaysOpenOnHover", "bool", false},
        {"preventCloseOnMouseLeave", "bool", true},
        {"lockWhileTyping", "bool", false},
        {"gesturesWhileHovering", "bool", true},
        {"naturalMovement", "bool", false},
        {"swipeToToggleOpen", "bool", true},
        {"swipeToCycleActivity", "bool", true},
        {"swipeToDismissActivity", "bool", true},
        {"swipeToSkipMedia", "bool", true},
        {"invertMediaGestures", "bool", false},
        {"interactiveActivities", "bool", true},
        {"quickPeekEnabled", "bool", true},
        // Activities of every kind
        {"activitiesEnabled", "bool", true},
        {"inactivityTimeout", "double", 10.0, R{2, 60}},
        {"suppressSystemHUD", "bool", false},
        // Sound activity
        {"soundEnabled", "bool", true},
        {"soundDuration", "double", 1.5, R{0.5, 10}},
        {"soundBarStyle", "BarStyle", text("white")},
        {"soundSpeed", "HUDSpeed", text("fast")},
        {"soundShowPercentage", "bool", false},
        {"soundHideLabel", "bool", false},
        {"soundTrailing", "SoundTrailing", text("device")},
        // Display (brightness) activity
        {"displayEnabled", "bool", true},
        {"displayDuration", "double", 1.5, R{0.5, 10}},
        {"displayBarStyle", "BarStyle", text("glow")},
        {"displaySpeed", "HUDSpeed", text("fast")},
        {"displayShowPercentage", "bool", false},
        {"displayHideLabel", "bool", false},
        // Battery activity
        {"batteryEnabled", "bool", true},
        {"batteryDuration", "double", 5.0, R{1, 15}},
        {"batteryNotifyLowPowerMode", "bool", true},
        {"batteryWarnLow", "bool", true},
        {"batteryLowThreshold", "double", 20.0, R{5, 50}},
        {"batteryHidePercentage", "bool", false},
        // Connectivity (Bluetooth) activity
        {"connectivityEnabled", "bool", true},
        {"connectivityDuration", "double", 5.0, R{1, 15}},
        {"connectivityWarnLow", "bool", true},
        {"connectivityLowThreshold", "double", 20.0, R{5, 50}},
        // Focus activity
        {"focusEnabled", "bool", true},
        {"focusDuration", "double", 5.0, R{1, 15}},
        {"focusReplaceWaveform", "bool", false},
        {"focusHideLabel", "bool", false},
        // Now playing
        {"nowPlayingEnabled", "bool", true},
        {"nowPlayingIdleDuration", "double", 3.0, R{1, 30}},
        {"nowPlayingBarStyle", "MediaBarStyle", text("monochrome")},
        {"nowPlayingDisableArtworkFlip", "bool", false},
        {"nowPlayingHideWhileSourceActive", "bool", false},
        {"nowPlayingPeekOnChange", "bool", true},
        // File tray and pipelines
        {"trayMoveOnDrop", "bool", false},
        {"trayMaxItems", "double", 50.0, R{5, 200}},
        {"trayCopyByDefault", "bool", true},
        {"pipelinesEnabled", "bool", true},
        {"pipelineOrder", "PipelineOrder", QVariantList{}},
        // Idle and lock
        {"keepAwakeDuration", "KeepAwakeDurationSetting", text("indefinite")},
        {"lockSoundsEnabled", "bool", false},
        {"showLockActivity", "bool", true},
        // Clipboard history
        {"clipboardEnabled", "bool", true},
        {"clipboardMaxItems", "double", 40.0, R{5, 200}},
        {"clipboardPersists", "bool", false},
        // Calendar
        {"visibleCalendars", "CalendarIdentifiers", QVariantList{}},
        {"calendarDaysBehind", "double", 7.0, R{0, 30}},
        {"calendarDaysAhead", "double", 7.0, R{1, 30}},
        {"showPastEventsToday", "bool", false},
        {"showAllDayEvents", "bool", false},
        {"showMultiDayEvents", "bool", false},
        {"calendarLeadMinutes", "double", 5.0, R{0, 60}},
        {"dismissAtEventEnd", "bool", true},
        {"detectMeetingLinks", "bool", true},
        // Desk widgets
        {"widgetOrder", "WidgetOrder", names({"media", "todos", "shortcuts", "mirror"})},
        {"enabledWidgets", "WidgetSet", names({"media", "mirror", "shortcuts", "todos"})},
        {"widgetCells", "WidgetCells", QVariantMap{}},
    };
    return rows;
}

} // namespace

TEST(SettingsCatalogueTest, NinetyTwoSettingsWithTheirKeysTypesDefaultsAndRanges) {
    const auto& rows = expectedSettings();
    const auto& catalogue = SettingsStore::catalogue();
    ASSERT_EQ(rows.size(), 92u);
    ASSERT_EQ(catalogue.size(), 92);

    auto defaults = UserDefaults::inMemory();
    SettingsStore store(*defaults);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const SettingDescriptor& setting = catalogue.at(qsizetype(i));
        SCOPED_TRACE(row.key);
        EXPECT_EQ(setting.key, QString::fromLatin1(row.key));
        EXPECT_EQ(setting.type, QString::fromLatin1(row.type));
        EXPECT_EQ(setting.defaultValue, row.defaultValue);
        EXPECT_EQ(setting.defaultValue.typeId(), row.defaultValue.typeId());
        ASSERT_EQ(setting.range.has_value(), row.range.has_value());
        if (row.range) {
            EXPECT_EQ(setting.range->lowest, row.range->first);
            EXPECT_EQ(setting.range->highest, row.range->second);
        }
        // A fresh store reads every default through the typed getter.
        EXPECT_EQ(setting.read(store), row.defaultValue);
        EXPECT_TRUE(setting.key.at(0).isLower());
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
    // With the schema marker the store owns 93 keys.
    EXPECT_EQ(defaults->dictionaryRepresentation().size(), 93);
}

TEST(SettingsCatalogueTest, DeviceLocalKeys) {
    const QSet<QString> expected{"notchWidthAdjust", "notchHeightAdjust", "handlerWidth", "handlerHeight",
                                 "showOn",           "mirrorDeviceID",    "demoMode"};
    EXPECT_EQ(SettingsStore::deviceLocalKeys(), expected);
    EXPECT_EQ(SettingsStore::currentSchemaVersion, 1);
}

namespace {

template <typename E> struct EnumRows {
    std::vector<std::pair<E, const char*>> cases; // in declaration order
    std::vector<const char*> titles;              // empty when the enumeration has none
};

template <typename E> void expectEnumeration(const EnumRows<E>& rows) {
    const auto cases = allCases<E>();
    ASSERT_EQ(cases.size(), rows.cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [value, raw] = rows.cases[i];
        SCOPED_TRACE(raw);
        EXPECT_EQ(cases[i], value);
        EXPECT_EQ(toRaw(value), QString::fromLatin1(raw));
        EXPECT_EQ(fromRaw<E>(QString::fromLatin1(raw)), value);
        // Matching is exact: another capitalisation names nothing.
        QString capitalised = QString::fromLatin1(raw);
        capitalised[0] = capitalised.at(0).toUpper();
        EXPECT_FALSE(fromRaw<E>(capitalised));
        if constexpr (requires { displayName(value); }) {
            EXPECT_EQ(displayName(value), QString::fromUtf8(rows.titles.at(i)));
        }
    }
    EXPECT_FALSE(fromRaw<E>(u""));
}

} // namespace

TEST(SettingsCatalogueTest, EnumerationsWithTheirRawValuesAndTitles) {
    expectEnumeration<ScreenPolicy>({{{ScreenPolicy::notchedOnly, "notchedOnly"},
                                      {ScreenPolicy::primaryOnly, "primaryOnly"},
                                      {ScreenPolicy::allScreens, "allScreens"}},
                                     {"Notched screens only", "Primary screen only", "All screens"}});
    expectEnumeration<FullscreenPolicy>({{{FullscreenPolicy::notchedOnly, "notchedOnly"},
                                          {FullscreenPolicy::always, "always"},
                                          {FullscreenPolicy::never, "never"}},
                                         {}});
    expectEnumeration<AppearanceMode>({{{AppearanceMode::system, "system"},
                                        {AppearanceMode::dark, "dark"},
                                        {AppearanceMode::light, "light"}},
                                       {}});
    expectEnumeration<BarStyle>({{{BarStyle::white, "white"},
                                  {BarStyle::accent, "accent"},
                                  {BarStyle::glow, "glow"},
                                  {BarStyle::decibel, "decibel"}},
                                 {"White", "Accent", "Glow", "Decibel"}});
    expectEnumeration<HUDSpeed>(
        {{{HUDSpeed::smooth, "smooth"}, {HUDSpeed::fast, "fast"}, {HUDSpeed::instant, "instant"}},
         {"Smooth", "Fast", "Instant"}});
    expectEnumeration<SoundTrailing>(
        {{{SoundTrailing::symbol, "symbol"}, {SoundTrailing::device, "device"}}, {"Symbol", "Device name"}});
    expectEnumeration<KeepAwakeDurationSetting>({{{KeepAwakeDurationSetting::indefinite, "indefinite"},
                                                  {KeepAwakeDurationSetting::thirtyMinutes, "thirtyMinutes"},
                                                  {KeepAwakeDurationSetting::oneHour, "oneHour"},
                                                  {KeepAwakeDurationSetting::twoHours, "twoHours"}},
                                                 {"Until I turn it off", "30 minutes", "1 hour", "2 hours"}});
    expectEnumeration<MediaBarStyle>({{{MediaBarStyle::monochrome, "monochrome"},
                                       {MediaBarStyle::colored, "colored"},
                                       {MediaBarStyle::gradient, "gradient"}},
                                      {"Monochrome", "Artwork colour", "Gradient"}});
    EXPECT_EQ(id(KeepAwakeDurationSetting::oneHour), QStringLiteral("oneHour"));
}
