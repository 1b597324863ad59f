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

TEST(MediaPaint32Test, CoverageBlendAndGlyphTint)
{
    struct {
        uint32_t Dest, Expected;
    } const Cases[] = {
        {0x00000000, 0xFF00007E},   // no coverage held yet: weight is the mask's 127
        {0x7F000000, 0x7F00007E},   // the same coverage held: half
        {0xC8000000, 0xC8000050},   // more held: Round(127 * 127 / 200)
        {0x40000000, 0x7F0000BE},   // less held: 255 - Round(64 * 127 / 127), and the mask's coverage
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(CoverageBlend(0x00808080, Case.Dest, 0x000000FF), Case.Expected) << std::hex << Case.Dest;

    uint32_t Dst[] = {0x00123456, 0x00123456, 0x00FF00FF, 0x00000000};
    const uint32_t Mask[] = {0xFFFFFFFF, 0x00000000, 0x00808080, 0xFF808080};
    TintGlyphLine(Dst, Mask, 4, 0x00FF00FF, 0x000000FF);
    EXPECT_EQ(std::vector<uint32_t>(Dst, Dst + 4),
              (std::vector<uint32_t>{0x00123456, 0x000000FF, 0x7F0000FF, 0xFF00007E}));
}

TEST(MediaPaint32Test, DrawTintedMetafileTintsTheGlyphInPlace)
{
    // Black, grey and white columns, drawn at their own size and cut by the right edge.
    auto Glyph = FilledBitmap(pf24bit, 3, 2, 0x00FFFFFF);
    for (int Y = 0; Y < 2; ++Y) {
        auto* Row = static_cast<uint8_t*>(Glyph->ScanLine(Y));
        std::memset(Row, 0, 3);
        std::memset(Row + 3, 0x80, 3);
    }
    auto Dest = FilledBitmap(pf32bit, 6, 4, 0x00FF00FF);
    DrawTintedMetafile(Dest.get(), Rect(4, 1, 7, 3), TColor(0x0000FF), Glyph.get());
    EXPECT_EQ(PixelOf(Dest.get(), 4, 1), 0x00FF0000u);
    EXPECT_EQ(PixelOf(Dest.get(), 5, 2), 0x7FFF0000u);
    EXPECT_EQ(PixelOf(Dest.get(), 3, 1), 0x00FF00FFu);
    EXPECT_EQ(PixelOf(Dest.get(), 4, 0), 0x00FF00FFu);
    EXPECT_EQ(GlyphScratch()->Width(), 0);

    // Metafiles are not rendered here, and other formats are not tinted: nothing changes.
    auto Metafile = Owned(TMetafile::Create());
    Metafile->SetSize(3, 2);
    auto Untouched = FilledBitmap(pf32bit, 6, 4, 0x00FF00FF);
    DrawTintedMetafile(Untouched.get(), Rect(0, 0, 6, 4), clBlack, Metafile.get());
    auto Narrow = FilledBitmap(pf24bit, 6, 4, 0x00FF00FF);
    DrawTintedMetafile(Narrow.get(), Rect(0, 0, 3, 2), clBlack, Glyph.get());
    for (TBitmap* B : {Untouched.get(), Narrow.get()})
        EXPECT_EQ(PixelOf(B, 0, 0), 0x00FF00FFu);
}

TEST(MediaPaint32Test, HSLStripsRunFromZeroToFull)
{
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto Hue = FilledBitmap(Format, 361, 2, 0x00123456);
        HueStripBitmap(Hue.get(), TXFotoPixel{77, 1, 0.5f}, false);
        const uint32_t Expected[][2] = {{0, 0x00FF0000}, {60, 0x00FFFF00}, {120, 0x0000FF00}, {240, 0x000000FF},
                                        {360, 0x00FF0000}};
        for (const auto& [Column, Value] : Expected)
            EXPECT_EQ(PixelOf(Hue.get(), int(Column), 1), Value) << Column;

        auto Light = FilledBitmap(Format, 2, 3, 0x00123456);
        LightnessStripBitmap(Light.get(), TXFotoPixel{120, 1, 0.9f}, true);
        const std::vector<uint32_t> Column = {PixelOf(Light.get(), 1, 0), PixelOf(Light.get(), 1, 1),
                                              PixelOf(Light.get(), 1, 2)};
        EXPECT_EQ(Column, (std::vector<uint32_t>{0x00000000, 0x0000FF00, 0x00FFFFFF}));

        auto Saturation = FilledBitmap(Format, 5, 1, 0x00123456);
        SaturationStrip(Saturation.get(), Rect(2, -1, 9, 3), TXFotoPixel{0, 0.3f, 0.5f}, false);
        EXPECT_EQ(PixelOf(Saturation.get(), 1, 0), 0x00123456u);
        EXPECT_EQ(PixelOf(Saturation.get(), 2, 0), 0x00808080u);
        EXPECT_EQ(PixelOf(Saturation.get(), 4, 0), 0x00FF0000u);

        // A strip one pixel long has no step.
        auto One = FilledBitmap(Format, 1, 4, 0x00123456);
        HueStripBitmap(One.get(), TXFotoPixel{0, 1, 0.5f}, false);
        EXPECT_EQ(PixelOf(One.get(), 0, 0), 0x00123456u);
    }
}

