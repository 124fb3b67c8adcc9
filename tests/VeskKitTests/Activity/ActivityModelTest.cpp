#include "VeskKit/Activity/ActivityPayload.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace vesk;

namespace {

struct KindRow {
    ActivityKind kind;
    const char* raw;
    const char* displayName;
    const char* symbol;
};

const KindRow kindTable[] = {
    {ActivityKind::sound, "sound", "Sound", "speaker.wave.2.fill"},
    {ActivityKind::display, "display", "Display", "sun.max.fill"},
    {ActivityKind::keyboardBacklight, "keyboardBacklight", "Keyboard Backlight", "keyboard.fill"},
    {ActivityKind::nowPlaying, "nowPlaying", "Now Playing", "music.note"},
    {ActivityKind::battery, "battery", "Battery", "bolt.fill"},
    {ActivityKind::connectivity, "connectivity", "Connectivity", "airpods.gen3"},
    {ActivityKind::focus, "focus", "Focus", "moon.fill"},
    {ActivityKind::calendar, "calendar", "Calendar", "calendar"},
    {ActivityKind::fileTray, "fileTray", "File Tray", "tray.fill"},
    {ActivityKind::timerEnded, "timerEnded", "Timer Ended", "timer"},
    {ActivityKind::update, "update", "New Update", "arrow.down.circle"},
    {ActivityKind::download, "download", "Download", "arrow.down.doc"},
    {ActivityKind::screenshot, "screenshot", "Screenshot", "camera.viewfinder"},
    {ActivityKind::weather, "weather", "Weather", "cloud.sun.fill"},
    {ActivityKind::idleLock, "idleLock", "Idle & Lock", "lock.fill"},
};

ActivityPayload samplePayload() {
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = ActivityKind::sound,
        .priority = ActivityPriority::interrupt,
        .dedupeKey = QStringLiteral("sound"),
        .leading = ActivityGlyph::symbol(QStringLiteral("speaker.wave.2.fill")),
        .title = QStringLiteral("Volume"),
        .subtitle = std::nullopt,
        .trailing = ActivityTrailing::bar(0.5),
        .duration = 1.5,
        .interaction = ActivityInteraction::openDesk(DeskTab::desk),
        .createdAt = Date{1000.0},
    };
}

} // namespace

TEST(ActivityModelTest, KindsMatchTheCatalogueInDeclarationOrder) {
    const auto cases = allCases<ActivityKind>();
    ASSERT_EQ(cases.size(), std::size(kindTable));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const KindRow& row = kindTable[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(cases[i], row.kind);
        EXPECT_EQ(toRaw(row.kind), QString::fromUtf8(row.raw));
        EXPECT_EQ(fromRaw<ActivityKind>(QString::fromUtf8(row.raw)), row.kind);
        EXPECT_EQ(displayName(row.kind), QString::fromUtf8(row.displayName));
        EXPECT_EQ(symbol(row.kind), QString::fromUtf8(row.symbol));
    }
}

TEST(ActivityModelTest, RawValuesAreExactCaseNames) {
    EXPECT_FALSE(fromRaw<ActivityKind>(u"Sound"));
    EXPECT_FALSE(fromRaw<ActivityKind>(u""));
    EXPECT_FALSE(fromRaw<ActivityKind>(u"idlelock"));
    EXPECT_EQ(fromRaw<ActivityKind>(u"idleLock"), ActivityKind::idleLock);

    const auto tints = allCases<TintName>();
    const char* tintRaw[] = {"brass", "sage", "amber", "oxblood", "slate", "stone"};
    ASSERT_EQ(tints.size(), std::size(tintRaw));
    for (std::size_t i = 0; i < tints.size(); ++i) {
        EXPECT_EQ(toRaw(tints[i]), QString::fromUtf8(tintRaw[i]));
        EXPECT_EQ(fromRaw<TintName>(QString::fromUtf8(tintRaw[i])), tints[i]);
    }
    EXPECT_FALSE(fromRaw<TintName>(u"Brass"));
}

