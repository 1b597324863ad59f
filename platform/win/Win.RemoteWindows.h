// Win.RemoteWindows.h: windows that other processes of the same user reach by a name. The
// application's message window publishes itself under the application title; another process
// finds it by that title, posts it registered messages and sends it copy data, and the window
// gets them as ordinary messages on its own thread.
// The channel is a Unix socket in the user's runtime folder that only the user can open; a
// listener thread per published window reads what arrives, checks every length and hands it to
// the window's thread through its message queue. Registered messages travel by name, as their
// ids differ from process to process.
#pragma once

#include <cstdint>

#include "Win.Messages.h"

// The most copy data one message may carry; a peer announcing more is dropped unread.
inline constexpr uint32_t MaxRemoteCopyData = 1u << 20;

// ---- The receiver ------------------------------------------------------------------------

// Makes AWnd, a window of the calling thread, reachable under AName until UnpublishWindow or
// the end of the process. False when the name is empty, AWnd is published already, another live
// process (or another window here) holds the name, or the channel cannot be made. A socket left
// behind by a process that died is replaced.
[[nodiscard]] bool PublishWindow(HWND AWnd, const String& AName);
// Closes AWnd's channel and waits for its listener to end; a message half received is dropped
// and its sender told so. Nothing happens for a window that is not published.
void UnpublishWindow(HWND AWnd);
// Where the channel of a name lives (for tests and diagnostics).
String RemoteWindowSocketPath(const String& AName);

// ---- The sender (another process) --------------------------------------------------------

// True when a live process publishes a window under AName.
[[nodiscard]] bool FindPublishedWindow(const String& AName);
// Posts the registered message AMessageName to the window published under AName, as
// PostMessageW would. False when no window answers within ATimeoutMs or its process never
// registered a message of that name.
[[nodiscard]] bool PostPublishedMessage(const String& AName, const String& AMessageName, WPARAM AWParam,
                                        LPARAM ALParam, int ATimeoutMs = 5000);
// Sends WM_COPYDATA to the window published under AName, with AFrom as wParam, and waits for
// its answer, as SendMessageW would. False when no window answers within ATimeoutMs or the
// data is longer than MaxRemoteCopyData.
[[nodiscard]] bool SendPublishedCopyData(const String& AName, uintptr_t AFrom, const COPYDATASTRUCT& AData,
                                         LRESULT& AResult, int ATimeoutMs = 5000);
