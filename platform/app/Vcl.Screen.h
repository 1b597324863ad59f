// Vcl.Screen.h: the screen as the application sees it: its logical DPI, which user-interface
// sizes are scaled to, and its monitors. UI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Classes.h"
#include "Win.Display.h"

// A mouse cursor id: the system's are negative, a program's own positive.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The name of the cursor's shape in the desktop's cursor theme ("default", "pointer", ...). A
// program's own cursors are named with RegisterCursorShape; unknown ids are "default".
String CursorShape(TCursor ACursor);
void RegisterCursorShape(TCursor ACursor, const String& AShape);

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
    // The pointer over every window of the program while it is not crDefault, whatever the
    // controls ask for (crHourGlass while the program is busy).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor AValue);

protected:
    TScreen() = default;
    ~TScreen() override;

private:
    void UpdateMonitors();
    void ClearMonitors();

    int FPixelsPerInch = 0;   // 0: not asked yet
    TCursor FCursor = crDefault;
    std::vector<TXMonitor> FMonitorInfos;
    std::vector<TMonitor*> FMonitors;   // owned
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TScreen* Screen;
