// The application singletons: start-up and shut-down, folder macros, the single-instance lock
// across real processes, the activation message and the command line.
#include "XSpark.App.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "Rtl.CommandLine.h"
#include "Rtl.DateUtils.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Win.Display.h"
#include "Win.Folders.h"
#include "Win.TestEnvironment.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.IO.h"
#include "XCore.Locale.h"
#include "XCore.TestClock.h"
#include "XCore.Version.h"
#include "XPlatform.System.h"

extern char** environ;

namespace {

// ---- A second instance: this test program started again -----------------------------------

constexpr const char* kChildTitleVariable = "X_INSTANCE_CHILD_TITLE";
// Marks the child's answer among what the test framework prints.
constexpr const char* kAnswerMark = "instance: ";

// In the started program: the framework starts, takes the single-instance test on the title,
// answers "<result> <index of /demo> <index of /LANG:>" and holds on until its input closes.
class TInstanceChild : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* Title = std::getenv(kChildTitleVariable);
        if (Title == nullptr)
            return;
        StartAppSingletons();
        bool Single = CheckSingleInstance(Title);
        std::printf("%s%d %d %d\n", kAnswerMark, Single ? 1 : 0, NVParams()->IndexOf("/demo"),
                    NVParams()->IndexOf("/LANG:"));
        std::fflush(stdout);
        char Byte;
        while (::read(STDIN_FILENO, &Byte, 1) > 0) {
        }
        StopAppSingletons();
        ::_exit(0);
    }
};
[[maybe_unused]] ::testing::Environment* const GInstanceChild =
    ::testing::AddGlobalTestEnvironment(new TInstanceChild);

class TInstanceProcess {
public:
    TInstanceProcess(const String& ATitle, const std::vector<String>& AArguments)
    {
        int ToChild[2], FromChild[2];
        EXPECT_EQ(::pipe2(ToChild, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(FromChild, O_CLOEXEC), 0);
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_adddup2(&Actions, ToChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&Actions, FromChild[1], STDOUT_FILENO);
        String Program = GetModuleFileName();
        // The environment set-up runs only when some test is chosen; it ends the program first.
        std::vector<String> Strings{Program, "--gtest_filter=AppParamsTest.*"};
        Strings.insert(Strings.end(), AArguments.begin(), AArguments.end());
        std::vector<char*> Argv;
        for (String& S : Strings)
            Argv.push_back(S.data());
        Argv.push_back(nullptr);
        String Variable = String(kChildTitleVariable) + "=" + ATitle;
        std::vector<char*> Env{Variable.data()};
        for (char** E = environ; *E != nullptr; ++E)
            Env.push_back(*E);
        Env.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&FPid, Program.c_str(), &Actions, nullptr, Argv.data(), Env.data()), 0);
        posix_spawn_file_actions_destroy(&Actions);
        ::close(ToChild[0]);
        ::close(FromChild[1]);
        FInput = ToChild[1];
        FOutput = FromChild[0];
    }
    ~TInstanceProcess() { Finish(); }

    String Answer()
    {
        for (String Line; ReadLine(Line);)
            if (Line.starts_with(kAnswerMark))
                return Line.substr(std::strlen(kAnswerMark));
        return "no answer";
    }
    // Lets the program end as it would.
    void Finish() { End(0); }
    // Ends it at once, without its shut-down.
    void Kill() { End(SIGKILL); }

private:
    bool ReadLine(String& ALine)
    {
        ALine.clear();
        char C;
        while (::read(FOutput, &C, 1) == 1) {
            if (C == '\n')
                return true;
            ALine += C;
        }
        return !ALine.empty();
    }
    void End(int ASignal)
    {
        if (FPid <= 0)
            return;
        if (ASignal != 0)
            ::kill(FPid, ASignal);
        ::close(FInput);
        ::close(FOutput);
        ::waitpid(FPid, nullptr, 0);
        FPid = 0;
    }

    pid_t FPid = 0;
    int FInput = -1;
    int FOutput = -1;
};

