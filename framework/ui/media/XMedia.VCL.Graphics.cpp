#include "XMedia.VCL.Graphics.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "Vcl.Imaging.Jpeg.h"
#include "Win.Display.h"
#include "XMedia.Graphics.Converters.h"
#include "XMedia.Graphics.Filters.h"

namespace {

int RectWidth(const TRect& ARect) { return std::max(0, ARect.Right - ARect.Left); }
int RectHeight(const TRect& ARect) { return std::max(0, ARect.Bottom - ARect.Top); }

bool IsBlank(TGraphic* AGraphic) { return AGraphic == nullptr || AGraphic->Empty(); }

// Sets the font's quality for the guard's lifetime; an exception restores it too.
class TQualitySwitch {
public:
    TQualitySwitch(TFont* AFont, TFontQuality AQuality) : FFont(AFont), FOld(AFont->Quality())
    {
        FFont->SetQuality(AQuality);
    }
    ~TQualitySwitch() { FFont->SetQuality(FOld); }
    TQualitySwitch(const TQualitySwitch&) = delete;
    TQualitySwitch& operator=(const TQualitySwitch&) = delete;

private:
    TFont* FFont;
    TFontQuality FOld;
};

class TCanvasLock {
public:
    explicit TCanvasLock(TCanvas* ACanvas) : FCanvas(ACanvas) { FCanvas->Lock(); }
    ~TCanvasLock() { FCanvas->Unlock(); }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
    TCanvas* FCanvas;
};

TTextFormat LayoutFormat(uint8_t ALayout)
{
    switch (ALayout) {
    case 0: return {tfSingleLine};
    case 1: return {tfSingleLine, tfBottom};
    case 2: return {tfSingleLine, tfVerticalCenter};
    default: return {};
    }
}

TTextFormat EllipsisFormat(TXEllipsis AEllipsis)
{
    switch (AEllipsis) {
    case xepPathEllipsis: return {tfPathEllipsis};
    case xepEndEllipsis: return {tfEndEllipsis};
    case xepWordEllipsis: return {tfWordEllipsis};
    default: return {};
    }
}

TTextFormat AlignmentFormat(TAlignment AAlignment, bool ARightToLeft)
{
    if (AAlignment == taCenter)
        return ARightToLeft ? TTextFormat{tfCenter, tfRtlReading} : TTextFormat{tfCenter};
    const bool Left = (AAlignment == taLeftJustify) != ARightToLeft;
    TTextFormat Result{Left ? tfLeft : tfRight};
    return ARightToLeft ? Result + TTextFormat{tfRtlReading} : Result;
}

// ---- Icon files ----

struct TIconDirEntry {
    uint8_t Raw[16] = {};
    int Width() const { return Raw[0]; }
    int Height() const { return Raw[1]; }
    int BitCount() const { return Raw[6] | Raw[7] << 8; }
    uint32_t U32(int AAt) const
    {
        return Raw[AAt] | Raw[AAt + 1] << 8 | Raw[AAt + 2] << 16 | uint32_t(Raw[AAt + 3]) << 24;
    }
    uint32_t DataSize() const { return U32(8); }
    uint32_t DataOffset() const { return U32(12); }
    // Without a count, 32-bit entries count as the most colours there are.
    int64_t Colors() const
    {
        if (Raw[2] != 0)
            return Raw[2];
        return BitCount() == 32 ? INT_MAX : 65536;
    }
};

// Nearer to the wanted size, and not larger when the best one is smaller.
bool HasBetterSize(const TIconDirEntry& E, const TIconDirEntry& ABest, TPoint AWanted)
{
    auto Better = [](int D, int B) { return std::abs(D) <= std::abs(B) && (D <= 0 || D <= B); };
    return Better(E.Width() - AWanted.X, ABest.Width() - AWanted.X)
           && Better(E.Height() - AWanted.Y, ABest.Height() - AWanted.Y);
}

const TIconDirEntry& BestIconEntry(const std::vector<TIconDirEntry>& AEntries, TPoint AWanted)
{
    // Every screen here is 32 bits deep, so no entry has more colours than it shows.
    const TIconDirEntry* Best = &AEntries[0];
    for (const TIconDirEntry& E : AEntries)
        if (E.Colors() >= Best->Colors() && HasBetterSize(E, *Best, AWanted))
            Best = &E;
    return *Best;
}

std::vector<TIconDirEntry> ReadIconDirectory(TStream* AStream)
{
    uint8_t Header[6];
    AStream->SetPosition(0);
    AStream->ReadBuffer(Header, sizeof Header);
    std::vector<TIconDirEntry> Entries(Header[4] | Header[5] << 8);
    if (Entries.empty())
        throw EInvalidGraphic("Icon file has no images");
    for (TIconDirEntry& E : Entries)
        AStream->ReadBuffer(E.Raw, sizeof E.Raw);
    return Entries;
}

// The entry's image alone as an icon file, so that the icon decoder sees no other choice.
TOwned<TMemoryStream> SingleEntryIconFile(TStream* AStream, const TIconDirEntry& AEntry)
{
    const int64_t Size = AEntry.DataSize();
    if (int64_t(AEntry.DataOffset()) + Size > AStream->Size())
        throw EReadError("Stream read error");
    const uint8_t Header[6] = {0, 0, 1, 0, 1, 0};
    TIconDirEntry Entry = AEntry;
    const uint32_t Offset = sizeof Header + sizeof Entry.Raw;
    std::memcpy(&Entry.Raw[12], &Offset, 4);   // little-endian, as the file
    TBytes Data(static_cast<size_t>(Size));
    AStream->SetPosition(AEntry.DataOffset());
    AStream->ReadBuffer(Data.data(), Size);
    auto Result = Owned(TMemoryStream::Create());
    Result->WriteBuffer(Header, sizeof Header);
    Result->WriteBuffer(Entry.Raw, sizeof Entry.Raw);
    Result->WriteBuffer(Data.data(), Size);
    Result->SetPosition(0);
    return Result;
}

// ---- Image objects ----

bool HasImageData(TXImageObject* AImage)
{
    return AImage != nullptr && AImage->DataStream()->Size() > 0 && !AImage->DataClass().empty();
}

TOwned<TPicture> DecodePicture(TXImageObject* AImage)
{
    auto Picture = Owned(TPicture::Create());
    TXImageObjectToPictureConverter::CreateWithSource(AImage)->Convert(Picture.get());
    return Picture;
}

void DrawIconObject(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage)
{
    DrawIconFromStream(ACanvas, ARect, AImage->DataStream());
}

TXImageObject* ItemImage(TXImageItem* AItem)
{
    if (AItem == nullptr)
        return nullptr;
    auto* Thumbnailed = AsOrNull<TXThnImageItem>(AItem);
    return Thumbnailed != nullptr && !Thumbnailed->Thn()->IsEmpty() ? Thumbnailed->Thn() : AItem->Data();
}

// ---- Placement ----

void DrawCentred(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, int AW, int AH,
                 const TXFilterKernel* AKernel)
{
    const int X = ARect.Left + (RectWidth(ARect) - AW) / 2;
    const int Y = ARect.Top + (RectHeight(ARect) - AH) / 2;
    StretchDrawResampled(ACanvas, Rect(X, Y, X + AW, Y + AH), AGraphic, AKernel);
}

// The pixels a graphic is resampled from, read where they lie: a plain opaque bitmap as it is,
// a JPEG picture decoded at half size when that still covers AW x AH with a margin (less lets
// the coarser decode show; the scale it had comes back afterwards). Other graphics have no such pixels and are drawn into a bitmap.
class TCoveringDecode {
public:
    TCoveringDecode(TGraphic* AGraphic, int AW, int AH) : FGraphic(AGraphic)
    {
        if (auto* Jpeg = AsOrNull<TJPEGImage>(AGraphic)) {
            FJpeg = Jpeg;
            FOldScale = Jpeg->Scale();
            if (FOldScale == jsFullSize)
                Jpeg->SetScale(CoveringScale(Jpeg->Width(), Jpeg->Height(), AW, AH));
            try {
                FPixels = Jpeg->Bitmap();
            } catch (...) {
                RestoreScale();
                throw;
            }
        } else if (auto* Bitmap = AsOrNull<TBitmap>(AGraphic);
                   Bitmap != nullptr && !Bitmap->Transparent() && Bitmap->AlphaFormat() == afIgnored) {
            FPixels = Bitmap;
        }
    }
    ~TCoveringDecode() { RestoreScale(); }
    TCoveringDecode(const TCoveringDecode&) = delete;
    TCoveringDecode& operator=(const TCoveringDecode&) = delete;

