// Vcl.ComCtrls.cpp: progress bars, up-down buttons, track bars, page controls.
#include "Vcl.ComCtrls.h"

#include "Rtl.SysUtils.h"

namespace {

TControlStyle WithoutClicks(TControlStyle AStyle)
{
    return AStyle.Exclude(csClickEvents);
}

// "1,234,567" for 1234567.
String WithThousands(int AValue)
{
    String Digits = std::to_string(AValue < 0 ? -int64_t(AValue) : int64_t(AValue));
    String Result;
    for (size_t I = 0; I < Digits.size(); ++I) {
        if (I > 0 && (Digits.size() - I) % 3 == 0)
            Result += ',';
        Result += Digits[I];
    }
    return AValue < 0 ? "-" + Result : Result;
}

}  // namespace

// ---- TProgressBar ------------------------------------------------------------------------

void TProgressBar::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 150, 17);
}

void TProgressBar::SetMin(int AValue)
{
    FMin = AValue;
    FMax = std::max(FMax, FMin);
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetMax(int AValue)
{
    FMax = AValue;
    FMin = std::min(FMin, FMax);
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetPosition(int AValue)
{
    AValue = std::clamp(AValue, FMin, FMax);
    if (AValue == FPosition)
        return;
    FPosition = AValue;
    Invalidate();
}

void TProgressBar::StepBy(int ADelta)
{
    int Next = FPosition + ADelta;
    if (Next > FMax || Next < FMin) {
        int Range = FMax - FMin;
        Next = Range > 0 ? FMin + ((Next - FMin) % Range + Range) % Range : FMin;
    }
    SetPosition(Next);
}

void TProgressBar::StepIt()
{
    StepBy(FStep);
}

void TProgressBar::SetOrientation(TProgressBarOrientation AValue)
{
    FOrientation = AValue;
    Invalidate();
}

void TProgressBar::SetSmooth(bool AValue)
{
    FSmooth = AValue;
    Invalidate();
}

void TProgressBar::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    bool Vertical = FOrientation == pbVertical;
    TRect Client = ClientRect();
    Style->DrawElement(Canvas(), Style->GetElementDetails(Vertical ? tprBarVert : tprBar), Client);
    int Range = FMax - FMin;
    if (Range <= 0 || FPosition == FMin)
        return;
    TRect Inner = Rect(Client.Left + 1, Client.Top + 1, Client.Right - 1, Client.Bottom - 1);
    int Length = Vertical ? Inner.Height() : Inner.Width();
    int Filled = int(int64_t(Length) * (FPosition - FMin) / Range);
    TRect Chunk = Vertical ? Rect(Inner.Left, Inner.Bottom - Filled, Inner.Right, Inner.Bottom)
                           : Rect(Inner.Left, Inner.Top, Inner.Left + Filled, Inner.Bottom);
    Style->DrawElement(Canvas(), Style->GetElementDetails(Vertical ? tprChunkVert : tprChunk), Chunk);
}

// ---- TUpDown -----------------------------------------------------------------------------

void TUpDown::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 17, 21);
    SetControlStyle(WithoutClicks(ControlStyle()));
}

TUpDown::~TUpDown()
{
    Unhook();
}

void TUpDown::Unhook()
{
    if (FAssociate == nullptr)
        return;
    FAssociate->SetWindowProc(FAssociateProc);
    FAssociate->RemoveFreeNotification(this);
    FAssociate = nullptr;
}

void TUpDown::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation == opRemove && AComponent == FAssociate)
        FAssociate = nullptr;   // it is going: its procedure goes with it
}

void TUpDown::SetAssociate(TWinControl* AValue)
{
    if (AValue == FAssociate)
        return;
    Unhook();
    FAssociate = AValue;
    if (AValue == nullptr)
        return;
    AValue->FreeNotification(this);
    FAssociateProc = AValue->WindowProc();
    AValue->SetWindowProc(TWndMethod::Bind<&TUpDown::AssociateProc>(this));
    // The buttons sit at the associate's right edge.
    SetBounds(AValue->Left() + AValue->Width(), AValue->Top(), Width(), AValue->Height());
    UpdateAssociate();
}

