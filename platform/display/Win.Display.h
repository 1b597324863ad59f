// Win.Display.h: the Windows calls that the screen answers: top-level windows (class name,
// caption, visibility, minimised state, owner, foreground), monitors, DPI and system metrics.
// They live beside the display backend rather than in platform/win, which stays below it.
// UI thread only. Sizes are in pixels of the screen, text lengths in characters (code points).
#pragma once

#include <cstdint>

#include "Display.Backend.h"
#include "Win.Messages.h"
#include "Win.Regions.h"
#include "Win.Shell.h"
#include "Win.WindowMessages.h"


// ShowWindow commands besides SW_SHOWNORMAL (Win.Shell).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Window styles: the screen reads the frame, the task bar and the focus rules from them.
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t WS_EX_TRANSPARENT = 0x00000020;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_CONTEXTHELP = 0x00000400;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr uint32_t WS_EX_LAYERED = 0x00080000;
inline constexpr uint32_t WS_EX_NOACTIVATE = 0x08000000;
// Window-class styles, kept in TCreateParams: the screens here redraw whole windows and cast
// no shadows, so none of them changes what is seen.
inline constexpr uint32_t CS_VREDRAW = 0x0001;
inline constexpr uint32_t CS_HREDRAW = 0x0002;
inline constexpr uint32_t CS_SAVEBITS = 0x0800;
inline constexpr uint32_t CS_DROPSHADOW = 0x00020000;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
// The owner of a top-level window, which it stays above while both are shown.
inline constexpr int GWLP_HWNDPARENT = -8;

// SetWindowPos: where in the z-order, and what to leave alone.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;

inline constexpr uint32_t LWA_ALPHA = 0x00000002;

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

bool IsZoomed(HWND AWnd);
// GWL_STYLE, GWL_EXSTYLE and GWLP_HWNDPARENT; 0 for no window of ours or another index.
intptr_t GetWindowLongPtrW(HWND AWnd, int AIndex);
// Answers the value before. WS_EX_TOPMOST follows SetWindowPos, as on Windows.
intptr_t SetWindowLongPtrW(HWND AWnd, int AIndex, intptr_t AValue);
// Moves, sizes and stacks a top-level window of ours as AFlags let it: HWND_TOPMOST and
// HWND_NOTOPMOST set and clear stay-on-top, HWND_TOP raises; without SWP_NOACTIVATE the
// window is also activated.
bool SetWindowPos(HWND AWnd, HWND AInsertAfter, int AX, int AY, int ACX, int ACY, UINT AFlags);
// The whole window's opacity (LWA_ALPHA); the window needs WS_EX_LAYERED.
bool SetLayeredWindowAttributes(HWND AWnd, TColor AKey, uint8_t AAlpha, uint32_t AFlags);
// The window shows only ARegion (window coordinates; nullptr: all of it) and owns it from now
// on, even when the call fails.
bool SetWindowRgn(HWND AWnd, HRGN ARegion, bool ARedraw);
// A copy of the window's region into ARegion; ERROR when it has none.
int GetWindowRgn(HWND AWnd, HRGN ARegion);

// What the window painted reaches the screen: the part ADirty (window coordinates).
void UpdateWindowSurface(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty);
void SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons);
// The pointer over the window, by the cursor theme's name of the shape or the name of a
// picture defined below.
void SetWindowCursor(HWND AWnd, const String& AShape);
// From now on AShape names this picture of the program's own rather than the theme's shape.
// UI thread, before the first window shows the shape.
void DefineCursorImage(const String& AShape, const TXCursorImage& AImage);
// Mouse input goes to AWnd, wherever the pointer is, until ReleaseCapture; answers the window
// that had it.
HWND SetCapture(HWND AWnd);
bool ReleaseCapture();
HWND GetCapture();
bool GetCursorPos(TPoint& APoint);
// The user drags the window by its caption (HTCAPTION) or sizes it by an edge (HTLEFT ..
// HTBOTTOMRIGHT), the mouse being down at AAt on the screen.
bool DragWindow(HWND AWnd, int AHitCode, TPoint AAt);

// ---- What the screen tells of our windows --------------------------------------------------
// The display backend calls these when the desktop changed a window; each posts the message a
// window procedure expects, and none calls back into the backend.

// The window is now at ABounds: WM_MOVE and WM_SIZE follow when they changed.
void ScreenMovedWindow(HWND AWnd, const TRect& ABounds);
// The desktop minimised, maximised or restored the window: WM_SIZE follows.
void ScreenChangedWindowState(HWND AWnd, bool AIconic, bool AMaximized);
// The desktop gave the window the focus, or took it: WM_NCACTIVATE, WM_ACTIVATE and
// WM_SETFOCUS or WM_KILLFOCUS follow, and the window becomes the foreground one.
void ScreenActivatedWindow(HWND AWnd, bool AActive);

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
