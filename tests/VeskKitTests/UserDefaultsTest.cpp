#include "VeskKit/Foundation/UserDefaults.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <limits>

#include <sys/stat.h>

using vesk::UserDefaults;

namespace {

QVariantMap sampleValues() {
    return {
        {QStringLiteral("flag"), true},
        {QStringLiteral("count"), QVariant::fromValue<qint64>(42)},
        {QStringLiteral("ratio"), 0.75},
        {QStringLiteral("padding"), 12.0},
        {QStringLiteral("name"), QStringLiteral("Vesk")},
        {QStringLiteral("order"), QVariantList{QStringLiteral("media"), QStringLiteral("todos")}},
        {QStringLiteral("cells"), QVariantMap{{QStringLiteral("media"), QVariant::fromValue<qint64>(4)}}},
        {QStringLiteral("huge"), 1e20},
        {QStringLiteral("tiny"), 1e-7},
        {QStringLiteral("negative"), -3.0},
        {QStringLiteral("largest"), QVariant::fromValue<qint64>(std::numeric_limits<qint64>::max())},
        {QStringLiteral("nested"),
         QVariantList{2.0, QVariant::fromValue<qint64>(2), QVariantMap{{"x", 4.0}}}},
    };
}

} // namespace

TEST(UserDefaultsTest, EveryValueTypeRoundTripsThroughTheFileWithItsType) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vesk/defaults.json"));
    {
        auto defaults = UserDefaults::atPath(path);
        const QVariantMap values = sampleValues();
        for (auto it = values.begin(); it != values.end(); ++it)
            defaults->setObject(it.key(), it.value());
    }
    auto reopened = UserDefaults::atPath(path);
    EXPECT_EQ(reopened->object(QStringLiteral("flag"))->typeId(), QMetaType::Bool);
    EXPECT_EQ(reopened->object(QStringLiteral("count"))->typeId(), QMetaType::LongLong);
    EXPECT_EQ(reopened->object(QStringLiteral("ratio"))->typeId(), QMetaType::Double);
    EXPECT_EQ(reopened->object(QStringLiteral("padding"))->typeId(), QMetaType::Double);
    EXPECT_EQ(reopened->dictionaryRepresentation(), sampleValues());
    const QVariantList nested = reopened->array(QStringLiteral("nested")).value();
    EXPECT_EQ(nested.at(0).typeId(), QMetaType::Double);
    EXPECT_EQ(nested.at(1).typeId(), QMetaType::LongLong);
    EXPECT_EQ(nested.at(2).toMap().value("x").typeId(), QMetaType::Double);
    EXPECT_EQ(reopened->array(QStringLiteral("order"))->size(), 2);
    EXPECT_EQ(reopened->dictionary(QStringLiteral("cells"))->value(QStringLiteral("media")).toLongLong(), 4);
    EXPECT_FALSE(reopened->array(QStringLiteral("name")));
    EXPECT_FALSE(reopened->object(QStringLiteral("missing")));
}

TEST(UserDefaultsTest, NumbersConvertOnlyWhenTheConversionIsExact) {
    auto defaults = UserDefaults::inMemory();
    defaults->setInteger(QStringLiteral("two"), 2);
    defaults->setInteger(QStringLiteral("one"), 1);
    defaults->setDouble(QStringLiteral("half"), 1.5);
    defaults->setDouble(QStringLiteral("whole"), 2.0);
    defaults->setBool(QStringLiteral("yes"), true);
    defaults->setString(QStringLiteral("text"), QStringLiteral("true"));

    auto get = [&](const char* key) { return *defaults->object(QLatin1String(key)); };
    EXPECT_FALSE(UserDefaults::exactBool(get("two")));
    EXPECT_EQ(UserDefaults::exactBool(get("one")), true);
    EXPECT_FALSE(UserDefaults::exactInteger(get("half")));
    EXPECT_EQ(UserDefaults::exactInteger(get("whole")), 2);
    EXPECT_EQ(UserDefaults::exactDouble(get("two")), 2.0);
    EXPECT_EQ(UserDefaults::exactInteger(get("yes")), 1);
    EXPECT_FALSE(UserDefaults::exactBool(get("text")));
    EXPECT_FALSE(defaults->boolValue(QStringLiteral("text")));
    EXPECT_EQ(defaults->string(QStringLiteral("two")), QStringLiteral("2"));
}

