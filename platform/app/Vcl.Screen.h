// Vcl.Screen.h: the screen as the application sees it: its logical DPI, which user-interface
// sizes are scaled to, and its monitors. UI thread only.
#pragma once

#include <vector>

#include "Rtl.Classes.h"
#include "Win.Display.h"

// One monitor of the screen, as it was when the screen last listed them.
class TMonitor : public TObject {
    X_CLASS(TMonitor, TObject)
public:
    HMONITOR Handle() const { return FHandle; }
    // The index in the screen's list.
    int MonitorNum() const { return FMonitorNum; }
    int Left() const { return FInfo.Bounds.Left; }
    int Top() const { return FInfo.Bounds.Top; }
    int Width() const { return FInfo.Bounds.Width(); }
    int Height() const { return FInfo.Bounds.Height(); }
    const TRect& BoundsRect() const { return FInfo.Bounds; }
    const TRect& WorkareaRect() const { return FInfo.WorkArea; }
    bool Primary() const { return FInfo.Primary; }
    // The monitor's effective DPI.
    int PixelsPerInch() const { return FInfo.EffectiveDpi; }

protected:
    TMonitor() = default;
    void Construct(HMONITOR AHandle, int AMonitorNum, const TXMonitor& AInfo);

private:
    HMONITOR FHandle = nullptr;
    int FMonitorNum = 0;
    TXMonitor FInfo;
};

// The screen: its logical DPI, which user-interface sizes are scaled to, and its monitors.
class TScreen : public TComponent {
    X_CLASS(TScreen, TComponent)
public:
    // The display's vertical logical DPI when first asked, until set otherwise (a program that
    // scales to its primary monitor's DPI sets it at start). Asked late, so that the screen,
    // made before main() runs, does not choose the display before the program registers one.
    int PixelsPerInch();
    void SetPixelsPerInch(int AValue) { FPixelsPerInch = AValue; }
    // The primary monitor's size.
    int Width();
    int Height();
    // The monitor list is taken again whenever the display's monitors have changed, which
    // frees the TMonitor objects handed out before.
    int MonitorCount();
    // Raises EListError for an index out of range.
    TMonitor* Monitors(int AIndex);
    // nullptr when there is no monitor.
    TMonitor* PrimaryMonitor();

protected:
    TScreen() = default;
    ~TScreen() override;

private:
    void UpdateMonitors();
    void ClearMonitors();

    int FPixelsPerInch = 0;   // 0: not asked yet
    std::vector<TXMonitor> FMonitorInfos;
    std::vector<TMonitor*> FMonitors;   // owned
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TScreen* Screen;
