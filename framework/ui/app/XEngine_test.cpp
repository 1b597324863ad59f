// Gears, gear and engine boxes, the event notifier, the message window and the start timers,
// driven through the message loop by hand on an installed timer clock.
#include "XEngine.h"

#include <gtest/gtest.h>

#include <vector>

#include "Display.Headless.h"
#include "Rtl.SysUtils.h"
#include "Win.Display.h"
#include "Win.TestEnvironment.h"
#include "Win.TestPeer.h"
#include "XSpark.App.h"

using namespace XEngine;

namespace {

uint64_t GEngineNow = 0;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GEngineNow = 10000;
        SetTimerClock([] { return GEngineNow; });
        FTimersBefore = Application->ComponentCount();
    }
    void TearDown() override
    {
        Advance(1000);
        EXPECT_EQ(Application->ComponentCount(), FTimersBefore) << "a start timer outlived its firing";
        SetTimerClock(nullptr);
    }
    // Moves the clock in 10 ms steps, serving the queue at each.
    static void Advance(uint64_t AMilliseconds)
    {
        for (uint64_t Step = 0; Step < AMilliseconds; Step += 10) {
            GEngineNow += 10;
            Application->ProcessMessages();
        }
    }

    int FTimersBefore = 0;
};

// One line per call: who ran, at which virtual time, with what.
struct TCommandLog {
    std::vector<String> Lines;

    void Add(const String& AWho, TObject* ASender, int AMonitor, TXHitType AHit, const String& AHitName,
             const String& ACommand, const String& AArgs)
    {
        Lines.push_back(Format("%s %s %d %d %s %s %s", {AWho, ASender != nullptr ? "sender" : "nil", int64_t(AMonitor),
                                                        int64_t(AHit), AHitName, ACommand, AArgs}));
    }
    void OnCommand(TObject* S, int M, TXHitType H, const String& N, const String& C, const String& A)
    {
        Add("event@" + IntToStr(GEngineNow % 10000), S, M, H, N, C, A);
    }
    void OnIntCommand(TObject* S, int M, TXHitType H, const String& N, int C, const String& A)
    {
        Add("intevent@" + IntToStr(GEngineNow % 10000), S, M, H, N, IntToStr(C), A);
    }
};

TCommandLog* GLog = nullptr;

class TSpyGear : public TXGear {
    X_CLASS(TSpyGear, TXGear)
public:
    bool PrepareAnswer = true;
    int HotKey = 0;
    int HotKeyAnswer = 0;
    std::vector<String>* Events = nullptr;

    bool Prepare() override
    {
        Events->push_back(Name() + ".Prepare");
        return PrepareAnswer;
    }
    void DetachWindow() override { Events->push_back(Name() + ".Detach" + (Active() ? " active" : "")); }
    int HotKeyCommand(int AHotKeyId) override { return AHotKeyId == HotKey ? HotKeyAnswer : 0; }

protected:
    TSpyGear() = default;
    void DoCommand(TObject* S, int M, TXHitType H, const String& N, const String& C, const String& A) override
    {
        GLog->Add("do@" + IntToStr(GEngineNow % 10000), S, M, H, N, C, A);
    }
    void DoIntCommand(TObject* S, int M, TXHitType H, const String& N, int C, const String& A) override
    {
        GLog->Add("intdo@" + IntToStr(GEngineNow % 10000), S, M, H, N, IntToStr(C), A);
    }
};

class GearTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        GLog = &FLog;
        FGear = TSpyGear::Create(nullptr);
        FGear->Events = &FEvents;
    }
    void TearDown() override
    {
        FreeAndNil(FGear);
        EngineTest::TearDown();
        GLog = nullptr;
    }
    void BindEvents()
    {
        FGear->SetOnCommand(TXCommandEvent::Bind<&TCommandLog::OnCommand>(&FLog));
        FGear->SetOnIntCommand(TXIntCommandEvent::Bind<&TCommandLog::OnIntCommand>(&FLog));
    }

    TCommandLog FLog;
    std::vector<String> FEvents;
    TSpyGear* FGear = nullptr;
};

