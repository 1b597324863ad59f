// The two filter passes over 32-bit pixels and over 24-bit pixels with alpha rows.
#include "XMedia.Graphics.Filters.h"

#include <gtest/gtest.h>

#include <cmath>

#include "XCore.TestClock.h"

namespace {

struct TPicture {
    int32_t Width = 0, Height = 0;
    std::vector<TXRGBAColor> Pixels;

    TPicture(int32_t AWidth, int32_t AHeight, TXRGBAColor AFill = {})
        : Width(AWidth), Height(AHeight), Pixels(size_t(AWidth) * AHeight, AFill)
    {
    }
    TXRGBAColor* Row(int32_t AY) { return Pixels.data() + size_t(AY) * Width; }
    TXRGBAColor& At(int32_t AX, int32_t AY) { return Row(AY)[AX]; }
};

// Colours that differ from pixel to pixel, so a tap read from the wrong place shows.
TPicture Pattern(int32_t AWidth, int32_t AHeight)
{
    TPicture P(AWidth, AHeight);
    for (int32_t Y = 0; Y < AHeight; ++Y)
        for (int32_t X = 0; X < AWidth; ++X)
            P.At(X, Y) = TXRGBAColor{uint8_t(X * 37 + Y * 11), uint8_t(X * 5 + Y * 53), uint8_t(X * Y * 7), uint8_t(X + 16 * Y)};
    return P;
}

class ResampleTest : public ::testing::Test {
protected:
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    TOwned<TXPixWeightMap> Columns = Owned(TXPixWeightMap::Create());
    TOwned<TXPixWeightMap> Rows = Owned(TXPixWeightMap::Create());

