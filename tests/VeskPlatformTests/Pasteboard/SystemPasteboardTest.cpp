#include "PasteboardChecks.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMimeData>

using namespace vesk;
using namespace vesk::test;

TEST(SystemPasteboardTest, CountsChangesAndReadsEachKindOfContent) {
    checkChangeCountAndContents();
}

TEST(SystemPasteboardTest, TheSelectionIsCountedApart) {
    SystemPasteboard clipboard(QClipboard::Clipboard);
    SystemPasteboard selection(QClipboard::Selection);
    const qint64 start = clipboard.changeCount();
    if (!QGuiApplication::clipboard()->supportsSelection()) {
        selection.setString(QStringLiteral("x"));
        EXPECT_EQ(clipboard.changeCount(), start);
        return;
    }
    selection.setString(QStringLiteral("selected"));
    EXPECT_EQ(clipboard.changeCount(), start);
    EXPECT_EQ(selection.string(), "selected");
}
