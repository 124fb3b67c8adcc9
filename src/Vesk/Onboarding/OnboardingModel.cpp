#include "Vesk/Onboarding/OnboardingModel.h"

#include "Vesk/Permissions/Permissions.h"

#include <QPointer>

namespace vesk {

std::optional<OnboardingModel::Step> OnboardingModel::stepFromRaw(qint64 raw) {
    if (raw < 0 || raw >= stepCount) return std::nullopt;
    return Step(raw);
}

std::optional<OnboardingModel::Step> OnboardingModel::parseStep(const QString& text) {
    QStringView digits(text);
    bool negative = false;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-'))) {
        negative = digits.front() == QLatin1Char('-');
        digits = digits.mid(1);
    }
    if (digits.isEmpty()) return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return stepFromRaw(negative ? -value : value);
}

OnboardingModel::OnboardingModel(SettingsStore& settings, Permissions& permissions, QObject* parent)
    : QObject(parent), m_settings(settings), m_permissions(permissions) {}

void OnboardingModel::setStep(Step step) {
    if (step == m_step) return;
    m_step = step;
    Q_EMIT stepChanged(step);
}

PermissionState OnboardingModel::state(Permission permission) const {
    return m_states.value(permission, PermissionState::notDetermined);
}

void OnboardingModel::setStuckPermission(std::optional<Permission> permission) {
    if (permission == m_stuck) return;
    m_stuck = permission;
    Q_EMIT stuckPermissionChanged();
}

void OnboardingModel::refreshPermissions() {
    for (Permission permission : allCases<Permission>()) {
        m_states.insert(permission, m_permissions.state(permission));
        Q_EMIT permissionStateChanged(permission);
    }
}

void OnboardingModel::request(Permission permission) {
    const PermissionState before = m_permissions.state(permission);
    const QPointer<OnboardingModel> self(this);
    m_permissions.request(permission, [self, permission, before](bool) {
        if (!self) return;
        self->refreshPermissions();
        const PermissionState after = self->state(permission);
        if (after == before && before != PermissionState::granted) self->setStuckPermission(permission);
    });
}

void OnboardingModel::advance() {
    if (const auto next = stepFromRaw(qint64(m_step) + 1)) setStep(*next);
}

void OnboardingModel::back() {
    if (const auto previous = stepFromRaw(qint64(m_step) - 1)) setStep(*previous);
}

} // namespace vesk