    void BuildMaps(const TPicture& ASource, int32_t ACX, int32_t ACY)
    {
        Columns->Build(ACX, ASource.Width, Kernel.get(), false);
        Rows->Build(ACY, ASource.Height, Kernel.get(), false);
    }
    TPicture Resample32(TPicture& ASource, int32_t ACX, int32_t ACY)
    {
        BuildMaps(ASource, ACX, ACY);
        TPicture Dest(ACX, ACY);
        ResamplePixels(*Columns, *Rows, [&](int32_t Y) { return ASource.Row(Y); },
                       [&](int32_t Y) { return Dest.Row(Y); });
        return Dest;
    }
    // Through the 24-bit form: colours and alpha in separate rows.
    TPicture ResampleWithAlpha(const TPicture& ASource, int32_t ACX, int32_t ACY)
    {
        BuildMaps(ASource, ACX, ACY);
        auto Split = [](const TPicture& P, std::vector<TXRGBColor>& AColors, std::vector<uint8_t>& AAlpha) {
            for (const TXRGBAColor& C : P.Pixels) {
                AColors.push_back(TXRGBColor{C.Blue, C.Green, C.Red});
                AAlpha.push_back(C.Alpha);
            }
        };
        std::vector<TXRGBColor> Colors, DestColors(size_t(ACX) * ACY);
        std::vector<uint8_t> Alpha, DestAlpha(size_t(ACX) * ACY);
        Split(ASource, Colors, Alpha);
        ResamplePixels(
            *Columns, *Rows, [&](int32_t Y) { return Colors.data() + size_t(Y) * ASource.Width; },
            [&](int32_t Y) { return Alpha.data() + size_t(Y) * ASource.Width; },
            [&](int32_t Y) { return DestColors.data() + size_t(Y) * ACX; },
            [&](int32_t Y) { return DestAlpha.data() + size_t(Y) * ACX; });
        TPicture Dest(ACX, ACY);
        for (size_t I = 0; I < Dest.Pixels.size(); ++I)
            Dest.Pixels[I] = TXRGBAColor{DestColors[I].Blue, DestColors[I].Green, DestColors[I].Red, DestAlpha[I]};
        return Dest;
    }
    int32_t LastTap(const TXPixWeightMap& AMap, int32_t APixel)
    {
        return AMap.Lines()[AMap.Counts()[APixel] - 1][APixel].Index;
    }
};

TEST_F(ResampleTest, OwnSizeKeepsTheColours)
{
    TPicture Source = Pattern(16, 12);
    TPicture Dest = Resample32(Source, 16, 12);
    TPicture WithAlpha = ResampleWithAlpha(Source, 16, 12);
    for (int32_t Y = 0; Y < 12; ++Y)
        for (int32_t X = 0; X < 16; ++X) {
            TXRGBColor Expected{Source.At(X, Y).Blue, Source.At(X, Y).Green, Source.At(X, Y).Red};
            EXPECT_EQ((TXRGBColor{Dest.At(X, Y).Blue, Dest.At(X, Y).Green, Dest.At(X, Y).Red}), Expected) << X << "," << Y;
            EXPECT_EQ(WithAlpha.At(X, Y), Source.At(X, Y)) << X << "," << Y;
        }
}

TEST_F(ResampleTest, UniformPicturesStayUniformAtAnySize)
{
    const TXRGBAColor Fill{50, 100, 200, 255};
    struct {
        int32_t W, H, CX, CY;
    } const kSizes[] = {{37, 23, 10, 9}, {5, 4, 40, 31}, {100, 8, 4, 4}, {4, 4, 4, 4}};
    for (const auto& S : kSizes) {
        TPicture Source(S.W, S.H, Fill);
        TPicture Dest = Resample32(Source, S.CX, S.CY);
        TPicture WithAlpha = ResampleWithAlpha(Source, S.CX, S.CY);
        for (size_t I = 0; I < Dest.Pixels.size(); ++I) {
            ASSERT_EQ(Dest.Pixels[I], Fill) << S.W << "x" << S.H << " to " << S.CX << "x" << S.CY << " pixel " << I;
            ASSERT_EQ(WithAlpha.Pixels[I], Fill) << S.W << "x" << S.H << " to " << S.CX << "x" << S.CY;
        }
    }
}

TEST_F(ResampleTest, FourthByteComesFromTheLastTapRead)
{
    TPicture Source = Pattern(12, 9);   // fourth byte X + 16 Y
    TPicture Dest = Resample32(Source, 7, 5);
    for (int32_t Y = 0; Y < 5; ++Y)
        for (int32_t X = 0; X < 7; ++X)
            EXPECT_EQ(Dest.At(X, Y).Alpha, LastTap(*Columns, X) + 16 * LastTap(*Rows, Y)) << X << "," << Y;
}

TEST_F(ResampleTest, OvershootAtSharpEdgesIsClampedNotWrapped)
{
    TPicture Source(8, 4);
    for (int32_t Y = 0; Y < 4; ++Y)
        for (int32_t X = 4; X < 8; ++X)
            Source.At(X, Y) = TXRGBAColor{255, 255, 255, 255};
    TPicture Dest = Resample32(Source, 29, 4);
    // Destination x sits on source x * 7 / 28; the edge lies between source 3 and 4.
    for (int32_t X = 0; X < 29; ++X) {
        uint8_t Blue = Dest.At(X, 1).Blue;
        if (X <= 12) {
            EXPECT_LE(Blue, 10) << X;
        } else if (X >= 16) {
            EXPECT_GE(Blue, 245) << X;
        }
    }
}

// Against the exact double sum of both maps, rounded once: fixed point stays within a level.
TEST_F(ResampleTest, StaysWithinOneLevelOfTheExactSum)
{
    struct {
        int32_t W, H, CX, CY;
    } const kSizes[] = {{97, 61, 23, 17}, {31, 20, 75, 49}, {64, 48, 63, 47}, {200, 9, 7, 30}};
    for (const auto& S : kSizes) {
        TPicture Source(S.W, S.H);
        uint32_t Seed = 0x2545F491u;
        for (TXRGBAColor& P : Source.Pixels) {
            Seed ^= Seed << 13, Seed ^= Seed >> 17, Seed ^= Seed << 5;
            P = TXRGBAColor{uint8_t(Seed), uint8_t(Seed >> 8), uint8_t(Seed >> 16), 255};
        }
        TPicture Dest = Resample32(Source, S.CX, S.CY);
        int Worst = 0;
        for (int32_t Y = 0; Y < S.CY; ++Y)
            for (int32_t X = 0; X < S.CX; ++X) {
                double Blue = 0;
                for (int32_t KY = 0; KY < Rows->Counts()[Y]; ++KY)
                    for (int32_t KX = 0; KX < Columns->Counts()[X]; ++KX) {
                        const TXPixWeight& R = Rows->Lines()[KY][Y];
                        const TXPixWeight& C = Columns->Lines()[KX][X];
                        Blue += double(R.Weight) * C.Weight * Source.At(C.Index, R.Index).Blue;
                    }
                const int Exact = int(std::clamp(std::lround(Blue), 0L, 255L));
                Worst = std::max(Worst, std::abs(Exact - Dest.At(X, Y).Blue));
            }
        EXPECT_LE(Worst, 1) << S.W << "x" << S.H << " to " << S.CX << "x" << S.CY;
    }
}

TEST_F(ResampleTest, AlphaIsWeighedAndTransparentColoursStillCount)
{
    TPicture Opaque = Pattern(20, 16);
    for (TXRGBAColor& C : Opaque.Pixels)
        C.Alpha = 255;
    for (const TXRGBAColor& C : ResampleWithAlpha(Opaque, 9, 7).Pixels)
        ASSERT_EQ(C.Alpha, 255);

    TPicture Spot(8, 8, TXRGBAColor{0, 0, 0, 255});
    Spot.At(4, 4) = TXRGBAColor{255, 255, 255, 0};
    TPicture Dest = ResampleWithAlpha(Spot, 15, 15);   // scale 2: source 4 lands on 8
    EXPECT_EQ(Dest.At(8, 8), (TXRGBAColor{255, 255, 255, 0}));
    EXPECT_GT(Dest.At(9, 8).Blue, 100);   // not premultiplied: the transparent white spreads
    EXPECT_LT(Dest.At(9, 8).Alpha, 150);
}

// ---- Containers --------------------------------------------------------------------------

class TProbe : public TXPersistent {
    X_CLASS(TProbe, TXPersistent)
public:
    static inline int GFreed = 0;

protected:
    TProbe() = default;
    ~TProbe() override { ++GFreed; }
};

TEST(ManagedContainerTest, LastReferenceFreesWhatTheContainerOwns)
{
    TProbe::GFreed = 0;
    TProbe* Kept = TProbe::Create();
    {
        TIntf<IXManagedContainer<TProbe>> Owning(TXManagedContainer<TProbe>::Create(TProbe::Create()));
        TIntf<IXManagedContainer<TProbe>> Borrowing(TXManagedContainer<TProbe>::Create(Kept, false));
        TIntf<IXManagedContainer<TProbe>> Second = Owning;
        Owning.Reset();
        EXPECT_EQ(TProbe::GFreed, 0);
        EXPECT_EQ(Borrowing->Content(), Kept);
    }
    EXPECT_EQ(TProbe::GFreed, 1);
    Kept->Free();
}

// ---- The object cache --------------------------------------------------------------------

// Cache entries stamp their last use from the core application's clock.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock = TXTestClockApp::Create();
        SetNVCoreApp(Clock);
        Clock->SetLocal(45000.5);
    }
    void TearDown() override { SetNVCoreApp(nullptr); }

    TXTestClockApp* Clock = nullptr;
};

