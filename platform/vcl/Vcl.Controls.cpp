// Vcl.Controls.cpp: bounds and alignment, messages, focus, and the top-level picture the
// controls paint into.
#include "Vcl.Controls.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "Rtl.SysUtils.h"
#include "Vcl.Forms.h"
#include "Vcl.Themes.h"
#include "Win.Display.h"

namespace {

TRect Intersect(const TRect& A, const TRect& B)
{
    TRect R = Rect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                   std::min(A.Bottom, B.Bottom));
    if (R.Right < R.Left)
        R.Right = R.Left;
    if (R.Bottom < R.Top)
        R.Bottom = R.Top;
    return R;
}

bool Contains(const TRect& ARect, TPoint APoint)
{
    return APoint.X >= ARect.Left && APoint.X < ARect.Right && APoint.Y >= ARect.Top && APoint.Y < ARect.Bottom;
}

TShiftState MouseShift(WPARAM AKeys)
{
    TShiftState Shift;
    if (AKeys & MK_SHIFT)
        Shift.Include(ssShift);
    if (AKeys & MK_CONTROL)
        Shift.Include(ssCtrl);
    if (AKeys & MK_LBUTTON)
        Shift.Include(ssLeft);
    if (AKeys & MK_RBUTTON)
        Shift.Include(ssRight);
    if (AKeys & MK_MBUTTON)
        Shift.Include(ssMiddle);
    return Shift;
}

bool IsMouseMessage(UINT AMsg)
{
    return AMsg >= WM_MOUSEMOVE && AMsg <= WM_MBUTTONDBLCLK;
}

TRect Union(const TRect& A, const TRect& B)
{
    if (A.Width() <= 0 || A.Height() <= 0)
        return B;
    if (B.Width() <= 0 || B.Height() <= 0)
        return A;
    return Rect(std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom));
}

// The frame's inset of a top-level control; none for the others.
TRect TopLevelInset(const TControl* AControl)
{
    auto* Win = dynamic_cast<const TWinControl*>(AControl);
    return Win != nullptr && AControl->Parent() == nullptr ? Win->NonClientInset() : TRect{};
}

// The pointer shapes of the hit codes of a frame.
String HitCodeShape(LRESULT AHitCode)
{
    switch (AHitCode) {
    case HTLEFT: case HTRIGHT: return "ew-resize";
    case HTTOP: case HTBOTTOM: return "ns-resize";
    case HTTOPLEFT: case HTBOTTOMRIGHT: return "nwse-resize";
    case HTTOPRIGHT: case HTBOTTOMLEFT: return "nesw-resize";
    default: return "default";
    }
}

bool IsButtonDown(UINT AMsg)
{
    return AMsg == WM_LBUTTONDOWN || AMsg == WM_RBUTTONDOWN || AMsg == WM_MBUTTONDOWN || AMsg == WM_LBUTTONDBLCLK;
}

bool IsButtonUp(UINT AMsg)
{
    return AMsg == WM_LBUTTONUP || AMsg == WM_RBUTTONUP || AMsg == WM_MBUTTONUP;
}

TMouseButton ButtonOf(UINT AMsg)
{
    if (AMsg == WM_RBUTTONDOWN || AMsg == WM_RBUTTONUP)
        return mbRight;
    if (AMsg == WM_MBUTTONDOWN || AMsg == WM_MBUTTONUP)
        return mbMiddle;
    return mbLeft;
}

bool IsKeyMessage(UINT AMsg)
{
    return AMsg == WM_KEYDOWN || AMsg == WM_KEYUP || AMsg == WM_CHAR || AMsg == WM_SYSKEYDOWN || AMsg == WM_SYSKEYUP ||
           AMsg == WM_SYSCHAR;
}

// What of the dialog key AKey the control answering ACode takes itself.
bool WantsKey(LRESULT ACode, WPARAM AKey)
{
    if (ACode & DLGC_WANTALLKEYS)
        return true;
    switch (AKey) {
    case VK_TAB:
        return (ACode & DLGC_WANTTAB) != 0;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return (ACode & DLGC_WANTARROWS) != 0;
    case VK_RETURN:
    case VK_ESCAPE:
        return false;
    default:
        return true;   // not a dialog key
    }
}

std::vector<TPopupOwner*>& Popups()
{
    static std::vector<TPopupOwner*> List;
    return List;
}

// A press on AWindow closes the popups that do not claim it; closing one may close or open
// others, so each is asked only while it is still registered.
void ClosePopupsOutside(TWinControl* AWindow, TPoint AScreen)
{
    std::vector<TPopupOwner*> Open = Popups();
    for (TPopupOwner* Owner : Open) {
        auto& Now = Popups();
        if (std::find(Now.begin(), Now.end(), Owner) != Now.end() && !Owner->OwnsPress(AWindow, AScreen))
            Owner->ClosePopup();
    }
}

THintWatcher* HintWatcher = nullptr;

}  // namespace

void SetHintWatcher(THintWatcher* AWatcher)
{
    HintWatcher = AWatcher;
}

void RegisterPopup(TPopupOwner* AOwner)
{
    if (std::find(Popups().begin(), Popups().end(), AOwner) == Popups().end())
        Popups().push_back(AOwner);
}

void UnregisterPopup(TPopupOwner* AOwner)
{
    std::erase(Popups(), AOwner);
}

TShiftState KeyboardStateToShiftState()
{
    TShiftState Shift;
    if (GetKeyState(VK_SHIFT) < 0)
        Shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        Shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        Shift.Include(ssAlt);
    return Shift;
}

