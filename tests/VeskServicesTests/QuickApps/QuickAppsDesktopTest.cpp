// Quick apps over the desktop's real entries: GIO reading test folders of entries.
#include "VeskPlatform/Workspace/ChildEnvironment.h"
#include "VeskPlatform/Workspace/GioDesktopApplications.h"
#include "VeskServices/QuickApps/QuickAppsService.h"

#include "support/EventLoop.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <thread>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>

#include <glib.h>

using namespace vesk;
using namespace vesk::test;

namespace {

// GLib reads the XDG folders once per process, and GIO indexes the entries at its first
// question: the folders are made and named before either, in a process of the test's own.
class QuickAppsDesktopTest : public ::testing::Test {
protected:
    static inline QTemporaryDir* root = nullptr;
    static inline QString user, system;

    static void SetUpTestSuite() {
        root = new QTemporaryDir;
        system = root->path() + QStringLiteral("/system");
        user = qEnvironmentVariable("XDG_DATA_HOME");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system + QStringLiteral(":/usr/share")));

        const QString marker = root->path() + QStringLiteral("/launched");
        write(root->path() + QStringLiteral("/launch.sh"),
              "#!/bin/sh\necho \"${QT_QPA_PLATFORM-unset} ${DBUS_FATAL_WARNINGS-unset}\" > '" +
                  marker.toUtf8() + "'\n");
        QFile::setPermissions(root->path() + QStringLiteral("/launch.sh"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        entry(system, "vesktest-override", "Name=System Original\n");
        entry(user, "vesktest-override", "Name=User Override\n");
        entry(system, "vesktest-hidden", "Name=Hidden By User\n");
        entry(user, "vesktest-hidden", "Name=Hidden By User\nHidden=true\n");
        entry(system, "vesktest-nodisplay", "Name=No Display\nNoDisplay=true\n");
        entry(system, "vesktest-beta", "Name=beta\nIcon=vesktest-icon\n");
        entry(system, "vesktest-alpha", "Name=Alpha\nIcon=vesktest-no-such-icon\n");
        entry(system, "vesktest/sub", "Name=Gamma\nExec=" + root->path().toUtf8() + "/launch.sh\n");
        entry(root->path(), "elsewhere", "Name=Elsewhere\n");
        write(root->path() + QStringLiteral("/applications/link.desktop"),
              "[Desktop Entry]\nType=Link\nName=A link\nURL=https://example.org\n");

        QImage magenta(48, 48, QImage::Format_ARGB32);
        magenta.fill(Qt::magenta);
        QDir().mkpath(system + QStringLiteral("/icons/hicolor/48x48/apps"));
        magenta.save(system + QStringLiteral("/icons/hicolor/48x48/apps/vesktest-icon.png"));
    }

    static void TearDownTestSuite() {
        delete root;
        root = nullptr;
    }

    void SetUp() override {
        bool seen = false;
        for (const gchar* const* dir = g_get_system_data_dirs(); *dir; ++dir)
            seen = seen || QFile::decodeName(*dir) == system;
        ASSERT_TRUE(seen) << "GLib read XDG_DATA_DIRS before this test set it; run the test on its own";
    }

    static void write(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        file.write(text);
    }
    static void entry(const QString& dataFolder, const char* name, const QByteArray& keys) {
        write(dataFolder + QStringLiteral("/applications/") + QLatin1String(name) +
                  QStringLiteral(".desktop"),
              "[Desktop Entry]\nType=Application\nExec=true\n" + keys);
    }
    static QString applications(const QString& folder) { return folder + QStringLiteral("/applications/"); }
    static qsizetype threads() {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    }

    GioDesktopApplications desktop;
};

} // namespace

TEST_F(QuickAppsDesktopTest, ListsOneEntryPerIdAsTheUserOverridesItLeavingOutHiddenOnes) {
    if (!runsInOwnProcess()) return;
    // GIO's own threads start with its first index; an owner that ends while its reading
    // runs leaves nothing of that reading running.
    desktop.installed();
    const qsizetype before = threads();
    { GioDesktopApplications ending; }
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
    EXPECT_LE(threads(), before);

    QMap<QString, DesktopEntry> ours;
    for (const DesktopEntry& e : desktop.installed())
        if (e.id.startsWith(QLatin1String("vesktest"))) ours.insert(e.id, e);
    EXPECT_EQ(
        ours.keys(),
        (QStringList{QStringLiteral("vesktest-alpha.desktop"), QStringLiteral("vesktest-beta.desktop"),
                     QStringLiteral("vesktest-override.desktop"), QStringLiteral("vesktest-sub.desktop")}));
    EXPECT_EQ(ours.value(QStringLiteral("vesktest-override.desktop")).name, QStringLiteral("User Override"));
    EXPECT_EQ(ours.value(QStringLiteral("vesktest-override.desktop")).path,
              applications(user) + QStringLiteral("vesktest-override.desktop"));
    EXPECT_EQ(desktop.entry(QStringLiteral("vesktest-override.desktop"))->path,
              applications(user) + QStringLiteral("vesktest-override.desktop"));

    QuickAppsService service(
        QStringLiteral("Vesk"),
        QuickAppsService::Environment{.applications = std::make_shared<GioDesktopApplications>(),
                                      .running = nullptr});
    QObject context;
    QStringList names;
    bool answered = false;
    service.installed(&context, [&](const QList<QuickApp>& apps) {
        for (const QuickApp& app : apps)
            if (app.bundleID.startsWith(QLatin1String("vesktest"))) names << app.name;
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }, 30000)) << "the installed apps never came";
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Gamma"),
                                  QStringLiteral("User Override")}));
}

