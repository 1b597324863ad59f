// Painting on scan lines: colour arithmetic, blends, clipping, add/subtract and gradients.
#include "XMedia.Paint32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A bitmap filled with one pixel value (fourth byte 0 in pf32bit).
TOwned<TBitmap> FilledBitmap(TPixelFormat AFormat, int AWidth, int AHeight, uint32_t AValue)
{
    auto B = Owned(TBitmap::Create());
    B->SetPixelFormat(AFormat);
    B->SetSize(AWidth, AHeight);
    for (int Y = 0; Y < AHeight; ++Y)
        for (int X = 0; X < AWidth; ++X)
            std::memcpy(static_cast<uint8_t*>(B->ScanLine(Y)) + X * B->BytesPerPixel(), &AValue,
                        size_t(B->BytesPerPixel()));
    return B;
}

uint32_t PixelOf(TBitmap* ABitmap, int AX, int AY)
{
    uint32_t V = 0;
    std::memcpy(&V, static_cast<uint8_t*>(ABitmap->ScanLine(AY)) + AX * ABitmap->BytesPerPixel(),
                size_t(ABitmap->BytesPerPixel()));
    return V;
}

// Source pixel (x, y) holds x + 16 * y in blue, so a copied pixel tells where it came from.
TOwned<TBitmap> NumberedBitmap(TPixelFormat AFormat, int AWidth, int AHeight)
{
    auto B = FilledBitmap(AFormat, AWidth, AHeight, 0);
    for (int Y = 0; Y < AHeight; ++Y)
        for (int X = 0; X < AWidth; ++X)
            static_cast<uint8_t*>(B->ScanLine(Y))[X * B->BytesPerPixel()] = uint8_t(X + 16 * Y);
    return B;
}

TEST(MediaPaint32Test, ColourArithmetic)
{
    EXPECT_EQ(MakeColorClamped(300, -5, 17), TColor(0x1100FF));
    EXPECT_EQ(SwapRB(0xAA112233), 0x00332211u);
    EXPECT_EQ(ColorToBGR(TColor(0x00112233)), 0x00332211u);
    const TColor Blend = BlendColors(TColor(0x0000FF), TColor(0xFF0000), 128);
    EXPECT_EQ(Blend, TColor(127 << 16 | 126));
    for (uint8_t Alpha : {0, 1, 128, 255})
        EXPECT_EQ(BlendColors(clWhite, clWhite, Alpha), clWhite) << int(Alpha);
    EXPECT_EQ(ClampedByteAdd(200, 100), 255);
    EXPECT_EQ(ClampedByteAdd(200, 54), 254);
    EXPECT_EQ(ClampedByteSub(50, 80), 0);
    EXPECT_EQ(ClampedByteSub(80, 50), 30);
    EXPECT_EQ(AddColors(0xFF80F010, 0x00901020), 0x00FFFF30u);
    EXPECT_EQ(SubColors(0xFF80F010, 0x00901020), 0x0000E000u);
    TXRGBColor T;
    SubRGB(T, {10, 200, 5}, {20, 100, 5});
    EXPECT_EQ(T, (TXRGBColor{0, 100, 0}));
    AddRGB(T, {10, 200, 5}, {20, 100, 5});
    EXPECT_EQ(T, (TXRGBColor{30, 255, 10}));
    TXFotoPixel P;
    ColorToFotoPixel(TColor(0x00336699), P);
    EXPECT_EQ(P, (TXFotoPixel{0x33, 0x66, 0x99}));
    EXPECT_EQ(FotoPixelToColor({-3, 12.5f, 300}), TColor(0x00000CFF));
    EXPECT_EQ(InverseGrey(0x808080), 0x7F7F7Fu);
    EXPECT_EQ(InverseGrey(0x000306), 0xFCFCFCu);
}

TEST(MediaPaint32Test, BlendLinesKeepWhiteAndFourthByte)
{
    uint8_t Dst[8] = {255, 0, 100, 9, 255, 255, 255, 7};
    const uint8_t Src[8] = {255, 255, 0, 1, 1, 2, 3, 4};
    BlendLine32ExceptKey(Dst, Src, 2, 128, 0x04030201);
    EXPECT_EQ(std::vector<uint8_t>(Dst, Dst + 8), (std::vector<uint8_t>{255, 127, 49, 9, 255, 255, 255, 7}));
    uint8_t Dst24[6] = {0, 0, 0, 10, 10, 10};
    const uint8_t Src24[6] = {255, 255, 255, 0x33, 0x22, 0x11};
    CopyRGBPixelsExceptKey(Dst24, Src24, 2, 0x112233);
    EXPECT_EQ(std::vector<uint8_t>(Dst24, Dst24 + 6), (std::vector<uint8_t>{255, 255, 255, 10, 10, 10}));
}

