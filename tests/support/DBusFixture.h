#pragma once

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace vesk::test {

// Private session and system buses for one test process. The constructor starts two
// dbus-daemons and points DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS at them,
// so code under test that uses QDBusConnection::sessionBus()/systemBus() talks to
// them (create this before the first use of either bus in the process). Everything
// started here is killed by the destructor.
class PrivateBuses {
public:
    // `sessionConfig`: a dbus-daemon configuration file for the session bus instead of
    // the standard session one.
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

private:
    bool waitForOwner(const QString& busName, bool onSystemBus, bool owned, int timeoutMs) const;
    QProcess* startDaemon(QString* address, const QString& config = {});
    QProcess* startMockProcess(const QStringList& args, const QString& busName, bool onSystemBus);

    std::vector<std::unique_ptr<QProcess>> m_processes;
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
