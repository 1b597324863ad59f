// Win.Display.h: the Windows calls that the screen answers: top-level windows (class name,
// caption, visibility, minimised state, owner, foreground), monitors, DPI and system metrics.
// They live beside the display backend rather than in platform/win, which stays below it.
// UI thread only. Sizes are in pixels of the screen, text lengths in characters (code points).
#pragma once

#include <cstdint>

#include "Display.Backend.h"
#include "Win.Messages.h"
#include "Win.Shell.h"

inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_RESTORE = 0xF120;

// ShowWindow commands besides SW_SHOWNORMAL (Win.Shell).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// ---- Top-level windows -------------------------------------------------------------------

// A top-level window of the calling thread with AMethod as its window procedure, hidden until
// shown; AOwner (nullptr: none) is the window it pops up from.
HWND CreateTopLevelWindow(const String& AClassName, const String& ACaption, HWND AOwner, const TRect& ABounds,
                          TWndMethod AMethod);
// Any window of Win.Messages; a top-level window also leaves the screen.
bool DestroyWindow(HWND AWnd);

// Calls AProc for every top-level window, ours first, front to back, then other programs'
// windows, until AProc answers false. False when it was stopped that way.
using WNDENUMPROC = bool (*)(HWND AWnd, LPARAM AParam);
bool EnumWindows(WNDENUMPROC AProc, LPARAM AParam);
// The class name and the caption of a top-level window, ours or another program's, cut to
// AMaxCount - 1 characters as a buffer of AMaxCount with its terminator would hold them; ""
// for no such window.
String GetClassNameW(HWND AWnd, int AMaxCount);
String GetWindowTextW(HWND AWnd, int AMaxCount);
bool SetWindowTextW(HWND AWnd, const String& AText);

// Answers whether the window was visible before. SW_RESTORE and SW_SHOWNORMAL also end the
// minimised state, SW_MINIMIZE and SW_SHOWMINIMIZED start it.
bool ShowWindow(HWND AWnd, int ACmdShow);
bool IsWindowVisible(HWND AWnd);
bool IsIconic(HWND AWnd);
bool IsWindowEnabled(HWND AWnd);
// Answers whether the window was disabled before.
bool EnableWindow(HWND AWnd, bool AEnable);
bool GetWindowRect(HWND AWnd, TRect& ARect);
// Places a top-level window of ours; False for no such window.
bool MoveWindow(HWND AWnd, const TRect& ABounds);

// Raises the window and gives it the focus; the window becomes its owner's last active popup.
bool SetForegroundWindow(HWND AWnd);
// nullptr when no window was brought forward, or it is gone.
HWND GetForegroundWindow();
// The window owned by AWnd that was brought forward last; AWnd itself when there is none.
HWND GetLastActivePopup(HWND AWnd);

// ---- Hot keys ----------------------------------------------------------------------------

inline constexpr UINT MOD_ALT = 0x0001;
inline constexpr UINT MOD_CONTROL = 0x0002;
inline constexpr UINT MOD_SHIFT = 0x0004;
inline constexpr UINT MOD_WIN = 0x0008;

// From now on a press of the key with exactly these modifiers, anywhere on the desktop, posts
// WM_HOTKEY to AWnd with wParam AId and lParam the modifiers (low word) and the key (high word).
// False when AWnd is no window, AWnd already uses AId, the combination is registered already
// (by us or another program), or the desktop offers no hot keys.
bool RegisterHotKey(HWND AWnd, int AId, UINT AModifiers, UINT AVirtualKey);
// False when AWnd has no hot key AId.
bool UnregisterHotKey(HWND AWnd, int AId);

// ---- Monitors ----------------------------------------------------------------------------

struct HMONITOR__;
using HMONITOR = HMONITOR__*;

inline constexpr uint32_t MONITOR_DEFAULTTONULL = 0;
inline constexpr uint32_t MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr uint32_t MONITOR_DEFAULTTONEAREST = 2;

// The monitors in the screen's order. A handle names a place in that order, so it changes
// meaning when the monitors change.
std::vector<HMONITOR> EnumDisplayMonitors();
bool GetMonitorInfoW(HMONITOR AMonitor, TXMonitor& AInfo);
HMONITOR MonitorFromPoint(TPoint APoint, uint32_t AFlags);
// The monitor that holds the largest part of the rectangle.
HMONITOR MonitorFromRect(const TRect& ARect, uint32_t AFlags);
// Another program's window finds no monitor: its place is not known here.
HMONITOR MonitorFromWindow(HWND AWnd, uint32_t AFlags);

// ---- DPI and metrics ---------------------------------------------------------------------

inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

enum PROCESS_DPI_AWARENESS : int {
    PROCESS_DPI_UNAWARE = 0,
    PROCESS_SYSTEM_DPI_AWARE = 1,
    PROCESS_PER_MONITOR_DPI_AWARE = 2,
};
enum MONITOR_DPI_TYPE : int { MDT_EFFECTIVE_DPI = 0, MDT_ANGULAR_DPI = 1, MDT_RAW_DPI = 2 };

// Our programs scale their user interface themselves: the process starts per-monitor aware.
// AProcess nullptr is the calling process, the only one answered.
HRESULT GetProcessDpiAwareness(void* AProcess, PROCESS_DPI_AWARENESS& AValue);
HRESULT SetProcessDpiAwareness(PROCESS_DPI_AWARENESS AValue);
// Every type answers the monitor's effective DPI; E_INVALIDARG for no monitor.
HRESULT GetDpiForMonitor(HMONITOR AMonitor, MONITOR_DPI_TYPE AType, uint32_t& ADpiX, uint32_t& ADpiY);
// What the screen device context answers for LOGPIXELSX and LOGPIXELSY.
TXDpi GetScreenLogicalDpi();

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CYVTHUMB = 9;
inline constexpr int SM_CXHTHUMB = 10;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CXSIZE = 30;
inline constexpr int SM_CYSIZE = 31;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXICONSPACING = 38;
inline constexpr int SM_CYICONSPACING = 39;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_CYSMCAPTION = 51;
inline constexpr int SM_CXSMSIZE = 52;
inline constexpr int SM_CYSMSIZE = 53;
inline constexpr int SM_CXMENUSIZE = 54;
inline constexpr int SM_CYMENUSIZE = 55;
inline constexpr int SM_CXMINIMIZED = 57;
inline constexpr int SM_CYMINIMIZED = 58;
inline constexpr int SM_CXMENUCHECK = 71;
inline constexpr int SM_CYMENUCHECK = 72;
inline constexpr int SM_CMONITORS = 80;

// The primary monitor's size, the monitor count, and the classic sizes of window parts scaled
// to the screen's logical DPI; 0 for an index not listed above.
int GetSystemMetrics(int AIndex);
