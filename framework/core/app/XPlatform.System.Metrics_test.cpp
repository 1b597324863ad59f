// The screen metrics record at several logical DPIs of the headless display.
#include "XPlatform.System.Metrics.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"

namespace {

class ScreenMetricsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(HeadlessDisplay(), nullptr); }
    void TearDown() override
    {
        HeadlessDisplay()->Reset();
        ReadScreenMetrics();
    }
    static const TXScreenMetrics& ReadAt(TXDpi ADpi)
    {
        HeadlessDisplay()->SetLogicalDpi(ADpi);
        ReadScreenMetrics();
        return ScreenMetrics();
    }
};

TEST_F(ScreenMetricsTest, At96DpiEveryPreScaledValueIsItself)
{
    const TXScreenMetrics& M = ReadAt({96, 96});
    EXPECT_EQ(M.PixelsPerInchY, 96);
    const int Values[] = {M.Px1, M.Px9, M.Px21, M.Px23, M.Px32, M.Px75, M.Px100};
    const int Expected[] = {1, 9, 21, 23, 32, 75, 100};
    for (size_t I = 0; I < std::size(Values); ++I)
        EXPECT_EQ(Values[I], Expected[I]) << I;
    EXPECT_EQ(M.CXIcon, 32);
    EXPECT_EQ(M.CXSizeFrame, M.CXFrame);
}

TEST_F(ScreenMetricsTest, ValuesFollowTheVerticalDpiRoundingHalvesUp)
{
    const TXScreenMetrics& M = ReadAt({96, 144});
    EXPECT_EQ(M.PixelsPerInchX, 96);
    EXPECT_EQ(M.PixelsPerInchY, 144);
    struct TCase {
        int Actual;
        int Expected;
    } const kCases[] = {
        {M.Px1, 2}, {M.Px3, 5}, {M.Px21, 32}, {M.Px23, 35}, {M.Px75, 113}, {M.Px100, 150},
        {ScaleToScreenDpi(7), 11}, {ScaleToScreenDpi(0), 0}, {ScaleToScreenDpi(-3), -5},
        // System metrics: widths follow the horizontal DPI, heights the vertical, borders neither.
        {M.CXIcon, 32}, {M.CYIcon, 48}, {M.CYCaption, 29}, {M.CXBorder, 1}, {M.CYBorder, 1},
    };
    for (size_t I = 0; I < std::size(kCases); ++I)
        EXPECT_EQ(kCases[I].Actual, kCases[I].Expected) << "case " << I;
}

TEST_F(ScreenMetricsTest, TheRecordIsReadOnceUntilReadAgain)
{
    ReadAt({120, 120});
    HeadlessDisplay()->SetLogicalDpi({192, 192});
    EXPECT_EQ(ScreenMetrics().Px10, 13);
    EXPECT_EQ(ScaleToScreenDpi(10), 13);
}

}  // namespace
