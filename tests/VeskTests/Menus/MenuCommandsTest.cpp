#include "Vesk/Menus/MenuCommands.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Permissions/DesktopPermissionLayers.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Updates/UpdateService.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/SyncCoordinator.h"

#include "../Bridge/BridgeHarness.h"
#include "support/Permissions/FakeCameraAccess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace vesk {
namespace {

NotchGeometry display(quint32 id, QRectF frame, bool hardware) {
    NotchGeometry geometry;
    geometry.displayID = id;
    geometry.screenFrame = frame;
    geometry.hasHardwareNotch = hardware;
    geometry.notchSize = QSizeF(185, 32);
    geometry.notchOrigin = QPointF(frame.center().x() - 92.5, frame.top());
    return geometry;
}

// The commands over a bridge whose services sit on fake layers, and two notches.
class MenuCommandsTest : public ::testing::Test {
protected:
    test::BridgeHarness harness;
    ActivationHolds holds;
    DesktopPermissionLayers layers{harness.bridge->eventTap(), harness.bridge->bluetooth(),
                                   harness.bridge->calendar(), std::make_unique<test::FakeCameraAccess>()};
    PermissionPrompt prompt{holds};
    Permissions permissions{layers, prompt};
    UpdateService updates{BuildProfile(false)};
    NotchViewModel first{display(7, QRectF(0, 0, 1512, 982), false), harness.settings};
    NotchViewModel second{display(9, QRectF(1512, 0, 1920, 1080), true), harness.settings};
    NotchViewModel* active = &first;
    MenuCommands commands{{harness.settings, *harness.bridge, updates, permissions, holds,
                           [this] { return active; },
                           [this] {
                               return QList<NotchViewModel*>{&first, &second};
                           },
                           [] { return nullptr; }}};
};

TEST_F(MenuCommandsTest, TheContextMenuFollowsTheDeskAndKeepAwake) {
    harness.start();
    ContextMenuState state = commands.contextState();
    EXPECT_FALSE(state.deskOpen);
    EXPECT_FALSE(state.keepingAwake);
    EXPECT_FALSE(state.updatesAvailable);
    EXPECT_TRUE(state.includeStatusEntries) << "no tray here";

    commands.actions().toggleDesk();
    commands.actions().toggleKeepAwake();
    harness.run();
    state = commands.contextState();
    EXPECT_TRUE(state.deskOpen);
    EXPECT_TRUE(state.keepingAwake);

    active = nullptr;
    commands.actions().toggleDesk(); // nothing to open
    EXPECT_FALSE(commands.contextState().deskOpen);
    EXPECT_EQ(first.state().kind(), NotchState::Kind::open);
}

// The report's row says "active" only while the keys are taken, "available" while they could be.
TEST_F(MenuCommandsTest, ReplacingTheHudsRestartsTheTapToIntercept) {
    const auto reportSays = [this](const QString& hud) {
        return commands.buildDiagnostics().formatted().contains(QStringLiteral("  HUD suppression  ") + hud +
                                                                '\n');
    };
    harness.start();
    harness.bridge->startEventTap();
    ASSERT_EQ(harness.tap->mode, KeyTap::Mode::listen);
    EXPECT_TRUE(reportSays(QStringLiteral("available")));
    EXPECT_TRUE(commands.toggleSuppression());
    EXPECT_TRUE(harness.settings.suppressSystemHUD());
    EXPECT_EQ(harness.tap->mode, KeyTap::Mode::intercept);
    EXPECT_TRUE(reportSays(QStringLiteral("active")));
    EXPECT_FALSE(commands.toggleSuppression());
    EXPECT_EQ(harness.tap->mode, KeyTap::Mode::listen);
}

TEST_F(MenuCommandsTest, TheDiagnosticsDescribeTheseObjects) {
    harness.start();
    harness.run(3); // Bluetooth starts a moment after the rest
    harness.tap->interceptable = false;
    const DiagnosticsReport report = commands.buildDiagnostics();
    const auto section = [&report](const QString& title) {
        for (const DiagnosticsReport::Section& section : report.sections)
            if (section.title == title) return section.rows;
        return QList<DiagnosticsReport::Row>();
    };
    using Rows = QList<DiagnosticsReport::Row>;
    EXPECT_EQ(section(QStringLiteral("Displays")), (Rows{{"Display 7", "1512×982, notch none (synthetic)"},
                                                         {"Display 9", "1920×1080, notch 185×32"}}));
    EXPECT_EQ(section(QStringLiteral("Permissions")), (Rows{{"Key Monitoring", "granted"},
                                                            {"Key Interception", "notDetermined"},
                                                            {"Bluetooth", "granted"},
                                                            {"Calendar", "granted"},
                                                            {"Camera", "notDetermined"}}));
    EXPECT_EQ(section(QStringLiteral("Services")), (Rows{{"Media adapter", "universal"},
                                                         {"HUD suppression", "unavailable"},
                                                         {"Brightness", "available"},
                                                         {"Bluetooth", "started"},
                                                         {"Calendar", "granted"},
                                                         {"Push", "—"},
                                                         {"Keep awake", "off"},
                                                         {"Updates", "package manager"}}));
    EXPECT_EQ(section(QStringLiteral("Content")), (Rows{{"Widgets enabled", "4"},
                                                        {"Items on the shelf", "0"},
                                                        {"Clipboard entries", "0"},
                                                        {"To-dos", "0"}}));

    // Once the synced store is up: its to-dos, its status and the push answer.
    QTemporaryDir folder;
    SyncCoordinator sync(QStringLiteral("iCloud.app.tessarn.notch"), makeCloudContainer(QString()),
                         folder.filePath("Vesk.store"));
    sync.start(true);
    sync.notePushRegistration(SyncCoordinator::PushRegistration::failed(
        QStringLiteral("remote notifications are not available on Linux")));
    commands.setSyncCoordinator(&sync);
    DeskRepository repository(std::make_shared<ModelContext>(sync.container()), QStringLiteral("Mac"));
    repository.addTodo(QStringLiteral("one"));
    repository.addTodo(QStringLiteral("two"));
    first.setRepository(&repository);
    second.setRepository(&repository);
    const DiagnosticsReport later = commands.buildDiagnostics();
    const auto rows = [&later](const QString& title) {
        for (const DiagnosticsReport::Section& section : later.sections)
            if (section.title == title) return section.rows;
        return QList<DiagnosticsReport::Row>();
    };
    EXPECT_EQ(rows(QStringLiteral("Content")).last(),
              DiagnosticsReport::Row(QStringLiteral("To-dos"), QStringLiteral("2")));
    EXPECT_EQ(rows(QStringLiteral("Sync")),
              (Rows{{"Status", "There is no private cloud database on this system."}}));
    EXPECT_TRUE(rows(QStringLiteral("Services"))
                    .contains(DiagnosticsReport::Row(
                        QStringLiteral("Push"),
                        QStringLiteral("failed(\"remote notifications are not available on Linux\")"))));

    // Without a Bluetooth daemon nothing was denied: there is nothing to use.
    harness.devices->answerProbes(false);
    const DiagnosticsReport absent = commands.buildDiagnostics();
    for (const DiagnosticsReport::Section& section : absent.sections) {
        if (section.title != QLatin1String("Permissions") && section.title != QLatin1String("Services"))
            continue;
        EXPECT_TRUE(section.rows.contains(
            DiagnosticsReport::Row(QStringLiteral("Bluetooth"), QStringLiteral("unavailable"))))
            << qPrintable(section.title);
    }
}

// The report as written on this machine: its system by the name os-release gives it,
// and no word of another platform anywhere.
TEST_F(MenuCommandsTest, TheReportNamesThisSystemAndNothingOfAnotherPlatform) {
    harness.start();
    QString prettyName;
    QFile release(QStringLiteral("/etc/os-release"));
    if (!release.open(QIODevice::ReadOnly)) release.setFileName(QStringLiteral("/usr/lib/os-release"));
    if (release.isOpen() || release.open(QIODevice::ReadOnly))
        for (const QByteArray& line : release.readAll().split('\n'))
            if (line.startsWith("PRETTY_NAME="))
                prettyName = QString::fromUtf8(line.mid(12)).remove(QLatin1Char('"'));
    ASSERT_FALSE(prettyName.isEmpty()) << "this machine's os-release names no system";

    const QString text = commands.buildDiagnostics().formatted();
    EXPECT_TRUE(text.contains(QRegularExpression(
        QStringLiteral("\n  OS +") + QRegularExpression::escape(prettyName) + QStringLiteral("\n"))))
        << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("\n  Build    Direct\n"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("\n  Updates          package manager\n"))) << qPrintable(text);
    const QRegularExpression otherPlatform(
        QStringLiteral("macOS|App Store|Sparkle|MacBook|Developer ID|iCloud"),
        QRegularExpression::CaseInsensitiveOption);
    EXPECT_FALSE(text.contains(otherPlatform)) << qPrintable(text);
}

// A helper that failed its self-test was never started: what plays elsewhere cannot show.
TEST_F(MenuCommandsTest, AMediaHelperThatFailedItsSelfTestIsNotUniversal) {
    harness.selfTestPasses = false;
    harness.start();
    const DiagnosticsReport report = commands.buildDiagnostics();
    const auto services =
        std::find_if(report.sections.begin(), report.sections.end(), [](const DiagnosticsReport::Section& s) {
            return s.title == QStringLiteral("Services");
        });
    ASSERT_NE(services, report.sections.end());
    EXPECT_EQ(services->rows.value(0), (DiagnosticsReport::Row{"Media adapter", "app-specific"}));
}

} // namespace
} // namespace vesk