TEST(MediaPaint32Test, ClipBlitRects)
{
    struct TCase {
        TRect S;
        int X, Y;
        bool Drawn;
        TRect ExpectS;
        int ExpectX, ExpectY, ExpectRight, ExpectBottom;
    };
    // Source 10 x 10 onto destination 8 x 6.
    const TCase Cases[] = {
        {Rect(0, 0, 10, 10), 0, 0, true, Rect(0, 0, 10, 10), 0, 0, 8, 6},
        {Rect(0, 0, 10, 10), -3, 0, true, Rect(3, 0, 10, 10), 0, 0, 7, 6},
        {Rect(-2, -1, 4, 4), 1, 1, true, Rect(0, 0, 4, 4), 3, 2, 7, 6},
        {Rect(0, 0, 10, 10), 8, 0, false, {}, 0, 0, 0, 0},
        {Rect(10, 0, 12, 10), 0, 0, false, {}, 0, 0, 0, 0},
        {Rect(0, 0, 10, 10), -10, 0, false, {}, 0, 0, 0, 0},
    };
    for (const TCase& C : Cases) {
        TRect S = C.S;
        int X = C.X, Y = C.Y, Right = 0, Bottom = 0;
        const bool Drawn = ClipBlitRects(S, X, Y, Right, Bottom, 10, 10, 8, 6);
        ASSERT_EQ(Drawn, C.Drawn) << C.S.Left << "," << C.X;
        if (!Drawn)
            continue;
        EXPECT_EQ(S.Left, C.ExpectS.Left);
        EXPECT_EQ(S.Top, C.ExpectS.Top);
        EXPECT_EQ((std::vector<int>{X, Y, Right, Bottom}),
                  (std::vector<int>{C.ExpectX, C.ExpectY, C.ExpectRight, C.ExpectBottom}));
    }
    TRect S = Rect(0, 0, 1, 1);
    int X = 0, Y = 0, Right = 0, Bottom = 0;
    EXPECT_FALSE(ClipBlitRects(S, X, Y, Right, Bottom, 1, 1, 0, 5));
}

TEST(MediaPaint32Test, AlphaDrawBitmapRect)
{
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto Dest = FilledBitmap(Format, 4, 3, 0x00102030);
        auto Source = NumberedBitmap(Format, 6, 6);
        AlphaDrawBitmapRect(Dest.get(), Source.get(), 1, 0, 0, Rect(0, 0, 6, 6));
        EXPECT_EQ(PixelOf(Dest.get(), 1, 0), 0x00102030u);
        // Runs past the right edge: only the part that fits, unscaled.
        AlphaDrawBitmapRect(Dest.get(), Source.get(), 2, 1, 255, Rect(1, 1, 6, 6));
        EXPECT_EQ(PixelOf(Dest.get(), 1, 1), 0x00102030u);
        EXPECT_EQ(PixelOf(Dest.get(), 2, 1) & 0xFF, 17u);
        EXPECT_EQ(PixelOf(Dest.get(), 3, 2) & 0xFF, 34u);
        // A negative X shows the source's right-hand part.
        AlphaDrawBitmapRect(Dest.get(), Source.get(), -4, 0, 255, Rect(0, 0, 6, 1));
        EXPECT_EQ(PixelOf(Dest.get(), 0, 0) & 0xFF, 4u);
        EXPECT_EQ(PixelOf(Dest.get(), 1, 0) & 0xFF, 5u);
        EXPECT_EQ(PixelOf(Dest.get(), 2, 0), 0x00102030u);
    }
}

TEST(MediaPaint32Test, AlphaDrawConvertsACopyOfAMismatchedSource)
{
    auto Dest = FilledBitmap(pf32bit, 2, 1, 0);
    auto Source = FilledBitmap(pf24bit, 2, 1, 0x00FFFFFF);
    AlphaDrawBitmapRect(Dest.get(), Source.get(), 0, 0, 128, Rect(0, 0, 2, 1));
    EXPECT_EQ(PixelOf(Dest.get(), 1, 0), 0x007F7F7Fu);
    EXPECT_EQ(Source->PixelFormat(), pf24bit);
}

