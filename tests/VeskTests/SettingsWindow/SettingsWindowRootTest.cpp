#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/SettingsWindow/ScrollEdgeVeil.h"
#include "Vesk/SettingsWindow/SettingsHeader.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/SettingsSidebar.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListView>
#include <QToolButton>

namespace vesk {
namespace {

class SettingsWindowRootTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingsRootView> make(SettingsPane selection = SettingsPane::general,
                                           SettingsPaneFactory factory = SettingsPaneFactory::standard()) {
        auto root = std::make_unique<SettingsRootView>(settings, environment, selection, std::move(factory));
        root->resize(820, 560);
        root->setAttribute(Qt::WA_DontShowOnScreen);
        root->show();
        return root;
    }
    // The sidebar's rows as text: headings in brackets.
    static QStringList rows(const SettingsSidebar& sidebar) {
        QStringList list;
        const SettingsSidebarModel& model = *sidebar.model();
        for (int i = 0; i < model.rowCount(); ++i) {
            const QModelIndex index = model.index(i);
            const QString text = index.data().toString();
            list << (index.data(SettingsSidebarModel::headingRole).toBool() ? "[" + text + "]" : text);
        }
        return list;
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    SettingsWindowEnvironment environment;
};

TEST_F(SettingsWindowRootTest, SearchFiltersRowsAndKeepsTheSelection) {
    auto root = make(SettingsPane::sound);
    SettingsSidebar& sidebar = *root->sidebar();
    const QStringList all{"General",     "[Notifications]", "Battery",   "Connectivity",
                          "Focus",       "Display",         "Sound",     "[Live Activities]",
                          "Now Playing", "Calendar",        "File Tray", "Idle & Lock",
                          "[Desk]",      "Widgets",         "Shortcuts", "Quick Apps",
                          "Clipboard",   "[VeskNotch]",     "About"};
    EXPECT_EQ(rows(sidebar), all);
    EXPECT_EQ(sidebar.searchField()->placeholderText(), QStringLiteral("Search settings"));

    sidebar.searchField()->setText(QStringLiteral("  bat "));
    EXPECT_EQ(rows(sidebar), (QStringList{"[Notifications]", "Battery", "Connectivity"}))
        << "by title or blurb (\"their batteries\"), ignoring case";
    EXPECT_EQ(root->selection(), SettingsPane::sound);
    EXPECT_TRUE(sidebar.list()->selectionModel()->selectedIndexes().isEmpty());

    sidebar.searchField()->setText(QStringLiteral("DRAWER"));
    EXPECT_EQ(rows(sidebar), (QStringList{"[Desk]", "Widgets", "Shortcuts"}));

    sidebar.searchField()->clear();
    EXPECT_EQ(rows(sidebar), all);
    EXPECT_EQ(root->selection(), SettingsPane::sound);
    const QModelIndexList selected = sidebar.list()->selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), QStringLiteral("Sound"));
    // Headings cannot be chosen.
    EXPECT_FALSE(sidebar.model()->flags(sidebar.model()->index(1)) & Qt::ItemIsSelectable);
}

TEST_F(SettingsWindowRootTest, ChoosingARowShowsThePaneUnderItsHeader) {
    auto root = make();
    SettingsSidebar& sidebar = *root->sidebar();
    sidebar.list()->setCurrentIndex(sidebar.model()->index(sidebar.model()->rowOf(SettingsPane::desk)));
    EXPECT_EQ(root->selection(), SettingsPane::desk);
    EXPECT_EQ(root->header()->title()->text(), QStringLiteral("Widgets"));
    EXPECT_EQ(root->header()->blurb()->text(), QStringLiteral("Choose what lives in the drawer."));
}

TEST_F(SettingsWindowRootTest, PaneNotificationsSwitchTheOpenWindow) {
    auto root = make(SettingsPane::battery);
    NotificationCenter::defaultCenter().post(notchNotifications::veskOpenQuickApps);
    EXPECT_EQ(root->selection(), SettingsPane::quickApps);
    NotificationCenter::defaultCenter().post(notchNotifications::veskOpenShortcuts);
    EXPECT_EQ(root->selection(), SettingsPane::shortcuts);
    root.reset();
    NotificationCenter::defaultCenter().post(notchNotifications::veskOpenShortcuts); // nobody listens
}

