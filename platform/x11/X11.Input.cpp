// X11.Input.cpp: the events of the X server as the Windows messages our windows expect, posted
// on the UI thread's queue. Mouse points of client messages are in window coordinates (the
// window's top level turns them into client ones after its hit test); wheel messages carry
// screen points. Input for a disabled window is dropped, and a press there brings forward the
// window that disabled it (its last active popup), as Windows does for a modal dialog.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>

#include "Win.Display.h"
#include "X11.Display.h"

namespace x11 {

namespace {

// Windows' defaults for a double click: within 500 ms and 4 pixels of the first press.
constexpr Time kDoubleClickTime = 500;
constexpr int kDoubleClickDistance = 4;

struct TKeyRange {
    UINT First, Last;
    KeySym Sym;
};
// Virtual keys and key symbols, both ways. Letters and digits map by the unshifted symbol.
const TKeyRange kKeys[] = {
    {'A', 'Z', XK_a},          {'0', '9', XK_0},           {VK_F1, VK_F1 + 23, XK_F1},
    {VK_NUMPAD0, VK_NUMPAD0 + 9, XK_KP_0},
    {VK_LEFT, VK_LEFT, XK_Left},     {VK_UP, VK_UP, XK_Up},         {VK_RIGHT, VK_RIGHT, XK_Right},
    {VK_DOWN, VK_DOWN, XK_Down},     {VK_PRIOR, VK_PRIOR, XK_Prior}, {VK_NEXT, VK_NEXT, XK_Next},
    {VK_END, VK_END, XK_End},        {VK_HOME, VK_HOME, XK_Home},   {VK_INSERT, VK_INSERT, XK_Insert},
    {VK_DELETE, VK_DELETE, XK_Delete}, {VK_SPACE, VK_SPACE, XK_space}, {VK_RETURN, VK_RETURN, XK_Return},
    {VK_ESCAPE, VK_ESCAPE, XK_Escape}, {VK_TAB, VK_TAB, XK_Tab},    {VK_BACK, VK_BACK, XK_BackSpace},
    {VK_PAUSE, VK_PAUSE, XK_Pause},  {VK_SHIFT, VK_SHIFT, XK_Shift_L}, {VK_CONTROL, VK_CONTROL, XK_Control_L},
    {VK_MENU, VK_MENU, XK_Alt_L},    {VK_CAPITAL, VK_CAPITAL, XK_Caps_Lock}, {VK_LWIN, VK_LWIN, XK_Super_L},
    {VK_APPS, VK_APPS, XK_Menu},     {VK_NUMLOCK, VK_NUMLOCK, XK_Num_Lock},
    {0xBA, 0xBA, XK_semicolon},      {0xBB, 0xBB, XK_equal},        {0xBC, 0xBC, XK_comma},
    {0xBD, 0xBD, XK_minus},          {0xBE, 0xBE, XK_period},       {0xBF, 0xBF, XK_slash},
    {0xC0, 0xC0, XK_grave},          {0xDB, 0xDB, XK_bracketleft},  {0xDC, 0xDC, XK_backslash},
    {0xDD, 0xDD, XK_bracketright},   {0xDE, 0xDE, XK_apostrophe},
};

// Symbols that share a virtual key with one of the table's.
const std::pair<KeySym, UINT> kAliases[] = {
    {XK_Shift_R, VK_SHIFT},   {XK_Control_R, VK_CONTROL}, {XK_Alt_R, VK_MENU},     {XK_Meta_L, VK_MENU},
    {XK_ISO_Level3_Shift, VK_MENU}, {XK_Super_R, VK_LWIN}, {XK_KP_Enter, VK_RETURN}, {XK_ISO_Left_Tab, VK_TAB},
    {XK_KP_Left, VK_LEFT},    {XK_KP_Up, VK_UP},          {XK_KP_Right, VK_RIGHT}, {XK_KP_Down, VK_DOWN},
    {XK_KP_Home, VK_HOME},    {XK_KP_End, VK_END},        {XK_KP_Prior, VK_PRIOR}, {XK_KP_Next, VK_NEXT},
    {XK_KP_Insert, VK_INSERT}, {XK_KP_Delete, VK_DELETE},
};

WPARAM MouseKeys(unsigned int AState)
{
    return ((AState & Button1Mask) ? MK_LBUTTON : 0) | ((AState & Button3Mask) ? MK_RBUTTON : 0)
           | ((AState & Button2Mask) ? MK_MBUTTON : 0) | ((AState & ShiftMask) ? MK_SHIFT : 0)
           | ((AState & ControlMask) ? MK_CONTROL : 0);
}

unsigned int ButtonMask(unsigned int AButton)
{
    return AButton == Button1 ? Button1Mask : AButton == Button2 ? Button2Mask : AButton == Button3 ? Button3Mask : 0;
}

// The character of a key symbol when no input method is there to tell: Latin-1 symbols are
// their code points, and Unicode symbols carry theirs above 0x01000000.
char32_t SymCharacter(KeySym ASym)
{
    if ((ASym >= 0x20 && ASym <= 0x7E) || (ASym >= 0xA0 && ASym <= 0xFF))
        return static_cast<char32_t>(ASym);
    if ((ASym & 0xFF000000) == 0x01000000)
        return static_cast<char32_t>(ASym & 0x00FFFFFF);
    if (ASym >= XK_KP_0 && ASym <= XK_KP_9)
        return U'0' + static_cast<char32_t>(ASym - XK_KP_0);
    switch (ASym) {
    case XK_Return: case XK_KP_Enter: return U'\r';
    case XK_Tab: case XK_ISO_Left_Tab: return U'\t';
    case XK_BackSpace: return U'\b';
    case XK_Escape: return U'\x1B';
    default: return 0;
    }
}

// The code points of UTF-8 text; a broken sequence ends it.
std::vector<char32_t> CodePoints(const char* AText, int ALength)
{
    std::vector<char32_t> Result;
    for (int I = 0; I < ALength;) {
        auto Byte = static_cast<unsigned char>(AText[I]);
        int Count = Byte < 0x80 ? 1 : (Byte >> 5) == 6 ? 2 : (Byte >> 4) == 14 ? 3 : (Byte >> 3) == 30 ? 4 : 0;
        if (Count == 0 || I + Count > ALength)
            break;
        char32_t Code = Count == 1 ? Byte : Byte & (0x7F >> Count);
        for (int K = 1; K < Count; ++K)
            Code = (Code << 6) | (static_cast<unsigned char>(AText[I + K]) & 0x3F);
        Result.push_back(Code);
        I += Count;
    }
    return Result;
}

}  // namespace

UINT VirtualKeyOfSym(KeySym ASym)
{
    if (ASym >= XK_A && ASym <= XK_Z)
        ASym += XK_a - XK_A;
    for (const TKeyRange& R : kKeys)
        if (ASym >= R.Sym && ASym <= R.Sym + (R.Last - R.First))
            return R.First + static_cast<UINT>(ASym - R.Sym);
    for (const auto& [Sym, Key] : kAliases)
        if (Sym == ASym)
            return Key;
    return 0;
}

KeySym SymOfVirtualKey(UINT AKey)
{
    for (const TKeyRange& R : kKeys)
        if (AKey >= R.First && AKey <= R.Last)
            return R.Sym + (AKey - R.First);
    return NoSymbol;
}

bool TX11Display::Buffered()
{
    return XEventsQueued(FDisplay, QueuedAfterFlush) > 0;
}

void TX11Display::Dispatch()
{
    while (XPending(FDisplay) > 0) {
        XEvent Event;
        XNextEvent(FDisplay, &Event);
        // The input method may take the event (a compose sequence, a preedit).
        if (XFilterEvent(&Event, None))
            continue;
        HandleEvent(Event);
    }
}

void TX11Display::HandleEvent(XEvent& AEvent)
{
    if (FRandrVersion > 0 && AEvent.type == FRandrEventBase + RRScreenChangeNotify) {
        XRRUpdateConfiguration(&AEvent);
        HandleRootChange();
        return;
    }
    if (AEvent.xany.window == FRoot) {
        if (AEvent.type == PropertyNotify || AEvent.type == ConfigureNotify)
            HandleRootChange();
        return;
    }
    if (AEvent.type == SelectionRequest) {
        HandleSelectionRequest(AEvent.xselectionrequest);
        return;
    }
    if (AEvent.type == SelectionClear) {
        if (AEvent.xselectionclear.selection == Intern("CLIPBOARD"))
            FClipboard.clear();
        return;
    }
    HWND Wnd = OwnHandle(AEvent.xany.window);
    TOwnWindow* Window = Own(Wnd);
    if (Window == nullptr)
        return;
    switch (AEvent.type) {
    case Expose:
        if (Window->Image != nullptr)
            PutImage(*Window, Rect(AEvent.xexpose.x, AEvent.xexpose.y, AEvent.xexpose.x + AEvent.xexpose.width,
                                   AEvent.xexpose.y + AEvent.xexpose.height));
        else
            PostMessageW(Wnd, WM_PAINT, 0, 0);
        break;
    case ConfigureNotify:
        HandleConfigure(Wnd, AEvent.xconfigure);
        break;
    case ClientMessage:
        HandleClientMessage(Wnd, AEvent.xclient);
        break;
    case PropertyNotify:
        if (AEvent.xproperty.atom == Intern("_NET_WM_STATE"))
            HandleNetState(Wnd, *Window);
        break;
    case FocusIn:
    case FocusOut: {
        const XFocusChangeEvent& Focus = AEvent.xfocus;
        if (Focus.mode == NotifyGrab || Focus.mode == NotifyUngrab || Focus.detail == NotifyInferior
            || Focus.detail == NotifyPointer)
            break;
        bool In = AEvent.type == FocusIn;
        if (In == (FFocused == Wnd))
            break;
        if (In && FFocused != nullptr)
            ScreenActivatedWindow(std::exchange(FFocused, nullptr), false);
        FFocused = In ? Wnd : nullptr;
        ScreenActivatedWindow(Wnd, In);
        break;
    }
    case LeaveNotify:
        if (AEvent.xcrossing.mode == NotifyNormal && FDrag.Wnd == nullptr)
            PostMessageW(Wnd, WM_MOUSELEAVE, 0, 0);
        break;
    case ButtonPress:
    case ButtonRelease:
        HandleButton(Wnd, AEvent.xbutton);
        break;
    case MotionNotify:
        HandleMotion(Wnd, AEvent.xmotion);
        break;
    case KeyPress:
    case KeyRelease:
        HandleKey(Wnd, *Window, AEvent.xkey);
        break;
    default:
        break;
    }
}

void TX11Display::HandleButton(HWND AWnd, XButtonEvent& AEvent)
{
    if (FDrag.Wnd != nullptr) {
        if (AEvent.type == ButtonRelease)
            EndDrag();
        return;
    }
    if (!IsWindowEnabled(AWnd)) {
        if (AEvent.type == ButtonPress) {
            HWND Popup = GetLastActivePopup(AWnd);
            if (Popup != AWnd && IsWindowEnabled(Popup))
                SetForegroundWindow(Popup);
        }
        return;
    }
    bool Press = AEvent.type == ButtonPress;
    if (AEvent.button >= 4 && AEvent.button <= 7) {
        if (!Press)
            return;
        int Delta = (AEvent.button == 4 || AEvent.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
        UINT Msg = AEvent.button <= 5 ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
        WPARAM WParam = MouseKeys(AEvent.state) | (WPARAM(uint16_t(int16_t(Delta))) << 16);
        PostMessageW(AWnd, Msg, WParam, MakeMouseLParam(AEvent.x_root, AEvent.y_root));
        return;
    }
    UINT Down = AEvent.button == Button1 ? WM_LBUTTONDOWN : AEvent.button == Button3 ? WM_RBUTTONDOWN
                : AEvent.button == Button2 ? WM_MBUTTONDOWN : 0;
    if (Down == 0)
        return;
    WPARAM Keys = MouseKeys(Press ? AEvent.state | ButtonMask(AEvent.button) : AEvent.state & ~ButtonMask(AEvent.button));
    UINT Msg = Press ? Down : Down + 1;
    if (Press) {
        const TLastPress& Last = FLastPress;
        bool Double = !Last.Doubled && Last.Id == AEvent.window && Last.Button == AEvent.button
                      && AEvent.time - Last.When <= kDoubleClickTime && std::abs(AEvent.x - Last.X) <= kDoubleClickDistance
                      && std::abs(AEvent.y - Last.Y) <= kDoubleClickDistance;
        FLastPress = TLastPress{AEvent.window, AEvent.button, AEvent.time, AEvent.x, AEvent.y, Double};
        if (Double)
            Msg = Down + 2;
        // Without a window manager nobody gives a clicked window the focus.
        TOwnWindow* Window = Own(AWnd);
        if (FFocused != AWnd && Window != nullptr && !Window->OverrideRedirect
            && !(Window->State.ExStyle & WS_EX_NOACTIVATE) && LongProperty(FRoot, "_NET_SUPPORTED", XA_ATOM).empty())
            XSetInputFocus(FDisplay, Window->Id, RevertToParent, AEvent.time);
    }
    PostMessageW(AWnd, Msg, Keys, MakeMouseLParam(AEvent.x, AEvent.y));
}

void TX11Display::HandleMotion(HWND AWnd, XMotionEvent& AEvent)
{
    // Only the latest of a run of moves counts.
    XEvent Next;
    while (XCheckTypedWindowEvent(FDisplay, AEvent.window, MotionNotify, &Next))
        AEvent = Next.xmotion;
    if (FDrag.Wnd != nullptr) {
        Drag(AEvent);
        return;
    }
    if (IsWindowEnabled(AWnd))
        PostMessageW(AWnd, WM_MOUSEMOVE, MouseKeys(AEvent.state), MakeMouseLParam(AEvent.x, AEvent.y));
}

XIC TX11Display::InputContextFor(Window AWindow)
{
    if (FInputMethod == nullptr)
        return nullptr;
    return XCreateIC(FInputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, AWindow,
                     XNFocusWindow, AWindow, nullptr);
}

// WM_KEYDOWN (WM_SYSKEYDOWN with Alt) with the key of the unshifted symbol, then WM_CHAR (or
// WM_SYSCHAR) for each character the keyboard layout and the input method make of the press.
void TX11Display::HandleKey(HWND AWnd, TOwnWindow& AWindow, XKeyEvent& AEvent)
{
    bool Press = AEvent.type == KeyPress;
    KeySym Base = XLookupKeysym(&AEvent, 0);
    UINT Key = VirtualKeyOfSym(Base);
    bool WasDown = Key != 0 && FKeysDown[Key];
    if (Key != 0)
        FKeysDown[Key] = Press;
    if (!IsWindowEnabled(AWnd))
        return;
    bool Alt = (AEvent.state & Mod1Mask) != 0 && Key != VK_MENU ? true : Key == VK_MENU && Press;
    LPARAM LParam = 1 | (LPARAM((AEvent.keycode - 8) & 0xFF) << 16) | (Alt ? LPARAM(1) << 29 : 0)
                    | ((WasDown || !Press) ? LPARAM(1) << 30 : 0) | (!Press ? LPARAM(1) << 31 : 0);
    bool Sys = (AEvent.state & Mod1Mask) != 0 || Key == VK_MENU;
    if (Key != 0)
        PostMessageW(AWnd, Press ? (Sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (Sys ? WM_SYSKEYUP : WM_KEYUP), Key, LParam);
    if (!Press)
        return;
    std::vector<char32_t> Characters;
    if (AWindow.InputContext == nullptr)
        AWindow.InputContext = InputContextFor(AWindow.Id);
    if (AWindow.InputContext != nullptr) {
        char Buffer[64];
        KeySym Sym = NoSymbol;
        Status Result = 0;
        int Length = Xutf8LookupString(AWindow.InputContext, &AEvent, Buffer, sizeof Buffer, &Sym, &Result);
        if (Result == XLookupChars || Result == XLookupBoth)
            Characters = CodePoints(Buffer, Length);
        else if (Result == XLookupKeySym)
            Characters.push_back(SymCharacter(Sym));
    } else {
        KeySym Sym = NoSymbol;
        char Ignored[8];
        XLookupString(&AEvent, Ignored, sizeof Ignored, &Sym, nullptr);
        Characters.push_back(SymCharacter(Sym));
    }
    // Ctrl with a letter gives the control character, as Windows' layouts do.
    if ((AEvent.state & ControlMask) && Key >= 'A' && Key <= 'Z')
        Characters = {static_cast<char32_t>(Key - 'A' + 1)};
    for (char32_t C : Characters)
        if (C != 0 && C != 0x7F)
            PostMessageW(AWnd, Sys ? WM_SYSCHAR : WM_CHAR, C, LParam);
}

void TX11Display::HandleConfigure(HWND AWnd, const XConfigureEvent& AEvent)
{
    int X = AEvent.x, Y = AEvent.y;
    // A real event under a manager's frame is relative to the frame; a synthetic one (the
    // manager's own) and one of an unframed window are on the root.
    if (!AEvent.send_event) {
        Window Child;
        XTranslateCoordinates(FDisplay, AEvent.window, FRoot, 0, 0, &X, &Y, &Child);
    }
    TRect Bounds = Rect(X, Y, X + AEvent.width, Y + AEvent.height);
    if (TOwnWindow* Window = Own(AWnd))
        Window->State.Bounds = Bounds;
    ScreenMovedWindow(AWnd, Bounds);
}

void TX11Display::HandleClientMessage(HWND AWnd, const XClientMessageEvent& AEvent)
{
    if (AEvent.message_type != Intern("WM_PROTOCOLS") || AEvent.format != 32)
        return;
    auto Protocol = static_cast<Atom>(AEvent.data.l[0]);
    if (Protocol == Intern("WM_DELETE_WINDOW")) {
        if (IsWindowEnabled(AWnd))
            PostMessageW(AWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (Protocol == Intern("_NET_WM_PING")) {
        XEvent Reply{};
        Reply.xclient = AEvent;
        Reply.xclient.window = FRoot;
        XSendEvent(FDisplay, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask, &Reply);
        XFlush(FDisplay);
    }
}

// The manager minimised, maximised or restored the window.
void TX11Display::HandleNetState(HWND AWnd, TOwnWindow& AWindow)
{
    std::vector<unsigned long> Atoms = LongProperty(AWindow.Id, "_NET_WM_STATE", XA_ATOM);
    auto Has = [&](const char* AName) { return std::find(Atoms.begin(), Atoms.end(), Intern(AName)) != Atoms.end(); };
    bool Iconic = Has("_NET_WM_STATE_HIDDEN");
    bool Maximized = Has("_NET_WM_STATE_MAXIMIZED_VERT") && Has("_NET_WM_STATE_MAXIMIZED_HORZ");
    if (Iconic == AWindow.State.Iconic && Maximized == AWindow.State.Maximized)
        return;
    AWindow.State.Iconic = Iconic;
    AWindow.State.Maximized = Maximized;
    ScreenChangedWindowState(AWnd, Iconic, Maximized);
}

// Monitors, work area or DPI changed: our windows hear it as on Windows.
void TX11Display::HandleRootChange()
{
    TXDpi Dpi = LogicalDpi();
    std::vector<TXMonitor> Monitors = this->Monitors();
    bool DpiChanged = Dpi != FLastDpi, MonitorsChanged = Monitors != FLastMonitors;
    FLastDpi = Dpi;
    FLastMonitors = Monitors;
    if (!DpiChanged && !MonitorsChanged)
        return;
    for (const auto& [Wnd, Window] : FOwn) {
        if (DpiChanged)
            PostMessageW(Wnd, WM_DPICHANGED, WPARAM(Dpi.X) | (WPARAM(Dpi.Y) << 16), 0);
        if (MonitorsChanged)
            PostMessageW(Wnd, WM_DISPLAYCHANGE, 32, 0);
    }
}

}  // namespace x11
