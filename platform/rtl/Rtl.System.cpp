// Rtl.System.cpp: thread ids, sleeping and the clocks on Linux.
#include "Rtl.System.h"

#include <time.h>
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

namespace {

void ToSystemTime(const tm& AFields, long ANanoseconds, TSystemTime& ATime)
{
    ATime.wYear = static_cast<uint16_t>(AFields.tm_year + 1900);
    ATime.wMonth = static_cast<uint16_t>(AFields.tm_mon + 1);
    ATime.wDayOfWeek = static_cast<uint16_t>(AFields.tm_wday);
    ATime.wDay = static_cast<uint16_t>(AFields.tm_mday);
    ATime.wHour = static_cast<uint16_t>(AFields.tm_hour);
    ATime.wMinute = static_cast<uint16_t>(AFields.tm_min);
    // A leap second (60) is shown as the last second of its minute.
    ATime.wSecond = static_cast<uint16_t>(AFields.tm_sec > 59 ? 59 : AFields.tm_sec);
    ATime.wMilliseconds = static_cast<uint16_t>(ANanoseconds / 1000000);
}

}  // namespace

void GetLocalTime(TSystemTime& ATime)
{
    timespec Now{};
    clock_gettime(CLOCK_REALTIME, &Now);
    tm Fields{};
    localtime_r(&Now.tv_sec, &Fields);
    ToSystemTime(Fields, Now.tv_nsec, ATime);
}

void GetSystemTime(TSystemTime& ATime)
{
    timespec Now{};
    clock_gettime(CLOCK_REALTIME, &Now);
    tm Fields{};
    gmtime_r(&Now.tv_sec, &Fields);
    ToSystemTime(Fields, Now.tv_nsec, ATime);
}

uint32_t GetTickCount()
{
    timespec Now{};
    clock_gettime(CLOCK_BOOTTIME, &Now);
    uint64_t Milliseconds = static_cast<uint64_t>(Now.tv_sec) * 1000 + static_cast<uint64_t>(Now.tv_nsec) / 1000000;
    return static_cast<uint32_t>(Milliseconds);
}
