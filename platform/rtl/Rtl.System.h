// Rtl.System.h: process-wide facts of the runtime: thread ids and sleeping.
// Thread ids are the kernel's (gettid), so they match what debuggers and /proc show.
#pragma once

#include <cstdint>

using TThreadID = uint32_t;

TThreadID GetCurrentThreadId();
// The thread that started the process; the UI thread of both programs.
TThreadID MainThreadID();
void Sleep(uint32_t AMilliseconds);
