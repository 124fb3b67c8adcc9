#include "Vesk/Shell/DeveloperHooks.h"
#include "Vesk/Shell/DebugActivitySource.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Tray/TrayStore.h"
#include "support/Cloud/FakeCloudContainer.h"
#include "support/ManualScheduler.h"
#include "support/Tray/FakeThumbnailGenerator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>

#include <cmath>

namespace vesk {
namespace {

// Runs the hooks on virtual time and records what reaches each target, with the
// seconds since launch.
class DeveloperHooksTest : public ::testing::Test {
protected:
    // The tray keeps its files in the process's data folder: start each test without
    // those of an earlier one.
    void SetUp() override {
        ASSERT_TRUE(QDir(files::applicationSupportFolder()).removeRecursively());
        ASSERT_TRUE(
            QDir(qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/seed")).removeRecursively());
    }

    struct Call {
        double at;
        QString what;
        friend bool operator==(const Call&, const Call&) = default;
        friend std::ostream& operator<<(std::ostream& out, const Call& call) {
            return out << call.at << " " << call.what.toStdString();
        }
    };

    void launch(QMap<QByteArray, QString> environment) {
        m_launch = m_scheduler.now();
        DeveloperHooks::Targets targets;
        targets.now = [this] { return m_scheduler.now(); };
        targets.cloudContainer = m_cloud;
        targets.submit = [this](const ActivityPayload& payload) {
            record(QStringLiteral("submit ") + toRaw(payload.kind));
            submitted.append(payload);
            return false;
        };
        targets.present = [this](const ActivityPayload& payload) {
            record(QStringLiteral("present ") + toRaw(payload.kind));
            presented.append(payload);
        };
        targets.sendToActiveModel = [this](const NotchEvent& event) {
            record(event == NotchEvent::click() ? QStringLiteral("click")
                                                : QStringLiteral("selectTab ") + toRaw(*event.tab()));
        };
        targets.trayStore = [this] { return tray(); };
        targets.republishTray = [this] { ++republished; };
        targets.openSettings = [this] { record(QStringLiteral("openSettings")); };
        targets.requestCalendarAccess = [this] { record(QStringLiteral("requestCalendarAccess")); };
        targets.log = [this](const QString& line) { record(QStringLiteral("log ") + line); };
        DeveloperHooks::run(targets, &m_context, [environment](const char* name) -> std::optional<QString> {
            if (!environment.contains(name)) return std::nullopt;
            return environment.value(name);
        });
    }

    void record(const QString& what) {
        calls.append({std::round((m_scheduler.now() - m_launch) * 1000) / 1000, what});
    }

    TrayStore* tray() {
        if (!m_tray) {
            TrayStoreOptions options;
            options.queueScheduler = &m_scheduler;
            options.clock = &m_scheduler.clock();
            options.thumbnails = std::make_shared<test::FakeThumbnailGenerator>();
            m_tray = std::make_unique<TrayStore>(QStringLiteral("Vesk"), options);
        }
        return m_tray.get();
    }

    QString makeFile(const QString& relative) {
        const QString path = qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/seed/") + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        return path;
    }

    test::ManualScheduler m_scheduler;
    test::ScopedMainScheduler m_main{m_scheduler};
    std::shared_ptr<test::FakeCloudContainer> m_cloud = std::make_shared<test::FakeCloudContainer>();
    std::unique_ptr<TrayStore> m_tray;
    QObject m_context;
    Date m_launch;
    QList<Call> calls;
    QList<ActivityPayload> submitted;
    QList<ActivityPayload> presented;
    int republished = 0;
};

TEST_F(DeveloperHooksTest, EachHookActsOnceAfterItsDelay) {
    using Env = QMap<QByteArray, QString>;
    const auto c = [](double at, const char* what) { return Call{at, QString::fromUtf8(what)}; };
    const QList<std::pair<Env, QList<Call>>> rows = {
        // Shown whatever the coordinator answers (the fake refuses).
        {{{"VESK_DEMO", QStringLiteral("battery")}}, {c(1.0, "submit battery"), c(1.0, "present battery")}},
        {{{"VESK_DEMO", QStringLiteral("Battery")}}, {}},
        {{{"VESK_DEMO", QString()}}, {}},
        {{{"VESK_OPEN", QStringLiteral("tray")}}, {c(1.0, "click"), c(1.0, "selectTab tray")}},
        {{{"VESK_OPEN", QString()}}, {c(1.0, "click")}},
        {{{"VESK_OPEN", QStringLiteral("Tray")}}, {c(1.0, "click")}},
        {{{"VESK_SETTINGS", QString()}}, {c(0.6, "openSettings")}},
        {{{"VESK_REQUEST_CALENDAR", QStringLiteral("ignored")}}, {c(1.5, "requestCalendarAccess")}},
        {{}, {}},
    };
    for (const auto& [environment, expected] : rows) {
        calls.clear();
        launch(environment);
        m_scheduler.advance(10);
        EXPECT_EQ(calls, expected) << environment.keys().value(0).toStdString() << "="
                                   << environment.values().value(0).toStdString();
    }
}

TEST_F(DeveloperHooksTest, DemoIsTheKindsSampleAsAnInterruptForTenMinutes) {
    launch({{"VESK_DEMO", QStringLiteral("battery")}});
    m_scheduler.advance(1);
    ASSERT_EQ(submitted.size(), 1);
    EXPECT_EQ(presented, submitted);
    const ActivityPayload sample = DebugActivitySource::make(ActivityKind::battery, m_launch);
    const ActivityPayload& demo = submitted.first();
    EXPECT_EQ(demo, (ActivityPayload{.id = demo.id,
                                     .kind = ActivityKind::battery,
                                     .priority = ActivityPriority::interrupt,
                                     .dedupeKey = QString(),
                                     .leading = sample.leading,
                                     .title = sample.title,
                                     .subtitle = sample.subtitle,
                                     .trailing = sample.trailing,
                                     .duration = 600,
                                     .interaction = std::nullopt,
                                     .createdAt = m_launch}));
}

TEST_F(DeveloperHooksTest, NothingDelayedRunsOnceTheContextIsGone) {
    auto context = std::make_unique<QObject>();
    DeveloperHooks::Targets targets;
    targets.sendToActiveModel = [this](const NotchEvent&) { record(QStringLiteral("click")); };
    targets.submit = [this](const ActivityPayload&) {
        record(QStringLiteral("submit"));
        return true;
    };
    DeveloperHooks::run(targets, context.get(), [](const char* name) -> std::optional<QString> {
        if (qstrcmp(name, "VESK_OPEN") == 0) return QString();
        if (qstrcmp(name, "VESK_DEMO") == 0) return QStringLiteral("sound");
        return std::nullopt;
    });
    context.reset();
    m_scheduler.advance(5);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(DeveloperHooksTest, SeedTrayFolderAddsItsEntriesThenTheFolderItself) {
    makeFile(QStringLiteral("a.txt"));
    makeFile(QStringLiteral(".hidden"));
    const QString folder = QFileInfo(makeFile(QStringLiteral("b.txt"))).path();
    launch({{"VESK_SEED_TRAY", folder}});
    // Hidden entries count; the folder as a path list is one more item.
    EXPECT_EQ(calls, (QList<Call>{{0, QStringLiteral("log seeded tray with 3 item(s)")},
                                  {0, QStringLiteral("log seeded 1 tray item(s)")}}));
    m_scheduler.runPending();
    ASSERT_EQ(tray()->items().size(), 4);
    QStringList names;
    for (const TrayItem& item : tray()->items())
        names << item.displayName;
    EXPECT_EQ(names, (QStringList{QStringLiteral("seed"), QStringLiteral(".hidden"), QStringLiteral("a.txt"),
                                  QStringLiteral("b.txt")}));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/a.txt"))) << "copied, not moved";
    EXPECT_GE(republished, 2);
}

TEST_F(DeveloperHooksTest, SeedTrayPathListAndEmptyValue) {
    const QString a = makeFile(QStringLiteral("one.txt"));
    const QString b = makeFile(QStringLiteral("two.txt"));
    EXPECT_EQ(
        DeveloperHooks::pathList(QStringLiteral("::") + a + QStringLiteral(":") + b + QStringLiteral(":")),
        (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));

    launch({{"VESK_SEED_TRAY", a + QStringLiteral(":") + b}});
    launch({{"VESK_SEED_TRAY", QString()}});
    // Neither value names a folder, so only the path-list line is logged.
    EXPECT_EQ(calls, (QList<Call>{{0, QStringLiteral("log seeded 2 tray item(s)")},
                                  {0, QStringLiteral("log seeded 0 tray item(s)")}}));
    EXPECT_TRUE(DeveloperHooks::folderEntries(QString()).isEmpty()) << "not the working folder";

    // The third reading, once the synced store is handed over, counts the paths given.
    DeveloperHooks::Targets afterSync;
    afterSync.trayStore = [this] { return tray(); };
    afterSync.log = [this](const QString& line) { record(QStringLiteral("log ") + line); };
    calls.clear();
    for (const std::optional<QString>& value :
         {std::make_optional(QString(a + ":" + b)), std::make_optional(QString()), std::optional<QString>()})
        DeveloperHooks::seedTrayAfterSync(afterSync, [value](const char*) { return value; });
    EXPECT_EQ(calls, (QList<Call>{{0, QStringLiteral("log seeded tray: 2 files")},
                                  {0, QStringLiteral("log seeded tray: 0 files")}}));
}

TEST_F(DeveloperHooksTest, CloudProbeLogsSummaryAndDetail) {
    m_cloud->entitled = false;
    launch({{"VESK_CLOUDKIT_PROBE", QString()}});
    m_scheduler.runPending();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().what,
              QStringLiteral("log cloud probe: ❌ Cloud unreachable — There is no private cloud "
                             "database on this system."));
}

} // namespace
} // namespace vesk
