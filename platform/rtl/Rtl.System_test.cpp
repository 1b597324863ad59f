// The tick count and the watch that tells when the wall clock is set.
#include "Rtl.System.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <time.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>

namespace {

TEST(RtlSystemTest, SettingTheClockIsReportedOnTheWatchThread)
{
    std::mutex Lock;
    std::condition_variable Changed;
    int Calls = 0;
    TClockChangeWatch Watch([&] {
        std::lock_guard Guard(Lock);
        ++Calls;
        Changed.notify_all();
    });
    // Setting the machine's clock is opt-in: a test run must not touch the host's time.
    if (std::getenv("X_ALLOW_CLOCK_SET") == nullptr)
        GTEST_SKIP() << "set X_ALLOW_CLOCK_SET=1 to let this test set the system clock";
    // Set the clock to what it reads: no visible step, but a set all the same.
    timespec Now{};
    clock_gettime(CLOCK_REALTIME, &Now);
    if (clock_settime(CLOCK_REALTIME, &Now) != 0)
        GTEST_SKIP() << "setting the clock is not permitted here (errno " << errno << ")";
    std::unique_lock Guard(Lock);
    EXPECT_TRUE(Changed.wait_for(Guard, std::chrono::seconds(10), [&] { return Calls > 0; }));
    // The watch re-arms: a second set is reported too.
    Guard.unlock();
    clock_gettime(CLOCK_REALTIME, &Now);
    ASSERT_EQ(clock_settime(CLOCK_REALTIME, &Now), 0);
    Guard.lock();
    EXPECT_TRUE(Changed.wait_for(Guard, std::chrono::seconds(10), [&] { return Calls > 1; }));
}

TEST(RtlSystemTest, AWatchEndsWithoutAnyChange)
{
    bool Called = false;
    { TClockChangeWatch Watch([&] { Called = true; }); }
    EXPECT_FALSE(Called);
}

}  // namespace
