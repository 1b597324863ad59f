// Vcl.TestLoop.h: for tests only: waiting for another thread with a deadline, on the UI thread
// by serving its messages and synchronised calls meanwhile, elsewhere by polling.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string_view>
#include <thread>

#include "Rtl.Threads.h"
#include "Vcl.Application.h"

// Long enough for a loaded machine running sanitizers on one core; a hang fails after it.
inline constexpr std::chrono::seconds kTestDeadline{60};

namespace XTestLoop {

inline testing::AssertionResult Poll(std::string_view AWhat, const std::function<bool()>& ADone,
                                     std::chrono::milliseconds ATimeout, const std::function<void()>& AServe)
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

}  // namespace XTestLoop

// On the UI thread: serves messages and synchronised calls until ADone answers true; fails,
// naming AWhat, when ATimeout passes first. Use as ASSERT_TRUE(PumpUntil("...", ...)).
inline testing::AssertionResult PumpUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                          std::chrono::milliseconds ATimeout = kTestDeadline)
{
    return XTestLoop::Poll(AWhat, ADone, ATimeout, [] {
        Application->ProcessMessages();
        CheckSynchronize();
    });
}

// The same on a thread that serves nothing.
inline testing::AssertionResult WaitUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                          std::chrono::milliseconds ATimeout = kTestDeadline)
{
    return XTestLoop::Poll(AWhat, ADone, ATimeout, [] {});
}
