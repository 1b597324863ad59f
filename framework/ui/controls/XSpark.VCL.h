// XSpark.VCL.h: the bases of the framework's painted controls. Each owns a control skin that
// picks the style it paints with; its observers hear the control's moves, size changes and
// focus losses. A skinned windowed control hands its messages to its style hook first while its
// own style takes messages. UI thread only.
#pragma once

#include "Vcl.Controls.h"
#include "Vcl.Themes.h"
#include "XSpark.Interfaces.h"
#include "XSpark.VCL.Skins.h"

class TCustomForm;

// ---- Skinned controls of any platform class -----------------------------------------------

// What style hooks find a skinned control's skin by.
class TXSkinOwner {
public:
    virtual TXControlSkin* Skin() const = 0;

protected:
    ~TXSkinOwner() = default;
};

// A platform control with a control skin: it paints with the skin's style, and asked for
// IXObservable it answers its skin.
template <class TBase>
class TXSkinned : public TBase, public TXSkinOwner {
    X_CLASS(TXSkinned, TBase)
public:
    TXControlSkin* Skin() const override { return FSkin; }
    // The platform asks while the control is being built, before the skin is there.
    TCustomStyleServices* StyleServices() const override
    {
        return FSkin != nullptr ? FSkin->StyleServices() : inherited::StyleServices();
    }
    bool GetInterface(const TGUID& AIID, void** AObj) override
    {
        if (AIID == IXObservable::IID)
            return FSkin->GetInterface(AIID, AObj);
        return inherited::GetInterface(AIID, AObj);
    }

protected:
    TXSkinned() = default;
    ~TXSkinned() override { FreeAndNil(FSkin); }
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FSkin = TXControlSkin::Create(static_cast<TControl*>(this));
    }

private:
    TXControlSkin* FSkin = nullptr;   // owned
};

// Whether a skinned windowed control's messages go to its style hook first: while it lives,
// does not paint itself over its style, and its style takes messages.
bool SkinTakesMessages(TControl* AControl, TXControlSkin* ASkin);

// A windowed control with a control skin. The hook of its class, if any, gets its messages first
// (and paints it) while SkinTakesMessages; a WM_PAINT with a canvas in wParam that no hook took
// paints the control as its platform class does. Leaving the focus is told to the observers.
template <class TBase>
class TXSkinnedWin : public TXSkinned<TBase> {
    X_CLASS(TXSkinnedWin, TXSkinned<TBase>)
protected:
    TXSkinnedWin() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (SkinTakesMessages(this, this->Skin()) &&
            TStyleEngine::HandleMessage(this, AMessage, TWndMethod::Bind<&TXSkinnedWin::OwnWndProc>(this)))
            return;
        OwnWndProc(AMessage);
    }
    void PaintWindow() override { this->Perform(WM_PAINT, reinterpret_cast<WPARAM>(this->Canvas()), 0); }
    // Paints the control as its platform class does.
    virtual void PaintSelf() { TBase::PaintWindow(); }
    void DoExit() override
    {
        inherited::DoExit();
        this->Skin()->template NotifyControl<TXFocusChangedAspect>();
    }

private:
    void OwnWndProc(TMessage& AMessage)
    {
        if (AMessage.Msg == WM_PAINT && AMessage.WParam != 0)
            PaintSelf();
        else
            inherited::WndProc(AMessage);
    }
};

// A style hook that paints with the style of its control's skin, not the active one.
class TXSkinStyleHook : public TStyleHook {
    X_CLASS(TXSkinStyleHook, TStyleHook)
public:
    // nullptr when the control has no skin.
    TXControlSkin* ControlSkin() const { return FControlSkin; }

protected:
    TXSkinStyleHook() = default;
    void Construct(TWinControl* AControl) override;
    TCustomStyleServices* StyleServices() const override;
    // The parent shows where the control's elements leave pixels unpainted.
    void PaintBackground(TCanvas* ACanvas) override;
    // In the control's font, in the element's text colour when the style gives one.
    void DrawControlText(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const String& AText, TRect ARect,
                         TTextFormat AFormat);

private:
    TXControlSkin* FControlSkin = nullptr;   // the control's
};