TEST_F(GearTest, CommandRunsTheGearBeforeItsEventWithTheSameArguments)
{
    FGear->Command(FGear, 1, xhtWeb, "link", "open", "a b");
    BindEvents();
    FGear->Command(FGear, 2, xhtTray, "tray", "show", "");
    FGear->IntCommand(FGear, 3, xhtCustom, "key", 104, "1");
    EXPECT_EQ(FLog.Lines, (std::vector<String>{
                              "do@0 sender 1 26 link open a b",
                              "do@0 sender 2 23 tray show ",
                              "event@0 sender 2 23 tray show ",
                              "intdo@0 sender 3 30 key 104 1",
                              "intevent@0 sender 3 30 key 104 1",
                          }));
}

TEST_F(GearTest, PostedCommandsRunLaterWithoutSender)
{
    BindEvents();
    FGear->PostCommand(FGear, 1, xhtExe, "run", "go", "x");
    FGear->PostIntCommand(FGear, 2, xhtMail, "mail", 7, "y");
    EXPECT_TRUE(FLog.Lines.empty());
    Advance(100);
    EXPECT_EQ(FLog.Lines, (std::vector<String>{
                              "do@20 nil 1 24 run go x",
                              "intdo@20 nil 2 25 mail 7 y",
                              "event@50 nil 1 24 run go x",
                              "intevent@50 nil 2 25 mail 7 y",
                          }));
}

TEST_F(GearTest, PostedCommandsOfAGearFreedMeanwhileAreDropped)
{
    BindEvents();
    FGear->PostCommand(nullptr, 0, xhtNone, "", "late", "");
    Advance(10);
    FreeAndNil(FGear);
    Advance(100);
    EXPECT_TRUE(FLog.Lines.empty());
}

TEST_F(GearTest, FreeingClearsActiveBeforeDetachingAnAttachedWindow)
{
    TSpyGear* Detached = TSpyGear::Create(nullptr);
    Detached->Events = &FEvents;
    Detached->SetName("Loose");
    Detached->Free();
    FGear->SetName("Bound");
    FGear->AttachWindow(reinterpret_cast<HWND>(uintptr_t(1)));
    FreeAndNil(FGear);
    EXPECT_EQ(FEvents, (std::vector<String>{"Bound.Detach"}));
}

// ---- Gear and engine boxes ---------------------------------------------------------------

class TCountingBox : public TXGearBox {
    X_CLASS(TCountingBox, TXGearBox)
public:
    std::vector<String> Updates;

protected:
    TCountingBox() = default;
    void UpdateBegun() override { Updates.push_back("begun"); }
    void UpdateEnded() override { Updates.push_back("ended"); }
};

TEST_F(GearTest, GearBoxPreparesEveryChildAndHandsOutWindows)
{
    TCountingBox* Box = TCountingBox::Create(nullptr);
    TSpyGear* Failing = TSpyGear::Create(nullptr);
    Failing->SetName("Failing");
    Failing->Events = &FEvents;
    Failing->PrepareAnswer = false;
    FGear->SetName("Plain");
    TXMessageGear* Messages = TXMessageGear::Create(nullptr);
    TXEngineBox* Inner = TXEngineBox::Create(nullptr);
    for (TXGear* Gear : std::initializer_list<TXGear*>{Failing, FGear, Messages, Inner})
        Box->Gears()->Add(Gear);

    EXPECT_FALSE(Box->Prepare());
    EXPECT_EQ(FEvents, (std::vector<String>{"Failing.Prepare", "Plain.Prepare"}));

    HWND Given = reinterpret_cast<HWND>(uintptr_t(77));
    Box->AttachWindow(Given);
    EXPECT_EQ(Box->Window(), Given);
    EXPECT_EQ(FGear->Window(), Given);
    EXPECT_EQ(Messages->Window(), Messages->Handle());
    EXPECT_EQ(Inner->Window(), Inner->Handle());

    Box->BeginUpdate();
    Box->BeginUpdate();
    Box->EndUpdate();
    Box->EndUpdate();
    EXPECT_EQ(Box->Updates, (std::vector<String>{"begun", "ended"}));

    FEvents.clear();
    FGear = nullptr;   // the box owns it now
    HWND MessagesWindow = Messages->Handle();
    Box->Free();
    EXPECT_EQ(FEvents, (std::vector<String>{"Failing.Detach active", "Plain.Detach active", "Failing.Detach",
                                            "Plain.Detach"}));
    EXPECT_FALSE(IsWindow(MessagesWindow));
}