bool IsAccel(char32_t AKey, const String& ACaption)
{
    for (size_t I = 0; I + 1 < ACaption.size(); ++I) {
        if (ACaption[I] != '&')
            continue;
        if (ACaption[I + 1] == '&') {
            ++I;
            continue;
        }
        auto Lower = [](char32_t C) { return C < 128 ? char32_t(std::tolower(int(C))) : C; };
        // The accelerator is one code point, which may be more than one byte.
        const auto* P = reinterpret_cast<const unsigned char*>(ACaption.data() + I + 1);
        char32_t C = P[0];
        if (C >= 0xF0 && I + 4 < ACaption.size())
            C = ((C & 0x07) << 18) | ((P[1] & 0x3F) << 12) | ((P[2] & 0x3F) << 6) | (P[3] & 0x3F);
        else if (C >= 0xE0 && I + 3 < ACaption.size())
            C = ((C & 0x0F) << 12) | ((P[1] & 0x3F) << 6) | (P[2] & 0x3F);
        else if (C >= 0xC0 && I + 2 < ACaption.size())
            C = ((C & 0x1F) << 6) | (P[1] & 0x3F);
        return Lower(C) == Lower(AKey);
    }
    return false;
}

// ---- TControl ----------------------------------------------------------------------------

void TControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FFont = TFont::Create();
    FFont->SetOnChange(TNotifyEvent::Bind<&TControl::FontChanged>(this));
    FWindowProc = TWndMethod::Bind<&TControl::WndProc>(this);
}

TControl::~TControl()
{
    SetParent(nullptr);
    if (FFont != nullptr)
        FFont->Free();
}

void TControl::SetParent(TWinControl* AValue)
{
    if (FParent == AValue)
        return;
    if (AValue == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent != nullptr)
        FParent->RemoveControl(this);
    if (AValue != nullptr)
        AValue->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    bool Resized = AWidth != FWidth || AHeight != FHeight;
    Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    if (FParent != nullptr)
        FParent->ControlBoundsChanged(this);
    if (Resized)
        Resize();
}

void TControl::Resize()
{
    if (FOnResize)
        FOnResize(this);
}

TPoint TControl::ClientOrigin() const
{
    if (FParent == nullptr) {
        TRect Inset = TopLevelInset(this);
        return Point(FLeft + Inset.Left, FTop + Inset.Top);
    }
    TPoint Origin = FParent->ClientOrigin();
    return Point(Origin.X + FLeft, Origin.Y + FTop);
}

TPoint TControl::ClientToScreen(TPoint APoint) const
{
    TPoint Origin = ClientOrigin();
    return Point(APoint.X + Origin.X, APoint.Y + Origin.Y);
}

TPoint TControl::ScreenToClient(TPoint APoint) const
{
    TPoint Origin = ClientOrigin();
    return Point(APoint.X - Origin.X, APoint.Y - Origin.Y);
}

void TControl::SetAlign(TAlign AValue)
{
    if (FAlign == AValue)
        return;
    FAlign = AValue;
    if (FParent != nullptr)
        FParent->Realign();
}

void TControl::SetVisible(bool AValue)
{
    if (FVisible == AValue)
        return;
    if (!AValue)
        Invalidate();
    FVisible = AValue;
    Changed(CM_VISIBLECHANGED);
    if (FParent != nullptr) {
        FParent->ControlBoundsChanged(this);
        if (TWinControl* Top = TopLevel(); Top != nullptr && !AValue)
            Top->ControlGone(this);
    }
}

TCustomStyleServices* TControl::StyleServices() const
{
    return ::StyleServices();
}

bool TControl::Showing() const
{
    return FVisible && FParent != nullptr && FParent->Showing();
}

void TControl::SetEnabled(bool AValue)
{
    if (FEnabled == AValue)
        return;
    FEnabled = AValue;
    Changed(CM_ENABLEDCHANGED);
}

void TControl::SetText(const String& AValue)
{
    if (FText == AValue)
        return;
    FText = AValue;
    Changed(CM_TEXTCHANGED);
}

void TControl::SetParentFont(bool AValue)
{
    FParentFont = AValue;
    if (AValue && FParent != nullptr)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor AValue)
{
    FParentColor = false;
    if (FColor == AValue)
        return;
    FColor = AValue;
    Changed(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool AValue)
{
    FParentColor = AValue;
    if (AValue && FParent != nullptr)
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    if (!FTakingParentFont)
        FParentFont = false;
    Changed(CM_FONTCHANGED);
}

void TControl::Changed(UINT AMessage)
{
    Perform(AMessage, 0, 0);
}

TWinControl* TControl::TopLevel() const
{
    const TControl* Control = this;
    while (Control->FParent != nullptr)
        Control = Control->FParent;
    // A lone graphic control has no picture to paint into.
    return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(Control));
}

TPoint TControl::OffsetInTopLevel() const
{
    TPoint Offset;
    const TControl* Control = this;
    for (; Control->FParent != nullptr; Control = Control->FParent) {
        Offset.X += Control->FLeft;
        Offset.Y += Control->FTop;
    }
    TRect Inset = TopLevelInset(Control);
    return Point(Offset.X + Inset.Left, Offset.Y + Inset.Top);
}

TRect TControl::VisibleRectInTopLevel(bool AClientOnly) const
{
    TPoint Offset = OffsetInTopLevel();
    TRect Visible = AClientOnly ? Rect(Offset.X, Offset.Y, Offset.X + ClientWidth(), Offset.Y + ClientHeight())
                                : Rect(Offset.X, Offset.Y, Offset.X + FWidth, Offset.Y + FHeight);
    if (FParent != nullptr)
        Visible = Intersect(Visible, FParent->VisibleRectInTopLevel(true));
    return Visible;
}

void TControl::Invalidate()
{
    if (TWinControl* Top = TopLevel(); Top != nullptr && Top != this) {
        TPoint Offset = OffsetInTopLevel();
        Top->InvalidateWindowRect(Rect(Offset.X, Offset.Y, Offset.X + FWidth, Offset.Y + FHeight));
    }
}

void TControl::Update()
{
    if (TWinControl* Top = TopLevel(); Top != nullptr && Top != this)
        Top->Update();
}

