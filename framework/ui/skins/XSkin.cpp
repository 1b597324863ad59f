// XSkin.cpp: skin data, skins by key and the skin-change broadcast.
#include "XSkin.h"

#include "Rtl.TypInfo.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Screen.h"

// ---- TXSkinData --------------------------------------------------------------------------

HRGN TXSkinData::ControlRegion(TControl* AControl, bool AWanted)
{
    if (!AWanted)
        return nullptr;
    int Corner = MulDiv(3, Screen->PixelsPerInch(), 96);
    TRect R = AControl->BoundsRect();
    return CreateRoundRectRgn(R.Left, R.Top, R.Right + 1, R.Bottom + 1, Corner, Corner);
}

void TXSkinData::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("PaintType", &TXSkinData::PaintType, &TXSkinData::SetPaintType);
}

// ---- XSkin::TXSkin and the global list ---------------------------------------------------

namespace XSkin {

namespace {

struct TSkins {
    XCore::Collections::TXComponentList<TXSkin>* List = nullptr;
    TXSkin* App = nullptr;
};

TSkins& Skins()
{
    static TSkins* Instance = [] {
        auto* S = new TSkins;
        S->List = XCore::Collections::TXComponentList<TXSkin>::Create(false);
        S->App = TXSkin::Create(nullptr);
        S->App->SetName("xAppSkin");
        S->List->Add(S->App);
        return S;
    }();
    return *Instance;
}

}  // namespace

void TXSkin::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FSkinData = TXSkinDataList::Create(false);
}

TXSkin::~TXSkin()
{
    FreeAndNil(FSkinData);
}

TXSkinData* TXSkin::FindSkinData(const String& AName, TClass AClass) const
{
    for (int I = 0; I < FSkinData->Count(); ++I) {
        TXSkinData* Data = FSkinData->GetItem(I);
        if (Data->InheritsFrom(AClass) && Data->Name() == AName)
            return Data;
    }
    return nullptr;
}

TXSkin* AppSkin()
{
    return Skins().App;
}

TXSkin* FindSkin(const String& AKey)
{
    auto* List = Skins().List;
    for (int I = 0; I < List->Count(); ++I)
        if (List->GetItem(I)->SkinKey() == AKey)
            return List->GetItem(I);
    return nullptr;
}

TXSkin* FindSkinOrDefault(const String& AKey)
{
    TXSkin* Skin = FindSkin(AKey);
    return Skin != nullptr ? Skin : AppSkin();
}

void RegisterSkin(TXSkin* ASkin)
{
    auto* List = Skins().List;
    if (TXSkin* Old = FindSkin(ASkin->SkinKey()); Old != nullptr && Old != ASkin)
        List->Remove(Old);
    List->AddUnique(ASkin);
    BroadcastSkinChangeAll();
}

void SetSkinKey(TXSkin* ASkin, const String& AKey)
{
    ASkin->FSkinKey = AKey;
    RegisterSkin(ASkin);
}

void BroadcastSkinChange(TControl* AForm)
{
    auto* Form = dynamic_cast<TCustomForm*>(AForm);
    if (Form == nullptr)
        return;
    for (int I = 0; I < Form->ComponentCount(); ++I)
        if (auto* Component = dynamic_cast<TXSkinComponent*>(Form->Components(I)))
            Component->LoadSkinData();
    for (int I = 0; I < Form->ControlCount(); ++I)
        Form->Controls(I)->Perform(XM_SKINCHANGED, 0, 0);
}

void BroadcastSkinChangeAll()
{
    std::vector<TCustomForm*> Forms;
    for (int I = 0; I < Application->ComponentCount(); ++I)
        if (auto* Form = dynamic_cast<TCustomForm*>(Application->Components(I)))
            Forms.push_back(Form);
    for (TCustomForm* Form : Forms) {
        SendMessageW(Form->Handle(), XM_SKINCHANGED, 0, 0);
        BroadcastSkinChange(Form);
    }
}

}  // namespace XSkin

// ---- TXSkinComponent ---------------------------------------------------------------------

void TXSkinComponent::SetSkinDataName(const String& AValue)
{
    if (FSkinDataName == AValue)
        return;
    FSkinDataName = AValue;
    LoadSkinData();
}

void TXSkinComponent::BindSkinData(TXSkinData* AData)
{
    if (FSkinData != nullptr && FSkinData != AData)
        FSkinData->RemoveFreeNotification(this);
    FSkinData = AData;
    if (AData != nullptr)
        AData->FreeNotification(this);
    if (!ComponentState().Contains(csDestroying))
        SkinDataChanged();
}

void TXSkinComponent::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation != opRemove || AComponent != FSkinData)
        return;
    FSkinData = nullptr;
    if (!ComponentState().Contains(csDestroying))
        SkinDataChanged();
}

void TXSkinComponent::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("SkinDataName", &TXSkinComponent::SkinDataName, &TXSkinComponent::SetSkinDataName);
}
