// Programs we start get the environment the user started us with: the variables main()
// sets for this process alone never reach them, whichever way they are started.
#include "VeskPlatform/Workspace/ChildEnvironment.h"
#include "VeskPlatform/Calendar/CalendarApp.h"
#include "VeskPlatform/Workspace/GioDesktopApplications.h"
#include "VeskPlatform/Workspace/SystemSettings.h"
#include "VeskPlatform/Workspace/UrlOpener.h"

#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

namespace vesk {
namespace {

// GLib reads the XDG folders once per process and GIO indexes the entries at its first
// question: the entries and the defaults are written before either, in a process of
// the test's own.
class ChildEnvironmentTest : public ::testing::Test {
protected:
    static inline QTemporaryDir* root = nullptr;

    static void SetUpTestSuite() {
        root = new QTemporaryDir;
        // Writes the two variables into a file named after its first argument's last part.
        test::writeFile(script(),
                        "#!/bin/sh\necho \"${QT_QPA_PLATFORM-unset} ${DBUS_FATAL_WARNINGS-unset}\" > '" +
                            QFile::encodeName(root->path()) + "'/\"$(basename \"$1\")\"\n");
        QFile::setPermissions(script(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/");
        const QByteArray exec = QFile::encodeName(script());
        test::writeFile(applications + QStringLiteral("vesktest-app.desktop"),
                        "[Desktop Entry]\nType=Application\nName=App\nExec=" + exec + " quick-app\n");
        test::writeFile(applications + QStringLiteral("vesktest-calendar.desktop"),
                        "[Desktop Entry]\nType=Application\nName=Calendar\nMimeType=text/calendar;\nExec=" +
                            exec + " default-calendar\n");
        test::writeFile(applications + QStringLiteral("vesktest-links.desktop"),
                        "[Desktop Entry]\nType=Application\nName=Links\nMimeType=x-scheme-handler/vesktest;\n"
                        "Exec=" +
                            exec + " %u\n");
        test::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
                        "[Default Applications]\ntext/calendar=vesktest-calendar.desktop\n"
                        "x-scheme-handler/vesktest=vesktest-links.desktop\n");

        // As for a user who set neither: main() sets both for the program alone.
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("DBUS_FATAL_WARNINGS");
        childEnvironment::setForThisProcess("QT_QPA_PLATFORM", "xcb");
        childEnvironment::setForThisProcess("DBUS_FATAL_WARNINGS", "0");
    }
    static void TearDownTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        delete root;
    }

    static QString script() { return root->path() + QStringLiteral("/report.sh"); }

    // What the program started as `name` saw; empty when it never ran.
    static QByteArray seenBy(const QString& name) {
        QFile report(root->path() + QLatin1Char('/') + name);
        test::processEventsUntil([&] { return report.size() > 0; }, 30000);
        return report.open(QIODevice::ReadOnly) ? report.readAll().trimmed() : QByteArray();
    }
};

TEST_F(ChildEnvironmentTest, OurOwnVariablesStayWithUsAndTheUsersStayWithThem) {
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb");
    EXPECT_EQ(qgetenv("DBUS_FATAL_WARNINGS"), "0");
    EXPECT_TRUE(childEnvironment::isPlatformForced());
    const QProcessEnvironment children = childEnvironment::forChildren();
    EXPECT_FALSE(children.contains(QStringLiteral("QT_QPA_PLATFORM")));
    EXPECT_FALSE(children.contains(QStringLiteral("DBUS_FATAL_WARNINGS")));
    EXPECT_EQ(children.value(QStringLiteral("XDG_DATA_HOME")), qEnvironmentVariable("XDG_DATA_HOME"));

    // A value the user set is theirs: left as it is, for us and for them.
    qputenv("VESK_TEST_USERS_OWN", "theirs");
    childEnvironment::setForThisProcess("VESK_TEST_USERS_OWN", "ours");
    EXPECT_EQ(qgetenv("VESK_TEST_USERS_OWN"), "theirs");
    EXPECT_EQ(childEnvironment::forChildren().value(QStringLiteral("VESK_TEST_USERS_OWN")),
              QStringLiteral("theirs"));
}

TEST_F(ChildEnvironmentTest, QuickAppsCalendarsSettingsAndLinksStartInTheUsersEnvironment) {
    if (!test::runsInOwnProcess()) return;
    GioDesktopApplications applications;
    QString error;
    ASSERT_TRUE(applications.launch(
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/vesktest-app.desktop"), &error))
        << qPrintable(error);
    EXPECT_EQ(seenBy(QStringLiteral("quick-app")), "unset unset");

    // The calendar: a named application started directly, or the desktop's default one.
    CalendarApp::Lookups calendar = CalendarApp::system();
    ASSERT_TRUE(calendar.startDetached(script(), {QStringLiteral("calendar-app")}));
    EXPECT_EQ(seenBy(QStringLiteral("calendar-app")), "unset unset");
    calendar.isInstalled = [](const QString&) { return false; };
    ASSERT_TRUE(CalendarApp::openNow({QStringLiteral("c:u"), QStringLiteral("c"), QStringLiteral("u"), {}},
                                     calendar));
    EXPECT_EQ(seenBy(QStringLiteral("default-calendar")), "unset unset");

    // The desktop's settings at a pane's page.
    const SystemSettings settings(QStringLiteral("GNOME"), [](const QString&) { return script(); });
    ASSERT_TRUE(settings.open(u"Privacy_Bluetooth"));
    EXPECT_EQ(seenBy(QStringLiteral("bluetooth")), "unset unset");

    // A link (a meeting, a folder to show) in the application the desktop has for it.
    ASSERT_TRUE(urlOpener::open(QUrl(QStringLiteral("vesktest:opened"))));
    EXPECT_EQ(seenBy(QStringLiteral("vesktest:opened")), "unset unset");
}

} // namespace
} // namespace vesk
