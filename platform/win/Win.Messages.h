// Win.Messages.h: windows as handles with a window procedure, one message queue per thread,
// timers and registered window messages. A window belongs to the thread that created it: its
// posted messages, sent messages from other threads and timers are delivered on that thread.
#pragma once

#include <cstdint>

#include "Rtl.Methods.h"
#include "Rtl.System.h"
#include "Rtl.Types.h"

struct HWND__;
using HWND = HWND__*;
using UINT = uint32_t;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_TIMECHANGE = 0x001E;
inline constexpr UINT WM_COPYDATA = 0x004A;
inline constexpr UINT WM_HOTKEY = 0x0312;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

// A message taken from a queue; hwnd is nullptr for a thread message.
struct TMsg {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A message as a window procedure receives it; the procedure answers in Result.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

using TWndMethod = TMethod<void(TMessage&)>;

// What WM_COPYDATA carries in lParam: a block of cbData bytes at lpData, tagged by dwData.
// The block belongs to the sender and lives only while the message is being handled.
struct COPYDATASTRUCT {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;
    const void* lpData = nullptr;
};

// ---- Windows -----------------------------------------------------------------------------

// A hidden window of the calling thread whose window procedure is AMethod.
HWND AllocateHWnd(TWndMethod AMethod);
// Destroys the window with its timers and the messages still queued for it.
void DeallocateHWnd(HWND AWnd);
bool IsWindow(HWND AWnd);
// What a window procedure does with a message it does not handle: nothing, answering 0.
LRESULT DefWindowProcW(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam);

// ---- Messages ----------------------------------------------------------------------------

// Queues the message for AWnd's thread; nullptr posts a thread message to the calling thread.
// False when AWnd is no window or its thread has ended.
bool PostMessageW(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam);
// False when the thread has no message queue (it never used one, or it ended).
bool PostThreadMessageW(TThreadID AThreadId, UINT AMsg, WPARAM AWParam, LPARAM ALParam);
// Calls AWnd's window procedure and answers its result. For a window of another thread the call
// runs on that thread, when it next looks at its queue, while this one waits and still serves
// messages sent to it. 0 for no window, or when the owner thread ends before answering.
LRESULT SendMessageW(HWND AWnd, UINT AMsg, WPARAM AWParam, LPARAM ALParam);
// Marks a quit as pending for the calling thread: WM_QUIT with AExitCode as wParam comes out of
// the queue once no posted message matches the reader's filter, whatever that filter is.
void PostQuitMessage(int AExitCode);

// Takes the first message for AWnd (nullptr: any) within AFilterMin..AFilterMax (0, 0: any):
// messages sent from other threads are served first, then posted messages in order, then a
// pending quit, then due timers. PM_NOREMOVE leaves the message queued. False when none.
[[nodiscard]] bool PeekMessageW(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax, UINT ARemove);
// Waits for the next message as PeekMessageW would take it; false for WM_QUIT.
[[nodiscard]] bool GetMessageW(TMsg& AMsg, HWND AWnd, UINT AFilterMin, UINT AFilterMax);
// Calls the window procedure of AMsg.hwnd and answers its result; 0 for a thread message or a
// window that is gone. What the procedure raises passes on.
LRESULT DispatchMessageW(const TMsg& AMsg);
// Waits until something has come into the queue since the last PeekMessageW or GetMessageW of
// this thread, or a timer is due.
void WaitMessage();

// ---- Other sources of messages ------------------------------------------------------------

// Input that arrives beside the queue, as a display connection's events: the thread's wait
// watches its descriptor, and each look into the queue first lets it post what arrived.
class TMessageSource {
public:
    virtual int Descriptor() = 0;
    // True when input waits in a buffer of the source, which the descriptor no longer shows.
    virtual bool Buffered() = 0;
    // Reads what arrived and posts it as messages; it may not look into the queue itself.
    virtual void Dispatch() = 0;

protected:
    ~TMessageSource() = default;
};

// Joins ASource to the calling thread's queue (nullptr: none); the source outlives its use.
void SetMessageSource(TMessageSource* ASource);

// ---- Timers ------------------------------------------------------------------------------

// Every AElapse milliseconds (at least 10) a WM_TIMER with wParam AIDEvent becomes due for AWnd,
// which must be a window of the calling thread; setting an id again restarts its timer. A due
// timer is delivered when the queue holds nothing else, once however late it is. Answers
// AIDEvent, or 0 when AWnd is not a window of this thread or AIDEvent is 0.
UINT_PTR SetTimer(HWND AWnd, UINT_PTR AIDEvent, UINT AElapse);
bool KillTimer(HWND AWnd, UINT_PTR AIDEvent);

// The milliseconds that timers count. Tests install a clock of their own so that a timer comes
// due when the test moves that clock, never by sleeping; nullptr goes back to the system's
// monotonic clock. Set it while no timer is running: due times already set keep their clock.
using TTimerClock = uint64_t (*)();
void SetTimerClock(TTimerClock AClock);

// ---- Registered messages -----------------------------------------------------------------

// A message id from 0xC000 up, the same for the same name (letter case ignored) within the
// process; 0 for an empty name or when the range is used up.
UINT RegisterWindowMessageW(const String& AName);
// The id RegisterWindowMessageW gave AName in this process (letter case ignored); 0 when the
// name was never registered. Registers nothing, so names from outside cannot fill the range.
UINT FindWindowMessageW(const String& AName);
