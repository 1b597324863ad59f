// Rtl.System.cpp: thread ids and sleeping on Linux.
#include "Rtl.System.h"

#include <unistd.h>

#include <chrono>
#include <thread>

TThreadID GetCurrentThreadId()
{
    return static_cast<TThreadID>(gettid());
}

TThreadID MainThreadID()
{
    // The main thread's id is the process id.
    return static_cast<TThreadID>(getpid());
}

void Sleep(uint32_t AMilliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(AMilliseconds));
}