// ---- Fixture ---------------------------------------------------------------------------------

struct TSparkListener {
    std::vector<String> Heard;
    std::vector<int32_t> Values;
    std::vector<UINT> Forwarded;
    std::vector<UINT> Delivered;

    void Hear(IXNotification* ANotification)
    {
        TObject* Aspect = ANotification->GetAspect();
        Heard.push_back(Aspect->ClassName());
        if (auto* Open = AsOrNull<TXAppOpenAspect>(Aspect))
            Values.push_back(Open->Value);
        if (auto* Activate = AsOrNull<TXAppCustomActivateAspect>(Aspect))
            Values.push_back(Activate->Value);
    }
    void Forward(TMsg& AMsg, bool&) { Forwarded.push_back(AMsg.message); }
    void WndProc(TMessage& AMessage) { Delivered.push_back(AMessage.Msg); }
};

class AppSingletonsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("TZ", "XST-1");
        ResetTimeZone();
        FClock = TXTestClockApp::Create();
        StartAppSingletons(FClock);
    }
    void TearDown() override { StopAppSingletons(); }

    TTestHome FHome;
    TXTestClockApp* FClock = nullptr;   // owned by the start-up
};

TEST_F(AppSingletonsTest, StartUpMakesEverySingletonAndShutDownFreesThem)
{
    EXPECT_NE(NVVersion(), nullptr);
    EXPECT_EQ(NVCoreApp(), FClock);
    EXPECT_NE(NVSystem(), nullptr);
    EXPECT_NE(NVLocale(), nullptr);
    ASSERT_NE(NVApp(), nullptr);
    EXPECT_EQ(NVApp()->ExePath(), GetModuleFileName());
    EXPECT_EQ(NVApp()->ExeFolder(), ExtractFilePath(GetModuleFileName()));
    EXPECT_EQ(NVApp()->DataFolder(), "");
    ASSERT_NE(NVParams(), nullptr);
    EXPECT_EQ(NVParams()->Params()->Count(), ParamCount() + 1);
    auto* Service = AppServices()->GetService<TXAppVersionService>();
    ASSERT_NE(Service, nullptr);
    EXPECT_EQ(Service->ClientCode(), "xx");
    EXPECT_EQ(Service->GetVersion(), "6.2.9.650");   // what this test program carries
    EXPECT_EQ(GetAppEngine(), FClock->Engine());
    EXPECT_NE(NVMActivateApplication(), TaskbarCreatedMessage());

    StopAppSingletons();
    EXPECT_EQ(NVLocale(), nullptr);
    EXPECT_EQ(NVParams(), nullptr);
    EXPECT_EQ(NVApp(), nullptr);
    EXPECT_EQ(AppServices(), nullptr);
    EXPECT_EQ(NVSystem(), nullptr);
    EXPECT_EQ(NVCoreApp(), nullptr);
    EXPECT_EQ(NVVersion(), nullptr);
    EXPECT_EQ(ExpandPathMacros("<exe><win>"), "<exe><win>");   // the expanders went with them
    StartAppSingletons();   // for TearDown
}

