#include "VeskPlatform/Updates/UpdaterController.h"

namespace vesk {

std::unique_ptr<UpdaterController> makeUpdaterController(QString* why) {
    if (why)
        *why = QStringLiteral("no update framework on this system: the package manager updates VeskNotch");
    return nullptr;
}

} // namespace vesk