// The associate's keys: Up and Down step; what it types sets the position when it reads as a
// number within the range.
void TUpDown::AssociateProc(TMessage& AMessage)
{
    if (FArrowKeys && AMessage.Msg == WM_KEYDOWN && (AMessage.WParam == VK_UP || AMessage.WParam == VK_DOWN)) {
        Step(AMessage.WParam == VK_UP ? btNext : btPrev);
        AMessage.WParam = 0;
        return;
    }
    FAssociateProc(AMessage);
    if (AMessage.Msg == WM_KILLFOCUS) {
        String Text = FAssociate->Text();
        Text.erase(std::remove(Text.begin(), Text.end(), ','), Text.end());
        int Value = 0;
        if (TryStrToInt(Text, Value))
            FPosition = std::clamp(Value, FMin, FMax);
        UpdateAssociate();
    }
}

void TUpDown::UpdateAssociate()
{
    if (FAssociate != nullptr)
        FAssociate->SetText(FThousands ? WithThousands(FPosition) : std::to_string(FPosition));
}

void TUpDown::SetMin(int AValue)
{
    FMin = AValue;
    SetPosition(FPosition);
}

void TUpDown::SetMax(int AValue)
{
    FMax = AValue;
    SetPosition(FPosition);
}

void TUpDown::SetPosition(int AValue)
{
    FPosition = std::clamp(AValue, std::min(FMin, FMax), std::max(FMin, FMax));
    UpdateAssociate();
    Invalidate();
}

void TUpDown::SetThousands(bool AValue)
{
    FThousands = AValue;
    UpdateAssociate();
}

void TUpDown::SetOrientation(TUDOrientation AValue)
{
    FOrientation = AValue;
    Invalidate();
}

void TUpDown::Step(TUDBtnType AButton)
{
    int Next = FPosition + (AButton == btNext ? FIncrement : -FIncrement);
    int Low = std::min(FMin, FMax);
    int High = std::max(FMin, FMax);
    if (Next > High)
        Next = FWrap ? Low : High;
    else if (Next < Low)
        Next = FWrap ? High : Low;
    bool Allow = true;
    if (FOnChanging)
        FOnChanging(this, Allow);
    if (!Allow)
        return;
    SetPosition(Next);
    if (FOnClick)
        FOnClick(this, AButton);
}

void TUpDown::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == WM_GETDLGCODE) {
        AMessage.Result = DLGC_WANTARROWS;
        return;
    }
    inherited::WndProc(AMessage);
}

void TUpDown::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    bool Next = FOrientation == udVertical ? AKey == VK_UP : AKey == VK_RIGHT;
    bool Prev = FOrientation == udVertical ? AKey == VK_DOWN : AKey == VK_LEFT;
    if (Next || Prev) {
        Step(Next ? btNext : btPrev);
        AKey = 0;
    }
}

void TUpDown::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    bool First = FOrientation == udVertical ? AY < Height() / 2 : AX < Width() / 2;
    // Up (vertical) steps on; left (horizontal) steps back.
    FPressed = FOrientation == udVertical ? (First ? btNext : btPrev) : (First ? btPrev : btNext);
    Step(TUDBtnType(FPressed));
}

void TUpDown::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    FPressed = -1;
    Invalidate();
    inherited::MouseUp(AButton, AShift, AX, AY);
}

