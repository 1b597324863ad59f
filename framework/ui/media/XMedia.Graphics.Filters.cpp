#include "XMedia.Graphics.Filters.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>
#include <span>
#include <vector>

namespace {

// Fixed-point weights of 13 fraction bits in 16-bit numbers, so that the products are the
// widening 16-bit multiplies vector units have. The sums of the rows keep 6 fraction bits
// (still 16 bits) between the passes, so the result is rounded once, at the end.
constexpr int kRowBits = 13;
constexpr int kBetweenBits = 6;
constexpr int kColumnBits = 13;

// A weight map's taps as one contiguous run of source pixels per destination pixel, the
// weights of mirrored taps merged into their pixel, in fixed point summing to exactly one.
class TFixedTaps {
public:
    TFixedTaps(const TXPixWeightMap& AMap, int ABits)
    {
        const int32_t Length = AMap.Size().Width;
        FFirst.resize(Length);
        FLast.resize(Length);
        FStarts.resize(Length + 1);
        std::vector<float> Dense;
        for (int32_t I = 0; I < Length; ++I) {
            const int32_t Count = AMap.Counts()[I];
            int32_t Low = INT32_MAX, High = -1;
            for (int32_t K = 0; K < Count; ++K) {
                Low = std::min(Low, AMap.Lines()[K][I].Index);
                High = std::max(High, AMap.Lines()[K][I].Index);
            }
            FStarts[I] = static_cast<int32_t>(FWeights.size());
            FFirst[I] = Count > 0 ? Low : 0;
            FLast[I] = Count > 0 ? AMap.Lines()[Count - 1][I].Index : 0;
            if (Count == 0)
                continue;
            Dense.assign(size_t(High - Low + 1), 0.0f);
            for (int32_t K = 0; K < Count; ++K)
                Dense[AMap.Lines()[K][I].Index - Low] += AMap.Lines()[K][I].Weight;
            AppendQuantised(Dense, ABits);
        }
        FStarts[Length] = static_cast<int32_t>(FWeights.size());
    }
    int32_t Length() const { return static_cast<int32_t>(FFirst.size()); }
    int32_t First(int32_t APixel) const { return FFirst[APixel]; }
    // The source pixel of the map's last tap, whose fourth byte an unweighed pixel keeps.
    int32_t Last(int32_t APixel) const { return FLast[APixel]; }
    std::span<const int16_t> Weights(int32_t APixel) const
    {
        return std::span(FWeights).subspan(FStarts[APixel], FStarts[APixel + 1] - FStarts[APixel]);
    }

private:
    // Rounded to ABits fraction bits; what rounding lost or added goes to the largest weight,
    // so that a flat picture stays exactly flat. Weights whose magnitudes add up to more than
    // two (a degenerate kernel) are scaled down to that first, so that every weight fits 16
    // bits and no sum can overflow.
    void AppendQuantised(const std::vector<float>& ADense, int ABits)
    {
        float Magnitude = 0, Total = 0;
        for (float W : ADense) {
            Magnitude += std::abs(W);
            Total += W;
        }
        const float One = float(1 << ABits) * (Magnitude > 2 ? 2 / Magnitude : 1);
        std::vector<int32_t> Quantised;
        int32_t Sum = 0;
        for (float W : ADense) {
            Quantised.push_back(static_cast<int32_t>(std::lrint(W * One)));
            Sum += Quantised.back();
        }
        size_t Top = 0;
        for (size_t K = 0; K < Quantised.size(); ++K)
            if (std::abs(Quantised[K]) > std::abs(Quantised[Top]))
                Top = K;
        Quantised[Top] += static_cast<int32_t>(std::lrint(Total * One)) - Sum;
        for (int32_t Q : Quantised)
            FWeights.push_back(static_cast<int16_t>(std::clamp(Q, -32767, 32767)));
    }

