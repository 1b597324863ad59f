// The application's loop: quit and exit code, the message hook, handed-over calls, exceptions;
// the application's window.
#include "Vcl.Application.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.SysUtils.h"
#include "Rtl.Threads.h"
#include "Vcl.TestLoop.h"

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
    EXPECT_EQ(RunUntilQuit("the posted quit"), 4);
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
    EXPECT_EQ(RunUntilQuit("the worker's queued Terminate"), 0);
    Thread->Free();
    EXPECT_EQ(Log, (std::vector<String>{"synchronized", "queued"}));
}

TEST(ApplicationTest, SystemRestoreCommandEndsTheMinimisedState)
{
    HWND Wnd = Application->Handle();
    EXPECT_EQ(Application->Handle(), Wnd);
    EXPECT_EQ(GetClassNameW(Wnd, 301), "TApplication");
    ShowWindow(Wnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(Wnd));
    SendMessageW(Wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(Wnd));
    ShowWindow(Wnd, SW_HIDE);
}

struct TEventSpy {
    std::vector<String> Log;
    void Activate(TObject*) { Log.push_back("activate"); }
    void Deactivate(TObject*) { Log.push_back("deactivate"); }
    void Minimize(TObject*) { Log.push_back("minimize"); }
    void Restore(TObject*) { Log.push_back("restore"); }
    void Hint(TObject*) { Log.push_back("hint " + Application->Hint()); }
    void SettingChange(TObject*, int AFlag, const String& ASection, int& AResult)
    {
        Log.push_back("setting " + IntToStr(AFlag) + " " + ASection);
        AResult = 5;
    }
    void Exception(TObject*, const std::exception& AE) { Log.push_back(String("exception ") + AE.what()); }
};

TEST(ApplicationTest, StateChangesAndWindowMessagesFireTheirEventsOnce)
{
    TEventSpy Spy;
    Application->SetOnActivate(TNotifyEvent::Bind<&TEventSpy::Activate>(&Spy));
    Application->SetOnDeactivate(TNotifyEvent::Bind<&TEventSpy::Deactivate>(&Spy));
    Application->SetOnMinimize(TNotifyEvent::Bind<&TEventSpy::Minimize>(&Spy));
    Application->SetOnRestore(TNotifyEvent::Bind<&TEventSpy::Restore>(&Spy));
    Application->SetOnHint(TNotifyEvent::Bind<&TEventSpy::Hint>(&Spy));
    Application->SetOnSettingChange(TSettingChangeEvent::Bind<&TEventSpy::SettingChange>(&Spy));
    Application->SetOnException(TExceptionEvent::Bind<&TEventSpy::Exception>(&Spy));

    Application->Minimize();
    Application->Minimize();
    EXPECT_TRUE(Application->IsMinimized());
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Application->Restore();
    Application->SetHint("Open");
    Application->SetHint("Open");
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, 1, 0);
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, 0, 0);
    String Section = "intl";
    EXPECT_EQ(SendMessageW(Application->Handle(), WM_SETTINGCHANGE, 42, reinterpret_cast<LPARAM>(&Section)), 5);
    for (bool Abort : {true, false}) {
        try {
            if (Abort)
                throw EAbort("quiet");
            throw EConvertError("bad");
        } catch (...) {
            Application->HandleException(Application);
        }
    }
    EXPECT_EQ(Spy.Log, (std::vector<String>{"minimize", "restore", "hint Open", "activate", "deactivate",
                                            "setting 42 intl", "exception bad"}));

    using TSetter = void (TApplication::*)(TNotifyEvent);
    for (TSetter Clear : {&TApplication::SetOnActivate, &TApplication::SetOnDeactivate, &TApplication::SetOnMinimize,
                          &TApplication::SetOnRestore, &TApplication::SetOnHint})
        (Application->*Clear)(TNotifyEvent());
    Application->SetOnSettingChange(TSettingChangeEvent());
    Application->SetOnException(TExceptionEvent());
    Application->SetHint("");
    ShowWindow(Application->Handle(), SW_HIDE);
}

TEST(ApplicationTest, TitleIsTheCaptionOfTheApplicationsWindow)
{
    Application->SetTitle("Kalender");
    EXPECT_EQ(GetWindowTextW(Application->Handle(), 100), "Kalender");
    Application->SetTitle("");
}

}  // namespace