TEST_F(GearTest, EngineBoxPreparesOnItsOwnWindow)
{
    TXEngine* Engine = TXEngine::Create(nullptr);
    FGear->SetName("Child");
    Engine->Gears()->Add(FGear);
    FGear = nullptr;
    EXPECT_TRUE(Engine->Prepare());
    EXPECT_EQ(Engine->Window(), Engine->Handle());
    EXPECT_EQ(Engine->Gears()->GetItem(0)->Window(), Engine->Handle());
    HWND Window = Engine->Handle();
    Engine->Free();
    EXPECT_FALSE(IsWindow(Window));
}

TEST_F(GearTest, EngineBoxTurnsHotKeysIntoCommandsOfTheChildrenThatKnowThem)
{
    ASSERT_NE(HeadlessDisplay(), nullptr);
    TXEngineBox* Engine = TXEngineBox::Create(nullptr);
    Engine->SetOnIntCommand(TXIntCommandEvent::Bind<&TCommandLog::OnIntCommand>(&FLog));
    const struct {
        const char* Name;
        int HotKey;
        int Answer;
    } kChildren[] = {{"Print", 5, 11}, {"Other", 6, 99}, {"Show", 5, 12}};
    for (const auto& Child : kChildren) {
        TSpyGear* Gear = TSpyGear::Create(nullptr);
        Gear->SetName(Child.Name);
        Gear->HotKey = Child.HotKey;
        Gear->HotKeyAnswer = Child.Answer;
        Engine->Gears()->Add(Gear);
    }
    ASSERT_TRUE(RegisterHotKey(Engine->Handle(), 5, MOD_CONTROL, 'P'));
    ASSERT_TRUE(HeadlessDisplay()->PressHotKey(MOD_CONTROL, 'P'));
    Application->ProcessMessages();
    EXPECT_EQ(FLog.Lines, (std::vector<String>{"intevent@0 nil 0 30 Print 11 ", "intevent@0 nil 0 30 Show 12 "}));

    FLog.Lines.clear();
    EXPECT_EQ(SendMessageW(Engine->Handle(), WM_HOTKEY, 9, 0), 0);
    EXPECT_TRUE(FLog.Lines.empty());
    EXPECT_TRUE(UnregisterHotKey(Engine->Handle(), 5));
    Engine->Free();
}

// ---- Event notifier ----------------------------------------------------------------------

struct TNotifySpy {
    std::vector<String> Calls;
    void First(TObject*) { Calls.push_back("first"); }
    void Second(TObject* ASender) { Calls.push_back(ASender != nullptr ? "second" : "second nil"); }
};

TEST_F(EngineTest, EventNotifierCallsByKindInOrderAndRemovesTheFirstMatch)
{
    TNotifySpy Spy;
    TXEventNotifier* Notifier = TXEventNotifier::Create(nullptr);
    auto First = TNotifyEvent::Bind<&TNotifySpy::First>(&Spy);
    auto Second = TNotifyEvent::Bind<&TNotifySpy::Second>(&Spy);
    EXPECT_EQ(Notifier->AddHandler(0, First)->Kind(), 0);
    Notifier->AddHandler(1, Second);
    Notifier->AddHandler(0, Second);
    Notifier->AddHandler(0, First);
    Notifier->Notify(Notifier, 0);
    EXPECT_EQ(Spy.Calls, (std::vector<String>{"first", "second", "first"}));

    Spy.Calls.clear();
    Notifier->RemoveHandler(First);
    Notifier->Notify(nullptr, 0);
    Notifier->Notify(nullptr, 1);
    EXPECT_EQ(Spy.Calls, (std::vector<String>{"second nil", "first", "second nil"}));
    Notifier->Free();
}

// ---- Start timers ------------------------------------------------------------------------

struct TTimerSpy {
    std::vector<uint64_t> Fired;
    void Fire(TObject*) { Fired.push_back(GEngineNow % 10000); }
    void Raise(TObject* ASender)
    {
        Fire(ASender);
        throw EAbort("stop");
    }
};

