// XSpark.VCL.Skins.cpp: style skins, control skins and the skin engine.
#include "XSpark.VCL.Skins.h"

#include "Vcl.Forms.h"
#include "Vcl.Themes.h"

namespace {

// A signal notification with no text.
TIntf<IXNotification> SkinChangedNotification(TObject* ASender)
{
    return TXNotification<TXSkinChangedAspect>::New(TXSkinChangedAspect::Create(), ASender);
}

}  // namespace

// ---- TXSkin ------------------------------------------------------------------------------

void TXSkin::SetStyleName(const String& AValue)
{
    FStyleName = AValue;
    Changed();
}

void TXSkin::SetSkinName(const String& AValue)
{
    FSkinName = AValue;
    Changed();
}

void TXSkin::Changed()
{
    Update();
    Notify(SkinChangedNotification(nullptr));
}

// ---- TXStyleSkin -------------------------------------------------------------------------

TCustomStyleServices* TXStyleSkin::StyleServices() const
{
    return FStyleServices != nullptr ? FStyleServices : TStyleManager::ActiveStyle();
}

void TXStyleSkin::Update()
{
    FStyleServices = TStyleManager::Style(StyleName());
}

// ---- TXControlObservable / TXControlSkin -------------------------------------------------

TControl* TXControlObservable::Control() const
{
    return static_cast<TControl*>(const_cast<TXControlObservable*>(this)->GetContainer());
}

void TXControlSkin::Construct(TControl* AControl)
{
    inherited::Construct(OwnerEngine(AControl->Owner()), AControl);
    FSkin = GetStyleSkin(String());
}

TCustomStyleServices* TXControlSkin::StyleServices() const
{
    return FSkin->StyleServices();
}

void TXControlSkin::SetStyleName(const String& AValue)
{
    FStyleName = AValue;
    FSkin = GetStyleSkin(AValue);
    Notify(SkinChangedNotification(nullptr));
    TControl* Owner = Control();
    // A form without its window yet makes it with the new style when it shows.
    if (auto* Form = dynamic_cast<TCustomForm*>(Owner); Form != nullptr && Form->HandleAllocated()) {
        SendMessageW(Form->Handle(), CM_STYLECHANGED, 0, 0);
        Form->Perform(CM_RECREATEWND, 0, 0);
    }
    Owner->Invalidate();
}

// ---- TXNVSkinEngine ----------------------------------------------------------------------

void TXNVSkinEngine::Initialize()
{
    inherited::Initialize();
    FSkins = TXSkins::Create(false);
    FDefaultSkin = TXStyleSkin::Create(nullptr);
    FDefaultSkin->SetStyleName(TStyleManager::SystemStyleName);
    FDefaultSkin->SetSkinName(TStyleManager::SystemStyleName);
    FSkins->Add(FDefaultSkin);
}

TXNVSkinEngine::~TXNVSkinEngine()
{
    FreeAndNil(FSkins);
    FreeAndNil(FDefaultSkin);
}

TXStyleSkin* TXNVSkinEngine::FindSkin(const String& AName) const
{
    if (AName.empty())
        return FDefaultSkin;
    for (int I = 0; I < FSkins->Count(); ++I)
        if (FSkins->GetItem(I)->SkinName() == AName)
            return FSkins->GetItem(I);
    return FDefaultSkin;
}

TXNVSkinEngine* NVSkinEngine()
{
    static TXNVSkinEngine* Engine = TXNVSkinEngine::Create();
    return Engine;
}

TXStyleSkin* GetStyleSkin(const String& AName)
{
    return NVSkinEngine()->FindSkin(AName);
}