// IXControl on a control, by forwarding.
template <class TBase>
class TXControlInterface : public TBase, public IXControl {
    X_CLASS(TXControlInterface, TBase)
    X_INTERFACES(IXControl)
public:
    TRect GetBoundsRect() override { return this->BoundsRect(); }
    void SetBoundsRect(const TRect& ARect) override { TBase::SetBoundsRect(ARect); }
    int GetClientWidth() override { return this->ClientWidth(); }
    void SetClientWidth(int AValue) override { TBase::SetClientWidth(AValue); }
    int GetClientHeight() override { return this->ClientHeight(); }
    void SetClientHeight(int AValue) override { TBase::SetClientHeight(AValue); }
    TWinControl* GetParent() override { return this->Parent(); }
    void SetParent(TWinControl* AParent) override { TBase::SetParent(AParent); }
    bool GetVisible() override { return this->Visible(); }
    void SetVisible(bool AValue) override { TBase::SetVisible(AValue); }
    TIntf<IXObservable> GetObservable() override { return TIntf<IXObservable>(this->Skin()); }
    void Place(TWinControl* AParent, TAlign AAlign) override
    {
        TBase::SetParent(AParent);
        if (AAlign != alNone)
            this->SetAlign(AAlign);
        TBase::SetVisible(true);
    }
    void Show() override { TBase::Show(); }
    void Hide() override { TBase::Hide(); }
    void ScaleToScreen() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXControlInterface() = default;
};

// Scales the control's bounds (and a windowed control's children's) by AM / AD.
void ScaleControl(TControl* AControl, int AM, int AD);
int ScreenDpi();

template <class TBase>
void TXControlInterface<TBase>::ScaleToScreen()
{
    ScaleControl(this, ScreenDpi(), 96);
}

// ---- TXGraphicControl / TXCustomControl --------------------------------------------------

class TXGraphicControl : public TXControlInterface<TXSkinned<TGraphicControl>> {
    X_CLASS(TXGraphicControl, TXControlInterface<TXSkinned<TGraphicControl>>)
public:
    // A move is told first (moved aspect, OnMoved), then a resize (size-changed aspect,
    // OnSizeChanged); nothing when the bounds stay.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TNotifyEvent OnMoved() const { return FOnMoved; }
    void SetOnMoved(TNotifyEvent AValue) { FOnMoved = AValue; }
    TNotifyEvent OnSizeChanged() const { return FOnSizeChanged; }
    void SetOnSizeChanged(TNotifyEvent AValue) { FOnSizeChanged = AValue; }

protected:
    TXGraphicControl() = default;

private:
    TNotifyEvent FOnMoved;
    TNotifyEvent FOnSizeChanged;
};

class TXCustomControl : public TXControlInterface<TXSkinnedWin<TCustomControl>> {
    X_CLASS(TXCustomControl, TXControlInterface<TXSkinnedWin<TCustomControl>>)
public:
    // True: a press on a part HitTest calls non-client (a caption, an edge) goes to the form as
    // that non-client press, so the control drags or sizes its form.
    bool ForwardNonClientClicks() const { return FForwardNonClientClicks; }
    void SetForwardNonClientClicks(bool AValue) { FForwardNonClientClicks = AValue; }

protected:
    TXCustomControl() = default;
    void WndProc(TMessage& AMessage) override;
    // The hit-test code of a client point; HTCLIENT in the base.
    virtual LRESULT HitTest(TPoint) { return HTCLIENT; }

private:
    bool FForwardNonClientClicks = false;
};

// ---- Helpers -----------------------------------------------------------------------------

// The first form among the control (its parent when it is not windowed) and its parents.
TCustomForm* ControlParentForm(TControl* AControl);
// Opaque or letting the parent show through; the window is made again.
void SetControlTransparent(TControl* AControl, bool ATransparent);
void TransparentCreateParams(TCreateParams& AParams, bool ATransparent);
void PopupCreateParams(TCreateParams& AParams);
// An etched horizontal line through the middle of ARect (whose top is 0): two lines in the
// style's shadow and highlight colours, or the style's divider part for the system style.
void DrawStyledDivider(TCanvas* ACanvas, TCustomStyleServices* AStyle, const TRect& ARect);
// The same line in a shade and a light of AColor.
void DrawColorDivider(TCanvas* ACanvas, TColor AColor, const TRect& ARect);

// Registers the skinned controls' style hooks; calling it again changes nothing.
void RegisterSkinnedControls();
