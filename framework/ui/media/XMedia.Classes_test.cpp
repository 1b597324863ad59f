// The Lanczos kernel, weight maps built from it, and the pixel maps' sizing and assignment.
#include "XMedia.Classes.h"

#include <gtest/gtest.h>

namespace {

// A kernel without a sizable radius, to show what the base class keeps.
class TBoxKernel : public TXFilterKernel {
    X_CLASS(TBoxKernel, TXFilterKernel)
public:
    float Value(float AX) const override { return AX > -0.5f && AX <= 0.5f ? 1.0f : 0.0f; }

protected:
    TBoxKernel() = default;
};

TEST(FilterKernelTest, LanczosValues)
{
    TOwned<TXLanczosKernel> K = Owned(TXLanczosKernel::Create());
    EXPECT_EQ(K->Radius(), 3);
    EXPECT_EQ(K->Value(0), 1);
    for (float X : {1.0f, 2.0f, -1.0f}) {
        EXPECT_NE(K->Value(X), 0) << X;   // pi is a single, so the zero crossings are missed
        EXPECT_NEAR(K->Value(X), 0, 1e-6) << X;
    }
    EXPECT_EQ(K->Value(3), 0);
    EXPECT_EQ(K->Value(-7.5f), 0);
    EXPECT_EQ(K->Value(-0.5f), K->Value(0.5f));
    EXPECT_NEAR(K->Value(0.5f), 0.6079f, 1e-4);
}

TEST(FilterKernelTest, SetRadiusLimitsTheSizableKernels)
{
    struct {
        float Given, Stored;
    } const kCases[] = {{10, 4}, {4, 4}, {0, 1}, {2, 2}, {0.25f, 0.25f}, {-2, -2}};
    TOwned<TXLanczosKernel> K = Owned(TXLanczosKernel::Create());
    for (const auto& C : kCases) {
        K->SetRadius(C.Given);
        EXPECT_EQ(K->Radius(), C.Stored) << C.Given;
    }
    K->Clear();
    EXPECT_EQ(K->Radius(), 3);
}

TEST(FilterKernelTest, AssignmentCarriesTheRadiusThroughSetRadius)
{
    TOwned<TXLanczosKernel> Source = Owned(TXLanczosKernel::Create());
    TOwned<TXLanczosKernel> Sizable = Owned(TXLanczosKernel::Create());
    TOwned<TBoxKernel> Plain = Owned(TBoxKernel::Create());
    Source->SetRadius(2);
    Sizable->Assign(Source.get());
    Plain->Assign(Source.get());
    EXPECT_EQ(Sizable->Radius(), 2);
    EXPECT_EQ(Plain->Radius(), 1);
}

// ---- Weight maps -------------------------------------------------------------------------

class WeightMapTest : public ::testing::Test {
protected:
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    TOwned<TXPixWeightMap> Map = Owned(TXPixWeightMap::Create());

