#include "Vesk/SettingsWindow/Panes/ShortcutsPane.h"
#include "Vesk/Controls/ProgressSpinner.h"
#include "Vesk/Controls/TextView.h"
#include "VeskPlatform/Shortcuts/ShortcutScripts.h"
#include "VeskServices/Shortcuts/ShortcutSeeder.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace vesk {
namespace {

// Scripts that list at once, or never when `canList` is off.
class ListedScripts final : public ShortcutScripts {
public:
    bool listable = true;
    QStringList names;
    bool canList() const override { return listable; }
    void list(QObject* context, std::function<void(QStringList)> done) override {
        QMetaObject::invokeMethod(
            context, [done, names = names] { done(names); }, Qt::QueuedConnection);
    }
    void run(const QString&, const std::optional<QString>&) override {}
};

class ShortcutsPaneTest : public ::testing::Test {
protected:
    ShortcutsPaneTest() {
        scripts.names = {u"Note"_qs, u"Backup Photos"_qs, u"note"_qs};
        container = ModelContainer::open(folder.filePath(u"Vesk.store"_qs));
        repository = std::make_unique<DeskRepository>(std::make_shared<ModelContext>(container), u"test"_qs);
    }

    std::unique_ptr<ShortcutsPane> open(DeskRepository* repo, BuildProfile profile = BuildProfile(false)) {
        auto pane = std::make_unique<ShortcutsPane>(service, profile, repo);
        EXPECT_TRUE(test::processEventsUntil([&] { return !pane->isLoading(); }, 20000))
            << "the listing never ended";
        return pane;
    }
    QStringList chosenNames() const {
        QStringList names;
        for (const ShortcutSnapshot& entry : repository->shortcuts())
            names << entry.shortcutName + u" "_qs + entry.symbol;
        return names;
    }

    QTemporaryDir folder;
    ListedScripts scripts;
    ShortcutsService service{u"ShortcutsPaneTest-"_qs + QUuid::createUuid().toString(QUuid::WithoutBraces),
                             ShortcutsService::Environment{.scripts = &scripts}};
    std::shared_ptr<ModelContainer> container;
    std::unique_ptr<DeskRepository> repository;
};

TEST_F(ShortcutsPaneTest, TheListLeavesOutChosenNamesExactlyAndSearchesInAnyCase) {
    ASSERT_TRUE(container);
    const auto pane = open(repository.get());
    EXPECT_EQ(pane->results(), (QStringList{u"Backup Photos"_qs, u"Note"_qs, u"note"_qs}));
    pane->addNamed(u"Note"_qs);
    EXPECT_EQ(pane->results(), (QStringList{u"Backup Photos"_qs, u"note"_qs})) << "case-sensitive exclusion";
    pane->searchField()->setText(u"PHOTO"_qs);
    EXPECT_EQ(pane->results(), QStringList{u"Backup Photos"_qs});
    pane->searchField()->setText(u"xyz"_qs);
    EXPECT_EQ(pane->message(), u"Nothing matches “xyz”."_qs);
}

TEST_F(ShortcutsPaneTest, ByNameTrimsSpacesAndGivesTheListsSymbol) {
    scripts.listable = false;
    const auto pane = open(repository.get());
    ASSERT_NE(pane->nameField(), nullptr);
    pane->nameField()->setText(u" \t "_qs);
    EXPECT_FALSE(pane->addButton()->isEnabled());
    pane->addManual();
    EXPECT_TRUE(repository->shortcuts().isEmpty());
    pane->nameField()->setText(u"  Backup Photos\t"_qs);
    EXPECT_TRUE(pane->addButton()->isEnabled());
    pane->addButton()->click();
    EXPECT_EQ(chosenNames(), QStringList{u"Backup Photos "_qs + ShortcutSeeder::symbol(u"Backup Photos"_qs)});
    EXPECT_TRUE(pane->nameField()->text().isEmpty());
    bool explained = false;
    for (TextView* text : pane->findChildren<TextView*>())
        explained = explained || text->text().contains(ShortcutsPane::scriptFolderText());
    EXPECT_TRUE(explained);
}

TEST_F(ShortcutsPaneTest, WithoutARepositoryAddingDoesNothingAndTheSandboxSaysSo) {
    const auto pane = open(nullptr, BuildProfile(true));
    pane->addNamed(u"Note"_qs);
    EXPECT_TRUE(pane->chosen().isEmpty());
    bool sandboxed = false;
    for (TextView* text : pane->findChildren<TextView*>())
        sandboxed = sandboxed || text->text().startsWith(u"Not available in the Flatpak version."_qs);
    EXPECT_TRUE(sandboxed);
}

TEST_F(ShortcutsPaneTest, OnlyALeftClickInsideAListedRowAddsIt) {
    ASSERT_TRUE(container);
    const auto pane = open(repository.get());
    pane->setAttribute(Qt::WA_DontShowOnScreen);
    pane->resize(600, 800);
    pane->show();
    auto* row = pane->findChild<QAbstractButton*>(u"shortcut.Backup Photos"_qs);
    ASSERT_NE(row, nullptr);
    const QPoint inside = row->rect().center();
    QTest::mouseClick(row, Qt::RightButton, {}, inside);
    QTest::mousePress(row, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(row, Qt::LeftButton, {}, QPoint(inside.x(), row->height() + 20));
    QTest::mouseRelease(row, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(repository->shortcuts().isEmpty());
    QTest::mouseClick(row, Qt::LeftButton, {}, inside);
    EXPECT_EQ(chosenNames(), QStringList{u"Backup Photos "_qs + ShortcutSeeder::symbol(u"Backup Photos"_qs)});
}

TEST_F(ShortcutsPaneTest, ListabilityIsReadAgainOnReloadAndWhenShownAgain) {
    scripts.listable = false;
    auto pane = open(repository.get());
    pane->setAttribute(Qt::WA_DontShowOnScreen);
    pane->show();
    ASSERT_NE(pane->nameField(), nullptr);
    EXPECT_EQ(pane->searchField(), nullptr) << "nothing to list: the by-name card";

    // The folder appears while the pane is on screen; it is noticed when the window is
    // shown again. The loading row turns while it is shown.
    scripts.listable = true;
    pane->hide();
    pane->show();
    ASSERT_TRUE(pane->isLoading());
    auto* spinner = pane->findChild<ProgressSpinner*>();
    ASSERT_NE(spinner, nullptr);
    EXPECT_TRUE(spinner->isVisible());
    EXPECT_TRUE(spinner->isTurning());
    ASSERT_TRUE(test::processEventsUntil([&] { return !pane->isLoading(); }));
    EXPECT_FALSE(spinner->isTurning()) << "the loading row is gone";
    EXPECT_NE(pane->searchField(), nullptr);
    EXPECT_EQ(pane->results().size(), 3);

    // It goes again; the reload notices.
    scripts.listable = false;
    pane->findChild<QAbstractButton*>(u"reload"_qs)->click();
    EXPECT_FALSE(pane->isLoading());
    EXPECT_EQ(pane->searchField(), nullptr);
    EXPECT_NE(pane->nameField(), nullptr);
}

} // namespace
} // namespace vesk
