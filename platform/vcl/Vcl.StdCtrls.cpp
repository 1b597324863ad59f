// Vcl.StdCtrls.cpp: the standard controls.
#include "Vcl.StdCtrls.h"

#include <chrono>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Clipbrd.h"
#include "Vcl.Forms.h"

namespace {

TRect Inset(const TRect& ARect, int ADelta)
{
    return Rect(ARect.Left + ADelta, ARect.Top + ADelta, ARect.Right - ADelta, ARect.Bottom - ADelta);
}

}  // namespace

// ---- Type-to-find ------------------------------------------------------------------------

namespace {

// Letters typed within this many milliseconds of each other search together.
constexpr int64_t kTypeToFindPause = 1000;

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool StartsWithText(const String& AText, const String& APrefix)
{
    return AText.size() >= APrefix.size() && CompareText(AText.substr(0, APrefix.size()), APrefix) == 0;
}

}  // namespace

String TypedSoFar(String& ATyped, int64_t& ATypedAt, char32_t AKey)
{
    int64_t Now = NowMs();
    if (Now - ATypedAt > kTypeToFindPause)
        ATyped.clear();
    ATypedAt = Now;
    ATyped += FromChars(std::u32string(1, AKey));
    return ATyped;
}

int FindTyped(int ACount, const std::function<String(int)>& AText, int AFrom, const String& ATyped)
{
    bool Repeat = ATyped.size() > 1 && ATyped.find_first_not_of(ATyped[0]) == String::npos;
    String Prefix = Repeat ? ATyped.substr(0, 1) : ATyped;
    int Start = Repeat || ATyped.size() == 1 ? AFrom + 1 : std::max(AFrom, 0);
    for (int I = 0; I < ACount; ++I) {
        int Index = (Start + I) % ACount;
        if (StartsWithText(AText(Index), Prefix))
            return Index;
    }
    return -1;
}

int FindTyped(TStrings* AItems, int AFrom, const String& ATyped)
{
    return FindTyped(AItems->Count(), [AItems](int I) { return AItems->Strings(I); }, AFrom, ATyped);
}

// ---- Code points -------------------------------------------------------------------------

std::u32string ToChars(const String& AText)
{
    std::u32string Chars;
    Chars.reserve(AText.size());
    for (size_t I = 0; I < AText.size();) {
        size_t Length = Utf8CharLength(AText, I);
        auto C = static_cast<unsigned char>(AText[I]);
        char32_t Code = C;
        if (Length > 1) {
            Code = C & (0xFF >> (Length + 1));
            for (size_t K = 1; K < Length; ++K)
                Code = (Code << 6) | (static_cast<unsigned char>(AText[I + K]) & 0x3F);
        }
        Chars.push_back(Code);
        I += Length;
    }
    return Chars;
}

String FromChars(std::u32string_view AChars)
{
    String Text;
    Text.reserve(AChars.size());
    for (char32_t C : AChars) {
        if (C < 0x80) {
            Text += char(C);
        } else if (C < 0x800) {
            Text += char(0xC0 | (C >> 6));
            Text += char(0x80 | (C & 0x3F));
        } else if (C < 0x10000) {
            Text += char(0xE0 | (C >> 12));
            Text += char(0x80 | ((C >> 6) & 0x3F));
            Text += char(0x80 | (C & 0x3F));
        } else {
            Text += char(0xF0 | (C >> 18));
            Text += char(0x80 | ((C >> 12) & 0x3F));
            Text += char(0x80 | ((C >> 6) & 0x3F));
            Text += char(0x80 | (C & 0x3F));
        }
    }
    return Text;
}

// ---- Shared painting ---------------------------------------------------------------------

TColor StyledColor(TColor AColor)
{
    return StyleServices()->GetSystemColor(AColor);
}

void DrawCaption(TCanvas* ACanvas, const String& ACaption, TRect ARect, TTextFormat AFormat, TColor AColor)
{
    TBrushStyle OldStyle = ACanvas->Brush()->Style();
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->Font()->SetColor(StyledColor(AColor));
    ACanvas->TextRect(ARect, ACaption, AFormat);
    ACanvas->Brush()->SetStyle(OldStyle);
}

// ---- TScrollBarPart ----------------------------------------------------------------------

int TScrollBarPart::MaxPosition() const
{
    return std::max(Min, Max - std::max(Page - 1, 0));
}

bool TScrollBarPart::SetPosition(int AValue)
{
    AValue = std::clamp(AValue, Min, MaxPosition());
    if (AValue == Position)
        return false;
    Position = AValue;
    return true;
}

int TScrollBarPart::ArrowSize() const
{
    int Length = Vertical() ? Bounds.Height() : Bounds.Width();
    int Thickness = Vertical() ? Bounds.Width() : Bounds.Height();
    return std::min(Thickness, Length / 2);
}

TRect TScrollBarPart::TrackRect() const
{
    int A = ArrowSize();
    if (Vertical())
        return Rect(Bounds.Left, Bounds.Top + A, Bounds.Right, Bounds.Bottom - A);
    return Rect(Bounds.Left + A, Bounds.Top, Bounds.Right - A, Bounds.Bottom);
}

TRect TScrollBarPart::ThumbRect() const
{
    TRect Track = TrackRect();
    int Length = Vertical() ? Track.Height() : Track.Width();
    int Range = Max - Min + 1;
    int Thumb = Page > 0 && Range > 0 ? int(int64_t(Length) * Page / Range) : Vertical() ? Bounds.Width() : Bounds.Height();
    Thumb = std::clamp(Thumb, std::min(8, Length), Length);
    int Span = MaxPosition() - Min;
    int Offset = Span > 0 ? int(int64_t(Length - Thumb) * (Position - Min) / Span) : 0;
    if (!Enabled || Length - Thumb <= 0 || Span <= 0)
        return Rect(0, 0, 0, 0);
    if (Vertical())
        return Rect(Track.Left, Track.Top + Offset, Track.Right, Track.Top + Offset + Thumb);
    return Rect(Track.Left + Offset, Track.Top, Track.Left + Offset + Thumb, Track.Bottom);
}

TScrollBarPart::THit TScrollBarPart::HitTest(TPoint APoint) const
{
    if (!PtInRect(Bounds, APoint))
        return hNone;
    TRect Track = TrackRect();
    int At = Vertical() ? APoint.Y : APoint.X;
    if (At < (Vertical() ? Track.Top : Track.Left))
        return hLineUp;
    if (At >= (Vertical() ? Track.Bottom : Track.Right))
        return hLineDown;
    TRect Thumb = ThumbRect();
    if (Thumb.Width() == 0)
        return hNone;
    if (PtInRect(Thumb, APoint))
        return hThumb;
    return At < (Vertical() ? Thumb.Top : Thumb.Left) ? hPageUp : hPageDown;
}

TScrollCode TScrollBarPart::MouseDown(TPoint APoint, int ASmallChange, int ALargeChange)
{
    if (!Enabled)
        return scEndScroll;
    FPressed = HitTest(APoint);
    switch (FPressed) {
    case hLineUp:
        SetPosition(Position - ASmallChange);
        return scLineUp;
    case hLineDown:
        SetPosition(Position + ASmallChange);
        return scLineDown;
    case hPageUp:
        SetPosition(Position - ALargeChange);
        return scPageUp;
    case hPageDown:
        SetPosition(Position + ALargeChange);
        return scPageDown;
    case hThumb: {
        TRect Thumb = ThumbRect();
        FDragging = true;
        FDragOffset = Vertical() ? APoint.Y - Thumb.Top : APoint.X - Thumb.Left;
        return scEndScroll;
    }
    default:
        return scEndScroll;
    }
}

int TScrollBarPart::TrackPosition(TPoint APoint) const
{
    TRect Track = TrackRect();
    TRect Thumb = ThumbRect();
    int Length = Vertical() ? Track.Height() - Thumb.Height() : Track.Width() - Thumb.Width();
    int Offset = (Vertical() ? APoint.Y - Track.Top : APoint.X - Track.Left) - FDragOffset;
    if (Length <= 0)
        return Position;
    Offset = std::clamp(Offset, 0, Length);
    int Span = MaxPosition() - Min;
    return Min + int((int64_t(Offset) * Span + Length / 2) / Length);
}

