#include "Vesk/SettingsWindow/Panes/QuickAppsPane.h"
#include "Vesk/Controls/TextView.h"
#include "VeskServices/QuickApps/QuickAppsService.h"

#include "support/EventLoop.h"
#include "support/Workspace/FakeDesktopApplications.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <atomic>

namespace vesk {
namespace {

// Desktop entries that are installed, as the desktop lists them. A held listing waits
// (on the scan's thread) until it is released.
class InstalledApplications final : public DesktopApplications {
public:
    QList<DesktopEntry> entries;
    std::atomic<bool> hold = false;
    mutable QSemaphore entered, released;
    mutable std::atomic<int> iconLookups = 0;
    QList<DesktopEntry> installed() const override {
        if (hold) {
            entered.release();
            released.acquire();
        }
        return entries;
    }
    std::optional<DesktopEntry> entry(const QString& id) const override {
        for (const DesktopEntry& each : entries)
            if (each.id == id) return each;
        return std::nullopt;
    }
    std::optional<DesktopEntry> load(const QString& path) const override {
        for (const DesktopEntry& each : entries)
            if (each.path == path) return each;
        return std::nullopt;
    }
    bool launch(const QString&, QString*) const override { return true; }
    QIcon icon(const QString&) const override {
        ++iconLookups;
        return {};
    }
    QImage iconImage(const QString&, int) const override { return {}; }
};

class QuickAppsPaneTest : public ::testing::Test {
protected:
    QuickAppsPaneTest() {
        for (int i = 0; i < 75; ++i) {
            const QString name = QStringLiteral("App %1").arg(i, 2, 10, QLatin1Char('0'));
            applications->entries << test::desktopEntry(
                QStringLiteral("app%1.desktop").arg(i), name,
                QStringLiteral("/usr/share/applications/app%1.desktop").arg(i));
        }
        applications->entries << test::desktopEntry(u"org.example.Editor.desktop"_qs, u"Text Editor"_qs,
                                                    u"/usr/share/applications/org.example.Editor.desktop"_qs);
    }

    QuickAppsPane& open() {
        pane = std::make_unique<QuickAppsPane>(
            service, [this] { ++changes; }, [](QWidget*, std::function<void(QList<QUrl>)>) {});
        EXPECT_EQ(pane->message(), u"Looking for apps…"_qs);
        EXPECT_TRUE(test::processEventsUntil([&] { return !pane->isLoading(); }, 20000))
            << "the scan never ended";
        return *pane;
    }

