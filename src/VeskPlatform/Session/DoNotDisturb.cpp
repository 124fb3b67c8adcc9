#include "VeskPlatform/Session/DoNotDisturb.h"

namespace vesk {

QString DoNotDisturb::sourceName(Source source) {
    switch (source) {
    case Source::none:
        return QStringLiteral("none");
    case Source::notificationServer:
        return QStringLiteral("notificationServer");
    case Source::settingsPortal:
        return QStringLiteral("settingsPortal");
    case Source::gsettings:
        return QStringLiteral("gsettings");
    }
    return {};
}

} // namespace vesk
