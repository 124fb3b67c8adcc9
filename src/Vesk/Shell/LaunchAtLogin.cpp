#include "Vesk/Shell/LaunchAtLogin.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Autostart/AutostartEntry.h"

#include <QCoreApplication>
#include <QPointer>

namespace vesk {

LaunchAtLogin::LaunchAtLogin(SettingsStore& settings, QString entryPath, QString program,
                             Scheduler* scheduler, QObject* parent)
    : QObject(parent), m_settings(settings), m_entryPath(std::move(entryPath)),
      m_program(program.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(program)),
      m_queue(std::make_unique<SerialQueue>(QStringLiteral("app.tessarn.notch.autostart"), scheduler)) {
    const QPointer<LaunchAtLogin> self(this);
    const QString path = m_entryPath;
    m_queue->async([self, path] {
        const bool enabled = autostart::isEnabled(path);
        onMain([self, enabled] {
            if (self) self->adopt(enabled);
        });
    });
    connect(&m_settings, &SettingsStore::revisionChanged, this, &LaunchAtLogin::settingsChanged);
}

LaunchAtLogin::~LaunchAtLogin() {
    m_queue->shutdown();
}

void LaunchAtLogin::settingsChanged() {
    // Until the entry was read there is nothing to compare with.
    if (!m_last) return;
    const bool wanted = m_settings.launchAtLogin();
    if (wanted == *m_last) return;
    m_last = wanted;
    apply(wanted, ++m_request);
}

void LaunchAtLogin::apply(bool wanted, quint64 request) {
    const QPointer<LaunchAtLogin> self(this);
    const QString path = m_entryPath, program = m_program;
    m_queue->async([self, path, program, wanted, request] {
        const std::optional<QString> failure =
            wanted ? autostart::enable(path, program) : autostart::disable(path);
        const bool enabled = autostart::isEnabled(path);
        onMain([self, failure, enabled, wanted, request] {
            if (!self || request != self->m_request) return;
            if (failure || enabled != wanted)
                TraceLog::trace(QStringLiteral("launch at login: could not turn it ") +
                                (wanted ? QStringLiteral("on") : QStringLiteral("off")) +
                                QStringLiteral(": ") +
                                failure.value_or(QStringLiteral("the entry reads otherwise")));
            self->adopt(enabled);
        });
    });
}

void LaunchAtLogin::adopt(bool enabled) {
    m_last = enabled;
    // Set only when it differs: the write is seen by settingsChanged, which then finds
    // nothing to do.
    if (m_settings.launchAtLogin() != enabled) m_settings.setLaunchAtLogin(enabled);
    Q_EMIT settled(enabled);
}

} // namespace vesk