void TUpDown::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    bool Vertical = FOrientation == udVertical;
    TRect First = Vertical ? Rect(0, 0, Width(), Height() / 2) : Rect(0, 0, Width() / 2, Height());
    TRect Second = Vertical ? Rect(0, Height() / 2, Width(), Height()) : Rect(Width() / 2, 0, Width(), Height());
    auto State = [&](TUDBtnType AButton) { return !Enabled() ? 3 : FPressed == int(AButton) ? 2 : 0; };
    TThemedScrollBar A = Vertical ? tsArrowBtnUpNormal : tsArrowBtnLeftNormal;
    TThemedScrollBar B = Vertical ? tsArrowBtnDownNormal : tsArrowBtnRightNormal;
    Style->DrawElement(Canvas(), Style->GetElementDetails(TThemedScrollBar(A + State(Vertical ? btNext : btPrev))), First);
    Style->DrawElement(Canvas(), Style->GetElementDetails(TThemedScrollBar(B + State(Vertical ? btPrev : btNext))), Second);
}

// ---- TTrackBar ---------------------------------------------------------------------------

void TTrackBar::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    SetControlStyle(WithoutClicks(ControlStyle()));
}

void TTrackBar::SetMin(int AValue)
{
    FMin = AValue;
    FMax = std::max(FMax, FMin);
    SetPosition(FPosition);
    Invalidate();
}

void TTrackBar::SetMax(int AValue)
{
    FMax = AValue;
    FMin = std::min(FMin, FMax);
    SetPosition(FPosition);
    Invalidate();
}

void TTrackBar::SetPosition(int AValue)
{
    AValue = std::clamp(AValue, FMin, FMax);
    if (AValue == FPosition)
        return;
    FPosition = AValue;
    Invalidate();
    Changed();
}

void TTrackBar::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TTrackBar::SetOrientation(TTrackBarOrientation AValue)
{
    if (AValue == FOrientation)
        return;
    FOrientation = AValue;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TTrackBar::SetFrequency(int AValue)
{
    FFrequency = std::max(AValue, 1);
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark AValue)
{
    FTickMarks = AValue;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle AValue)
{
    FTickStyle = AValue;
    Invalidate();
}

TSize TTrackBar::ThumbSize() const
{
    TSize Size = StyleServices()->Metrics().TrackThumb;
    return Vertical() ? TSize{Size.cy, Size.cx} : Size;
}

// Along a horizontal bar: the channel runs between half a thumb from each end, 4 pixels thick,
// through the thumb's middle.
TRect TTrackBar::Channel() const
{
    TSize Thumb = ThumbSize();
    int Thick = StyleServices()->Metrics().TrackChannel;
    int Along = Vertical() ? Height() : Width();
    int Half = (Vertical() ? Thumb.cy : Thumb.cx) / 2 + 3;
    int Middle = (FTickMarks == tmTopLeft || FTickMarks == tmBoth ? 8 : 4) + (Vertical() ? Thumb.cx : Thumb.cy) / 2;
    if (Vertical())
        return Rect(Middle - Thick / 2, Half, Middle - Thick / 2 + Thick, std::max(Along - Half, Half));
    return Rect(Half, Middle - Thick / 2, std::max(Along - Half, Half), Middle - Thick / 2 + Thick);
}

TRect TTrackBar::ChannelRect() const
{
    TRect C = Channel();
    return Vertical() ? Rect(C.Top, C.Left, C.Bottom, C.Right) : C;
}

int TTrackBar::OffsetOf(int APosition) const
{
    TRect C = Channel();
    int Length = Vertical() ? C.Height() : C.Width();
    int Range = FMax - FMin;
    int Start = Vertical() ? C.Top : C.Left;
    return Range > 0 ? Start + int(int64_t(Length - 1) * (APosition - FMin) / Range) : Start;
}

int TTrackBar::PositionAt(int AAlong) const
{
    TRect C = Channel();
    int Length = (Vertical() ? C.Height() : C.Width()) - 1;
    int Offset = std::clamp(AAlong - (Vertical() ? C.Top : C.Left), 0, std::max(Length, 0));
    int Range = FMax - FMin;
    return Length > 0 ? FMin + int((int64_t(Offset) * Range + Length / 2) / Length) : FMin;
}

TRect TTrackBar::ThumbRect() const
{
    TSize Thumb = ThumbSize();
    TRect C = Channel();
    int Centre = OffsetOf(FPosition);
    if (Vertical()) {
        int Left = (C.Left + C.Right) / 2 - Thumb.cx / 2;
        return Rect(Left, Centre - Thumb.cy / 2, Left + Thumb.cx, Centre - Thumb.cy / 2 + Thumb.cy);
    }
    int Top = (C.Top + C.Bottom) / 2 - Thumb.cy / 2;
    return Rect(Centre - Thumb.cx / 2, Top, Centre - Thumb.cx / 2 + Thumb.cx, Top + Thumb.cy);
}

void TTrackBar::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS;
        return;
    case TBM_GETTHUMBRECT:
    case TBM_GETCHANNELRECT:
        if (AMessage.LParam != 0)
            *reinterpret_cast<TRect*>(AMessage.LParam) = AMessage.Msg == TBM_GETTHUMBRECT ? ThumbRect() : ChannelRect();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_MOUSELEAVE:
        FHot = false;
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TTrackBar::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    switch (AKey) {
    case VK_LEFT:
    case VK_UP:
        SetPosition(FPosition - FLineSize);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(FPosition + FLineSize);
        break;
    case VK_PRIOR:
        SetPosition(FPosition - FPageSize);
        break;
    case VK_NEXT:
        SetPosition(FPosition + FPageSize);
        break;
    case VK_HOME:
        SetPosition(FMin);
        break;
    case VK_END:
        SetPosition(FMax);
        break;
    default:
        return;
    }
    AKey = 0;
}

