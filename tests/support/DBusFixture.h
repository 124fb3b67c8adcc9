#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace vesk::test {

// Private session and system buses for a test. The first one in a test process starts
// two dbus-daemons that then serve every later one in the process: Qt binds
// QDBusConnection::sessionBus()/systemBus() to the first address it sees and never
// lets go, so the daemons behind them must outlive each test (create this before the
// first use of either bus in the process). The constructor points
// DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS at them; the destructor stops
// every mock started here, waits until its names and the test's own connections are
// gone from the buses, and puts both variables back.
class PrivateBuses {
public:
    // `sessionConfig`: a dbus-daemon configuration file for a session bus of this
    // object's own instead of the process's standard one.
    explicit PrivateBuses(const QString& sessionConfig = {});
    ~PrivateBuses();
    PrivateBuses(const PrivateBuses&) = delete;
    PrivateBuses& operator=(const PrivateBuses&) = delete;

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    const QString& sessionAddress() const { return m_sessionAddress; }
    const QString& systemAddress() const { return m_systemAddress; }

    // Connections of the test's own, separate from the ones the code under test uses.
    QDBusConnection session() const;
    QDBusConnection system() const;

    // Starts python3-dbusmock with a template ("upower", "logind", "bluez5",
    // "power_profiles_daemon", "notification_daemon", ...) and waits until `busName`
    // is owned. `parameters` is the template's JSON parameter string, if any.
    // Returns null (and sets error()) when the mock did not come up.
    QProcess* startTemplate(const QString& templateName, const QString& busName, bool onSystemBus = true,
                            const QString& parameters = {});
    // Starts a bare dbusmock object: `busName` owning `path` with `interface`.
    QProcess* startMock(const QString& busName, const QString& path, const QString& interface,
                        bool onSystemBus = true);

    // Wait until `busName` is owned, or has no owner (true), or the time is up (false).
    bool waitForName(const QString& busName, bool onSystemBus, int timeoutMs = 30000) const {
        return waitForOwner(busName, onSystemBus, true, timeoutMs);
    }
    bool waitForNameGone(const QString& busName, bool onSystemBus, int timeoutMs = 30000) const {
        return waitForOwner(busName, onSystemBus, false, timeoutMs);
    }

    // Ends one process started here (SIGTERM, then SIGKILL).
    void stop(QProcess* process);

    // Ends the daemons that serve the whole process; the shared main calls it last.
    static void endProcessBuses();

private:
    bool waitForOwner(const QString& busName, bool onSystemBus, bool owned, int timeoutMs) const;
    QProcess* startMockProcess(const QStringList& args, const QString& busName, bool onSystemBus);
    void waitUntilGone(const QString& busName, bool onSystemBus) const;

    struct Mock {
        std::unique_ptr<QProcess> process;
        QString busName;
        bool onSystemBus;
    };
    std::vector<Mock> m_mocks;
    std::unique_ptr<QProcess> m_ownSession;
    std::optional<QByteArray> m_previousSession;
    std::optional<QByteArray> m_previousSystem;
    QString m_sessionAddress;
    QString m_systemAddress;
    QString m_error;
    QString m_connectionTag;
};

// A test case on private buses of its own, which must have come up.
class BusTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(buses.ok()) << qPrintable(buses.error()); }

    PrivateBuses buses;
};

} // namespace vesk::test