void TScrollBarPart::Paint(TCanvas* ACanvas, TCustomStyleServices* AStyle, THit AHot) const
{
    auto State = [&](THit APart) {
        if (!Enabled)
            return 3;
        if (FPressed == APart)
            return 2;
        return AHot == APart ? 1 : 0;
    };
    int A = ArrowSize();
    TThemedScrollBar Up = Vertical() ? tsArrowBtnUpNormal : tsArrowBtnLeftNormal;
    TThemedScrollBar Down = Vertical() ? tsArrowBtnDownNormal : tsArrowBtnRightNormal;
    TRect UpRect = Vertical() ? Rect(Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Top + A)
                              : Rect(Bounds.Left, Bounds.Top, Bounds.Left + A, Bounds.Bottom);
    TRect DownRect = Vertical() ? Rect(Bounds.Left, Bounds.Bottom - A, Bounds.Right, Bounds.Bottom)
                                : Rect(Bounds.Right - A, Bounds.Top, Bounds.Right, Bounds.Bottom);
    TThemedScrollBar Track = Vertical() ? (Enabled ? tsTrackVertNormal : tsTrackVertDisabled)
                                        : (Enabled ? tsTrackHorzNormal : tsTrackHorzDisabled);
    AStyle->DrawElement(ACanvas, AStyle->GetElementDetails(Track), TrackRect());
    AStyle->DrawElement(ACanvas, AStyle->GetElementDetails(TThemedScrollBar(Up + State(hLineUp))), UpRect);
    AStyle->DrawElement(ACanvas, AStyle->GetElementDetails(TThemedScrollBar(Down + State(hLineDown))), DownRect);
    TRect Thumb = ThumbRect();
    if (Thumb.Width() > 0) {
        TThemedScrollBar First = Vertical() ? tsThumbBtnVertNormal : tsThumbBtnHorzNormal;
        int ThumbState = FDragging ? 2 : State(hThumb);
        AStyle->DrawElement(ACanvas, AStyle->GetElementDetails(TThemedScrollBar(First + ThumbState)), Thumb);
    }
}

// ---- TCustomLabel ------------------------------------------------------------------------

void TCustomLabel::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAutoSize(bool AValue)
{
    FAutoSize = AValue;
    AdjustBounds();
}

void TCustomLabel::SetVerticalAutoSize(bool AValue)
{
    FVerticalAutoSize = AValue;
    AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool AValue)
{
    FWordWrap = AValue;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment AValue)
{
    FAlignment = AValue;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout AValue)
{
    FLayout = AValue;
    Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition AValue)
{
    FEllipsisPosition = AValue;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool AValue)
{
    FTransparent = AValue;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool AValue)
{
    FShowAccelChar = AValue;
    AdjustBounds();
    Invalidate();
}

TTextFormat TCustomLabel::TextFormat() const
{
    TTextFormat Format;
    Format.Include(FAlignment == taCenter ? tfCenter : FAlignment == taRightJustify ? tfRight : tfLeft);
    if (FWordWrap)
        Format.Include(tfWordBreak);
    else
        Format.Include(tfSingleLine);
    if (!FShowAccelChar)
        Format.Include(tfNoPrefix);
    if (FEllipsisPosition == epEndEllipsis)
        Format.Include(tfEndEllipsis);
    else if (FEllipsisPosition == epPathEllipsis)
        Format.Include(tfPathEllipsis);
    else if (FEllipsisPosition == epWordEllipsis)
        Format.Include(tfWordEllipsis);
    return Format;
}

TRect TCustomLabel::TextRectFor(TRect ARect)
{
    Canvas()->Font()->Assign(Font());
    TTextFormat Format = TextFormat();
    Format.Include(tfCalcRect);
    Format.Exclude(tfEndEllipsis);
    Format.Exclude(tfPathEllipsis);
    Format.Exclude(tfWordEllipsis);
    String Text = Caption().empty() ? String(" ") : Caption();
    Canvas()->TextRect(ARect, Text, Format);
    return ARect;
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || FAdjusting)
        return;
    FAdjusting = true;
    bool HeightOnly = FWordWrap || FVerticalAutoSize;
    TRect Needed = TextRectFor(Rect(0, 0, HeightOnly ? Width() : 0x7FFF, 0));
    int NewWidth = HeightOnly ? Width() : Needed.Width();
    int NewLeft = Left();
    // A right-aligned label keeps its right edge, a centred one its middle.
    if (!HeightOnly && FAlignment == taRightJustify)
        NewLeft = Left() + Width() - NewWidth;
    else if (!HeightOnly && FAlignment == taCenter)
        NewLeft = Left() + (Width() - NewWidth) / 2;
    SetBounds(NewLeft, Top(), NewWidth, Needed.Height());
    FAdjusting = false;
}

void TCustomLabel::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        AdjustBounds();
        break;
    case CM_DIALOGCHAR:
        if (FFocusControl != nullptr && FShowAccelChar && IsAccel(char32_t(AMessage.WParam), Caption()) &&
            FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            AMessage.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TCustomLabel::Paint()
{
    TRect Client = ClientRect();
    if (!FTransparent) {
        Canvas()->Brush()->SetColor(StyledColor(Color()));
        Canvas()->FillRect(Client);
    }
    TRect Text = Client;
    if (FLayout != tlTop) {
        TRect Needed = TextRectFor(Rect(0, 0, Client.Width(), 0));
        int Offset = Client.Height() - Needed.Height();
        Text.Top += FLayout == tlCenter ? Offset / 2 : Offset;
    }
    Canvas()->Font()->Assign(Font());
    TColor TextColor = Font()->Color();
    if (!Enabled())
        TextColor = StyleServices()->GetStyleFontColor(sfTextLabelDisabled);
    else if (TextColor == clWindowText || TextColor == clBtnText)
        TextColor = StyleServices()->GetStyleFontColor(sfTextLabelNormal);
    DrawCaption(Canvas(), Caption(), Text, TextFormat(), TextColor);
}

// ---- TButtonControl ----------------------------------------------------------------------

void TButtonControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetTabStop(true);
    TControlStyle Style = ControlStyle();
    Style.Exclude(csClickEvents);   // a completed press is Pushed
    SetControlStyle(Style);
}

void TButtonControl::SetWordWrap(bool AValue)
{
    FWordWrap = AValue;
    Invalidate();
}

void TButtonControl::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (AMessage.Msg == WM_KILLFOCUS)
            FPressed = FSpaceDown = false;
        Invalidate();
        break;
    case CM_DIALOGCHAR:
        // Alt+letter, or the letter alone when the focused control takes no characters.
        if (IsAccel(char32_t(AMessage.WParam), Caption()) && CanFocus()) {
            SetFocus();
            Pushed();
            AMessage.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TButtonControl::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (AButton == mbLeft) {
        FPressed = true;
        FMouseOver = true;
        Invalidate();
    }
    inherited::MouseDown(AButton, AShift, AX, AY);
}

void TButtonControl::MouseMove(TShiftState AShift, int AX, int AY)
{
    bool Over = PtInRect(ClientRect(), Point(AX, AY));
    if (FPressed && Over != FMouseOver) {
        FMouseOver = Over;
        Invalidate();
    }
    inherited::MouseMove(AShift, AX, AY);
}

void TButtonControl::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    bool Completed = AButton == mbLeft && FPressed && !FSpaceDown && PtInRect(ClientRect(), Point(AX, AY));
    if (AButton == mbLeft && FPressed) {
        FPressed = false;
        Invalidate();
    }
    inherited::MouseUp(AButton, AShift, AX, AY);
    if (Completed)
        Pushed();
}

void TButtonControl::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    if (AKey == VK_SPACE && !FSpaceDown) {
        FSpaceDown = FPressed = true;
        Invalidate();
    }
}

void TButtonControl::KeyUp(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyUp(AKey, AShift);
    if (AKey == VK_SPACE && FSpaceDown) {
        FSpaceDown = FPressed = false;
        Invalidate();
        Pushed();
    }
}

void TButtonControl::DrawFocus(TCanvas* ACanvas, const TRect& ARect)
{
    if (Focused())
        StyleServices()->DrawFocusRect(ACanvas, ARect);
}

// ---- TCustomButton -----------------------------------------------------------------------

void TCustomButton::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 75, 25);
}

void TCustomButton::SetDefault(bool AValue)
{
    FDefault = AValue;
    Invalidate();
}

bool TCustomButton::ActiveDefault() const
{
    if (Focused())
        return true;
    TWinControl* Focus = FocusedControl();
    return FDefault && dynamic_cast<TCustomButton*>(Focus) == nullptr;
}

void TCustomButton::Click()
{
    if (FModalResult != 0) {
        TControl* Top = TopLevel();
        if (auto* Form = dynamic_cast<TCustomForm*>(Top))
            Form->SetModalResult(FModalResult);
    }
    inherited::Click();
}

void TCustomButton::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == CM_DIALOGKEY && KeyboardStateToShiftState().IsEmpty() && CanFocus()) {
        if ((AMessage.WParam == VK_RETURN && ActiveDefault()) || (AMessage.WParam == VK_ESCAPE && FCancel)) {
            Click();
            AMessage.Result = 1;
            return;
        }
    }
    if (AMessage.Msg == WM_SETFOCUS || AMessage.Msg == WM_KILLFOCUS) {
        // The default button's frame moves to the focused button and back.
        if (TWinControl* Top = TopLevel())
            Top->Invalidate();
    }
    inherited::WndProc(AMessage);
}