TEST(ActivityModelTest, PrioritiesOrderAndEncodeByRawValue) {
    EXPECT_GT(ActivityPriority::interrupt, ActivityPriority::queued);
    EXPECT_GT(ActivityPriority::queued, ActivityPriority::ambient);
    EXPECT_LE(ActivityPriority::ambient, ActivityPriority::ambient);
    EXPECT_EQ(toRaw(ActivityPriority::ambient), 0);
    EXPECT_EQ(toRaw(ActivityPriority::queued), 1);
    EXPECT_EQ(toRaw(ActivityPriority::interrupt), 2);
    EXPECT_EQ(activityPriorityFromRaw(1), ActivityPriority::queued);
    EXPECT_FALSE(activityPriorityFromRaw(3));
    EXPECT_FALSE(activityPriorityFromRaw(-1));
}

TEST(ActivityModelTest, PayloadEqualityIncludesIdentityAndCreationDate) {
    const ActivityPayload a = samplePayload();
    const ActivityPayload copy = a;
    EXPECT_EQ(copy, a);

    ActivityPayload sameFieldsNewId = a;
    sameFieldsNewId.id = QUuid::createUuid();
    EXPECT_NE(sameFieldsNewId, a);

    ActivityPayload later = a;
    later.createdAt = a.createdAt + 1;
    EXPECT_NE(later, a);

    ActivityPayload noInteraction = a;
    noInteraction.interaction.reset();
    EXPECT_NE(noInteraction, a);
}

TEST(ActivityModelTest, GlyphCasesCompareWithTheirValues) {
    EXPECT_NE(ActivityGlyph::artwork(std::nullopt), ActivityGlyph::artwork(QByteArray()));
    EXPECT_NE(ActivityGlyph::artwork(std::nullopt), ActivityGlyph::none());
    EXPECT_NE(ActivityGlyph::artwork(QByteArray()), ActivityGlyph::none());
    EXPECT_EQ(ActivityGlyph::artwork(QByteArray("png")), ActivityGlyph::artwork(QByteArray("png")));
    EXPECT_NE(ActivityGlyph::artwork(QByteArray("png")), ActivityGlyph::artwork(QByteArray("jpg")));
    EXPECT_EQ(ActivityGlyph(), ActivityGlyph::none());

    const auto tinted = ActivityGlyph::symbolTinted(QStringLiteral("moon.fill"), TintName::slate);
    EXPECT_EQ(tinted.kind(), ActivityGlyph::Kind::symbolTinted);
    EXPECT_EQ(tinted.symbolName(), QStringLiteral("moon.fill"));
    EXPECT_EQ(tinted.tint(), TintName::slate);
    EXPECT_NE(tinted, ActivityGlyph::symbol(QStringLiteral("moon.fill")));
    EXPECT_NE(tinted, ActivityGlyph::symbolTinted(QStringLiteral("moon.fill"), TintName::brass));
    EXPECT_DOUBLE_EQ(ActivityGlyph::progressRing(0.25).progress(), 0.25);
    EXPECT_NE(ActivityGlyph::progressRing(0.25), ActivityGlyph::progressRing(0.5));
}

TEST(ActivityModelTest, TrailingAndInteractionCasesCompareWithTheirValues) {
    EXPECT_NE(ActivityTrailing::bar(0.5), ActivityTrailing::percent(0.5));
    EXPECT_EQ(ActivityTrailing::percent(0.5).value(), 0.5);
    EXPECT_NE(ActivityTrailing::waveform(true), ActivityTrailing::waveform(false));
    EXPECT_TRUE(ActivityTrailing::waveform(true).isPlaying());
    EXPECT_EQ(ActivityTrailing::text(QStringLiteral("On")).text(), QStringLiteral("On"));
    EXPECT_EQ(ActivityTrailing(), ActivityTrailing::none());

    EXPECT_NE(ActivityInteraction::openDesk(DeskTab::desk), ActivityInteraction::openDesk(DeskTab::tray));
    EXPECT_EQ(ActivityInteraction::openDesk(DeskTab::tray).tab(), DeskTab::tray);
    const QUrl url(QStringLiteral("https://example.org/meet"));
    EXPECT_EQ(ActivityInteraction::openURL(url).url(), url);
    EXPECT_NE(ActivityInteraction::runCommand(QStringLiteral("x")),
              ActivityInteraction::openURL(QUrl(QStringLiteral("x"))));
}

TEST(ActivityModelTest, KindsWorkAsSetMembers) {
    QSet<ActivityKind> kinds{ActivityKind::sound, ActivityKind::display, ActivityKind::sound};
    EXPECT_EQ(kinds.size(), 2);
    EXPECT_TRUE(kinds.contains(ActivityKind::display));
    EXPECT_FALSE(kinds.contains(ActivityKind::focus));
}