void TControl::BringToFront()
{
    if (FParent == nullptr)
        return;
    std::vector<TControl*>& Siblings = FParent->FControls;
    std::erase(Siblings, this);
    Siblings.push_back(this);
    Invalidate();
}

void TControl::SendToBack()
{
    if (FParent == nullptr)
        return;
    std::vector<TControl*>& Siblings = FParent->FControls;
    std::erase(Siblings, this);
    Siblings.insert(Siblings.begin(), this);
    Invalidate();
}

LRESULT TControl::Perform(UINT AMsg, WPARAM AWParam, LPARAM ALParam)
{
    TMessage Message{AMsg, AWParam, ALParam, 0};
    FWindowProc(Message);
    return Message.Result;
}

void TControl::WndProc(TMessage& AMessage)
{
    if (IsMouseMessage(AMessage.Msg)) {
        HandleMouse(AMessage);
        return;
    }
    switch (AMessage.Msg) {
    case WM_MOUSEWHEEL:
        AMessage.Result = DoMouseWheel(MouseShift(AMessage.WParam & 0xFFFF) + KeyboardStateToShiftState(),
                                       int16_t(uint16_t(AMessage.WParam >> 16)), MouseLParamPoint(AMessage.LParam));
        break;
    case CM_MOUSEENTER:
        FMouseInClient = true;
        if (FOnMouseEnter)
            FOnMouseEnter(this);
        break;
    case CM_MOUSELEAVE:
        FMouseInClient = false;
        if (FOnMouseLeave)
            FOnMouseLeave(this);
        break;
    case CM_PARENTFONTCHANGED:
        if (FParentFont && FParent != nullptr) {
            FTakingParentFont = true;
            FFont->Assign(FParent->Font());
            FTakingParentFont = false;
        }
        break;
    case CM_PARENTCOLORCHANGED:
        if (FParentColor && FParent != nullptr) {
            SetColor(FParent->Color());
            FParentColor = true;
        }
        break;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
        Invalidate();
        break;
    default:
        break;
    }
}

void TControl::HandleMouse(TMessage& AMessage)
{
    TPoint At = MouseLParamPoint(AMessage.LParam);
    TShiftState Shift = MouseShift(AMessage.WParam);
    UINT Msg = AMessage.Msg;
    if (Msg == WM_MOUSEMOVE) {
        MouseMove(Shift, At.X, At.Y);
    } else if (IsButtonDown(Msg)) {
        if (Msg == WM_LBUTTONDBLCLK) {
            Shift.Include(ssDouble);
            DblClick();
        }
        FClicked = Msg == WM_LBUTTONDOWN;
        MouseDown(ButtonOf(Msg), Shift, At.X, At.Y);
    } else if (IsButtonUp(Msg)) {
        // A click is a press and a release of the left button over the control.
        bool Clicked = Msg == WM_LBUTTONUP && FClicked && Contains(ClientRect(), At) &&
                       FControlStyle.Contains(csClickEvents);
        FClicked = false;
        MouseUp(ButtonOf(Msg), Shift, At.X, At.Y);
        if (Clicked)
            Click();
    }
}

void TControl::Click()
{
    if (FOnClick)
        FOnClick(this);
}

void TControl::DblClick()
{
    if (FOnDblClick)
        FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (FOnMouseDown)
        FOnMouseDown(this, AButton, AShift, AX, AY);
}

void TControl::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (FOnMouseUp)
        FOnMouseUp(this, AButton, AShift, AX, AY);
}

void TControl::MouseMove(TShiftState AShift, int AX, int AY)
{
    if (FOnMouseMove)
        FOnMouseMove(this, AShift, AX, AY);
}

bool TControl::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    bool Handled = false;
    if (FOnMouseWheel)
        FOnMouseWheel(this, AShift, AWheelDelta, AMousePos, Handled);
    return Handled;
}

// ---- TControlCanvas ----------------------------------------------------------------------

void TControlCanvas::Construct(TControl* AControl)
{
    inherited::Construct();
    FControl = AControl;
}

bool TControlCanvas::AcquireTarget(TCanvasTarget& ATarget)
{
    TWinControl* Top = FControl->TopLevel();
    if (Top == nullptr || Top->FPaintTarget->Bits.empty())
        return false;
    TWinControl::TSurface& Surface = *Top->FPaintTarget;
    TPoint Offset = FControl->OffsetInTopLevel();
    TRect Visible = FControl->VisibleRectInTopLevel();
    ATarget.Bits = Surface.Bits.data();
    ATarget.Width = Surface.Width;
    ATarget.Height = Surface.Height;
    ATarget.Stride = Surface.Width * 4;
    ATarget.Origin = Offset;
    if (Top->FPaintTarget == &Top->FSurface)
        Visible = Intersect(Visible, Top->FPaintClip);
    ATarget.Clip = Rect(Visible.Left - Offset.X, Visible.Top - Offset.Y, Visible.Right - Offset.X,
                        Visible.Bottom - Offset.Y);
    return true;
}

// ---- TWindowCanvas -----------------------------------------------------------------------

void TWindowCanvas::Construct(TWinControl* AControl)
{
    inherited::Construct();
    FControl = AControl;
}

bool TWindowCanvas::AcquireTarget(TCanvasTarget& ATarget)
{
    TWinControl* Top = FControl->TopLevel();
    if (Top == nullptr || Top->FPaintTarget->Bits.empty())
        return false;
    TWinControl::TSurface& Surface = *Top->FPaintTarget;
    ATarget.Bits = Surface.Bits.data();
    ATarget.Width = Surface.Width;
    ATarget.Height = Surface.Height;
    ATarget.Stride = Surface.Width * 4;
    ATarget.Origin = TPoint();
    ATarget.Clip = Top->FPaintTarget == &Top->FSurface ? Top->FPaintClip : Rect(0, 0, Surface.Width, Surface.Height);
    return true;
}

