#include "VeskPlatform/Workspace/UrlOpener.h"

#include "VeskPlatform/Workspace/ChildEnvironment.h"
#include "VeskPlatform/Workspace/GioLaunchContext.h"

#include <QStandardPaths>

#include <gio/gio.h>

namespace vesk::urlOpener {

bool open(const QUrl& url) {
    if (!url.isValid()) return false;
    const QByteArray uri = url.toString(QUrl::FullyEncoded).toUtf8();
    GAppLaunchContext* context = childEnvironment::newLaunchContext();
    GError* error = nullptr;
    const bool launched = g_app_info_launch_default_for_uri(uri.constData(), context, &error);
    g_clear_error(&error);
    g_object_unref(context);
    if (launched) return true;
    // Desktops that keep their handlers outside GIO's tables still answer xdg-open.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && childEnvironment::startDetached(opener, {QString::fromUtf8(uri)});
}

} // namespace vesk::urlOpener
