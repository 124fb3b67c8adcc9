#include "VeskPlatform/Screens/Screens.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace vesk;

TEST(ScreensTest, Crc32MatchesTheStandardCheckValue) {
    EXPECT_EQ(screens::crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(screens::crc32(""), 0u);
}

TEST(ScreensTest, DisplayIDIsStableAcrossRunsAndDistinguishesOutputs) {
    // Pinned (the value zlib gives for the fields joined by 0x1F): ids are stored per
    // display, so the value must never change between runs or releases.
    EXPECT_EQ(screens::displayID(u"eDP-1"_qs, u"BOE"_qs, u"0x0BCA"_qs, u""_qs), 0xFD1C81FEu);

    // Two identical monitors differ by connector; the same monitor differs by serial.
    EXPECT_NE(screens::displayID(u"DP-1"_qs, u"DEL"_qs, u"U2720Q"_qs, u"ABC"_qs),
              screens::displayID(u"DP-2"_qs, u"DEL"_qs, u"U2720Q"_qs, u"ABC"_qs));
    EXPECT_NE(screens::displayID(u"DP-1"_qs, u"DEL"_qs, u"U2720Q"_qs, u"ABC"_qs),
              screens::displayID(u"DP-1"_qs, u"DEL"_qs, u"U2720Q"_qs, u"ABD"_qs));
    // Field boundaries count: moving a character from one field to the next is another output.
    EXPECT_NE(screens::displayID(u"AB"_qs, u"C"_qs, u""_qs, u""_qs),
              screens::displayID(u"A"_qs, u"BC"_qs, u""_qs, u""_qs));
}

TEST(ScreensTest, DescribesAQtScreenWithoutACameraHousing) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const ScreenDescription d = screens::describe(*screen);
    EXPECT_EQ(d.displayID, screens::displayID(*screen));
    EXPECT_NE(d.displayID, 0u);
    EXPECT_EQ(d.visibleFrame, QRectF(screen->availableGeometry()));
    EXPECT_EQ(d.safeAreaTopInset, 0);
    EXPECT_FALSE(d.auxiliaryTopLeftArea);
    EXPECT_FALSE(d.auxiliaryTopRightArea);
    EXPECT_GE(d.maximumFramesPerSecond, 1);
    ASSERT_FALSE(screens::all().isEmpty());
    EXPECT_EQ(screens::all().first(), screen);
}
