// The program over desktop services that leave and come back, one after another: the
// sound server, power-profiles-daemon, UPower, BlueZ, the screensaver, logind and
// GeoClue, each a mock (or a real daemon) on the test's own buses. Watched from outside:
// its notch's states on standard error, its trace file, the mocks and another X client.
#include "VeskNotchProgram.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include "support/Audio/PulseDaemon.h"
#include "support/Bluetooth/BluezMock.h"
#include "support/Session/SessionMocks.h"
#include "support/X11/Bystander.h"
#include "support/X11/Xdotool.h"

#include <QDBusArgument>
#include <QJsonDocument>
#include <QJsonObject>

#include <X11/XF86keysym.h>

namespace vesk {
namespace {

using namespace test::sessionmock;
using test::DBusMockControl;
using test::processEventsFor;
using test::processEventsUntil;

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString hadess = QStringLiteral("net.hadess.PowerProfiles");
const QString hadessPath = QStringLiteral("/net/hadess/PowerProfiles");
const QString geoclue = QStringLiteral("org.freedesktop.GeoClue2");
const QString speaker = QStringLiteral("AA:BB:CC:DD:EE:10");
const QString keyboard = QStringLiteral("AA:BB:CC:DD:EE:11");
// How long a service's leaving or return is given to show a pill it must not show.
constexpr int settleMs = 1500;

class VeskNotchComebacksX11Test : public VeskNotchX11Test {
protected:
    QProcess* startUPower() {
        QProcess* daemon = buses.startTemplate(QStringLiteral("upower"), upower, true,
                                               QStringLiteral(R"({"OnBattery": false})"));
        if (!daemon) return nullptr;
        // A battery at 50 %, charging.
        DBusMockControl mock(buses.system(), upower, upowerPath);
        mock.call(DBusMockControl::mockInterface, QStringLiteral("SetupDisplayDevice"),
                  {2u, 1u, 50.0, 50.0, 100.0, 10.0, qlonglong(0), qlonglong(1800), true, QString(), 1u});
        EXPECT_EQ(mock.lastError(), QString());
        return daemon;
    }
    QProcess* startProfiles(const QString& profile) {
        return buses.startTemplate(QStringLiteral("power_profiles_daemon"), hadess, true,
                                   QStringLiteral(R"({"ActiveProfile": "%1"})").arg(profile));
    }
    QProcess* startBluez(bool withKeyboard) {
        QProcess* daemon = bluez.start();
        if (!daemon) return nullptr;
        bluez.addAdapter();
        bluez.addDevice(speaker, QStringLiteral("Desk Speaker"));
        bluez.pair(speaker);
        // One that comes back already connected: it was connected before we looked.
        if (withKeyboard)
            bluez.addConnectedDevice(keyboard, QStringLiteral("Keyboard"), QStringLiteral("input-keyboard"));
        return daemon;
    }
    QProcess* startGeoClue() {
        return buses.startTemplate(QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/geoclue.py"),
                                   geoclue);
    }
    // Stops a mock and waits until its name is gone.
    void stop(QProcess* daemon, const QString& name, bool onSystemBus = true) {
        buses.stop(daemon);
        ASSERT_TRUE(buses.waitForNameGone(name, onSystemBus));
    }

    // The notch's activities of one kind shown so far.
    int pills(const char* kind) {
        const QRegularExpression line(QStringLiteral("^state activity\\(%1\\)").arg(QLatin1String(kind)));
        return int(errorLines(program).filter(line).size());
    }
    bool traced(const QString& text) {
        const QStringList lines = TraceLog::recentLogLines(500);
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.endsWith(text); });
    }
    // logind's inhibitors, by who took them.
    QStringList inhibitorOwners() {
        DBusMockControl logind(buses.system(), login1, login1Path);
        QStringList owners;
        for (const QStringList& inhibitor : inhibitors(logind))
            owners << inhibitor.value(1);
        return owners;
    }
    int screenSaverInhibits() {
        return int(DBusMockControl(buses.session(), screenSaver, screenSaverPath)
                       .methodCalls(QStringLiteral("Inhibit"))
                       .size());
    }

    test::BluezMock bluez{buses};
    test::Bystander bystander;
};

