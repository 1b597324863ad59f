#include "XMedia.Paint32.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Rtl.SysUtils.h"
#include "XMedia.Types.h"

namespace {

uint8_t ByteOf(uint32_t AValue, int AIndex) { return uint8_t(AValue >> (8 * AIndex)); }

uint8_t BlendByte(uint8_t AAlpha, uint8_t ASource, uint8_t ADest)
{
    if (ASource == 255 && ADest == 255)
        return 255;
    return uint8_t((AAlpha * ASource + (255 - AAlpha) * ADest) >> 8);
}

// Blends the first three bytes of ADst towards those of ASrc.
void BlendPixel(uint8_t* ADst, const uint8_t* ASrc, uint8_t AAlpha)
{
    for (int I = 0; I < 3; ++I)
        ADst[I] = BlendByte(AAlpha, ASrc[I], ADst[I]);
}

bool SameRGB(const uint8_t* APixel, uint32_t AKey)
{
    return APixel[0] == ByteOf(AKey, 0) && APixel[1] == ByteOf(AKey, 1) && APixel[2] == ByteOf(AKey, 2);
}

uint32_t Load32(const uint8_t* APixel)
{
    uint32_t V;
    std::memcpy(&V, APixel, 4);
    return V;
}

uint8_t* PixelAt(TBitmap* ABitmap, int AX, int AY)
{
    return static_cast<uint8_t*>(ABitmap->ScanLine(AY)) + AX * ABitmap->BytesPerPixel();
}

// One source row per destination row over the clipped region; ALine gets the pixel count.
template <typename TLine>
void ForEachClippedRow(TBitmap* ADest, TBitmap* ASource, int AX, int AY, TRect AS, TLine ALine)
{
    int Right = 0;
    int Bottom = 0;
    if (!ClipBlitRects(AS, AX, AY, Right, Bottom, ASource->Width(), ASource->Height(), ADest->Width(),
                       ADest->Height()))
        return;
    for (int Y = AY; Y < Bottom; ++Y)
        ALine(PixelAt(ADest, AX, Y), PixelAt(ASource, AS.Left, AS.Top + Y - AY), Right - AX);
}

bool ClipToBitmap(TBitmap* ABitmap, TRect& ARect)
{
    ARect.Left = std::max(ARect.Left, 0);
    ARect.Top = std::max(ARect.Top, 0);
    ARect.Right = std::min(ARect.Right, ABitmap->Width());
    ARect.Bottom = std::min(ARect.Bottom, ABitmap->Height());
    return ARect.Left < ARect.Right && ARect.Top < ARect.Bottom;
}

// Writes pixel value AValue; a 4-byte pixel gets fourth byte 0.
void StorePixel(uint8_t* APixel, uint32_t AValue, int ABytes)
{
    APixel[0] = ByteOf(AValue, 0);
    APixel[1] = ByteOf(AValue, 1);
    APixel[2] = ByteOf(AValue, 2);
    if (ABytes == 4)
        APixel[3] = 0;
}

// Step AIndex of ACount from pixel value A to B, both ends included.
uint32_t GradientStep(uint32_t A, uint32_t B, int AIndex, int ACount)
{
    uint32_t Result = 0;
    for (int I = 0; I < 3; ++I) {
        int From = ByteOf(A, I);
        int Delta = ACount > 1 ? (ByteOf(B, I) - From) * AIndex / (ACount - 1) : 0;
        Result |= uint32_t(From + Delta) << (8 * I);
    }
    return Result;
}

void CombineBitmapAt(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint32_t (*ACombine)(uint32_t, uint32_t))
{
    ASource->SetPixelFormat(ADest->PixelFormat());
    const int Bytes = ADest->PixelFormat() == pf24bit ? 3 : 4;
    ForEachClippedRow(ADest, ASource, AX, AY, Rect(0, 0, ASource->Width(), ASource->Height()),
                      [&](uint8_t* D, const uint8_t* S, int N) {
                          for (int I = 0; I < N; ++I, D += Bytes, S += Bytes) {
                              uint32_t Old = D[0] | D[1] << 8 | D[2] << 16;
                              uint32_t Add = S[0] | S[1] << 8 | S[2] << 16;
                              StorePixel(D, ACombine(Old, Add), Bytes);
                          }
                      });
}

TColor ChannelColor(TXFotoPixel APixel, float TXFotoPixel::*AChannel, float AValue)
{
    APixel.*AChannel = AValue;
    return FotoPixelToColor(APixel);
}

void ChannelStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, float TXFotoPixel::*AChannel,
                  int ADirection)
{
    GradientRect(ABitmap, ARect, ChannelColor(APixel, AChannel, 0), ChannelColor(APixel, AChannel, 255), ADirection);
}

