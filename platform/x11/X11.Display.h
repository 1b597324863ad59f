// X11.Display.h: the X server's display as one class, whose parts live in Display.X11.cpp
// (screen, other programs' windows, hot keys), X11.Windows.cpp (our windows and their
// pixels), X11.Input.cpp (events into messages) and X11.Clipboard.cpp. Private to platform/x11.
// Everything runs on the UI thread, which reads the connection in Dispatch.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "Display.Backend.h"

namespace x11 {

class TX11HotKeys;

// What the X server holds of one of our top-level windows.
struct TOwnWindow {
    Window Id = 0;
    TXWindowState State;            // as last applied
    bool Created = false;           // State holds something applied
    bool OverrideRedirect = false;
    XImage* Image = nullptr;        // the window's pixels, re-put on Expose
    XShmSegmentInfo Shm{};
    bool UsesShm = false;
    XIC InputContext = nullptr;
    Cursor Pointer = 0;
};

// A drag of a window by the mouse that we carry out ourselves, without a window manager.
struct TDrag {
    HWND Wnd = nullptr;
    int HitCode = 0;
    TPoint Start;
    TRect StartBounds;
};

// The press that a second one may make a double click.
struct TLastPress {
    Window Id = 0;
    unsigned int Button = 0;
    Time When = 0;
    int X = 0;
    int Y = 0;
    bool Doubled = false;   // the last press was the second of a double click already
};

class TX11Display : public TXDisplayBackend, public TMessageSource {
public:
    explicit TX11Display(Display* ADisplay);
    ~TX11Display() override;
    TX11Display(const TX11Display&) = delete;
    TX11Display& operator=(const TX11Display&) = delete;

    const char* Name() const override { return "x11"; }
    std::vector<TXMonitor> Monitors() override;
    TXDpi LogicalDpi() override;

    void WindowCreated(HWND AWnd, const TXWindowState& AState) override;
    void WindowChanged(HWND AWnd, const TXWindowState& AState) override;
    void WindowDestroyed(HWND AWnd) override;
    bool Activate(HWND AWnd) override;

    void WindowPainted(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty) override;
    void SetWindowShape(HWND AWnd, bool AShaped, const std::vector<TRect>& ARects) override;
    void SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons) override;
    void SetWindowCursor(HWND AWnd, const String& AShape, const TXCursorImage* AImage) override;
    void SetCapture(HWND AWnd) override;
    TPoint CursorPos() override;
    void BeginMoveResize(HWND AWnd, int AHitCode, TPoint AAt) override;

    bool SetClipboard(const std::vector<TXClipboardItem>& AItems) override;
    std::vector<String> ClipboardFormats() override;
    bool ClipboardData(const String& AFormat, std::string& AData) override;

    TMessageSource* MessageSource() override { return this; }
    int Descriptor() override { return ConnectionNumber(FDisplay); }
    bool Buffered() override;
    void Dispatch() override;

    std::vector<HWND> ForeignWindows() override;
    bool ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption) override;

    bool GrabHotKey(const TXHotKey& AHotKey) override;
    void UngrabHotKey(const TXHotKey& AHotKey) override;

    // The X window of one of ours (for tests that look at it from another connection); 0 for none.
    Window XWindow(HWND AWnd) const;

private:
    Atom Intern(const char* AName) { return XInternAtom(FDisplay, AName, False); }
    std::vector<unsigned long> LongProperty(Window AWindow, const char* AProperty, Atom AType);
    std::optional<String> TextProperty(Window AWindow, const char* AProperty, Atom AType);
    String Caption(Window AWindow);
    void SetCaption(Window AWindow, const String& ACaption);
    std::optional<Window> XWindowOf(HWND AWnd);
    bool Exists(Window AWindow);
    std::vector<TXMonitor> RandrMonitors();
    std::optional<TRect> DesktopWorkArea();
    String AdapterName();
    bool ManagerSupports(const char* AAtom);

    // X11.Windows.cpp
    TOwnWindow* Own(HWND AWnd);
    HWND OwnHandle(Window AWindow) const;
    void ApplyAttributes(TOwnWindow& AWindow, const TXWindowState& AState);
    void ApplyNetState(TOwnWindow& AWindow, const TXWindowState& AState);
    void ApplyPlacement(TOwnWindow& AWindow, const TXWindowState& AState);
    void ApplyVisibility(TOwnWindow& AWindow, const TXWindowState& AState);
    bool EnsureImage(TOwnWindow& AWindow, int AWidth, int AHeight);
    void FreeImage(TOwnWindow& AWindow);
    void PutImage(TOwnWindow& AWindow, const TRect& ARect);
    Cursor LoadCursor(const String& AShape, const TXCursorImage* AImage);

    // X11.Input.cpp
    void HandleEvent(XEvent& AEvent);
    void HandleButton(HWND AWnd, XButtonEvent& AEvent);
    void HandleMotion(HWND AWnd, XMotionEvent& AEvent);
    void HandleKey(HWND AWnd, TOwnWindow& AWindow, XKeyEvent& AEvent);
    void HandleConfigure(HWND AWnd, const XConfigureEvent& AEvent);
    void HandleClientMessage(HWND AWnd, const XClientMessageEvent& AEvent);
    void HandleNetState(HWND AWnd, TOwnWindow& AWindow);
    void HandleRootChange();
    void Drag(const XMotionEvent& AEvent);
    void EndDrag();
    XIC InputContextFor(Window AWindow);

    // X11.Clipboard.cpp
    void HandleSelectionRequest(const XSelectionRequestEvent& AEvent);
    bool WaitForSelection(Atom ATarget, Atom& AType, std::string& AData);

    Display* FDisplay;
    Window FRoot;
    int FRandrVersion = 0;   // major * 100 + minor; 0 without RandR
    int FRandrEventBase = 0;
    bool FShapeAvailable = false;
    bool FShmAvailable = false;
    GC FGC = nullptr;
    XIM FInputMethod = nullptr;
    std::map<HWND, TOwnWindow> FOwn;
    std::map<Window, HWND> FByX;
    std::map<String, Cursor> FCursors;
    HWND FFocused = nullptr;
    std::vector<bool> FKeysDown = std::vector<bool>(256);   // by virtual key, for repeats
    HWND FCaptured = nullptr;
    TDrag FDrag;
    TLastPress FLastPress;
    TXDpi FLastDpi;
    std::vector<TXMonitor> FLastMonitors;
    Window FClipboardWindow = 0;
    std::vector<TXClipboardItem> FClipboard;   // while we own the selection
    std::unique_ptr<TX11HotKeys> FHotKeys;     // made at the first grab
};

// Xlib's error handler of the process ignores every error (windows of other programs go at
// any time); these count the errors of a stretch of requests, which then XSync.
void BeginErrorTrap();
// True when a request since BeginErrorTrap failed.
bool EndErrorTrap(Display* ADisplay);

// The Windows virtual key of a key symbol, and back; 0 and NoSymbol for keys not mapped.
UINT VirtualKeyOfSym(KeySym ASym);
KeySym SymOfVirtualKey(UINT AKey);

}  // namespace x11