TEST_F(VeskNotchComebacksX11Test, EveryServiceMayLeaveAndComeBackWithoutAWrongPillOrAHeldKey) {
    ASSERT_TRUE(bystander.ok());
    test::PulseDaemon pulse;
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    QProcess* upowerDaemon = startUPower();
    QProcess* profiles = startProfiles(QStringLiteral("power-saver"));
    QProcess* bluezDaemon = startBluez(false);
    QProcess* logind = nullptr;
    QProcess* saver = nullptr;
    ASSERT_EQ(test::startLogind(buses, false, false, &logind), QString());
    ASSERT_EQ(test::startFreedesktopScreenSaver(buses, &saver), QString());
    QProcess* geo = startGeoClue();
    ASSERT_TRUE(upowerDaemon && profiles && bluezDaemon && geo) << qPrintable(buses.error());

    // A user who replaced the system HUDs and once allowed location.
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
    QDir().mkpath(folder);
    QFile defaults(folder + QStringLiteral("/defaults.json"));
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write(
        R"({"hasCompletedOnboarding": true, "suppressSystemHUD": true, "locationAuthorized": true})");
    defaults.close();
    QFile::remove(TraceLog::filePath());
    withBluetooth = true;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PULSE_SERVER"), pulse.server());
    start(program, environment, /*onboarded=*/false);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    ASSERT_TRUE(processEventsUntil([&] { return widestWindow(program.processId()) > 0; }));
    ASSERT_TRUE(processEventsUntil([&] { return traced(QStringLiteral("bluetooth start → started")); }));

    // Keep-awake on, from the notch's menu: both inhibitors taken.
    const QSize screen = QSize(1920, 1080);
    ASSERT_TRUE(test::xdotool({"mousemove", QString::number(screen.width() / 2), "5", "click", "3"}));
    ASSERT_TRUE(processEventsUntil([&] { return visibleWindowSizes(program.processId()).size() > 1; }))
        << "the notch's menu did not open";
    ASSERT_TRUE(test::xdotool({"key", "Down", "Down", "Return"}));
    ASSERT_TRUE(processEventsUntil([&] {
        return inhibitorOwners() == QStringList{QStringLiteral("VeskNotch")} && screenSaverInhibits() == 1;
    })) << "keep-awake was not turned on";
    bystander.focusRoot();

    // The sound server: the volume keys are let go while it is away and taken again.
    const auto lowerVolume = [] { return test::xdotool({"key", "XF86AudioLowerVolume"}); };
    const int sound = pills("sound");
    pulse.kill();
    ASSERT_TRUE(processEventsUntil([&] { return traced(QStringLiteral("audio volume settable = false")); }));
    ASSERT_TRUE(lowerVolume());
    EXPECT_TRUE(processEventsUntil([&] { return bystander.presses(XF86XK_AudioLowerVolume) == 1; }))
        << "a volume key stayed grabbed with no sound server";
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    ASSERT_TRUE(processEventsUntil([&] { return traced(QStringLiteral("audio volume settable = true")); }));
    processEventsFor(settleMs);
    EXPECT_EQ(pills("sound"), sound) << "the sound server's return showed a pill";
    ASSERT_TRUE(lowerVolume());
    EXPECT_TRUE(processEventsUntil([&] { return pills("sound") == sound + 1; }))
        << "the next volume change showed nothing";
    EXPECT_EQ(bystander.presses(XF86XK_AudioLowerVolume), 1) << "the volume key was not taken again";

    // power-profiles-daemon leaving and coming back with power-saver on: no pill.
    const int battery = pills("battery");
    stop(profiles, hadess);
    processEventsFor(settleMs);
    profiles = startProfiles(QStringLiteral("power-saver"));
    ASSERT_TRUE(profiles) << qPrintable(buses.error());
    processEventsFor(settleMs);
    EXPECT_EQ(pills("battery"), battery) << "the daemon's coming and going showed Low Power Mode pills";
    ASSERT_TRUE(
        DBusMockControl(buses.system(), hadess, hadessPath)
            .updateProperties(hadess, {{QStringLiteral("ActiveProfile"), QStringLiteral("balanced")}}));
    EXPECT_TRUE(processEventsUntil([&] { return pills("battery") == battery + 1; }))
        << "the next profile change showed nothing";

    // BlueZ: back with a device already connected, which is no news; the next
    // connection is.
    const int connectivity = pills("connectivity");
    stop(bluezDaemon, QStringLiteral("org.bluez"));
    bluezDaemon = startBluez(true);
    ASSERT_TRUE(bluezDaemon) << qPrintable(buses.error());
    processEventsFor(settleMs + 1500); // a connection is announced 1.5 s after it
    EXPECT_EQ(pills("connectivity"), connectivity) << "BlueZ's coming and going showed a pill";
    bluez.connectDevice(speaker);
    EXPECT_TRUE(processEventsUntil([&] { return pills("connectivity") == connectivity + 1; }))
        << "the next connection showed nothing";

    // UPower: its leaving and return are no plug or unplug; unplugging is.
    const int power = pills("battery");
    stop(upowerDaemon, upower);
    processEventsFor(settleMs);
    upowerDaemon = startUPower();
    ASSERT_TRUE(upowerDaemon) << qPrintable(buses.error());
    processEventsFor(settleMs);
    EXPECT_EQ(pills("battery"), power) << "UPower's coming and going showed a pill";
    ASSERT_TRUE(DBusMockControl(buses.system(), upower, upowerPath)
                    .updateProperties(upower, {{QStringLiteral("OnBattery"), true}}));
    EXPECT_TRUE(processEventsUntil([&] { return pills("battery") == power + 1; }))
        << "unplugging showed nothing";

    // The screensaver and logind, one at a time: the one that comes back is asked again,
    // the other keeps holding, and keep-awake stays on.
    const int idle = pills("idleLock");
    stop(saver, screenSaver, false);
    ASSERT_EQ(test::startFreedesktopScreenSaver(buses, &saver), QString());
    EXPECT_TRUE(processEventsUntil([&] { return screenSaverInhibits() == 1; }))
        << "the screensaver that came back was not asked again";
    stop(logind, login1);
    ASSERT_EQ(test::startLogind(buses, false, false, &logind), QString());
    EXPECT_TRUE(processEventsUntil([&] {
        return inhibitorOwners() == QStringList{QStringLiteral("VeskNotch")};
    })) << "logind was not asked again";
    EXPECT_FALSE(TraceLog::recentLogLines(500).join(u'\n').contains(QStringLiteral("keep-awake lost")));
    EXPECT_EQ(pills("idleLock"), idle);

    // GeoClue: its coming and going leaves the remembered permission alone.
    stop(geo, geoclue);
    geo = startGeoClue();
    ASSERT_TRUE(geo) << qPrintable(buses.error());
    processEventsFor(settleMs);
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QJsonDocument::fromJson(defaults.readAll())
                    .object()
                    .value(QStringLiteral("locationAuthorized"))
                    .toBool());
    EXPECT_EQ(program.state(), QProcess::Running) << qPrintable(errorLines(program).join('\n'));
}

} // namespace
} // namespace vesk
