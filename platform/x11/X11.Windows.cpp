// X11.Windows.cpp: our top-level windows on the X server: their attributes from the Windows
// styles, their pixels (through shared memory when the server is local) and shapes, icons and
// pointers, and drags by the mouse.
//
// A window's pixels are kept in an image of the server's default visual, which for the 24-
// and 32-bit visuals of today's servers has the byte order of our surfaces (B, G, R, X), so a
// row is copied as it is.
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "Win.Display.h"
#include "X11.Display.h"

namespace x11 {

namespace {

// The _MOTIF_WM_HINTS that window managers read for decorations: flags, functions,
// decorations, input mode, status.
constexpr unsigned long kMotifDecorationsFlag = 2;

bool HasCaption(const TXWindowState& AState)
{
    return (AState.Style & WS_CAPTION) == WS_CAPTION;
}

// Menus, drop-downs and hints (borderless popups that stay on top, are tool windows or take no
// focus): no manager frames, moves or focuses them.
bool IsUnmanagedPopup(const TXWindowState& AState)
{
    return (AState.Style & WS_POPUP) && !HasCaption(AState)
           && (AState.ExStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) != 0;
}

// Windows' rule: a window with WS_EX_APPWINDOW has a task bar button, and so has one without
// an owner that is no tool window. An owner that is not shown (the application's window)
// counts as none.
bool OnTaskBar(const TXWindowState& AState)
{
    if (AState.ExStyle & WS_EX_APPWINDOW)
        return true;
    return !AState.ShowOwner && !(AState.ExStyle & WS_EX_TOOLWINDOW);
}

struct TShape {
    const char* Name;
    unsigned int FontCursor;   // the core font's cursor when the theme has none
};
const TShape kShapes[] = {
    {"default", XC_left_ptr},        {"text", XC_xterm},           {"crosshair", XC_crosshair},
    {"pointer", XC_hand2},           {"wait", XC_watch},           {"progress", XC_watch},
    {"help", XC_question_arrow},     {"not-allowed", XC_circle},   {"move", XC_fleur},
    {"ew-resize", XC_sb_h_double_arrow}, {"ns-resize", XC_sb_v_double_arrow},
    {"nwse-resize", XC_bottom_right_corner}, {"nesw-resize", XC_bottom_left_corner},
    {"col-resize", XC_sb_h_double_arrow}, {"row-resize", XC_sb_v_double_arrow},
    {"up-arrow", XC_sb_up_arrow},    {"grabbing", XC_fleur},       {"copy", XC_plus},
};

}  // namespace

TOwnWindow* TX11Display::Own(HWND AWnd)
{
    auto Found = FOwn.find(AWnd);
    return Found != FOwn.end() ? &Found->second : nullptr;
}

HWND TX11Display::OwnHandle(Window AWindow) const
{
    auto Found = FByX.find(AWindow);
    return Found != FByX.end() ? Found->second : nullptr;
}

void TX11Display::WindowCreated(HWND AWnd, const TXWindowState& AState)
{
    const TRect& B = AState.Bounds;
    XSetWindowAttributes Attributes{};
    Attributes.background_pixmap = None;   // our pixels come with the first paint; no flash of grey
    Attributes.bit_gravity = NorthWestGravity;
    Attributes.event_mask = ExposureMask | StructureNotifyMask | FocusChangeMask | EnterWindowMask | LeaveWindowMask
                            | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | KeyReleaseMask
                            | PropertyChangeMask;
    Window W = XCreateWindow(FDisplay, FRoot, B.Left, B.Top, std::max(1, B.Width()), std::max(1, B.Height()), 0,
                             CopyFromParent, InputOutput, CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask,
                             &Attributes);
    String ClassName = AState.ClassName;
    XClassHint Hint{ClassName.data(), ClassName.data()};
    XSetClassHint(FDisplay, W, &Hint);
    Atom Protocols[] = {Intern("WM_DELETE_WINDOW"), Intern("_NET_WM_PING")};
    XSetWMProtocols(FDisplay, W, Protocols, 2);
    long Pid = getpid();
    XChangeProperty(FDisplay, W, Intern("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&Pid), 1);
    TOwnWindow& Window = FOwn[AWnd];
    Window.Id = W;
    FByX[W] = AWnd;
    WindowChanged(AWnd, AState);
}

void TX11Display::WindowChanged(HWND AWnd, const TXWindowState& AState)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr)
        return;
    if (!Window->Created || Window->State.Caption != AState.Caption)
        SetCaption(Window->Id, AState.Caption);
    ApplyAttributes(*Window, AState);
    ApplyPlacement(*Window, AState);
    ApplyVisibility(*Window, AState);
    Window->State = AState;
    Window->Created = true;
    XSync(FDisplay, False);
}

// What the manager reads before it maps the window: frame, focus, transient owner, task bar,
// stay-on-top, opacity.
void TX11Display::ApplyAttributes(TOwnWindow& AWindow, const TXWindowState& AState)
{
    Window W = AWindow.Id;
    bool Unmanaged = IsUnmanagedPopup(AState);
    if (Unmanaged != AWindow.OverrideRedirect) {
        // The flag counts only at mapping, so a shown window goes round once.
        bool Mapped = AWindow.Created && AWindow.State.Visible && !AWindow.State.Iconic;
        if (Mapped)
            XUnmapWindow(FDisplay, W);
        XSetWindowAttributes Attributes{};
        Attributes.override_redirect = Unmanaged;
        XChangeWindowAttributes(FDisplay, W, CWOverrideRedirect, &Attributes);
        AWindow.OverrideRedirect = Unmanaged;
        if (Mapped)
            AWindow.State.Visible = false;   // ApplyVisibility maps it again
    }
    XWMHints Hints{};
    Hints.flags = InputHint;
    Hints.input = !(AState.ExStyle & WS_EX_NOACTIVATE);
    XSetWMHints(FDisplay, W, &Hints);

    unsigned long Motif[5] = {kMotifDecorationsFlag, 0, HasCaption(AState) ? 1ul : 0ul, 0, 0};
    XChangeProperty(FDisplay, W, Intern("_MOTIF_WM_HINTS"), Intern("_MOTIF_WM_HINTS"), 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(Motif), 5);

    TOwnWindow* Owner = AState.ShowOwner ? Own(AState.Owner) : nullptr;
    if (Owner != nullptr)
        XSetTransientForHint(FDisplay, W, Owner->Id);
    else
        XDeleteProperty(FDisplay, W, XA_WM_TRANSIENT_FOR);
    const char* Type = Unmanaged                              ? "_NET_WM_WINDOW_TYPE_POPUP_MENU"
                       : (AState.ExStyle & WS_EX_TOOLWINDOW) ? "_NET_WM_WINDOW_TYPE_UTILITY"
                       : Owner != nullptr                     ? "_NET_WM_WINDOW_TYPE_DIALOG"
                                                              : "_NET_WM_WINDOW_TYPE_NORMAL";
    Atom TypeAtom = Intern(Type);
    XChangeProperty(FDisplay, W, Intern("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&TypeAtom), 1);

    if (AState.Alpha < 255) {
        unsigned long Opacity = static_cast<unsigned long>(AState.Alpha) * 0x01010101ul;
        XChangeProperty(FDisplay, W, Intern("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&Opacity), 1);
    } else {
        XDeleteProperty(FDisplay, W, Intern("_NET_WM_WINDOW_OPACITY"));
    }
    ApplyNetState(AWindow, AState);
}

// _NET_WM_STATE: the property for an unmapped window, the manager's client messages for a
// mapped one (which the manager then writes back).
void TX11Display::ApplyNetState(TOwnWindow& AWindow, const TXWindowState& AState)
{
    struct TFlag {
        const char* Atom;
        bool Wanted;
        bool Had;
    };
    const TXWindowState& Old = AWindow.State;
    const TFlag kFlags[] = {
        {"_NET_WM_STATE_ABOVE", (AState.ExStyle & WS_EX_TOPMOST) != 0, (Old.ExStyle & WS_EX_TOPMOST) != 0},
        {"_NET_WM_STATE_SKIP_TASKBAR", !OnTaskBar(AState), !OnTaskBar(Old)},
        {"_NET_WM_STATE_MAXIMIZED_VERT", AState.Maximized, Old.Maximized},
        {"_NET_WM_STATE_MAXIMIZED_HORZ", AState.Maximized, Old.Maximized},
    };
    bool Mapped = AWindow.Created && Old.Visible && !Old.Iconic;
    if (!Mapped) {
        std::vector<Atom> Atoms;
        for (const TFlag& F : kFlags)
            if (F.Wanted)
                Atoms.push_back(Intern(F.Atom));
        XChangeProperty(FDisplay, AWindow.Id, Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(Atoms.data()), static_cast<int>(Atoms.size()));
        return;
    }
    for (const TFlag& F : kFlags) {
        if (F.Wanted == F.Had && AWindow.Created)
            continue;
        XEvent Event{};
        Event.xclient.type = ClientMessage;
        Event.xclient.window = AWindow.Id;
        Event.xclient.message_type = Intern("_NET_WM_STATE");
        Event.xclient.format = 32;
        Event.xclient.data.l[0] = F.Wanted ? 1 : 0;   // add or remove
        Event.xclient.data.l[1] = static_cast<long>(Intern(F.Atom));
        Event.xclient.data.l[3] = 1;   // from an application
        XSendEvent(FDisplay, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask, &Event);
    }
}

void TX11Display::ApplyPlacement(TOwnWindow& AWindow, const TXWindowState& AState)
{
    const TRect& B = AState.Bounds;
    if (AWindow.Created && AWindow.State.Bounds == B)
        return;
    // The position is the program's own choice, which managers honour for these flags.
    XSizeHints Hints{};
    Hints.flags = USPosition | USSize;
    Hints.x = B.Left;
    Hints.y = B.Top;
    Hints.width = std::max(1, B.Width());
    Hints.height = std::max(1, B.Height());
    XSetWMNormalHints(FDisplay, AWindow.Id, &Hints);
    XMoveResizeWindow(FDisplay, AWindow.Id, B.Left, B.Top, Hints.width, Hints.height);
}

void TX11Display::ApplyVisibility(TOwnWindow& AWindow, const TXWindowState& AState)
{
    const TXWindowState& Old = AWindow.State;
    bool WasShown = AWindow.Created && Old.Visible;
    if (!AState.Visible) {
        if (WasShown)
            XWithdrawWindow(FDisplay, AWindow.Id, DefaultScreen(FDisplay));
    } else if (AState.Iconic) {
        if (!WasShown || !Old.Iconic)
            XIconifyWindow(FDisplay, AWindow.Id, DefaultScreen(FDisplay));
    } else if (!WasShown || Old.Iconic) {
        XMapRaised(FDisplay, AWindow.Id);
    }
}

void TX11Display::WindowDestroyed(HWND AWnd)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr)
        return;
    FreeImage(*Window);
    if (Window->InputContext != nullptr)
        XDestroyIC(Window->InputContext);
    XDestroyWindow(FDisplay, Window->Id);
    FByX.erase(Window->Id);
    FOwn.erase(AWnd);
    if (FFocused == AWnd)
        FFocused = nullptr;
    if (FCaptured == AWnd)
        FCaptured = nullptr;
    if (FDrag.Wnd == AWnd)
        EndDrag();
    // Waits for the server, so that other programs find the window gone from now on.
    XSync(FDisplay, False);
}

// ---- Pixels ------------------------------------------------------------------------------

bool TX11Display::EnsureImage(TOwnWindow& AWindow, int AWidth, int AHeight)
{
    if (AWindow.Image != nullptr && AWindow.Image->width == AWidth && AWindow.Image->height == AHeight)
        return true;
    FreeImage(AWindow);
    int Screen = DefaultScreen(FDisplay);
    Visual* Visual = DefaultVisual(FDisplay, Screen);
    int Depth = DefaultDepth(FDisplay, Screen);
    if (FShmAvailable) {
        XImage* Image = XShmCreateImage(FDisplay, Visual, Depth, ZPixmap, nullptr, &AWindow.Shm, AWidth, AHeight);
        if (Image != nullptr) {
            AWindow.Shm.shmid = shmget(IPC_PRIVATE, size_t(Image->bytes_per_line) * AHeight, IPC_CREAT | 0600);
            void* Memory = AWindow.Shm.shmid >= 0 ? shmat(AWindow.Shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
            if (Memory != reinterpret_cast<void*>(-1)) {
                Image->data = AWindow.Shm.shmaddr = static_cast<char*>(Memory);
                AWindow.Shm.readOnly = True;
                // A server on another machine refuses the segment: then the pixels go by the wire.
                BeginErrorTrap();
                XShmAttach(FDisplay, &AWindow.Shm);
                bool Refused = EndErrorTrap(FDisplay);
                shmctl(AWindow.Shm.shmid, IPC_RMID, nullptr);   // gone once both sides detach
                if (!Refused) {
                    AWindow.Image = Image;
                    AWindow.UsesShm = true;
                    return true;
                }
                shmdt(Memory);
                FShmAvailable = false;
            } else if (AWindow.Shm.shmid >= 0) {
                shmctl(AWindow.Shm.shmid, IPC_RMID, nullptr);
            }
            Image->data = nullptr;
            XDestroyImage(Image);
        }
    }
    XImage* Image = XCreateImage(FDisplay, Visual, Depth, ZPixmap, 0, nullptr, AWidth, AHeight, 32, 0);
    if (Image == nullptr)
        return false;
    Image->data = static_cast<char*>(std::calloc(size_t(Image->bytes_per_line) * AHeight, 1));
    AWindow.Image = Image;
    AWindow.UsesShm = false;
    return true;
}

void TX11Display::FreeImage(TOwnWindow& AWindow)
{
    if (AWindow.Image == nullptr)
        return;
    if (AWindow.UsesShm) {
        XShmDetach(FDisplay, &AWindow.Shm);
        XSync(FDisplay, False);
        shmdt(AWindow.Shm.shmaddr);
        AWindow.Image->data = nullptr;
    }
    XDestroyImage(AWindow.Image);   // frees the data of an image of our own memory
    AWindow.Image = nullptr;
    AWindow.UsesShm = false;
}

void TX11Display::PutImage(TOwnWindow& AWindow, const TRect& ARect)
{
    XImage* Image = AWindow.Image;
    int Left = std::max(ARect.Left, 0), Top = std::max(ARect.Top, 0);
    int Right = std::min(ARect.Right, Image->width), Bottom = std::min(ARect.Bottom, Image->height);
    if (Right <= Left || Bottom <= Top)
        return;
    if (AWindow.UsesShm) {
        XShmPutImage(FDisplay, AWindow.Id, FGC, Image, Left, Top, Left, Top, Right - Left, Bottom - Top, False);
        // The next paint writes the segment, which the server must have read by then.
        XSync(FDisplay, False);
    } else {
        XPutImage(FDisplay, AWindow.Id, FGC, Image, Left, Top, Left, Top, Right - Left, Bottom - Top);
        XFlush(FDisplay);
    }
}

void TX11Display::WindowPainted(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr || ASurface.Width <= 0 || ASurface.Height <= 0
        || !EnsureImage(*Window, ASurface.Width, ASurface.Height))
        return;
    XImage* Image = Window->Image;
    int Left = std::max(ADirty.Left, 0), Right = std::min(ADirty.Right, ASurface.Width);
    int Top = std::max(ADirty.Top, 0), Bottom = std::min(ADirty.Bottom, ASurface.Height);
    bool SameLayout = Image->bits_per_pixel == 32 && Image->byte_order == LSBFirst && Image->red_mask == 0xFF0000
                      && Image->green_mask == 0xFF00 && Image->blue_mask == 0xFF;
    for (int Y = Top; Y < Bottom; ++Y) {
        const uint8_t* Source = ASurface.Bits + size_t(Y) * ASurface.Stride;
        if (SameLayout) {
            std::memcpy(Image->data + size_t(Y) * Image->bytes_per_line + size_t(Left) * 4, Source + size_t(Left) * 4,
                        size_t(Right - Left) * 4);
            continue;
        }
        for (int X = Left; X < Right; ++X) {
            const uint8_t* P = Source + size_t(X) * 4;
            auto Channel = [](uint8_t AValue, unsigned long AMask) {
                unsigned long Shifted = (static_cast<unsigned long>(AValue) * AMask / 255) & AMask;
                return Shifted;
            };
            XPutPixel(Image, X, Y, Channel(P[2], Image->red_mask) | Channel(P[1], Image->green_mask)
                                       | Channel(P[0], Image->blue_mask));
        }
    }
    PutImage(*Window, Rect(Left, Top, Right, Bottom));
}

// ---- Shape, icons, pointers ----------------------------------------------------------------

void TX11Display::SetWindowShape(HWND AWnd, bool AShaped, const std::vector<TRect>& ARects)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr || !FShapeAvailable)
        return;
    if (!AShaped) {
        XShapeCombineMask(FDisplay, Window->Id, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> Rects;
        for (const TRect& R : ARects)
            Rects.push_back(XRectangle{static_cast<short>(R.Left), static_cast<short>(R.Top),
                                       static_cast<unsigned short>(R.Width()), static_cast<unsigned short>(R.Height())});
        // The rectangles come sorted in bands, as the server can take them fastest.
        XShapeCombineRectangles(FDisplay, Window->Id, ShapeBounding, 0, 0, Rects.data(), static_cast<int>(Rects.size()),
                                ShapeSet, YXBanded);
    }
    XSync(FDisplay, False);   // other programs see the shape from now on
}

// _NET_WM_ICON: for each size its width, height and the pixels as ARGB cardinals, which is
// what our B,G,R,A bytes read as on this little-endian machine.
void TX11Display::SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr)
        return;
    std::vector<unsigned long> Data;
    for (const TXIconImage& Icon : AIcons) {
        if (Icon.Width <= 0 || Icon.Height <= 0 || Icon.Pixels.size() != size_t(Icon.Width) * Icon.Height)
            continue;
        Data.push_back(static_cast<unsigned long>(Icon.Width));
        Data.push_back(static_cast<unsigned long>(Icon.Height));
        Data.insert(Data.end(), Icon.Pixels.begin(), Icon.Pixels.end());
    }
    if (Data.empty())
        XDeleteProperty(FDisplay, Window->Id, Intern("_NET_WM_ICON"));
    else
        XChangeProperty(FDisplay, Window->Id, Intern("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(Data.data()), static_cast<int>(Data.size()));
    XFlush(FDisplay);
}

namespace {

// Xcursor takes premultiplied ARGB.
Cursor CreateImageCursor(Display* ADisplay, const TXCursorImage& AImage)
{
    if (AImage.Width <= 0 || AImage.Height <= 0 || AImage.Pixels.size() != size_t(AImage.Width) * AImage.Height)
        return 0;
    XcursorImage* Image = XcursorImageCreate(AImage.Width, AImage.Height);
    if (Image == nullptr)
        return 0;
    Image->xhot = static_cast<XcursorDim>(std::clamp(AImage.HotSpot.X, 0, AImage.Width - 1));
    Image->yhot = static_cast<XcursorDim>(std::clamp(AImage.HotSpot.Y, 0, AImage.Height - 1));
    for (size_t I = 0; I < AImage.Pixels.size(); ++I) {
        uint32_t P = AImage.Pixels[I], A = P >> 24;
        auto Scale = [&](int AShift) { return ((P >> AShift & 0xFF) * A + 127) / 255 << AShift; };
        Image->pixels[I] = A << 24 | Scale(16) | Scale(8) | Scale(0);
    }
    Cursor Made = XcursorImageLoadCursor(ADisplay, Image);
    XcursorImageDestroy(Image);
    return Made;
}

}  // namespace

Cursor TX11Display::LoadCursor(const String& AShape, const TXCursorImage* AImage)
{
    auto Cached = FCursors.find(AShape);
    if (Cached != FCursors.end())
        return Cached->second;
    Cursor Loaded = AImage != nullptr ? CreateImageCursor(FDisplay, *AImage) : 0;
    if (Loaded == 0)
        Loaded = XcursorLibraryLoadCursor(FDisplay, AShape.c_str());
    if (Loaded == 0) {
        auto Shape = std::find_if(std::begin(kShapes), std::end(kShapes),
                                  [&](const TShape& S) { return AShape == S.Name; });
        Loaded = XCreateFontCursor(FDisplay, Shape != std::end(kShapes) ? Shape->FontCursor : XC_left_ptr);
    }
    FCursors[AShape] = Loaded;
    return Loaded;
}

void TX11Display::SetWindowCursor(HWND AWnd, const String& AShape, const TXCursorImage* AImage)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr)
        return;
    Cursor Pointer = LoadCursor(AShape.empty() ? String("default") : AShape, AImage);
    if (Pointer == Window->Pointer)
        return;
    Window->Pointer = Pointer;
    XDefineCursor(FDisplay, Window->Id, Pointer);
    XFlush(FDisplay);
}

