// Win.WindowMessages.h: the numbers of the window messages that the screen sends and the
// controls answer: sizes, focus, input, the non-client area and the system commands. The
// values are Windows' own, since stored and compared message numbers must keep meaning.
#pragma once

#include <cstdint>

#include "Win.Graphics.h"
#include "Win.Keyboard.h"
#include "Win.Messages.h"

inline constexpr UINT WM_MOVE = 0x0003;
// wParam a SIZE_ value, lParam the client width (low word) and height (high word).
inline constexpr UINT WM_SIZE = 0x0005;
// wParam WA_INACTIVE, WA_ACTIVE or WA_CLICKACTIVE.
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_SETCURSOR = 0x0020;
// The screen's DPI changed: wParam the new DPI (x low word, y high word).
inline constexpr UINT WM_DPICHANGED = 0x02E0;

inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;
inline constexpr WPARAM WA_CLICKACTIVE = 2;

// ---- Keys (the virtual keys and the Alt variants are Win.Keyboard's) --------------------------------------------------------------------------------

// wParam the virtual key; lParam the repeat count (bits 0-15), the scan code (16-23), bit 29
// for Alt held (the SYS variants), bit 30 for a key that was down before, bit 31 on release.
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
// wParam a character (a Unicode code point), lParam as the key message that made it.
inline constexpr UINT WM_CHAR = 0x0102;

// ---- Mouse -------------------------------------------------------------------------------

// Client mouse messages: lParam the point in the receiver's client coordinates (x low word, y
// high word, both signed), wParam the MK_ flags.
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
// wParam the MK_ flags low and the signed delta high (WHEEL_DELTA a notch, positive away from
// the user, or to the right for the horizontal wheel); lParam the point on the screen.
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_MOUSEHWHEEL = 0x020E;
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;
inline constexpr UINT WM_CAPTURECHANGED = 0x0215;
// Around a drag of the window by the mouse: the first when it starts, the second when the
// button comes up.
inline constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
inline constexpr UINT WM_EXITSIZEMOVE = 0x0232;
inline constexpr int WHEEL_DELTA = 120;

inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// ---- The non-client area -----------------------------------------------------------------

// wParam False, lParam a TRect* holding the window's rectangle, which the answer makes the
// client rectangle (window coordinates). The default leaves it whole: the frame is the desktop's.
inline constexpr UINT WM_NCCALCSIZE = 0x0083;
// lParam the point on the screen; the answer is a hit code.
inline constexpr UINT WM_NCHITTEST = 0x0084;
// Paint the frame; wParam 1 for all of it.
inline constexpr UINT WM_NCPAINT = 0x0085;
// wParam True when the window becomes active; answer True to let it.
inline constexpr UINT WM_NCACTIVATE = 0x0086;
// The non-client mouse messages: the client message less 0x160, wParam the hit code, lParam
// the point on the screen.
inline constexpr UINT kNonClientMouseOffset = 0x0160;
inline constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_NCLBUTTONUP = 0x00A2;
inline constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
inline constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
inline constexpr UINT WM_NCRBUTTONUP = 0x00A5;
inline constexpr UINT WM_NCRBUTTONDBLCLK = 0x00A6;
inline constexpr UINT WM_NCMBUTTONDOWN = 0x00A7;
inline constexpr UINT WM_NCMBUTTONUP = 0x00A8;
inline constexpr UINT WM_NCMBUTTONDBLCLK = 0x00A9;
// The system menu at the point in lParam (screen coordinates).
inline constexpr UINT WM_SYSMENU = 0x0313;

inline constexpr LRESULT HTERROR = -2;
inline constexpr LRESULT HTTRANSPARENT = -1;
inline constexpr LRESULT HTNOWHERE = 0;
inline constexpr LRESULT HTCLIENT = 1;
inline constexpr LRESULT HTCAPTION = 2;
inline constexpr LRESULT HTSYSMENU = 3;
inline constexpr LRESULT HTMENU = 5;
inline constexpr LRESULT HTMINBUTTON = 8;
inline constexpr LRESULT HTMAXBUTTON = 9;
inline constexpr LRESULT HTLEFT = 10;
inline constexpr LRESULT HTRIGHT = 11;
inline constexpr LRESULT HTTOP = 12;
inline constexpr LRESULT HTTOPLEFT = 13;
inline constexpr LRESULT HTTOPRIGHT = 14;
inline constexpr LRESULT HTBOTTOM = 15;
inline constexpr LRESULT HTBOTTOMLEFT = 16;
inline constexpr LRESULT HTBOTTOMRIGHT = 17;
inline constexpr LRESULT HTBORDER = 18;
inline constexpr LRESULT HTCLOSE = 20;
inline constexpr LRESULT HTHELP = 21;

// wParam the command (its low four bits are the system's: the sizing edge of SC_SIZE, 2 for a
// move by the caption), lParam the point on the screen for commands from the mouse.
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr WPARAM SC_SIZE = 0xF000;
inline constexpr WPARAM SC_MOVE = 0xF010;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_KEYMENU = 0xF100;
inline constexpr WPARAM SC_RESTORE = 0xF120;
inline constexpr WPARAM SC_CONTEXTHELP = 0xF180;

// lParam of a mouse message at (AX, AY).
constexpr LPARAM MakeMouseLParam(int AX, int AY)
{
    return LPARAM((uint32_t(uint16_t(int16_t(AX))) | (uint32_t(uint16_t(int16_t(AY))) << 16)));
}
constexpr TPoint MouseLParamPoint(LPARAM AParam)
{
    return TPoint{int16_t(uint16_t(AParam)), int16_t(uint16_t(AParam >> 16))};
}
