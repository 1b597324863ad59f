#include "Win.Graphics.h"

#include <gtest/gtest.h>

TEST(WinGraphicsTest, SystemColoursCanBeReplacedAndUnknownIndicesAreBlack)
{
    TColor Old = GetSysColor(COLOR_BTNFACE);
    SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0x030201);
    SetSysColor(COLOR_BTNFACE, Old);
    EXPECT_EQ(GetSysColor(-1), 0);
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR + 1), 0);
    EXPECT_EQ(GetRValue(RGB(10, 20, 30)), 10);
    EXPECT_EQ(GetBValue(RGB(10, 20, 30)), 30);
}
