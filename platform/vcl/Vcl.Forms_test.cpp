// The application's loop: quit and exit code, the message hook, handed-over calls, exceptions;
// the application's window; the screen's monitors on the headless display; forms: showing,
// closing, modal loops, placement, key preview and their picture.
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


// ---- Forms -------------------------------------------------------------------------------

// A painted square that stands in for a button.
class TTestButton : public TGraphicControl {
    X_CLASS(TTestButton, TGraphicControl)
protected:
    TTestButton() = default;
    void Paint() override { Canvas()->FillRect(ClientRect()); }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FForm = TForm::Create(Application);
        FForm->SetBounds(0, 0, 200, 100);
        FForm->SetColor(clWhite);
    }
    void TearDown() override
    {
        FForm->Free();
        Application->ProcessMessages();
    }
    void Click(TCustomForm* AForm, int AX, int AY)
    {
        PostMessageW(AForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(AX, AY));
        PostMessageW(AForm->Handle(), WM_LBUTTONUP, 0, MakeMouseLParam(AX, AY));
    }
    TTestButton* AddButton(TWinControl* AParent, const TRect& ABounds)
    {
        TTestButton* Button = TTestButton::Create(AParent);
        Button->SetBoundsRect(ABounds);
        Button->SetParent(AParent);
        return Button;
    }

public:
    void Log(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }
    void Ok(TObject*) { FForm->SetModalResult(mrOk); }
    void RefuseOnce(TObject*, bool& ACanClose)
    {
        FLog.push_back(FForm->Visible() ? "query shown" : "query hidden");
        ACanClose = ++FQueries > 1;
    }
    void Keep(TObject*, TCloseAction& AAction) { AAction = FCloseAction; }
    void Swallow(TObject*, uint16_t& AKey, TShiftState)
    {
        FLog.push_back("form " + std::to_string(AKey));
        if (AKey == 'X')
            AKey = 0;
    }
    void ControlKey(TObject*, uint16_t& AKey, TShiftState) { FLog.push_back("control " + std::to_string(AKey)); }

protected:
    TForm* FForm = nullptr;
    std::vector<String> FLog;
    int FQueries = 0;
    TCloseAction FCloseAction = caHide;
};

TEST_F(FormTest, ShowModalRunsUntilAButtonSetsTheResultAndTheFormMayClose)
{
    TForm* Other = TForm::Create(Application);
    Other->Show();
    AddButton(FForm, Rect(10, 10, 50, 30))->SetOnClick(TNotifyEvent::Bind<&FormTest::Ok>(this));
    FForm->SetOnCloseQuery(TCloseQueryEvent::Bind<&FormTest::RefuseOnce>(this));
    Click(FForm, 100, 50);   // beside the button: nothing
    Click(FForm, 20, 20);    // refused: the loop goes on
    Click(FForm, 20, 20);

    EXPECT_EQ(FForm->ShowModal(), mrOk);
    EXPECT_EQ(FLog, (std::vector<String>{"query shown", "query shown"}));
    EXPECT_FALSE(FForm->Visible());
    EXPECT_FALSE(IsWindowVisible(FForm->Handle()));
    EXPECT_TRUE(Other->Enabled()) << "enabled again after the modal loop";
    EXPECT_THROW(Other->ShowModal(), EInvalidOperation);
    Other->Free();
}