void TCustomButton::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TThemedButton Detail = tbPushButtonNormal;
    if (!Enabled())
        Detail = tbPushButtonDisabled;
    else if (Pressed())
        Detail = tbPushButtonPressed;
    else if (Hot())
        Detail = tbPushButtonHot;
    else if (FDefault && ActiveDefault())
        Detail = tbPushButtonDefaulted;
    TRect Client = ClientRect();
    if (Style->HasTransparentParts(Style->GetElementDetails(Detail)))
        Style->DrawParentBackground(this, Canvas(), &Client);
    Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), Client);
    TRect Text = Inset(Client, 4);
    if (Detail == tbPushButtonPressed) {
        Text.Left += 1;
        Text.Top += 1;
        Text.Right += 1;
        Text.Bottom += 1;
    }
    TTextFormat Format = {tfCenter, tfVerticalCenter};
    Format.Include(WordWrap() ? tfWordBreak : tfSingleLine);
    Canvas()->Font()->Assign(Font());
    TStyleFont TextColor = !Enabled() ? sfButtonTextDisabled
                           : Detail == tbPushButtonPressed ? sfButtonTextPressed
                           : Detail == tbPushButtonHot     ? sfButtonTextHot
                                                           : sfButtonTextNormal;
    if (WordWrap()) {
        // A wrapped caption is centred as a block.
        TRect Needed = Text;
        TTextFormat Calc = Format;
        Calc.Include(tfCalcRect);
        Canvas()->TextRect(Needed, Caption(), Calc);
        int Offset = (Text.Height() - Needed.Height()) / 2;
        Text.Top += std::max(Offset, 0);
        Format.Exclude(tfVerticalCenter);
    }
    DrawCaption(Canvas(), Caption(), Text, Format, Style->GetStyleFontColor(TextColor));
    DrawFocus(Canvas(), Inset(Client, 3));
}

// ---- TCustomCheckBox ---------------------------------------------------------------------

void TCustomCheckBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetState(TCheckBoxState AValue)
{
    if (FState == AValue)
        return;
    FState = AValue;
    Invalidate();
    if (!FClicksDisabled)
        Click();
}

void TCustomCheckBox::SetAlignment(TAlignment AValue)
{
    FAlignment = AValue;
    Invalidate();
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(cbChecked);
        break;
    case cbChecked:
        SetState(FAllowGrayed ? cbGrayed : cbUnchecked);
        break;
    default:
        SetState(cbUnchecked);
        break;
    }
}

void TCustomCheckBox::Pushed()
{
    // The state change is the click: OnClick fires from SetState.
    Toggle();
}

TRect TCustomCheckBox::BoxRect()
{
    TSize Size{13, 13};
    StyleServices()->GetElementSize(StyleServices()->GetElementDetails(tbCheckBoxUncheckedNormal), esActual, Size);
    int Top = (Height() - Size.cy) / 2;
    int Left = FAlignment == taLeftJustify ? Width() - Size.cx : 0;
    return Rect(Left, Top, Left + Size.cx, Top + Size.cy);
}

TThemedButton TCustomCheckBox::BoxDetail() const
{
    int Mouse = !Enabled() ? 3 : Pressed() ? 2 : Hot() ? 1 : 0;
    int First = FState == cbChecked ? tbCheckBoxCheckedNormal
                : FState == cbGrayed ? tbCheckBoxMixedNormal
                                     : tbCheckBoxUncheckedNormal;
    return TThemedButton(First + Mouse);
}

void TCustomCheckBox::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Client = ClientRect();
    Style->DrawParentBackground(this, Canvas(), &Client);
    TRect Box = BoxRect();
    Style->DrawElement(Canvas(), Style->GetElementDetails(BoxDetail()), Box);
    TRect Text = FAlignment == taLeftJustify ? Rect(0, 0, Box.Left - 4, Height()) : Rect(Box.Right + 4, 0, Width(), Height());
    Canvas()->Font()->Assign(Font());
    TTextFormat Format = {tfVerticalCenter};
    Format.Include(WordWrap() ? tfWordBreak : tfSingleLine);
    TRect Needed = Text;
    TTextFormat Calc = Format;
    Calc.Include(tfCalcRect);
    Canvas()->TextRect(Needed, Caption(), Calc);
    DrawCaption(Canvas(), Caption(), Text, Format,
                Style->GetStyleFontColor(Enabled() ? sfCheckBoxTextNormal : sfCheckBoxTextDisabled));
    if (!Caption().empty()) {
        int Top = (Height() - Needed.Height()) / 2;
        TRect Focus = Rect(Text.Left - 1, Top - 1, std::min(Text.Left + Needed.Width() + 1, Width()), Top + Needed.Height() + 1);
        DrawFocus(Canvas(), Focus);
    }
}

// ---- TRadioButton ------------------------------------------------------------------------

void TRadioButton::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool AValue)
{
    if (AValue == Checked())
        return;
    if (AValue && Parent() != nullptr) {
        for (int I = 0; I < Parent()->ControlCount(); ++I)
            if (auto* Other = dynamic_cast<TRadioButton*>(Parent()->Controls(I)); Other != nullptr && Other != this)
                Other->SetChecked(false);
    }
    // Only a radio button that becomes checked clicks.
    bool Saved = ClicksDisabled();
    SetClicksDisabled(Saved || !AValue);
    SetState(AValue ? cbChecked : cbUnchecked);
    SetClicksDisabled(Saved);
}

void TRadioButton::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == WM_GETDLGCODE) {
        AMessage.Result = DLGC_WANTARROWS;
        return;
    }
    inherited::WndProc(AMessage);
}

void TRadioButton::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    if (AKey != VK_LEFT && AKey != VK_UP && AKey != VK_RIGHT && AKey != VK_DOWN)
        return;
    if (Parent() == nullptr)
        return;
    // The next radio button of the group in tab order, wrapping round, gets the focus and the check.
    std::vector<TRadioButton*> Group;
    for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* Radio = dynamic_cast<TRadioButton*>(Parent()->Controls(I)); Radio != nullptr && Radio->CanFocus())
            Group.push_back(Radio);
    std::stable_sort(Group.begin(), Group.end(),
                     [](TRadioButton* A, TRadioButton* B) { return A->TabOrder() < B->TabOrder(); });
    auto Self = std::find(Group.begin(), Group.end(), this);
    if (Group.size() < 2 || Self == Group.end())
        return;
    size_t Index = size_t(Self - Group.begin());
    bool Forward = AKey == VK_RIGHT || AKey == VK_DOWN;
    TRadioButton* Next = Group[(Index + (Forward ? 1 : Group.size() - 1)) % Group.size()];
    Next->SetFocus();
    Next->SetChecked(true);
    AKey = 0;
}

void TRadioButton::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Client = ClientRect();
    Style->DrawParentBackground(this, Canvas(), &Client);
    TRect Box = BoxRect();
    int Mouse = !Enabled() ? 3 : Pressed() ? 2 : Hot() ? 1 : 0;
    auto Detail = TThemedButton((Checked() ? tbRadioButtonCheckedNormal : tbRadioButtonUncheckedNormal) + Mouse);
    Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), Box);
    TRect Text = Alignment() == taLeftJustify ? Rect(0, 0, Box.Left - 4, Height()) : Rect(Box.Right + 4, 0, Width(), Height());
    Canvas()->Font()->Assign(Font());
    TTextFormat Format = {tfVerticalCenter};
    Format.Include(WordWrap() ? tfWordBreak : tfSingleLine);
    DrawCaption(Canvas(), Caption(), Text, Format,
                Style->GetStyleFontColor(Enabled() ? sfRadioButtonTextNormal : sfRadioButtonTextDisabled));
    if (!Caption().empty()) {
        TRect Needed = Text;
        TTextFormat Calc = Format;
        Calc.Include(tfCalcRect);
        Canvas()->TextRect(Needed, Caption(), Calc);
        int Top = (Height() - Needed.Height()) / 2;
        DrawFocus(Canvas(), Rect(Text.Left - 1, Top - 1, std::min(Text.Left + Needed.Width() + 1, Width()),
                                 Top + Needed.Height() + 1));
    }
}

// ---- TCustomGroupBox ---------------------------------------------------------------------

void TCustomGroupBox::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == CM_TEXTCHANGED)
        Invalidate();
    inherited::WndProc(AMessage);
}

void TCustomGroupBox::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Whole = ClientRect();
    Canvas()->Brush()->SetColor(StyledColor(Color()));
    Canvas()->FillRect(Whole);
    Canvas()->Font()->Assign(Font());
    int TextHeight = Canvas()->TextHeight("0");
    TRect Frame = Rect(Whole.Left, Whole.Top + TextHeight / 2, Whole.Right, Whole.Bottom);
    Style->DrawElement(Canvas(), Style->GetElementDetails(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled), Frame);
    if (Caption().empty())
        return;
    TRect Text = Rect(Whole.Left + 8, Whole.Top, Whole.Right - 8, Whole.Top + TextHeight);
    TRect Needed = Text;
    Canvas()->TextRect(Needed, Caption(), {tfCalcRect, tfSingleLine});
    Canvas()->Brush()->SetColor(StyledColor(Color()));
    Canvas()->FillRect(Rect(Text.Left - 2, Text.Top, Text.Left + Needed.Width() + 2, Text.Bottom));
    DrawCaption(Canvas(), Caption(), Text, {tfSingleLine, tfLeft},
                Style->GetStyleFontColor(Enabled() ? sfGroupBoxTextNormal : sfGroupBoxTextDisabled));
}

// ---- TCustomEdit -------------------------------------------------------------------------

void TCustomEdit::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    SetCursor(-4);   // the I-beam
}