    TGraphic* Graphic() const { return FGraphic; }
    // nullptr when the graphic must be drawn to be read.
    TBitmap* Pixels() const { return FPixels; }

private:
    void RestoreScale()
    {
        if (FJpeg != nullptr && FJpeg->Scale() != FOldScale)
            FJpeg->SetScale(FOldScale);
    }
    // Half size (each side halved, rounded up) when it covers the rectangle one and a half times
    // over. The coarser transforms of a quarter and an eighth show through the resampling
    // even with twice the size, so they are not used.
    static TJPEGScale CoveringScale(int AFullW, int AFullH, int AW, int AH)
    {
        const bool HalfCovers = 2 * ((AFullW + 1) / 2) >= 3 * AW && 2 * ((AFullH + 1) / 2) >= 3 * AH;
        return HalfCovers ? jsHalf : jsFullSize;
    }

    TGraphic* FGraphic;
    TJPEGImage* FJpeg = nullptr;
    TJPEGScale FOldScale = jsFullSize;
    TBitmap* FPixels = nullptr;
};

// The covering placement: true when the width is the side matched.
bool CenterMatchesWidth(const TRect& ARect, TGraphic* AGraphic)
{
    return double(RectWidth(ARect)) / RectHeight(ARect) >= double(AGraphic->Width()) / AGraphic->Height();
}

void DrawCovering(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    const int GW = AGraphic->Width(), GH = AGraphic->Height();
    if (CenterMatchesWidth(ARect, AGraphic)) {
        const int NewH = int(Round(double(ARect.Right - ARect.Left) * GH / GW));
        const int Y = ARect.Top + (H - NewH) / 2;
        StretchDrawResampled(ACanvas, Rect(ARect.Left, Y, ARect.Right, Y + NewH), AGraphic, AKernel);
    } else {
        const int NewW = int(Round(double(H) * GW / GH));
        const int X = ARect.Left + (W - NewW) / 2;
        StretchDrawResampled(ACanvas, Rect(X, ARect.Top, X + NewW, ARect.Bottom), AGraphic, AKernel);
    }
}

// A bitmap AW x AH filled with ABrush, for building tile strips in.
TOwned<TBitmap> TileStrip(TBrush* ABrush, int AW, int AH)
{
    auto Strip = Owned(TBitmap::Create());
    Strip->SetPixelFormat(pf24bit);
    Strip->SetSize(AW, AH);
    Strip->Canvas()->SetBrush(ABrush);
    Strip->Canvas()->FillRect(Rect(0, 0, AW, AH));
    return Strip;
}

// ---- PNG ----

TColor PngPixelColor(TPngImage* APng, int AX, int AY)
{
    const auto* Row = static_cast<const uint8_t*>(APng->Scanline(AY));
    return RGB(Row[3 * AX + 2], Row[3 * AX + 1], Row[3 * AX]);
}

void FillTriangle(TBitmap* ABitmap, TColor AColor, std::initializer_list<TPoint> APoints)
{
    TCanvas* Canvas = ABitmap->Canvas();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(AColor);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(AColor);
    Canvas->Polygon(std::span(APoints.begin(), APoints.size()));
}

}  // namespace

