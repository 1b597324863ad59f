#include "XMedia.Graphics.Filters.h"

#include <cmath>
#include <mutex>
#include <span>
#include <vector>

namespace {

// A weight map's taps laid out pixel by pixel, so that one output pixel reads its taps from
// one contiguous run instead of one map row each.
class TTapTable {
public:
    explicit TTapTable(const TXPixWeightMap& AMap)
    {
        const int32_t Length = AMap.Size().Width;
        FStarts.reserve(Length + 1);
        FStarts.push_back(0);
        for (int32_t I = 0; I < Length; ++I) {
            for (int32_t K = 0; K < AMap.Counts()[I]; ++K)
                FTaps.push_back(AMap.Lines()[K][I]);
            FStarts.push_back(static_cast<int32_t>(FTaps.size()));
        }
    }
    int32_t Length() const { return static_cast<int32_t>(FStarts.size()) - 1; }
    std::span<const TXPixWeight> Taps(int32_t APixel) const
    {
        return std::span(FTaps).subspan(FStarts[APixel], FStarts[APixel + 1] - FStarts[APixel]);
    }

private:
    std::vector<TXPixWeight> FTaps;
    std::vector<int32_t> FStarts;
};

// Round (halves to even, the default mode) and clamp: a kernel's negative lobes overshoot
// 0..255 at sharp edges. NaN from a degenerate kernel counts as 0.
uint8_t RoundToByte(float AValue)
{
    if (!(AValue > 0))
        return 0;
    return AValue >= 255 ? 255 : static_cast<uint8_t>(std::lrint(AValue));
}

// The weighted sum of the taps; AFetch(K, Tap) reads the K-th tap's pixel. Without
// AWeighAlpha the fourth byte is the last pixel's.
template <bool AWeighAlpha, class TFetch>
TXRGBAColor Weigh(std::span<const TXPixWeight> ATaps, TFetch AFetch)
{
    float Blue = 0, Green = 0, Red = 0, Alpha = 0;
    uint8_t LastAlpha = 0;
    for (size_t K = 0; K < ATaps.size(); ++K) {
        const TXRGBAColor P = AFetch(K, ATaps[K]);
        const float W = ATaps[K].Weight;
        Blue += W * P.Blue;
        Green += W * P.Green;
        Red += W * P.Red;
        if constexpr (AWeighAlpha)
            Alpha += W * P.Alpha;
        else
            LastAlpha = P.Alpha;
    }
    return TXRGBAColor{RoundToByte(Blue), RoundToByte(Green), RoundToByte(Red),
                       AWeighAlpha ? RoundToByte(Alpha) : LastAlpha};
}

// Both passes. AReadSource(Y, X) is source pixel X of row Y; AWriteDest(Y) gives a writer
// for destination row Y. The buffer holds whole pixels, fourth byte included.
template <bool AWeighAlpha, class TReadSource, class TDestRow>
void ResampleBoth(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                  TReadSource AReadSource, TDestRow AWriteDest)
{
    const TTapTable Columns(AColumns), Rows(ARows);
    TOwned<TXRGBAMap> Buffer = Owned(TXRGBAMap::Create());
    Buffer->SetSize(Columns.Length(), ASourceHeight);
    for (int32_t Y = 0; Y < ASourceHeight; ++Y) {
        auto Read = AReadSource(Y);
        TXRGBAColor* Out = Buffer->Lines()[Y].data();
        for (int32_t X = 0; X < Columns.Length(); ++X)
            Out[X] = Weigh<AWeighAlpha>(Columns.Taps(X), [&](size_t, const TXPixWeight& T) { return Read(T.Index); });
    }
    std::vector<const TXRGBAColor*> TapRows;
    for (int32_t Y = 0; Y < Rows.Length(); ++Y) {
        std::span<const TXPixWeight> Taps = Rows.Taps(Y);
        TapRows.clear();
        for (const TXPixWeight& T : Taps)
            TapRows.push_back(Buffer->Lines()[T.Index].data());
        auto Write = AWriteDest(Y);
        for (int32_t X = 0; X < Columns.Length(); ++X)
            Write(X, Weigh<AWeighAlpha>(Taps, [&](size_t K, const TXPixWeight&) { return TapRows[K][X]; }));
    }
}

using TXWeightMapRef = TIntf<IXManagedContainer<TXPixWeightMap>>;
using TXWeightMapCache = TXObjectCache<TXSize, TXWeightMapRef>;

// The kernel the cache's factory builds with: the one of the call that looks maps up.
const TXFilterKernel* GCurrentKernel = nullptr;

// The weight-map cache's factory.
class xFilters {
public:
    xFilters() = delete;
    // The map for AKey (destination length, source length), built with GCurrentKernel.
    static void NewWeightMap(const TXSize& AKey, TXWeightMapRef& AValue)
    {
        TOwned<TXPixWeightMap> Map = Owned(TXPixWeightMap::Create());
        Map->Build(AKey.Width, AKey.Height, GCurrentKernel, false);
        AValue = TXManagedContainer<TXPixWeightMap>::Create(Map.release());
    }
};

// Scan workers make thumbnails while the UI thread draws, so lookups take turns.
std::mutex GWeightMapLock;

TXWeightMapCache* WeightMapCache()
{
    static const TOwned<TXWeightMapCache> Cache =
        Owned(TXWeightMapCache::Create(6, &xFilters::NewWeightMap, std::make_shared<TXCacheLTEComparer>()));
    return Cache.get();
}

bool IsTooSmallToFilter(const TGraphic* ASource, int32_t ACX, int32_t ACY)
{
    return ASource->Width() < 4 || ASource->Height() < 4 || ACX < 4 || ACY < 4;
}

// The maps of both axes, built with AKernel when missing. A map handed out stays alive through
// its reference even when the cache drops it.
void GetWeightMaps(const TGraphic* ASource, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel,
                   TXWeightMapRef& AColumns, TXWeightMapRef& ARows)
{
    std::lock_guard Guard(GWeightMapLock);
    GCurrentKernel = AKernel;
    WeightMapCache()->GetValue(TXSize::Create(ACX, ASource->Width()), AColumns);
    WeightMapCache()->GetValue(TXSize::Create(ACY, ASource->Height()), ARows);
}

}  // namespace