TEST_F(AppSingletonsTest, EveryPathMacroExpands)
{
    FClock->SetLocal(41000.5 + 1 / SecsPerDay);
    NVApp()->SetDataFolder("/data/");
    const TXNVSystem* System = NVSystem();
    const String Exe = NVApp()->ExeFolder(), ExePath = NVApp()->ExePath();
    struct TCase {
        String Text, Expected;
    };
    const TCase kCases[] = {
        {"<exe>", Exe},
        {"<exen>", ExePath},
        {"<exe>|<exen>", Exe + "|" + ExePath},
        {"<data>Pictures\\", "/data/Pictures\\"},
        {"<win>", System->WindowsFolder()},
        {"<sys>", System->SystemFolder()},
        {"<tmp>", FHome.Root() + "/tmp/"},
        {"<pf>", System->ProgramFilesFolder()},
        {"<wpf>", ""},
        {"<home>", FHome.Root() + "/"},
        {"<desk>", FHome.Root() + "/Desktop/"},
        {"<appdata>", System->AppDataFolder()},
        {"<mydoc>", FHome.Root() + "/Documents/"},
        {"<mymusic>", FHome.Root() + "/Music/"},
        {"<mypictures>", FHome.Root() + "/Pictures/"},
        {"<com>", System->ComputerName()},
        {"<user>", System->UserName()},
        {"backup <now>.xqnote", "backup 41000.5000.xqnote"},
        {"<data>Notes<low>\\A.TXT", "/data/notes\\a.txt"},
        {"<up><data>a.txt", "/DATA/A.TXT"},
        {"<short><data>a b.txt", "/data/a b.txt"},
        {"Software\\<reg>Norvale Orva/7 ", "Software\\Norvale Orva_7"},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(ExpandPathMacros(C.Text), C.Expected) << C.Text;
}

// ---- Single instance ---------------------------------------------------------------------

TEST_F(AppSingletonsTest, ASecondProcessIsRefusedWhileTheFirstRunsAndAcceptedAfter)
{
    const String Title = "Orva Calendar";
    TInstanceProcess First(Title, {"/DEMO", "/lang:de"});
    EXPECT_EQ(First.Answer(), "1 2 3");   // after the program's path and the test filter
    EXPECT_FALSE(CheckSingleInstance(Title));
    TInstanceProcess OtherTitle("Another Program", {});
    EXPECT_EQ(OtherTitle.Answer(), "1 -1 -1");
    OtherTitle.Finish();

    First.Kill();   // however it ends, its lock goes with it
    EXPECT_TRUE(CheckSingleInstance(Title));
    TInstanceProcess Late(Title, {});
    EXPECT_EQ(Late.Answer(), "0 -1 -1");
}

TEST_F(AppSingletonsTest, SingleInstanceInOneProcess)
{
    EXPECT_TRUE(CheckSingleInstance("A"));
    EXPECT_FALSE(CheckSingleInstance("A"));
    // The refused second test leaves the first one's lock held.
    EXPECT_TRUE(Owned(TNamedMutex::Create("Local\\A"))->AlreadyExists());
    NotifyAppTerminated();
    EXPECT_FALSE(CheckSingleInstance("B"));   // nobody holds B, but the application is ending
    EXPECT_FALSE(Owned(TNamedMutex::Create("Local\\B"))->AlreadyExists());
}

// ---- The activation message ----------------------------------------------------------------

TEST_F(AppSingletonsTest, TheActivationMessageBecomesNotificationsAndStillReachesItsWindow)
{
    TSparkListener Listener;
    GetAppEngine()->SubscribeAll(TXNotificationHandler::Bind<&TSparkListener::Hear>(&Listener));
    NVApp()->SetOnMessageForward(TMessageEvent::Bind<&TSparkListener::Forward>(&Listener));
    HWND Window = AllocateHWnd(TWndMethod::Bind<&TSparkListener::WndProc>(&Listener));
    const UINT Activate = NVMActivateApplication();
    for (WPARAM WParam : {0, 1, 2, 3})
        PostMessageW(Window, Activate, WParam, 5 + WParam);
    PostMessageW(Window, WM_USER, 0, 0);
    Application->ProcessMessages();
    DeallocateHWnd(Window);
    EXPECT_EQ(Listener.Heard,
              (std::vector<String>{"TXAppCustomActivateAspect", "TXAppOpenAspect", "TXAppTerminateAspect"}));
    EXPECT_EQ(Listener.Values, (std::vector<int32_t>{5, 6}));
    EXPECT_EQ(Listener.Delivered, (std::vector<UINT>{Activate, Activate, Activate, Activate, WM_USER}));
    EXPECT_EQ(Listener.Forwarded, std::vector<UINT>{WM_USER});
}

// ---- Forms -------------------------------------------------------------------------------

class TFormsCountingApp : public TXNVApp {
    X_CLASS(TFormsCountingApp, TXNVApp)
public:
    int Changes = 0;

protected:
    TFormsCountingApp() = default;
    void FormsChanged() override { ++Changes; }
};

// The application's window and a popup of it in each state that decides what comes forward.
TEST_F(AppSingletonsTest, BringToFrontRestoresAMinimisedAppElseRaisesAUsablePopup)
{
    HWND AppWnd = Application->Handle();
    HWND Other = CreateTopLevelWindow("TOther", "", nullptr, TRect(), TWndMethod());
    struct TCase {
        const char* Name;
        bool Minimised, HasPopup, PopupVisible, PopupEnabled;
        bool Expected;
    } const kCases[] = {
        {"Minimised", true, true, true, true, true},
        {"MinimisedWithoutPopup", true, false, false, false, true},
        {"UsablePopup", false, true, true, true, true},
        {"NoPopup", false, false, false, false, false},
        {"HiddenPopup", false, true, false, true, false},
        {"DisabledPopup", false, true, true, false, false},
    };
    for (const TCase& C : kCases) {
        HWND Popup = CreateTopLevelWindow("TPopup", "", AppWnd, TRect(), TWndMethod());
        ShowWindow(AppWnd, C.Minimised ? SW_MINIMIZE : SW_RESTORE);
        if (C.HasPopup) {
            SetForegroundWindow(Popup);
            ShowWindow(Popup, C.PopupVisible ? SW_SHOW : SW_HIDE);
            EnableWindow(Popup, C.PopupEnabled);
        }
        SetForegroundWindow(Other);
        EXPECT_EQ(BringAppToFront(), C.Expected) << C.Name;
        EXPECT_FALSE(IsIconic(AppWnd)) << C.Name;
        bool PopupForward = !C.Minimised && C.Expected;
        EXPECT_EQ(GetForegroundWindow(), PopupForward ? Popup : Other) << C.Name;
        DestroyWindow(Popup);
    }
    ShowWindow(AppWnd, SW_HIDE);
    DestroyWindow(Other);
}

TEST(AppFormsTest, FormsAreListedOnceAndLeaveWhenFreed)
{
    auto App = Owned(TFormsCountingApp::Create());
    auto* A = TComponent::Create(nullptr);
    auto B = Owned(TComponent::Create(nullptr));
    App->AddForm(A);
    App->AddForm(A);
    App->AddForm(B.get());
    EXPECT_EQ(App->Forms()->Count(), 2);
    EXPECT_EQ(App->Changes, 3);
    A->Free();
    EXPECT_EQ(App->Forms()->Count(), 1);
    App->RemoveForm(B.get());
    EXPECT_EQ(App->Forms()->Count(), 0);
    EXPECT_EQ(App->Changes, 4);
}

// ---- The command line --------------------------------------------------------------------

TEST(AppParamsTest, SwitchesMatchWithoutRegardToCaseAndNamesWithAColonAsPrefixes)
{
    auto Params = Owned(TXNVParams::Create());
    Params->Params()->SetText("/usr/bin/orva\r\n/DEMO\r\n/Lang:de\r\n/x\r\n\r\n/a");
    struct TCase {
        const char* Name;
        int Index;
    };
    const TCase kCases[] = {
        {"/demo", 1},          {"/Demo", 1},      {"/dem", -1},          {"/demo2", -1},
        {"/LANG:", 2},         {"/lang:DE", 2},   {"/lang:deu", -1},     {"/lang", -1},
        {"/x:", -1},           {"/x", 3},         {"", 4},               {"/usr/bin/orva", 0},
        {"/USR/BIN/ORVA", 0},  {"/a", 5},
    };
    for (const TCase& C : kCases) {
        EXPECT_EQ(Params->IndexOf(C.Name), C.Index) << C.Name;
        EXPECT_EQ(Params->Exists(C.Name), C.Index >= 0) << C.Name;
    }
}

}  // namespace
