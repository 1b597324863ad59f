// Rtl.Interfaces.cpp: interface probes and TInterfacedObject.
#include "Rtl.Interfaces.h"

#include "Rtl.SysUtils.h"

namespace XRtlDetail {

HRESULT QueryInterfaceOf(TObject* AObject, IInterface* ACounter, const TGUID& AIID, void** AObj)
{
    if (!AObject->GetInterface(AIID, AObj))
        return E_NOINTERFACE;
    if (AIID != XObjCastGUID)
        ACounter->_AddRef();
    return S_OK;
}

}  // namespace XRtlDetail

TObject* ObjectOf(IInterface* AIntf)
{
    void* Found = nullptr;
    if (AIntf == nullptr || AIntf->QueryInterface(XObjCastGUID, &Found) != S_OK)
        return nullptr;
    return static_cast<TObject*>(Found);
}

HRESULT TInterfacedObject::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

int32_t TInterfacedObject::_AddRef()
{
    return ++FRefCount;
}

int32_t TInterfacedObject::_Release()
{
    int32_t Count = --FRefCount;
    if (Count == 0)
        Free();
    return Count;
}

void TInterfacedObject::AfterConstruction()
{
    --FRefCount;
}

void TInterfacedObject::BeforeDestruction()
{
    if (FRefCount.load() != 0)
        throw EInvalidPointer("Invalid pointer operation");
}
