#include "VeskKit/Widgets/DeskLayout.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(WidgetIDTest, CatalogueInDeclarationOrder) {
    struct Row {
        WidgetID id;
        const char* raw;
        const char* displayName;
        const char* symbol;
        int defaultCells, minCells, maxCells;
        double preferredHeight;
    };
    const Row rows[] = {
        {WidgetID::media, "media", "Media Player", "music.note", 5, 4, 8, 146},
        {WidgetID::calendar, "calendar", "Calendar", "calendar", 5, 3, 8, 146},
        {WidgetID::todos, "todos", "To-dos", "checklist", 4, 3, 8, 146},
        {WidgetID::timer, "timer", "Timer", "timer", 4, 2, 8, 146},
        {WidgetID::notes, "notes", "Notes", "note.text", 5, 3, 8, 146},
        {WidgetID::shortcuts, "shortcuts", "Shortcuts", "sparkles", 4, 2, 8, 146},
        {WidgetID::mirror, "mirror", "Mirror", "person.crop.circle", 2, 2, 8, 120},
        {WidgetID::quickApps, "quickApps", "Quick Apps", "square.grid.2x2", 4, 2, 8, 140},
        {WidgetID::weather, "weather", "Weather", "cloud.sun", 3, 2, 8, 120},
        {WidgetID::clipboard, "clipboard", "Clipboard", "doc.on.clipboard", 5, 3, 8, 146},
        {WidgetID::audioDevice, "audioDevice", "Sound Output", "speaker.wave.2", 4, 2, 8, 140},
    };
    const auto cases = allCases<WidgetID>();
    ASSERT_EQ(cases.size(), std::size(rows));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(cases[i], row.id);
        EXPECT_EQ(id(row.id), QString::fromUtf8(row.raw));
        EXPECT_EQ(fromRaw<WidgetID>(QString::fromUtf8(row.raw)), row.id);
        EXPECT_EQ(displayName(row.id), QString::fromUtf8(row.displayName));
        EXPECT_EQ(symbol(row.id), QString::fromUtf8(row.symbol));
        EXPECT_EQ(defaultCells(row.id), row.defaultCells);
        EXPECT_EQ(minCells(row.id), row.minCells);
        EXPECT_EQ(maxCells(row.id), row.maxCells);
        EXPECT_EQ(preferredHeight(row.id), row.preferredHeight);
    }
    EXPECT_FALSE(fromRaw<WidgetID>(u"Media"));
    EXPECT_FALSE(fromRaw<WidgetID>(u"quickapps"));
}
