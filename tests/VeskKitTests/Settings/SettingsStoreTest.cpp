#include "VeskKit/Settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>

#include <cmath>
#include <limits>

using namespace vesk;

namespace {

QVariant integer(qint64 value) {
    return QVariant::fromValue<qint64>(value);
}

QVariant list(std::initializer_list<QVariant> items) {
    return QVariantList(items);
}

QVariant read(const SettingsStore& store, const QString& key) {
    for (const SettingDescriptor& setting : SettingsStore::catalogue())
        if (setting.key == key) return setting.read(store);
    ADD_FAILURE() << "no setting " << key.toStdString();
    return {};
}

bool write(SettingsStore& store, const QString& key, const QVariant& value) {
    for (const SettingDescriptor& setting : SettingsStore::catalogue())
        if (setting.key == key) return setting.write(store, value);
    ADD_FAILURE() << "no setting " << key.toStdString();
    return false;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
};

} // namespace

// What a value stored in the defaults by any means reads back as, for a sample of every
// kind of setting. Reads never clamp; the wrong form reads as the default.
TEST_F(SettingsStoreTest, StoredFormsAndTheirFallbacks) {
    struct Case {
        const char* key;
        QVariant stored;
        QVariant reads;
    };
    const QVariant defaultOrder = list({"media", "todos", "shortcuts", "mirror"});
    const Case cases[] = {
        // Boolean: exact conversions only
        {"soundEnabled", false, false},
        {"soundEnabled", integer(0), false},
        {"launchAtLogin", integer(1), true},
        {"launchAtLogin", 1.0, true},
        {"soundEnabled", integer(2), true},
        {"launchAtLogin", integer(2), false},
        {"launchAtLogin", 0.5, false},
        {"launchAtLogin", "true", false},
        {"soundEnabled", list({true}), true},
        // Double: any exact number, never clamped on read
        {"contentPadding", 3.25, 3.25},
        {"contentPadding", integer(20), 20.0},
        {"contentPadding", true, 1.0},
        {"inactivityTimeout", 500.0, 500.0},
        {"contentPadding", "7", 12.0},
        {"contentPadding", integer(std::numeric_limits<qint64>::max()), 12.0},
        {"contentPadding", QVariantMap{}, 12.0},
        // Enumeration: the exact case name, through the string read
        {"showOn", "primaryOnly", "primaryOnly"},
        {"showOn", "nowhere", "allScreens"},
        {"showOn", integer(1), "allScreens"},
        {"showOn", list({"primaryOnly"}), "allScreens"},
        {"displayBarStyle", "decibel", "decibel"},
        {"keepAwakeDuration", "OneHour", "indefinite"},
        {"keepAwakeDuration", "oneHour", "oneHour"},
        // Ordered lists: a malformed array falls back whole; unknown names are dropped
        {"widgetOrder", list({"media", integer(3)}), defaultOrder},
        {"widgetOrder", list({"sundial"}), QVariantList{}},
        {"widgetOrder", "media", defaultOrder},
        {"widgetOrder", list({"weather", "sundial", "media", "weather"}),
         list({"weather", "media", "weather"})},
        {"pipelineOrder", list({"zip", "Zip", "copyPaths"}), list({"zip", "copyPaths"})},
        {"pipelineOrder", list({"zip", true}), QVariantList{}},
        // Sets
        {"enabledWidgets", list({"timer", "media", "timer", "nope"}), list({"media", "timer"})},
        {"enabledWidgets", list({"timer", 2.0}), list({"media", "mirror", "shortcuts", "todos"})},
        {"enabledWidgets", QVariantList{}, QVariantList{}},
        {"visibleCalendars", list({"b", "a", "b"}), list({"a", "b"})},
        {"visibleCalendars", list({"a", integer(1)}), QVariantList{}},
        // Map of cells: wholly string to integer, unknown widgets dropped, never clamped
        {"widgetCells", QVariantMap{{"media", integer(1)}, {"sundial", integer(3)}, {"timer", 6.0}},
         QVariantMap{{"media", integer(1)}, {"timer", integer(6)}}},
        {"widgetCells", QVariantMap{{"media", integer(5)}, {"timer", 2.5}}, QVariantMap{}},
        {"widgetCells", QVariantMap{{"media", "5"}}, QVariantMap{}},
        {"widgetCells", list({"media"}), QVariantMap{}},
    };
    SettingsStore store(*defaults);
    for (const Case& c : cases) {
        const QString key = QString::fromLatin1(c.key);
        SCOPED_TRACE(testing::Message() << c.key << " holding " << testing::PrintToString(c.stored));
        defaults->setObject(key, c.stored);
        EXPECT_EQ(read(store, key), c.reads);
        defaults->remove(key);
    }
}

