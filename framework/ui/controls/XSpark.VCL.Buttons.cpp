// XSpark.VCL.Buttons.cpp: the skinned button's and check box's style hooks.
#include "XSpark.VCL.Buttons.h"

#include <algorithm>

namespace {

constexpr int kCheckBoxSize = 13;
constexpr int kCheckBoxSpacing = 5;

// AText laid out in AFormat's lines, its block centred vertically in ARect.
TRect CentredTextRect(TCanvas* ACanvas, const String& AText, const TRect& ARect, TTextFormat AFormat)
{
    TRect Needed = ARect;
    AFormat.Include(tfCalcRect);
    ACanvas->TextRect(Needed, AText, AFormat);
    int Top = ARect.Top + std::max((ARect.Height() - Needed.Height()) / 2, 0);
    return Rect(ARect.Left, Top, ARect.Right, Top + Needed.Height());
}

}  // namespace

// ---- TXButtonStyleHook -------------------------------------------------------------------

void TXButtonStyleHook::Paint(TCanvas* ACanvas)
{
    TWinControl* Control = this->Control();
    auto* Button = dynamic_cast<TXCustomButton*>(Control);
    TCustomStyleServices* Style = StyleServices();
    // A disabled button under the mouse is still disabled.
    TThemedButton State = !Control->Enabled()               ? tbPushButtonDisabled
                          : Button && Button->IsPressed() ? tbPushButtonPressed
                          : MouseInControl()                ? tbPushButtonHot
                          : Control->Focused()              ? tbPushButtonDefaulted
                                                            : tbPushButtonNormal;
    TThemedElementDetails Details = Style->GetElementDetails(State);
    TRect Client = Control->ClientRect();
    Style->DrawElement(ACanvas, Details, Client);
    ACanvas->Font()->Assign(Control->Font());
    if (Button != nullptr && Button->WordWrap()) {
        TTextFormat Format = {tfCenter, tfWordBreak};
        DrawControlText(ACanvas, Details, Control->Caption(), CentredTextRect(ACanvas, Control->Caption(), Client, Format),
                        Format);
    } else {
        DrawControlText(ACanvas, Details, Control->Caption(), Client, {tfCenter, tfVerticalCenter, tfSingleLine});
    }
}

// ---- TXCheckBoxStyleHook -----------------------------------------------------------------

void TXCheckBoxStyleHook::Paint(TCanvas* ACanvas)
{
    auto* Box = dynamic_cast<TXCheckBox*>(Control());
    if (Box == nullptr)
        return;
    TCustomStyleServices* Style = StyleServices();
    int Mouse = !Box->Enabled() ? 3 : Box->IsPressed() ? 2 : MouseInControl() ? 1 : 0;
    int First = Box->State() == cbChecked ? tbCheckBoxCheckedNormal
                : Box->State() == cbGrayed ? tbCheckBoxMixedNormal
                                           : tbCheckBoxUncheckedNormal;
    TThemedElementDetails Details = Style->GetElementDetails(TThemedButton(First + Mouse));
    int Width = Box->Width(), Height = Box->Height();
    // taLeftJustify puts the caption left of the box, as the right-button style does.
    bool BoxRight = Box->Alignment() == taLeftJustify;
    int BoxTop = (Height - kCheckBoxSize) / 2;
    int BoxLeft = BoxRight ? Width - kCheckBoxSize - 1 : 0;
    Style->DrawElement(ACanvas, Details, Rect(BoxLeft, BoxTop, BoxLeft + kCheckBoxSize, BoxTop + kCheckBoxSize));

    ACanvas->Font()->Assign(Box->Font());
    TRect Measured = Rect(0, 0, Width - kCheckBoxSize - 10, Height);
    ACanvas->TextRect(Measured, Box->Caption(), {tfCalcRect, tfExpandTabs});
    int D = Width - kCheckBoxSize - kCheckBoxSpacing;
    TRect Caption = BoxRight ? Rect(3, 0, D, Height) : Rect(kCheckBoxSize + kCheckBoxSpacing, 0, Width, Height);
    int Top = (Height - Measured.Height()) / 2;
    Caption = Rect(Caption.Left, Top, Caption.Right, Top + Measured.Height());
    DrawControlText(ACanvas, Details, Box->Caption(), Caption, {tfExpandTabs});
    if (Box->Focused() && !Box->Caption().empty()) {
        TRect Focus = Rect(Caption.Left - 2, std::max(Caption.Top - 1, 0),
                           std::min(Caption.Left + Measured.Width() + 2, Width), std::min(Caption.Bottom + 1, Height));
        ACanvas->Brush()->SetColor(Style->GetSystemColor(clBtnFace));
        Style->DrawFocusRect(ACanvas, Focus);
    }
}