void TCustomEdit::SetPasswordChar(char32_t AValue)
{
    FPasswordChar = AValue;
    Invalidate();
}

void TCustomEdit::SetTextHint(const String& AValue)
{
    FTextHint = AValue;
    Invalidate();
}

void TCustomEdit::SetReadOnly(bool AValue)
{
    FReadOnly = AValue;
    Invalidate();
}

void TCustomEdit::SetHideSelection(bool AValue)
{
    FHideSelection = AValue;
    Invalidate();
}

void TCustomEdit::SetCharCase(TEditCharCase AValue)
{
    FCharCase = AValue;
    if (AValue != ecNormal)
        SetTextInternal(ToChars(AValue == ecUpperCase ? UpperCase(Text()) : LowerCase(Text())));
}

void TCustomEdit::SetSelStart(int AValue)
{
    MoveCaret(std::clamp(AValue, 0, int(FChars.size())), false);
}

void TCustomEdit::SetSelLength(int AValue)
{
    int Start = SelStart();
    FAnchor = Start;
    FCaret = std::clamp(Start + AValue, 0, int(FChars.size()));
    ScrollToCaret();
    Invalidate();
}

String TCustomEdit::SelText() const
{
    return FromChars(std::u32string_view(FChars).substr(size_t(SelStart()), size_t(SelLength())));
}

void TCustomEdit::SetSelText(const String& AValue)
{
    FTyping = false;
    Replace(ToChars(AValue), false);
}

void TCustomEdit::SelectAll()
{
    FAnchor = 0;
    FCaret = int(FChars.size());
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::CopyToClipboard()
{
    // A password never leaves the edit.
    if (FPasswordChar == 0 && SelLength() > 0)
        Clipboard()->SetAsText(SelText());
}

void TCustomEdit::CutToClipboard()
{
    if (FPasswordChar != 0 || FReadOnly || SelLength() == 0)
        return;
    CopyToClipboard();
    FTyping = false;
    Replace(U"", false);
}

void TCustomEdit::PasteFromClipboard()
{
    if (FReadOnly || !Clipboard()->HasFormat(CF_TEXT))
        return;
    std::u32string Text = ToChars(Clipboard()->AsText());
    // One line: what follows the first line break stays out.
    if (size_t Break = Text.find_first_of(U"\r\n"); Break != std::u32string::npos)
        Text.resize(Break);
    if (FNumbersOnly && Text.find_first_not_of(U"0123456789") != std::u32string::npos)
        return;
    FTyping = false;
    Replace(Filtered(Text), false);
}

void TCustomEdit::Undo()
{
    if (!FUndo)
        return;
    TSnapshot Before{FChars, FAnchor, FCaret};
    FChars = FUndo->Text;
    FAnchor = FUndo->Anchor;
    FCaret = FUndo->Caret;
    FUndo = Before;
    FTyping = false;
    FModified = true;
    Changed();
}

std::u32string TCustomEdit::Filtered(std::u32string AText) const
{
    if (FCharCase != ecNormal)
        AText = ToChars(FCharCase == ecUpperCase ? UpperCase(FromChars(AText)) : LowerCase(FromChars(AText)));
    if (FMaxLength > 0) {
        int Room = std::max(FMaxLength - (int(FChars.size()) - SelLength()), 0);
        if (int(AText.size()) > Room)
            AText.resize(size_t(Room));
    }
    return AText;
}

void TCustomEdit::Replace(const std::u32string& AText, bool ACoalesce)
{
    ReplaceRange(SelStart(), SelStart() + SelLength(), AText, ACoalesce);
}

void TCustomEdit::ReplaceRange(int AFrom, int ATo, const std::u32string& AText, bool ACoalesce)
{
    if (AText.empty() && AFrom == ATo)
        return;
    if (!(ACoalesce && FTyping))
        FUndo = TSnapshot{FChars, FAnchor, FCaret};
    FTyping = ACoalesce;
    int Start = AFrom;
    FChars.replace(size_t(AFrom), size_t(ATo - AFrom), AText);
    FAnchor = FCaret = Start + int(AText.size());
    FModified = true;
    Changed();
}

void TCustomEdit::SetTextInternal(const std::u32string& AText)
{
    if (AText == FChars)
        return;
    FChars = AText;
    FAnchor = FCaret = std::min(FCaret, int(FChars.size()));
    FAnchor = FCaret;
    Changed();
}

// Mirrors the characters into Text, fires OnChange, repaints.
void TCustomEdit::Changed()
{
    FSettingText = true;
    TControl::SetText(FromChars(FChars));
    FSettingText = false;
    ScrollToCaret();
    Invalidate();
    Change();
}

void TCustomEdit::Change()
{
    if (FOnChange)
        FOnChange(this);
}

void TCustomEdit::MoveCaret(int APos, bool AExtend)
{
    FCaret = std::clamp(APos, 0, int(FChars.size()));
    if (!AExtend)
        FAnchor = FCaret;
    FTyping = false;
    ScrollToCaret();
    Invalidate();
}

namespace {

bool IsWordChar(char32_t C)
{
    return C > 0x7F || std::isalnum(int(C)) || C == '_';
}

}  // namespace

int TCustomEdit::WordStart(int APos) const
{
    while (APos > 0 && !IsWordChar(FChars[size_t(APos - 1)]))
        --APos;
    while (APos > 0 && IsWordChar(FChars[size_t(APos - 1)]))
        --APos;
    return APos;
}

int TCustomEdit::WordEnd(int APos) const
{
    int Size = int(FChars.size());
    while (APos < Size && IsWordChar(FChars[size_t(APos)]))
        ++APos;
    while (APos < Size && !IsWordChar(FChars[size_t(APos)]))
        ++APos;
    return APos;
}

std::u32string TCustomEdit::Shown() const
{
    if (FPasswordChar != 0)
        return std::u32string(FChars.size(), FPasswordChar);
    return FChars;
}

TRect TCustomEdit::TextArea() const
{
    return Rect(3, 2, std::max(Width() - 3, 3), std::max(Height() - 2, 2));
}

int TCustomEdit::XOfChar(int APos)
{
    Canvas()->Font()->Assign(Font());
    return Canvas()->TextWidth(FromChars(Shown().substr(0, size_t(APos))));
}

int TCustomEdit::CharAtX(int AX)
{
    int Target = AX - TextArea().Left + FScroll;
    int Best = 0;
    int BestDistance = std::abs(Target);
    for (int I = 1; I <= int(FChars.size()); ++I) {
        int Distance = std::abs(XOfChar(I) - Target);
        if (Distance < BestDistance) {
            Best = I;
            BestDistance = Distance;
        }
    }
    return Best;
}

void TCustomEdit::ScrollToCaret()
{
    int Area = TextArea().Width();
    int X = XOfChar(FCaret);
    if (X < FScroll)
        FScroll = X;
    else if (X > FScroll + Area - 1)
        FScroll = X - Area + 1;
    FScroll = std::max(FScroll, 0);
}

void TCustomEdit::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case CM_TEXTCHANGED:
        // Text set from outside: the caret goes to the start, the undo is forgotten.
        if (!FSettingText) {
            std::u32string Chars = ToChars(TControl::Text());
            if (Chars != FChars) {
                FChars = std::move(Chars);
                FAnchor = FCaret = 0;
                FScroll = 0;
                FUndo.reset();
                FTyping = false;
                FModified = false;
                Invalidate();
                Change();
            }
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FSelecting = false;
        Invalidate();
        break;
    case WM_LBUTTONUP:
        FSelecting = false;
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TCustomEdit::DoEnter()
{
    // Entered by a click, the click places the caret.
    if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    inherited::DoEnter();
}

void TCustomEdit::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    bool Shift = AShift.Contains(ssShift);
    bool Ctrl = AShift.Contains(ssCtrl);
    int Size = int(FChars.size());
    switch (AKey) {
    case VK_LEFT:
        if (!Shift && SelLength() > 0 && !Ctrl)
            MoveCaret(SelStart(), false);
        else
            MoveCaret(Ctrl ? WordStart(FCaret) : FCaret - 1, Shift);
        break;
    case VK_RIGHT:
        if (!Shift && SelLength() > 0 && !Ctrl)
            MoveCaret(SelStart() + SelLength(), false);
        else
            MoveCaret(Ctrl ? WordEnd(FCaret) : FCaret + 1, Shift);
        break;
    case VK_HOME:
        MoveCaret(0, Shift);
        break;
    case VK_END:
        MoveCaret(Size, Shift);
        break;
    case VK_BACK:
    case VK_DELETE:
        if (FReadOnly)
            break;
        if (AKey == VK_DELETE && Shift) {
            CutToClipboard();
            break;
        }
        FTyping = false;
        if (SelLength() > 0) {
            Replace(U"", false);
            break;
        }
        if (int Other = AKey == VK_BACK ? (Ctrl ? WordStart(FCaret) : FCaret - 1) : (Ctrl ? WordEnd(FCaret) : FCaret + 1);
            Other >= 0 && Other <= Size)
            ReplaceRange(std::min(Other, FCaret), std::max(Other, FCaret), U"", false);
        break;
    case VK_INSERT:
        if (Shift)
            PasteFromClipboard();
        else if (Ctrl)
            CopyToClipboard();
        break;
    default:
        if (!Ctrl || Shift)
            return;
        switch (AKey) {
        case 'A':
            SelectAll();
            break;
        case 'C':
            CopyToClipboard();
            break;
        case 'X':
            CutToClipboard();
            break;
        case 'V':
            PasteFromClipboard();
            break;
        case 'Z':
            Undo();
            break;
        default:
            return;
        }
    }
}

void TCustomEdit::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    // Control characters (Backspace, Ctrl+letters) are keys, handled on key down.
    if (AKey < 0x20 || AKey == 0x7F || FReadOnly)
        return;
    if (FNumbersOnly && (AKey < '0' || AKey > '9'))
        return;
    std::u32string Text = Filtered(std::u32string(1, AKey));
    if (!Text.empty())
        Replace(Text, true);
}

