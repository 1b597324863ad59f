// Vcl.TestLoop.h: for tests only: the UI thread's loop served until a condition holds or a
// deadline passes (the waits of Rtl.TestWait.h, with messages served too).
#pragma once

#include <condition_variable>
#include <mutex>

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

// On the UI thread: Application->Run() as a program runs it, ended with a failure naming AWhat
// when the loop has not quit within ATimeout. Answers Run's exit code (-1 after the deadline).
inline int RunUntilQuit(std::string_view AWhat, std::chrono::milliseconds ATimeout = kTestDeadline)
{
    constexpr int kTimedOut = -1;
    std::mutex Lock;
    std::condition_variable Changed;
    bool Ended = false;
    TThreadID UIThread = GetCurrentThreadId();
    std::thread Watchdog([&] {
        std::unique_lock<std::mutex> Guard(Lock);
        if (Changed.wait_for(Guard, ATimeout, [&] { return Ended; }))
            return;
        Guard.unlock();
        ADD_FAILURE() << "the application's loop did not quit in time: " << AWhat;
        PostThreadMessageW(UIThread, WM_QUIT, static_cast<WPARAM>(kTimedOut), 0);
    });
    int Code = Application->Run();
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Ended = true;
    }
    Changed.notify_one();
    Watchdog.join();
    return Code;
}