TEST_F(SettingsStoreTest, CollectionsAreStoredInTheirForms) {
    SettingsStore store(*defaults);
    store.setEnabledWidgets({WidgetID::mirror, WidgetID::media});
    EXPECT_EQ(defaults->object("enabledWidgets"), list({"media", "mirror"}));
    store.setWidgetOrder({WidgetID::weather, WidgetID::media, WidgetID::weather});
    EXPECT_EQ(store.widgetOrder(), (WidgetOrder{WidgetID::weather, WidgetID::media, WidgetID::weather}));
    store.setPipelineOrder({PipelineID::copyPaths, PipelineID::zip});
    EXPECT_EQ(defaults->object("pipelineOrder"), list({"copyPaths", "zip"}));
    store.setVisibleCalendars({"work", "Home", "éte", "ete"});
    EXPECT_EQ(defaults->object("visibleCalendars"), list({"Home", "ete", "work", "éte"}));
    store.setWidgetCells({{WidgetID::timer, 3}});
    EXPECT_EQ(defaults->object("widgetCells"), QVariant(QVariantMap{{"timer", integer(3)}}));
    EXPECT_EQ(defaults->object("widgetCells")->toMap().value("timer").typeId(), QMetaType::LongLong);

    // A value of the wrong form given to the catalogue's write is refused, not stored.
    EXPECT_FALSE(write(store, "showOn", integer(1)));
    EXPECT_FALSE(write(store, "widgetOrder", list({"media", integer(1)})));
    EXPECT_FALSE(defaults->object("showOn"));
}

// Every Double is clamped into its range (checked against the table by the catalogue
// test) on write; a value that is not a number becomes the lower bound.
TEST_F(SettingsStoreTest, DoubleWritesClampIntoEveryRange) {
    const double inf = std::numeric_limits<double>::infinity();
    SettingsStore store(*defaults);
    int doubles = 0;
    for (const SettingDescriptor& setting : SettingsStore::catalogue()) {
        if (!setting.range) continue;
        ++doubles;
        SCOPED_TRACE(setting.key.toStdString());
        const double low = setting.range->lowest, high = setting.range->highest, mid = (low + high) / 2;
        const std::pair<double, double> writes[] = {
            {low - 1, low},      {high + 1, high}, {-inf, low},  {inf, high},
            {std::nan(""), low}, {low, low},       {high, high}, {mid, mid},
        };
        for (const auto& [value, stored] : writes) {
            ASSERT_TRUE(setting.write(store, value));
            EXPECT_EQ(defaults->object(setting.key), QVariant(stored)) << "writing " << value;
            EXPECT_EQ(setting.read(store), QVariant(stored));
        }
    }
    EXPECT_EQ(doubles, 19);
    store.setCalendarDaysAhead(0); // the typed setters clamp too
    EXPECT_EQ(store.calendarDaysAhead(), 1);
}

TEST_F(SettingsStoreTest, SchemaMarkerIsWrittenOnlyWhenMissingOrNotAPositiveInteger) {
    struct Case {
        QVariant stored; // invalid: missing
        QVariant after;
    };
    const Case cases[] = {
        {QVariant(), integer(1)}, {integer(0), integer(1)}, {integer(-4), integer(1)},
        {"5", integer(1)},        {1.5, integer(1)},        {list({integer(2)}), integer(1)},
        {integer(5), integer(5)}, {integer(1), integer(1)}, {2.0, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.stored));
        auto fresh = UserDefaults::inMemory();
        if (c.stored.isValid()) fresh->setObject("settingsSchemaVersion", c.stored);
        fresh->setBool("soundEnabled", false);
        SettingsStore store(*fresh);
        EXPECT_EQ(fresh->object("settingsSchemaVersion"), c.after);
        EXPECT_EQ(fresh->object("settingsSchemaVersion")->typeId(), c.after.typeId());
        // Nothing else is touched and nobody is told.
        EXPECT_EQ(fresh->dictionaryRepresentation().size(), 2);
        EXPECT_EQ(store.revision(), 0);
    }
}

