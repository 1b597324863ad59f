// Win.Keyboard.h: virtual-key codes, the key messages beside WM_KEYDOWN/WM_CHAR, and the state of
// the keys as the key messages of this thread last told it. UI thread only.
#pragma once

#include <cstdint>

#include "Win.Messages.h"

// With Alt held the keys arrive as system keys; WM_SYSCHAR is what a dialog's accelerators take.
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCHAR = 0x0106;

inline constexpr UINT VK_LBUTTON = 0x01;
inline constexpr UINT VK_RBUTTON = 0x02;
inline constexpr UINT VK_MBUTTON = 0x04;
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_SHIFT = 0x10;
inline constexpr UINT VK_CONTROL = 0x11;
inline constexpr UINT VK_MENU = 0x12;
inline constexpr UINT VK_PAUSE = 0x13;
inline constexpr UINT VK_CAPITAL = 0x14;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_PRIOR = 0x21;
inline constexpr UINT VK_NEXT = 0x22;
inline constexpr UINT VK_END = 0x23;
inline constexpr UINT VK_HOME = 0x24;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;
inline constexpr UINT VK_INSERT = 0x2D;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT VK_LWIN = 0x5B;
inline constexpr UINT VK_NUMPAD0 = 0x60;
inline constexpr UINT VK_ADD = 0x6B;
inline constexpr UINT VK_SUBTRACT = 0x6D;
inline constexpr UINT VK_F1 = 0x70;
inline constexpr UINT VK_F2 = 0x71;
inline constexpr UINT VK_F4 = 0x73;
inline constexpr UINT VK_F10 = 0x79;
inline constexpr UINT VK_NUMLOCK = 0x90;
inline constexpr UINT VK_APPS = 0x5D;

// The high bit (negative) while the key is down.
int16_t GetKeyState(int AVirtualKey);
// What the input routing calls for every key and mouse-button message, so that GetKeyState
// follows the keys and VK_LBUTTON/VK_RBUTTON; other messages change nothing.
void SetKeyStateFromMessage(UINT AMsg, WPARAM AVirtualKey);
// Every key up again (focus left the program, or a test starts afresh).
void ResetKeyState();
