// Display.Backend.h: the seam between the Windows calls and the screen. One backend runs per
// process, chosen at first use: the registered display (x11, which the program registers at
// start) when it can be opened, otherwise headless; NV_DISPLAY=headless forces headless. The window calls of Win.Display keep the state of our own
// top-level windows and tell the backend what changed; other programs' windows are the
// backend's to list and describe. Everything here belongs to the UI thread.
#pragma once

#include <memory>
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
