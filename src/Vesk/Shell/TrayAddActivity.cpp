#include "Vesk/Shell/TrayAddActivity.h"

#include "VeskServices/Tray/TrayItem.h"

namespace vesk {

ActivityPayload trayAddActivity(const QList<TrayItem>& items, Date now) {
    const bool single = items.size() == 1;
    const QString count = QString::number(items.size());
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = ActivityKind::fileTray,
        .priority = ActivityPriority::queued,
        .dedupeKey = QStringLiteral("tray-add"),
        .leading = ActivityGlyph::symbol(QStringLiteral("tray.and.arrow.down.fill")),
        .title = single ? items.first().displayName : count + QStringLiteral(" files added"),
        .subtitle = single ? std::optional<QString>(items.first().formattedSize()) : std::nullopt,
        .trailing = items.size() >= 2 ? ActivityTrailing::text(count) : ActivityTrailing::none(),
        .duration = 4.0,
        .interaction = ActivityInteraction::openDesk(DeskTab::tray),
        .createdAt = now,
    };
}

namespace {

// A name long enough to crowd the reason out keeps its start and its end.
QString shownName(const QString& name) {
    constexpr qsizetype most = 40;
    if (name.size() <= most) return name;
    qsizetype head = most / 2 - 1;
    qsizetype tail = most / 2;
    if (name.at(head - 1).isHighSurrogate()) --head;
    if (name.at(name.size() - tail).isLowSurrogate()) --tail;
    return name.left(head) + QChar(0x2026) + name.right(tail);
}

ActivityPayload trayFailedActivity(const QString& title, const QString& reason, const QString& dedupeKey,
                                   Date now) {
    QString why = reason.trimmed();
    if (!why.isEmpty()) why[0] = why[0].toUpper();
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = ActivityKind::fileTray,
        .priority = ActivityPriority::queued,
        .dedupeKey = dedupeKey,
        .leading = ActivityGlyph::symbol(QStringLiteral("exclamationmark.triangle.fill")),
        .title = title,
        .subtitle = why.isEmpty() ? std::nullopt : std::optional<QString>(why),
        .trailing = ActivityTrailing::none(),
        .duration = 6.0,
        .interaction = std::nullopt,
        .createdAt = now,
    };
}

} // namespace

ActivityPayload trayAddFailedActivity(const QString& displayName, const QString& reason, Date now) {
    return trayFailedActivity(QStringLiteral("Couldn't add ") + shownName(displayName), reason,
                              QStringLiteral("tray-add-failed"), now);
}

ActivityPayload trayRemoveFailedActivity(const QString& displayName, const QString& reason, Date now) {
    return trayFailedActivity(QStringLiteral("Couldn't remove ") + shownName(displayName), reason,
                              QStringLiteral("tray-remove-failed"), now);
}

QString trayFailureLine(const ActivityPayload& payload) {
    return payload.title.value_or(QString()) +
           (payload.subtitle ? QStringLiteral(": ") + *payload.subtitle : QString());
}

} // namespace vesk