// ---- Mouse -------------------------------------------------------------------------------

void TX11Display::SetCapture(HWND AWnd)
{
    TOwnWindow* Window = AWnd != nullptr ? Own(AWnd) : nullptr;
    if (Window != nullptr) {
        XGrabPointer(FDisplay, Window->Id, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
        FCaptured = AWnd;
    } else if (FCaptured != nullptr) {
        XUngrabPointer(FDisplay, CurrentTime);
        FCaptured = nullptr;
    }
    XFlush(FDisplay);
}

TPoint TX11Display::CursorPos()
{
    Window RootReturn, Child;
    int X = 0, Y = 0, WX, WY;
    unsigned int Mask;
    XQueryPointer(FDisplay, FRoot, &RootReturn, &Child, &X, &Y, &WX, &WY, &Mask);
    return Point(X, Y);
}

// _NET_WM_MOVERESIZE's directions, in its order, by hit code.
void TX11Display::BeginMoveResize(HWND AWnd, int AHitCode, TPoint AAt)
{
    TOwnWindow* Window = Own(AWnd);
    if (Window == nullptr)
        return;
    struct TDirection {
        int HitCode;
        long Direction;
    };
    static constexpr TDirection kDirections[] = {
        {HTTOPLEFT, 0}, {HTTOP, 1},        {HTTOPRIGHT, 2},   {HTRIGHT, 3}, {HTBOTTOMRIGHT, 4},
        {HTBOTTOM, 5},  {HTBOTTOMLEFT, 6}, {HTLEFT, 7},       {HTCAPTION, 8},
    };
    auto Found = std::find_if(std::begin(kDirections), std::end(kDirections),
                              [&](const TDirection& D) { return D.HitCode == AHitCode; });
    if (Found == std::end(kDirections))
        return;
    if (!Window->OverrideRedirect && ManagerSupports("_NET_WM_MOVERESIZE")) {
        // The manager takes the pointer over, so our implicit grab of the press must end.
        XUngrabPointer(FDisplay, CurrentTime);
        XEvent Event{};
        Event.xclient.type = ClientMessage;
        Event.xclient.window = Window->Id;
        Event.xclient.message_type = Intern("_NET_WM_MOVERESIZE");
        Event.xclient.format = 32;
        Event.xclient.data.l[0] = AAt.X;
        Event.xclient.data.l[1] = AAt.Y;
        Event.xclient.data.l[2] = Found->Direction;
        Event.xclient.data.l[3] = Button1;
        Event.xclient.data.l[4] = 1;   // from an application
        XSendEvent(FDisplay, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask, &Event);
        XFlush(FDisplay);
        return;
    }
    // No manager to ask: the window follows the pointer itself until the button comes up.
    FDrag = TDrag{AWnd, AHitCode, AAt, Window->State.Bounds};
    PostMessageW(AWnd, WM_ENTERSIZEMOVE, 0, 0);
    XGrabPointer(FDisplay, Window->Id, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None,
                 None, CurrentTime);
    XFlush(FDisplay);
}

void TX11Display::Drag(const XMotionEvent& AEvent)
{
    int DX = AEvent.x_root - FDrag.Start.X, DY = AEvent.y_root - FDrag.Start.Y;
    TRect B = FDrag.StartBounds;
    constexpr int kMinimum = 8;
    switch (FDrag.HitCode) {
    case HTCAPTION: B = Rect(B.Left + DX, B.Top + DY, B.Right + DX, B.Bottom + DY); break;
    case HTLEFT: case HTTOPLEFT: case HTBOTTOMLEFT: B.Left = std::min(B.Left + DX, B.Right - kMinimum); break;
    case HTRIGHT: case HTTOPRIGHT: case HTBOTTOMRIGHT: B.Right = std::max(B.Right + DX, B.Left + kMinimum); break;
    default: break;
    }
    switch (FDrag.HitCode) {
    case HTTOP: case HTTOPLEFT: case HTTOPRIGHT: B.Top = std::min(B.Top + DY, B.Bottom - kMinimum); break;
    case HTBOTTOM: case HTBOTTOMLEFT: case HTBOTTOMRIGHT: B.Bottom = std::max(B.Bottom + DY, B.Top + kMinimum); break;
    default: break;
    }
    TOwnWindow* Window = Own(FDrag.Wnd);
    if (Window == nullptr || Window->State.Bounds == B)
        return;
    Window->State.Bounds = B;
    XMoveResizeWindow(FDisplay, Window->Id, B.Left, B.Top, B.Width(), B.Height());
    XFlush(FDisplay);
    ScreenMovedWindow(FDrag.Wnd, B);
}

void TX11Display::EndDrag()
{
    PostMessageW(std::exchange(FDrag, TDrag()).Wnd, WM_EXITSIZEMOVE, 0, 0);
    XUngrabPointer(FDisplay, CurrentTime);
    XFlush(FDisplay);
}

}  // namespace x11