using TIntCache = TXObjectCache<int, int>;

int GFactoryCalls = 0;
// The caches' stopwatch in these tests: it moves only when a value is made.
int64_t GTicks = 0;
int64_t TestTicks()
{
    return GTicks;
}
// Odd keys take five ticks to make, even keys none.
void MakeTenfold(const int& AKey, int& AValue)
{
    ++GFactoryCalls;
    if (AKey % 2 != 0)
        GTicks += 5;
    AValue = AKey * 10;
}

TOwned<TIntCache> NewCache(int32_t ACapacity, TComparerRef<TXCacheAlgorithm> AComparer)
{
    TOwned<TIntCache> Cache = Owned(TIntCache::Create(ACapacity, &MakeTenfold, std::move(AComparer)));
    Cache->SetStopwatch(&TestTicks);
    return Cache;
}

// Orders by use count, most used first: deterministic where build costs are not.
TComparerRef<TXCacheAlgorithm> ByHits()
{
    return MakeComparer<TXCacheAlgorithm>([](const TXCacheAlgorithm& A, const TXCacheAlgorithm& B) {
        return A.Hits > B.Hits ? -1 : (A.Hits < B.Hits ? 1 : 0);
    });
}

std::vector<int> KeysOf(const TIntCache* ACache)
{
    std::vector<int> Keys;
    for (const auto& Entry : ACache->Entries())
        Keys.push_back(Entry.Key);
    std::sort(Keys.begin(), Keys.end());
    return Keys;
}