// ---- Text --------------------------------------------------------------------------------

void TextOutWithQuality(TCanvas* ACanvas, int AX, int AY, const String& AText, TFontQuality AQuality)
{
    ACanvas->Brush()->SetStyle(bsClear);
    TQualitySwitch Quality(ACanvas->Font(), AQuality);
    ACanvas->TextOut(AX, AY, AText);
}

void DrawTextInRect(TCanvas* ACanvas, const TRect& ARect, const String& AText, uint8_t ALayout,
                    TAlignment AAlignment, bool ARightToLeft, TXEllipsis AEllipsis, TFontQuality AQuality,
                    bool ACalcOnly, TRect& AOutRect)
{
    ACanvas->Brush()->SetStyle(bsClear);
    AOutRect = ARect;
    TTextFormat Format = LayoutFormat(ALayout) + TTextFormat{tfExpandTabs, tfNoPrefix} + EllipsisFormat(AEllipsis)
                         + AlignmentFormat(AAlignment, ARightToLeft);
    if (ACalcOnly) {
        ACanvas->TextRect(AOutRect, AText, Format + TTextFormat{tfCalcRect});
        return;
    }
    TQualitySwitch Quality(ACanvas->Font(), AQuality);
    ACanvas->TextRect(AOutRect, AText, Format);
}

