// Rtl.Interfaces.h: COM-style interfaces with GUIDs, the counted interface pointer TIntf and
// the interface probes. An interface is a struct of pure virtuals that names its parent and
// identity with X_INTERFACE_ID; a class lists what it implements with X_INTERFACES.
// QueryInterface hands out a counted reference; GetInterface (on TObject) does not count.
#pragma once

#include <type_traits>
#include <utility>

#include "Rtl.Objects.h"

// Asked of GetInterface/QueryInterface, answers the object itself, uncounted.
inline constexpr TGUID XObjCastGUID = TGUID::Parse("{7A3C0E51-2B6D-4F58-9E1A-0C4D8B5F6A21}");

struct IInterface {
    static constexpr TGUID IID = TGUID::Parse("{00000000-0000-0000-C000-000000000046}");
    virtual HRESULT QueryInterface(const TGUID& AIID, void** AObj) = 0;
    virtual int32_t _AddRef() = 0;
    virtual int32_t _Release() = 0;

protected:
    ~IInterface() = default;   // objects are freed through their class, never through an interface
};

// Inside an interface: its parent interface and its identity.
#define X_INTERFACE_ID(Parent, Guid)                          \
    using XParent = Parent;                                   \
    static constexpr TGUID IID = TGUID::Parse(Guid)

namespace XRtlDetail {

// AView answers for I and for every interface I extends.
template <class I>
bool MatchInterfaceChain(I* AView, const TGUID& AIID, void** AObj)
{
    if (I::IID == AIID) {
        *AObj = AView;
        return true;
    }
    if constexpr (std::is_same_v<I, IInterface>)
        return false;
    else
        return MatchInterfaceChain<typename I::XParent>(AView, AIID, AObj);
}

template <class... I, class TSelf>
bool MatchInterfaces(TSelf* ASelf, const TGUID& AIID, void** AObj)
{
    return (MatchInterfaceChain<I>(static_cast<I*>(ASelf), AIID, AObj) || ...);
}

// The common QueryInterface: GetInterface, then a counted reference through the object.
HRESULT QueryInterfaceOf(TObject* AObject, IInterface* ACounter, const TGUID& AIID, void** AObj);

}  // namespace XRtlDetail

// In a class body after X_CLASS: the interfaces the class implements (their parents included).
#define X_INTERFACES(...)                                                                  \
public:                                                                                    \
    bool GetInterface(const TGUID& AIID, void** AObj) override                             \
    {                                                                                      \
        return XRtlDetail::MatchInterfaces<__VA_ARGS__>(this, AIID, AObj)                  \
               || inherited::GetInterface(AIID, AObj);                                     \
    }

// A counted interface reference, as a Delphi interface variable: taking it adds a reference,
// dropping it releases one (which frees an object counted in that mode).
template <class I>
class TIntf {
public:
    TIntf() = default;
    TIntf(std::nullptr_t) {}
    TIntf(I* AIntf) : FIntf(AIntf)
    {
        if (FIntf != nullptr)
            FIntf->_AddRef();
    }
    TIntf(const TIntf& AOther) : TIntf(AOther.FIntf) {}
    TIntf(TIntf&& AOther) noexcept : FIntf(std::exchange(AOther.FIntf, nullptr)) {}
    template <class J>
        requires std::is_convertible_v<J*, I*>
    TIntf(const TIntf<J>& AOther) : TIntf(static_cast<I*>(AOther.Get()))
    {
    }
    ~TIntf() { Reset(); }
    TIntf& operator=(TIntf AOther) noexcept
    {
        std::swap(FIntf, AOther.FIntf);
        return *this;
    }

    // Takes over a reference that is already counted (what QueryInterface hands out).
    static TIntf Attach(I* AIntf)
    {
        TIntf Result;
        Result.FIntf = AIntf;
        return Result;
    }
    void Reset()
    {
        if (I* Old = std::exchange(FIntf, nullptr))
            Old->_Release();
    }

    I* Get() const { return FIntf; }
    I* operator->() const { return FIntf; }
    explicit operator bool() const { return FIntf != nullptr; }
    friend bool operator==(const TIntf& A, const TIntf& B) { return A.FIntf == B.FIntf; }

private:
    I* FIntf = nullptr;
};

// QueryInterface on an interface: AResult holds the answer, or nothing.
template <class I, class J>
    requires(!std::is_base_of_v<TObject, J>)
bool Supports(J* ASource, TIntf<I>& AResult)
{
    void* Found = nullptr;
    if (ASource != nullptr && ASource->QueryInterface(I::IID, &Found) == S_OK) {
        AResult = TIntf<I>::Attach(static_cast<I*>(Found));
        return true;
    }
    AResult.Reset();
    return false;
}

// Delphi's Supports on an object: through its IInterface when it has one (so a class's own
// QueryInterface is honoured), else through its interface table.
template <class I>
bool Supports(TObject* AObject, TIntf<I>& AResult)
{
    AResult.Reset();
    if (AObject == nullptr)
        return false;
    void* Found = nullptr;
    if (AObject->GetInterface(IInterface::IID, &Found) && Supports(static_cast<IInterface*>(Found), AResult))
        return true;
    if (AObject->GetInterface(I::IID, &Found)) {
        AResult = static_cast<I*>(Found);
        return true;
    }
    return false;
}

template <class I>
bool Supports(TObject* AObject)
{
    TIntf<I> Unused;
    return Supports(AObject, Unused);
}

// The object behind an interface, or nullptr when it is none of ours.
TObject* ObjectOf(IInterface* AIntf);

// An object freed by its last interface reference; the count is atomic.
class TInterfacedObject : public TObject, public IInterface {
    X_CLASS(TInterfacedObject, TObject)
    X_INTERFACES(IInterface)
public:
    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;
    int32_t RefCount() const { return FRefCount.load(); }

    // Gives back the reference held while constructing, so that interfaces taken in a
    // constructor cannot free the object early.
    void AfterConstruction() override;
    // Raises EInvalidPointer when references remain.
    void BeforeDestruction() override;

protected:
    TInterfacedObject() = default;

private:
    std::atomic<int32_t> FRefCount{1};
};