TEST(MediaPaint32Test, TransparentDrawLeavesKeyOut)
{
    for (TPixelFormat Format : {pf24bit, pf32bit})
        for (uint8_t Alpha : {uint8_t(255), uint8_t(128)}) {
            auto Dest = FilledBitmap(Format, 2, 1, 0);
            auto Source = FilledBitmap(Format, 2, 1, 0x00FF00FF);
            static_cast<uint8_t*>(Source->ScanLine(0))[Source->BytesPerPixel()] = 0xFE;
            AlphaDrawBitmapTransparent(Dest.get(), Source.get(), 0, 0, Alpha, TColor(0xFF00FF));
            EXPECT_EQ(PixelOf(Dest.get(), 0, 0), 0u);
            EXPECT_NE(PixelOf(Dest.get(), 1, 0), 0u);
        }
}

TEST(MediaPaint32Test, BlendColorRectIsClipped)
{
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto B = FilledBitmap(Format, 3, 2, 0);
        BlendColorRect(B.get(), TColor(0x0000FF), Rect(2, -5, 10, 1), 128);
        EXPECT_EQ(PixelOf(B.get(), 2, 0), 0x007F0000u);
        EXPECT_EQ(PixelOf(B.get(), 1, 0), 0u);
        EXPECT_EQ(PixelOf(B.get(), 2, 1), 0u);
        BlendColorBitmap(B.get(), clWhite, 0);
        EXPECT_EQ(PixelOf(B.get(), 0, 0), 0u);
    }
}

TEST(MediaPaint32Test, AddAndSubtractBitmaps)
{
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto Dest = FilledBitmap(Format, 3, 1, 0x00F01080);
        auto Source = FilledBitmap(pf24bit, 2, 2, 0x00201090);
        AddBitmapAt(Dest.get(), Source.get(), 1, 0);
        EXPECT_EQ(Source->PixelFormat(), Format);
        EXPECT_EQ(PixelOf(Dest.get(), 0, 0), 0x00F01080u);
        EXPECT_EQ(PixelOf(Dest.get(), 1, 0), 0x00FF20FFu);
        SubtractBitmapAt(Dest.get(), Source.get(), -1, 0);
        EXPECT_EQ(PixelOf(Dest.get(), 0, 0), 0x00D00000u);
    }
    auto Grey = FilledBitmap(pf32bit, 1, 1, 0x50102030);
    FadeGreyMask(Grey.get(), 0x20);
    EXPECT_EQ(PixelOf(Grey.get(), 0, 0), 0x50000000u);
}

TEST(MediaPaint32Test, GradientsAndStrips)
{
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto B = FilledBitmap(Format, 5, 3, 0x00ABCDEF);
        GradientRect(B.get(), Rect(-1, 0, 9, 2), TColor(0x000000), TColor(0xFF0000), 0);
        EXPECT_EQ(PixelOf(B.get(), 0, 0), 0u);
        EXPECT_EQ(PixelOf(B.get(), 2, 1), 0x0000007Fu);
        EXPECT_EQ(PixelOf(B.get(), 4, 0), 0x000000FFu);
        EXPECT_EQ(PixelOf(B.get(), 4, 2), 0x00ABCDEFu);
        GradientBitmap(B.get(), TColor(0x123456), TColor(0x123456), 1);
        EXPECT_EQ(PixelOf(B.get(), 3, 2), 0x00563412u);
        RedStripBitmap(B.get(), TXFotoPixel{10, 20, 30}, 1);
        EXPECT_EQ(PixelOf(B.get(), 1, 0), 0x0000140Au);
        EXPECT_EQ(PixelOf(B.get(), 1, 2), 0x00FF140Au);
        BlueStrip(B.get(), Rect(0, 0, 5, 1), TXFotoPixel{10, 20, 30}, 0);
        EXPECT_EQ(PixelOf(B.get(), 4, 0), 0x001E14FFu);
        GreenStripBitmap(B.get(), TXFotoPixel{10, 20, 30}, 0);
        EXPECT_EQ(PixelOf(B.get(), 0, 2), 0x001E000Au);
    }
}

} // namespace