int Get(TIntCache* ACache, int AKey)
{
    int Value = -1;
    ACache->GetValue(AKey, Value);
    return Value;
}

using ObjectCacheTest = ClockTest;

TEST_F(ObjectCacheTest, AHitReturnsTheKeptValueAndCountsTheUse)
{
    GFactoryCalls = 0;
    TOwned<TIntCache> Cache = NewCache(6, std::make_shared<TXCacheLTEComparer>());
    EXPECT_EQ(Get(Cache.get(), 2), 20);
    Clock->SetLocal(45001.0);
    EXPECT_EQ(Get(Cache.get(), 2), 20);
    EXPECT_EQ(GFactoryCalls, 1);
    ASSERT_EQ(Cache->Entries().size(), 1u);
    EXPECT_EQ(Cache->Entries()[0].Algorithm.Hits, 2);
    EXPECT_DOUBLE_EQ(double(Cache->Entries()[0].Algorithm.LastAccess), 45001.0);
}

TEST_F(ObjectCacheTest, AFullCacheGivesTheLastPlaceOnlyToANewValueRankedNoLower)
{
    TOwned<TIntCache> Cache = NewCache(3, ByHits());
    for (int Key : {2, 4, 6, 2, 2, 4})
        Get(Cache.get(), Key);
    EXPECT_EQ(Get(Cache.get(), 8), 80);   // 6 has one use, as the new value: replaced
    EXPECT_EQ(KeysOf(Cache.get()), (std::vector<int>{2, 4, 8}));
    Get(Cache.get(), 8);
    EXPECT_EQ(Get(Cache.get(), 10), 100);   // every kept value is used more: not kept
    EXPECT_EQ(KeysOf(Cache.get()), (std::vector<int>{2, 4, 8}));
}

TEST_F(ObjectCacheTest, TheCheapestMapMakesWayForOneThatCostAsMuch)
{
    TOwned<TIntCache> Cache = NewCache(2, std::make_shared<TXCacheLTEComparer>());
    for (int Key : {1, 2, 3})
        Get(Cache.get(), Key);
    EXPECT_EQ(KeysOf(Cache.get()), (std::vector<int>{1, 3}));
    EXPECT_EQ(Get(Cache.get(), 4), 40);
    EXPECT_EQ(KeysOf(Cache.get()), (std::vector<int>{1, 3}));
}

