// XMedia.Graphics.Filters.h: scaling pictures with a separable filter, in fixed point: the
// source rows under each destination row through the row weight map, then that row through
// the column weight map. Weight maps are cached process-wide; any thread may resample.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.PngImage.h"
#include "XCore.Cache.h"
#include "XCore.Classes.h"
#include "XMedia.Classes.h"

// One object held behind a counted interface, so that a cache can drop it while a caller
// still uses it.
template <class T>
struct IXManagedContainer : IInterface {
    X_INTERFACE_ID(IInterface, "{3B0E6F0C-8A51-4C0B-9D55-2E7B1C4A9F63}");
    virtual T* Content() = 0;
};

// Counted with interlocked operations; the last reference frees the container and, when it
// owns it, the content.
template <class T>
class TXManagedContainer : public TXManagedObject, public IXManagedContainer<T> {
    X_CLASS(TXManagedContainer, TXManagedObject)
    X_INTERFACES(IXManagedContainer<T>)
public:
    T* Content() override { return FContent; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXManagedContainer() = default;
    ~TXManagedContainer() override
    {
        if (FOwns && FContent != nullptr)
            FContent->Free();
    }
    X_REINTRODUCE(void Construct(T* AContent, bool AOwns = true))
    {
        inherited::Construct(rcmInterlocked);
        FContent = AContent;
        FOwns = AOwns;
    }

private:
    T* FContent = nullptr;
    bool FOwns = true;
};

// ---- The object cache --------------------------------------------------------------------

// Values made by a factory on a miss and kept per key. A full cache sorts its entries with the
// algorithm comparer and gives the last one's place to a new value only when the comparer
// does not put the new one after it; the new value is returned either way. What a value cost
// to build is read from a stopwatch: steady-clock ticks unless a test sets its own.
template <class K, class V>
class TXObjectCache : public TXManagedObject {
    X_CLASS(TXObjectCache, TXManagedObject)
public:
    using TFactory = void (*)(const K& AKey, V& AValue);
    using TStopwatch = int64_t (*)();
    struct TEntry {
        K Key;
        TXCacheAlgorithm Algorithm;
        V Value;
    };

    int32_t Capacity() const { return FCapacity; }
    // 0 or less: unlimited. A smaller capacity drops the entries the comparer puts last.
    void SetCapacity(int32_t AValue);
    const std::vector<TEntry>& Entries() const { return FEntries; }
    void GetValue(const K& AKey, V& AValue);
    void Clear() { FEntries.clear(); }
    void SetStopwatch(TStopwatch AStopwatch) { FStopwatch = AStopwatch; }

protected:
    TXObjectCache() = default;
    X_REINTRODUCE(void Construct(int32_t ACapacity, TFactory AFactory, TComparerRef<TXCacheAlgorithm> AAlgorithmComparer))
    {
        inherited::Construct();
        FFactory = AFactory;
        FAlgorithmComparer = std::move(AAlgorithmComparer);
        SetCapacity(ACapacity);
    }

private:
    static int64_t SteadyTicks() { return std::chrono::steady_clock::now().time_since_epoch().count(); }
    void SortForExpiry();

    int32_t FCapacity = 0;
    TFactory FFactory = nullptr;
    TStopwatch FStopwatch = &SteadyTicks;
    TComparerRef<TXCacheAlgorithm> FAlgorithmComparer;
    TComparerRef<K> FKeyComparer = DefaultComparer<K>();
    std::vector<TEntry> FEntries;
};

template <class K, class V>
void TXObjectCache<K, V>::SetCapacity(int32_t AValue)
{
    if (AValue == FCapacity)
        return;
    FCapacity = AValue;
    if (AValue <= 0 || size_t(AValue) >= FEntries.size())
        return;
    SortForExpiry();
    FEntries.resize(AValue);
    FEntries.shrink_to_fit();
}

template <class K, class V>
void TXObjectCache<K, V>::GetValue(const K& AKey, V& AValue)
{
    for (TEntry& Entry : FEntries)
        if (FKeyComparer->Compare(Entry.Key, AKey) == 0) {
            Entry.Algorithm.Touch();
            AValue = Entry.Value;
            return;
        }
    const int64_t Start = FStopwatch();
    FFactory(AKey, AValue);
    TEntry Entry{AKey, TXCacheAlgorithm::Create(FStopwatch() - Start, 0), AValue};
    Entry.Algorithm.Touch();
    if (FCapacity <= 0 || FEntries.size() != size_t(FCapacity)) {
        FEntries.push_back(std::move(Entry));
        return;
    }
    SortForExpiry();
    if (FAlgorithmComparer->Compare(FEntries.back().Algorithm, Entry.Algorithm) >= 0)
        FEntries.back() = std::move(Entry);
}

template <class K, class V>
void TXObjectCache<K, V>::SortForExpiry()
{
    std::stable_sort(FEntries.begin(), FEntries.end(), [this](const TEntry& A, const TEntry& B) {
        return FAlgorithmComparer->Compare(A.Algorithm, B.Algorithm) < 0;
    });
}

// ---- Resampling --------------------------------------------------------------------------

// Row ARow of a picture's pixels; the row must hold at least as many pixels as the maps read.
using TXSourceRow32 = std::function<const TXRGBAColor*(int32_t ARow)>;
using TXDestRow32 = std::function<TXRGBAColor*(int32_t ARow)>;
using TXSourceRowRGB = std::function<const TXRGBColor*(int32_t ARow)>;
using TXDestRowRGB = std::function<TXRGBColor*(int32_t ARow)>;
using TXSourceRowAlpha = std::function<const uint8_t*(int32_t ARow)>;
using TXDestRowAlpha = std::function<uint8_t*(int32_t ARow)>;

// ADest becomes a 32-bit ACX x ACY bitmap holding ASource scaled with AKernel. Below 4 pixels
// on any side, or without a kernel, the canvas's plain stretch draws it instead. 24-bit and
// 32-bit sources are read as they are (ADest itself from a copy). The six weight maps that took
// longest to build are cached by everything that shapes them: both lengths and the kernel's
// class and radius.
void ResampleBitmap(TBitmap* ASource, TBitmap* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel);
// The same for PNG images, alpha weighed like the colours (not premultiplied): ADest is
// resized and given an alpha channel. A source without an alpha channel (opaque, or with one
// transparent colour) is read from a copy that has one.
void ResampleToPngImage(TPngImage* ASource, TPngImage* ADest, int32_t ACX, int32_t ACY, const TXFilterKernel* AKernel);
// Drops every cached weight map, so that a test starts from what a fresh process has.
void ClearWeightMapCache();

// Scales a picture to AColumns' width by ARows' width: rows first, one destination row at a
// time, in fixed point (16-bit weights of 13 fraction bits), rounded to bytes once at the end.
// The source rows must hold every pixel the maps read. The fourth byte is not weighed but
// copied from the source pixel of each map's last tap.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, const TXSourceRow32& ASource,
                    const TXDestRow32& ADest);
// The same for 24-bit rows with alpha rows beside them: alpha is weighed like the colours,
// and the colours are not premultiplied, so a transparent pixel still lends its colour.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, const TXSourceRowRGB& ASource,
                    const TXSourceRowAlpha& ASourceAlpha, const TXDestRowRGB& ADest, const TXDestRowAlpha& ADestAlpha);
