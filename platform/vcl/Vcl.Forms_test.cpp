// The application's loop: quit and exit code, the message hook, handed-over calls, exceptions;
// the application's window; the screen's monitors on the headless display.
#include "Vcl.Forms.h"

#include <gtest/gtest.h>

#include <vector>

#include "Display.Headless.h"
#include "Rtl.SysUtils.h"
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

TEST(ScreenTest, MonitorsFollowTheDisplayAndThePrimaryIsFound)
{
    TXHeadlessDisplay* Display = HeadlessDisplay();
    ASSERT_NE(Display, nullptr);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    ASSERT_EQ(Screen->MonitorCount(), 1);
    EXPECT_EQ(Screen->PrimaryMonitor(), Screen->Monitors(0));
    EXPECT_EQ(Screen->Width(), 1920);

    Display->SetMonitors({
        TXMonitor{"A", "Card", Rect(0, 0, 1280, 1024), Rect(0, 0, 1280, 984), false, 96},
        TXMonitor{"B", "Card", Rect(1280, 0, 3840, 1440), Rect(1280, 0, 3840, 1440), true, 144},
    });
    ASSERT_EQ(Screen->MonitorCount(), 2);
    TMonitor* Primary = Screen->PrimaryMonitor();
    ASSERT_NE(Primary, nullptr);
    EXPECT_EQ(Primary->MonitorNum(), 1);
    EXPECT_EQ(Primary->Left(), 1280);
    EXPECT_EQ(Primary->Width(), 2560);
    EXPECT_EQ(Primary->PixelsPerInch(), 144);
    EXPECT_EQ(Screen->Monitors(0)->WorkareaRect(), Rect(0, 0, 1280, 984));
    EXPECT_EQ(Screen->Monitors(0)->Handle(), MonitorFromPoint(Point(10, 10), MONITOR_DEFAULTTONULL));
    EXPECT_EQ(Screen->Width(), 2560);
    EXPECT_EQ(Screen->Monitors(1), Primary);   // unchanged monitors keep their objects
    EXPECT_THROW(Screen->Monitors(2), EListError);

    Screen->SetPixelsPerInch(120);
    EXPECT_EQ(Screen->PixelsPerInch(), 120);
    Screen->SetPixelsPerInch(96);
    Display->Reset();
    EXPECT_EQ(Screen->MonitorCount(), 1);
}

}  // namespace
