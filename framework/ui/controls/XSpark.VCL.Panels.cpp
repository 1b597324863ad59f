// XSpark.VCL.Panels.cpp: skinned panel, group box, scroll box and scroll bar.
#include "XSpark.VCL.Panels.h"

#include <algorithm>

#include "Vcl.Screen.h"
#include "XSpark.VCL.Buttons.h"

// ---- TXScrollBar -------------------------------------------------------------------------

void TXScrollBar::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg != WM_MOUSEWHEEL) {
        inherited::WndProc(AMessage);
        return;
    }
    int Position = this->Position() - static_cast<int16_t>(AMessage.WParam >> 16);
    Scroll(scPosition, Position);
    SetPosition(Position);
    AMessage.Result = 1;
}

// ---- TXCustomPanel -----------------------------------------------------------------------

void TXCustomPanel::PaintSelf()
{
    if (!ParentBackground()) {
        inherited::PaintSelf();
        return;
    }
    StyleServices()->DrawParentBackground(this, Canvas(), nullptr);
    Canvas()->Font()->Assign(Font());
    Paint();
}

void TXCustomPanel::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TColor Base = Style->GetSystemColor(Color());
    TColor Light = Style->GetSystemColor(clBtnHighlight);
    TColor Dark = Style->GetSystemColor(clBtnShadow);
    TThemedElementDetails Background = Style->GetElementDetails(tpPanelBackground);
    TThemedElementDetails Bevel = Style->GetElementDetails(tpPanelBevel);
    Style->GetElementColor(Background, ecFillColor, Base);
    Style->GetElementColor(Bevel, ecEdgeHighlightColor, Light);
    Style->GetElementColor(Bevel, ecEdgeShadowColor, Dark);
    if (BevelOuter() == bvSpace)
        Light = Dark = Style->GetSystemColor(clWindowFrame);

    TRect R = ClientRect();
    auto DrawBevel = [&](TBevelCut ACut) {
        if (ACut == bvLowered)
            Frame3D(Canvas(), R, Dark, Light, BevelWidth());
        else if (ACut != bvNone)
            Frame3D(Canvas(), R, Light, Dark, BevelWidth());
    };
    DrawBevel(BevelOuter());
    if (ParentBackground())
        R = Rect(R.Left + BorderWidth(), R.Top + BorderWidth(), R.Right - BorderWidth(), R.Bottom - BorderWidth());
    else
        Frame3D(Canvas(), R, Base, Base, BorderWidth());
    DrawBevel(BevelInner());
    if (!ParentBackground()) {
        Canvas()->Brush()->SetColor(Base);
        Canvas()->FillRect(R);
    }
    if (!ShowCaption() || Caption().empty())
        return;
    TTextFormat Format = {tfExpandTabs, tfSingleLine};
    Format.Include(VerticalAlignment() == taAlignTop      ? tfTop
                   : VerticalAlignment() == taAlignBottom ? tfBottom
                                                          : tfVerticalCenter);
    Format.Include(Alignment() == taLeftJustify ? tfLeft : Alignment() == taRightJustify ? tfRight : tfCenter);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Font()->Assign(Font());
    TColor Text = clNone;
    if (!Style->GetElementColor(Background, ecTextColor, Text))
        Text = Style->GetSystemColor(Font()->Color());
    Style->DrawText(Canvas(), Background, Caption(), R, Format, Text);
}

// ---- TXCustomGroupBox --------------------------------------------------------------------

namespace {

int TextHeightOf(TFont* AFont, const String& AText)
{
    TOwned<TCanvas> Canvas(TCanvas::Create());
    Canvas->Font()->Assign(AFont);
    return Canvas->TextHeight(AText);
}

}  // namespace

void TXCustomGroupBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable,
                     csParentBackground, csGestures});
    SetBounds(0, 0, 185, 105);
    SetControlTransparent(this, false);
}

void TXCustomGroupBox::SetTransparent(bool AValue)
{
    if (FTransparent == AValue)
        return;
    FTransparent = AValue;
    SetControlTransparent(this, AValue);
}

void TXCustomGroupBox::SetFrameStyle(TXFrameStyle AValue)
{
    if (FFrameStyle == AValue)
        return;
    FFrameStyle = AValue;
    Changed();
}

