// Windows, per-thread queues, sent messages across threads, quit, timers and registered messages.
#include "Win.Messages.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

namespace {

// A window that records what reaches its procedure; its answer is given by the test.
struct TWindowSpy {
    std::vector<TMsg> Received;
    std::function<LRESULT(const TMessage&)> Answer;
    HWND Handle = AllocateHWnd(TWndMethod::Bind<&TWindowSpy::WndProc>(this));

    ~TWindowSpy() { DeallocateHWnd(Handle); }
    void WndProc(TMessage& AMessage)
    {
        Received.push_back(TMsg{Handle, AMessage.Msg, AMessage.WParam, AMessage.LParam});
        AMessage.Result = Answer ? Answer(AMessage) : DefWindowProcW(Handle, AMessage.Msg, AMessage.WParam, AMessage.LParam);
    }
};

// Empties the calling thread's queue, a pending quit included, so tests start clean.
void DrainQueue()
{
    TMsg Msg;
    while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override { DrainQueue(); }
    void TearDown() override { DrainQueue(); }
};

TEST_F(MessagesTest, PostedMessagesAreDispatchedInOrderToTheirWindow)
{
    TWindowSpy A, B;
    ASSERT_TRUE(PostMessageW(A.Handle, WM_USER + 1, 10, 11));
    ASSERT_TRUE(PostMessageW(B.Handle, WM_USER + 2, 20, 21));
    ASSERT_TRUE(PostMessageW(A.Handle, WM_USER + 3, 30, 31));
    TMsg Msg;
    for (int I = 0; I < 3; ++I) {
        ASSERT_TRUE(GetMessageW(Msg, nullptr, 0, 0));
        DispatchMessageW(Msg);
    }
    ASSERT_EQ(A.Received.size(), 2u);
    EXPECT_EQ(A.Received[0].message, WM_USER + 1u);
    EXPECT_EQ(A.Received[1].wParam, 30u);
    EXPECT_EQ(A.Received[1].lParam, 31);
    ASSERT_EQ(B.Received.size(), 1u);
    EXPECT_EQ(B.Received[0].message, WM_USER + 2u);
}

struct TFilterCase {
    const char* Name;
    int Window;   // index into the fixture's windows, -1 for any
    UINT FilterMin;
    UINT FilterMax;
    UINT Expected;   // the message taken first, 0 for none
};

const TFilterCase kFilterCases[] = {
    {"AnyMessage", -1, 0, 0, WM_USER + 1},
    {"ByWindow", 1, 0, 0, WM_USER + 2},
    {"ByRange", -1, WM_USER + 2, WM_USER + 3, WM_USER + 2},
    {"ByWindowAndRange", 0, WM_USER + 2, WM_USER + 3, WM_USER + 3},
    {"NothingMatches", 1, WM_USER + 3, WM_USER + 3, 0},
};

void PrintTo(const TFilterCase& ACase, std::ostream* AStream)
{
    *AStream << ACase.Name;
}

class PeekFilterTest : public MessagesTest, public ::testing::WithParamInterface<TFilterCase> {};

TEST_P(PeekFilterTest, TakesTheFirstMatchingMessageAndNoRemoveLeavesIt)
{
    TWindowSpy Windows[2];
    ASSERT_TRUE(PostMessageW(Windows[0].Handle, WM_USER + 1, 0, 0));
    ASSERT_TRUE(PostMessageW(Windows[1].Handle, WM_USER + 2, 0, 0));
    ASSERT_TRUE(PostMessageW(Windows[0].Handle, WM_USER + 3, 0, 0));
    const TFilterCase& Case = GetParam();
    HWND Filter = Case.Window < 0 ? nullptr : Windows[Case.Window].Handle;
    TMsg Msg;
    if (Case.Expected == 0) {
        EXPECT_FALSE(PeekMessageW(Msg, Filter, Case.FilterMin, Case.FilterMax, PM_REMOVE));
        return;
    }
    for (UINT Remove : {PM_NOREMOVE, PM_REMOVE}) {
        ASSERT_TRUE(PeekMessageW(Msg, Filter, Case.FilterMin, Case.FilterMax, Remove));
        EXPECT_EQ(Msg.message, Case.Expected);
    }
    while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
        EXPECT_NE(Msg.message, Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Filters, PeekFilterTest, ::testing::ValuesIn(kFilterCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(MessagesTest, PendingQuitComesAfterMatchingPostedMessagesWhateverTheFilter)
{
    TWindowSpy Engine, Other;
    ASSERT_TRUE(PostMessageW(Engine.Handle, WM_APP + 200, 0, 0));
    ASSERT_TRUE(PostMessageW(Other.Handle, WM_USER, 0, 0));
    PostQuitMessage(5);
    ASSERT_TRUE(PostMessageW(Engine.Handle, WM_APP + 200, 0, 0));
    TMsg Msg;
    for (int I = 0; I < 2; ++I) {
        ASSERT_TRUE(PeekMessageW(Msg, Engine.Handle, WM_APP + 200, WM_APP + 200, PM_REMOVE));
        EXPECT_EQ(Msg.message, WM_APP + 200u);
    }
    ASSERT_TRUE(PeekMessageW(Msg, Engine.Handle, WM_APP + 200, WM_APP + 200, PM_REMOVE));
    EXPECT_EQ(Msg.message, WM_QUIT);
    EXPECT_EQ(Msg.wParam, 5u);
    EXPECT_EQ(Msg.hwnd, nullptr);
    // Taken once: the other window's message is still there, the quit is not.
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Msg.message, WM_USER);
    EXPECT_FALSE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, GetMessageAnswersFalseForQuit)
{
    PostQuitMessage(3);
    TMsg Msg;
    EXPECT_FALSE(GetMessageW(Msg, nullptr, 0, 0));
    EXPECT_EQ(Msg.wParam, 3u);
}

TEST_F(MessagesTest, PostsFromAnotherThreadWakeTheWaitingOwnerInOrder)
{
    constexpr WPARAM kCount = 1000;
    TWindowSpy Window;
    std::thread Poster([&] {
        for (WPARAM I = 0; I < kCount; ++I)
            ASSERT_TRUE(PostMessageW(Window.Handle, WM_USER, I, 0));
    });
    TMsg Msg;
    for (WPARAM I = 0; I < kCount; ++I) {
        ASSERT_TRUE(GetMessageW(Msg, Window.Handle, 0, 0));
        ASSERT_EQ(Msg.wParam, I);
    }
    Poster.join();
}

TEST_F(MessagesTest, SendFromAnotherThreadRunsOnTheOwnerAndServesSendsBackMeanwhile)
{
    TWindowSpy Main;
    TThreadID MainRanOn = 0;
    std::promise<HWND> WorkerWindow;
    std::future<HWND> WorkerHandle = WorkerWindow.get_future();
    LRESULT Answer = 0;
    // The worker's window doubles; the main window asks the worker's window and adds one, so the
    // worker must serve a send while it waits for its own.
    Main.Answer = [&](const TMessage& AMessage) -> LRESULT {
        MainRanOn = GetCurrentThreadId();
        return SendMessageW(WorkerHandle.get(), WM_USER, AMessage.WParam, 0) + 1;
    };
    std::thread Worker([&] {
        TWindowSpy Doubler;
        Doubler.Answer = [](const TMessage& AMessage) { return static_cast<LRESULT>(AMessage.WParam * 2); };
        WorkerWindow.set_value(Doubler.Handle);
        Answer = SendMessageW(Main.Handle, WM_USER, 21, 0);
        PostMessageW(Main.Handle, WM_APP, 0, 0);
    });
    TMsg Msg;
    while (GetMessageW(Msg, nullptr, 0, 0) && Msg.message != WM_APP)
        DispatchMessageW(Msg);
    Worker.join();
    EXPECT_EQ(Answer, 43);
    EXPECT_EQ(MainRanOn, MainThreadID());
}

TEST_F(MessagesTest, SendToAThreadThatEndsWithoutAnsweringAnswersZero)
{
    std::promise<HWND> Ready;
    std::thread Worker([&] {
        TWindowSpy Window;
        Ready.set_value(Window.Handle);
        // Wakes for the send but ends without looking at it.
        WaitMessage();
    });
    HWND Handle = Ready.get_future().get();
    EXPECT_EQ(SendMessageW(Handle, WM_USER, 1, 0), 0);
    Worker.join();
}

TEST_F(MessagesTest, WindowsOfAnEndedThreadTakeNoMessages)
{
    HWND Orphan = nullptr;
    std::thread([&] { Orphan = AllocateHWnd(TWndMethod()); }).join();
    EXPECT_FALSE(PostMessageW(Orphan, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(Orphan, WM_USER, 0, 0), 0);
    DeallocateHWnd(Orphan);
}

TEST_F(MessagesTest, DeallocatedWindowLosesItsQueuedMessagesAndTimers)
{
    auto Gone = std::make_unique<TWindowSpy>();
    TWindowSpy Kept;
    HWND Handle = Gone->Handle;
    ASSERT_TRUE(PostMessageW(Handle, WM_USER, 0, 0));
    ASSERT_TRUE(PostMessageW(Kept.Handle, WM_USER + 1, 0, 0));
    ASSERT_EQ(SetTimer(Handle, 1, 10), 1u);
    Gone.reset();
    EXPECT_FALSE(IsWindow(Handle));
    EXPECT_FALSE(PostMessageW(Handle, WM_USER, 0, 0));
    EXPECT_FALSE(KillTimer(Handle, 1));
    TMsg Msg;
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Msg.hwnd, Kept.Handle);
    EXPECT_FALSE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(DispatchMessageW(TMsg{Handle, WM_USER, 0, 0}), 0);
}

TEST_F(MessagesTest, ThreadMessagesReachTheThreadsQueue)
{
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_USER, 9, 0));
    TMsg Msg;
    ASSERT_TRUE(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Msg.hwnd, nullptr);
    EXPECT_EQ(Msg.wParam, 9u);
    TThreadID Ended = 0;
    std::thread([&] {
        DrainQueue();   // gives the thread a queue, which goes with it
        Ended = GetCurrentThreadId();
    }).join();
    EXPECT_FALSE(PostThreadMessageW(Ended, WM_USER, 0, 0));
}

TEST_F(MessagesTest, TimerFiresForItsWindowUntilKilled)
{
    TWindowSpy Window;
    ASSERT_EQ(SetTimer(Window.Handle, 7, 10), 7u);
    TMsg Msg;
    for (int I = 0; I < 2; ++I) {
        ASSERT_TRUE(GetMessageW(Msg, nullptr, 0, 0));
        EXPECT_EQ(Msg.hwnd, Window.Handle);
        EXPECT_EQ(Msg.message, WM_TIMER);
        EXPECT_EQ(Msg.wParam, 7u);
    }
    EXPECT_TRUE(KillTimer(Window.Handle, 7));
    EXPECT_FALSE(KillTimer(Window.Handle, 7));
    EXPECT_EQ(SetTimer(Window.Handle, 0, 10), 0u);
    UINT_PTR FromOtherThread = 1;
    std::thread([&] { FromOtherThread = SetTimer(Window.Handle, 8, 10); }).join();
    EXPECT_EQ(FromOtherThread, 0u);
}

uint64_t GVirtualMilliseconds = 0;

TEST_F(MessagesTest, TimersComeDueOnTheInstalledClock)
{
    GVirtualMilliseconds = 1000;
    SetTimerClock([] { return GVirtualMilliseconds; });
    TWindowSpy Window;
    ASSERT_EQ(SetTimer(Window.Handle, 3, 20), 3u);
    TMsg Msg;
    const struct {
        uint64_t At;
        bool Due;
    } kSteps[] = {{1019, false}, {1020, true}, {1039, false}, {1100, true}, {1100, false}};
    for (const auto& Step : kSteps) {
        GVirtualMilliseconds = Step.At;
        EXPECT_EQ(PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE), Step.Due) << "at " << Step.At;
    }
    KillTimer(Window.Handle, 3);
    SetTimerClock(nullptr);
}

TEST(RegisterWindowMessageTest, SameNameGivesTheSameIdAndLetterCaseDoesNotCount)
{
    UINT Progress = RegisterWindowMessageW("XM_Progress");
    UINT Taskbar = RegisterWindowMessageW("TaskbarCreated");
    EXPECT_GE(Progress, 0xC000u);
    EXPECT_GE(Taskbar, 0xC000u);
    EXPECT_NE(Progress, Taskbar);
    EXPECT_EQ(RegisterWindowMessageW("XM_Progress"), Progress);
    EXPECT_EQ(RegisterWindowMessageW("xm_progress"), Progress);
    UINT FromOtherThread = 0;
    std::thread([&] { FromOtherThread = RegisterWindowMessageW("TaskbarCreated"); }).join();
    EXPECT_EQ(FromOtherThread, Taskbar);
    EXPECT_EQ(RegisterWindowMessageW(""), 0u);
    EXPECT_EQ(FindWindowMessageW("taskbarcreated"), Taskbar);
    EXPECT_EQ(FindWindowMessageW("NeverRegistered"), 0u);
    EXPECT_EQ(FindWindowMessageW("NeverRegistered"), 0u) << "looking does not register";
}

}  // namespace
