#include "VeskPlatform/Workspace/GioLaunchContext.h"

#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <gio/gio.h>

namespace vesk::childEnvironment {

GAppLaunchContext* newLaunchContext() {
    GAppLaunchContext* context = g_app_launch_context_new();
    const QProcessEnvironment wanted = forChildren();
    // GIO starts from this process's environment: drop what children must not see and
    // set what differs.
    gchar** ours = g_get_environ();
    for (gchar** entry = ours; entry && *entry; ++entry) {
        const QString name = QString::fromLocal8Bit(*entry).section(QLatin1Char('='), 0, 0);
        if (!wanted.contains(name)) g_app_launch_context_unsetenv(context, name.toLocal8Bit().constData());
    }
    for (const QString& name : wanted.keys()) {
        const QByteArray value = wanted.value(name).toLocal8Bit();
        const gchar* current = g_environ_getenv(ours, name.toLocal8Bit().constData());
        if (!current || value != current)
            g_app_launch_context_setenv(context, name.toLocal8Bit().constData(), value.constData());
    }
    g_strfreev(ours);
    return context;
}

} // namespace vesk::childEnvironment
