#include "VeskPlatform/Autostart/AutostartEntry.h"

#include "VeskKit/Foundation/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <glib.h>

namespace vesk::autostart {

namespace {

constexpr const char* group = "Desktop Entry";

bool falseValue(GKeyFile* file, const char* key) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, group, key, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    return !value;
}

bool trueValue(GKeyFile* file, const char* key) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, group, key, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    return value;
}

} // namespace

QString entryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/vesk-notch.desktop");
}

QString execValue(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%')) quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The key file's own escaping of the value.
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else
            value += c;
    }
    return value;
}

QByteArray entryText(const QString& program) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=VeskNotch\nExec=%1\nTerminal=false\n")
        .arg(execValue(program))
        .toUtf8();
}

bool isEnabled(const QString& path) {
    GKeyFile* file = g_key_file_new();
    GError* error = nullptr;
    const QByteArray name = QFile::encodeName(path);
    bool enabled = false;
    if (g_key_file_load_from_file(file, name.constData(), G_KEY_FILE_NONE, &error)) {
        enabled = g_key_file_has_group(file, group) && !trueValue(file, "Hidden") &&
                  !falseValue(file, "X-GNOME-Autostart-enabled");
    } else if (error) {
        g_error_free(error);
    }
    g_key_file_free(file);
    return enabled;
}

std::optional<QString> enable(const QString& path, const QString& program) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("cannot make the folder ") + folder;
    QString error;
    if (!files::writeAtomically(path, entryText(program), &error)) return error;
    return std::nullopt;
}

std::optional<QString> disable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    if (info.isSymLink() || !info.isFile())
        return path + QStringLiteral(" is not a file of ours; left alone");
    QFile file(path);
    if (!file.remove()) return file.errorString();
    return std::nullopt;
}

} // namespace vesk::autostart