// ---- Icons -------------------------------------------------------------------------------

void ReadIconFromStream(TStream* AStream, TPoint ARequestedSize, TIcon*& AIcon, TPoint& AIconSize)
{
    AIcon = nullptr;
    TPoint Wanted = ARequestedSize;
    if (Wanted.X == 0 && Wanted.Y == 0)
        Wanted = Point(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    const std::vector<TIconDirEntry> Entries = ReadIconDirectory(AStream);
    const TIconDirEntry& Best = BestIconEntry(Entries, Wanted);
    // A size byte of 0 stands for 256 pixels.
    AIconSize = Point(Best.Width() == 0 ? 256 : Best.Width(), Best.Height() == 0 ? 256 : Best.Height());
    TOwned<TMemoryStream> File = SingleEntryIconFile(AStream, Best);
    auto Icon = Owned(TIcon::Create());
    try {
        Icon->LoadFromStream(File.get());
    } catch (const EInvalidGraphic&) {
        RaiseLastGDIError();
    }
    AIcon = Icon.release();
}

void DrawIconFromStream(TCanvas* ACanvas, const TRect& ARect, TStream* AStream)
{
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    TIcon* Handle = nullptr;
    TPoint Size;
    ReadIconFromStream(AStream, Point(W, H), Handle, Size);
    TOwned<TIcon> Icon(Handle);
    ACanvas->StretchDraw(Rect(ARect.Left, ARect.Top, ARect.Left + W, ARect.Top + H), Icon.get());
}

void RaiseLastGDIError() { throw EOutOfResources("Out Of Resources"); }

// ---- Bitmaps -----------------------------------------------------------------------------

void FillBitmap(TBitmap* ABitmap, TColor AColor)
{
    TCanvas* Canvas = ABitmap->Canvas();
    Canvas->Brush()->SetColor(AColor);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(Rect(0, 0, ABitmap->Width(), ABitmap->Height()));
}

void CopyBitmap(TBitmap* ADest, TBitmap* ASource)
{
    ADest->SetPixelFormat(ASource->PixelFormat());
    ADest->SetSize(ASource->Width(), ASource->Height());
    const TRect All = Rect(0, 0, ASource->Width(), ASource->Height());
    ADest->Canvas()->CopyRect(All, ASource->Canvas(), All);
}

void CopyBitmapWrapped(TBitmap* ADest, TBitmap* ASource, int ADX, int ADY)
{
    const int DW = ADest->Width(), DH = ADest->Height();
    const TRect S = Rect(ADX, ADY, ADX + ASource->Width(), ADY + ASource->Height());
    struct TRegion {
        TRect Area;
        TPoint Shift;
    };
    const TRegion Regions[] = {{Rect(-DW, -DH, 0, 0), Point(DW, DH)},
                               {Rect(0, -DH, DW, 0), Point(0, DH)},
                               {Rect(-DW, 0, 0, DH), Point(DW, 0)},
                               {Rect(0, 0, DW, DH), Point(0, 0)}};
    for (const TRegion& Region : Regions) {
        TRect I;
        if (!IntersectRects(I, S, Region.Area))
            continue;
        ADest->Canvas()->CopyRect(MoveRect(I, Region.Shift.X, Region.Shift.Y), ASource->Canvas(),
                                  MoveRect(I, -ADX, -ADY));
    }
}

// ---- Image objects -----------------------------------------------------------------------

void DrawImageObject(TCanvas* ACanvas, int AX, int AY, TXImageObject* AImage)
{
    if (!HasImageData(AImage))
        return;
    if (AImage->IsIcon())
        return DrawIconObject(ACanvas, Rect(AX, AY, AX + AImage->Width(), AY + AImage->Height()), AImage);
    ACanvas->Draw(AX, AY, DecodePicture(AImage)->Graphic());
}

void DrawImageObjectPart(TCanvas* ACanvas, const TRect& ADestRect, const TRect& ASourceRect, TXImageObject* AImage)
{
    if (!HasImageData(AImage))
        return;
    if (AImage->IsIcon())
        return DrawIconObject(ACanvas, ADestRect, AImage);
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    TCanvasLock Lock(Bitmap->Canvas());
    TXImageObjectToBitmapConverter::CreateWithSource(AImage)->Convert(Bitmap.get());
    ACanvas->CopyRect(ADestRect, Bitmap->Canvas(), ASourceRect);
}

void StretchDrawImageObject(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, const TXFilterKernel* AKernel)
{
    if (!HasImageData(AImage))
        return;
    if (AImage->IsIcon())
        return DrawIconObject(ACanvas, ARect, AImage);
    StretchDrawResampled(ACanvas, ARect, DecodePicture(AImage)->Graphic(), AKernel);
}

void DrawImageObjectFitted(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, const TXFilterKernel* AKernel)
{
    if (AImage == nullptr)
        return;
    DrawGraphicDownScaledBestFit(ACanvas, ARect, DecodePicture(AImage)->Graphic(), AKernel);
}

void DrawItemImageFitted(TCanvas* ACanvas, const TRect& ARect, TXImageItem* AItem, const TXFilterKernel* AKernel)
{
    DrawImageObjectFitted(ACanvas, ARect, ItemImage(AItem), AKernel);
}

void StretchDrawItemImage(TCanvas* ACanvas, const TRect& ARect, TXImageItem* AItem, const TXFilterKernel* AKernel)
{
    StretchDrawImageObject(ACanvas, ARect, ItemImage(AItem), AKernel);
}

void DrawFramedImageObject(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, TColor ATopLeftColor,
                           TColor ABottomRightColor, const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (!HasImageData(AImage))
        return;
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    int32_t FitW = 0, FitH = 0;
    ShrinkToFit(FitW, FitH, AImage->Width(), AImage->Height(), W - 2, H - 2);
    const int X = ARect.Left + (W - FitW) / 2;
    const int Y = ARect.Top + (H - FitH) / 2;
    DrawTwoColorFrame(ACanvas, Rect(X - 1, Y - 1, X + FitW + 1, Y + FitH + 1), ATopLeftColor, ABottomRightColor);
    StretchDrawResampled(ACanvas, Rect(X, Y, X + FitW, Y + FitH), DecodePicture(AImage)->Graphic(), AKernel);
}

void DrawImageObjectWithOpacity(TCanvas* ACanvas, const TRect& ARect, uint8_t AOpacity, TXImageObject* AImage,
                                const TXFilterKernel* AKernel)
{
    if (!HasImageData(AImage))
        return;
    if (AImage->IsIcon())
        return DrawIconObject(ACanvas, ARect, AImage);
    TOwned<TPicture> Picture = DecodePicture(AImage);
    if (auto* Png = AsOrNull<TPngImage>(Picture->Graphic()); Png != nullptr && !Png->Empty())
        ApplyPngOpacity(Png, AOpacity);
    StretchDrawResampled(ACanvas, ARect, Picture->Graphic(), AKernel);
}

// ---- Graphics by image position ----------------------------------------------------------

void StretchDrawResampled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    if (IsBlank(AGraphic) || W == 0 || H == 0)
        return;
    const int GW = AGraphic->Width(), GH = AGraphic->Height();
    if (AKernel == nullptr || (W == GW && H == GH))
        return ACanvas->StretchDraw(ARect, AGraphic);
    if (auto* Png = AsOrNull<TPngImage>(AGraphic); Png != nullptr && Png->TransparencyMode() != ptmNone) {
        auto Scaled = Owned(TPngImage::Create());
        Scaled->CreateBlank(COLOR_RGBALPHA, 8, 8, 8);
        ResampleToPngImage(Png, Scaled.get(), W, H, AKernel);
        return ACanvas->Draw(ARect.Left, ARect.Top, Scaled.get());
    }
    auto Scaled = Owned(TBitmap::Create());
    Scaled->SetPixelFormat(pf32bit);
    {
        TCanvasLock ScaledLock(Scaled->Canvas());
        TCoveringDecode Decode(AGraphic, W, H);
        if (TBitmap* Pixels = Decode.Pixels()) {
            ResampleBitmap(Pixels, Scaled.get(), W, H, AKernel);
        } else {
            auto Source = Owned(TBitmap::Create());
            Source->SetPixelFormat(pf32bit);
            Source->SetSize(Decode.Graphic()->Width(), Decode.Graphic()->Height());
            TCanvasLock SourceLock(Source->Canvas());
            Source->Canvas()->Draw(0, 0, Decode.Graphic());
            ResampleBitmap(Source.get(), Scaled.get(), W, H, AKernel);
        }
    }
    ACanvas->Draw(ARect.Left, ARect.Top, Scaled.get());
}