TEST_F(ObjectCacheTest, CapacityZeroIsUnlimitedAndShrinkingKeepsTheFirstRanked)
{
    TOwned<TIntCache> Cache = NewCache(0, ByHits());
    for (int Key : {2, 4, 6, 8, 10, 6, 6, 4})
        Get(Cache.get(), Key);
    EXPECT_EQ(Cache->Entries().size(), 5u);
    Cache->SetCapacity(2);
    EXPECT_EQ(KeysOf(Cache.get()), (std::vector<int>{4, 6}));
    Cache->SetCapacity(-1);
    Get(Cache.get(), 12);
    EXPECT_EQ(Cache->Entries().size(), 3u);
}

// ---- Bitmaps and PNG images --------------------------------------------------------------

// Every test starts from an empty weight-map cache, as a fresh process does.
class ResampleImageTest : public ClockTest {
protected:
    void SetUp() override
    {
        ClockTest::SetUp();
        ClearWeightMapCache();
    }

    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());

    static TOwned<TBitmap> PatternBitmap(int32_t AWidth, int32_t AHeight, TPixelFormat AFormat = pf32bit)
    {
        TPicture P = Pattern(AWidth, AHeight);
        auto Bitmap = Owned(TBitmap::Create());
        Bitmap->SetPixelFormat(pf32bit);
        Bitmap->SetSize(AWidth, AHeight);
        for (int32_t Y = 0; Y < AHeight; ++Y)
            std::copy_n(P.Row(Y), AWidth, static_cast<TXRGBAColor*>(Bitmap->ScanLine(Y)));
        Bitmap->SetPixelFormat(AFormat);
        return Bitmap;
    }
    static std::vector<TColor> ColorsOf(TBitmap* ABitmap)
    {
        std::vector<TColor> Colors;
        for (int Y = 0; Y < ABitmap->Height(); ++Y)
            for (int X = 0; X < ABitmap->Width(); ++X) {
                const auto* P = static_cast<const TXRGBAColor*>(ABitmap->ScanLine(Y)) + X;
                Colors.push_back(RGB(P->Red, P->Green, P->Blue));
            }
        return Colors;
    }
    std::vector<TColor> Resampled(TBitmap* ASource, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
    {
        auto Dest = Owned(TBitmap::Create());
        ResampleBitmap(ASource, Dest.get(), ACX, ACY, AKernel);
        EXPECT_EQ(Dest->PixelFormat(), pf32bit);
        EXPECT_EQ(Dest->Width(), ACX);
        EXPECT_EQ(Dest->Height(), ACY);
        return ColorsOf(Dest.get());
    }
};

TEST_F(ResampleImageTest, OwnSizeKeepsTheColours)
{
    auto Source = PatternBitmap(20, 15);
    EXPECT_EQ(Resampled(Source.get(), 20, 15, Kernel.get()), ColorsOf(Source.get()));
}

TEST_F(ResampleImageTest, SidesBelowFourAreStretchedByTheCanvas)
{
    struct {
        int32_t W, H, CX, CY;
    } const kSizes[] = {{3, 100, 50, 50}, {40, 40, 3, 40}, {40, 40, 40, 2}};
    for (const auto& S : kSizes) {
        auto Source = PatternBitmap(S.W, S.H);
        auto Stretched = Owned(TBitmap::Create());
        Stretched->SetSize(S.CX, S.CY);
        Stretched->Canvas()->StretchDraw(Rect(0, 0, S.CX, S.CY), Source.get());
        EXPECT_EQ(Resampled(Source.get(), S.CX, S.CY, Kernel.get()), ColorsOf(Stretched.get()))
            << S.W << "x" << S.H << " to " << S.CX << "x" << S.CY;
    }
}

