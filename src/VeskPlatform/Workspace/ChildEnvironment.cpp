#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <atomic>

namespace vesk::childEnvironment {

namespace {
std::atomic<bool> platformForced{false};
}

void markPlatformForced() {
    platformForced = true;
}

bool isPlatformForced() {
    return platformForced;
}

QProcessEnvironment forChildren() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (platformForced) environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

} // namespace vesk::childEnvironment
