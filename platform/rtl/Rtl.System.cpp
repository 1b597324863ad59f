// Rtl.System.cpp: thread ids, sleeping and the clocks on Linux.
#include "Rtl.System.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include <chrono>
#include <system_error>

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

namespace {

// A timer for the far future, set so that the kernel cancels it when the clock is set.
void ArmClockTimer(int ATimer)
{
    itimerspec Spec{};
    Spec.it_value.tv_sec = std::numeric_limits<time_t>::max() / 2;
    timerfd_settime(ATimer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &Spec, nullptr);
}

}  // namespace

TClockChangeWatch::TClockChangeWatch(std::function<void()> AOnChange) : FOnChange(std::move(AOnChange))
{
    FTimer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC);
    FStop = eventfd(0, EFD_CLOEXEC);
    if (FTimer < 0 || FStop < 0) {
        int Error = errno;
        if (FTimer >= 0)
            close(FTimer);
        if (FStop >= 0)
            close(FStop);
        throw std::system_error(Error, std::generic_category(), "clock change watch");
    }
    ArmClockTimer(FTimer);
    FThread = std::thread([this] { Run(); });
}

TClockChangeWatch::~TClockChangeWatch()
{
    uint64_t One = 1;
    (void)!write(FStop, &One, sizeof One);
    FThread.join();
    close(FTimer);
    close(FStop);
}

void TClockChangeWatch::Run()
{
    pollfd Fds[2] = {{FTimer, POLLIN, 0}, {FStop, POLLIN, 0}};
    for (;;) {
        if (poll(Fds, 2, -1) < 0)
            continue;   // interrupted by a signal
        if (Fds[1].revents != 0)
            return;
        uint64_t Expirations = 0;
        bool Changed = read(FTimer, &Expirations, sizeof Expirations) < 0 && errno == ECANCELED;
        ArmClockTimer(FTimer);
        if (Changed)
            FOnChange();
    }
}
