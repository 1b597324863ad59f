// Display.Headless.h: the display of tests and of machines without a screen. Windows live in
// memory; the screen is one 1920x1080 monitor at 96 DPI until a test sets others, and other
// programs' windows are the ones a test adds.
#pragma once

#include <cstdint>

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
    void WindowDestroyed(HWND) override {}
    bool Activate(HWND AWnd) override;

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
};

// The running backend when it is the headless one, else nullptr.
TXHeadlessDisplay* HeadlessDisplay();