void DrawGraphicBestFit(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (AGraphic == nullptr)
        return;
    int32_t W = 0, H = 0;
    StretchToFit(W, H, AGraphic->Width(), AGraphic->Height(), RectWidth(ARect), RectHeight(ARect));
    DrawCentred(ACanvas, ARect, AGraphic, W, H, AKernel);
}

void DrawGraphicDownScaledBestFit(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic,
                                  const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (AGraphic == nullptr)
        return;
    int32_t W = 0, H = 0;
    ShrinkToFit(W, H, AGraphic->Width(), AGraphic->Height(), RectWidth(ARect), RectHeight(ARect));
    DrawCentred(ACanvas, ARect, AGraphic, W, H, AKernel);
}

void DrawGraphicFitWidth(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (IsBlank(AGraphic))
        return;
    const int H = int(Round(double(RectWidth(ARect)) * AGraphic->Height() / AGraphic->Width()));
    const int Y = ARect.Top + (RectHeight(ARect) - H) / 2;
    StretchDrawResampled(ACanvas, Rect(ARect.Left, Y, ARect.Right, Y + H), AGraphic, AKernel);
}

void DrawGraphicFitHeight(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (IsBlank(AGraphic))
        return;
    const int W = int(Round(double(RectHeight(ARect)) * AGraphic->Width() / AGraphic->Height()));
    const int X = ARect.Left + (RectWidth(ARect) - W) / 2;
    StretchDrawResampled(ACanvas, Rect(X, ARect.Top, X + W, ARect.Bottom), AGraphic, AKernel);
}

