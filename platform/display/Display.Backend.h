// Display.Backend.h: the seam between the Windows calls and the screen. One backend runs per
// process, chosen at first use: the registered display (x11, which the program registers at
// start) when it can be opened, otherwise headless; NV_DISPLAY=headless forces headless. The window calls of Win.Display keep the state of our own
// top-level windows and tell the backend what changed; other programs' windows are the
// backend's to list and describe. Everything here belongs to the UI thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Rtl.Types.h"
#include "Win.Graphics.h"
#include "Win.Messages.h"

struct TXMonitor {
    String Name;          // the monitor's own name ("HDMI-1")
    String AdapterName;   // the display adapter that drives it
    TRect Bounds;
    TRect WorkArea;       // Bounds less the desktop's panels
    bool Primary = false;
    int EffectiveDpi = 96;
    friend bool operator==(const TXMonitor&, const TXMonitor&) = default;
};

struct TXDpi {
    int X = 96;
    int Y = 96;
    friend bool operator==(const TXDpi&, const TXDpi&) = default;
};

// A key combination claimed for the whole desktop: its presses reach Wnd as WM_HOTKEY.
struct TXHotKey {
    HWND Wnd = nullptr;
    int Id = 0;
    UINT Modifiers = 0;    // MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN
    UINT VirtualKey = 0;   // a Windows virtual-key code
    friend bool operator==(const TXHotKey&, const TXHotKey&) = default;
};

// Posts the WM_HOTKEY of a press: wParam the id, lParam the modifiers low and the key high.
void PostHotKey(const TXHotKey& AHotKey);

// What the backend is told of one of our top-level windows.
struct TXWindowState {
    String ClassName;
    String Caption;
    TRect Bounds;
    bool Visible = false;
    bool Iconic = false;
    bool Maximized = false;
    HWND Owner = nullptr;    // the window it pops up from: a visible one keeps it above
    uint32_t Style = 0;      // WS_ flags of Win.Display
    uint32_t ExStyle = 0;    // WS_EX_ flags
    uint8_t Alpha = 255;     // of the whole window
    bool ShowOwner = false;  // the owner is shown, so the window is a transient of it
};

// The pixels a window painted: rows of 32-bit B,G,R,A (A ignored), Stride bytes apart.
struct TXSurfaceView {
    const uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;
};

// A window icon of one size: Width * Height pixels of 32-bit B,G,R,A, not premultiplied.
struct TXIconImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
};

// A pointer picture of the program's own: Width * Height pixels of 32-bit B,G,R,A, not
// premultiplied, with the hot spot, the pixel that points.
struct TXCursorImage {
    int Width = 0;
    int Height = 0;
    TPoint HotSpot;
    std::vector<uint32_t> Pixels;
};

// One format of what the clipboard holds: a MIME type ("text/plain;charset=utf-8",
// "text/rtf", "image/png") and its bytes.
struct TXClipboardItem {
    String Format;
    std::string Data;
    friend bool operator==(const TXClipboardItem&, const TXClipboardItem&) = default;
};

class TXDisplayBackend {
public:
    virtual ~TXDisplayBackend() = default;
    virtual const char* Name() const = 0;

    // Exactly one monitor is primary.
    virtual std::vector<TXMonitor> Monitors() = 0;
    // The screen's logical pixels per inch, which user-interface sizes are scaled to.
    virtual TXDpi LogicalDpi() = 0;

    // Our own top-level windows, as Win.Display creates, changes and destroys them.
    virtual void WindowCreated(HWND AWnd, const TXWindowState& AState) = 0;
    virtual void WindowChanged(HWND AWnd, const TXWindowState& AState) = 0;
    virtual void WindowDestroyed(HWND AWnd) = 0;
    // Raises the window (ours or another program's) and gives it the input focus; False when
    // the window is gone.
    virtual bool Activate(HWND AWnd) = 0;

    // Claims the key combination for the whole desktop; from then on each press is posted with
    // PostHotKey, from any thread. False when the desktop refuses it (another program holds it).
    virtual bool GrabHotKey(const TXHotKey& AHotKey) = 0;
    virtual void UngrabHotKey(const TXHotKey& AHotKey) = 0;

    // What reaches the screen of a window: the part ADirty of its pixels (window coordinates).
    virtual void WindowPainted(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty) = 0;
    // The window shows only these rectangles (window coordinates); AShaped False: all of it.
    virtual void SetWindowShape(HWND AWnd, bool AShaped, const std::vector<TRect>& ARects) = 0;
    virtual void SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons) = 0;
    // The pointer's look over the window, by its name in the desktop's cursor theme ("default",
    // "text", "pointer", "ew-resize", "move", ...), or the program's own picture of that name
    // (AImage; the same name always comes with the same picture).
    virtual void SetWindowCursor(HWND AWnd, const String& AShape, const TXCursorImage* AImage) = 0;
    // All mouse input goes to AWnd (nullptr: back to the window under the pointer).
    virtual void SetCapture(HWND AWnd) = 0;
    virtual TPoint CursorPos() = 0;
    // The user drags the window by the mouse, which is down at AAt (screen): moves it for
    // HTCAPTION, sizes it by the edge or corner of the other hit codes. It ends when the button
    // comes up; the window hears of its new bounds as of any move (ScreenMovedWindow).
    virtual void BeginMoveResize(HWND AWnd, int AHitCode, TPoint AAt) = 0;

    // The desktop's clipboard: AItems replace what it held; the reads answer another program's
    // offer as well as ours.
    virtual bool SetClipboard(const std::vector<TXClipboardItem>& AItems) = 0;
    virtual std::vector<String> ClipboardFormats() = 0;
    virtual bool ClipboardData(const String& AFormat, std::string& AData) = 0;

    // The input that arrives beside the message queue; the UI thread's wait watches it.
    virtual TMessageSource* MessageSource() { return nullptr; }

    // Other programs' top-level windows, front to back. Their handles never equal one of ours.
    virtual std::vector<HWND> ForeignWindows() = 0;
    // False when AWnd is no foreign window (any more).
    virtual bool ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption) = 0;
};

// A display of a real screen: nullptr when it cannot be opened.
using TXDisplayOpener = std::unique_ptr<TXDisplayBackend> (*)();
// Offers the display that the first use of DisplayBackend tries before the headless one.
void RegisterDisplayOpener(TXDisplayOpener AOpener);

// The process's backend, chosen and opened at the first call.
TXDisplayBackend& DisplayBackend();
// Replaces the backend before any window exists (tests that open a display of their own);
// nullptr goes back to the choice at the next call.
void SetDisplayBackend(std::unique_ptr<TXDisplayBackend> ABackend);
