// XSpark.VCL.cpp: skinned base controls and their painting and window helpers.
#include "XSpark.VCL.h"

#include "Vcl.Forms.h"
#include "Vcl.Screen.h"
#include "Win.Display.h"

bool SkinTakesMessages(TControl* AControl, TXControlSkin* ASkin)
{
    return !AControl->ComponentState().Contains(csDestroying) &&
           !AControl->ControlStyle().Contains(csOverrideStylePaint) && ASkin->StyleServices()->HandlesMessages();
}

void ScaleControl(TControl* AControl, int AM, int AD)
{
    if (AM == AD)
        return;
    TRect R = AControl->BoundsRect();
    AControl->SetBounds(MulDiv(R.Left, AM, AD), MulDiv(R.Top, AM, AD), MulDiv(R.Width(), AM, AD),
                        MulDiv(R.Height(), AM, AD));
    if (auto* Win = dynamic_cast<TWinControl*>(AControl))
        for (int I = 0; I < Win->ControlCount(); ++I)
            ScaleControl(Win->Controls(I), AM, AD);
}

int ScreenDpi()
{
    return Screen->PixelsPerInch();
}

// ---- TXSkinStyleHook ---------------------------------------------------------------------

void TXSkinStyleHook::Construct(TWinControl* AControl)
{
    inherited::Construct(AControl);
    if (auto* Owner = dynamic_cast<TXSkinOwner*>(AControl))
        FControlSkin = Owner->Skin();
}

TCustomStyleServices* TXSkinStyleHook::StyleServices() const
{
    return FControlSkin != nullptr ? FControlSkin->StyleServices() : inherited::StyleServices();
}

void TXSkinStyleHook::PaintBackground(TCanvas* ACanvas)
{
    StyleServices()->DrawParentBackground(Control(), ACanvas, nullptr);
}

void TXSkinStyleHook::DrawControlText(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const String& AText,
                                      TRect ARect, TTextFormat AFormat)
{
    ACanvas->Font()->Assign(Control()->Font());
    TColor Color = clNone;
    if (StyleServices()->GetElementColor(ADetails, ecTextColor, Color))
        ACanvas->Font()->SetColor(Color);
    else
        Color = clNone;
    StyleServices()->DrawText(ACanvas, ADetails, AText, ARect, AFormat, Color);
}

// ---- TXGraphicControl --------------------------------------------------------------------

void TXGraphicControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TRect Old = BoundsRect();
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Left() != Old.Left || Top() != Old.Top) {
        Skin()->NotifyControl<TXMovedAspect>();
        if (FOnMoved)
            FOnMoved(this);
    }
    if (Width() != Old.Width() || Height() != Old.Height()) {
        Skin()->NotifyControl<TXSizeChangedAspect>();
        if (FOnSizeChanged)
            FOnSizeChanged(this);
    }
}

// ---- TXCustomControl ---------------------------------------------------------------------

void TXCustomControl::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_NCHITTEST:
        AMessage.Result = HitTest(ScreenToClient(MouseLParamPoint(AMessage.LParam)));
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The screen asks only top-level windows for hit tests: the control asks itself.
        if (!FForwardNonClientClicks)
            break;
        TPoint OnScreen = ClientToScreen(MouseLParamPoint(AMessage.LParam));
        LRESULT Hit = Perform(WM_NCHITTEST, 0, MakeMouseLParam(OnScreen.X, OnScreen.Y));
        TCustomForm* Form = ControlParentForm(this);
        if (Hit == HTCLIENT || Form == nullptr)
            break;
        UINT NonClient = AMessage.Msg == WM_LBUTTONDOWN ? WM_NCLBUTTONDOWN : WM_NCLBUTTONDBLCLK;
        PostMessageW(Form->Handle(), NonClient, static_cast<WPARAM>(Hit), MakeMouseLParam(OnScreen.X, OnScreen.Y));
        return;
    }
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

// ---- Helpers -----------------------------------------------------------------------------

TCustomForm* ControlParentForm(TControl* AControl)
{
    TControl* Control = AControl;
    if (Control != nullptr && dynamic_cast<TWinControl*>(Control) == nullptr)
        Control = Control->Parent();
    for (; Control != nullptr; Control = Control->Parent())
        if (auto* Form = dynamic_cast<TCustomForm*>(Control))
            return Form;
    return nullptr;
}

void SetControlTransparent(TControl* AControl, bool ATransparent)
{
    TControlStyle Style = AControl->ControlStyle();
    Style.Exclude(csOpaque).Exclude(csParentBackground);
    Style.Include(ATransparent ? csParentBackground : csOpaque);
    AControl->SetControlStyle(Style);
    if (auto* Win = dynamic_cast<TWinControl*>(AControl))
        Win->RecreateWnd();
    AControl->Invalidate();
}

void TransparentCreateParams(TCreateParams& AParams, bool ATransparent)
{
    if (ATransparent) {
        AParams.ExStyle |= WS_EX_TRANSPARENT;
        AParams.WindowClassStyle |= CS_HREDRAW | CS_VREDRAW;
    } else {
        AParams.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
    }
}

void PopupCreateParams(TCreateParams& AParams)
{
    AParams.Style = WS_POPUP | WS_CLIPCHILDREN;
    AParams.ExStyle = WS_EX_TOOLWINDOW;
    AParams.WindowClassStyle |= CS_SAVEBITS | CS_DROPSHADOW;
}

namespace {

void DrawEtchedLine(TCanvas* ACanvas, TColor AUpper, TColor ALower, const TRect& ARect)
{
    int Y = (ARect.Height() - 2) / 2;
    ACanvas->Pen()->SetStyle(psSolid);
    ACanvas->Pen()->SetWidth(1);
    ACanvas->Pen()->SetColor(AUpper);
    ACanvas->MoveTo(ARect.Left, Y);
    ACanvas->LineTo(ARect.Right, Y);
    ACanvas->Pen()->SetColor(ALower);
    ACanvas->MoveTo(ARect.Left, Y + 1);
    ACanvas->LineTo(ARect.Right, Y + 1);
}

}  // namespace

void DrawStyledDivider(TCanvas* ACanvas, TCustomStyleServices* AStyle, const TRect& ARect)
{
    if (!AStyle->IsSystemStyle()) {
        DrawEtchedLine(ACanvas, AStyle->GetSystemColor(clBtnShadow), AStyle->GetSystemColor(clBtnHighlight), ARect);
        return;
    }
    TThemedElementDetails Divider = AStyle->GetElementDetails(ttlDivider);
    TSize Size{ARect.Width(), 2};
    AStyle->GetElementSize(Divider, esActual, Size);
    int Top = ARect.Top + (ARect.Height() - Size.cy) / 2;
    AStyle->DrawElement(ACanvas, Divider, Rect(ARect.Left, Top, ARect.Right, Top + Size.cy));
}

void DrawColorDivider(TCanvas* ACanvas, TColor AColor, const TRect& ARect)
{
    DrawEtchedLine(ACanvas, GetShadowColor(AColor, -50), GetHighLightColor(AColor, 19), ARect);
}
