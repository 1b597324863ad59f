// Vcl.TestLoop.h: for tests only: the UI thread's loop served until a condition holds or a
// deadline passes (the waits of Rtl.TestWait.h, with messages served too).
#pragma once

#include "Rtl.TestWait.h"
#include "Vcl.Application.h"

// On the UI thread: serves its messages and synchronised calls until ADone answers true; fails,
// naming AWhat, when ATimeout passes first. Use as ASSERT_TRUE(PumpUntil("...", ...)).
inline testing::AssertionResult PumpUntil(std::string_view AWhat, const std::function<bool()>& ADone,
                                          std::chrono::milliseconds ATimeout = kTestDeadline)
{
    return PollUntil(
        AWhat, ADone,
        [] {
            Application->ProcessMessages();
            CheckSynchronize();
        },
        ATimeout);
}
