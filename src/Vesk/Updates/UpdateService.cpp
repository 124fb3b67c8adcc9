#include "Vesk/Updates/UpdateService.h"

#include "VeskKit/Diagnostics/TraceLog.h"

namespace vesk {

UpdateService::UpdateService(const BuildProfile& profile, ControllerFactory makeController, QObject* parent)
    : QObject(parent) {
    if (profile.isSandboxed) return;
    QString why;
    m_controller = makeController ? makeController() : makeUpdaterController(&why);
    if (!m_controller)
        TraceLog::trace(QStringLiteral("updates: unavailable (%1)")
                            .arg(why.isEmpty() ? QStringLiteral("no updater") : why));
}

UpdateService::~UpdateService() = default;

std::optional<Date> UpdateService::lastCheck() const {
    return m_controller ? m_controller->lastUpdateCheckDate() : std::nullopt;
}

} // namespace vesk