// The source's pixels in the destination's row layout; a copy when the formats differ, so
// the caller's bitmap is left as it is.
struct TSourceInFormat {
    TSourceInFormat(TBitmap* ASource, TPixelFormat AFormat) : Bitmap(ASource)
    {
        if (ASource->PixelFormat() == AFormat)
            return;
        Copy = Owned(TBitmap::Create());
        Copy->Assign(ASource);
        Copy->SetPixelFormat(AFormat);
        Bitmap = Copy.get();
    }
    TBitmap* Bitmap;
    TOwned<TBitmap> Copy;
};

TRect WholeBitmap(TBitmap* ABitmap) { return Rect(0, 0, ABitmap->Width(), ABitmap->Height()); }

void Store32(uint8_t* APixel, uint32_t AValue) { std::memcpy(APixel, &AValue, 4); }

int WidthOf(const TRect& ARect) { return std::max(0, ARect.Right - ARect.Left); }
int HeightOf(const TRect& ARect) { return std::max(0, ARect.Bottom - ARect.Top); }

using TStripComponent = float TXFotoPixel::*;

// One HSL strip; the colours along it are worked out once and repeated across.
void HSLStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, TStripComponent AComponent, double AFull,
              bool AVertical)
{
    TRect R = ARect;
    if (!ClipToBitmap(ABitmap, R))
        return;
    const int Length = AVertical ? R.Bottom - R.Top : R.Right - R.Left;
    if (Length - 1 <= 0)
        return;
    const double Step = AFull / (Length - 1);
    std::vector<uint32_t> Colors(size_t(Length), 0);
    for (int I = 0; I < Length; ++I) {
        TXFotoPixel P = APixel;
        P.*AComponent = float(I * Step);
        TXRGBColor T;
        FotoPixelToRGB(HSLToRGB(P), T);
        Colors[size_t(I)] = T.Blue | T.Green << 8 | T.Red << 16;
    }
    const int Bytes = ABitmap->BytesPerPixel();
    for (int Y = R.Top; Y < R.Bottom; ++Y) {
        uint8_t* P = PixelAt(ABitmap, R.Left, Y);
        for (int X = R.Left; X < R.Right; ++X, P += Bytes)
            StorePixel(P, Colors[size_t(AVertical ? Y - R.Top : X - R.Left)], Bytes);
    }
}

void PaintChecker(TBitmap* ABitmap, TBrush* ABrush, TColor AColor1, TColor AColor2)
{
    TCanvas* Canvas = ABitmap->Canvas();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(AColor1);
    Canvas->FillRect(Rect(0, 0, 8, 8));
    Canvas->Brush()->SetColor(AColor2);
    Canvas->FillRect(Rect(4, 0, 8, 4));
    Canvas->FillRect(Rect(0, 4, 4, 8));
    ABrush->SetBitmap(ABitmap);
}

// Members are freed in reverse order: the brush first, the blank PNG last.
struct TSharedPaintObjects {
    TSharedPaintObjects()
    {
        BlankPng->CreateBlank(COLOR_RGBALPHA, 8, 8, 8);
        WorkBitmap->SetPixelFormat(pf32bit);
        GlyphScratch->SetPixelFormat(pfDevice);
        GlyphScratch->Canvas()->Brush()->SetColor(clWhite);
        CheckerBitmap->SetPixelFormat(pfDevice);
        CheckerBitmap->SetSize(8, 8);
        PaintChecker(CheckerBitmap.get(), CheckerBrush.get(), TColor(0xC0C0C0), TColor(0x808080));
    }
    TOwned<TPngImage> BlankPng = Owned(TPngImage::Create());
    TOwned<TBitmap> WorkBitmap = Owned(TBitmap::Create());
    TOwned<TBitmap> GlyphScratch = Owned(TBitmap::Create());
    TOwned<TBitmap> CheckerBitmap = Owned(TBitmap::Create());
    TOwned<TBrush> CheckerBrush = Owned(TBrush::Create());
};

