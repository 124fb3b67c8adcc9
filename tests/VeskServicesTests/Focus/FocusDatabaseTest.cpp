#include "VeskServices/Focus/FocusDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vesk;

namespace {

const char* const workAssertions =
    R"({"data":[{"storeAssertionRecords":[{"assertionDetails":{"assertionDetailsModeIdentifier":"focus.work"}}]}]})";
const char* const workConfigurations =
    R"({"data":[{"modeConfigurations":{"focus.work":{"mode":{"name":"Work","symbolImageName":"briefcase.fill"}}}}]})";

void write(const QString& path, const char* content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

struct Case {
    const char* what;
    const char* assertions; // nullptr: no file
    const char* configurations;
    std::optional<FocusModeIdentity> expected;
};

} // namespace

TEST(FocusDatabaseTest, ReadsTheModeOfTheFirstAssertionRecordOrNothing) {
    const Case cases[] = {
        {"a named mode with a symbol", workAssertions, workConfigurations,
         FocusModeIdentity{QStringLiteral("Work"), QStringLiteral("briefcase.fill")}},
        {"a mode without a name is called Focus", workAssertions,
         R"({"data":[{"modeConfigurations":{"focus.work":{"mode":{"symbolImageName":"briefcase.fill"}}}}]})",
         FocusModeIdentity{QStringLiteral("Focus"), QStringLiteral("briefcase.fill")}},
        {"a mode without a symbol has none", workAssertions,
         R"({"data":[{"modeConfigurations":{"focus.work":{"mode":{"name":"Work","symbolImageName":7}}}}]})",
         FocusModeIdentity{QStringLiteral("Work"), std::nullopt}},
        {"no assertion record", R"({"data":[{"storeAssertionRecords":[]}]})", workConfigurations,
         std::nullopt},
        {"an identifier that is not a string",
         R"({"data":[{"storeAssertionRecords":[{"assertionDetails":{"assertionDetailsModeIdentifier":3}}]}]})",
         workConfigurations, std::nullopt},
        {"data that is not an array", R"({"data":{}})", workConfigurations, std::nullopt},
        {"a top level that is not an object", "[]", workConfigurations, std::nullopt},
        {"invalid JSON", "{\"data\":", workConfigurations, std::nullopt},
        {"a mode that is not configured", workAssertions, R"({"data":[{"modeConfigurations":{}}]})",
         std::nullopt},
        {"a configuration without its mode object", workAssertions,
         R"({"data":[{"modeConfigurations":{"focus.work":{"mode":"Work"}}}]})", std::nullopt},
        {"no configurations file", workAssertions, nullptr, std::nullopt},
        {"no assertions file", nullptr, workConfigurations, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        if (c.assertions) write(folder.filePath(QStringLiteral("Assertions.json")), c.assertions);
        if (c.configurations)
            write(folder.filePath(QStringLiteral("ModeConfigurations.json")), c.configurations);
        const FocusDatabase database(folder.path());
        EXPECT_EQ(database.isReadable(), c.assertions != nullptr);
        EXPECT_EQ(database.activeMode(), c.expected);
    }
}

TEST(FocusDatabaseTest, LivesInTheHomeLibraryFolder) {
    EXPECT_EQ(FocusDatabase::defaultFolder(), QDir::homePath() + QStringLiteral("/Library/DoNotDisturb/DB"));
    EXPECT_FALSE(FocusDatabase(QStringLiteral("/nonexistent/DB")).isReadable());
}
