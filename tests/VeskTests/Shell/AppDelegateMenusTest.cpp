// The shell's real menus, built by launching over a bridge of fake services: what their
// entries open and where a hidden notch is brought back.
#include "Vesk/Shell/AppDelegate.h"

#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Menus/MenuCommands.h"
#include "Vesk/Menus/StatusItem.h"
#include "Vesk/Onboarding/OnboardingModel.h"
#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "support/Shell/FakeShellParts.h"

#include "../Bridge/BridgeHarness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>

namespace vesk {
namespace {

QAction* entry(const QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (action->text() == title) return action;
    return nullptr;
}

// Chooses the entry; its action runs from the event loop once the menu is done.
void choose(QAction* action) {
    ASSERT_NE(action, nullptr);
    action->trigger();
    QCoreApplication::processEvents();
}

class AppDelegateMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<test::FakeShellFactory>(log, harness.scheduler);
        made->bridge = harness.bridge.get();
        factory = made.get();
        delegate = std::make_unique<AppDelegate>(std::move(made));
        delegate->setStandardOutput([](const QString&) {});
        delegate->applicationDidFinishLaunching();
        harness.start();
        ASSERT_NE(delegate->menus(), nullptr) << "the shell built no menus";
        // No tray on this display: the notch's menu carries the status menu's entries.
        ASSERT_EQ(delegate->menus()->statusItem(), nullptr);
        statusItem =
            std::make_unique<StatusItem>(delegate->menus()->statusState(), delegate->menus()->actions());
    }
    void TearDown() override {
        // The windows go before the services their panes read.
        statusItem.reset();
        delegate.reset();
    }

    std::unique_ptr<QMenu> contextMenu() const {
        EXPECT_TRUE(factory->surface->contextMenuProvider);
        return factory->surface->contextMenuProvider();
    }
    NotchViewModel& notch() const { return factory->surface->model(0); }

    test::BridgeHarness harness;
    test::CallLog log;
    test::FakeShellFactory* factory = nullptr;
    std::unique_ptr<AppDelegate> delegate;
    std::unique_ptr<StatusItem> statusItem;
};

TEST_F(AppDelegateMenusTest, SettingsAndWelcomeOpenTheirWindowsFromEitherMenu) {
    QMenu& status = *statusItem->menu();
    const std::unique_ptr<QMenu> context = contextMenu();
    ASSERT_TRUE(context);
    for (const QMenu* menu : {&status, context.get()})
        for (const char* title : {"Settings…", "Welcome to VeskNotch…"}) {
            const QAction* action = entry(*menu, QString::fromUtf8(title));
            ASSERT_NE(action, nullptr) << title;
            EXPECT_TRUE(action->isEnabled()) << title;
        }

    ASSERT_EQ(delegate->settingsWindow(), nullptr);
    choose(entry(status, QStringLiteral("Settings…")));
    SettingsWindow* settings = delegate->settingsWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    settings->hide();
    choose(entry(*context, QStringLiteral("Settings…")));
    EXPECT_EQ(delegate->settingsWindow(), settings) << "one window, brought back";
    EXPECT_TRUE(settings->isVisible());

    ASSERT_EQ(delegate->onboardingWindow(), nullptr);
    choose(entry(*context, QStringLiteral("Welcome to VeskNotch…")));
    OnboardingWindow* welcome = delegate->onboardingWindow();
    ASSERT_NE(welcome, nullptr);
    EXPECT_TRUE(welcome->isVisible());
    EXPECT_EQ(welcome->model().step(), OnboardingModel::Step::welcome);
    welcome->hide();
    choose(entry(status, QStringLiteral("Welcome to VeskNotch…")));
    EXPECT_EQ(delegate->onboardingWindow(), welcome);
    EXPECT_TRUE(welcome->isVisible());
}

// A hidden notch takes no clicks; the menus' Desk entries show it and open the Desk.
TEST_F(AppDelegateMenusTest, TheDeskEntriesBringAHiddenNotchBackOpen) {
    notch().send(NotchEvent::swipeUp());
    ASSERT_EQ(notch().state(), NotchState::hidden());
    EXPECT_TRUE(notch().interactiveRect(notch().currentCanvasSize()).isEmpty());

    const std::unique_ptr<QMenu> context = contextMenu();
    QAction* open = entry(*context, QStringLiteral("Open Desk"));
    ASSERT_NE(open, nullptr);
    choose(open);
    EXPECT_EQ(notch().state(), NotchState::open(DeskTab::desk));

    notch().send(NotchEvent::toggleHidden());
    ASSERT_EQ(notch().state(), NotchState::hidden());
    choose(entry(*statusItem->menu(), QStringLiteral("Toggle Desk")));
    EXPECT_EQ(notch().state(), NotchState::open(DeskTab::desk));
}

// With no Bluetooth service the Connectivity pane's "Allow" cannot be granted: it says
// why, as the welcome window does, instead of doing nothing.
TEST_F(AppDelegateMenusTest, AllowingBluetoothWithoutItsServiceSaysWhy) {
    harness.devices->setReachability(BluetoothDevices::Reachability::unknown); // not asked yet
    choose(entry(*statusItem->menu(), QStringLiteral("Settings…")));
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    SettingsRootView* root = delegate->settingsWindow()->root();
    root->setSelection(SettingsPane::connectivity);
    QAbstractButton* allow = root->pane()->findChild<QAbstractButton*>(QStringLiteral("allow"));
    ASSERT_NE(allow, nullptr) << "the pane asks for nothing";
    allow->click();
    ASSERT_EQ(harness.devices->pendingProbes(), 1);
    harness.devices->answerProbes(false);
    QMessageBox* box = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* shown = qobject_cast<QMessageBox*>(window); shown && shown->isVisible()) box = shown;
    ASSERT_NE(box, nullptr) << "nothing was said";
    EXPECT_EQ(box->text(), QStringLiteral("That didn't take"));
    EXPECT_TRUE(box->informativeText().contains(QStringLiteral("whenever the Bluetooth service is running")))
        << qPrintable(box->informativeText());
    EXPECT_FALSE(box->isModal());
    box->close();

    // Known to be absent, it is nothing to allow; once the service answers, the notice goes.
    EXPECT_EQ(root->pane()->findChild<QAbstractButton*>(QStringLiteral("allow")), nullptr);
    EXPECT_NE(root->pane()->findChild<UnavailableCard*>(), nullptr);
    harness.devices->setReachability(BluetoothDevices::Reachability::reachable);
    EXPECT_EQ(root->pane()->findChild<UnavailableCard*>(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMessageBox*>(window) && window->isVisible());
}

} // namespace
} // namespace vesk
