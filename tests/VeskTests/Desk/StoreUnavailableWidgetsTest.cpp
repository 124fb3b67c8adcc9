// The synced widgets while their store cannot be opened: each says why, none takes an
// edit it would lose, and all come back when the store opens for an edit.
#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/NotesWidget.h"
#include "Vesk/Desk/Widgets/ShortcutsWidget.h"
#include "Vesk/Desk/Widgets/TodoWidget.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchRootView.h"
#include "Vesk/SettingsWindow/Panes/SyncCard.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/TwoDisplayController.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

using namespace vesk;
using namespace vesk::test;

namespace {

class StoreUnavailableWidgetsTest : public TwoDisplayControllerTest {
protected:
    void SetUp() override {
        TwoDisplayControllerTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        repository = std::make_unique<DeskRepository>(nullptr, QStringLiteral("test"));
        repository->setUnavailable(QStringLiteral("Database is locked."));
        repository->setReopen([this] {
            ++reopenings;
            if (storeBack)
                repository->attach(std::make_shared<ModelContext>(
                    ModelContainer::open(folder.path() + QStringLiteral("/Vesk.store"))));
        });
    }

    DeskView* openDesk(NotchWindowController& controller) {
        const NotchDisplay display = controller.displays().first();
        settings.setEnabledWidgets({WidgetID::todos, WidgetID::notes, WidgetID::shortcuts});
        controller.relayoutWidgets();
        display.model->send(NotchEvent::click());
        auto* root = qobject_cast<NotchRootView*>(controller.panel(display.id)->hostingView()->rootView());
        return root ? qobject_cast<DeskView*>(root->content()) : nullptr;
    }
    template <typename Widget> static Widget* cell(DeskView* desk, WidgetID id) {
        return qobject_cast<Widget*>(desk && desk->row() ? desk->row()->widget(id) : nullptr);
    }

    QTemporaryDir folder;
    std::unique_ptr<DeskRepository> repository;
    bool storeBack = false;
    int reopenings = 0;
};

} // namespace

TEST_F(StoreUnavailableWidgetsTest, SyncedWidgetsSayWhyAndKeepWhatIsTypedUntilTheStoreOpens) {
    NotchWindowController controller(settings, environment);
    controller.setRepository(repository.get());
    DeskView* desk = openDesk(controller);
    auto* todos = cell<TodoWidget>(desk, WidgetID::todos);
    auto* notes = cell<NotesWidget>(desk, WidgetID::notes);
    auto* shortcuts = cell<ShortcutsWidget>(desk, WidgetID::shortcuts);
    ASSERT_TRUE(todos && notes && shortcuts);
    EXPECT_GE(reopenings, 1) << "opening the Desk did not ask for the store";

    EXPECT_EQ(todos->unavailableReason(), QStringLiteral("Database is locked."));
    EXPECT_NE(todos->emptyState(), nullptr);
    EXPECT_TRUE(notes->editor()->isReadOnly());
    EXPECT_TRUE(notes->editor()->isHidden());
    EXPECT_FALSE(notes->showsPlaceholder());
    ASSERT_NE(shortcuts->emptyState(), nullptr);
    EXPECT_EQ(shortcuts->emptyState()->actionButton(), nullptr)
        << "it offers to choose shortcuts it cannot store";

    todos->field()->setText(QStringLiteral("Buy milk"));
    Q_EMIT todos->field()->returnPressed();
    EXPECT_EQ(todos->field()->text(), QStringLiteral("Buy milk"));
    EXPECT_TRUE(repository->todos().isEmpty());

    storeBack = true;
    Q_EMIT todos->field()->returnPressed();
    EXPECT_TRUE(todos->field()->text().isEmpty());
    ASSERT_EQ(repository->todos().size(), 1);
    EXPECT_EQ(todos->items(), repository->todos());
    EXPECT_TRUE(todos->unavailableReason().isEmpty());
    EXPECT_FALSE(notes->editor()->isReadOnly());
    EXPECT_FALSE(notes->editor()->isHidden());
    ASSERT_NE(shortcuts->emptyState(), nullptr);
    EXPECT_NE(shortcuts->emptyState()->actionButton(), nullptr);
    controller.setRepository(nullptr);
}

// The Sync card says what became of the store, whatever the cloud's state, as a line
// the user can copy.
TEST_F(StoreUnavailableWidgetsTest, TheSyncCardCarriesTheStoreNotice) {
    const QString notice =
        QStringLiteral("The store could not be used (x). It was kept as /a/b, and 3 of its "
                       "rows were carried into a new store.");
    const SyncCardContent content =
        syncCardContent(SyncStatus::unavailable(SyncUnavailability::containerUnavailable), true,
                        SyncCoordinator::PushRegistration{}, std::nullopt, true, Date{0}, notice);
    ASSERT_FALSE(content.lines.isEmpty());
    EXPECT_EQ(content.lines.constLast(), (SyncCardContent::Line{notice, Vesk::Semantic::amber, true}));
    EXPECT_FALSE(syncCardContent(SyncStatus::unavailable(SyncUnavailability::containerUnavailable), true,
                                 SyncCoordinator::PushRegistration{}, std::nullopt, true, Date{0})
                     .lines.contains(SyncCardContent::Line{notice, Vesk::Semantic::amber, true}));
}
