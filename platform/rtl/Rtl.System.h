// Rtl.System.h: process-wide facts of the runtime: thread ids, sleeping and the system clocks.
// Thread ids are the kernel's (gettid), so they match what debuggers and /proc show.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

using TThreadID = uint32_t;

TThreadID GetCurrentThreadId();
// The thread that started the process; the UI thread of both programs.
TThreadID MainThreadID();
void Sleep(uint32_t AMilliseconds);

// A calendar date and time of day in fields, as the system clock gives them.
struct TSystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;       // 1..12
    uint16_t wDayOfWeek = 0;   // 0 is Sunday
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

// The wall clock in the local time zone, and in UTC.
void GetLocalTime(TSystemTime& ATime);
void GetSystemTime(TSystemTime& ATime);
// Milliseconds since the system started, suspended time included; wraps every 49.7 days, so
// intervals are taken as 32-bit unsigned differences.
uint32_t GetTickCount();

// Calls AOnChange, on a thread of its own, each time the wall clock is set (by hand, or by a
// time service that steps it) rather than just running on. Windows tells every window of this
// with WM_TIMECHANGE; here the owner of the watch decides whom to tell.
class TClockChangeWatch {
public:
    explicit TClockChangeWatch(std::function<void()> AOnChange);
    ~TClockChangeWatch();
    TClockChangeWatch(const TClockChangeWatch&) = delete;
    TClockChangeWatch& operator=(const TClockChangeWatch&) = delete;

private:
    void Run();

    std::function<void()> FOnChange;
    int FTimer = -1;   // a timer the kernel cancels when the clock is set
    int FStop = -1;    // an event that ends the thread
    std::thread FThread;
};
