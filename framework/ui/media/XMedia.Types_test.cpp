// Fit arithmetic, rectangle helpers and the published enumerations.
#include "XMedia.Types.h"

#include <gtest/gtest.h>

namespace {

struct TFitCase {
    const char* Name;
    void (*Fit)(int32_t&, int32_t&, int32_t, int32_t, int32_t, int32_t);
    int32_t W, H, MaxW, MaxH;
    int32_t ExpectedW, ExpectedH;
};

const TFitCase kFitCases[] = {
    {"ShrinkWide", ShrinkToFit, 400, 300, 200, 200, 200, 150},
    {"ShrinkTall", ShrinkToFit, 300, 400, 200, 200, 150, 200},
    {"ShrinkFitsAlready", ShrinkToFit, 100, 50, 200, 200, 100, 50},
    {"ShrinkZeroWidth", ShrinkToFit, 0, 500, 200, 200, 0, 500},
    {"ShrinkNegativeHeight", ShrinkToFit, 500, -5, 200, 200, 500, -5},
    {"ShrinkRoundsHalfToEven", ShrinkToFit, 400, 5, 100, 100, 100, 1},   // 1.25 -> 1
    // 100000 * 30000 passes 2^31; the height must not come out wrapped.
    {"ShrinkHugeProduct", ShrinkToFit, 100000, 60000, 30000, 30000, 30000, 18000},
    {"StretchSmall", StretchToFit, 100, 50, 200, 200, 200, 100},
    {"StretchThenShrink", StretchToFit, 100, 80, 200, 100, 125, 100},
    {"StretchTooTall", StretchToFit, 100, 300, 200, 200, 67, 200},
    {"StretchZeroWidth", StretchToFit, 0, 10, 200, 200, 0, 10},
};

class FitTest : public ::testing::TestWithParam<TFitCase> {};

TEST_P(FitTest, FitsIntoTheBox)
{
    const TFitCase& C = GetParam();
    int32_t W = -1, H = -1;
    C.Fit(W, H, C.W, C.H, C.MaxW, C.MaxH);
    EXPECT_EQ(W, C.ExpectedW);
    EXPECT_EQ(H, C.ExpectedH);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FitTest, ::testing::ValuesIn(kFitCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(MediaTypesTest, ScaleProportionalRoundsHalvesToEven)
{
    struct {
        int32_t A, B, C, Expected;
    } const kCases[] = {{3, 2, 5, 8}, {5, 2, 1, 2}, {0, 2, 5, 0}, {3, 0, 5, 0}, {3, 2, 0, 0}, {-3, 2, 5, -8},
                        {60000, 3, 60000, 1200000000}};
    for (const auto& C : kCases) {
        int32_t R = -1;
        ScaleProportional(R, C.A, C.B, C.C);
        EXPECT_EQ(R, C.Expected) << C.A << " * " << C.C << " / " << C.B;
    }
}

TEST(MediaTypesTest, IntersectRectsNeedsACommonPixel)
{
    TRect R = Rect(1, 1, 1, 1);
    EXPECT_FALSE(IntersectRects(R, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));   // edges touch
    EXPECT_EQ(R, MakeEmptyRect());
    EXPECT_TRUE(IntersectRects(R, Rect(0, 0, 10, 10), Rect(5, -5, 20, 6)));
    EXPECT_EQ(R, Rect(5, 0, 10, 6));
}

TEST(MediaTypesTest, RectHelpers)
{
    EXPECT_EQ(RectAroundPoint(Point(10, 10), 2, 3), Rect(8, 7, 13, 14));
    EXPECT_EQ(RectPointAt(Rect(3, 4, 9, 9), 1, 2), Point(4, 6));
    EXPECT_EQ(MoveRect(Rect(1, 2, 3, 4), 10, -1), Rect(11, 1, 13, 3));
    EXPECT_EQ(RectAtOrigin(Rect(5, 6, 15, 26)), Rect(0, 0, 10, 20));
    EXPECT_EQ(GrowRect(Rect(5, 5, 10, 10), 2, -1), Rect(3, 6, 12, 9));
    EXPECT_EQ(GetRectHeight(Rect(0, 3, 0, 10)), 7);
    EXPECT_TRUE(IsPointInRect(0, 0, Rect(0, 0, 2, 2)));
    EXPECT_FALSE(IsPointInRect(2, 1, Rect(0, 0, 2, 2)));
    EXPECT_FALSE(IsPointInRect(1, 2, Rect(0, 0, 2, 2)));
    EXPECT_TRUE(RectIsEmpty(Rect(0, 0, 0, 5)));
    EXPECT_TRUE(RectIsEmpty(Rect(0, 5, 5, 0)));
    EXPECT_FALSE(RectIsEmpty(Rect(0, 0, 1, 1)));
    EXPECT_TRUE(SameRect(Rect(1, 2, 3, 4), Rect(1, 2, 3, 4)));
    EXPECT_FALSE(SameRect(Rect(1, 2, 3, 4), Rect(1, 2, 3, 5)));
}

TEST(MediaTypesTest, SizeIsEmptyWhenEitherSideIsZero)
{
    TXSize S = TXSize::Create(5, 0);
    EXPECT_TRUE(S.IsEmpty());
    S = TXSize::Create(5, 7);
    EXPECT_FALSE(S.IsEmpty());
    S.Clear();
    EXPECT_EQ(S, TXSize::Create(0, 0));
}

TEST(MediaTypesTest, EnumerationsAreStoredByName)
{
    EXPECT_EQ(GetEnumName(TypeInfo<TXImagePosition>(), ipDownScaledCenter), "ipDownScaledCenter");
    EXPECT_EQ(int(ipDownScaledCenter), 10);
    EXPECT_EQ(GetEnumValue(TypeInfo<TXZoomType>(), "zoFit"), zoFit);
    EXPECT_EQ(GetEnumName(TypeInfo<TXEllipsis>(), xepWordEllipsis), "xepWordEllipsis");
    EXPECT_EQ(GetEnumName(TypeInfo<TXThnSize>(), thnLarge), "thnLarge");
}

}  // namespace