// ---- TWinControl -------------------------------------------------------------------------

TWinControl::~TWinControl()
{
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

HWND TWinControl::Handle()
{
    if (FHandle == nullptr) {
        FHandle = CreateWindowHandle();
        if (Parent() == nullptr)
            UpdateNonClient();
    }
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& AParams)
{
    AParams.Caption = Text();
    AParams.Bounds = BoundsRect();
    AParams.Style = WS_CLIPCHILDREN | (Parent() == nullptr ? WS_POPUP : 0);
}

HWND TWinControl::CreateWindowHandle()
{
    TWndMethod Method = TWndMethod::Bind<&TWinControl::MainWndProc>(this);
    if (Parent() != nullptr)
        return AllocateHWnd(Method);
    TCreateParams Params;
    CreateParams(Params);
    HWND Wnd = CreateTopLevelWindow(ClassName(), Params.Caption, Params.WndParent, Params.Bounds, Method);
    SetWindowLongPtrW(Wnd, GWL_STYLE, Params.Style);
    SetWindowLongPtrW(Wnd, GWL_EXSTYLE, Params.ExStyle);
    if (Params.ExStyle & WS_EX_TOPMOST)
        SetWindowPos(Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return Wnd;
}

void TWinControl::RecreateWnd()
{
    if (FHandle != nullptr)
        Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::DestroyHandle()
{
    if (FHandle == nullptr)
        return;
    DestroyWindow(FHandle);
    FHandle = nullptr;
}

TControl* TWinControl::Controls(int AIndex) const
{
    if (AIndex < 0 || AIndex >= ControlCount())
        RaiseListIndexError(AIndex);
    return FControls[AIndex];
}

void TWinControl::InsertControl(TControl* AControl)
{
    FControls.push_back(AControl);
    AControl->FParent = this;
    if (auto* Win = dynamic_cast<TWinControl*>(AControl))
        FTabList.push_back(Win);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    if (AControl->FAlign != alNone)
        Realign();
    AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    AControl->Invalidate();
    if (TWinControl* Top = TopLevel(); Top != nullptr)
        Top->ControlGone(AControl);
    std::erase(FControls, AControl);
    std::erase(FTabList, AControl);
    AControl->FParent = nullptr;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (AControl->FAlign != alNone)
        Realign();
}

// Forgets a control that leaves the top-level control or hides, so that no input goes to it.
void TWinControl::ControlGone(TControl* AControl)
{
    auto Within = [AControl](const TControl* AOther) {
        for (const TControl* C = AOther; C != nullptr; C = C->Parent())
            if (C == AControl)
                return true;
        return false;
    };
    if (Within(FHovered))
        FHovered = nullptr;
    if (Within(FCaptured))
        FCaptured = nullptr;
    if (Within(FFocused))
        FFocused = nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint APoint) const
{
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
        TControl* Control = *It;
        if (Control->Visible() && Control->Enabled() && Contains(Control->BoundsRect(), APoint))
            return Control;
    }
    return nullptr;
}

void TWinControl::ControlBoundsChanged(TControl* AControl)
{
    if (AControl->FAlign != alNone)
        Realign();
}

void TWinControl::EnableAlign()
{
    if (--FAlignLevel == 0 && FAlignPending)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0) {
        FAlignPending = true;
        return;
    }
    FAlignPending = false;
    ++FAlignLevel;   // the children's SetBounds would call back in
    TRect Area = ClientRect();
    AdjustClientRect(Area);
    AlignControls(Area);
    --FAlignLevel;
    Invalidate();
}

// Top, bottom, left, right, then client controls each take their strip of what is left;
// controls of one alignment keep the order of their positions.
void TWinControl::AlignControls(TRect& ARect)
{
    TRect& Rest = ARect;
    for (TAlign Align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> Aligned;
        for (TControl* Control : FControls)
            if (Control->FAlign == Align && Control->FVisible)
                Aligned.push_back(Control);
        auto Position = [Align](const TControl* C) {
            switch (Align) {
            case alTop: return C->FTop;
            case alBottom: return -(C->FTop + C->FHeight);
            case alLeft: return C->FLeft;
            case alRight: return -(C->FLeft + C->FWidth);
            default: return 0;
            }
        };
        std::stable_sort(Aligned.begin(), Aligned.end(),
                         [&](const TControl* A, const TControl* B) { return Position(A) < Position(B); });
        for (TControl* C : Aligned) {
            int W = std::max(Rest.Width(), 0);
            int H = std::max(Rest.Height(), 0);
            switch (Align) {
            case alTop:
                C->SetBounds(Rest.Left, Rest.Top, W, C->FHeight);
                Rest.Top += C->FHeight;
                break;
            case alBottom:
                C->SetBounds(Rest.Left, Rest.Bottom - C->FHeight, W, C->FHeight);
                Rest.Bottom -= C->FHeight;
                break;
            case alLeft:
                C->SetBounds(Rest.Left, Rest.Top, C->FWidth, H);
                Rest.Left += C->FWidth;
                break;
            case alRight:
                C->SetBounds(Rest.Right - C->FWidth, Rest.Top, C->FWidth, H);
                Rest.Right -= C->FWidth;
                break;
            default:
                C->SetBounds(Rest.Left, Rest.Top, W, H);
                break;
            }
        }
    }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    bool Resized = std::max(AWidth, 0) != Width() || std::max(AHeight, 0) != Height();
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Resized && Parent() == nullptr && FHandle != nullptr)
        UpdateNonClient();
    if (Resized)
        Realign();
}

TRect TWinControl::ClientRect() const
{
    if (Parent() != nullptr)
        return inherited::ClientRect();
    const TRect& I = FNonClientInset;
    return Rect(0, 0, std::max(0, Width() - I.Left - I.Right), std::max(0, Height() - I.Top - I.Bottom));
}

