#include "support/DeviceInput/DeviceMocks.h"

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>

namespace {

struct MockMethod {
    QString name;
    QString inSignature;
    QString outSignature;
    QString code;
};

QDBusArgument& operator<<(QDBusArgument& argument, const MockMethod& method) {
    argument.beginStructure();
    argument << method.name << method.inSignature << method.outSignature << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MockMethod& method) {
    argument.beginStructure();
    argument >> method.name >> method.inSignature >> method.outSignature >> method.code;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(MockMethod)

namespace vesk::test {

namespace {

const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString upowerName = QStringLiteral("org.freedesktop.UPower");
const QString kbdPath = QStringLiteral("/org/freedesktop/UPower/KbdBacklight");
const QString kbdInterface = QStringLiteral("org.freedesktop.UPower.KbdBacklight");

QString addObject(const PrivateBuses& buses, const QString& service, const QString& mainPath,
                  const QString& path, const QString& interface, const QList<MockMethod>& methods) {
    qDBusRegisterMetaType<MockMethod>();
    qDBusRegisterMetaType<QList<MockMethod>>();
    QDBusInterface mock(service, mainPath, mockInterface, buses.system());
    QDBusReply<void> reply =
        mock.call(QStringLiteral("AddObject"), path, interface, QVariantMap{}, QVariant::fromValue(methods));
    return reply.isValid() ? QString() : reply.error().message();
}

// Python string literal for a path.
QString pyString(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + escaped + u'\'';
}

} // namespace

QString addLogindSession(const PrivateBuses& buses, const QString& sessionPath, const QString& sysRoot,
                         int delayMs) {
    const QString code = QStringLiteral("import os, time\n"
                                        "time.sleep(%1 / 1000.0)\n"
                                        "root = %2\n"
                                        "d = os.path.join(root, 'class', args[0], args[1])\n"
                                        "if not os.path.isdir(d):\n"
                                        "    raise dbus.exceptions.DBusException('no such device', "
                                        "name='org.freedesktop.DBus.Error.InvalidArgs')\n"
                                        "for f in ('brightness', 'actual_brightness'):\n"
                                        "    p = os.path.join(d, f)\n"
                                        "    if f == 'brightness' or os.path.exists(p):\n"
                                        "        open(p, 'w').write('%d\\n' % args[2])\n"
                                        "open(os.path.join(root, 'last-session'), 'w').write(%3)\n")
                             .arg(delayMs)
                             .arg(pyString(sysRoot), pyString(sessionPath.section(u'/', -1)));
    return addObject(buses, QStringLiteral("org.freedesktop.login1"),
                     QStringLiteral("/org/freedesktop/login1"), sessionPath,
                     QStringLiteral("org.freedesktop.login1.Session"),
                     {{QStringLiteral("SetBrightness"), QStringLiteral("ssu"), QString(), code}});
}

QProcess* startUPowerWithKeyboardBacklight(PrivateBuses& buses, const QString& scratchFolder,
                                           int maxBrightness, int level) {
    // A template of our own that loads dbusmock's upower template and adds the object in
    // its load(), which runs before the mock serves any call.
    const QString templatePath = scratchFolder + QStringLiteral("/upower_kbd_backlight.py");
    QFile file(templatePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return nullptr;
    file.write(
        QStringLiteral("from dbusmock.templates.upower import BUS_NAME, MAIN_OBJ, MAIN_IFACE, SYSTEM_BUS\n"
                       "import dbusmock.templates.upower as upower\n"
                       "\n"
                       "def load(mock, parameters):\n"
                       "    upower.load(mock, parameters)\n"
                       "    mock.AddObject(%1, %2, {}, [\n"
                       "        ('GetMaxBrightness', '', 'i', 'ret = %3'),\n"
                       "        ('GetBrightness', '', 'i', 'ret = getattr(self, \"level\", %4)'),\n"
                       "        ('SetBrightness', 'i', '', 'self.level = args[0]\\n'\n"
                       "            'self.writes = getattr(self, \"writes\", []) + [args[0]]\\n'\n"
                       "            'self.EmitSignal(\"%5\", \"BrightnessChanged\", \"i\", [args[0]])\\n'),\n"
                       "        ('GetWrites', '', 'ai', 'ret = getattr(self, \"writes\", [])'),\n"
                       "    ])\n")
            .arg(pyString(kbdPath), pyString(kbdInterface))
            .arg(maxBrightness)
            .arg(level)
            .arg(kbdInterface)
            .toUtf8());
    file.close();
    return buses.startTemplate(templatePath, upowerName);
}

QString emitKeyboardBrightnessChanged(const PrivateBuses& buses, int value) {
    QDBusInterface mock(upowerName, kbdPath, mockInterface, buses.system());
    QDBusReply<void> reply =
        mock.call(QStringLiteral("EmitSignal"), kbdInterface, QStringLiteral("BrightnessChanged"),
                  QStringLiteral("i"), QVariantList{QVariant::fromValue(QDBusVariant(value))});
    return reply.isValid() ? QString() : reply.error().message();
}

QList<int> keyboardBrightnessWrites(const PrivateBuses& buses) {
    QDBusInterface object(upowerName, kbdPath, kbdInterface, buses.system());
    QDBusReply<QList<int>> reply = object.call(QStringLiteral("GetWrites"));
    return reply.isValid() ? reply.value() : QList<int>{};
}

void writeSysfsFile(const QString& sysRoot, const QString& subsystem, const QString& name,
                    const QString& file, const QString& value) {
    QFile out(sysRoot + QStringLiteral("/class/") + subsystem + u'/' + name + u'/' + file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) out.write(value.toUtf8() + '\n');
}

void writeSysfsDevice(const QString& sysRoot, const QString& subsystem, const QString& name,
                      const QList<QPair<QString, QString>>& files) {
    QDir().mkpath(sysRoot + QStringLiteral("/class/") + subsystem + u'/' + name);
    for (const auto& [file, value] : files)
        writeSysfsFile(sysRoot, subsystem, name, file, value);
}

} // namespace vesk::test