TEST_F(SettingsWindowRootTest, APaneIsRebuiltOnlyWhenItsInputsChange) {
    bool granted = false;
    int builds = 0;
    SettingsPaneFactory factory;
    factory.set(SettingsPane::connectivity,
                {[&](const SettingsWindowEnvironment&) { return PaneInputs{granted}; },
                 [&](const PaneContext& context) -> QWidget* {
                     ++builds;
                     return new SwitchToggle(context.settings,
                                             SettingBinding::forKey(context.settings, "connectivityWarnLow"));
                 }});
    auto root = make(SettingsPane::connectivity, std::move(factory));
    ASSERT_EQ(builds, 1);
    QPointer<QWidget> pane = root->pane();

    // Writes that leave the inputs equal keep the pane, and its control follows.
    settings.setConnectivityWarnLow(false);
    settings.setConnectivityDuration(3);
    root->refreshPaneInputs();
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(root->pane(), pane);
    EXPECT_FALSE(static_cast<SwitchToggle*>(root->pane())->isChecked());

    // Granted elsewhere: the next look rebuilds it, once.
    granted = true;
    root->refreshPaneInputs();
    root->refreshPaneInputs();
    EXPECT_EQ(builds, 2);
    EXPECT_NE(root->pane(), pane);
    settings.setConnectivityDuration(4);
    EXPECT_EQ(builds, 2);

    // A pane without an entry shows its header only.
    root->setSelection(SettingsPane::about);
    EXPECT_EQ(root->pane(), nullptr);
    EXPECT_EQ(root->header()->title()->text(), QStringLiteral("About"));
}

TEST_F(SettingsWindowRootTest, RenderedWindowHasItsSidebarDetailAndVeil) {
    auto root = make();
    const QImage image = test::widgetImage(*root);
    EXPECT_EQ(root->sidebar()->width(), 230);
    EXPECT_TRUE(test::near(test::pixel(image, 100, 540), Vesk::Ink::x900)) << "the sidebar";
    EXPECT_TRUE(test::near(test::pixel(image, 600, 540), Vesk::Ink::x950)) << "the detail";
    EXPECT_TRUE(root->veil()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(root->veil()->geometry(), QRect(0, 0, 820 - 230, 48));
    EXPECT_GE(root->header()->mapTo(root.get(), QPoint()).y(), 28 + 24) << "below the veil's margin";
}

TEST_F(SettingsWindowRootTest, RenderedSearchFieldHoldsItsClearButton) {
    auto root = make();
    SettingsSidebar& sidebar = *root->sidebar();
    sidebar.searchField()->setText(QStringLiteral("bat"));
    auto* clear = sidebar.searchField()->findChild<QToolButton*>();
    ASSERT_NE(clear, nullptr);
    ASSERT_TRUE(clear->isVisible());
    const QImage image = test::widgetImage(sidebar);
    const QRect button(clear->mapTo(&sidebar, QPoint()), clear->size());
    // Just past the button, still the field's fill rather than the sidebar's.
    const QColor beyond = test::pixel(image, button.right() + 2, button.center().y());
    EXPECT_TRUE(test::near(beyond, Vesk::Ink::x800)) << beyond.name().toStdString();
}

TEST_F(SettingsWindowRootTest, RenderedHeaderTileHasThePaneGradient) {
    auto root = make(SettingsPane::battery);
    SettingsHeader& header = *root->header();
    const QImage image = test::widgetImage(header);
    const QRectF tile = header.tileRect();
    // Near the left edge, clear of the symbol: the top and bottom colours, blended along
    // the height.
    const auto expected = [&](double y) {
        const double t = (y + 0.5 - tile.top()) / tile.height();
        const QColor top = look(SettingsPane::battery).tileTop,
                     bottom = look(SettingsPane::battery).tileBottom;
        return QColor::fromRgbF(float(top.redF() + (bottom.redF() - top.redF()) * t),
                                float(top.greenF() + (bottom.greenF() - top.greenF()) * t),
                                float(top.blueF() + (bottom.blueF() - top.blueF()) * t));
    };
    for (const double y : {tile.top() + 16, tile.bottom() - 16})
        EXPECT_TRUE(test::near(test::pixel(image, tile.left() + 5, y), expected(y), 4))
            << y << " " << test::pixel(image, tile.left() + 5, y).name().toStdString();
    EXPECT_EQ(tile.size(), QSizeF(54, 54));
}

} // namespace
} // namespace vesk
