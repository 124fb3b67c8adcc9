#include "PasteboardChecks.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

using namespace vesk::test;

TEST(SystemPasteboardX11Test, CountsChangesAndReadsEachKindOfContentOnTheXServer) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    checkChangeCountAndContents();
}
