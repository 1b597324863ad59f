// XCode.Trek.h: the diagnostic trace list: text lines that code may clear and append to.
// It is filled only when a debug flag asks for it; nothing writes it out on its own.
#pragma once

#include "Rtl.Classes.h"
#include "Rtl.Strings.h"

struct IXCodeTrek : IInterface {
    X_INTERFACE_ID(IInterface, "{8FC001A3-B4FA-46AB-9515-D70E77598BBF}");
    virtual void Clear() = 0;
    virtual void Add(const String& AText) = 0;
};

class TXCodeTrek : public TInterfacedPersistent, public IXCodeTrek {
    X_CLASS(TXCodeTrek, TInterfacedPersistent)
    X_INTERFACES(IXCodeTrek)
public:
    void Clear() override { FLines->Clear(); }
    void Add(const String& AText) override { FLines->Add(AText); }
    const TStrings& Lines() const { return *FLines; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXCodeTrek() = default;

private:
    TOwned<TStringList> FLines = Owned(TStringList::Create());
};

// The process's trace list.
IXCodeTrek* CodeTrek();
