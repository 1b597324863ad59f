// XMedia.Graphics.Filters.h: scaling pictures with a separable filter: each row through the
// column weight map into a buffer, then each column of the buffer through the row weight map.
// Pixels are blue, green, red, then the fourth byte; a 24-bit picture carries alpha in its own rows.
#pragma once

#include <cstdint>
#include <functional>

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
    void Construct(T* AContent, bool AOwns = true)
    {
        inherited::Construct(rcmInterlocked);
        FContent = AContent;
        FOwns = AOwns;
    }

private:
    T* FContent = nullptr;
    bool FOwns = true;
};

// Row ARow of a picture's pixels; the row must hold at least as many pixels as the maps read.
using TXSourceRow32 = std::function<const TXRGBAColor*(int32_t ARow)>;
using TXDestRow32 = std::function<TXRGBAColor*(int32_t ARow)>;
using TXSourceRowRGB = std::function<const TXRGBColor*(int32_t ARow)>;
using TXDestRowRGB = std::function<TXRGBColor*(int32_t ARow)>;
using TXSourceRowAlpha = std::function<const uint8_t*(int32_t ARow)>;
using TXDestRowAlpha = std::function<uint8_t*(int32_t ARow)>;

// Scales ASourceHeight rows to AColumns' width by ARows' width. AColumns must be built for the
// source's width and ARows for ASourceHeight. Colours are weighed and rounded to bytes; the
// fourth byte is not weighed but copied from the last source pixel each sum reads.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRow32& ASource, const TXDestRow32& ADest);
// The same for 24-bit rows with alpha rows beside them: alpha is weighed like the colours,
// and the colours are not premultiplied, so a transparent pixel still lends its colour.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRowRGB& ASource, const TXSourceRowAlpha& ASourceAlpha, const TXDestRowRGB& ADest,
                    const TXDestRowAlpha& ADestAlpha);