void TCustomEdit::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft || AShift.Contains(ssDouble))
        return;
    MoveCaret(CharAtX(AX), AShift.Contains(ssShift));
    FSelecting = true;
}

void TCustomEdit::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (FSelecting && AShift.Contains(ssLeft))
        MoveCaret(CharAtX(AX), true);
}

void TCustomEdit::DblClick()
{
    inherited::DblClick();
    int Start = FCaret;
    while (Start > 0 && IsWordChar(FChars[size_t(Start - 1)]))
        --Start;
    int End = FCaret;
    while (End < int(FChars.size()) && IsWordChar(FChars[size_t(End)]))
        ++End;
    FAnchor = Start;
    FCaret = End;
    FSelecting = false;
    Invalidate();
}

void TCustomEdit::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TThemedEdit Detail = !Enabled() ? teEditTextDisabled
                         : FReadOnly ? teEditTextReadOnly
                         : Focused() ? teEditTextFocused
                         : MouseInClient() ? teEditTextHot
                                          : teEditTextNormal;
    TRect Client = ClientRect();
    Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), Client);
    TColor Back = Color() == clWindow ? Style->GetStyleColor(Enabled() ? scEdit : scEditDisabled) : StyledColor(Color());
    TRect Area = TextArea();
    Canvas()->Brush()->SetColor(Back);
    Canvas()->FillRect(Rect(Area.Left - 1, Area.Top, Area.Right + 1, Area.Bottom));
    Canvas()->Font()->Assign(Font());
    int LineHeight = Canvas()->TextHeight("Wg");
    int Y = Area.Top + (Area.Height() - LineHeight) / 2;
    TColor TextColor = Style->GetStyleFontColor(Enabled() ? sfEditBoxTextNormal : sfEditBoxTextDisabled);
    if (Font()->Color() != clWindowText && Enabled())
        TextColor = StyledColor(Font()->Color());
    auto Draw = [&](const String& AText, int AX, TColor AColor) {
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Font()->SetColor(AColor);
        Canvas()->TextRect(Area, AX, Y, AText);
        Canvas()->Brush()->SetStyle(bsSolid);
    };
    if (FChars.empty() && !Focused() && !FTextHint.empty()) {
        Draw(FTextHint, Area.Left, StyledColor(clGrayText));
        return;
    }
    String Shown = FromChars(this->Shown());
    int X0 = Area.Left - FScroll;
    Draw(Shown, X0, TextColor);
    if (SelLength() > 0 && (Focused() || !FHideSelection)) {
        int Left = X0 + XOfChar(SelStart());
        int Right = X0 + XOfChar(SelStart() + SelLength());
        TRect Selection = Rect(std::max(Left, Area.Left), Y, std::min(Right, Area.Right), Y + LineHeight);
        Canvas()->Brush()->SetColor(StyledColor(Focused() ? clHighlight : clBtnFace));
        Canvas()->FillRect(Selection);
        String Selected = FromChars(this->Shown().substr(size_t(SelStart()), size_t(SelLength())));
        Canvas()->Font()->Assign(Font());
        Draw(Selected, Left, StyledColor(Focused() ? clHighlightText : clWindowText));
    }
    if (Focused()) {
        int X = X0 + XOfChar(FCaret);
        if (X >= Area.Left - 1 && X < Area.Right + 1) {
            Canvas()->Brush()->SetColor(TextColor);
            Canvas()->FillRect(Rect(X, Y, X + 1, Y + LineHeight));
        }
    }
}

// ---- TCustomListBox ----------------------------------------------------------------------

void TCustomListBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TStringList::Create();
    FItems->SetOnChange(TNotifyEvent::Bind<&TCustomListBox::ItemsChanged>(this));
    FScroll.Kind = sbVertical;
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    TControlStyle Style = ControlStyle();
    Style.Exclude(csClickEvents);   // a click is a change of the selection
    SetControlStyle(Style);
}

TCustomListBox::~TCustomListBox()
{
    if (FItems != nullptr)
        FItems->Free();
}

bool TCustomListBox::Sorted() const
{
    return FItems->Sorted();
}

void TCustomListBox::SetSorted(bool AValue)
{
    FItems->SetSorted(AValue);
}

void TCustomListBox::SetStyle(TListBoxStyle AValue)
{
    FStyle = AValue;
    Invalidate();
}