    std::shared_ptr<InstalledApplications> applications = std::make_shared<InstalledApplications>();
    QuickAppsService service{
        QStringLiteral("QuickAppsPaneTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces),
        QuickAppsService::Environment{.applications = applications,
                                      .running = std::make_shared<test::FakeRunningApplications>()}};
    std::unique_ptr<QuickAppsPane> pane;
    int changes = 0;
};

TEST_F(QuickAppsPaneTest, TheInstalledListShowsSixtyAndNarrowsBySearch) {
    QuickAppsPane& p = open();
    EXPECT_EQ(p.listed().size(), 60);
    EXPECT_EQ(p.listed().first().name, u"App 00"_qs);
    p.searchField()->setText(u"text EDIT"_qs);
    ASSERT_EQ(p.listed().size(), 1);
    EXPECT_EQ(p.listed().first().name, u"Text Editor"_qs);
    p.searchField()->setText(u"xyz"_qs);
    EXPECT_EQ(p.message(), u"Nothing matches “xyz”."_qs);
}

TEST_F(QuickAppsPaneTest, AddingMovesAnAppToTheEndOfTheDeskAndTheEndsAreInert) {
    QuickAppsPane& p = open();
    p.addApp(p.listed()[0]);
    p.addApp(p.listed()[0]);
    EXPECT_EQ(changes, 2);
    ASSERT_EQ(p.chosen().size(), 2);
    EXPECT_EQ(p.chosen().last().name, u"App 01"_qs);
    EXPECT_EQ(p.listed().first().name, u"App 02"_qs);
    QList<QAbstractButton*> ups, downs;
    for (QAbstractButton* button : p.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&p)) continue; // rows replaced, awaiting deletion
        if (button->objectName() == u"up"_qs) ups << button;
        if (button->objectName() == u"down"_qs) downs << button;
    }
    ASSERT_EQ(ups.size(), 2);
    EXPECT_EQ(std::count_if(ups.begin(), ups.end(), [](QAbstractButton* b) { return !b->isEnabled(); }), 1);
    EXPECT_EQ(std::count_if(downs.begin(), downs.end(), [](QAbstractButton* b) { return !b->isEnabled(); }),
              1);
}

TEST_F(QuickAppsPaneTest, AChosenAppWhoseEntryIsGoneSaysSoAndStaysRemovable) {
    service.add(
        QuickApp{.id = QUuid::createUuid(), .bundleID = u"gone.desktop"_qs, .name = u"Gone"_qs, .path = {}});
    QuickAppsPane& p = open();
    bool amber = false;
    for (TextView* text : p.findChildren<TextView*>())
        amber = amber || text->text() == u"Not installed on this computer"_qs;
    EXPECT_TRUE(amber);
    p.removeApp(p.chosen().first());
    EXPECT_TRUE(service.apps().isEmpty());
    EXPECT_EQ(changes, 1);
}

TEST_F(QuickAppsPaneTest, AScanEndingAfterThePaneWentChangesNothing) {
    applications->hold = true;
    pane = std::make_unique<QuickAppsPane>(service, [this] { ++changes; });
    ASSERT_TRUE(applications->entered.tryAcquire(1, test::patienceMs)) << "the scan never started";
    pane.reset();
    const int lookups = applications->iconLookups;
    // The scan answers now, after the pane went: building its rows would look up icons.
    applications->released.release();
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(test::patienceMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(applications->iconLookups, lookups) << "the late answer reached the gone pane";
    EXPECT_EQ(changes, 0);
}

TEST_F(QuickAppsPaneTest, OnlyALeftClickInsideARowAddsItsApp) {
    QuickAppsPane& p = open();
    p.setAttribute(Qt::WA_DontShowOnScreen);
    p.resize(600, 4000);
    p.show();
    auto* row = p.findChild<QAbstractButton*>(u"app.app0.desktop"_qs);
    ASSERT_NE(row, nullptr);
    const QPoint inside = row->rect().center();
    const QPoint outside(row->width() / 2, row->height() + 20);
    QTest::mouseClick(row, Qt::RightButton, {}, inside);
    QTest::mousePress(row, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(row, Qt::LeftButton, {}, outside);
    QTest::mouseRelease(row, Qt::LeftButton, {}, inside); // no press before it
    EXPECT_TRUE(p.chosen().isEmpty());
    EXPECT_EQ(changes, 0);

    // Pressed on the name, released on the row: a click of the row.
    auto* name = row->findChild<TextView*>();
    ASSERT_NE(name, nullptr);
    QTest::mousePress(name, Qt::LeftButton, {}, name->rect().center());
    QTest::mouseRelease(row, Qt::LeftButton, {}, inside);
    ASSERT_EQ(p.chosen().size(), 1);
    EXPECT_EQ(p.chosen().first().name, u"App 00"_qs);
    EXPECT_EQ(changes, 1);

    auto* next = p.findChild<QAbstractButton*>(u"app.app1.desktop"_qs);
    ASSERT_NE(next, nullptr);
    QTest::keyClick(next, Qt::Key_Space);
    ASSERT_EQ(p.chosen().size(), 2);
    EXPECT_EQ(p.chosen().last().name, u"App 01"_qs);
}

TEST_F(QuickAppsPaneTest, ChooseOpensTheFileDialogAndPinsTheEntryAccepted) {
    QTemporaryDir folder;
    const QString path = folder.filePath(u"picked.desktop"_qs);
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    applications->entries << test::desktopEntry(u"picked.desktop"_qs, u"Picked"_qs, path);
    pane = std::make_unique<QuickAppsPane>(service, [this] { ++changes; }); // its own chooser
    for (QPushButton* button : pane->findChildren<QPushButton*>())
        if (button->text() == u"Choose…"_qs) button->click();
    auto* dialog = pane->findChild<QFileDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible()) << "the button opened no dialog";
    auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs);
    ASSERT_NE(name, nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_EQ(service.apps().size(), 1) << "the accepted entry was not pinned";
    EXPECT_EQ(service.apps().first().name, u"Picked"_qs);
    EXPECT_EQ(changes, 1);
}

// The settings window shows another pane while "Choose…" is open: the dialog goes with
// its pane, so no choice is ever confirmed to a pane that cannot pin it.
TEST_F(QuickAppsPaneTest, TheFileDialogClosesWithItsPane) {
    QWidget window;
    auto* shown = new QuickAppsPane(
        service, [] {}, {}, &window); // its own chooser
    shown->chooseManually();
    const QPointer<QFileDialog> dialog = window.findChild<QFileDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    delete shown;
    EXPECT_TRUE(dialog.isNull()) << "the dialog outlived its pane";
}

} // namespace
} // namespace vesk
