// XCore.Engine.Notifications.cpp: notification objects and records.
#include "XCore.Engine.Notifications.h"

AXNotification::~AXNotification()
{
    FSender = nullptr;
    if (FAspect != nullptr)
        FAspect->Free();
}

void AXNotification::Construct(TXRefCountMode AMode, const String& AText, TObject* ASender, TObject* AAspect)
{
    FAspect = AAspect;
    FText = AText;
    FSender = ASender;
    inherited::Construct(AMode == rcmSingleThread ? rcmInterlocked : AMode);
}

TIntf<IXNotification> TXNotificationRec::Init(const String& AText, TObject* ASender, TObject* AAspect)
{
    FText = AText;
    FSender = ASender;
    FAspect = AAspect;
    return TIntf<IXNotification>(this);
}

HRESULT TXNotificationRec::QueryInterface(const TGUID&, void** AObj)
{
    *AObj = nullptr;
    return E_NOINTERFACE;
}