void DrawGraphicCenter(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (IsBlank(AGraphic) || RectWidth(ARect) == 0 || RectHeight(ARect) == 0)
        return;
    DrawCovering(ACanvas, ARect, AGraphic, AKernel);
}

void DrawGraphicDownScaledCenter(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic,
                                 const TXFilterKernel* AKernel)
{
    ACanvas->FillRect(ARect);
    if (IsBlank(AGraphic) || RectWidth(ARect) == 0 || RectHeight(ARect) == 0)
        return;
    const bool Smaller = CenterMatchesWidth(ARect, AGraphic) ? AGraphic->Width() < RectWidth(ARect)
                                                             : AGraphic->Height() < RectHeight(ARect);
    if (Smaller)
        DrawCentred(ACanvas, ARect, AGraphic, AGraphic->Width(), AGraphic->Height(), AKernel);
    else
        DrawCovering(ACanvas, ARect, AGraphic, AKernel);
}

void DrawGraphicTiled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel*)
{
    ACanvas->FillRect(ARect);
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    if (IsBlank(AGraphic) || W == 0 || H == 0)
        return;
    const int GW = AGraphic->Width(), GH = AGraphic->Height();
    TOwned<TBitmap> Strip = TileStrip(ACanvas->Brush(), W, std::min(H, GH));
    for (int X = 0; X < W; X += GW)
        Strip->Canvas()->Draw(X, 0, AGraphic);
    ACanvas->Draw(ARect.Left, ARect.Top, Strip.get());
    for (int Y = GH; Y < H; Y += GH) {
        const int Band = std::min(GH, H - Y);
        ACanvas->CopyRect(Rect(ARect.Left, ARect.Top + Y, ARect.Left + W, ARect.Top + Y + Band), Strip->Canvas(),
                          Rect(0, 0, W, Band));
    }
}