void TTrackBar::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    TRect Thumb = ThumbRect();
    int Along = Vertical() ? AY : AX;
    if (PtInRect(Thumb, Point(AX, AY))) {
        FDragging = true;
        FDragOffset = Along - OffsetOf(FPosition);
        Invalidate();
        return;
    }
    // A click beside the thumb moves a page towards the click.
    int Centre = OffsetOf(FPosition);
    SetPosition(FPosition + (Along < Centre ? -FPageSize : FPageSize));
}

void TTrackBar::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    bool Hot = PtInRect(ThumbRect(), Point(AX, AY));
    if (Hot != FHot) {
        FHot = Hot;
        Invalidate();
    }
    if (FDragging)
        SetPosition(PositionAt((Vertical() ? AY : AX) - FDragOffset));
}

void TTrackBar::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (FDragging) {
        FDragging = false;
        Invalidate();
    }
    inherited::MouseUp(AButton, AShift, AX, AY);
}

bool TTrackBar::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    SetPosition(FPosition - FLineSize * AWheelDelta / WHEEL_DELTA);
    return true;
}

LRESULT TTrackBar::CustomDraw(uint32_t AStage, uintptr_t AItem, const TRect& ARect)
{
    NMCUSTOMDRAW Draw;
    Draw.hdr.code = NM_CUSTOMDRAW;
    Draw.dwDrawStage = AStage;
    Draw.Canvas = Canvas();
    Draw.rc = ARect;
    Draw.dwItemSpec = AItem;
    Draw.uItemState = (Focused() ? CDIS_FOCUS : 0) | (Enabled() ? 0 : CDIS_DISABLED) | (FHot ? CDIS_HOT : 0);
    return Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&Draw));
}

void TTrackBar::PaintTics()
{
    if (FTickStyle == tsNone)
        return;
    TCustomStyleServices* Style = StyleServices();
    TRect C = Channel();
    TRect Thumb = ThumbRect();
    std::vector<int> Positions;
    for (int P = FMin; P < FMax; P += FFrequency)
        Positions.push_back(P);
    Positions.push_back(FMax);
    for (int P : Positions) {
        int At = OffsetOf(P);
        auto Tic = [&](int AFrom) {
            TRect R = Vertical() ? Rect(AFrom, At, AFrom + 4, At + 1) : Rect(At, AFrom, At + 1, AFrom + 4);
            Style->DrawElement(Canvas(), Style->GetElementDetails(Vertical() ? ttbTicsVert : ttbTics), R);
        };
        if (FTickMarks != tmTopLeft)
            Tic((Vertical() ? Thumb.Right : Thumb.Bottom) + 2);
        if (FTickMarks != tmBottomRight)
            Tic((Vertical() ? Thumb.Left : Thumb.Top) - 6);
    }
    (void)C;
}

