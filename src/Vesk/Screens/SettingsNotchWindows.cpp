#include "Vesk/Screens/SettingsNotchWindows.h"

#include "Vesk/Screens/NotchWindowController.h"

namespace vesk {

SettingsWindowEnvironment::NotchWindows
settingsNotchWindows(std::function<NotchWindowController*()> controller) {
    return {
        .geometryReport =
            [controller] {
                NotchWindowController* notch = controller();
                return notch ? notch->geometryReport() : QString();
            },
        .rebuild =
            [controller] {
                if (NotchWindowController* notch = controller()) notch->rebuild();
            },
        .onRebuilt =
            [controller](QObject* receiver, std::function<void()> then) {
                if (NotchWindowController* notch = controller())
                    QObject::connect(notch, &NotchWindowController::rebuilt, receiver, std::move(then));
            },
    };
}

} // namespace vesk
