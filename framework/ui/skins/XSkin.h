// XSkin.h: the older skin layer: skin data components that say how a family of custom-drawn
// controls is painted, skins that collect them under a key, and the global skin "xAppSkin" that
// forms take unless told otherwise. Registering a skin tells every form (WM_APP + 100). Every
// reference to a component is watched by free notification. UI thread only.
#pragma once

#include "Vcl.Forms.h"
#include "Win.Regions.h"
#include "XControls.h"
#include "XCore.Collections.h"
#include "XSpark.Skin.Data.h"

// Sent to forms and their controls after a skin changed; all parameters 0.
inline constexpr UINT XM_SKINCHANGED = WM_APP + 100;

// What descendants override to paint their family of controls; the base paints nothing.
class TXSkinData : public TComponent {
    X_CLASS(TXSkinData, TComponent)
public:
    TXPaintType PaintType() const { return FPaintType; }
    void SetPaintType(TXPaintType AValue) { FPaintType = AValue; }

    virtual void PaintNonClient(TCustomForm*, TCanvas*) {}
    virtual void PaintControl(TControl*, TCanvas*, TXPaintState) {}
    virtual void PaintGlyph(TControl*, TCanvas*, const TRect&, int, TXPaintState) {}
    virtual void PaintText(TControl*, TCanvas*, const TRect&, int, const String&) {}
    // The hit-test code of a point in window coordinates; the client area in the base.
    virtual LRESULT NonClientHitTest(TCustomForm*, TPoint) { return HTCLIENT; }
    // With AWanted, a region of the control's bounds with corners of 3 pixels at 96 DPI;
    // without, none. The caller owns the region.
    virtual HRGN ControlRegion(TControl* AControl, bool AWanted);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXSkinData() = default;

private:
    TXPaintType FPaintType = ptSkin;
};

class TXSkinDataList : public XCore::Collections::TXComponentList<TXSkinData> {
    X_CLASS(TXSkinDataList, XCore::Collections::TXComponentList<TXSkinData>)
protected:
    TXSkinDataList() = default;
};

namespace XSkin {

class TXSkin : public TComponent {
    X_CLASS(TXSkin, TComponent)
public:
    // Not owned; freed skin data leaves the list.
    TXSkinDataList* SkinData() const { return FSkinData; }
    const String& SkinKey() const { return FSkinKey; }
    // The first skin data of that component name whose class is AClass or inherits from it.
    TXSkinData* FindSkinData(const String& AName, TClass AClass) const;
    // Adds unless listed; the index.
    int AddSkinData(TXSkinData* AData) { return FSkinData->AddUnique(AData); }

protected:
    TXSkin() = default;
    ~TXSkin() override;
    void Construct(TComponent* AOwner) override;

private:
    friend void SetSkinKey(TXSkin* ASkin, const String& AKey);
    TXSkinDataList* FSkinData = nullptr;
    String FSkinKey;
};

// The global list's first skin of that key (exact); nullptr when none.
TXSkin* FindSkin(const String& AKey);
// FindSkin, or "xAppSkin" when none.
TXSkin* FindSkinOrDefault(const String& AKey);
// The skin named "xAppSkin", made with the global list at the first call.
TXSkin* AppSkin();
// Takes out a skin listed under the same key (not freed), lists ASkin, tells every form.
void RegisterSkin(TXSkin* ASkin);
void SetSkinKey(TXSkin* ASkin, const String& AKey);
// Reloads the skin data of the form's skin components, then sends XM_SKINCHANGED to its
// controls.
void BroadcastSkinChange(TControl* AForm);
// Every form of the application, in order: XM_SKINCHANGED to the form, then BroadcastSkinChange.
void BroadcastSkinChangeAll();

}  // namespace XSkin

// A component that finds its skin data by name.
class TXSkinComponent : public TComponent {
    X_CLASS(TXSkinComponent, TComponent)
public:
    const String& SkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const String& AValue);
    TXSkinData* SkinData() const { return FSkinData; }
    // Binds the skin data by SkinDataName; the base binds nothing.
    virtual void LoadSkinData() {}
    virtual void SkinDataChanged() {}

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXSkinComponent() = default;
    // Binds AData (watched), then SkinDataChanged unless the component is going.
    void BindSkinData(TXSkinData* AData);
    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    String FSkinDataName;
    TXSkinData* FSkinData = nullptr;
};
