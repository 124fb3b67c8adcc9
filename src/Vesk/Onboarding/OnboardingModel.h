#pragma once

#include "Vesk/Permissions/Permission.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace vesk {

class Permissions;
class SettingsStore;

// The state behind the first-run window: the page shown, the last known state of each
// permission, and the permission whose last request changed nothing (so the page can
// offer help). Main thread.
class OnboardingModel final : public QObject {
    Q_OBJECT
public:
    enum class Step { welcome = 0, gestures = 1, media = 2, permissions = 3, desk = 4 };
    static constexpr int stepCount = 5;

    static std::optional<Step> stepFromRaw(qint64 raw);
    // The step a developer hook names: an optional sign, then only digits that fit in 64
    // bits, naming a step; anything else (empty, "3x", past 64 bits) names none.
    static std::optional<Step> parseStep(const QString& text);

    // Both must outlive the model.
    OnboardingModel(SettingsStore& settings, Permissions& permissions, QObject* parent = nullptr);

    Step step() const { return m_step; }
    void setStep(Step step);
    const QHash<Permission, PermissionState>& permissionStates() const { return m_states; }
    // The recorded state; not determined while the permission has no entry.
    PermissionState state(Permission permission) const;
    const std::optional<Permission>& stuckPermission() const { return m_stuck; }
    void setStuckPermission(std::optional<Permission> permission);
    SettingsStore& settings() const { return m_settings; }
    Permissions& permissions() const { return m_permissions; }

    // Reads every permission again; each entry is a change of its own.
    void refreshPermissions();
    // Asks for the permission; when the answer comes, refreshes and records the request
    // as stuck when it left a permission that was not granted as it was.
    void request(Permission permission);
    void advance();
    void back();

Q_SIGNALS:
    void stepChanged(OnboardingModel::Step step);
    void permissionStateChanged(Permission permission);
    void stuckPermissionChanged();

private:
    SettingsStore& m_settings;
    Permissions& m_permissions;
    Step m_step = Step::welcome;
    QHash<Permission, PermissionState> m_states;
    std::optional<Permission> m_stuck;
};

} // namespace vesk