void TWinControl::UpdateNonClient()
{
    TRect Window = Rect(0, 0, Width(), Height());
    TRect Client = Window;
    Perform(WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&Client));
    Client = Intersect(Client, Window);
    TRect Inset = Rect(Client.Left, Client.Top, Window.Right - Client.Right, Window.Bottom - Client.Bottom);
    if (Inset == FNonClientInset)
        return;
    FNonClientInset = Inset;
    Realign();
    Invalidate();
}

int TWinControl::TabOrder() const
{
    if (Parent() == nullptr)
        return -1;
    const std::vector<TWinControl*>& List = Parent()->FTabList;
    return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TWinControl::SetTabOrder(int AValue)
{
    if (Parent() == nullptr)
        return;
    std::vector<TWinControl*>& List = Parent()->FTabList;
    std::erase(List, this);
    if (AValue < 0 || AValue > static_cast<int>(List.size()))
        AValue = static_cast<int>(List.size());
    List.insert(List.begin() + AValue, this);
}

bool TWinControl::CanFocus() const
{
    for (const TControl* C = this; C != nullptr; C = C->Parent())
        if (!C->Visible() || !C->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    TWinControl* Top = TopLevel();
    return Top != nullptr && Top->FFocused == this;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    TopLevel()->FocusControl(this);
}

TWinControl* TWinControl::FocusedControl() const
{
    TWinControl* Top = TopLevel();
    return Top != nullptr ? Top->FFocused : nullptr;
}

void TWinControl::FocusControl(TWinControl* AControl)
{
    if (FFocused == AControl)
        return;
    TWinControl* Old = FFocused;
    FFocused = AControl;
    if (Old != nullptr)
        Old->Perform(WM_KILLFOCUS, 0, 0);
    if (AControl != nullptr)
        AControl->Perform(WM_SETFOCUS, 0, 0);
}

void TWinControl::CollectTabStops(std::vector<TWinControl*>& AList, bool ACheckTabStop)
{
    for (TWinControl* Child : FTabList) {
        if (Child->CanFocus() && (!ACheckTabStop || Child->FTabStop))
            AList.push_back(Child);
        Child->CollectTabStops(AList, ACheckTabStop);
    }
}

void TWinControl::SelectNext(TWinControl* ACurrent, bool AGoForward, bool ACheckTabStop)
{
    std::vector<TWinControl*> Stops;
    CollectTabStops(Stops, ACheckTabStop);
    if (Stops.empty())
        return;
    auto Found = std::find(Stops.begin(), Stops.end(), ACurrent);
    size_t Count = Stops.size();
    size_t Next = 0;
    if (Found == Stops.end())
        Next = AGoForward ? 0 : Count - 1;
    else
        Next = (static_cast<size_t>(Found - Stops.begin()) + (AGoForward ? 1 : Count - 1)) % Count;
    Stops[Next]->SetFocus();
}

void TWinControl::DoEnter()
{
    if (FOnEnter)
        FOnEnter(this);
}

void TWinControl::DoExit()
{
    if (FOnExit)
        FOnExit(this);
}

void TWinControl::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    if (FOnKeyDown)
        FOnKeyDown(this, AKey, AShift);
}

void TWinControl::KeyUp(uint16_t& AKey, TShiftState AShift)
{
    if (FOnKeyUp)
        FOnKeyUp(this, AKey, AShift);
}

void TWinControl::KeyPress(char32_t& AKey)
{
    if (FOnKeyPress)
        FOnKeyPress(this, AKey);
}

void TWinControl::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_SETFOCUS:
        DoEnter();
        return;
    case WM_KILLFOCUS:
        DoExit();
        return;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        auto Key = static_cast<uint16_t>(AMessage.WParam);
        if (AMessage.Msg == WM_KEYDOWN || AMessage.Msg == WM_SYSKEYDOWN)
            KeyDown(Key, KeyboardStateToShiftState());
        else
            KeyUp(Key, KeyboardStateToShiftState());
        AMessage.WParam = Key;
        return;
    }
    case WM_CHAR: {
        auto Key = static_cast<char32_t>(AMessage.WParam);
        KeyPress(Key);
        AMessage.WParam = Key;
        return;
    }
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
        inherited::WndProc(AMessage);
        return;
    case CM_RECREATEWND: {
        if (FHandle == nullptr)
            return;
        // Only a top-level window is seen; the state lives in the control, not in the window.
        bool WasShown = Parent() == nullptr && IsWindowVisible(FHandle);
        DestroyHandle();
        Handle();
        if (WasShown)
            ShowWindow(FHandle, SW_SHOW);
        Invalidate();
        return;
    }
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
        inherited::WndProc(AMessage);
        for (TControl* Child : std::vector<TControl*>(FControls))
            Child->Perform(AMessage.Msg == CM_FONTCHANGED ? CM_PARENTFONTCHANGED : CM_PARENTCOLORCHANGED, 0, 0);
        return;
    default:
        if (Parent() == nullptr && FHandle != nullptr)
            DefaultNonClient(AMessage);
        inherited::WndProc(AMessage);
    }
}

// ---- The top-level control's window ------------------------------------------------------

