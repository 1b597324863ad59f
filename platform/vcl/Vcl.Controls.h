// Vcl.Controls.h: the control classes every window of the programs is made of. A control has
// bounds in its parent's client coordinates, aligns within its parent, and takes its messages
// through WindowProc. Only a top-level windowed control (one without a parent, a form) has a
// window of the screen; it keeps the picture of itself and its children in memory, paints them
// there in z-order, and hands mouse and key messages to the control they are meant for.
// UI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.Sets.h"
#include "Vcl.Graphics.h"
#include "Vcl.Screen.h"
#include "Win.Keyboard.h"
#include "Win.Messages.h"
#include "Win.WindowMessages.h"

class TCustomStyleServices;
class TWinControl;

// ---- Messages ----------------------------------------------------------------------------

// What keys a control takes itself rather than leave to the dialog handling: answer of
// WM_GETDLGCODE, DLGC_ flags.
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// The component messages: the control's own notices of what changed on it or under the mouse.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 1;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 2;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 3;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 4;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 5;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 6;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 7;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 8;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 9;
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 10;
// Sent to a parent when a child comes (wParam the child, lParam 1) or goes (lParam 0).
inline constexpr UINT CM_CONTROLCHANGE = CM_BASE + 11;
// A key the focused control left to the dialog (Enter, Esc, Tab, arrows: wParam the key) and a
// character for the accelerators (wParam the character, lParam 1 when Alt is held): handed
// to the top-level control and its descendants until one answers 1.
inline constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x20;
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 0x32;
// Performed on a windowed control: its window is made again from CreateParams, the control
// keeping its children, focus and visibility.
inline constexpr UINT CM_RECREATEWND = CM_BASE + 0x33;

// Notices a control sends to itself, as the parent of a Windows control would reflect them.
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + 0x0111;
// lParam points to an NMHDR (or a structure that starts with one, by its code).
inline constexpr UINT CN_NOTIFY = CN_BASE + 0x004E;

// ---- Types -------------------------------------------------------------------------------

// The cursor ids and their shapes are the screen's (Vcl.Screen).

// What a windowed control asks of its window when the window is made.
struct TCreateParams {
    String Caption;
    uint32_t Style = 0;     // WS_ flags
    uint32_t ExStyle = 0;   // WS_EX_ flags
    uint32_t WindowClassStyle = 0;   // CS_ flags
    TRect Bounds;
    HWND WndParent = nullptr;   // the owner of a top-level window
};

X_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient);
X_ENUM(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
       csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
       csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
       csParentBackground, csPannable, csAlignWithMargins, csGestures, csPaintBlackOpaqueOnGlass,
       csOverrideStylePaint);
using TControlStyle = TSet<TControlStyleItem>;
X_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle);
X_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble);
using TShiftState = TSet<TShiftStateItem>;

using TMouseEvent = TMethod<void(TObject* ASender, TMouseButton AButton, TShiftState AShift, int AX, int AY)>;
using TMouseMoveEvent = TMethod<void(TObject* ASender, TShiftState AShift, int AX, int AY)>;
// Setting AKey to 0 keeps the key from the control.
using TKeyEvent = TMethod<void(TObject* ASender, uint16_t& AKey, TShiftState AShift)>;
using TKeyPressEvent = TMethod<void(TObject* ASender, char32_t& AKey)>;
// Setting AHandled keeps the parents from scrolling too.
using TMouseWheelEvent =
    TMethod<void(TObject* ASender, TShiftState AShift, int AWheelDelta, TPoint AMousePos, bool& AHandled)>;

// The modifier keys held now, as the key messages told them.
TShiftState KeyboardStateToShiftState();
// Whether AKey is the character after the first single "&" of ACaption, letter case ignored.
bool IsAccel(char32_t AKey, const String& ACaption);

// ---- TControl ----------------------------------------------------------------------------

