#include "Vesk/Shell/TrayAddActivity.h"

#include "VeskServices/Tray/TrayItem.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TrayItem item(const QString& name, qint64 size) {
    TrayItem result;
    result.id = QUuid::createUuid();
    result.displayName = name;
    result.byteSize = size;
    return result;
}

TEST(TrayAddActivityTest, TitleSubtitleAndTrailingFollowTheCount) {
    const TrayItem report = item(QStringLiteral("Report.pdf"), 2'400'000);
    struct Row {
        QList<TrayItem> items;
        QString title;
        std::optional<QString> subtitle;
        ActivityTrailing trailing;
    };
    const QList<Row> rows = {
        {{report}, QStringLiteral("Report.pdf"), report.formattedSize(), ActivityTrailing::none()},
        {{report, item(QStringLiteral("a.png"), 1), item(QStringLiteral("b.png"), 2)},
         QStringLiteral("3 files added"),
         std::nullopt,
         ActivityTrailing::text(QStringLiteral("3"))},
        {{}, QStringLiteral("0 files added"), std::nullopt, ActivityTrailing::none()},
    };
    const Date now{800000123};
    for (const Row& row : rows) {
        const ActivityPayload payload = trayAddActivity(row.items, now);
        SCOPED_TRACE(row.title.toStdString());
        EXPECT_EQ(payload.title, row.title);
        EXPECT_EQ(payload.subtitle, row.subtitle);
        EXPECT_EQ(payload.trailing, row.trailing);
        EXPECT_EQ(payload.kind, ActivityKind::fileTray);
        EXPECT_EQ(payload.priority, ActivityPriority::queued);
        EXPECT_EQ(payload.dedupeKey, QStringLiteral("tray-add"));
        EXPECT_EQ(payload.leading, ActivityGlyph::symbol(QStringLiteral("tray.and.arrow.down.fill")));
        EXPECT_EQ(payload.duration, 4.0);
        EXPECT_EQ(payload.interaction, ActivityInteraction::openDesk(DeskTab::tray));
        EXPECT_EQ(payload.createdAt, now);
    }
    EXPECT_FALSE(report.formattedSize().isEmpty());
}

} // namespace
} // namespace vesk
