#pragma once

#include "support/DBusFixture.h"

#include <gtest/gtest.h>

#include <QDBusInterface>
#include <QDBusMessage>
#include <QProcess>

namespace vesk::test {

// A settings portal on the private session bus that knows one setting, GNOME's
// "enable-animations". Read answers the way the portal's older interface does, a variant
// inside a variant; SetAnimations (a test hook) changes the value and sends
// SettingChanged as the portal does.
class FakeSettingsPortal {
public:
    static inline const QString name = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.Settings");

    FakeSettingsPortal(PrivateBuses& buses, bool animationsEnabled) : m_buses(buses) {
        m_process = buses.startMock(name, path, interface, /*onSystemBus=*/false);
        if (!m_process) return;
        QDBusInterface mock(name, path, QStringLiteral("org.freedesktop.DBus.Mock"), buses.session());
        const QString state = QStringLiteral("getattr(self, 'animations', %1)")
                                  .arg(animationsEnabled ? QStringLiteral("True") : QStringLiteral("False"));
        m_ok = call(mock, QStringLiteral("AddMethod"),
                    {interface, QStringLiteral("Read"), QStringLiteral("ss"), QStringLiteral("v"),
                     QStringLiteral(
                         "if args[0] == 'org.gnome.desktop.interface' and args[1] == 'enable-animations':\n"
                         "    ret = dbus.Boolean(%1, variant_level=1)\n"
                         "else:\n"
                         "    raise dbus.exceptions.DBusException('no such setting', "
                         "name='org.freedesktop.portal.Error.NotFound')")
                         .arg(state)}) &&
               call(mock, QStringLiteral("AddMethod"),
                    {interface, QStringLiteral("SetAnimations"), QStringLiteral("b"), QString(),
                     QStringLiteral(
                         "self.animations = bool(args[0])\n"
                         "self.EmitSignal('org.freedesktop.portal.Settings', 'SettingChanged', 'ssv', "
                         "['org.gnome.desktop.interface', 'enable-animations', "
                         "dbus.Boolean(args[0], variant_level=1)])")}) &&
               // The bus name appears before the methods above exist, so a client that reads
               // as soon as the portal shows up can miss; say the value once more, as the
               // portal does when a setting changes.
               call(mock, QStringLiteral("EmitSignal"),
                    {interface, QStringLiteral("SettingChanged"), QStringLiteral("ssv"),
                     QVariantList{QStringLiteral("org.gnome.desktop.interface"),
                                  QStringLiteral("enable-animations"),
                                  QVariant::fromValue(QDBusVariant(animationsEnabled))}});
    }

    bool ok() const { return m_process && m_ok; }

    void setAnimationsEnabled(bool enabled) {
        QDBusInterface portal(name, path, interface, m_buses.session());
        const QDBusMessage reply = portal.call(QStringLiteral("SetAnimations"), enabled);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << qPrintable(reply.errorMessage());
    }

private:
    static bool call(QDBusInterface& mock, const QString& method, const QVariantList& args) {
        const QDBusMessage reply = mock.callWithArgumentList(QDBus::Block, method, args);
        if (reply.type() == QDBusMessage::ErrorMessage) ADD_FAILURE() << qPrintable(reply.errorMessage());
        return reply.type() != QDBusMessage::ErrorMessage;
    }

    PrivateBuses& m_buses;
    QProcess* m_process = nullptr;
    bool m_ok = false;
};

} // namespace vesk::test