void DrawGraphicTiledScaled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, int ATileW, int ATileH)
{
    ACanvas->FillRect(ARect);
    const int W = RectWidth(ARect), H = RectHeight(ARect);
    // A tile without area would never advance the loops below.
    if (IsBlank(AGraphic) || W == 0 || H == 0 || ATileW < 1 || ATileH < 1)
        return;
    TOwned<TBitmap> Strip = TileStrip(ACanvas->Brush(), W, std::min(H, ATileH));
    for (int X = 0; X < W; X += ATileW)
        Strip->Canvas()->StretchDraw(Rect(X, 0, X + ATileW, ATileH), AGraphic);
    ACanvas->Draw(ARect.Left, ARect.Top, Strip.get());
    for (int Y = ATileH; Y < H; Y += ATileH) {
        const int Band = std::min(Y + ATileH, H) - Y;
        ACanvas->CopyRect(Rect(ARect.Left, ARect.Top + Y, ARect.Right, ARect.Top + Y + Band), ACanvas,
                          Rect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + Band));
    }
}

void RenderGraphicFitted(TBitmap* ABitmap, int AW, int AH, TGraphic* AGraphic, const TXFilterKernel* AKernel)
{
    ABitmap->SetWidth(AW);
    ABitmap->SetHeight(AH);
    DrawGraphicDownScaledBestFit(ABitmap->Canvas(), Rect(0, 0, AW, AH), AGraphic, AKernel);
}

// ---- PNG transparency --------------------------------------------------------------------

void MakePngAlpha(TPngImage* APng, bool AUseKey, TColor AKeyColor, uint8_t AAlpha)
{
    const TColor Key = ColorToRGB(AKeyColor);
    auto Result = Owned(TPngImage::Create());
    Result->CreateBlank(COLOR_RGBALPHA, 8, APng->Width(), APng->Height());
    for (int Y = 0; Y < APng->Height(); ++Y) {
        std::memcpy(Result->Scanline(Y), APng->Scanline(Y), size_t(APng->Width()) * 3);
        uint8_t* Alpha = Result->AlphaScanline(Y);
        for (int X = 0; X < APng->Width(); ++X)
            Alpha[X] = AUseKey && PngPixelColor(APng, X, Y) == Key ? 0 : AAlpha;
    }
    APng->Assign(Result.get());
}

