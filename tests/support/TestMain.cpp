// Shared main for every test executable: a QApplication on the offscreen platform
// (unless the test run chose one), private XDG folders for this process, and the
// offscreen plugin's "does not support" chatter filtered out, the environment put back
// after each test; in a sanitized build, the reports of the programs the tests start
// fail those tests. A test that hangs prints every thread's stack and ends.
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "support/ChildMain.h"
#include "support/DBusFixture.h"
#include "support/HangWatchdog.h"
#include "support/SanitizerReports.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QThreadPool>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void filterOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("This plugin does not support"))) return;
    if (previousHandler) previousHandler(type, context, message);
}

// Fresh per-user folders under `root`, in the environment from now on: the XDG folders
// and VESK_TEST_ROOT.
bool useFreshFolders(const QString& root) {
    for (const char* sub : {"config", "data", "cache", "runtime"})
        if (!QDir(root).mkpath(QLatin1String(sub))) return false;
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/runtime")));
    qputenv("VESK_TEST_ROOT", QFile::encodeName(root));
    return true;
}

// Each test starts in per-user folders of its own and with a fresh standard store of
// user defaults, so tests never see each other's files or settings, whether each runs
// in a process of its own (as under CTest) or all in one. (GLib reads the folders once
// per process: a test that needs it to see its own runs alone, support/OwnProcess.h.)
class FreshFoldersForEachTest : public ::testing::EmptyTestEventListener {
public:
    explicit FreshFoldersForEachTest(QString root) : m_root(std::move(root)) {}

private:
    void OnTestStart(const ::testing::TestInfo&) override {
        if (m_started++ == 0) return;
        useFreshFolders(m_root + QStringLiteral("/test-") + QString::number(m_started));
        // Kept: something a test left behind may still hold the one it used.
        m_stores.push_back(vesk::UserDefaults::standard().shared_from_this());
        vesk::UserDefaults::setStandard(nullptr);
    }

    QString m_root;
    int m_started = 0;
    std::vector<std::shared_ptr<vesk::UserDefaults>> m_stores;
};

// Whatever a test does to the environment is undone when it ends: the next test in the
// process starts with the environment the one before it started with. Threads read the
// environment without a lock, so it is put back only once the work the test handed to
// the shared pool or to retiring queues has ended.
class RestoreEnvironment : public ::testing::EmptyTestEventListener {
    static QHash<QByteArray, QByteArray> current() {
        QHash<QByteArray, QByteArray> variables;
        for (char** entry = environ; *entry; ++entry) {
            const QByteArray text(*entry);
            const qsizetype equals = text.indexOf('=');
            if (equals > 0) variables.insert(text.left(equals), text.mid(equals + 1));
        }
        return variables;
    }
    void OnTestStart(const ::testing::TestInfo&) override { m_before = current(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        QThreadPool::globalInstance()->waitForDone();
        vesk::SerialQueue::awaitRetired();
        const QHash<QByteArray, QByteArray> after = current();
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (!m_before.contains(it.key())) qunsetenv(it.key().constData());
        for (auto it = m_before.cbegin(); it != m_before.cend(); ++it)
            if (after.value(it.key()) != it.value() || !after.contains(it.key()))
                qputenv(it.key().constData(), it.value());
    }

    QHash<QByteArray, QByteArray> m_before;
};

class WatchEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        vesk::test::hangWatchdog::rearm((std::string(test.test_suite_name()) + '.' + test.name()).c_str());
    }
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    vesk::test::hangWatchdog::start();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vesk-test-XXXXXX"));
    if (!home.isValid() || !useFreshFolders(home.path())) {
        std::fprintf(stderr, "cannot create a temporary folder for the test\n");
        return 2;
    }
    const QString root = home.path();
    qunsetenv("VESK_TRACE");
    // Without a session bus named, libdbus starts one through the X display (dbus-launch),
    // shared by every test on that display and left running, and that start can hang the
    // test. An address where nothing listens fails at once; a test that wants a bus starts
    // its own (support/DBusFixture.h).
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(root + QStringLiteral("/no-bus")));

    previousHandler = qInstallMessageHandler(filterOffscreenNoise);
    QApplication app(argc, argv);
    if (const std::optional<int> status = vesk::test::runChildMain(app.arguments())) return *status;
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchEachTest);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshFoldersForEachTest(home.path()));
    vesk::test::SanitizerReports::install(root + QStringLiteral("/sanitizer"));
    int status = RUN_ALL_TESTS();
    vesk::test::PrivateBuses::endProcessBuses();
    if (const QString late = vesk::test::SanitizerReports::take(); !late.isEmpty()) {
        std::fprintf(stderr, "a program started by a test reported after it ended:\n%s\n", qPrintable(late));
        status = 1;
    }
    return status;
}