TSharedPaintObjects& Shared()
{
    static TSharedPaintObjects Objects;
    return Objects;
}

// Gives the scratch bitmap's memory back however the drawing ends.
struct TScratchRelease {
    TBitmap* Bitmap;
    ~TScratchRelease() { Bitmap->SetWidth(0); }
};

} // namespace

TColor MakeColorClamped(int32_t ARed, int32_t AGreen, int32_t ABlue)
{
    auto Clamp = [](int32_t V) { return uint32_t(std::clamp(V, 0, 255)); };
    return TColor(Clamp(ARed) | Clamp(AGreen) << 8 | Clamp(ABlue) << 16);
}

void ColorToRGBTriple(TColor AColor, TXRGBColor& ATriple) { ATriple = ColorToRGBColor(AColor); }

uint32_t SwapRB(uint32_t AValue) { return (AValue & 0xFF) << 16 | (AValue & 0xFF00) | ((AValue >> 16) & 0xFF); }

uint32_t ColorToBGR(TColor AColor) { return SwapRB(uint32_t(ColorToRGB(AColor))); }

void BlendRGB(uint8_t AAlpha, TXRGBColor& ATriple, const TXRGBColor& ABack, const TXRGBColor& AFore)
{
    ATriple.Blue = BlendByte(AAlpha, AFore.Blue, ABack.Blue);
    ATriple.Green = BlendByte(AAlpha, AFore.Green, ABack.Green);
    ATriple.Red = BlendByte(AAlpha, AFore.Red, ABack.Red);
}

TColor BlendColors(TColor AColor1, TColor AColor2, uint8_t AAlpha)
{
    TXRGBColor Result;
    BlendRGB(AAlpha, Result, ColorToRGBColor(AColor1), ColorToRGBColor(AColor2));
    return RGBColorToColor(Result);
}

uint8_t ClampedByteAdd(uint8_t A, uint8_t B) { return uint8_t(std::min(A + B, 255)); }

uint8_t ClampedByteSub(uint8_t A, uint8_t B) { return B < A ? uint8_t(A - B) : 0; }

uint32_t AddColors(uint32_t A, uint32_t B)
{
    uint32_t Result = 0;
    for (int I = 0; I < 3; ++I)
        Result |= uint32_t(ClampedByteAdd(ByteOf(A, I), ByteOf(B, I))) << (8 * I);
    return Result;
}

uint32_t SubColors(uint32_t A, uint32_t B)
{
    uint32_t Result = 0;
    for (int I = 0; I < 3; ++I)
        Result |= uint32_t(ClampedByteSub(ByteOf(A, I), ByteOf(B, I))) << (8 * I);
    return Result;
}

void AddRGB(TXRGBColor& ATriple, const TXRGBColor& A, const TXRGBColor& B)
{
    ATriple = {ClampedByteAdd(A.Blue, B.Blue), ClampedByteAdd(A.Green, B.Green), ClampedByteAdd(A.Red, B.Red)};
}

void SubRGB(TXRGBColor& ATriple, const TXRGBColor& A, const TXRGBColor& B)
{
    ATriple = {ClampedByteSub(A.Blue, B.Blue), ClampedByteSub(A.Green, B.Green), ClampedByteSub(A.Red, B.Red)};
}

void ColorToFotoPixel(TColor AColor, TXFotoPixel& APixel)
{
    TXRGBColor C = ColorToRGBColor(AColor);
    APixel = {float(C.Blue), float(C.Green), float(C.Red)};
}

TColor FotoPixelToColor(TXFotoPixel APixel)
{
    return MakeColorClamped(int32_t(Round(APixel.C3)), int32_t(Round(APixel.C2)), int32_t(Round(APixel.C1)));
}

void FotoPixelToRGB(TXFotoPixel APixel, TXRGBColor& ATriple)
{
    ATriple = {uint8_t(Round(APixel.C1)), uint8_t(Round(APixel.C2)), uint8_t(Round(APixel.C3))};
}