void ApplyPngOpacity(TPngImage* APng, uint8_t AOpacity)
{
    const TPNGTransparencyMode Mode = APng->TransparencyMode();
    const TColor Key = APng->TransparentColor();
    const uint8_t ColorType = APng->Header().ColorType;
    const bool HasAlpha = APng->Height() > 0 && APng->AlphaScanline(0) != nullptr;
    // Grey and palette images are rebuilt; one that already carries an alpha plane (a palette
    // with several transparent entries) keeps it and is scaled below instead.
    if ((ColorType == COLOR_GRAYSCALE || ColorType == COLOR_PALETTE) && !HasAlpha)
        return MakePngAlpha(APng, Mode == ptmBit, Key, AOpacity);
    if (!HasAlpha)
        APng->CreateAlpha();
    for (int Y = 0; Y < APng->Height(); ++Y) {
        uint8_t* Alpha = APng->AlphaScanline(Y);
        for (int X = 0; X < APng->Width(); ++X)
            Alpha[X] = Mode == ptmBit && PngPixelColor(APng, X, Y) == Key
                           ? 0
                           : uint8_t(Round(Alpha[X] / 256.0 * (AOpacity + 1)));
    }
}

// ---- Shapes ------------------------------------------------------------------------------

void DrawTwoColorFrame(TCanvas* ACanvas, const TRect& ARect, TColor ATopLeftColor, TColor ABottomRightColor)
{
    const int L = ARect.Left, T = ARect.Top, R = ARect.Right - 1, B = ARect.Bottom - 1;
    ACanvas->Pen()->SetStyle(psSolid);
    ACanvas->Pen()->SetColor(ATopLeftColor);
    const TPoint TopLeft[] = {Point(L, B), Point(L, T), Point(R, T)};
    ACanvas->Polyline(TopLeft);
    ACanvas->Pen()->SetColor(ABottomRightColor);
    const TPoint BottomRight[] = {Point(R, T), Point(R, B), Point(L, B)};
    ACanvas->Polyline(BottomRight);
}

void DrawDoubleLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor1, TColor AColor2)
{
    ACanvas->Pen()->SetColor(AColor1);
    ACanvas->MoveTo(AX1, AY1);
    ACanvas->LineTo(AX2, AY2);
    if (AColor2 == AColor1)
        return;
    ACanvas->Pen()->SetColor(AColor2);
    ACanvas->MoveTo(AX1, AY1 + 1);
    ACanvas->LineTo(AX2, AY2 + 1);
}

void FillTriangleTopLeftH(TBitmap* ABitmap, TColor AColor)
{
    const int H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(0, 0), Point(H - 1, 0), Point(0, H - 1)});
}

void FillTriangleTopRightH(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width(), H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(W - H, 0), Point(W, 0), Point(W, H)});
}

void FillTriangleBottomLeftH(TBitmap* ABitmap, TColor AColor)
{
    const int H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(0, 0), Point(0, H - 1), Point(H - 1, H - 1)});
}

void FillTriangleBottomRightH(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width(), H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(W - 1, 0), Point(W - 1, H), Point(W - H - 1, H)});
}

void FillTriangleTopLeftW(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width();
    FillTriangle(ABitmap, AColor, {Point(0, 0), Point(W - 2, 0), Point(0, W - 2)});
}

void FillTriangleTopRightW(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width();
    FillTriangle(ABitmap, AColor, {Point(1, 0), Point(W - 1, 0), Point(W - 1, W - 2)});
}

void FillTriangleBottomLeftW(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width(), H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(0, H - W + 1), Point(W - 1, H), Point(0, H)});
}

void FillTriangleBottomRightW(TBitmap* ABitmap, TColor AColor)
{
    const int W = ABitmap->Width(), H = ABitmap->Height();
    FillTriangle(ABitmap, AColor, {Point(W, H - W), Point(W, H), Point(0, H)});
}
