// The two filter passes over 32-bit pixels and over 24-bit pixels with alpha rows.
#include "XMedia.Graphics.Filters.h"

#include <gtest/gtest.h>

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
        ResamplePixels(*Columns, *Rows, ASource.Height, [&](int32_t Y) { return ASource.Row(Y); },
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
            *Columns, *Rows, ASource.Height, [&](int32_t Y) { return Colors.data() + size_t(Y) * ASource.Width; },
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

}  // namespace