    float SumOf(int32_t AColumn) const
    {
        float Sum = 0;
        for (int32_t K = 0; K < Map->Counts()[AColumn]; ++K)
            Sum += Map->Lines()[K][AColumn].Weight;
        return Sum;
    }
    std::vector<int32_t> IndicesOf(int32_t AColumn) const
    {
        std::vector<int32_t> Indices;
        for (int32_t K = 0; K < Map->Counts()[AColumn]; ++K)
            Indices.push_back(Map->Lines()[K][AColumn].Index);
        return Indices;
    }
};

TEST_F(WeightMapTest, LengthsBelowTwoLeaveTheMapEmpty)
{
    Map->Build(4, 4, Kernel.get(), false);
    Map->Build(1, 8, Kernel.get(), false);
    EXPECT_TRUE(Map->IsEmpty());
    EXPECT_TRUE(Map->Counts().empty());
    Map->Build(8, 1, Kernel.get(), true);
    EXPECT_TRUE(Map->IsEmpty());
}

TEST_F(WeightMapTest, EqualLengthsGiveEachPixelItself)
{
    Map->Build(4, 4, Kernel.get(), false);
    EXPECT_EQ(Map->Size(), TXSize::Create(4, 7));
    // Taps at distances 1 and 2 stay (near zero), distance 3 is skipped; the left edge reflects.
    EXPECT_EQ(IndicesOf(0), (std::vector<int32_t>{2, 1, 0, 1, 2}));
    EXPECT_EQ(IndicesOf(3), (std::vector<int32_t>{1, 2, 3, 3, 2}));
    for (int32_t I = 0; I < 4; ++I) {
        ASSERT_EQ(Map->Counts()[I], 5);
        EXPECT_NEAR(Map->Lines()[2][I].Weight, 1, 1e-6);
        EXPECT_EQ(Map->Lines()[2][I].Index, I);
    }
}

TEST_F(WeightMapTest, ShrinkingMirrorsTapsAtBothEnds)
{
    Map->Build(4, 8, Kernel.get(), false);   // scale 3/7, support 7
    std::vector<int32_t> First = IndicesOf(0);
    ASSERT_FALSE(First.empty());
    EXPECT_EQ(First.front(), 6);   // j = -6
    EXPECT_EQ(First[5], 1);        // j = -1
    EXPECT_EQ(First[6], 0);
    std::vector<int32_t> Last = IndicesOf(3);   // centre 7
    ASSERT_EQ(Last.size(), 13u);
    EXPECT_EQ(Last[8], 6);   // j runs from 1 (j = 0 is 3 radii away); j = 9 reads 7 - (9 - 8)
    for (int32_t I = 0; I < 4; ++I)
        EXPECT_NEAR(SumOf(I), 1, 1e-5);
}

// Every tap of every build reads the source and each pixel's weights sum to 1, including
// radii and lengths past what the resampler asks for.
TEST_F(WeightMapTest, TapsStayInsideTheSourceAndSumToOne)
{
    struct {
        int32_t Dest, Source;
        float Radius;
        bool UseRatio;
    } const kCases[] = {{4, 4, 3, false}, {1920, 4000, 3, false}, {1080, 3000, 3, true}, {300, 7, 2, false},
                        {5, 1000, 3, true}, {4, 4, 4, false},   {2, 2, 4, true},      {4, 9, 4, false}};
    for (const auto& C : kCases) {
        Kernel->SetRadius(C.Radius);
        Map->Build(C.Dest, C.Source, Kernel.get(), C.UseRatio);
        ASSERT_EQ(Map->Size().Width, C.Dest);
        for (int32_t I = 0; I < C.Dest; ++I) {
            ASSERT_GT(Map->Counts()[I], 0) << C.Dest << "/" << C.Source << " pixel " << I;
            ASSERT_LE(Map->Counts()[I], Map->Size().Height);
            for (int32_t Index : IndicesOf(I))
                ASSERT_TRUE(Index >= 0 && Index < C.Source) << C.Dest << "/" << C.Source << " pixel " << I;
            ASSERT_NEAR(SumOf(I), 1, 1e-4) << C.Dest << "/" << C.Source << " pixel " << I;
        }
    }
}

TEST_F(WeightMapTest, NegativeRadiusBuildsWithoutOverrunningTheMap)
{
    Kernel->SetRadius(-0.25f);
    Map->Build(6, 6, Kernel.get(), false);
    EXPECT_EQ(Map->Size(), TXSize::Create(6, 0));
    EXPECT_EQ(Map->Counts(), std::vector<int32_t>(6, 0));
}

TEST_F(WeightMapTest, AssignmentCopiesTapsAndCounts)
{
    Map->Build(5, 9, Kernel.get(), true);
    TOwned<TXPixWeightMap> Copy = Owned(TXPixWeightMap::Create());
    Copy->Assign(Map.get());
    EXPECT_EQ(Copy->Size(), Map->Size());
    EXPECT_EQ(Copy->Counts(), Map->Counts());
    EXPECT_EQ(Copy->Lines()[0][4].Index, Map->Lines()[0][4].Index);
    EXPECT_EQ(Copy->Lines()[0][4].Weight, Map->Lines()[0][4].Weight);
}

// ---- Pixel maps --------------------------------------------------------------------------

TEST(PixelMapTest, SetSizeKeepsTheSharedArea)
{
    TOwned<TXByteMap> Map = Owned(TXByteMap::Create());
    EXPECT_TRUE(Map->IsEmpty());
    Map->SetSize(3, 2);
    Map->Lines()[1][2] = 7;
    const uint8_t* Row = Map->Lines()[1].data();
    Map->SetSize(TXSize::Create(3, 2));
    EXPECT_EQ(Map->Lines()[1].data(), Row);   // same size: untouched
    Map->SetSize(4, 3);
    EXPECT_EQ(Map->Lines()[1][2], 7);
    EXPECT_EQ(Map->Lines()[2][3], 0);
    Map->SetSize(5, 0);
    EXPECT_FALSE(Map->IsEmpty());   // only 0 x 0 is empty
    EXPECT_TRUE(Map->Lines().empty());
    Map->SetSize(-3, 2);
    EXPECT_EQ(Map->Size(), TXSize::Create(0, 2));
    Map->Clear();
    EXPECT_TRUE(Map->IsEmpty());
}

TEST(PixelMapTest, AssignmentCopiesDeeplyAndAnEmptySourceEmpties)
{
    TOwned<TXRGBAMap> Source = Owned(TXRGBAMap::Create());
    TOwned<TXRGBAMap> Target = Owned(TXRGBAMap::Create());
    Source->SetSize(2, 2);
    Source->Lines()[0][1] = TXRGBAColor{1, 2, 3, 4};
    Target->Assign(Source.get());
    Source->Lines()[0][1] = TXRGBAColor{};
    EXPECT_EQ(Target->Lines()[0][1], (TXRGBAColor{1, 2, 3, 4}));
    Target->Assign(Target.get());
    EXPECT_EQ(Target->Lines()[0][1], (TXRGBAColor{1, 2, 3, 4}));   // assigning itself keeps the data
    Source->Clear();
    Target->Assign(Source.get());
    EXPECT_TRUE(Target->IsEmpty());
    EXPECT_TRUE(Target->Lines().empty());
}

}  // namespace