void ResampleBitmap(TBitmap* ASource, TBitmap* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
{
    const bool Filtered = !IsTooSmallToFilter(ASource, ACX, ACY);
    TOwned<TBitmap> Copy;
    if (ASource == ADest || (Filtered && ASource->PixelFormat() != pf32bit)) {
        Copy = Owned(TBitmap::Create());
        Copy->Assign(ASource);
        Copy->SetPixelFormat(pf32bit);
        ASource = Copy.get();
    }
    ADest->SetSize(ACX, ACY);
    ADest->SetPixelFormat(pf32bit);
    if (!Filtered) {
        ADest->Canvas()->StretchDraw(Rect(0, 0, ACX, ACY), ASource);
        return;
    }
    TXWeightMapRef Columns, Rows;
    GetWeightMaps(ASource, ACX, ACY, AKernel, Columns, Rows);
    ResamplePixels(
        *Columns->Content(), *Rows->Content(), ASource->Height(),
        [&](int32_t Y) { return static_cast<const TXRGBAColor*>(ASource->ScanLine(Y)); },
        [&](int32_t Y) { return static_cast<TXRGBAColor*>(ADest->ScanLine(Y)); });
}

void ResampleToPngImage(TPngImage* ASource, TPngImage* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
{
    const bool Filtered = !IsTooSmallToFilter(ASource, ACX, ACY);
    TOwned<TPngImage> Copy;
    if (ASource == ADest || (Filtered && ASource->TransparencyMode() != ptmPartial)) {
        Copy = Owned(TPngImage::Create());
        Copy->Assign(ASource);
        Copy->CreateAlpha();
        ASource = Copy.get();
    }
    ADest->Resize(ACX, ACY);
    ADest->CreateAlpha();
    if (!Filtered) {
        ADest->Canvas()->StretchDraw(Rect(0, 0, ACX, ACY), ASource);
        return;
    }
    TXWeightMapRef Columns, Rows;
    GetWeightMaps(ASource, ACX, ACY, AKernel, Columns, Rows);
    ResamplePixels(
        *Columns->Content(), *Rows->Content(), ASource->Height(),
        [&](int32_t Y) { return static_cast<const TXRGBColor*>(ASource->Scanline(Y)); },
        [&](int32_t Y) { return static_cast<const uint8_t*>(ASource->AlphaScanline(Y)); },
        [&](int32_t Y) { return static_cast<TXRGBColor*>(ADest->Scanline(Y)); },
        [&](int32_t Y) { return ADest->AlphaScanline(Y); });
}

void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRow32& ASource, const TXDestRow32& ADest)
{
    ResampleBoth<false>(
        AColumns, ARows, ASourceHeight,
        [&](int32_t Y) { return [Row = ASource(Y)](int32_t X) { return Row[X]; }; },
        [&](int32_t Y) { return [Row = ADest(Y)](int32_t X, const TXRGBAColor& P) { Row[X] = P; }; });
}

void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRowRGB& ASource, const TXSourceRowAlpha& ASourceAlpha, const TXDestRowRGB& ADest,
                    const TXDestRowAlpha& ADestAlpha)
{
    ResampleBoth<true>(
        AColumns, ARows, ASourceHeight,
        [&](int32_t Y) {
            return [Row = ASource(Y), Alpha = ASourceAlpha(Y)](int32_t X) {
                return TXRGBAColor{Row[X].Blue, Row[X].Green, Row[X].Red, Alpha[X]};
            };
        },
        [&](int32_t Y) {
            return [Row = ADest(Y), Alpha = ADestAlpha(Y)](int32_t X, const TXRGBAColor& P) {
                Row[X] = TXRGBColor{P.Blue, P.Green, P.Red};
                Alpha[X] = P.Alpha;
            };
        });
}

void ClearWeightMapCache()
{
    std::lock_guard Guard(GWeightMapLock);
    WeightMapCache()->Clear();
}