uint32_t InverseGrey(uint32_t AValue)
{
    const int Blue = ByteOf(AValue, 0), Green = ByteOf(AValue, 1), Red = ByteOf(AValue, 2);
    const int Grey = Red == Green && Green == Blue ? 255 - Red : 255 - int(Round((Red + Green + Blue) / 3.0));
    return uint32_t(Grey) * 0x010101;
}

void CopyRGBPixels(void* ADst, const void* ASrc, int ACount) { std::memmove(ADst, ASrc, size_t(ACount) * 3); }

void CopyRGBPixelsExceptKey(void* ADst, const void* ASrc, int ACount, uint32_t AKey)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 3, S += 3)
        if (!SameRGB(S, AKey))
            std::memcpy(D, S, 3);
}

void CopyPixels32ExceptKey(void* ADst, const void* ASrc, int ACount, uint32_t AKey)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 4, S += 4)
        if (Load32(S) != AKey)
            std::memcpy(D, S, 4);
}

void BlendLine24(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 3, S += 3)
        BlendPixel(D, S, AAlpha);
}

void BlendLine32(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 4, S += 4)
        BlendPixel(D, S, AAlpha);
}

void BlendLine24ExceptKey(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha, uint32_t AKey)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 3, S += 3)
        if (!SameRGB(S, AKey))
            BlendPixel(D, S, AAlpha);
}

void BlendLine32ExceptKey(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha, uint32_t AKey)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* S = static_cast<const uint8_t*>(ASrc);
    for (int I = 0; I < ACount; ++I, D += 4, S += 4)
        if (Load32(S) != AKey)
            BlendPixel(D, S, AAlpha);
}

void BlendColorLine24(void* ADst, int ACount, uint8_t AAlpha, uint32_t AColor)
{
    const uint8_t S[3] = {ByteOf(AColor, 0), ByteOf(AColor, 1), ByteOf(AColor, 2)};
    auto* D = static_cast<uint8_t*>(ADst);
    for (int I = 0; I < ACount; ++I, D += 3)
        BlendPixel(D, S, AAlpha);
}

void BlendColorLine32(void* ADst, uint32_t AColor, int ACount, uint8_t AAlpha)
{
    const uint8_t S[3] = {ByteOf(AColor, 0), ByteOf(AColor, 1), ByteOf(AColor, 2)};
    auto* D = static_cast<uint8_t*>(ADst);
    for (int I = 0; I < ACount; ++I, D += 4)
        BlendPixel(D, S, AAlpha);
}

bool ClipBlitRects(TRect& AS, int& AX, int& AY, int& ARight, int& ABottom, int ASourceWidth,
                   int ASourceHeight, int ADestWidth, int ADestHeight)
{
    if (ASourceWidth < 1 || ASourceHeight < 1 || ADestWidth < 1 || ADestHeight < 1)
        return false;
    if (AS.Left < 0) {
        AX -= AS.Left;
        AS.Left = 0;
    }
    if (AS.Top < 0) {
        AY -= AS.Top;
        AS.Top = 0;
    }
    if (AX < 0) {
        AS.Left -= AX;
        AX = 0;
    }
    if (AY < 0) {
        AS.Top -= AY;
        AY = 0;
    }
    AS.Right = std::min(AS.Right, ASourceWidth);
    AS.Bottom = std::min(AS.Bottom, ASourceHeight);
    if (AS.Left >= ASourceWidth || AS.Top >= ASourceHeight || AS.Left >= AS.Right || AS.Top >= AS.Bottom)
        return false;
    ARight = std::min(AX + AS.Right - AS.Left, ADestWidth);
    ABottom = std::min(AY + AS.Bottom - AS.Top, ADestHeight);
    return AX < ARight && AY < ABottom;
}

void AlphaDrawBitmapRect(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha, const TRect& ASourceRect)
{
    if (AAlpha == 0)
        return;
    const bool Wide = ADest->PixelFormat() == pf32bit;
    TSourceInFormat Source(ASource, Wide ? pf32bit : pf24bit);
    ForEachClippedRow(ADest, Source.Bitmap, AX, AY, ASourceRect, [&](uint8_t* D, const uint8_t* S, int N) {
        if (AAlpha == 255)
            std::memmove(D, S, size_t(N) * (Wide ? 4 : 3));
        else if (Wide)
            BlendLine32(D, S, N, AAlpha);
        else
            BlendLine24(D, S, N, AAlpha);
    });
}