void TCustomListBox::SetItemHeight(int AValue)
{
    FItemHeight = std::max(AValue, 1);
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::ItemsChanged(TObject*)
{
    if (FItemIndex >= Count())
        FItemIndex = -1;
    if (FMultiSelect)
        FSelected.resize(size_t(Count()), false);
    if (FAnchor >= Count())
        FAnchor = -1;
    UpdateScrollBar();
    Invalidate();
}

void TCustomListBox::Resize()
{
    inherited::Resize();
    UpdateScrollBar();
}

int TCustomListBox::VisibleCount() const
{
    return std::max((Height() - 4) / FItemHeight, 1);
}

TRect TCustomListBox::ListRect() const
{
    int Right = Width() - 2 - (FScrolling ? FScroll.Bounds.Width() : 0);
    return Rect(2, 2, std::max(Right, 2), std::max(Height() - 2, 2));
}

void TCustomListBox::UpdateScrollBar()
{
    int Visible = VisibleCount();
    FScrolling = Count() > Visible;
    int BarWidth = StyleServices()->Metrics().ScrollBarSize;
    FScroll.Bounds = Rect(Width() - 2 - BarWidth, 2, Width() - 2, Height() - 2);
    FScroll.Min = 0;
    FScroll.Max = std::max(Count() - 1, 0);
    FScroll.Page = Visible;
    FScroll.SetPosition(FScrolling ? FScroll.Position : 0);
}

void TCustomListBox::SetTopIndex(int AValue)
{
    if (FScroll.SetPosition(AValue))
        Invalidate();
}

void TCustomListBox::SetItemIndex(int AValue)
{
    if (AValue < -1 || AValue >= Count())
        AValue = -1;
    if (AValue == FItemIndex)
        return;
    FItemIndex = AValue;
    if (AValue >= 0) {
        if (AValue < TopIndex())
            SetTopIndex(AValue);
        else if (AValue >= TopIndex() + VisibleCount())
            SetTopIndex(AValue - VisibleCount() + 1);
    }
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool AValue)
{
    if (AValue == FMultiSelect)
        return;
    FMultiSelect = AValue;
    FSelected.assign(AValue ? size_t(Count()) : 0, false);
    if (AValue && FItemIndex >= 0)
        FSelected[size_t(FItemIndex)] = true;
    Invalidate();
}

bool TCustomListBox::Selected(int AIndex) const
{
    if (!FMultiSelect)
        return AIndex >= 0 && AIndex == FItemIndex;
    return AIndex >= 0 && AIndex < int(FSelected.size()) && FSelected[size_t(AIndex)];
}

void TCustomListBox::SetSelected(int AIndex, bool AValue)
{
    if (AIndex < 0 || AIndex >= Count())
        return;
    if (!FMultiSelect) {
        if (AValue)
            SetItemIndex(AIndex);
        else if (AIndex == FItemIndex)
            SetItemIndex(-1);
        return;
    }
    FSelected[size_t(AIndex)] = AValue;
    Invalidate();
}

int TCustomListBox::SelCount() const
{
    if (!FMultiSelect)
        return FItemIndex >= 0 ? 1 : 0;
    return int(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::ClearSelection()
{
    if (FMultiSelect)
        FSelected.assign(FSelected.size(), false);
    else
        SetItemIndex(-1);
    Invalidate();
}

void TCustomListBox::SelectAll()
{
    if (!FMultiSelect)
        return;
    FSelected.assign(FSelected.size(), true);
    Invalidate();
}

void TCustomListBox::ChangeSelection(std::vector<bool> ASelected, int AFocus)
{
    if (ASelected == FSelected && AFocus == FItemIndex)
        return;
    FSelected = std::move(ASelected);
    SetItemIndex(AFocus);
    Invalidate();
    Click();
}

void TCustomListBox::SelectByUser(int AIndex, TShiftState AShift)
{
    if (AIndex < 0 || AIndex >= Count())
        return;
    if (!FMultiSelect) {
        Select(AIndex);
        return;
    }
    if (!FExtendedSelect) {   // the keys move the focus; clicks and Space toggle
        ChangeSelection(FSelected, AIndex);
        return;
    }
    bool Shift = AShift.Contains(ssShift) && FAnchor >= 0;
    bool Ctrl = AShift.Contains(ssCtrl);
    if (Ctrl && !Shift) {
        ChangeSelection(FSelected, AIndex);
        return;
    }
    std::vector<bool> Result = Ctrl ? FSelected : std::vector<bool>(FSelected.size(), false);
    int From = Shift ? std::min(FAnchor, AIndex) : AIndex;
    int To = Shift ? std::max(FAnchor, AIndex) : AIndex;
    for (int I = From; I <= To; ++I)
        Result[size_t(I)] = true;
    if (!Shift)
        FAnchor = AIndex;
    ChangeSelection(std::move(Result), AIndex);
}

void TCustomListBox::ToggleByUser(int AIndex)
{
    if (!FMultiSelect || AIndex < 0 || AIndex >= Count())
        return;
    std::vector<bool> Result = FSelected;
    Result[size_t(AIndex)] = !Result[size_t(AIndex)];
    FAnchor = AIndex;
    ChangeSelection(std::move(Result), AIndex);
}

void TCustomListBox::Select(int AIndex)
{
    if (AIndex < 0 || AIndex >= Count() || AIndex == FItemIndex)
        return;
    SetItemIndex(AIndex);
    Click();
}

int TCustomListBox::ItemAtPos(TPoint APoint, bool AExisting) const
{
    TRect List = ListRect();
    if (APoint.X < List.Left || APoint.X >= List.Right || APoint.Y < List.Top)
        return -1;
    int Index = TopIndex() + (APoint.Y - List.Top) / FItemHeight;
    if (Index >= Count())
        return AExisting ? -1 : Count();
    return Index;
}

TRect TCustomListBox::ItemRect(int AIndex) const
{
    TRect List = ListRect();
    int Top = List.Top + (AIndex - TopIndex()) * FItemHeight;
    return Rect(List.Left, Top, List.Right, Top + FItemHeight);
}

void TCustomListBox::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TCustomListBox::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    FTyped.clear();
    if (Count() == 0)
        return;
    int Index = FItemIndex;
    int Page = std::max(VisibleCount() - 1, 1);
    switch (AKey) {
    case VK_UP:
        Index = std::max(Index - 1, 0);
        break;
    case VK_DOWN:
        Index = std::min(Index + 1, Count() - 1);
        break;
    case VK_PRIOR:
        Index = std::max(Index - Page, 0);
        break;
    case VK_NEXT:
        Index = std::min(std::max(Index, 0) + Page, Count() - 1);
        break;
    case VK_HOME:
        Index = 0;
        break;
    case VK_END:
        Index = Count() - 1;
        break;
    case VK_SPACE:
        if (FMultiSelect && (!FExtendedSelect || AShift.Contains(ssCtrl))) {
            ToggleByUser(std::max(FItemIndex, 0));
            AKey = 0;
        }
        return;
    default:
        return;
    }
    SelectByUser(Index, AShift);
    AKey = 0;
}

void TCustomListBox::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (AKey == ' ' && FMultiSelect)
        return;   // Space toggles the item with the focus
    if (AKey >= 0x20 && AKey != 0x7F)
        FindByTyping(AKey);
}

void TCustomListBox::FindByTyping(char32_t AKey)
{
    if (Count() == 0)
        return;
    int Found = FindTyped(FItems, FItemIndex, TypedSoFar(FTyped, FTypedAt, AKey));
    if (Found >= 0)
        SelectByUser(Found, {});
}

void TCustomListBox::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    if (FScrolling && PtInRect(FScroll.Bounds, Point(AX, AY))) {
        FScroll.MouseDown(Point(AX, AY), 1, std::max(VisibleCount() - 1, 1));
        Invalidate();
        return;
    }
    FTracking = true;
    int Index = ItemAtPos(Point(AX, AY));
    bool Toggles = !FExtendedSelect || (AShift.Contains(ssCtrl) && !AShift.Contains(ssShift));
    if (FMultiSelect && Toggles)
        ToggleByUser(Index);
    else
        SelectByUser(Index, AShift);
}

void TCustomListBox::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (FScroll.Dragging()) {
        SetTopIndex(FScroll.TrackPosition(Point(AX, AY)));
    } else if (FTracking && AShift.Contains(ssLeft)) {
        TRect List = ListRect();
        int Y = std::clamp(AY, List.Top, List.Bottom - 1);
        int Index = std::min(ItemAtPos(Point(List.Left, Y), false), Count() - 1);
        // Dragging stretches the range from where the press was.
        if (!FMultiSelect || FExtendedSelect)
            SelectByUser(Index, FMultiSelect ? TShiftState{ssShift} : TShiftState{});
    }
}

void TCustomListBox::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    FTracking = false;
    if (FScroll.Dragging() || AButton == mbLeft) {
        FScroll.MouseUp();
        Invalidate();
    }
    inherited::MouseUp(AButton, AShift, AX, AY);
}

bool TCustomListBox::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    SetTopIndex(TopIndex() - AWheelDelta * 3 / WHEEL_DELTA);
    return true;
}

void TCustomListBox::DrawItem(int AIndex, TRect ARect, TOwnerDrawState AState)
{
    if (FOnDrawItem && FStyle != lbStandard) {
        FOnDrawItem(this, AIndex, ARect, AState);
        return;
    }
    TCustomStyleServices* Style = StyleServices();
    TStyleFont Font = sfListItemTextNormal;
    if (AState.Contains(odSelected)) {
        TThemedListView Detail = AState.Contains(odFocused) || Focused() ? tlListItemSelected : tlListItemSelectedNotFocus;
        Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), ARect);
        Font = sfListItemTextSelected;
    }
    if (!Enabled())
        Font = sfListItemTextDisabled;
    TRect Text = Rect(ARect.Left + 2, ARect.Top, ARect.Right - 2, ARect.Bottom);
    Canvas()->Font()->Assign(this->Font());
    DrawCaption(Canvas(), FItems->Strings(AIndex), Text, {tfSingleLine, tfVerticalCenter, tfNoPrefix, tfEndEllipsis},
                Style->GetStyleFontColor(Font));
}

void TCustomListBox::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    Style->DrawElement(Canvas(), Style->GetElementDetails(Enabled() ? teEditTextNormal : teEditTextDisabled), ClientRect());
    TRect List = ListRect();
    Canvas()->Brush()->SetColor(Color() == clWindow ? Style->GetStyleColor(Enabled() ? scListBox : scListBoxDisabled)
                                                    : StyledColor(Color()));
    Canvas()->FillRect(List);
    int Last = std::min(Count(), TopIndex() + VisibleCount() + 1);
    for (int I = TopIndex(); I < Last; ++I) {
        TRect Item = ItemRect(I);
        if (Item.Top >= List.Bottom)
            break;
        Item.Bottom = std::min(Item.Bottom, List.Bottom);
        TOwnerDrawState State;
        if (Selected(I))
            State.Include(odSelected);
        if (I == FItemIndex && Focused())
            State.Include(odFocused);
        if (!Enabled())
            State.Include(odDisabled);
        DrawItem(I, Item, State);
        if (I == FItemIndex && Focused())
            Style->DrawFocusRect(Canvas(), Item);
    }
    if (FScrolling)
        FScroll.Paint(Canvas(), Style, TScrollBarPart::hNone);
}

// ---- TCustomComboBox ---------------------------------------------------------------------

// The edit of an editable combo box: the list keys go to the box.
class TComboEdit : public TCustomEdit {
    X_CLASS(TComboEdit, TCustomEdit)
protected:
    TComboEdit() = default;
    TCustomComboBox* Combo() const { return static_cast<TCustomComboBox*>(Parent()); }
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == WM_GETDLGCODE && Combo()->DroppedDown()) {
            AMessage.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
            return;
        }
        if (AMessage.Msg == WM_KILLFOCUS)
            Combo()->SetDroppedDown(false);
        inherited::WndProc(AMessage);
    }
    void KeyDown(uint16_t& AKey, TShiftState AShift) override
    {
        if (Combo()->HandleListKey(AKey, AShift)) {
            AKey = 0;
            return;
        }
        inherited::KeyDown(AKey, AShift);
    }
    // Only typed characters complete the text, never deleting.
    void KeyPress(char32_t& AKey) override
    {
        Combo()->FTypingChar = true;
        inherited::KeyPress(AKey);
        Combo()->FTypingChar = false;
    }
};