TEST_F(EngineTest, StartTimerFiresOnceAndGoesEvenWhenItsHandlerRaises)
{
    TTimerSpy Spy;
    StartOneShotTimer(100, TNotifyEvent::Bind<&TTimerSpy::Fire>(&Spy));
    StartOneShotTimer(30, TNotifyEvent::Bind<&TTimerSpy::Raise>(&Spy));
    EXPECT_EQ(Application->ComponentCount(), FTimersBefore + 2);
    Advance(500);
    EXPECT_EQ(Spy.Fired, (std::vector<uint64_t>{30, 100}));
}

// ---- Message window ----------------------------------------------------------------------

struct TWindowSpy {
    std::vector<String> Log;
    bool HandleX = false;

    void Minimize(TObject*) { Log.push_back("minimize"); }
    void Exception(TObject*, const std::exception& AE) { Log.push_back(String("exception ") + AE.what()); }
    void Message(TMsg& AMsg, bool& AHandled)
    {
        Log.push_back("message " + IntToStr(AMsg.message - WM_USER));
        AHandled = true;
    }
    void XMessage(TMessage& AMsg, bool& AHandled)
    {
        Log.push_back("x " + IntToStr(AMsg.WParam));
        AHandled = HandleX;
        AMsg.Result = 7;
    }
    void Terminate(TObject*) { Log.push_back("terminate"); }
    void CopyData(TObject*, uintptr_t AFrom, int ADataType, const String& AData)
    {
        Log.push_back(Format("copy %d %d [%s]%s", {int64_t(AFrom), int64_t(ADataType), AData,
                                                     String(Application->IsMinimized() ? " minimized" : "")}));
    }
};

class MsgWindowTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        StartAppSingletons();
        Application->SetTitle("Kalender");
        FWindow = TXMsgWindow::Create(nullptr);
    }
    void TearDown() override
    {
        FreeAndNil(FWindow);
        Application->SetTitle("");
        StopAppSingletons();
        EngineTest::TearDown();
    }
    LRESULT Send(UINT AMsg, WPARAM AWParam, LPARAM ALParam)
    {
        return SendMessageW(FWindow->Handle(), AMsg, AWParam, ALParam);
    }

    TTestHome FHome;
    TWindowSpy FSpy;
    TXMsgWindow* FWindow = nullptr;
};

TEST_F(MsgWindowTest, PassesTheApplicationsEventsOnUntilItGoes)
{
    EXPECT_EQ(GetWindowTextW(FWindow->Handle(), 100), "Kalender");
    FWindow->SetOnMinimize(TNotifyEvent::Bind<&TWindowSpy::Minimize>(&FSpy));
    FWindow->SetOnException(TExceptionEvent::Bind<&TWindowSpy::Exception>(&FSpy));
    FWindow->SetOnMessage(TMessageEvent::Bind<&TWindowSpy::Message>(&FSpy));

    FWindow->MinimizeApp();
    FWindow->RestoreApp();
    EXPECT_FALSE(Application->HelpCommand(1, 0)) << "no OnHelp";
    for (bool Abort : {true, false}) {
        try {
            if (Abort)
                throw EAbort("quiet");
            throw EConvertError("loud");
        } catch (...) {
            Application->HandleException(FWindow);
        }
        Application->OnException()(FWindow, EAbort("quiet too"));
    }
    PostMessageW(FWindow->Handle(), WM_USER + 3, 0, 0);
    Application->ProcessMessages();
    TMsg Handled{nullptr, WM_USER + 4, 0, 0};
    bool AlreadyHandled = true;
    NVApp()->OnMessageForward()(Handled, AlreadyHandled);
    EXPECT_EQ(FSpy.Log, (std::vector<String>{"minimize", "exception loud", "message 3"}));

    FreeAndNil(FWindow);
    EXPECT_FALSE(Application->OnMinimize());
    EXPECT_FALSE(Application->OnException());
    EXPECT_FALSE(NVApp()->OnMessageForward());
}

TEST_F(MsgWindowTest, ActivationMessagesTerminateOrGoToXMessage)
{
    FWindow->SetOnTerminate(TNotifyEvent::Bind<&TWindowSpy::Terminate>(&FSpy));
    FWindow->SetOnXMessage(TXHandledMessageEvent::Bind<&TWindowSpy::XMessage>(&FSpy));
    EXPECT_EQ(Send(NVMActivateApplication(), 2, 0), 1);
    EXPECT_EQ(Send(NVMActivateApplication(), 0, 1), 0) << "not handled: the default procedure answers";
    FSpy.HandleX = true;
    EXPECT_EQ(Send(NVMActivateApplication(), 1, 1), 7);
    EXPECT_EQ(FSpy.Log, (std::vector<String>{"terminate", "x 0", "x 1"}));
}