void TWinControl::MainWndProc(TMessage& AMessage)
{
    try {
        bool TopLevel = Parent() == nullptr;
        bool Pressed = TopLevel && (IsButtonDown(AMessage.Msg) || AMessage.Msg == WM_KEYDOWN || AMessage.Msg == WM_SYSKEYDOWN);
        if (Pressed && HintWatcher != nullptr)
            HintWatcher->UserInput();
        if (TopLevel && IsButtonDown(AMessage.Msg)) {
            TPoint At = MouseLParamPoint(AMessage.LParam);
            ClosePopupsOutside(this, Point(Left() + At.X, Top() + At.Y));
        }
        if (TopLevel && IsMouseMessage(AMessage.Msg)) {
            RouteWindowMouse(AMessage);
            if (AMessage.Msg == WM_MOUSEMOVE && HintWatcher != nullptr) {
                TPoint At = MouseLParamPoint(AMessage.LParam);
                HintWatcher->MouseOver(FHovered, Point(Left() + At.X, Top() + At.Y));
            }
        } else if (TopLevel && (AMessage.Msg == WM_MOUSEWHEEL || AMessage.Msg == WM_MOUSEHWHEEL)) {
            RouteWheel(AMessage);
        } else if (TopLevel && AMessage.Msg == WM_MOUSELEAVE) {
            SetHovered(nullptr);
            if (HintWatcher != nullptr)
                HintWatcher->MouseOver(nullptr, Point(0, 0));
        } else if (TopLevel && AMessage.Msg == WM_SETCURSOR) {
            UpdateCursor(FHovered != nullptr || FCaptured != nullptr ? HTCLIENT : HTNOWHERE);
        } else if (TopLevel && IsKeyMessage(AMessage.Msg)) {
            RouteKey(AMessage);
        } else if (AMessage.Msg == WM_PAINT) {
            Update();
        } else {
            WindowProc()(AMessage);
        }
    } catch (...) {
        Application->HandleException(this);
    }
}

// The deepest enabled, visible control under the client point; ALocal becomes the point in
// that control's client coordinates.
TControl* TWinControl::DeepestControlAt(TPoint APoint, TPoint& ALocal)
{
    ALocal = APoint;
    TControl* Found = this;
    while (auto* Win = dynamic_cast<TWinControl*>(Found)) {
        TControl* Child = Win->ControlAtPos(ALocal);
        if (Child == nullptr)
            break;
        ALocal = Point(ALocal.X - Child->Left(), ALocal.Y - Child->Top());
        Found = Child;
    }
    return Found;
}

// A mouse message of the screen, in window coordinates: the hit test decides whether it is
// the client's or the frame's, which then hears it as a non-client message.
void TWinControl::RouteWindowMouse(TMessage& AMessage)
{
    TPoint At = MouseLParamPoint(AMessage.LParam);
    TPoint OnScreen = Point(Left() + At.X, Top() + At.Y);
    LRESULT Hit = HTCLIENT;
    if (FCaptured == nullptr)
        Hit = Perform(WM_NCHITTEST, 0, MakeMouseLParam(OnScreen.X, OnScreen.Y));
    if (Hit == HTCLIENT) {
        TMessage Client{AMessage.Msg, AMessage.WParam,
                        MakeMouseLParam(At.X - FNonClientInset.Left, At.Y - FNonClientInset.Top), 0};
        RouteMouse(Client);
        AMessage.Result = Client.Result;
    } else {
        if (AMessage.Msg == WM_MOUSEMOVE)
            SetHovered(nullptr);
        AMessage.Result = Perform(AMessage.Msg - kNonClientMouseOffset, static_cast<WPARAM>(Hit),
                                  MakeMouseLParam(OnScreen.X, OnScreen.Y));
    }
    if (AMessage.Msg == WM_MOUSEMOVE && FHandle != nullptr)
        UpdateCursor(Hit);
}

// The pointer takes the shape of the frame part under it, or of the control (the nearest
// parent with a cursor of its own).
void TWinControl::UpdateCursor(LRESULT AHitCode)
{
    String Shape = HitCodeShape(AHitCode);
    if (Screen->Cursor() != crDefault) {
        Shape = CursorShape(Screen->Cursor());
    } else if (AHitCode == HTCLIENT) {
        const TControl* Control = FCaptured != nullptr ? FCaptured : FHovered;
        while (Control != nullptr && Control->Cursor() == crDefault)
            Control = Control->Parent();
        Shape = CursorShape(Control != nullptr ? Control->Cursor() : crDefault);
    }
    SetWindowCursor(FHandle, Shape);
}

void TWinControl::DefaultNonClient(TMessage& AMessage)
{
    TPoint At = MouseLParamPoint(AMessage.LParam);
    auto Command = [&](WPARAM ACommand) { Perform(WM_SYSCOMMAND, ACommand, AMessage.LParam); };
    switch (AMessage.Msg) {
    case WM_NCHITTEST: {
        TPoint Local = Point(At.X - Left(), At.Y - Top());
        bool InClient = Contains(Rect(FNonClientInset.Left, FNonClientInset.Top, Width() - FNonClientInset.Right,
                                      Height() - FNonClientInset.Bottom),
                                 Local);
        AMessage.Result = InClient ? HTCLIENT : Contains(Rect(0, 0, Width(), Height()), Local) ? HTBORDER : HTNOWHERE;
        break;
    }
    case WM_NCACTIVATE:
        AMessage.Result = 1;
        if (FNonClientInset != TRect{})
            InvalidateWindowRect(Rect(0, 0, Width(), Height()));
        break;
    case WM_NCLBUTTONDOWN:
        FNonClientPressed = static_cast<LRESULT>(AMessage.WParam);
        if (FNonClientPressed == HTCAPTION)
            Command(SC_MOVE | HTCAPTION);
        else if (FNonClientPressed >= HTLEFT && FNonClientPressed <= HTBOTTOMRIGHT)
            Command(SC_SIZE | (FNonClientPressed - HTLEFT + 1));
        break;
    case WM_NCLBUTTONUP: {
        // A caption button acts when the button comes up over the one it went down on.
        LRESULT Hit = std::exchange(FNonClientPressed, HTNOWHERE);
        if (Hit != static_cast<LRESULT>(AMessage.WParam))
            break;
        if (Hit == HTCLOSE)
            Command(SC_CLOSE);
        else if (Hit == HTMINBUTTON)
            Command(SC_MINIMIZE);
        else if (Hit == HTMAXBUTTON)
            Command(IsZoomed(FHandle) ? SC_RESTORE : SC_MAXIMIZE);
        else if (Hit == HTHELP)
            Command(SC_CONTEXTHELP);
        break;
    }
    case WM_NCLBUTTONDBLCLK:
        if (AMessage.WParam == HTCAPTION)
            Command(IsZoomed(FHandle) ? SC_RESTORE : SC_MAXIMIZE);
        else if (AMessage.WParam == HTSYSMENU)
            Command(SC_CLOSE);
        break;
    case WM_NCRBUTTONUP:
        if (AMessage.WParam == HTCAPTION || AMessage.WParam == HTSYSMENU)
            Perform(WM_SYSMENU, AMessage.WParam, AMessage.LParam);
        break;
    case WM_SYSCOMMAND: {
        WPARAM Command = AMessage.WParam & 0xFFF0;
        TPoint From = At;
        if (AMessage.LParam == 0)
            GetCursorPos(From);   // from the keyboard: where the pointer is
        if (Command == SC_MOVE)
            DragWindow(FHandle, HTCAPTION, From);
        else if (Command == SC_SIZE && (AMessage.WParam & 0xF) != 0)
            DragWindow(FHandle, static_cast<int>(HTLEFT - 1 + (AMessage.WParam & 0xF)), From);
        else if (Command == SC_MINIMIZE)
            ShowWindow(FHandle, SW_MINIMIZE);
        else if (Command == SC_MAXIMIZE)
            ShowWindow(FHandle, SW_MAXIMIZE);
        else if (Command == SC_RESTORE)
            ShowWindow(FHandle, SW_RESTORE);
        else if (Command == SC_CLOSE)
            Perform(WM_CLOSE, 0, 0);
        break;
    }
    default:
        break;
    }
}