class TControl : public TComponent {
    X_CLASS(TControl, TComponent)
public:
    TWinControl* Parent() const { return FParent; }
    // Moves the control to the top of the new parent's z-order.
    virtual void SetParent(TWinControl* AValue);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int AValue) { SetBounds(AValue, FTop, FWidth, FHeight); }
    void SetTop(int AValue) { SetBounds(FLeft, AValue, FWidth, FHeight); }
    void SetWidth(int AValue) { SetBounds(FLeft, FTop, AValue, FHeight); }
    void SetHeight(int AValue) { SetBounds(FLeft, FTop, FWidth, AValue); }
    TRect BoundsRect() const { return Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight); }
    void SetBoundsRect(const TRect& ARect) { SetBounds(ARect.Left, ARect.Top, ARect.Width(), ARect.Height()); }
    // Negative sizes become 0. A change realigns the parent and, for a resize, fires OnResize.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int AValue) { SetWidth(FWidth - ClientWidth() + AValue); }
    void SetClientHeight(int AValue) { SetHeight(FHeight - ClientHeight() + AValue); }
    // Screen coordinates of the client area's top-left corner.
    TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint APoint) const;
    TPoint ScreenToClient(TPoint APoint) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign AValue);
    bool Visible() const { return FVisible; }
    void SetVisible(bool AValue);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents, up to a top-level window that is shown.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue);
    const String& Caption() const { return FText; }
    void SetCaption(const String& AValue) { SetText(AValue); }
    const String& Text() const { return FText; }
    void SetText(const String& AValue);

    TFont* Font() const { return FFont; }
    void SetFont(TFont* AValue) { FFont->Assign(AValue); }
    // True: the font follows the parent's (and turns False when the font is set).
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool AValue);
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool AValue);
    // What the control does by itself; csClickEvents: a press and release over it fires Click.
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle AValue) { FControlStyle = AValue; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor AValue) { FCursor = AValue; }
    const String& Hint() const { return FHint; }
    void SetHint(const String& AValue) { FHint = AValue; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool AValue) { FShowHint = AValue; }
    bool MouseInClient() const { return FMouseInClient; }
    // The style the control paints with: the active one, unless the control has a style of its
    // own. Controls call this, never the global StyleServices(), when they paint.
    virtual TCustomStyleServices* StyleServices() const;

    // Marks the control to be painted again when the window next paints.
    virtual void Invalidate();
    // Paints what was marked, now.
    virtual void Update();
    void Repaint()
    {
        Invalidate();
        Update();
    }
    void BringToFront();
    void SendToBack();

    // Sends the message to WindowProc and answers its result.
    LRESULT Perform(UINT AMsg, WPARAM AWParam, LPARAM ALParam);
    TWndMethod WindowProc() const { return FWindowProc; }
    // Lets a caller hook the control's messages; the hook hands on what it does not take.
    void SetWindowProc(TWndMethod AValue) { FWindowProc = AValue; }

    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent AValue) { FOnClick = AValue; }
    TNotifyEvent OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent AValue) { FOnDblClick = AValue; }
    TMouseEvent OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent AValue) { FOnMouseDown = AValue; }
    TMouseEvent OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent AValue) { FOnMouseUp = AValue; }
    TMouseMoveEvent OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent AValue) { FOnMouseMove = AValue; }
    TNotifyEvent OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent AValue) { FOnMouseEnter = AValue; }
    TNotifyEvent OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent AValue) { FOnMouseLeave = AValue; }
    TNotifyEvent OnResize() const { return FOnResize; }
    void SetOnResize(TNotifyEvent AValue) { FOnResize = AValue; }
    TMouseWheelEvent OnMouseWheel() const { return FOnMouseWheel; }
    void SetOnMouseWheel(TMouseWheelEvent AValue) { FOnMouseWheel = AValue; }

protected:
    TControl() = default;
    ~TControl() override;
    void Construct(TComponent* AOwner) override;

    virtual void WndProc(TMessage& AMessage);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY);
    virtual void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY);
    virtual void MouseMove(TShiftState AShift, int AX, int AY);
    // True when the wheel was taken; the base asks OnMouseWheel. AMousePos is in screen
    // coordinates.
    virtual bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos);
    virtual void Resize();
    // Paints the control at its place in the parent's picture; the windowed controls paint
    // their children after themselves.
    virtual void PaintControl() {}
    // The top-level windowed control this one is painted into; nullptr when it has none.
    TWinControl* TopLevel() const;
    // The control's client (0, 0) in its top-level control's client coordinates.
    TPoint OffsetInTopLevel() const;
    // The part of the top-level control's client area the control may paint, in that
    // control's coordinates: its bounds (or only its client area) cut by its parents' client
    // areas.
    TRect VisibleRectInTopLevel(bool AClientOnly = false) const;

private:
    friend class TWinControl;
    friend class TControlCanvas;
    void FontChanged(TObject*);
    void HandleMouse(TMessage& AMessage);
    void Changed(UINT AMessage);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    String FText;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    bool FTakingParentFont = false;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    TControlStyle FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TCursor FCursor = crDefault;
    String FHint;
    bool FShowHint = false;
    bool FMouseInClient = false;
    bool FClicked = false;
    TWndMethod FWindowProc;

    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
    TNotifyEvent FOnResize;
    TMouseWheelEvent FOnMouseWheel;
};