// The system's drawing order, each stage offered to custom drawing first: the background with
// the tics, the channel, the thumb.
void TTrackBar::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Client = ClientRect();
    LRESULT Items = CustomDraw(CDDS_PREPAINT, 0, Client);
    auto Offer = [&](uintptr_t AItem, const TRect& ARect) {
        return (Items & CDRF_NOTIFYITEMDRAW) != 0 ? CustomDraw(CDDS_ITEMPREPAINT, AItem, ARect) : CDRF_DODEFAULT;
    };
    if (!(Offer(TBCD_TICS, Client) & CDRF_SKIPDEFAULT)) {
        Style->DrawParentBackground(this, Canvas(), &Client);
        PaintTics();
    }
    if (!(Offer(TBCD_CHANNEL, ChannelRect()) & CDRF_SKIPDEFAULT))
        Style->DrawElement(Canvas(), Style->GetElementDetails(Vertical() ? ttbTrackVert : ttbTrack), Channel());
    TRect Thumb = ThumbRect();
    if (!(Offer(TBCD_THUMB, Thumb) & CDRF_SKIPDEFAULT)) {
        int State = !Enabled() ? 4 : FDragging ? 2 : FHot ? 1 : Focused() ? 3 : 0;
        TThemedTrackBar First = Vertical() ? ttbThumbVertNormal : ttbThumbNormal;
        Style->DrawElement(Canvas(), Style->GetElementDetails(TThemedTrackBar(First + State)), Thumb);
    }
    if (Focused())
        Style->DrawFocusRect(Canvas(), Client);
    if (Items & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(CDDS_POSTPAINT, 0, Client);
}

// ---- TTabSheet ---------------------------------------------------------------------------

void TTabSheet::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet()
{
    SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* AValue)
{
    if (AValue == FPageControl)
        return;
    if (FPageControl != nullptr)
        FPageControl->RemovePage(this);
    SetParent(AValue);
    if (AValue != nullptr)
        AValue->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (FPageControl == nullptr)
        return -1;
    const auto& Pages = FPageControl->FPages;
    return int(std::find(Pages.begin(), Pages.end(), this) - Pages.begin());
}

void TTabSheet::SetPageIndex(int AValue)
{
    if (FPageControl == nullptr)
        return;
    auto& Pages = FPageControl->FPages;
    std::erase(Pages, this);
    Pages.insert(Pages.begin() + std::clamp(AValue, 0, int(Pages.size())), this);
    FPageControl->Invalidate();
}

void TTabSheet::SetTabVisible(bool AValue)
{
    FTabVisible = AValue;
    if (FPageControl != nullptr)
        FPageControl->Invalidate();
}

int TTabSheet::TabIndex() const
{
    if (FPageControl == nullptr || !FTabVisible)
        return -1;
    std::vector<TTabSheet*> Tabs = FPageControl->VisibleTabs();
    return int(std::find(Tabs.begin(), Tabs.end(), this) - Tabs.begin());
}

void TTabSheet::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == CM_TEXTCHANGED && FPageControl != nullptr)
        FPageControl->Invalidate();
    inherited::WndProc(AMessage);
}

void TTabSheet::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    Canvas()->Brush()->SetColor(Style->GetStyleColor(scWindow) == clNone ? StyledColor(Color()) : StyledColor(Color()));
    Canvas()->FillRect(ClientRect());
}

