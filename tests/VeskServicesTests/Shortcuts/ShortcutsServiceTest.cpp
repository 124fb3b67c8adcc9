#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Shortcuts/ShortcutScripts.h"

#include "support/EventLoop.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

class FakeScripts final : public ShortcutScripts {
public:
    QStringList names;
    QList<std::pair<QString, std::optional<QString>>> runs;

    bool canList() const override { return true; }
    void list(QObject*, std::function<void(QStringList)> done) override {
        onMain([done = std::move(done), names = names] { done(names); });
    }
    void run(const QString& name, const std::optional<QString>& input) override {
        runs.append({name, input});
    }
};

ShortcutEntry entry(const QString& name, std::optional<QString> customName = std::nullopt,
                    std::optional<QString> textInput = std::nullopt) {
    return ShortcutEntry{.id = QUuid::createUuid(),
                         .shortcutName = name,
                         .customName = std::move(customName),
                         .symbol = QStringLiteral("sparkles"),
                         .textInput = std::move(textInput)};
}

class ShortcutsServiceTest : public ::testing::Test {
protected:
    const QString container =
        QStringLiteral("ShortcutsTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    FakeScripts scripts;
    std::unique_ptr<ShortcutsService> makeService() {
        return std::make_unique<ShortcutsService>(container,
                                                  ShortcutsService::Environment{.scripts = &scripts});
    }
};

} // namespace

TEST_F(ShortcutsServiceTest, KeepsOneEntryPerNameUpdatesByIdAndSavesEveryChange) {
    auto service = makeService();
    int saves = 0;
    service->setOnChange([&](const QList<ShortcutEntry>&) { ++saves; });
    ShortcutEntry note = entry(QStringLiteral("Note"), QStringLiteral(""), QStringLiteral("hello"));
    service->add(note);
    service->add(entry(QStringLiteral("Note"), QStringLiteral("Other label")));
    service->add(entry(QStringLiteral("note")));
    EXPECT_EQ(service->chosen().size(), 2);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(service->chosen().first().displayName(), QString());

    service->update(entry(QStringLiteral("Unknown id")));
    EXPECT_EQ(saves, 2);
    note.customName = QStringLiteral("Jot");
    service->update(note);
    EXPECT_EQ(service->chosen().first().displayName(), QStringLiteral("Jot"));
    EXPECT_EQ(makeService()->chosen(), service->chosen());

    service->remove(note);
    EXPECT_EQ(service->chosen().size(), 1);
    EXPECT_EQ(saves, 4);

    // A change the disk cannot take stays in memory and is written when the service ends.
    {
        const ScopedFileSizeLimit full(8);
        service->add(entry(QStringLiteral("Written at the end")));
    }
    EXPECT_EQ(makeService()->chosen().size(), 1);
    service.reset();
    EXPECT_EQ(makeService()->chosen().size(), 2);
}

TEST_F(ShortcutsServiceTest, ListsSortedWithoutRegardToCaseAndRunsByShortcutName) {
    auto service = makeService();
    scripts.names = {QStringLiteral("c"), QStringLiteral("B"), QStringLiteral("a"), QStringLiteral("B")};
    QObject context;
    std::optional<QStringList> listed;
    service->available(&context, [&](QStringList names) { listed = names; });
    ASSERT_TRUE(processEventsUntil([&] { return listed.has_value(); })) << "the listing never came";
    EXPECT_EQ(*listed, (QStringList{QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("B"),
                                    QStringLiteral("c")}));

    service->run(entry(QStringLiteral("Note"), QStringLiteral("My label"), QStringLiteral("some text")));
    ASSERT_EQ(scripts.runs.size(), 1);
    EXPECT_EQ(scripts.runs.first().first, QStringLiteral("Note"));
    EXPECT_EQ(scripts.runs.first().second, QStringLiteral("some text"));
}
