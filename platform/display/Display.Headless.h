// Display.Headless.h: the display of tests and of machines without a screen. Windows live in
// memory; the screen is one 1920x1080 monitor at 96 DPI until a test sets others, and other
// programs' windows are the ones a test adds.
#pragma once

#include <cstdint>
#include <map>

#include "Display.Backend.h"

class TXHeadlessDisplay : public TXDisplayBackend {
public:
    TXHeadlessDisplay();
    const char* Name() const override { return "headless"; }

    std::vector<TXMonitor> Monitors() override { return FMonitors; }
    TXDpi LogicalDpi() override { return FLogicalDpi; }
    // An empty list, or one without a primary monitor, makes the first monitor primary.
    void SetMonitors(std::vector<TXMonitor> AMonitors);
    void SetLogicalDpi(TXDpi AValue) { FLogicalDpi = AValue; }
    // Back to one 1920x1080 monitor at 96 DPI, no foreign windows, no hot keys.
    void Reset();

    void WindowCreated(HWND, const TXWindowState&) override {}
    void WindowChanged(HWND, const TXWindowState&) override {}
    void WindowDestroyed(HWND AWnd) override;
    bool Activate(HWND AWnd) override;

    // What the screen keeps of our windows, for tests to look at.
    void WindowPainted(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty) override;
    // The window's pixels as B,G,R,A rows of AWidth * 4 bytes; False before it painted.
    bool Snapshot(HWND AWnd, std::vector<uint8_t>& ABits, int& AWidth, int& AHeight) const;
    void SetWindowShape(HWND AWnd, bool AShaped, const std::vector<TRect>& ARects) override;
    // nullptr for a window that shows whole.
    const std::vector<TRect>* WindowShape(HWND AWnd) const;
    void SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons) override { FIcons[AWnd] = AIcons; }
    const std::vector<TXIconImage>& WindowIcons(HWND AWnd) { return FIcons[AWnd]; }
    void SetWindowCursor(HWND AWnd, const String& AShape, const TXCursorImage* AImage) override;
    String WindowCursor(HWND AWnd) const;
    // The picture a window was given for the shape; nullptr for none (a shape of the theme).
    const TXCursorImage* CursorImage(const String& AShape) const;
    void SetCapture(HWND AWnd) override { FCapture = AWnd; }
    HWND Capture() const { return FCapture; }
    TPoint CursorPos() override { return FCursorPos; }
    void SetCursorPos(TPoint AValue) { FCursorPos = AValue; }
    // The last drag that BeginMoveResize started; the test plays the user and moves the window.
    struct TMoveResize {
        HWND Wnd = nullptr;
        int HitCode = 0;
        TPoint At;
    };
    void BeginMoveResize(HWND AWnd, int AHitCode, TPoint AAt) override { FMoveResize = {AWnd, AHitCode, AAt}; }
    const TMoveResize& LastMoveResize() const { return FMoveResize; }

    bool SetClipboard(const std::vector<TXClipboardItem>& AItems) override;
    std::vector<String> ClipboardFormats() override;
    bool ClipboardData(const String& AFormat, std::string& AData) override;

    bool GrabHotKey(const TXHotKey& AHotKey) override;
    void UngrabHotKey(const TXHotKey& AHotKey) override;
    // The keys claimed, in the order they were.
    const std::vector<TXHotKey>& HotKeys() const { return FHotKeys; }
    // The user presses the combination: False when no window claimed it.
    bool PressHotKey(UINT AModifiers, UINT AVirtualKey);
    // Keys that "another program" holds: grabbing them is refused.
    void SetForeignHotKeys(std::vector<TXHotKey> AValue) { FForeignHotKeys = std::move(AValue); }

    // Another program's window, placed in front of the other foreign ones.
    HWND AddForeignWindow(const String& AClassName, const String& ACaption);
    void RemoveForeignWindow(HWND AWnd);
    std::vector<HWND> ForeignWindows() override;
    bool ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption) override;

private:
    std::vector<TXMonitor> FMonitors;
    TXDpi FLogicalDpi;
    struct TForeignWindow {
        HWND Handle;
        String ClassName;
        String Caption;
    };
    std::vector<TForeignWindow>::iterator FindForeign(HWND AWnd);

    std::vector<TForeignWindow> FForeign;   // front first
    std::vector<TXHotKey> FHotKeys;
    std::vector<TXHotKey> FForeignHotKeys;
    uintptr_t FLastForeign;
    struct TPicture {
        std::vector<uint8_t> Bits;
        int Width = 0;
        int Height = 0;
    };
    std::map<HWND, TPicture> FPictures;
    std::map<HWND, std::vector<TRect>> FShapes;
    std::map<HWND, std::vector<TXIconImage>> FIcons;
    std::map<HWND, String> FCursors;
    std::map<String, TXCursorImage> FCursorImages;
    HWND FCapture = nullptr;
    TPoint FCursorPos;
    TMoveResize FMoveResize;
    std::vector<TXClipboardItem> FClipboard;
};

// The running backend when it is the headless one, else nullptr.
TXHeadlessDisplay* HeadlessDisplay();