// A canvas that draws on its control's place in the top-level picture, clipped to what of the
// control shows.
class TControlCanvas : public TCanvas {
    X_CLASS(TControlCanvas, TCanvas)
public:
    TControl* Control() const { return FControl; }

protected:
    TControlCanvas() = default;
    void Construct(TControl* AControl);
    bool AcquireTarget(TCanvasTarget& ATarget) override;

private:
    TControl* FControl = nullptr;
};

// ---- TWinControl -------------------------------------------------------------------------

class TWinControl : public TControl {
    X_CLASS(TWinControl, TControl)
public:
    // The window, made at the first call: a top-level window of the screen for a control
    // without a parent, a hidden message window for the others.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Makes the window again when there is one (CM_RECREATEWND).
    void RecreateWnd();

    // Children in z-order, bottom first.
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int AIndex) const;
    // The visible, enabled child (windowed or not) under the client point; nullptr for none.
    TControl* ControlAtPos(TPoint APoint) const;
    // Places the aligned children again; done whenever one of them or this control changes.
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    int TabOrder() const;
    // Out-of-range values put the control last.
    void SetTabOrder(int AValue);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool AValue) { FTabStop = AValue; }
    // Showing and enabled, with every parent enabled.
    bool CanFocus() const;
    bool Focused() const;
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window" when it cannot.
    virtual void SetFocus();
    // The control with the keyboard focus within this top-level control; nullptr for none.
    TWinControl* FocusedControl() const;
    // Focuses the next (or previous) tab stop after ACurrent among this control's descendants,
    // in tab order, wrapping round.
    void SelectNext(TWinControl* ACurrent, bool AGoForward, bool ACheckTabStop);

    // The control and its children painted into ACanvas with the top-left corner at (AX, AY).
    void PaintTo(TCanvas* ACanvas, int AX, int AY);
    // The picture of a top-level control as it was last painted.
    TColor PixelAt(int AX, int AY) const;

    TNotifyEvent OnEnter() const { return FOnEnter; }
    void SetOnEnter(TNotifyEvent AValue) { FOnEnter = AValue; }
    TNotifyEvent OnExit() const { return FOnExit; }
    void SetOnExit(TNotifyEvent AValue) { FOnExit = AValue; }
    TKeyEvent OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(TKeyEvent AValue) { FOnKeyDown = AValue; }
    TKeyEvent OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(TKeyEvent AValue) { FOnKeyUp = AValue; }
    TKeyPressEvent OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent AValue) { FOnKeyPress = AValue; }

    void Invalidate() override;
    void Update() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // A top-level control's client area is its window less the frame it draws itself.
    TRect ClientRect() const override;
    // The frame the window draws itself round its client area (WM_NCCALCSIZE's answer).
    TRect NonClientInset() const { return FNonClientInset; }

protected:
    TWinControl() = default;
    ~TWinControl() override;

    void WndProc(TMessage& AMessage) override;
    // The window's styles; CreateWindowHandle makes the window from them.
    virtual void CreateParams(TCreateParams& AParams);
    virtual HWND CreateWindowHandle();
    void DestroyHandle();
    // Paints the control's own face: its colour; TCustomControl adds Paint.
    virtual void PaintWindow();
    void PaintControl() override;
    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(uint16_t& AKey, TShiftState AShift);
    virtual void KeyUp(uint16_t& AKey, TShiftState AShift);
    virtual void KeyPress(char32_t& AKey);
    // Where the key messages of a top-level control go first; a form with KeyPreview takes them.
    virtual bool PreviewKey(TMessage&) { return false; }
    // The top-level window procedure: routes input to the controls and paints.
    void MainWndProc(TMessage& AMessage);
    // What a top-level window does with the non-client messages it does not handle itself:
    // hit tests answer the client area, presses on the caption and edges drag the window,
    // the caption buttons run their system commands, and WM_SYSCOMMAND does what it says.
    void DefaultNonClient(TMessage& AMessage);
    // Asks WM_NCCALCSIZE again, after a change of the frame.
    void UpdateNonClient();
    // A child moved, resized, showed or hid: aligned children are placed again.
    virtual void ControlBoundsChanged(TControl* AControl);
    // The part of the client area the aligned children share (less borders and captions).
    virtual void AdjustClientRect(TRect&) const {}
    // Places the aligned children in ARect, the adjusted client area; flow panels place all.
    virtual void AlignControls(TRect& ARect);
    // Performs the message on this control and then its visible, enabled descendants, depth
    // first in z-order, until one answers non-zero (CM_DIALOGKEY, CM_DIALOGCHAR).
    void BroadcastUntilHandled(TMessage& AMessage);