TEST_F(SettingsStoreTest, CellsAreHeldBetweenTheWidgetMinimumAndEight) {
    SettingsStore store(*defaults);
    const struct {
        WidgetID widget;
        int cells;
        int stored;
    } cases[] = {
        {WidgetID::media, 1, 4},
        {WidgetID::timer, 12, 8},
        {WidgetID::audioDevice, 0, 2},
        {WidgetID::calendar, -5, 3},
        {WidgetID::mirror, 8, 8},
        {WidgetID::weather, 3, 3},
        {WidgetID::todos, std::numeric_limits<int>::min(), 3},
    };
    WidgetCells expected;
    for (const auto& c : cases) {
        store.setCells(c.cells, c.widget);
        expected.insert(c.widget, c.stored);
        EXPECT_EQ(store.widgetCells(), expected);
    }
    // Other entries are kept as they were stored, unclamped.
    defaults->setObject("widgetCells", QVariantMap{{"notes", integer(40)}});
    store.setCells(5, WidgetID::media);
    EXPECT_EQ(store.widgetCells(), (WidgetCells{{WidgetID::notes, 40}, {WidgetID::media, 5}}));
}

TEST_F(SettingsStoreTest, SetWidgetAddsOrRemovesOneWidgetAndAlwaysWrites) {
    SettingsStore store(*defaults);
    QSignalSpy changes(&store, &SettingsStore::revisionChanged);
    store.setWidget(WidgetID::weather, true);
    EXPECT_EQ(defaults->object("enabledWidgets"), list({"media", "mirror", "shortcuts", "todos", "weather"}));
    store.setWidget(WidgetID::media, false);
    store.setWidget(WidgetID::calendar, false);
    EXPECT_EQ(store.enabledWidgets(),
              (WidgetSet{WidgetID::todos, WidgetID::shortcuts, WidgetID::mirror, WidgetID::weather}));
    EXPECT_EQ(changes.size(), 3);
    EXPECT_EQ(store.revision(), 3);
}

TEST_F(SettingsStoreTest, NotchGuardsFollowTheirElevenSettings) {
    const std::pair<const char*, bool NotchStateGuards::*> fields[] = {
        {"expandOnHover", &NotchStateGuards::expandOnHover},
        {"alwaysOpenOnHover", &NotchStateGuards::alwaysOpenOnHover},
        {"preventCloseOnMouseLeave", &NotchStateGuards::preventCloseOnMouseLeave},
        {"swipeToToggleOpen", &NotchStateGuards::swipeToToggleOpen},
        {"swipeToDismissActivity", &NotchStateGuards::swipeToDismissActivity},
        {"swipeToCycleActivity", &NotchStateGuards::swipeToCycleActivity},
        {"swipeToSkipMedia", &NotchStateGuards::swipeToSkipMedia},
        {"interactiveActivities", &NotchStateGuards::interactiveActivities},
        {"quickPeekEnabled", &NotchStateGuards::quickPeekEnabled},
        {"demoMode", &NotchStateGuards::demoMode},
        {"lockWhileTyping", &NotchStateGuards::lockWhileTyping},
    };
    SettingsStore store(*defaults);
    NotchStateGuards expected;
    for (const auto& [key, field] : fields)
        expected.*field = read(store, QString::fromLatin1(key)).toBool();
    EXPECT_EQ(store.notchGuards(), expected);
    for (const auto& [key, field] : fields) {
        SCOPED_TRACE(key);
        const bool flipped = !(expected.*field);
        defaults->setBool(key, flipped);
        NotchStateGuards changed = expected;
        changed.*field = flipped;
        EXPECT_EQ(store.notchGuards(), changed);
        defaults->remove(key);
    }
    defaults->setBool("isTyping", true);
    EXPECT_FALSE(store.notchGuards().isTyping);
}