TEST_F(QuickAppsDesktopTest, DescribesEntryFilesByTheirDesktopIdOrFileName) {
    if (!runsInOwnProcess()) return;
    QuickAppsService service(QStringLiteral("Vesk"));
    const auto describe = [&](const QString& path) { return service.describe(QUrl::fromLocalFile(path)); };
    const std::optional<QuickApp> sub =
        describe(applications(system) + QStringLiteral("vesktest/sub.desktop"));
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->bundleID, QStringLiteral("vesktest-sub.desktop"));
    EXPECT_EQ(sub->name, QStringLiteral("Gamma"));
    EXPECT_EQ(describe(applications(root->path()) + QStringLiteral("elsewhere.desktop"))->bundleID,
              QStringLiteral("elsewhere.desktop"));
    EXPECT_FALSE(describe(applications(root->path()) + QStringLiteral("link.desktop")));
    EXPECT_FALSE(describe(root->path() + QStringLiteral("/launch.sh")));
}

TEST_F(QuickAppsDesktopTest, LaunchesWithoutThePlatformWeChoseAndDrawsThemeIcons) {
    if (!runsInOwnProcess()) return;
    QuickAppsService service(QStringLiteral("Vesk"));
    const std::optional<QuickApp> app =
        service.describe(QUrl::fromLocalFile(applications(system) + QStringLiteral("vesktest/sub.desktop")));
    ASSERT_TRUE(app);
    // What main() sets for the program alone when the user had not.
    childEnvironment::markPlatformForced();
    qunsetenv("DBUS_FATAL_WARNINGS");
    childEnvironment::setForThisProcess("DBUS_FATAL_WARNINGS", "0");
    service.launch(*app);
    QFile marker(root->path() + QStringLiteral("/launched"));
    ASSERT_TRUE(processEventsUntil([&] { return marker.size() > 0; }, 30000))
        << "the entry's program never ran";
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(marker.readAll().trimmed(), "unset unset");

    const auto pixel = [&](const char* id) {
        const QuickApp pinned{
            .id = QUuid::createUuid(), .bundleID = QLatin1String(id), .name = {}, .path = {}};
        const std::optional<QIcon> icon = service.icon(pinned);
        return icon ? icon->pixmap(48, 48).toImage().pixelColor(24, 24) : QColor();
    };
    EXPECT_EQ(pixel("vesktest-beta.desktop"), QColor(Qt::magenta));
    const QImage generic =
        QIcon::fromTheme(QStringLiteral("application-x-executable")).pixmap(48, 48).toImage();
    ASSERT_FALSE(generic.isNull()) << "the icon theme has no generic program icon";
    EXPECT_EQ(pixel("vesktest-alpha.desktop"), generic.pixelColor(24, 24));
    EXPECT_FALSE(pixel("vesktest-gone.desktop").isValid());
}

TEST_F(QuickAppsDesktopTest, IconImagesAreReadFromTheThemeFilesOnAnyThread) {
    if (!runsInOwnProcess()) return;
    QImage beta, alpha, gone;
    std::thread worker([&] {
        beta = desktop.iconImage(applications(system) + QStringLiteral("vesktest-beta.desktop"), 34);
        alpha = desktop.iconImage(applications(system) + QStringLiteral("vesktest-alpha.desktop"), 34);
        gone = desktop.iconImage(applications(system) + QStringLiteral("vesktest-gone.desktop"), 34);
    });
    worker.join();
    ASSERT_EQ(beta.size(), QSize(34, 34)) << "the 48-point file, scaled to fit";
    EXPECT_EQ(beta.pixelColor(17, 17), QColor(Qt::magenta));
    EXPECT_FALSE(alpha.isNull()) << "an icon name the theme lacks gives the generic program icon";
    EXPECT_TRUE(gone.isNull());
}
