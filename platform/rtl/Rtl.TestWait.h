// Rtl.TestWait.h: for tests only: waiting for another thread with a deadline, failing with a
// message that says what did not happen. Use as ASSERT_TRUE(WaitUntil("...", ...)).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string_view>
#include <thread>

#include "Rtl.Threads.h"

// Long enough for a loaded machine running sanitizers on one core; a hang fails after it.
inline constexpr std::chrono::seconds kTestDeadline{60};

// Calls AServe, then asks ADone, until ADone answers true or ATimeout passes.
inline testing::AssertionResult PollUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                          const std::function<void()>& AServe,
                                          std::chrono::milliseconds ATimeout = kTestDeadline)
{
    auto Deadline = std::chrono::steady_clock::now() + ATimeout;
    for (;;) {
        AServe();
        if (ADone())
            return testing::AssertionSuccess();
        if (std::chrono::steady_clock::now() > Deadline)
            return testing::AssertionFailure() << "gave up after " << ATimeout.count() << " ms waiting for " << AWhat;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// On a thread that serves nothing.
inline testing::AssertionResult WaitUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                          std::chrono::milliseconds ATimeout = kTestDeadline)
{
    return PollUntil(AWhat, ADone, [] {}, ATimeout);
}

// On the main thread, running the calls that threads synchronise meanwhile.
inline testing::AssertionResult SynchronizeUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                                 std::chrono::milliseconds ATimeout = kTestDeadline)
{
    return PollUntil(AWhat, ADone, [] { CheckSynchronize(); }, ATimeout);
}

// A std::future or std::shared_future.
template <class TFuture>
testing::AssertionResult WaitUntilReady(std::string_view AWhat, const TFuture& AFuture,
                                        std::chrono::milliseconds ATimeout = kTestDeadline)
{
    if (AFuture.wait_for(ATimeout) == std::future_status::ready)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "gave up after " << ATimeout.count() << " ms waiting for " << AWhat;
}