TEST(UserDefaultsTest, RemoveAndInvalidValuesDeleteTheKeyFromTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    auto defaults = UserDefaults::atPath(path);
    defaults->setBool(QStringLiteral("a"), true);
    defaults->setBool(QStringLiteral("b"), true);
    defaults->setBool(QStringLiteral("c"), true);
    defaults->setBool(QStringLiteral("d"), true);
    defaults->remove(QStringLiteral("a"));
    defaults->setObject(QStringLiteral("b"), QVariant());
    defaults->removeKeys({QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("missing")});
    defaults->flush();
    EXPECT_TRUE(UserDefaults::atPath(path)->dictionaryRepresentation().isEmpty());
}

TEST(UserDefaultsTest, ACorruptFileIsKeptAsideAndTheStoreStartsEmpty) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"soundEnabled\": tru");
    file.close();

    auto defaults = UserDefaults::atPath(path);
    EXPECT_TRUE(defaults->dictionaryRepresentation().isEmpty());
    const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("defaults.json.corrupt-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(dir.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("{\"soundEnabled\": tru"));

    defaults->setBool(QStringLiteral("soundEnabled"), false);
    defaults->flush();
    EXPECT_EQ(UserDefaults::atPath(path)->object(QStringLiteral("soundEnabled")), QVariant(false));
}

TEST(UserDefaultsTest, WritesNeverLeaveAHalfWrittenFileOrStrayTemporaries) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    auto defaults = UserDefaults::atPath(path);
    const QString big(100000, QLatin1Char('x'));
    for (int i = 0; i < 20; ++i) {
        defaults->setString(QStringLiteral("key%1").arg(i), big);
        defaults->flush();
        // Every state on disk is a complete document.
        EXPECT_EQ(UserDefaults::atPath(path)->dictionaryRepresentation().size(), i + 1);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("defaults.json")});
}

