// Regions: combining, rounding, moving and handing out as rectangles.
#include "Win.Regions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every pixel of a 12 x 12 area that the region holds, row by row.
std::vector<TPoint> Pixels(HRGN ARegion)
{
    std::vector<TPoint> Inside;
    for (int Y = -1; Y < 12; ++Y)
        for (int X = -1; X < 12; ++X)
            if (PtInRegion(ARegion, X, Y))
                Inside.push_back(Point(X, Y));
    return Inside;
}

struct TCombineCase {
    const char* Name;
    int Mode;
    int ExpectedKind;
    std::vector<TRect> Expected;
};

class RegionCombineTest : public ::testing::TestWithParam<TCombineCase> {};

// Two overlapping squares, (0,0)-(6,6) and (3,3)-(9,9).
TEST_P(RegionCombineTest, GivesTheBandedRectanglesOfTheResult)
{
    const TCombineCase& C = GetParam();
    HRGN A = CreateRectRgn(0, 0, 6, 6), B = CreateRectRgn(3, 3, 9, 9), Result = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(Result, A, B, C.Mode), C.ExpectedKind);
    EXPECT_EQ(RegionRects(Result), C.Expected);
    // The rectangles hold exactly the pixels the region answers for.
    HRGN Rebuilt = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& R : C.Expected) {
        HRGN Piece = CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom);
        CombineRgn(Rebuilt, Rebuilt, Piece, RGN_OR);
        DeleteObject(Piece);
    }
    EXPECT_EQ(Pixels(Rebuilt), Pixels(Result));
    EXPECT_TRUE(EqualRgn(Rebuilt, Result));
    for (HRGN R : {A, B, Result, Rebuilt})
        EXPECT_TRUE(DeleteObject(R));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RegionCombineTest,
    ::testing::Values(
        TCombineCase{"And", RGN_AND, SIMPLEREGION, {Rect(3, 3, 6, 6)}},
        TCombineCase{"Or", RGN_OR, COMPLEXREGION, {Rect(0, 0, 6, 3), Rect(0, 3, 9, 6), Rect(3, 6, 9, 9)}},
        TCombineCase{"Xor", RGN_XOR, COMPLEXREGION,
                     {Rect(0, 0, 6, 3), Rect(0, 3, 3, 6), Rect(6, 3, 9, 6), Rect(3, 6, 9, 9)}},
        TCombineCase{"Diff", RGN_DIFF, COMPLEXREGION, {Rect(0, 0, 6, 3), Rect(0, 3, 3, 6)}},
        TCombineCase{"Copy", RGN_COPY, SIMPLEREGION, {Rect(0, 0, 6, 6)}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(RegionTest, ARoundRectangleIsSymmetricAndCutAtItsCorners)
{
    HRGN Round = CreateRoundRectRgn(0, 0, 12, 10, 6, 6);
    TRect Box;
    EXPECT_EQ(GetRgnBox(Round, Box), COMPLEXREGION);
    EXPECT_EQ(Box, Rect(0, 0, 12, 10));
    for (TPoint Corner : {Point(0, 0), Point(11, 0), Point(0, 9), Point(11, 9)})
        EXPECT_FALSE(PtInRegion(Round, Corner.X, Corner.Y)) << Corner.X << "," << Corner.Y;
    EXPECT_TRUE(PtInRegion(Round, 6, 0));
    EXPECT_TRUE(PtInRegion(Round, 0, 5));
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 12; ++X)
            EXPECT_EQ(PtInRegion(Round, X, Y), PtInRegion(Round, 11 - X, 9 - Y)) << X << "," << Y;
    DeleteObject(Round);
}

TEST(RegionTest, MovingEmptyAndStaleRegions)
{
    HRGN Region = CreateRectRgn(6, 6, 2, 2);   // corners in any order
    EXPECT_EQ(OffsetRgn(Region, 10, -2), SIMPLEREGION);
    EXPECT_EQ(RegionRects(Region), std::vector<TRect>{Rect(12, 0, 16, 4)});
    HRGN Empty = CreateRectRgn(3, 3, 3, 9);
    TRect Box = Rect(1, 1, 1, 1);
    EXPECT_EQ(GetRgnBox(Empty, Box), NULLREGION);
    EXPECT_EQ(Box, TRect{});
    EXPECT_EQ(CombineRgn(Region, Region, Region, RGN_DIFF), NULLREGION);
    EXPECT_TRUE(DeleteObject(Region));
    // A freed handle is refused, not followed.
    EXPECT_FALSE(DeleteObject(Region));
    EXPECT_EQ(CombineRgn(Empty, Region, Empty, RGN_OR), ERROR);
    EXPECT_EQ(OffsetRgn(Region, 1, 1), ERROR);
    EXPECT_FALSE(PtInRegion(nullptr, 0, 0));
    DeleteObject(Empty);
}

}  // namespace
