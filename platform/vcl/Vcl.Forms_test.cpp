// The application's loop: quit and exit code, the message hook, handed-over calls, exceptions.
#include "Vcl.Forms.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.Threads.h"

namespace {

struct TLoopSpy {
    std::vector<UINT> Dispatched;
    std::vector<UINT> Hooked;
    HWND Handle = AllocateHWnd(TWndMethod::Bind<&TLoopSpy::WndProc>(this));

    ~TLoopSpy() { DeallocateHWnd(Handle); }
    void WndProc(TMessage& AMessage)
    {
        Dispatched.push_back(AMessage.Msg);
        if (AMessage.Msg == WM_USER + 9)
            throw EAbort("");
    }
    void Hook(TMsg& AMsg, bool& AHandled)
    {
        Hooked.push_back(AMsg.message);
        AHandled = AMsg.message == WM_USER + 1;
    }
};

TEST(ApplicationTest, RunDispatchesThroughTheHookUntilQuitAndAnswersItsExitCode)
{
    TLoopSpy Spy;
    Application->SetOnMessage(TMessageEvent::Bind<&TLoopSpy::Hook>(&Spy));
    PostMessageW(Spy.Handle, WM_USER, 0, 0);
    PostMessageW(Spy.Handle, WM_USER + 1, 0, 0);
    PostMessageW(Spy.Handle, WM_USER + 9, 0, 0);   // raises; the loop goes on
    PostMessageW(Spy.Handle, WM_USER + 2, 0, 0);
    PostQuitMessage(4);
    EXPECT_EQ(Application->Run(), 4);
    Application->SetOnMessage(TMessageEvent());
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(Spy.Hooked, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 9, WM_USER + 2}));
    EXPECT_EQ(Spy.Dispatched, (std::vector<UINT>{WM_USER, WM_USER + 9, WM_USER + 2}));
}

class TCallingThread : public TThread {
    X_CLASS(TCallingThread, TThread)
public:
    std::vector<String>* Log = nullptr;

protected:
    TCallingThread() = default;
    void Execute() override
    {
        Synchronize([this] { Log->push_back("synchronized"); });
        Queue([this] {
            Log->push_back("queued");
            Application->Terminate();
        });
    }
};

TEST(ApplicationTest, RunServesWhatWorkersHandOver)
{
    std::vector<String> Log;
    TCallingThread* Thread = TCallingThread::Create(true);
    Thread->Log = &Log;
    Thread->Start();
    EXPECT_EQ(Application->Run(), 0);
    Thread->Free();
    EXPECT_EQ(Log, (std::vector<String>{"synchronized", "queued"}));
}

}  // namespace
