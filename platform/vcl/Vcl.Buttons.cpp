// Vcl.Buttons.cpp: speed buttons.
#include "Vcl.Buttons.h"

void TSpeedButton::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FGlyph = TBitmap::Create();
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton()
{
    if (FGlyph != nullptr)
        FGlyph->Free();
}

void TSpeedButton::SetGroupIndex(int AValue)
{
    FGroupIndex = AValue;
    if (AValue == 0)
        SetDown(false);
}

void TSpeedButton::SetDown(bool AValue)
{
    if (FGroupIndex == 0)
        AValue = false;
    if (AValue == FDown)
        return;
    FDown = AValue;
    if (AValue && Parent() != nullptr)
        for (int I = 0; I < Parent()->ControlCount(); ++I)
            if (auto* Other = dynamic_cast<TSpeedButton*>(Parent()->Controls(I));
                Other != nullptr && Other != this && Other->FGroupIndex == FGroupIndex)
                Other->SetDown(false);
    Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool AValue)
{
    FAllowAllUp = AValue;
}

void TSpeedButton::SetFlat(bool AValue)
{
    FFlat = AValue;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* AValue)
{
    FGlyph->Assign(AValue);
    Invalidate();
}

void TSpeedButton::Click()
{
    if (FGroupIndex != 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    inherited::Click();
}

void TSpeedButton::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == CM_MOUSEENTER || AMessage.Msg == CM_MOUSELEAVE)
        Invalidate();
    if (AMessage.Msg == CM_DIALOGCHAR && IsAccel(char32_t(AMessage.WParam), Caption()) && Enabled() && Visible()) {
        Click();
        AMessage.Result = 1;
        return;
    }
    inherited::WndProc(AMessage);
}

void TSpeedButton::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (AButton == mbLeft) {
        FPressed = FOver = true;
        Invalidate();
    }
    inherited::MouseDown(AButton, AShift, AX, AY);
}

void TSpeedButton::MouseMove(TShiftState AShift, int AX, int AY)
{
    bool Over = AX >= 0 && AY >= 0 && AX < Width() && AY < Height();
    if (FPressed && Over != FOver) {
        FOver = Over;
        Invalidate();
    }
    inherited::MouseMove(AShift, AX, AY);
}

void TSpeedButton::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (AButton == mbLeft) {
        FPressed = false;
        Invalidate();
    }
    inherited::MouseUp(AButton, AShift, AX, AY);
}

void TSpeedButton::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    bool Pushed = FDown || (FPressed && FOver);
    bool Hot = MouseInClient() && Enabled();
    TThemedButton Detail = !Enabled() ? tbPushButtonDisabled
                           : Pushed   ? tbPushButtonPressed
                           : Hot      ? tbPushButtonHot
                                      : tbPushButtonNormal;
    TRect Client = ClientRect();
    Style->DrawParentBackground(this, Canvas(), &Client);
    if (!FFlat || Pushed || Hot)
        Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), Client);
    int Shift = Pushed ? 1 : 0;
    TRect Text = Rect(Client.Left + 2 + Shift, Client.Top + 2 + Shift, Client.Right - 2 + Shift, Client.Bottom - 2 + Shift);
    if (!FGlyph->Empty()) {
        int GlyphLeft = Caption().empty() ? Text.Left + (Text.Width() - FGlyph->Width()) / 2 : Text.Left + 2;
        int GlyphTop = Text.Top + (Text.Height() - FGlyph->Height()) / 2;
        FGlyph->SetTransparent(true);
        Canvas()->Draw(GlyphLeft, GlyphTop, FGlyph);
        Text.Left = GlyphLeft + FGlyph->Width() + 4;
    }
    if (Caption().empty())
        return;
    Canvas()->Font()->Assign(Font());
    TTextFormat Format = {tfSingleLine, tfVerticalCenter};
    Format.Include(FGlyph->Empty() ? tfCenter : tfLeft);
    DrawCaption(Canvas(), Caption(), Text, Format,
                Style->GetStyleFontColor(!Enabled() ? sfButtonTextDisabled : Pushed ? sfButtonTextPressed
                                                                                    : sfButtonTextNormal));
}