void TXCustomGroupBox::Changed()
{
    Invalidate();
    Realign();
}

void TXCustomGroupBox::CreateParams(TCreateParams& AParams)
{
    inherited::CreateParams(AParams);
    TransparentCreateParams(AParams, FTransparent);
}

void TXCustomGroupBox::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(AMessage.WParam), Caption()) && CanFocus()) {
            SelectNext(nullptr, true, true);
            AMessage.Result = 1;
            return;
        }
        break;
    case CM_TEXTCHANGED:
        inherited::WndProc(AMessage);
        Changed();
        return;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TXCustomGroupBox::AdjustClientRect(TRect& ARect) const
{
    inherited::AdjustClientRect(ARect);
    if (FFrameStyle == xfsNone)
        return;
    int TextHeight = TextHeightOf(Font(), "0");
    if (FFrameStyle == xfsDivider) {
        ARect.Top += TextHeight + 1;
        return;
    }
    // The sunken frame takes two pixels on every side.
    ARect = Rect(ARect.Left + 2, ARect.Top + TextHeight + 2, ARect.Right - 2, ARect.Bottom - 2);
}

void TXCustomGroupBox::PaintSelf()
{
    if (!FTransparent) {
        inherited::PaintSelf();
        return;
    }
    Canvas()->Font()->Assign(Font());
    Paint();
}

TRect TXCustomGroupBox::CaptionRect(TCanvas* ACanvas)
{
    if (Caption().empty())
        return TRect{};
    TSize Size = ACanvas->TextExtent(Caption());
    return Rect(8, 0, 8 + Size.cx, Size.cy);
}

void TXCustomGroupBox::Paint()
{
    Canvas()->Font()->Assign(Font());
    TCustomStyleServices* Style = StyleServices();
    if (!FTransparent && ParentColor())
        Style->DrawParentBackground(this, Canvas(), nullptr);
    TRect Caption = CaptionRect(Canvas());
    TThemedElementDetails Details = Style->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled);
    if (FFrameStyle == xfsDivider) {
        int Gap = MulDiv(6, ScreenDpi(), 96);
        DrawStyledDivider(Canvas(), Style, Rect(Caption.Right + Gap, Caption.Top, Width(), Caption.Bottom));
    } else if (FFrameStyle == xfsGroupBox) {
        TRect Frame = ClientRect();
        Frame.Top = Caption.Height() / 2;
        // The frame's top line stops at the caption: drawn on both sides of it.
        TRect Left = Rect(Frame.Left, Frame.Top, Caption.Left, Frame.Bottom);
        TRect Right = Rect(Caption.Right, Frame.Top, Frame.Right, Frame.Bottom);
        TRect Below = Rect(Frame.Left, Caption.Bottom, Frame.Right, Frame.Bottom);
        for (const TRect& Clip : {Left, Right, Below})
            Style->DrawElement(Canvas(), Details, Frame, &Clip);
    }
    if (Caption.Width() == 0)
        return;
    Canvas()->Brush()->SetStyle(bsClear);
    Style->DrawText(Canvas(), Details, this->Caption(), Caption, {tfLeft, tfSingleLine});
}

// ---- TXScrollBox -------------------------------------------------------------------------

void TXScrollBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    for (TControlScrollBar* Bar : {HorzScrollBar(), VertScrollBar()}) {
        Bar->SetSmooth(true);
        Bar->SetTracking(true);
    }
}

void TXScrollBox::Resize()
{
    inherited::Resize();
    if (FOnSized)
        FOnSized(this);
    if (OnScroll())
        OnScroll()(this);
}

void TXScrollBoxStyleHook::Construct(TWinControl* AControl)
{
    inherited::Construct(AControl);
    SetOverridePaint(false);
}

// ---- Registration ------------------------------------------------------------------------

void RegisterSkinnedControls()
{
    // The group box has no hook: it paints itself with its skin's style.
    TStyleEngine::RegisterStyleHook(TXCustomButton::StaticClass(), TXButtonStyleHook::StaticClass());
    TStyleEngine::RegisterStyleHook(TXCheckBox::StaticClass(), TXCheckBoxStyleHook::StaticClass());
    TStyleEngine::RegisterStyleHook(TXScrollBox::StaticClass(), TXScrollBoxStyleHook::StaticClass());
}