    std::vector<int32_t> FFirst, FLast, FStarts;
    std::vector<int16_t> FWeights;
};

uint8_t ToByte(int32_t AValue)
{
    return static_cast<uint8_t>(std::clamp(AValue, 0, 255));
}

// Both passes, rows first and one destination row at a time: the source rows under the row's
// taps are summed across the whole width (a loop over contiguous bytes the compiler
// vectorises), then that one row is resampled across. AChannels bytes a pixel, all weighed;
// AEmit(Y, Row, RowTaps, ColumnTaps) receives each finished row of ACX x AChannels bytes.
template <int AChannels, class TSourceRow, class TEmit>
void ResampleFixed(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, TSourceRow ASourceRow, TEmit AEmit)
{
    const TFixedTaps Columns(AColumns, kColumnBits), Rows(ARows, kRowBits);
    int32_t SourceWidth = 0;
    for (int32_t X = 0; X < Columns.Length(); ++X)
        SourceWidth = std::max<int32_t>(SourceWidth, Columns.First(X) + int32_t(Columns.Weights(X).size()));
    const size_t Span = size_t(SourceWidth) * AChannels;
    std::vector<int32_t> Sums(Span);
    std::vector<int16_t> Between(Span);
    std::vector<uint8_t> Out(size_t(Columns.Length()) * AChannels);
    constexpr int kRowShift = kRowBits - kBetweenBits;
    constexpr int32_t kRowHalf = 1 << (kRowShift - 1);
    constexpr int kFinalBits = kBetweenBits + kColumnBits;
    constexpr int32_t kFinalHalf = 1 << (kFinalBits - 1);
    for (int32_t Y = 0; Y < Rows.Length(); ++Y) {
        std::ranges::fill(Sums, 0);
        const std::span<const int16_t> RowWeights = Rows.Weights(Y);
        for (size_t K = 0; K < RowWeights.size(); ++K) {
            const uint8_t* __restrict In = ASourceRow(Rows.First(Y) + int32_t(K));
            int32_t* __restrict Acc = Sums.data();
            const int16_t W = RowWeights[K];
            for (size_t I = 0; I < Span; ++I)
                Acc[I] += int32_t(W) * int16_t(In[I]);
        }
        for (size_t I = 0; I < Span; ++I)
            Between[I] = int16_t((Sums[I] + kRowHalf) >> kRowShift);
        for (int32_t X = 0; X < Columns.Length(); ++X) {
            const std::span<const int16_t> Weights = Columns.Weights(X);
            const int16_t* Px = Between.data() + size_t(Columns.First(X)) * AChannels;
            int32_t Acc[AChannels] = {};
            for (size_t K = 0; K < Weights.size(); ++K)
                for (int C = 0; C < AChannels; ++C)
                    Acc[C] += int32_t(Weights[K]) * Px[K * AChannels + C];
            for (int C = 0; C < AChannels; ++C)
                Out[size_t(X) * AChannels + C] = ToByte((Acc[C] + kFinalHalf) >> kFinalBits);
        }
        AEmit(Y, Out.data(), Rows, Columns);
    }
}

// Everything that shapes a weight map: the two lengths and the kernel's class and radius.
struct TXWeightMapKey {
    int32_t DestLength = 0;
    int32_t SourceLength = 0;
    TClass KernelClass = nullptr;
    float Radius = 0;
    friend auto operator<=>(const TXWeightMapKey&, const TXWeightMapKey&) = default;
};

using TXWeightMapRef = TIntf<IXManagedContainer<TXPixWeightMap>>;
using TXWeightMapCache = TXObjectCache<TXWeightMapKey, TXWeightMapRef>;

// The kernel the cache's factory builds with: the one of the call that looks maps up.
const TXFilterKernel* GCurrentKernel = nullptr;

// The weight-map cache's factory.
class xFilters {
public:
    xFilters() = delete;
    // The map for AKey, built with GCurrentKernel, which the key describes.
    static void NewWeightMap(const TXWeightMapKey& AKey, TXWeightMapRef& AValue)
    {
        TOwned<TXPixWeightMap> Map = Owned(TXPixWeightMap::Create());
        Map->Build(AKey.DestLength, AKey.SourceLength, GCurrentKernel, false);
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

// A nil kernel means the plain stretch, as for the drawing functions.
bool IsFiltered(const TGraphic* ASource, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
{
    return AKernel != nullptr && ASource->Width() >= 4 && ASource->Height() >= 4 && ACX >= 4 && ACY >= 4;
}

// The maps of both axes, built with AKernel when missing. A map handed out stays alive through
// its reference even when the cache drops it.
void GetWeightMaps(const TGraphic* ASource, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel,
                   TXWeightMapRef& AColumns, TXWeightMapRef& ARows)
{
    std::lock_guard Guard(GWeightMapLock);
    GCurrentKernel = AKernel;
    const TClass Class = AKernel->ClassType();
    WeightMapCache()->GetValue(TXWeightMapKey{ACX, ASource->Width(), Class, AKernel->Radius()}, AColumns);
    WeightMapCache()->GetValue(TXWeightMapKey{ACY, ASource->Height(), Class, AKernel->Radius()}, ARows);
}

// 32-bit pixels, the fourth byte from the last tap; AChannels 3 reads 24-bit rows and gives
// the fourth byte 0, as converting them to 32 bits does.
template <int AChannels>
void ResampleTo32(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, const TXSourceRow32& ASource,
                  const std::function<const uint8_t*(int32_t)>& ASourceBytes, const TXDestRow32& ADest)
{
    ResampleFixed<AChannels>(
        AColumns, ARows, ASourceBytes,
        [&](int32_t Y, const uint8_t* ARow, const TFixedTaps& ARowTaps, const TFixedTaps& AColumnTaps) {
            TXRGBAColor* Out = ADest(Y);
            const TXRGBAColor* Last = AChannels == 4 ? ASource(ARowTaps.Last(Y)) : nullptr;
            for (int32_t X = 0; X < AColumnTaps.Length(); ++X) {
                const uint8_t* P = ARow + size_t(X) * AChannels;
                Out[X] = TXRGBAColor{P[0], P[1], P[2], Last != nullptr ? Last[AColumnTaps.Last(X)].Alpha : uint8_t(0)};
            }
        });
}

}  // namespace

void ResampleBitmap(TBitmap* ASource, TBitmap* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
{
    const bool Filtered = IsFiltered(ASource, ACX, ACY, AKernel);
    TOwned<TBitmap> Copy;
    if (ASource == ADest) {
        Copy = Owned(TBitmap::Create());
        Copy->Assign(ASource);
        ASource = Copy.get();
    }
    ADest->SetPixelFormat(pf32bit);
    ADest->SetSize(ACX, ACY);
    if (!Filtered) {
        ADest->Canvas()->StretchDraw(Rect(0, 0, ACX, ACY), ASource);
        return;
    }
    TXWeightMapRef Columns, Rows;
    GetWeightMaps(ASource, ACX, ACY, AKernel, Columns, Rows);
    auto Bytes = [&](int32_t Y) { return static_cast<const uint8_t*>(ASource->ScanLine(Y)); };
    auto Dest = [&](int32_t Y) { return static_cast<TXRGBAColor*>(ADest->ScanLine(Y)); };
    if (ASource->PixelFormat() == pf32bit)
        ResamplePixels(*Columns->Content(), *Rows->Content(),
                       [&](int32_t Y) { return static_cast<const TXRGBAColor*>(ASource->ScanLine(Y)); }, Dest);
    else
        ResampleTo32<3>(*Columns->Content(), *Rows->Content(), nullptr, Bytes, Dest);
}

void ResampleToPngImage(TPngImage* ASource, TPngImage* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel)
{
    const bool Filtered = IsFiltered(ASource, ACX, ACY, AKernel);
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
        *Columns->Content(), *Rows->Content(),
        [&](int32_t Y) { return static_cast<const TXRGBColor*>(ASource->Scanline(Y)); },
        [&](int32_t Y) { return static_cast<const uint8_t*>(ASource->AlphaScanline(Y)); },
        [&](int32_t Y) { return static_cast<TXRGBColor*>(ADest->Scanline(Y)); },
        [&](int32_t Y) { return ADest->AlphaScanline(Y); });
}

void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, const TXSourceRow32& ASource,
                    const TXDestRow32& ADest)
{
    ResampleTo32<4>(
        AColumns, ARows, ASource, [&](int32_t Y) { return reinterpret_cast<const uint8_t*>(ASource(Y)); }, ADest);
}

void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, const TXSourceRowRGB& ASource,
                    const TXSourceRowAlpha& ASourceAlpha, const TXDestRowRGB& ADest, const TXDestRowAlpha& ADestAlpha)
{
    // Colour and alpha rows are joined into whole pixels once, so each is read per tap.
    int32_t Width = 0, Height = 0;
    for (int32_t X = 0; X < AColumns.Size().Width; ++X)
        for (int32_t K = 0; K < AColumns.Counts()[X]; ++K)
            Width = std::max(Width, AColumns.Lines()[K][X].Index + 1);
    for (int32_t Y = 0; Y < ARows.Size().Width; ++Y)
        for (int32_t K = 0; K < ARows.Counts()[Y]; ++K)
            Height = std::max(Height, ARows.Lines()[K][Y].Index + 1);
    std::vector<TXRGBAColor> Joined(size_t(Width) * Height);
    for (int32_t Y = 0; Y < Height; ++Y) {
        const TXRGBColor* Colors = ASource(Y);
        const uint8_t* Alpha = ASourceAlpha(Y);
        for (int32_t X = 0; X < Width; ++X)
            Joined[size_t(Y) * Width + X] = TXRGBAColor{Colors[X].Blue, Colors[X].Green, Colors[X].Red, Alpha[X]};
    }
    ResampleFixed<4>(
        AColumns, ARows, [&](int32_t Y) { return reinterpret_cast<const uint8_t*>(Joined.data() + size_t(Y) * Width); },
        [&](int32_t Y, const uint8_t* ARow, const TFixedTaps&, const TFixedTaps& AColumnTaps) {
            TXRGBColor* Colors = ADest(Y);
            uint8_t* Alpha = ADestAlpha(Y);
            for (int32_t X = 0; X < AColumnTaps.Length(); ++X) {
                Colors[X] = TXRGBColor{ARow[4 * X], ARow[4 * X + 1], ARow[4 * X + 2]};
                Alpha[X] = ARow[4 * X + 3];
            }
        });
}

void ClearWeightMapCache()
{
    std::lock_guard Guard(GWeightMapLock);
    WeightMapCache()->Clear();
}