// ---- TPageControl ------------------------------------------------------------------------

void TPageControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl()
{
    while (!FPages.empty())
        FPages.back()->SetPageControl(nullptr);
}

TTabSheet* TPageControl::Pages(int AIndex) const
{
    if (AIndex < 0 || AIndex >= PageCount())
        RaiseListIndexError(AIndex);
    return FPages[size_t(AIndex)];
}

void TPageControl::InsertPage(TTabSheet* APage)
{
    FPages.push_back(APage);
    APage->FPageControl = this;
    APage->SetVisible(FActivePage == nullptr);
    if (FActivePage == nullptr)
        FActivePage = APage;
    Realign();
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* APage)
{
    TTabSheet* Next = FActivePage == APage ? FindNextPage(APage, true, true) : FActivePage;
    std::erase(FPages, APage);
    APage->FPageControl = nullptr;
    if (Next == APage)
        Next = nullptr;
    if (FActivePage == APage) {
        FActivePage = nullptr;
        SetActivePage(Next);
    }
    APage->SetVisible(false);
    Invalidate();
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const
{
    std::vector<TTabSheet*> Tabs;
    for (TTabSheet* Page : FPages)
        if (Page->FTabVisible)
            Tabs.push_back(Page);
    return Tabs;
}

void TPageControl::SetActivePage(TTabSheet* AValue)
{
    if (AValue != nullptr && AValue->FPageControl != this)
        return;
    if (AValue == FActivePage)
        return;
    TTabSheet* Old = FActivePage;
    FActivePage = AValue;
    if (AValue != nullptr) {
        AValue->SetVisible(true);
        AValue->BringToFront();
    }
    if (Old != nullptr)
        Old->SetVisible(false);
    Invalidate();
}

void TPageControl::SetActivePageIndex(int AValue)
{
    SetActivePage(AValue >= 0 && AValue < PageCount() ? FPages[size_t(AValue)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* ACurrent, bool AGoForward, bool ACheckTabVisible) const
{
    if (FPages.empty())
        return nullptr;
    auto Found = std::find(FPages.begin(), FPages.end(), ACurrent);
    int Count = PageCount();
    int Start = Found == FPages.end() ? (AGoForward ? Count - 1 : 0) : int(Found - FPages.begin());
    for (int Step = 1; Step <= Count; ++Step) {
        TTabSheet* Page = FPages[size_t(((Start + (AGoForward ? Step : -Step)) % Count + Count) % Count)];
        if (!ACheckTabVisible || Page->FTabVisible)
            return Page;
    }
    return nullptr;
}

bool TPageControl::CanChange()
{
    bool Allow = true;
    if (FOnChanging)
        FOnChanging(this, Allow);
    return Allow;
}

void TPageControl::Change()
{
    if (FOnChange)
        FOnChange(this);
}

bool TPageControl::ChangeTo(TTabSheet* APage)
{
    if (APage == nullptr || APage == FActivePage || !CanChange())
        return false;
    // The focus in the page that goes moves to the tabs.
    bool FocusInside = false;
    for (TControl* C = FocusedControl(); C != nullptr && FActivePage != nullptr; C = C->Parent())
        FocusInside = FocusInside || C == FActivePage;
    SetActivePage(APage);
    if (FocusInside && CanFocus())
        SetFocus();
    Change();
    return true;
}

void TPageControl::SelectNextPage(bool AGoForward, bool ACheckTabVisible)
{
    ChangeTo(FindNextPage(FActivePage, AGoForward, ACheckTabVisible));
}

void TPageControl::SetTabHeight(int AValue)
{
    FTabHeight = std::max(AValue, 0);
    Realign();
    Invalidate();
}

TRect TPageControl::TabRect(int ATabIndex) const
{
    std::vector<TTabSheet*> Tabs = VisibleTabs();
    if (ATabIndex < 0 || ATabIndex >= int(Tabs.size()))
        return Rect(0, 0, 0, 0);
    TCanvas* Measure = const_cast<TPageControl*>(this)->Canvas();
    Measure->Font()->Assign(Font());
    int Height = FTabHeight > 0 ? FTabHeight : Measure->TextHeight("Wg") + 6;
    int Left = 2;
    for (int I = 0;; ++I) {
        TRect Needed = Rect(0, 0, 0, 0);
        Measure->TextRect(Needed, Tabs[size_t(I)]->Caption(), {tfCalcRect, tfSingleLine});
        int Width = Needed.Width() + 12;
        if (I == ATabIndex)
            return Rect(Left, 2, Left + Width, 2 + Height);
        Left += Width;
    }
}

TRect TPageControl::DisplayRect() const
{
    TRect R = ClientRect();
    AdjustClientRect(R);
    return R;
}

void TPageControl::AdjustClientRect(TRect& ARect) const
{
    Canvas()->Font()->Assign(Font());
    int Height = FTabHeight > 0 ? FTabHeight : Canvas()->TextHeight("Wg") + 6;
    ARect = Rect(ARect.Left + 4, ARect.Top + 2 + Height + 4, std::max(ARect.Right - 4, ARect.Left + 4),
                 std::max(ARect.Bottom - 4, ARect.Top + 2 + Height + 4));
}

int TPageControl::IndexOfTabAt(int AX, int AY) const
{
    int Count = int(VisibleTabs().size());
    for (int I = 0; I < Count; ++I)
        if (PtInRect(TabRect(I), Point(AX, AY)))
            return I;
    return -1;
}

void TPageControl::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case CM_DIALOGKEY:
        // Ctrl+Tab turns the pages of the control that holds the focus.
        if (AMessage.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
            TWinControl* Focus = FocusedControl();
            for (TControl* C = Focus; C != nullptr; C = C->Parent())
                if (C == this) {
                    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
                    AMessage.Result = 1;
                    return;
                }
        }
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TPageControl::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    if (AKey == VK_LEFT || AKey == VK_RIGHT) {
        SelectNextPage(AKey == VK_RIGHT);
        AKey = 0;
    }
}

void TPageControl::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    int Tab = AButton == mbLeft ? IndexOfTabAt(AX, AY) : -1;
    if (Tab >= 0)
        ChangeTo(VisibleTabs()[size_t(Tab)]);
}

void TPageControl::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect Client = ClientRect();
    Style->DrawParentBackground(this, Canvas(), &Client);
    TRect Pane = DisplayRect();
    Pane = Rect(Pane.Left - 4, Pane.Top - 4, Pane.Right + 4, Pane.Bottom + 4);
    Style->DrawElement(Canvas(), Style->GetElementDetails(ttPane), Pane);
    std::vector<TTabSheet*> Tabs = VisibleTabs();
    Canvas()->Font()->Assign(Font());
    for (int I = 0; I < int(Tabs.size()); ++I) {
        TTabSheet* Page = Tabs[size_t(I)];
        bool Active = Page == FActivePage;
        TRect Tab = TabRect(I);
        if (Active)
            Tab = Rect(Tab.Left - 2, Tab.Top - 2, Tab.Right + 2, Tab.Bottom + 1);
        TThemedTab Detail = !Enabled() || !Page->Enabled() ? ttTabItemDisabled
                            : Active                       ? ttTabItemSelected
                                                           : ttTabItemNormal;
        Style->DrawElement(Canvas(), Style->GetElementDetails(Detail), Tab);
        DrawCaption(Canvas(), Page->Caption(), Tab, {tfSingleLine, tfCenter, tfVerticalCenter},
                    Style->GetStyleFontColor(Active ? sfTabTextActiveNormal : sfTabTextInactiveNormal));
        if (Active && Focused())
            Style->DrawFocusRect(Canvas(), Rect(Tab.Left + 3, Tab.Top + 3, Tab.Right - 3, Tab.Bottom - 2));
    }
}