// A map is cached for the kernel that built it: a narrower kernel gets maps of its own, and
// the order of the calls changes nothing.
TEST_F(ResampleImageTest, EachKernelRadiusGetsItsOwnMaps)
{
    auto Source = PatternBitmap(37, 29);
    auto Narrow = Owned(TXLanczosKernel::Create());
    Narrow->SetRadius(2);
    auto OwnMaps = [&](const TXFilterKernel* AKernel) {
        auto Columns = Owned(TXPixWeightMap::Create());
        auto Rows = Owned(TXPixWeightMap::Create());
        Columns->Build(23, 37, AKernel, false);
        Rows->Build(17, 29, AKernel, false);
        TPicture Pixels = Pattern(37, 29), Dest(23, 17);
        ResamplePixels(*Columns, *Rows, [&](int32_t Y) { return Pixels.Row(Y); }, [&](int32_t Y) { return Dest.Row(Y); });
        std::vector<TColor> Colors;
        for (const TXRGBAColor& P : Dest.Pixels)
            Colors.push_back(RGB(P.Red, P.Green, P.Blue));
        return Colors;
    };
    const std::vector<TColor> Wide = OwnMaps(Kernel.get()), Two = OwnMaps(Narrow.get());
    ASSERT_NE(Wide, Two);
    EXPECT_EQ(Resampled(Source.get(), 23, 17, Kernel.get()), Wide);
    EXPECT_EQ(Resampled(Source.get(), 23, 17, Narrow.get()), Two);
    ClearWeightMapCache();
    EXPECT_EQ(Resampled(Source.get(), 23, 17, Narrow.get()), Two);
    EXPECT_EQ(Resampled(Source.get(), 23, 17, Kernel.get()), Wide);
}

TEST_F(ResampleImageTest, TwentyFourBitSourcesAreReadAsTheyAreAndTheDestinationFromACopy)
{
    auto Source = PatternBitmap(30, 20);
    std::vector<TColor> Expected = Resampled(Source.get(), 13, 9, Kernel.get());
    auto Narrow = PatternBitmap(30, 20, pf24bit);
    EXPECT_EQ(Resampled(Narrow.get(), 13, 9, Kernel.get()), Expected);
    ResampleBitmap(Source.get(), Source.get(), 13, 9, Kernel.get());
    EXPECT_EQ(ColorsOf(Source.get()), Expected);
}

TEST_F(ResampleImageTest, PngAlphaIsScaledWithTheColours)
{
    auto Source = Owned(TPngImage::Create());
    Source->CreateBlank(COLOR_RGBALPHA, 8, 24, 18);
    for (int Y = 0; Y < 18; ++Y) {
        auto* Row = static_cast<TXRGBColor*>(Source->Scanline(Y));
        for (int X = 0; X < 24; ++X) {
            Row[X] = TXRGBColor{uint8_t(X * 10), uint8_t(Y * 10), 90};
            Source->AlphaScanline(Y)[X] = 255;
        }
    }
    auto Dest = Owned(TPngImage::Create());
    ResampleToPngImage(Source.get(), Dest.get(), 10, 7, Kernel.get());
    ASSERT_EQ(Dest->Width(), 10);
    ASSERT_EQ(Dest->Height(), 7);
    EXPECT_EQ(Dest->TransparencyMode(), ptmPartial);
    for (int Y = 0; Y < 7; ++Y)
        for (int X = 0; X < 10; ++X) {
            EXPECT_EQ(Dest->AlphaScanline(Y)[X], 255) << X << "," << Y;
            EXPECT_EQ(static_cast<const TXRGBColor*>(Dest->Scanline(Y))[X].Red, 90) << X << "," << Y;
        }
}

TEST_F(ResampleImageTest, PngWithoutAlphaIsFilteredAsOpaque)
{
    auto Source = Owned(TPngImage::Create());
    Source->CreateBlank(COLOR_RGB, 8, 16, 16);
    ASSERT_EQ(Source->AlphaScanline(0), nullptr);
    auto Dest = Owned(TPngImage::Create());
    ResampleToPngImage(Source.get(), Dest.get(), 8, 8, Kernel.get());
    EXPECT_EQ(Source->TransparencyMode(), ptmNone);   // the source is left as it was
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X)
            ASSERT_EQ(Dest->AlphaScanline(Y)[X], 255);
}

}  // namespace