TEST_F(MsgWindowTest, CopyDataIsReadWithinItsBlockAndTypeOneComesForward)
{
    FWindow->SetOnWMCopyData(TXWMCopyDataEvent::Bind<&TWindowSpy::CopyData>(&FSpy));
    const std::u16string Text(u"Öffne\0Rest", 10);
    const struct {
        const char* Name;
        const void* Data;
        uint32_t Bytes;
        const char* Expected;
    } kBlocks[] = {
        {"BytesWithTerminator", Text.data(), 12, "Öffne"},
        {"CutAtTheFirstNul", Text.data(), 20, "Öffne"},
        {"NoTerminator", Text.data(), 6, "Öff"},
        {"OddByteCount", Text.data(), 5, "Öf"},
        {"NilData", nullptr, 10, ""},
        {"Empty", Text.data(), 0, ""},
    };
    for (const auto& Block : kBlocks) {
        FSpy.Log.clear();
        COPYDATASTRUCT Data{3, Block.Bytes, Block.Data};
        EXPECT_EQ(Send(WM_COPYDATA, 42, reinterpret_cast<LPARAM>(&Data)), 1);
        EXPECT_EQ(FSpy.Log, (std::vector<String>{Format("copy 42 3 [%s]", {String(Block.Expected)})})) << Block.Name;
    }
    FSpy.Log.clear();
    Application->Minimize();
    COPYDATASTRUCT Activate{1, 4, u"go"};
    Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Activate));
    EXPECT_EQ(FSpy.Log, (std::vector<String>{"copy 0 1 [go]"}));
    EXPECT_FALSE(Application->IsMinimized());
    ShowWindow(Application->Handle(), SW_HIDE);
}

// Another process finds the window by the application title, activates the application and
// hands it copy data; all of it arrives here as the window's messages.
TEST_F(MsgWindowTest, ASecondProcessActivatesTheFirstAndHandsItCopyData)
{
    FWindow->SetOnTerminate(TNotifyEvent::Bind<&TWindowSpy::Terminate>(&FSpy));
    FWindow->SetOnXMessage(TXHandledMessageEvent::Bind<&TWindowSpy::XMessage>(&FSpy));
    FWindow->SetOnWMCopyData(TXWMCopyDataEvent::Bind<&TWindowSpy::CopyData>(&FSpy));
    auto Run = [](std::vector<std::string> AArguments, std::string* AAnswer = nullptr) {
        TTestPeer Peer(REMOTE_WINDOW_PEER, std::move(AArguments));
        int Code = Peer.Wait([] { Application->ProcessMessages(); });
        if (AAnswer != nullptr)
            *AAnswer = Peer.ReadLine();
        Application->ProcessMessages();
        return Code;
    };
    EXPECT_EQ(Run({"post", "Kalender", "NVMActivateApplication", "1", "0"}), 0);
    std::string Answer;
    EXPECT_EQ(Run({"copy", "Kalender", "42", "3", "Öffne"}, &Answer), 0);
    EXPECT_EQ(Answer, "1");
    EXPECT_EQ(Run({"post", "Kalender", "NVMActivateApplication", "2", "0"}), 0);
    EXPECT_EQ(FSpy.Log, (std::vector<String>{"x 1", "copy 42 3 [Öffne]", "terminate"}));
}

// A second message window of the same title is not reached from outside; the first one is.
TEST_F(MsgWindowTest, OnlyTheFirstWindowOfATitleIsPublished)
{
    TXMsgWindow* Second = TXMsgWindow::Create(nullptr);
    FWindow->SetOnTerminate(TNotifyEvent::Bind<&TWindowSpy::Terminate>(&FSpy));
    TTestPeer Peer(REMOTE_WINDOW_PEER, {"post", "Kalender", "NVMActivateApplication", "2", "0"});
    EXPECT_EQ(Peer.Wait([] { Application->ProcessMessages(); }), 0);
    Application->ProcessMessages();
    EXPECT_EQ(FSpy.Log, (std::vector<String>{"terminate"}));
    Second->Free();
}

}  // namespace
