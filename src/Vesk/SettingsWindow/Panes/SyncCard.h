#pragma once

#include "VeskSync/SyncCoordinator.h"
#include "VeskSync/SyncStatus.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

namespace vesk {

class SettingsStore;

// What the status row shows: the dot's colour and its lines, top to bottom.
struct SyncCardContent {
    struct Line {
        QString text;
        QColor color;
        // Errors a user may paste into a report can be selected and copied.
        bool selectable = false;
        // Cut after this many wrapped lines; 0: as many as it needs.
        int maxLines = 0;
        bool operator==(const Line&) const = default;
    };
    QColor dot;
    QList<Line> lines;
};

SyncCardContent syncCardContent(const SyncStatus& status, bool isLocalOnly,
                                const SyncCoordinator::PushRegistration& push,
                                const std::optional<QString>& containerError, bool syncEnabled, Date now,
                                const std::optional<QString>& storeNotice = std::nullopt);

// The sync switch and the coordinator's state: a dot, the summary and its notes, and
// "Check now", which asks the coordinator about the account again. The switch only
// writes the setting; the coordinator reads it at the next launch.
class SyncCard final : public QWidget {
    Q_OBJECT
public:
    // Without a coordinator only the switch is shown.
    SyncCard(SettingsStore& settings, SyncCoordinator* sync, QWidget* parent = nullptr);

    const SyncCardContent& content() const { return m_content; }

private:
    void refresh();

    SettingsStore& m_settings;
    QPointer<SyncCoordinator> m_sync;
    SyncCardContent m_content;
    QWidget* m_dot = nullptr;
    QWidget* m_lines = nullptr;
};

} // namespace vesk