TEST(MediaPaint32Test, ColorFieldRunsHueAcrossAndLightnessDown)
{
    auto Field = FilledBitmap(pf32bit, 1, 1, 0);
    MakeColorField(Field.get(), 4, 2);
    EXPECT_EQ(Field->PixelFormat(), pf24bit);
    ASSERT_EQ(Field->Width(), 4);
    ASSERT_EQ(Field->Height(), 2);
    EXPECT_EQ(PixelOf(Field.get(), 2, 0), 0x00FFFFFFu);
    EXPECT_EQ(PixelOf(Field.get(), 0, 1), 0x00FF0000u);
    EXPECT_EQ(PixelOf(Field.get(), 1, 1), 0x0000FF00u);
    EXPECT_EQ(PixelOf(Field.get(), 3, 1), 0x00FF0000u);
}

TEST(MediaPaint32Test, MapRectsBetweenFrames)
{
    TRect R;
    MapRect(Rect(0, 0, 200, 50), Rect(0, 0, 100, 100), Rect(10, 10, 20, 20), R);
    EXPECT_EQ(R, Rect(20, 5, 40, 10));
    MapRect(Rect(5, 5, 9, 9), Rect(5, 5, 9, 9), Rect(-1, 2, 30, 4), R);
    EXPECT_EQ(R, Rect(-1, 2, 30, 4));
    MapRect(Rect(0, 0, 10, 10), Rect(3, 0, 3, 10), Rect(0, 0, 5, 5), R);
    EXPECT_EQ(R, Rect(0, 0, 0, 0));

    struct {
        TRect To, R, ExpectDest, ExpectSource;
    } const Cases[] = {
        {{10, 10, 210, 110}, {0, 0, 100, 50}, {10, 10, 210, 110}, {0, 0, 100, 50}},
        {{-50, -20, 150, 80}, {0, 0, 100, 50}, {0, 0, 150, 80}, {25, 10, 100, 50}},
        {{0, 0, 200, 100}, {50, 25, 300, 300}, {100, 50, 200, 100}, {50, 25, 100, 50}},
        {{0, 0, 200, 100}, {101, 0, 120, 10}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {{0, 0, 0, 100}, {0, 0, 100, 50}, {0, 0, 0, 0}, {0, 0, 100, 50}},
    };
    for (const auto& Case : Cases) {
        TRect Dest, Source;
        MapClipRect(Case.To, Rect(0, 0, 100, 50), Case.R, Dest, Source);
        EXPECT_EQ(Dest, Case.ExpectDest) << Case.To.Left << "," << Case.R.Left;
        EXPECT_EQ(Source, Case.ExpectSource) << Case.To.Left << "," << Case.R.Left;
    }
}

TEST(MediaPaint32Test, CrossedBoxLineAndCheckerBrush)
{
    auto Box = FilledBitmap(pf32bit, 40, 40, 0x00808080);
    DrawCrossedBox(Box->Canvas(), Rect(0, 0, 40, 40));
    EXPECT_EQ(PixelOf(Box.get(), 20, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(PixelOf(Box.get(), 2, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(PixelOf(Box.get(), 20, 8) & 0xFFFFFF, 0x00FFFFFFu);
    DrawLine(Box->Canvas(), 0, 39, 40, 39, clRed);
    EXPECT_EQ(PixelOf(Box.get(), 20, 39) & 0xFFFFFF, 0x00FF0000u);

    EXPECT_EQ(CheckerBrush()->Bitmap(), CheckerBitmap());
    EXPECT_EQ(CheckerBitmap()->Width(), 8);
    EXPECT_EQ(PixelOf(CheckerBitmap(), 0, 0) & 0xFFFFFF, 0x00C0C0C0u);
    EXPECT_EQ(PixelOf(CheckerBitmap(), 5, 1) & 0xFFFFFF, 0x00808080u);
    MakeCheckerBrush(clRed, clBlue);
    auto Filled = FilledBitmap(pf32bit, 16, 8, 0);
    Filled->Canvas()->SetBrush(CheckerBrush());
    Filled->Canvas()->FillRect(Rect(0, 0, 16, 8));
    const uint32_t Row0[] = {0x00FF0000, 0x000000FF, 0x00FF0000, 0x000000FF};
    const uint32_t Row5[] = {0x000000FF, 0x00FF0000, 0x000000FF, 0x00FF0000};
    for (int Square = 0; Square < 4; ++Square) {
        EXPECT_EQ(PixelOf(Filled.get(), 4 * Square + 1, 0) & 0xFFFFFF, Row0[Square]) << Square;
        EXPECT_EQ(PixelOf(Filled.get(), 4 * Square + 1, 5) & 0xFFFFFF, Row5[Square]) << Square;
    }
    MakeCheckerBrush(TColor(0xC0C0C0), TColor(0x808080));
    EXPECT_EQ(BlankPng()->Width(), 8);
    EXPECT_EQ(BlankPng()->Header().ColorType, COLOR_RGBALPHA);
    EXPECT_EQ(WorkBitmap32()->PixelFormat(), pf32bit);
}

} // namespace
