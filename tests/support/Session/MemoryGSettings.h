#pragma once

#include "support/EventLoop.h"
#include "support/ScopedEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gio/gio.h>

namespace vesk::test {

// GSettings for one test process: the memory backend, and only the schemas this
// installs (the machine's own are hidden). Create it before anything in the process
// touches GSettings, which reads these settings once; the environment it changes is put
// back when it goes.
class MemoryGSettings {
public:
    // With `installNotifications`, a schema "org.gnome.desktop.notifications" with the
    // Boolean key "show-banners" (default true) is compiled and installed.
    explicit MemoryGSettings(bool installNotifications = true) {
        if (!m_root.isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return;
        }
        const QString schemas = m_root.filePath(QStringLiteral("schemas"));
        const QString dataDirs = m_root.filePath(QStringLiteral("data"));
        QDir().mkpath(schemas);
        QDir().mkpath(dataDirs);
        if (installNotifications) {
            QFile xml(schemas + QStringLiteral("/org.gnome.desktop.notifications.gschema.xml"));
            xml.open(QIODevice::WriteOnly);
            xml.write(R"(<schemalist>
  <schema id="org.gnome.desktop.notifications" path="/org/gnome/desktop/notifications/">
    <key name="show-banners" type="b"><default>true</default></key>
  </schema>
</schemalist>
)");
            xml.close();
            QProcess compile;
            compile.start(QStringLiteral("glib-compile-schemas"), {schemas});
            if (!compile.waitForFinished(patienceMs) || compile.exitCode() != 0) {
                m_error = QStringLiteral("glib-compile-schemas failed: ") +
                          QString::fromUtf8(compile.readAllStandardError());
                return;
            }
        }
        m_environment.set("GSETTINGS_BACKEND", "memory");
        m_environment.set("GSETTINGS_SCHEMA_DIR", QFile::encodeName(schemas));
        m_environment.set("XDG_DATA_DIRS", QFile::encodeName(dataDirs));
    }

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // Writes a key as another program would.
    static void setBoolean(const char* schema, const char* key, bool value) {
        GSettings* settings = g_settings_new(schema);
        g_settings_set_boolean(settings, key, value);
        g_object_unref(settings);
    }

private:
    QTemporaryDir m_root;
    QString m_error;
    ScopedEnvironment m_environment;
};

} // namespace vesk::test
