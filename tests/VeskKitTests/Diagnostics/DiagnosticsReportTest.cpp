#include "VeskKit/Diagnostics/DiagnosticsReport.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

DiagnosticsReport::Facts laptopFacts() {
    DiagnosticsReport::Facts facts;
    facts.version = QStringLiteral("1.0.0");
    facts.build = QStringLiteral("42");
    facts.osName = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    facts.model = QStringLiteral("ThinkPad X1");
    facts.profile = BuildProfile(false);
    facts.screens = {{QStringLiteral("eDP-1"), QStringLiteral("1920 × 1200"), QStringLiteral("200 × 32")},
                     {QStringLiteral("HDMI-A-1"), QStringLiteral("2560 × 1440"), QStringLiteral("none")}};
    facts.permissions = {{QStringLiteral("Accessibility"), QStringLiteral("granted")},
                         {QStringLiteral("Input Monitoring"), QStringLiteral("denied")}};
    facts.services = {{QStringLiteral("Audio"), QStringLiteral("running")},
                      {QStringLiteral("Keyboard backlight"), QStringLiteral("unavailable")}};
    facts.syncSummary = QStringLiteral("Synced 5 min ago");
    facts.widgetCount = 4;
    facts.trayCount = 2;
    facts.clipCount = 17;
    facts.todoCount = 3;
    facts.logTail = {QStringLiteral("09:04:58  brightness source = unavailable, kbBacklight = false"),
                     QStringLiteral("09:04:59  media playing=true")};
    facts.generatedAt = *Date::fromIso8601(QStringLiteral("2026-01-31T09:05:00Z"));
    return facts;
}

const char* const directGolden = R"(Vesk diagnostics
Generated 2026-01-31T09:05:00Z

Vesk
────
  Version  1.0.0 (42)
  Build    Direct
  OS       Debian GNU/Linux 12 (bookworm)
  Model    ThinkPad X1

Displays
────────
  eDP-1     1920 × 1200, notch 200 × 32
  HDMI-A-1  2560 × 1440, notch none

Permissions
───────────
  Accessibility     granted
  Input Monitoring  denied

Services
────────
  Audio               running
  Keyboard backlight  unavailable

Sync
────
  Status  Synced 5 min ago

Content
───────
  Widgets enabled     4
  Items on the shelf  2
  Clipboard entries   17
  To-dos              3

Deliberately not included
─────────────────────────
  · to-do and note text
  · clipboard contents
  · file names in the shelf
  · what's playing
  · your location
  · calendar event titles

Recent log
──────────
  09:04:58  brightness source = unavailable, kbBacklight = false
  09:04:59  media playing=true
)";

} // namespace

TEST(DiagnosticsReportTest, DirectBuildFormatsToTheGoldenText) {
    const DiagnosticsReport report = DiagnosticsReport::make(laptopFacts());
    EXPECT_EQ(report.formatted(), QString::fromUtf8(directGolden));
}

TEST(DiagnosticsReportTest, SandboxedBuildListsWhatItLacksAndEndsWithTheRedactionsWithoutALog) {
    DiagnosticsReport::Facts facts = laptopFacts();
    facts.profile = BuildProfile(true);
    facts.screens.clear();
    facts.logTail.clear();
    const QString text = DiagnosticsReport::make(facts).formatted();
    EXPECT_TRUE(text.contains(u"  Build    Flatpak (sandboxed)\n"_qs));
    EXPECT_TRUE(text.contains(u"\nDisplays\n────────\n\nPermissions\n"_qs));
    EXPECT_TRUE(text.contains(u"  To-dos              3\n\n"
                              "Unavailable in this build\n─────────────────────────\n"
                              "  HUD suppression   —\n  Focus identity    —\n  Shortcut listing  —\n"
                              "  Live waveform     —\n  Idle surface      —\n\n"
                              "Deliberately not included\n"_qs))
        << qPrintable(text);
    EXPECT_TRUE(text.endsWith(u"  · calendar event titles\n"_qs)) << "no log section";
}

// Padding counts what a reader sees as one character, so a label written with a
// combining accent lines up with its neighbours.
TEST(DiagnosticsReportTest, LabelsArePaddedByVisibleCharacters) {
    DiagnosticsReport report;
    report.generatedAt = Date{0};
    report.sections = {{QStringLiteral("Sync"),
                        {{QStringLiteral("a"), QStringLiteral("1")},
                         {QStringLiteral("abc"), QStringLiteral("2")},
                         {QString::fromUtf8("Came\u0301ra"), QStringLiteral("3")}}}};
    const QString text = report.formatted();
    EXPECT_TRUE(
        text.contains(QString::fromUtf8("\nSync\n────\n  a       1\n  abc     2\n  Came\u0301ra  3\n")))
        << qPrintable(text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Vesk diagnostics\nGenerated 2001-01-01T00:00:00Z\n")));
}
