#include "Vesk/Desk/DeskTrayTab.h"
#include "Vesk/Tray/TrayChip.h"
#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Tray/TrayWidget.h"
#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "VeskServices/Tray/TrayStore.h"

#include "support/Desk/DeskFixture.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace vesk {
namespace {

class DeskTrayTabTest : public ::testing::Test, public test::DeskFixture {
protected:
    DeskTrayTabTest() {
        // The tray hands its work back to the main thread through the main scheduler.
        setMainScheduler(&scheduler);
        environment.pasteboard = &pasteboard;
        pasteboard.clearContents();
        open({}, DeskTab::desk);
    }

    ~DeskTrayTabTest() override { setMainScheduler(nullptr); }

    std::unique_ptr<TrayStore> makeStore() {
        TrayStoreOptions options;
        options.queueScheduler = &scheduler;
        return std::make_unique<TrayStore>(QUuid::createUuid().toString(QUuid::WithoutBraces), options);
    }

    const QList<TrayItem> shown{test::trayItem(QStringLiteral("a.png"))};
    SystemPasteboard pasteboard;
};

TEST_F(DeskTrayTabTest, APasteThatAddsNothingChangesNothing) {
    const auto store = makeStore();
    model.setTrayStore(store.get());
    model.setTrayItems(shown);
    QSignalSpy states(&model, &NotchViewModel::stateChanged);
    trayActions(model, environment).onPaste();
    EXPECT_EQ(model.trayItems(), shown);
    EXPECT_EQ(states.count(), 0);
}

TEST_F(DeskTrayTabTest, APasteThatAddsShowsTheTray) {
    const auto store = makeStore();
    model.setTrayStore(store.get());
    pasteboard.setString(QStringLiteral("a note"));
    trayActions(model, environment).onPaste();
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::tray));
    scheduler.advance(1);
    ASSERT_EQ(store->items().size(), 1) << "the pasted text never entered the tray";
    trayActions(model, environment).onRemove({store->items().first()});
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_TRUE(model.trayItems().isEmpty());
}

TEST_F(DeskTrayTabTest, WithoutAStoreRemoveAndClearEmptyTheListAndPasteDoesNothing) {
    const TrayActions actions = trayActions(model, environment);
    model.setTrayItems(shown);
    actions.onClear();
    EXPECT_TRUE(model.trayItems().isEmpty());
    model.setTrayItems(shown);
    actions.onRemove(shown);
    EXPECT_TRUE(model.trayItems().isEmpty());
    pasteboard.setString(QStringLiteral("a note"));
    actions.onPaste();
    EXPECT_EQ(model.state(), NotchState::open(DeskTab::desk));
}

TEST_F(DeskTrayTabTest, TheTabHandsItsContentTheItemsAndFollowsTheStore) {
    QList<QList<TrayItem>> handed;
    TrayContentInputs given;
    environment.trayContent = [&](const TrayContentInputs& inputs, QWidget* parent) {
        given = inputs;
        return TrayContent{
            new QWidget(parent), [&](const QList<TrayItem>& items) { handed.append(items); }, {}};
    };
    DeskTrayTab withoutStore(model, environment);
    EXPECT_EQ(withoutStore.banner(), nullptr);
    EXPECT_EQ(withoutStore.content(), nullptr) << "nothing below the header without a store";

    const auto store = makeStore();
    model.setTrayItems(shown);
    settings.setTrayCopyByDefault(false);
    model.setTrayStore(store.get());
    ASSERT_NE(withoutStore.content(), nullptr) << "the store arrived";
    EXPECT_EQ(given.items, shown);
    EXPECT_EQ(given.store, store.get());
    EXPECT_FALSE(given.copyByDefault);
    ASSERT_NE(withoutStore.banner(), nullptr);
    EXPECT_TRUE(withoutStore.banner()->isHidden()) << "the idle banner takes no room";

    model.setTrayItems({});
    EXPECT_EQ(handed, QList<QList<TrayItem>>{QList<TrayItem>{}});
    given.actions.onClear();
    model.setTrayStore(nullptr);
    EXPECT_EQ(withoutStore.content(), nullptr);
}

TEST_F(DeskTrayTabTest, TheChipsFollowWhatAPlainDragDoesWhileTheDeskIsOpen) {
    const TrayViewEnvironment trayEnvironment;
    environment.trayContent = [&](const TrayContentInputs& inputs, QWidget* parent) {
        return TrayWidget::make(inputs, trayEnvironment, parent);
    };
    const auto store = makeStore();
    model.setTrayStore(store.get());
    model.setTrayItems(shown);
    DeskTrayTab tab(model, environment);
    auto* list = qobject_cast<TrayWidget*>(tab.content());
    ASSERT_NE(list, nullptr);
    TrayDragHandle* handle = list->chip(shown.first().id)->dragHandle();
    EXPECT_TRUE(handle->copyByDefault);
    settings.setTrayCopyByDefault(false);
    EXPECT_EQ(tab.content(), list) << "the list stays";
    EXPECT_FALSE(handle->copyByDefault);
    EXPECT_TRUE(list->chip(shown.first().id)->helpText().endsWith(u"drag out to move, Alt-drag to copy"_qs));
    settings.setTrayCopyByDefault(true);
    EXPECT_TRUE(handle->copyByDefault);
}

} // namespace
} // namespace vesk