private:
    friend class TControl;
    friend class TControlCanvas;
    friend class TWindowCanvas;
    struct TSurface {
        std::vector<uint8_t> Bits;
        int Width = 0;
        int Height = 0;
    };
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    void PaintNow();
    void InvalidateWindowRect(const TRect& ARect);
    void RouteWindowMouse(TMessage& AMessage);
    void RouteMouse(TMessage& AMessage);
    void UpdateCursor(LRESULT AHitCode);
    void RouteKey(TMessage& AMessage);
    void RouteWheel(TMessage& AMessage);
    bool DialogKey(TWinControl* ATarget, WPARAM AKey);
    void SetHovered(TControl* AControl);
    void ControlGone(TControl* AControl);
    void FocusControl(TWinControl* AControl);
    void CollectTabStops(std::vector<TWinControl*>& AList, bool ACheckTabStop);
    TControl* DeepestControlAt(TPoint APoint, TPoint& ALocal);

    HWND FHandle = nullptr;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    int FAlignLevel = 0;
    bool FAlignPending = false;
    bool FTabStop = false;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyEvent FOnKeyUp;
    TKeyPressEvent FOnKeyPress;

    // Only on a top-level control.
    TSurface FSurface;
    TSurface* FPaintTarget = &FSurface;   // PaintTo points it elsewhere for a moment
    bool FPaintPending = false;
    TRect FInvalidRect;   // window coordinates; empty when nothing is marked
    TRect FPaintClip;     // what the paint under way may change, window coordinates
    TRect FNonClientInset;
    LRESULT FNonClientPressed = HTNOWHERE;
    TControl* FHovered = nullptr;
    TControl* FCaptured = nullptr;
    TWinControl* FFocused = nullptr;
};

// A canvas on a top-level control's whole window, frame included: for WM_NCPAINT.
class TWindowCanvas : public TCanvas {
    X_CLASS(TWindowCanvas, TCanvas)
public:
    TWinControl* Control() const { return FControl; }

protected:
    TWindowCanvas() = default;
    void Construct(TWinControl* AControl);
    bool AcquireTarget(TCanvasTarget& ATarget) override;

private:
    TWinControl* FControl = nullptr;
};

// ---- Painted controls --------------------------------------------------------------------

// A control without a window of its own, painted on its parent.
class TGraphicControl : public TControl {
    X_CLASS(TGraphicControl, TControl)
public:
    TCanvas* Canvas() const { return FCanvas; }

protected:
    TGraphicControl() = default;
    ~TGraphicControl() override;
    void Construct(TComponent* AOwner) override;
    virtual void Paint() {}
    void PaintControl() override;

private:
    TControlCanvas* FCanvas = nullptr;
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
    X_CLASS(TCustomControl, TWinControl)
public:
    TCanvas* Canvas() const { return FCanvas; }

protected:
    TCustomControl() = default;
    ~TCustomControl() override;
    void Construct(TComponent* AOwner) override;
    virtual void Paint() {}
    void PaintWindow() override;

private:
    TControlCanvas* FCanvas = nullptr;
};

// ---- Popups ------------------------------------------------------------------------------

// A window shown over the others for a moment: a drop-down, a menu. While it is registered, a
// press of a mouse button on any of the program's windows that it does not claim closes it.
class TPopupOwner {
public:
    // Whether the press on the top-level control AWindow at the screen point is the popup's own.
    virtual bool OwnsPress(TWinControl* AWindow, TPoint AScreen) = 0;
    virtual void ClosePopup() = 0;

protected:
    ~TPopupOwner() = default;
};
void RegisterPopup(TPopupOwner* AOwner);
void UnregisterPopup(TPopupOwner* AOwner);

// ---- Hints -------------------------------------------------------------------------------

// What the hint layer (Vcl.Forms) hears of the user on the program's windows: the control
// under the pointer at each move (nullptr: none), and every press of a button or a key.
class THintWatcher {
public:
    virtual void MouseOver(TControl* AControl, TPoint AScreen) = 0;
    virtual void UserInput() = 0;

protected:
    ~THintWatcher() = default;
};
void SetHintWatcher(THintWatcher* AWatcher);