TEST_F(FormTest, CloseAsksTheFormAndDoesWhatOnCloseSays)
{
    FForm->SetName("Form");
    FForm->SetOnHide(TNotifyEvent::Bind<&FormTest::Log>(this));
    FForm->SetOnCloseQuery(TCloseQueryEvent::Bind<&FormTest::RefuseOnce>(this));
    FForm->SetOnClose(TCloseEvent::Bind<&FormTest::Keep>(this));
    FForm->Show();
    FForm->Close();
    EXPECT_TRUE(FForm->Visible()) << "refused";
    FCloseAction = caNone;
    FForm->Close();
    EXPECT_TRUE(FForm->Visible());
    FCloseAction = caHide;
    PostMessageW(FForm->Handle(), WM_CLOSE, 0, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(FForm->Visible());
    EXPECT_EQ(FLog, (std::vector<String>{"query shown", "query shown", "query shown", "Form"}));

    TForm* Freed = TForm::Create(Application);
    Freed->SetName("Freed");
    Freed->SetOnDestroy(TNotifyEvent::Bind<&FormTest::Log>(this));
    FCloseAction = caFree;
    Freed->SetOnClose(TCloseEvent::Bind<&FormTest::Keep>(this));
    Freed->Show();
    Freed->Close();
    EXPECT_EQ(FLog.back(), "Form") << "freed only once the queue is served";
    Application->ProcessMessages();
    EXPECT_EQ(FLog.back(), "Freed");
    EXPECT_EQ(Application->FindComponent("Freed"), nullptr);
}

TEST_F(FormTest, ShowPlacesTheFormAndMovesActivation)
{
    TForm* Main = nullptr;
    Application->CreateForm(Main);
    ASSERT_EQ(Application->MainForm(), Main);
    Main->SetBounds(100, 100, 400, 300);
    Main->SetName("Main");
    Main->SetOnDeactivate(TNotifyEvent::Bind<&FormTest::Log>(this));
    Main->Show();
    EXPECT_TRUE(Main->Active());

    struct TCase {
        TPosition Position;
        TPoint Expected;
    };
    const TCase Cases[] = {
        {poDesigned, Point(7, 9)}, {poScreenCenter, Point(860, 490)}, {poMainFormCenter, Point(200, 200)},
    };
    for (const TCase& Case : Cases) {
        TForm* Form = TForm::Create(Application);
        Form->SetBounds(7, 9, 200, 100);
        Form->SetPosition(Case.Position);
        Form->SetCaption("Placed");
        Form->Show();
        TRect Window;
        ASSERT_TRUE(GetWindowRect(Form->Handle(), Window));
        EXPECT_EQ(Point(Window.Left, Window.Top), Case.Expected) << int(Case.Position);
        EXPECT_EQ(Point(Form->Left(), Form->Top()), Case.Expected);
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        EXPECT_EQ(GetWindowTextW(Form->Handle(), 100), "Placed");
        EXPECT_EQ(GetForegroundWindow(), Form->Handle());
        Form->Free();
    }
    EXPECT_FALSE(Main->Active());
    EXPECT_EQ(FLog, (std::vector<String>{"Main"}));
    Main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(FormTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst)
{
    TFrame* Frame = TFrame::Create(FForm);
    Frame->SetParent(FForm);
    Frame->SetTabStop(true);
    Frame->SetOnKeyDown(TKeyEvent::Bind<&FormTest::ControlKey>(this));
    FForm->SetOnKeyDown(TKeyEvent::Bind<&FormTest::Swallow>(this));
    FForm->Show();
    Frame->SetFocus();
    for (bool Preview : {false, true}) {
        FForm->SetKeyPreview(Preview);
        for (uint16_t Key : {uint16_t('X'), uint16_t('Y')})
            PostMessageW(FForm->Handle(), WM_KEYDOWN, Key, 0);
        Application->ProcessMessages();
    }
    EXPECT_EQ(FLog, (std::vector<String>{"control 88", "control 89", "form 88", "form 89", "control 89"}));
}

TEST_F(FormTest, AFormPaintsItsAlignedChildrenIntoItsPicture)
{
    TTestButton* Top = AddButton(FForm, Rect(0, 0, 10, 20));
    Top->SetAlign(alTop);
    Top->SetColor(clRed);
    TFrame* Frame = TFrame::Create(FForm);
    Frame->SetParent(FForm);
    Frame->SetAlign(alClient);
    TTestButton* Right = AddButton(Frame, Rect(0, 0, 30, 10));
    Right->SetAlign(alRight);
    Right->SetColor(clBlue);
    FForm->Show();

    TBitmap* Image = FForm->GetFormImage();
    struct TCase {
        int X, Y;
        TColor Expected;
    };
    const TCase Cases[] = {
        {0, 0, clRed}, {199, 19, clRed}, {0, 20, clWhite}, {169, 99, clWhite}, {170, 20, clBlue}, {199, 99, clBlue},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(Image->Canvas()->Pixels(Case.X, Case.Y), Case.Expected) << Case.X << "," << Case.Y;
        EXPECT_EQ(FForm->PixelAt(Case.X, Case.Y), Case.Expected);
    }
    Image->Free();
}

}  // namespace
