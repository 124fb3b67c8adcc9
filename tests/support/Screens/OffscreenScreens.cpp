#include "support/Screens/OffscreenScreens.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <qpa/qplatformnativeinterface.h>

namespace vesk::test {

bool setOffscreenScreens(const QList<OffscreenScreen>& screens) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) return false;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native) return false;
    // The offscreen plugin's own hooks for tests, as Qt's screen tests use them.
    using Getter = QJsonObject (*)(QPlatformNativeInterface*);
    using Setter = void (*)(const QJsonObject&, QPlatformNativeInterface*);
    auto get = reinterpret_cast<Getter>(native->nativeResourceForIntegration("configuration"));
    auto set = reinterpret_cast<Setter>(native->nativeResourceForIntegration("setConfiguration"));
    if (!get || !set) return false;

    QJsonArray list;
    for (const OffscreenScreen& screen : screens)
        list.append(QJsonObject{{"name", screen.name},
                                {"x", screen.geometry.x()},
                                {"y", screen.geometry.y()},
                                {"width", screen.geometry.width()},
                                {"height", screen.geometry.height()},
                                {"logicalDpi", 96},
                                {"logicalBaseDpi", 96},
                                {"dpr", screen.devicePixelRatio}});
    QJsonObject configuration = get(native);
    configuration.insert(QStringLiteral("screens"), list);
    set(configuration, native);
    return true;
}

} // namespace vesk::test