// The drop-down list: a window of its own below the box, which it never activates. A press
// outside it and the box closes it.
class TComboPopup : public TCustomForm, public TPopupOwner {
    X_CLASS(TComboPopup, TCustomForm)
public:
    TCustomListBox* List() const { return FList; }
    // Closed: it hears no more of its box and is freed once the queue is served.
    void Detach()
    {
        UnregisterPopup(this);
        FCombo = nullptr;
        SetVisible(false);
        Release();
    }
    bool OwnsPress(TWinControl* AWindow, TPoint AScreen) override
    {
        if (AWindow == this || FCombo == nullptr)
            return true;
        TPoint Local = FCombo->ScreenToClient(AScreen);
        return Local.X >= 0 && Local.Y >= 0 && Local.X < FCombo->Width() && Local.Y < FCombo->Height();
    }
    void ClosePopup() override
    {
        if (FCombo != nullptr)
            FCombo->SetDroppedDown(false);
    }

protected:
    TComboPopup() = default;
    X_REINTRODUCE(void Construct(TCustomComboBox* ACombo))
    {
        inherited::Construct(nullptr);
        FCombo = ACombo;
        SetBorderStyle(bsNone);
        SetFormStyle(fsStayOnTop);
        FList = TListBox::Create(this);
        FList->SetParent(this);
        FList->SetAlign(alClient);
        FList->SetTabStop(false);
        FList->SetOnMouseMove(TMouseMoveEvent::Bind<&TComboPopup::ListMouseMove>(this));
        FList->SetOnMouseUp(TMouseEvent::Bind<&TComboPopup::ListMouseUp>(this));
        RegisterPopup(this);
    }
    ~TComboPopup() override { UnregisterPopup(this); }

private:
    void ListMouseMove(TObject*, TShiftState, int AX, int AY)
    {
        int Index = FList->ItemAtPos(Point(AX, AY));
        if (Index >= 0)
            FList->SetItemIndex(Index);
    }
    void ListMouseUp(TObject*, TMouseButton AButton, TShiftState, int AX, int AY)
    {
        int Index = FList->ItemAtPos(Point(AX, AY));
        if (AButton != mbLeft || Index < 0 || FCombo == nullptr)
            return;
        TCustomComboBox* Combo = FCombo;
        Combo->SetDroppedDown(false);
        Combo->Choose(Index);
    }

    TCustomComboBox* FCombo = nullptr;
    TCustomListBox* FList = nullptr;
};

void TCustomComboBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TStringList::Create();
    FItems->SetOnChange(TNotifyEvent::Bind<&TCustomComboBox::ItemsChanged>(this));
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    TControlStyle Style = ControlStyle();
    Style.Exclude(csClickEvents);
    SetControlStyle(Style);
    SetStyle(csDropDown);
}

TCustomComboBox::~TCustomComboBox()
{
    SetDroppedDown(false);
    if (FItems != nullptr)
        FItems->Free();
}

void TCustomComboBox::SetStyle(TComboBoxStyle AValue)
{
    FStyle = AValue;
    bool Editable = AValue == csDropDown || AValue == csSimple;
    if (Editable && FEdit == nullptr) {
        FEdit = TComboEdit::Create(this);
        FEdit->SetParent(this);
        FEdit->SetText(Caption());
        FEdit->SetOnChange(TNotifyEvent::Bind<&TCustomComboBox::EditChanged>(this));
    } else if (!Editable && FEdit != nullptr) {
        FEdit->Free();
        FEdit = nullptr;
    }
    SetTabStop(!Editable);
    PlaceEdit();
    Invalidate();
}

bool TCustomComboBox::Sorted() const
{
    return FItems->Sorted();
}

void TCustomComboBox::SetSorted(bool AValue)
{
    FItems->SetSorted(AValue);
}

int TCustomComboBox::MaxLength() const
{
    return FEdit != nullptr ? FEdit->MaxLength() : 0;
}

void TCustomComboBox::SetMaxLength(int AValue)
{
    if (FEdit != nullptr)
        FEdit->SetMaxLength(AValue);
}

void TCustomComboBox::SetTextHint(const String& AValue)
{
    FTextHint = AValue;
    if (FEdit != nullptr)
        FEdit->SetTextHint(AValue);
    Invalidate();
}

TEditCharCase TCustomComboBox::CharCase() const
{
    return FEdit != nullptr ? FEdit->CharCase() : ecNormal;
}

void TCustomComboBox::SetCharCase(TEditCharCase AValue)
{
    if (FEdit != nullptr)
        FEdit->SetCharCase(AValue);
}

TCustomListBox* TCustomComboBox::ListBox() const
{
    return FPopup != nullptr ? static_cast<TComboPopup*>(FPopup)->List() : nullptr;
}

void TCustomComboBox::Clear()
{
    FItems->Clear();
    SetItemIndex(-1);
    TControl::SetText("");
}

TRect TCustomComboBox::ButtonRect() const
{
    int Side = StyleServices()->Metrics().ScrollBarSize;
    return Rect(Width() - 2 - Side, 2, Width() - 2, Height() - 2);
}

void TCustomComboBox::PlaceEdit()
{
    if (FEdit == nullptr)
        return;
    TRect Button = ButtonRect();
    FEdit->SetBounds(2, 2, std::max(Button.Left - 2, 0), std::max(Height() - 4, 0));
}

void TCustomComboBox::Resize()
{
    inherited::Resize();
    PlaceEdit();
}

void TCustomComboBox::ItemsChanged(TObject*)
{
    if (FItemIndex >= Count())
        FItemIndex = -1;
    if (TCustomListBox* List = ListBox())
        List->Items()->Assign(FItems);
    Invalidate();
}

void TCustomComboBox::SetItemIndex(int AValue)
{
    if (AValue < -1 || AValue >= Count())
        AValue = -1;
    FItemIndex = AValue;
    String Text = AValue >= 0 ? FItems->Strings(AValue) : String();
    if (FEdit != nullptr) {
        FClosing = true;   // the edit's change is ours, not the user's
        FEdit->SetText(Text);
        FClosing = false;
    }
    if (AValue >= 0 || FEdit == nullptr)
        TControl::SetText(Text);
    Invalidate();
}

void TCustomComboBox::Choose(int AIndex)
{
    if (AIndex < 0 || AIndex >= Count())
        return;
    SetItemIndex(AIndex);
    if (FEdit != nullptr)
        FEdit->SelectAll();
    Click();
    Select();
}

void TCustomComboBox::EditChanged(TObject*)
{
    if (FClosing)
        return;
    // The item equal to the typed text is the selected one.
    String Typed = FEdit->Text();
    int Equal = -1;
    for (int I = 0; I < Count(); ++I)
        if (CompareText(FItems->Strings(I), Typed) == 0) {
            Equal = I;
            break;
        }
    // Typing at the end completes the text with the first item it starts.
    if (FAutoComplete && FTypingChar && Equal < 0 && !Typed.empty() &&
        FEdit->SelStart() == int(ToChars(Typed).size())) {
        for (int I = 0; I < Count(); ++I)
            if (StartsWithText(FItems->Strings(I), Typed)) {
                Equal = I;
                int Start = int(ToChars(Typed).size());
                FClosing = true;
                FEdit->SetText(FItems->Strings(I));
                FClosing = false;
                FEdit->SetSelStart(Start);
                FEdit->SetSelLength(int(ToChars(FItems->Strings(I)).size()) - Start);
                break;
            }
    }
    FItemIndex = Equal;
    TControl::SetText(FEdit->Text());
    if (TCustomListBox* List = ListBox())
        List->SetItemIndex(Equal);
    Change();
}

void TCustomComboBox::Change()
{
    if (FOnChange)
        FOnChange(this);
}

void TCustomComboBox::Select()
{
    if (FOnSelect)
        FOnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (FOnDropDown)
        FOnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (FOnCloseUp)
        FOnCloseUp(this);
}

void TCustomComboBox::SetDroppedDown(bool AValue)
{
    if (AValue == DroppedDown())
        return;
    if (!AValue) {
        auto* Popup = static_cast<TComboPopup*>(FPopup);
        FPopup = nullptr;
        Popup->Detach();
        Invalidate();
        CloseUp();
        return;
    }
    DropDown();
    auto* Popup = TComboPopup::Create(this);
    FPopup = Popup;
    TCustomListBox* List = Popup->List();
    List->Font()->Assign(Font());
    List->SetItemHeight(FItemHeight);
    List->Items()->Assign(FItems);
    int Rows = std::clamp(Count(), 1, FDropDownCount);
    TPoint At = ClientToScreen(Point(0, Height()));
    Popup->SetBounds(At.X, At.Y, Width(), Rows * FItemHeight + 4);
    List->SetItemIndex(FItemIndex);
    Popup->SetVisible(true);
    Invalidate();
}

// Keys a combo box takes whether the list shows or not; answers whether it took AKey.
bool TCustomComboBox::HandleListKey(uint16_t AKey, TShiftState AShift)
{
    FTyped.clear();
    bool Toggle = AKey == VK_F4 || (AShift.Contains(ssAlt) && (AKey == VK_DOWN || AKey == VK_UP));
    if (Toggle) {
        SetDroppedDown(!DroppedDown());
        return true;
    }
    if (TCustomListBox* List = ListBox()) {
        if (AKey == VK_RETURN) {
            int Index = List->ItemIndex();
            SetDroppedDown(false);
            if (Index >= 0 && Index != FItemIndex)
                Choose(Index);
            return true;
        }
        if (AKey == VK_ESCAPE) {
            SetDroppedDown(false);
            return true;
        }
    }
    TCustomListBox* Shown = ListBox();
    int Index = Shown != nullptr ? Shown->ItemIndex() : FItemIndex;
    int Page = std::max(FDropDownCount - 1, 1);
    switch (AKey) {
    case VK_UP:
        Index = std::max(Index - 1, 0);
        break;
    case VK_DOWN:
        Index = std::min(Index + 1, Count() - 1);
        break;
    case VK_PRIOR:
        Index = std::max(Index - Page, 0);
        break;
    case VK_NEXT:
        Index = std::min(Index + Page, Count() - 1);
        break;
    case VK_HOME:
    case VK_END:
        if (FEdit != nullptr)
            return false;   // the edit's caret keys
        Index = AKey == VK_HOME ? 0 : Count() - 1;
        break;
    default:
        return false;
    }
    if (Count() == 0)
        return true;
    if (Shown != nullptr)
        Shown->SetItemIndex(Index);
    else if (Index != FItemIndex)
        Choose(Index);
    return true;
}