void TWinControl::RouteMouse(TMessage& AMessage)
{
    SetKeyStateFromMessage(AMessage.Msg, AMessage.WParam);
    TPoint At = MouseLParamPoint(AMessage.LParam);
    TPoint Local;
    TControl* Target = DeepestControlAt(At, Local);
    if (AMessage.Msg == WM_MOUSEMOVE)
        SetHovered(Target);
    // The control a button went down on keeps the mouse until the button comes up.
    if (FCaptured != nullptr) {
        Target = FCaptured;
        TPoint Offset = Target->OffsetInTopLevel();
        Local = Point(At.X - Offset.X, At.Y - Offset.Y);
    }
    if (IsButtonDown(AMessage.Msg)) {
        FCaptured = Target;
        if (auto* Win = dynamic_cast<TWinControl*>(Target); Win != nullptr && Win->CanFocus() && Win->FTabStop)
            Win->SetFocus();
    } else if (IsButtonUp(AMessage.Msg)) {
        FCaptured = nullptr;
    }
    AMessage.Result = Target->Perform(AMessage.Msg, AMessage.WParam, MakeMouseLParam(Local.X, Local.Y));
}

void TWinControl::SetHovered(TControl* AControl)
{
    if (FHovered == AControl)
        return;
    TControl* Old = FHovered;
    FHovered = AControl;
    if (Old != nullptr)
        Old->Perform(CM_MOUSELEAVE, 0, 0);
    if (AControl != nullptr)
        AControl->Perform(CM_MOUSEENTER, 0, 0);
}

void TWinControl::RouteKey(TMessage& AMessage)
{
    UINT Msg = AMessage.Msg;
    SetKeyStateFromMessage(Msg, AMessage.WParam);
    if (PreviewKey(AMessage) || AMessage.WParam == 0)
        return;
    TWinControl* Target = FFocused != nullptr ? FFocused : this;
    auto DialogCode = [Target] { return Target->Perform(WM_GETDLGCODE, 0, 0); };
    if (Msg == WM_SYSCHAR || (Msg == WM_CHAR && AMessage.WParam >= ' ' && !(DialogCode() & DLGC_WANTCHARS))) {
        TMessage Accel{CM_DIALOGCHAR, AMessage.WParam, Msg == WM_SYSCHAR ? 1 : 0, 0};
        BroadcastUntilHandled(Accel);
        if (Accel.Result != 0 || Msg == WM_SYSCHAR)
            return;
    }
    TMessage Forwarded{Msg, AMessage.WParam, AMessage.LParam, 0};
    Target->WindowProc()(Forwarded);
    AMessage.Result = Forwarded.Result;
    if ((Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN) && Forwarded.WParam != 0 && !WantsKey(DialogCode(), Forwarded.WParam))
        DialogKey(Target, Forwarded.WParam);
}

// A dialog key the focused control left: the controls may take it (default and cancel
// buttons); else Tab moves through the tab order and arrows among the control's siblings.
bool TWinControl::DialogKey(TWinControl* ATarget, WPARAM AKey)
{
    TMessage Message{CM_DIALOGKEY, AKey, 0, 0};
    BroadcastUntilHandled(Message);
    if (Message.Result != 0)
        return true;
    bool Back = GetKeyState(VK_SHIFT) < 0;
    switch (AKey) {
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0)
            return false;
        SelectNext(FFocused, !Back, true);
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (ATarget == this || ATarget->Parent() == nullptr)
            return false;
        ATarget->Parent()->SelectNext(ATarget, AKey == VK_RIGHT || AKey == VK_DOWN, false);
        return true;
    default:
        return false;
    }
}

void TWinControl::BroadcastUntilHandled(TMessage& AMessage)
{
    AMessage.Result = Perform(AMessage.Msg, AMessage.WParam, AMessage.LParam);
    for (TControl* Child : std::vector<TControl*>(FControls)) {
        if (AMessage.Result != 0)
            return;
        if (!Child->Visible() || !Child->Enabled())
            continue;
        if (auto* Win = dynamic_cast<TWinControl*>(Child))
            Win->BroadcastUntilHandled(AMessage);
        else
            AMessage.Result = Child->Perform(AMessage.Msg, AMessage.WParam, AMessage.LParam);
    }
}