void AlphaDrawBitmapRectTransparent(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha,
                                    const TRect& ASourceRect, TColor AKeyColor)
{
    if (AAlpha == 0)
        return;
    const bool Wide = ADest->PixelFormat() == pf32bit;
    TSourceInFormat Source(ASource, Wide ? pf32bit : pf24bit);
    const uint32_t Key = ColorToBGR(AKeyColor);
    ForEachClippedRow(ADest, Source.Bitmap, AX, AY, ASourceRect, [&](uint8_t* D, const uint8_t* S, int N) {
        if (AAlpha == 255)
            Wide ? CopyPixels32ExceptKey(D, S, N, Key) : CopyRGBPixelsExceptKey(D, S, N, Key);
        else
            Wide ? BlendLine32ExceptKey(D, S, N, AAlpha, Key) : BlendLine24ExceptKey(D, S, N, AAlpha, Key);
    });
}

void AlphaDrawBitmapTransparent(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha, TColor AKeyColor)
{
    AlphaDrawBitmapRectTransparent(ADest, ASource, AX, AY, AAlpha, WholeBitmap(ASource), AKeyColor);
}

void BlendColorRect(TBitmap* ABitmap, TColor AColor, const TRect& ARect, uint8_t AAlpha)
{
    TRect R = ARect;
    if (AAlpha == 0 || !ClipToBitmap(ABitmap, R))
        return;
    const uint32_t Color = ColorToBGR(AColor);
    for (int Y = R.Top; Y < R.Bottom; ++Y) {
        uint8_t* D = PixelAt(ABitmap, R.Left, Y);
        if (ABitmap->PixelFormat() == pf32bit)
            BlendColorLine32(D, Color, R.Right - R.Left, AAlpha);
        else
            BlendColorLine24(D, R.Right - R.Left, AAlpha, Color);
    }
}

void BlendColorBitmap(TBitmap* ABitmap, TColor AColor, uint8_t AAlpha)
{
    BlendColorRect(ABitmap, AColor, WholeBitmap(ABitmap), AAlpha);
}

void AddBitmapAt(TBitmap* ADest, TBitmap* ASource, int AX, int AY) { CombineBitmapAt(ADest, ASource, AX, AY, AddColors); }

void SubtractBitmapAt(TBitmap* ADest, TBitmap* ASource, int AX, int AY)
{
    CombineBitmapAt(ADest, ASource, AX, AY, SubColors);
}

void FadeGreyMask(TBitmap* ABitmap, uint8_t AAmount)
{
    const int Bytes = ABitmap->BytesPerPixel();
    for (int Y = 0; Y < ABitmap->Height(); ++Y) {
        auto* P = static_cast<uint8_t*>(ABitmap->ScanLine(Y));
        for (int X = 0; X < ABitmap->Width(); ++X, P += Bytes)
            P[0] = P[1] = P[2] = ClampedByteSub(P[2], AAmount);
    }
}

void GradientRect(TBitmap* ABitmap, const TRect& ARect, TColor AColor1, TColor AColor2, int ADirection)
{
    TRect R = ARect;
    if (!ClipToBitmap(ABitmap, R))
        return;
    const uint32_t From = ColorToBGR(AColor1);
    const uint32_t To = ColorToBGR(AColor2);
    const int Bytes = ABitmap->BytesPerPixel();
    const int Count = ADirection == 0 ? R.Right - R.Left : R.Bottom - R.Top;
    for (int Y = R.Top; Y < R.Bottom; ++Y) {
        uint8_t* P = PixelAt(ABitmap, R.Left, Y);
        for (int X = R.Left; X < R.Right; ++X, P += Bytes) {
            const int Index = ADirection == 0 ? X - R.Left : Y - R.Top;
            StorePixel(P, GradientStep(From, To, Index, Count), Bytes);
        }
    }
}

void GradientBitmap(TBitmap* ABitmap, TColor AColor1, TColor AColor2, int ADirection)
{
    GradientRect(ABitmap, WholeBitmap(ABitmap), AColor1, AColor2, ADirection);
}

void RedStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection)
{
    ChannelStrip(ABitmap, ARect, APixel, &TXFotoPixel::C3, ADirection);
}

void GreenStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection)
{
    ChannelStrip(ABitmap, ARect, APixel, &TXFotoPixel::C2, ADirection);
}

void BlueStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection)
{
    ChannelStrip(ABitmap, ARect, APixel, &TXFotoPixel::C1, ADirection);
}

void RedStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection)
{
    RedStrip(ABitmap, WholeBitmap(ABitmap), APixel, ADirection);
}

void GreenStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection)
{
    GreenStrip(ABitmap, WholeBitmap(ABitmap), APixel, ADirection);
}

void BlueStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection)
{
    BlueStrip(ABitmap, WholeBitmap(ABitmap), APixel, ADirection);
}

uint32_t CoverageBlend(uint32_t AMask, uint32_t ADest, uint32_t AColor)
{
    const int Coverage = 255 - int(Round((ByteOf(AMask, 0) + ByteOf(AMask, 1) + ByteOf(AMask, 2)) / 3.0));
    const int Held = ADest < 0x01000000 ? 255 : ByteOf(ADest, 3);
    int Weight = 0;
    int Fourth = Held;
    if (Held == 255)
        Weight = Coverage;
    else if (Held == Coverage)
        Weight = 127;
    else if (Coverage < Held)
        Weight = int(Round(Coverage * 127.0 / Held));
    else {
        Weight = 255 - int(Round(Held * 127.0 / Coverage));
        Fourth = Coverage;
    }
    uint32_t Result = uint32_t(Fourth) << 24;
    for (int I = 0; I < 3; ++I)
        Result |= uint32_t(BlendByte(uint8_t(Weight), ByteOf(AColor, I), ByteOf(ADest, I))) << (8 * I);
    return Result;
}

void TintGlyphLine(void* ADst, const void* AMask, int ACount, uint32_t AEmpty, uint32_t AColor)
{
    auto* D = static_cast<uint8_t*>(ADst);
    auto* M = static_cast<const uint8_t*>(AMask);
    for (int I = 0; I < ACount; ++I, D += 4, M += 4) {
        const uint32_t Mask = Load32(M) & 0x00FFFFFF;
        const uint32_t Dest = Load32(D);
        if (Mask == 0x00FFFFFF)
            continue;
        if (Mask == 0)
            Store32(D, AColor);
        else if (Dest == AEmpty)
            Store32(D, (AColor & 0x00FFFFFF) | (InverseGrey(Mask) & 0xFF) << 24);
        else
            Store32(D, CoverageBlend(Mask, Dest, AColor));
    }
}

void DrawTintedMetafile(TBitmap* ADest, const TRect& ARect, TColor AColor, TGraphic* AGlyph)
{
    const int W = WidthOf(ARect), H = HeightOf(ARect);
    if (ADest->PixelFormat() != pf32bit || W == 0 || H == 0)
        return;
    TBitmap* Scratch = GlyphScratch();
    TScratchRelease Release{Scratch};
    Scratch->SetSize(W, H);
    Scratch->Canvas()->FillRect(Rect(0, 0, W, H));
    Scratch->Canvas()->StretchDraw(Rect(0, 0, W, H), AGlyph);
    const uint32_t Color = ColorToBGR(AColor);
    const uint32_t Empty = ColorToBGR(TColor(0xFF00FF));
    ForEachClippedRow(ADest, Scratch, ARect.Left, ARect.Top, Rect(0, 0, W, H),
                      [&](uint8_t* D, const uint8_t* M, int N) { TintGlyphLine(D, M, N, Empty, Color); });
}

void HueStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical)
{
    HSLStrip(ABitmap, ARect, APixel, &TXFotoPixel::C1, 360, AVertical);
}

void SaturationStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical)
{
    HSLStrip(ABitmap, ARect, APixel, &TXFotoPixel::C2, 1, AVertical);
}

void LightnessStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical)
{
    HSLStrip(ABitmap, ARect, APixel, &TXFotoPixel::C3, 1, AVertical);
}

void HueStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical)
{
    HueStrip(ABitmap, WholeBitmap(ABitmap), APixel, AVertical);
}

void SaturationStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical)
{
    SaturationStrip(ABitmap, WholeBitmap(ABitmap), APixel, AVertical);
}

void LightnessStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical)
{
    LightnessStrip(ABitmap, WholeBitmap(ABitmap), APixel, AVertical);
}

void MakeColorField(TBitmap* ABitmap, int AW, int AH)
{
    ABitmap->SetPixelFormat(pf24bit);
    ABitmap->SetSize(AW, AH);
    for (int I = 0; I < AH; ++I)
        HueStrip(ABitmap, Rect(0, I, AW, I + 1), TXFotoPixel{0, 1, float(double(AH - I) / AH)}, false);
}

void DrawCrossedBox(TCanvas* ACanvas, const TRect& ARect)
{
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(clWhite);
    ACanvas->Pen()->SetStyle(psSolid);
    ACanvas->Pen()->SetColor(clBlack);
    ACanvas->Pen()->SetWidth(10);
    ACanvas->Rectangle(ARect);
    ACanvas->MoveTo(ARect.Left, ARect.Top);
    ACanvas->LineTo(ARect.Right, ARect.Bottom);
    ACanvas->MoveTo(ARect.Left, ARect.Bottom);
    ACanvas->LineTo(ARect.Right, ARect.Top);
}

void DrawLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor)
{
    ACanvas->Pen()->SetColor(AColor);
    ACanvas->MoveTo(AX1, AY1);
    ACanvas->LineTo(AX2, AY2);
}

void MakeCheckerBrush(TColor AColor1, TColor AColor2)
{
    PaintChecker(CheckerBitmap(), CheckerBrush(), AColor1, AColor2);
}

void MapRect(const TRect& AToRect, const TRect& AFromRect, const TRect& ARect, TRect& AResult)
{
    if (AFromRect == AToRect) {
        AResult = ARect;
        return;
    }
    AResult = Rect(0, 0, 0, 0);
    const int FW = WidthOf(AFromRect), FH = HeightOf(AFromRect);
    if (FW == 0 || FH == 0)
        return;
    const double SX = double(WidthOf(AToRect)) / FW;
    const double SY = double(HeightOf(AToRect)) / FH;
    const int X = int(Round(SX * (ARect.Left - AFromRect.Left))) + AToRect.Left;
    const int Y = int(Round((ARect.Top - AFromRect.Top) * SY)) + AToRect.Top;
    AResult = Rect(X, Y, X + int(Round(SX * WidthOf(ARect))), Y + int(Round(SY * HeightOf(ARect))));
}

void MapClipRect(const TRect& AToRect, const TRect& AFromRect, const TRect& ARect, TRect& ADestPart,
                 TRect& ASourcePart)
{
    ADestPart = Rect(0, 0, 0, 0);
    ASourcePart = Rect(0, 0, 0, 0);
    if (ARect.Left > AFromRect.Right || ARect.Top > AFromRect.Bottom)
        return;
    TRect R = ARect;
    R.Right = std::min(R.Right, AFromRect.Right);
    R.Bottom = std::min(R.Bottom, AFromRect.Bottom);
    ASourcePart = R;
    TRect Mapped;
    MapRect(AToRect, AFromRect, R, Mapped);
    const int TW = WidthOf(AToRect), TH = HeightOf(AToRect);
    if (RectIsEmpty(Mapped) || TW == 0 || TH == 0)
        return;
    ADestPart = Mapped;
    if (Mapped.Left < 0) {
        ADestPart.Left = 0;
        ASourcePart.Left = AFromRect.Left - int(Round(AToRect.Left * (double(WidthOf(AFromRect)) / TW)));
    }
    if (Mapped.Top < 0) {
        ADestPart.Top = 0;
        ASourcePart.Top = AFromRect.Top - int(Round(AToRect.Top * (double(HeightOf(AFromRect)) / TH)));
    }
}

TBrush* CheckerBrush() { return Shared().CheckerBrush.get(); }
TBitmap* CheckerBitmap() { return Shared().CheckerBitmap.get(); }
TBitmap* GlyphScratch() { return Shared().GlyphScratch.get(); }
TBitmap* WorkBitmap32() { return Shared().WorkBitmap.get(); }
TPngImage* BlankPng() { return Shared().BlankPng.get(); }