void TCustomComboBox::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
        return;
    case WM_KILLFOCUS:
        SetDroppedDown(false);
        Invalidate();
        break;
    case WM_SETFOCUS:
        Invalidate();
        break;
    case CM_TEXTCHANGED:
        // Text set from outside: an editable box shows it, a list selects the item of that text.
        if (FEdit != nullptr && FEdit->Text() != Caption()) {
            FClosing = true;
            FEdit->SetText(Caption());
            FClosing = false;
            FItemIndex = FItems->IndexOf(Caption());
        } else if (FEdit == nullptr && (FItemIndex < 0 || FItems->Strings(FItemIndex) != Caption())) {
            int Index = FItems->IndexOf(Caption());
            FItemIndex = Index;
            if (Index < 0 && !Caption().empty())
                TControl::SetText("");
        }
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TCustomComboBox::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    if (AKey != 0 && HandleListKey(AKey, AShift))
        AKey = 0;
}

void TCustomComboBox::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (FEdit != nullptr || AKey < 0x20 || AKey == 0x7F || Count() == 0)
        return;
    TCustomListBox* List = ListBox();
    int From = List != nullptr ? List->ItemIndex() : FItemIndex;
    int Found = FindTyped(FItems, From, TypedSoFar(FTyped, FTypedAt, AKey));
    if (Found < 0)
        return;
    if (List != nullptr)
        List->SetItemIndex(Found);
    else if (Found != FItemIndex)
        Choose(Found);
}

void TCustomComboBox::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    if (FEdit != nullptr && FEdit->CanFocus())
        FEdit->SetFocus();
    SetDroppedDown(!DroppedDown());
}

bool TCustomComboBox::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    if (!Focused() && !(FEdit != nullptr && FEdit->Focused()))
        return false;
    HandleListKey(AWheelDelta > 0 ? VK_UP : VK_DOWN, TShiftState());
    return true;
}

void TCustomComboBox::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Client = ClientRect();
    bool Hot = MouseInClient() || (FEdit != nullptr && FEdit->MouseInClient());
    int Mouse = !Enabled() ? 3 : DroppedDown() ? 2 : Hot ? 1 : 0;
    Canvas()->Font()->Assign(Font());
    if (FEdit != nullptr) {
        TThemedComboBox Border = !Enabled() ? tcBorderDisabled
                                 : FEdit->Focused() ? tcBorderFocused
                                 : Hot ? tcBorderHot
                                       : tcBorderNormal;
        Style->DrawElement(Canvas(), Style->GetElementDetails(Border), Client);
        Style->DrawElement(Canvas(), Style->GetElementDetails(TThemedComboBox(tcDropDownButtonNormal + Mouse)),
                           ButtonRect());
        return;
    }
    Style->DrawElement(Canvas(), Style->GetElementDetails(TThemedComboBox(tcReadOnlyNormal + Mouse)), Client);
    TRect Text = Rect(4, 3, ButtonRect().Left - 2, Height() - 3);
    if (FItemIndex >= 0 && FOnDrawItem && FStyle != csDropDownList) {
        FOnDrawItem(this, FItemIndex, Text, {odComboBoxEdit});
    } else if (FItemIndex >= 0) {
        DrawCaption(Canvas(), FItems->Strings(FItemIndex), Text, {tfSingleLine, tfVerticalCenter, tfNoPrefix, tfEndEllipsis},
                    Style->GetStyleFontColor(Enabled() ? sfComboBoxItemNormal : sfComboBoxItemDisabled));
    } else if (!FTextHint.empty()) {
        DrawCaption(Canvas(), FTextHint, Text, {tfSingleLine, tfVerticalCenter, tfNoPrefix}, clGrayText);
    }
    if (Focused() && !DroppedDown())
        Style->DrawFocusRect(Canvas(), Rect(Text.Left - 1, Text.Top, Text.Right, Text.Bottom));
}

// ---- TScrollBar --------------------------------------------------------------------------

void TScrollBar::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FBar.Kind = sbHorizontal;
    SetBounds(0, 0, 121, StyleServices()->Metrics().ScrollBarSize);
    SetTabStop(true);
    TControlStyle Style = ControlStyle();
    Style.Exclude(csClickEvents);
    SetControlStyle(Style);
}

void TScrollBar::SetKind(TScrollBarKind AValue)
{
    if (FBar.Kind == AValue)
        return;
    FBar.Kind = AValue;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::Resize()
{
    inherited::Resize();
    FBar.Bounds = ClientRect();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMin > AMax)
        throw EInvalidOperation("Scroll bar property out of range");
    FBar.Min = AMin;
    FBar.Max = AMax;
    int Old = FBar.Position;
    FBar.Position = std::clamp(APosition, AMin, FBar.MaxPosition());
    Invalidate();
    if (Old != FBar.Position && FOnChange)
        FOnChange(this);
}

void TScrollBar::SetPosition(int AValue)
{
    SetParams(AValue, FBar.Min, FBar.Max);
}

void TScrollBar::SetPageSize(int AValue)
{
    FBar.Page = std::clamp(AValue, 0, FBar.Max - FBar.Min + 1);
    SetPosition(FBar.Position);
}

void TScrollBar::Scroll(TScrollCode ACode, int& APos)
{
    if (FOnScroll)
        FOnScroll(this, ACode, APos);
}

// A scroll the user asked for: OnScroll may change the position, then OnChange tells it.
void TScrollBar::ScrollBy(TScrollCode ACode)
{
    int Pos = FBar.Position;
    switch (ACode) {
    case scLineUp: Pos -= FSmallChange; break;
    case scLineDown: Pos += FSmallChange; break;
    case scPageUp: Pos -= FLargeChange; break;
    case scPageDown: Pos += FLargeChange; break;
    case scTop: Pos = FBar.Min; break;
    case scBottom: Pos = FBar.MaxPosition(); break;
    default: break;
    }
    Pos = std::clamp(Pos, FBar.Min, FBar.MaxPosition());
    Scroll(ACode, Pos);
    SetPosition(Pos);
}

void TScrollBar::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == WM_GETDLGCODE) {
        AMessage.Result = DLGC_WANTARROWS;
        return;
    }
    if (AMessage.Msg == CM_MOUSELEAVE || AMessage.Msg == CM_ENABLEDCHANGED) {
        FBar.Enabled = Enabled();
        Invalidate();
    }
    inherited::WndProc(AMessage);
}

void TScrollBar::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    switch (AKey) {
    case VK_UP:
    case VK_LEFT:
        ScrollBy(scLineUp);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        ScrollBy(scLineDown);
        break;
    case VK_PRIOR:
        ScrollBy(scPageUp);
        break;
    case VK_NEXT:
        ScrollBy(scPageDown);
        break;
    case VK_HOME:
        ScrollBy(scTop);
        break;
    case VK_END:
        ScrollBy(scBottom);
        break;
    default:
        return;
    }
    AKey = 0;
}

void TScrollBar::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    int Before = FBar.Position;
    TScrollCode Code = FBar.MouseDown(Point(AX, AY), FSmallChange, FLargeChange);
    int After = FBar.Position;
    FBar.Position = Before;
    if (Code != scEndScroll) {
        Scroll(Code, After);
        SetPosition(After);
    }
    Invalidate();
}

void TScrollBar::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (!FBar.Dragging())
        return;
    int Pos = FBar.TrackPosition(Point(AX, AY));
    if (Pos == FBar.Position)
        return;
    Scroll(scTrack, Pos);
    SetPosition(Pos);
}

void TScrollBar::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (FBar.Dragging()) {
        int Pos = FBar.Position;
        Scroll(scPosition, Pos);
        SetPosition(Pos);
    }
    FBar.MouseUp();
    Invalidate();
    inherited::MouseUp(AButton, AShift, AX, AY);
}

bool TScrollBar::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    ScrollBy(AWheelDelta > 0 ? scLineUp : scLineDown);
    return true;
}

void TScrollBar::Paint()
{
    FBar.Bounds = ClientRect();
    FBar.Enabled = Enabled();
    TScrollBarPart::THit Hot = TScrollBarPart::hNone;
    FBar.Paint(Canvas(), StyleServices(), Hot);
    if (Focused() && FBar.ThumbRect().Width() > 0)
        StyleServices()->DrawFocusRect(Canvas(), Inset(FBar.ThumbRect(), 2));
}