// The wheel goes to the control under the mouse, then up its parents until one takes it.
void TWinControl::RouteWheel(TMessage& AMessage)
{
    TPoint Local;
    TPoint Client = ScreenToClient(MouseLParamPoint(AMessage.LParam));
    for (TControl* C = DeepestControlAt(Client, Local); C != nullptr; C = C->Parent()) {
        AMessage.Result = C->Perform(AMessage.Msg, AMessage.WParam, AMessage.LParam);
        if (AMessage.Result != 0)
            return;
    }
}

// ---- Painting ----------------------------------------------------------------------------

void TWinControl::Invalidate()
{
    if (Parent() != nullptr) {
        inherited::Invalidate();
        return;
    }
    InvalidateWindowRect(Rect(0, 0, Width(), Height()));
}

// Marks part of a top-level control's window; the paint that follows paints and hands on to
// the screen only what was marked.
void TWinControl::InvalidateWindowRect(const TRect& ARect)
{
    FInvalidRect = Union(FInvalidRect, Intersect(ARect, Rect(0, 0, Width(), Height())));
    if (FPaintPending)
        return;
    FPaintPending = true;
    if (FHandle != nullptr)
        PostMessageW(FHandle, WM_PAINT, 0, 0);
}

void TWinControl::Update()
{
    if (Parent() != nullptr) {
        inherited::Update();
        return;
    }
    if (FPaintPending)
        PaintNow();
}

void TWinControl::PaintNow()
{
    FPaintPending = false;
    TSurface& Surface = FSurface;
    TRect Whole = Rect(0, 0, Width(), Height());
    TRect Dirty = Intersect(FInvalidRect, Whole);
    FInvalidRect = TRect{};
    if (Surface.Width != Width() || Surface.Height != Height() || Surface.Bits.empty()) {
        Surface.Width = Width();
        Surface.Height = Height();
        Surface.Bits.assign(size_t(Width()) * size_t(Height()) * 4, 0);
        Dirty = Whole;
    }
    if (Dirty.Width() <= 0 || Dirty.Height() <= 0)
        return;
    for (int Y = Dirty.Top; Y < Dirty.Bottom; ++Y)
        std::memset(&Surface.Bits[(size_t(Y) * Surface.Width + Dirty.Left) * 4], 0, size_t(Dirty.Width()) * 4);
    FPaintClip = Dirty;
    struct TRestoreClip {
        TRect& Clip;
        TRect Whole;
        ~TRestoreClip() { Clip = Whole; }
    } Restore{FPaintClip, Whole};
    if (FNonClientInset != TRect{})
        Perform(WM_NCPAINT, 1, 0);
    PaintControl();
    if (FHandle != nullptr)
        UpdateWindowSurface(FHandle, TXSurfaceView{Surface.Bits.data(), Surface.Width, Surface.Height, Surface.Width * 4},
                            Dirty);
}

// The control's face, then its graphic children, then its windowed children, each in
// z-order: child windows cover whatever their parent draws.
void TWinControl::PaintControl()
{
    PaintWindow();
    for (bool Windowed : {false, true})
        for (TControl* Child : FControls)
            if (Child->Visible() && (dynamic_cast<TWinControl*>(Child) != nullptr) == Windowed)
                Child->PaintControl();
}

void TWinControl::PaintWindow()
{
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    // System colours as the active style paints them.
    Canvas->Brush()->SetColor(StyleServices()->GetSystemColor(Color()));
    Canvas->FillRect(ClientRect());
    Canvas->Free();
}

void TWinControl::PaintTo(TCanvas* ACanvas, int AX, int AY)
{
    TWinControl* Top = TopLevel();
    TSurface Surface;
    TSurface* Saved = Top->FPaintTarget;
    Top->FPaintTarget = &Surface;
    Surface.Width = Top->Width();
    Surface.Height = Top->Height();
    Surface.Bits.assign(size_t(Surface.Width) * size_t(Surface.Height) * 4, 0);
    try {
        if (this == Top && FNonClientInset != TRect{})
            Perform(WM_NCPAINT, 1, 0);
        PaintControl();
    } catch (...) {
        Top->FPaintTarget = Saved;
        throw;
    }
    Top->FPaintTarget = Saved;

    // A top-level control's picture is its whole window, frame included.
    TPoint Offset = this == Top ? TPoint() : OffsetInTopLevel();
    TBitmap* Image = TBitmap::Create();
    Image->SetPixelFormat(pf32bit);
    Image->SetSize(Width(), Height());
    for (int Y = 0; Y < Height(); ++Y)
        std::memcpy(Image->ScanLine(Y), &Surface.Bits[(size_t(Y + Offset.Y) * Surface.Width + Offset.X) * 4],
                    size_t(Width()) * 4);
    ACanvas->Draw(AX, AY, Image);
    Image->Free();
}

TColor TWinControl::PixelAt(int AX, int AY) const
{
    const TSurface& S = FSurface;
    if (AX < 0 || AY < 0 || AX >= S.Width || AY >= S.Height || S.Bits.empty())
        return clNone;
    const uint8_t* P = &S.Bits[(size_t(AY) * S.Width + AX) * 4];
    return RGB(P[2], P[1], P[0]);
}

// ---- Painted controls --------------------------------------------------------------------

void TGraphicControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FCanvas = TControlCanvas::Create(this);
}

TGraphicControl::~TGraphicControl()
{
    if (FCanvas != nullptr)
        FCanvas->Free();
}

void TGraphicControl::PaintControl()
{
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    Paint();
}

void TCustomControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FCanvas = TControlCanvas::Create(this);
}

TCustomControl::~TCustomControl()
{
    if (FCanvas != nullptr)
        FCanvas->Free();
}

void TCustomControl::PaintWindow()
{
    inherited::PaintWindow();
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->SetColor(Color());
    Paint();
}