TEST(UserDefaultsTest, StandardStoreLivesInTheConfigFolderAndCanBeReplaced) {
    UserDefaults::setStandard(nullptr);
    UserDefaults::standard().setBool(QStringLiteral("diagnosticsOptIn"), true);
    UserDefaults::standard().flush();
    EXPECT_EQ(UserDefaults::standard().path(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk/defaults.json"));
    EXPECT_TRUE(QFile::exists(UserDefaults::standard().path()));

    UserDefaults::setStandard(UserDefaults::inMemory());
    EXPECT_FALSE(UserDefaults::standard().object(QStringLiteral("diagnosticsOptIn")));
    UserDefaults::setStandard(nullptr);
}

TEST(UserDefaultsTest, WritesAreCoalescedUntilHalfASecondAfterTheFirstChange) {
    vesk::test::ManualScheduler scheduler;
    vesk::test::ScopedMainScheduler guard(scheduler);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    auto defaults = UserDefaults::atPath(path);
    const auto onDisk = [&] { return UserDefaults::atPath(path)->object(QStringLiteral("soundDuration")); };

    // A 200-step drag: every read sees the step at once, the file sees none of them.
    for (int step = 1; step <= 200; ++step) {
        defaults->setDouble(QStringLiteral("soundDuration"), step / 20.0);
        EXPECT_EQ(defaults->doubleValue(QStringLiteral("soundDuration")), step / 20.0);
        scheduler.advance(0.002);
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(scheduler.pendingCount(), 1) << "one write for the whole drag";
    scheduler.advance(0.5);
    EXPECT_EQ(onDisk(), QVariant(10.0)) << "the last value";
    EXPECT_FALSE(defaults->isDirty());

    defaults->setDouble(QStringLiteral("soundDuration"), 2.5);
    EXPECT_EQ(onDisk(), QVariant(10.0));
    defaults->flush();
    EXPECT_EQ(onDisk(), QVariant(2.5)) << "flush writes what is pending";
    scheduler.advance(1);
    EXPECT_EQ(onDisk(), QVariant(2.5));

    // The destructor flushes, and the write it left scheduled then does nothing.
    defaults->setDouble(QStringLiteral("soundDuration"), 3.0);
    defaults.reset();
    EXPECT_EQ(onDisk(), QVariant(3.0));
    scheduler.advance(1);
}

TEST(UserDefaultsTest, ADamagedFileKeepsWhatReadsWholeAndGetsItsOneTimeMarkersBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    const auto write = [&path](const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    {
        auto defaults = UserDefaults::atPath(path);
        defaults->setBool(QStringLiteral("hasCompletedOnboarding"), true);
        defaults->setBool(QStringLiteral("didMigrateJSONStores"), true);
    }
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("defaults.markers.json"))));

    // Cut inside a number: 12 must not come back as 1.
    write(R"({"cells":{"media":4},"contentPadding":20.0,"notchWidthAdjust":1)");
    auto defaults = UserDefaults::atPath(path);
    const QVariantMap expected{{QStringLiteral("cells"), QVariantMap{{QStringLiteral("media"), qint64(4)}}},
                               {QStringLiteral("contentPadding"), 20.0},
                               {QStringLiteral("didMigrateJSONStores"), true},
                               {QStringLiteral("hasCompletedOnboarding"), true}};
    EXPECT_EQ(defaults->dictionaryRepresentation(), expected);
    EXPECT_TRUE(defaults->loadReport().contains(QStringLiteral("2 setting(s) kept")))
        << qPrintable(defaults->loadReport());
    EXPECT_TRUE(defaults->loadReport().endsWith(
        QStringLiteral("one-time marker(s) restored from defaults.markers.json: didMigrateJSONStores, "
                       "hasCompletedOnboarding")))
        << qPrintable(defaults->loadReport());
    auto reopened = UserDefaults::atPath(path);
    EXPECT_EQ(reopened->dictionaryRepresentation(), expected) << "written whole again at once";
    EXPECT_TRUE(reopened->loadReport().isEmpty());

    // A marker removed through the store (a reset) stays removed.
    reopened->remove(QStringLiteral("hasCompletedOnboarding"));
    reopened->flush();
    ASSERT_TRUE(QFile::remove(path));
    // A FIFO in the file's place is kept aside without waiting for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    auto afterFifo = UserDefaults::atPath(path);
    EXPECT_EQ(afterFifo->dictionaryRepresentation(),
              (QVariantMap{{QStringLiteral("didMigrateJSONStores"), true}}));
    EXPECT_TRUE(afterFifo->loadReport().contains(QStringLiteral("not a regular file")));
    EXPECT_EQ(QDir(dir.path())
                  .entryList({QStringLiteral("defaults.json.corrupt-*")}, QDir::System | QDir::Files)
                  .size(),
              2);
}

// Two copies of the program (two displays, one user) write one file: each writes only
// what it changed, so neither loses the other's settings.
TEST(UserDefaultsTest, TwoStoresOnOneFileKeepEachOthersChangesAndTheLaterWriteWins) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    UserDefaults::atPath(path)->setBool(QStringLiteral("hapticFeedback"), true);
    auto first = UserDefaults::atPath(path);
    auto second = UserDefaults::atPath(path);

    first->setBool(QStringLiteral("soundShowPercentage"), true);
    first->setDouble(QStringLiteral("contentPadding"), 8.0);
    second->setBool(QStringLiteral("demoMode"), true);
    second->remove(QStringLiteral("hapticFeedback"));
    second->setDouble(QStringLiteral("contentPadding"), 16.0);
    first->flush();
    second->flush();
    const QVariantMap expected{{QStringLiteral("contentPadding"), 16.0},
                               {QStringLiteral("demoMode"), true},
                               {QStringLiteral("soundShowPercentage"), true}};
    EXPECT_EQ(UserDefaults::atPath(path)->dictionaryRepresentation(), expected);
    EXPECT_EQ(second->dictionaryRepresentation(), expected) << "a write takes in the other copy's changes";

    // Set again to what it held, a key is still this copy's choice.
    first->setDouble(QStringLiteral("contentPadding"), 8.0);
    first->flush();
    EXPECT_EQ(UserDefaults::atPath(path)->doubleValue(QStringLiteral("contentPadding")), 8.0);
    EXPECT_TRUE(UserDefaults::atPath(path)->boolValue(QStringLiteral("demoMode")));

    // A file damaged meanwhile is kept aside and this store's values are written whole.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("{\"cut") > 0);
    file.close();
    second->setBool(QStringLiteral("demoMode"), false);
    second->flush();
    EXPECT_EQ(UserDefaults::atPath(path)->dictionaryRepresentation().size(), 3);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("defaults.json.corrupt-*")}).size(), 1);
}