TEST_F(SettingsStoreTest, EveryWriteBumpsTheRevisionOnceEvenWhenTheValueIsEqual) {
    SettingsStore store(*defaults);
    QSignalSpy changes(&store, &SettingsStore::revisionChanged);
    store.setSoundEnabled(true);
    store.setSoundEnabled(true);
    store.setContentPadding(12);
    store.setContentPadding(99); // clamped to 24
    store.setShowOn(ScreenPolicy::allScreens);
    store.setVisibleCalendars({});
    store.setCells(4, WidgetID::media);
    ASSERT_EQ(changes.size(), 7);
    for (int i = 0; i < changes.size(); ++i)
        EXPECT_EQ(changes.at(i).at(0).toLongLong(), i + 1);
    EXPECT_EQ(store.revision(), 7);

    // A slider drag through the catalogue writes each step.
    for (const SettingDescriptor& setting : SettingsStore::catalogue())
        setting.write(store, setting.defaultValue);
    EXPECT_EQ(store.revision(), 7 + 92);

    // Reads, and changes made to the defaults behind the store's back, notify nobody.
    changes.clear();
    (void)store.soundEnabled();
    (void)store.notchGuards();
    defaults->setBool("soundEnabled", false);
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(SettingsStoreTest, ResetRemovesLowerCaseKeysButKeepsTheImportMarker) {
    const char* removed[] = {
        "soundEnabled",   "hasCompletedOnboarding",
        "mirrorDeviceID", "settingsSchemaVersion",
        "éclair",         "ßharp",
        "ªmark",          "ⅰroman",
        "e\u0301cole", // e with a combining acute
    };
    const char* kept[] = {
        "didMigrateJSONStores", // importing again would bring back deleted data
        "NSWindow Frame main",  "Éclair", "ǅigraph", "7seven", "_private", "-dash", " space", "漢字", "😀",
        "\u0301combining",
    };
    for (const char* key : removed)
        defaults->setBool(QString::fromUtf8(key), true);
    for (const char* key : kept)
        defaults->setBool(QString::fromUtf8(key), true);
    defaults->setBool(QString(), true);

    SettingsStore store(*defaults);
    store.setHandlerWidth(300);
    store.setWidgetOrder({WidgetID::weather});
    QSignalSpy changes(&store, &SettingsStore::revisionChanged);
    store.resetAll();
    EXPECT_EQ(changes.size(), 1);

    QVariantMap expected;
    for (const char* key : kept)
        expected.insert(QString::fromUtf8(key), true);
    expected.insert(QString(), true);
    expected.insert("settingsSchemaVersion", integer(1));
    EXPECT_EQ(defaults->dictionaryRepresentation(), expected);
    EXPECT_EQ(store.handlerWidth(), 184);
    EXPECT_EQ(store.widgetOrder(), defaultWidgetOrder());
}

TEST_F(SettingsStoreTest, SettingsSurviveTheDefaultsFileWithTheirTypes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    {
        auto file = UserDefaults::atPath(path);
        SettingsStore store(*file);
        store.setContentPadding(12); // a whole double
        store.setLaunchAtLogin(true);
        store.setCells(5, WidgetID::timer); // an integer inside a dictionary
    }
    auto reopened = UserDefaults::atPath(path);
    EXPECT_EQ(reopened->object("contentPadding")->typeId(), QMetaType::Double);
    EXPECT_EQ(reopened->object("launchAtLogin")->typeId(), QMetaType::Bool);
    EXPECT_EQ(reopened->object("settingsSchemaVersion")->typeId(), QMetaType::LongLong);
    EXPECT_EQ(reopened->dictionary("widgetCells")->value("timer").typeId(), QMetaType::LongLong);
    SettingsStore store(*reopened);
    EXPECT_EQ(store.contentPadding(), 12.0);
    EXPECT_TRUE(store.launchAtLogin());
    EXPECT_EQ(store.widgetCells(), (WidgetCells{{WidgetID::timer, 5}}));
}
