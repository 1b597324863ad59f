// Autorun entries in a private home (registry file and autostart folder), forms and controls,
// the cursors, the window search, and monitor indices on the headless display.
#include "XCore.WinUtils.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Vcl.Application.h"
#include "Vcl.ExtCtrls.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.TestInput.h"
#include "Win.Registry.h"
#include "Win.TestEnvironment.h"
#include "XClasses.h"

namespace {

const String kExe = "/opt/Orva/orva";

class AutorunTest : public ::testing::Test {
protected:
    void TearDown() override { XClasses::IsCardMode = XClasses::IsDemoMode = false; }

    static String RunValue(const String& AName)
    {
        auto Registry = Owned(TRegistry::Create());
        return Registry->OpenKeyReadOnly(kAutorunKey) && Registry->ValueExists(AName) ? Registry->ReadString(AName)
                                                                                      : String("<none>");
    }
    static void WriteRunValue(const String& AName, const String& AData)
    {
        auto Registry = Owned(TRegistry::Create());
        ASSERT_TRUE(Registry->OpenKey(kAutorunKey, true));
        Registry->WriteString(AName, AData);
    }
    static String EntryText(const String& AName)
    {
        if (!FileExists(AutostartEntryFileName(AName)))
            return "<none>";
        TBytes Bytes = ReadFileBytes(AutostartEntryFileName(AName));
        return String(Bytes.begin(), Bytes.end());
    }

    TTestHome FHome;
};

TEST_F(AutorunTest, EnablingWritesTheRunValueAndTheAutostartEntry)
{
    ASSERT_TRUE(SetAutorun(true, "Orva", kExe, ""));
    EXPECT_EQ(RunValue("Orva"), "\"/opt/Orva/orva\" /a ");
    EXPECT_EQ(EntryText("Orva"),
              "[Desktop Entry]\nType=Application\nName=Orva\nExec=\"/opt/Orva/orva\" /a \n"
              "X-GNOME-Autostart-enabled=true\n");
    ASSERT_TRUE(SetAutorun(true, "Orva 2", "/opt/a$b \"c\"/orva", "/min 50%\nExec=evil"));
    EXPECT_NE(EntryText("Orva 2").find("\nExec=\"/opt/a\\$b \\\"c\\\"/orva\" /a /min 50%% Exec=evil\n"),
              String::npos);
}

TEST_F(AutorunTest, CardAndDemoModesLeaveEverythingAlone)
{
    WriteRunValue("Orva", "\"" + kExe + "\" /a ");
    for (bool* Mode : {&XClasses::IsCardMode, &XClasses::IsDemoMode}) {
        *Mode = true;
        bool Enabled = true;
        EXPECT_FALSE(SetAutorun(true, "Other", kExe, ""));
        EXPECT_FALSE(RemoveAutorun(kExe));
        EXPECT_FALSE(SyncAutorun(false, "Orva", kExe, ""));
        EXPECT_FALSE(ToggleAutorun(Enabled, "Orva", kExe, ""));
        EXPECT_TRUE(Enabled);
        *Mode = false;
    }
    EXPECT_EQ(RunValue("Other"), "<none>");
    EXPECT_EQ(RunValue("Orva"), "\"" + kExe + "\" /a ");
}

TEST_F(AutorunTest, RemovingTakesEveryEntryThatMentionsTheProgramInAnyCase)
{
    ASSERT_TRUE(SetAutorun(true, "Orva", kExe, "/x"));
    WriteRunValue("Renamed", "\"/OPT/orva/ORVA\" /a");
    WriteRunValue("Unrelated", "\"/usr/bin/other\"");
    ASSERT_TRUE(RemoveAutorun(kExe));
    EXPECT_EQ(RunValue("Orva"), "<none>");
    EXPECT_EQ(RunValue("Renamed"), "<none>");
    EXPECT_EQ(RunValue("Unrelated"), "\"/usr/bin/other\"");
    EXPECT_EQ(EntryText("Orva"), "<none>");
    EXPECT_TRUE(RemoveAutorun(kExe));   // nothing left to remove
}

TEST_F(AutorunTest, SyncAddsWhatIsMissingAndRemovesWhatIsUnwanted)
{
    EXPECT_FALSE(SyncAutorun(true, "Orva", kExe, ""));   // no Run key yet: it is made
    EXPECT_EQ(RunValue("Orva"), "\"" + kExe + "\" /a ");

    ASSERT_TRUE(SyncAutorun(true, "New", kExe, "/changed"));
    EXPECT_EQ(RunValue("New"), "<none>");   // present already: nothing written

    ASSERT_TRUE(DeleteFile(AutostartEntryFileName("Orva")));   // the desktop's settings dropped it
    ASSERT_TRUE(SyncAutorun(true, "Orva", kExe, ""));
    EXPECT_NE(EntryText("Orva"), "<none>");

    ASSERT_TRUE(SyncAutorun(false, "Orva", kExe, ""));
    EXPECT_EQ(RunValue("Orva"), "<none>");
    EXPECT_EQ(EntryText("Orva"), "<none>");

    bool Enabled = false;
    ASSERT_TRUE(ToggleAutorun(Enabled, "Orva", kExe, ""));
    EXPECT_TRUE(Enabled);
    EXPECT_EQ(RunValue("Orva"), "\"" + kExe + "\" /a ");
    ASSERT_TRUE(ToggleAutorun(Enabled, "Orva", kExe, ""));
    EXPECT_FALSE(Enabled);
    EXPECT_EQ(RunValue("Orva"), "<none>");
}

TEST(OpenCommandTest, ProgramAndParametersAreSplitOut)
{
    struct TCase {
        const char* Command;
        const char* Program;
        const char* Params;
    } const kCases[] = {
        {"\"C:\\Program Files\\App\\app.exe\" \"%1\"", "C:\\Program Files\\App\\app.exe", ""},
        {"C:\\Tools\\Run.BAT /x \"%1\" /y", "C:\\Tools\\Run.BAT", "/x  /y"},
        {"\"C:\\a.com.d\\b.exe\" -n", "C:\\a.com.d\\b.exe", "-n"},
        {"/usr/bin/firefox %u", "/usr/bin/firefox", ""},
        {"\"/opt/My App/viewer\" --new %F --wait", "/opt/My App/viewer", "--new  --wait"},
        {"viewer", "viewer", ""},
        {"\"/opt/unclosed --x", "/opt/unclosed --x", ""},
    };
    for (const TCase& C : kCases) {
        String Program, Params;
        ASSERT_TRUE(SplitOpenCommand(C.Command, Program, Params)) << C.Command;
        EXPECT_EQ(Program, C.Program) << C.Command;
        EXPECT_EQ(Params, C.Params) << C.Command;
    }
    String Program = "x", Params = "y";
    EXPECT_FALSE(SplitOpenCommand("  ", Program, Params));
    EXPECT_EQ(Program + Params, "");
}

class FileAssociationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const String Data = FHome.Root() + "/.local/share/";
        FHome.Set("XDG_DATA_DIRS", FHome.Root() + "/none");
        FHome.Set("XDG_CONFIG_DIRS", FHome.Root() + "/none");
        ASSERT_TRUE(ForceDirectories(Data + "applications"));
        ASSERT_TRUE(ForceDirectories(Data + "mime"));
        ASSERT_TRUE(ForceDirectories(FHome.Root() + "/.config"));
        Write(Data + "applications/viewer.desktop", "[Desktop Entry]\nName=Viewer\nExec=/usr/bin/viewer --open %U\n");
        Write(Data + "applications/other.desktop", "[Desktop Entry]\nExec=/usr/bin/other\n");
        Write(Data + "applications/mimeinfo.cache", "[MIME Cache]\nimage/x-nvone=other.desktop;\n");
        Write(Data + "mime/globs2", "# globs\n50:image/x-nvone:*.nvo\n80:image/x-nvtest:*.nvt\n40:text/plain:*.nvt\n");
        Write(FHome.Root() + "/.config/mimeapps.list",
              "[Added Associations]\nx-scheme-handler/nvtest=other.desktop;\n"
              "[Default Applications]\nx-scheme-handler/nvtest=gone.desktop;viewer.desktop;\nimage/x-nvtest=viewer.desktop\n");
    }
    static void Write(const String& AFileName, const String& AText)
    {
        SafeWriteFileBytes(AFileName, TBytes(AText.begin(), AText.end()));
    }

    TTestHome FHome;
};

TEST_F(FileAssociationTest, TheUsersClassesComeFirstThenTheDesktopsDefaults)
{
    struct TCase {
        const char* Key;
        bool Found;
        const char* Program;
        const char* Params;
    } const kCases[] = {
        {"nvtest", true, "/usr/bin/viewer", "--open"},   // the first installed default
        {".NVT", true, "/usr/bin/viewer", "--open"},     // by extension, the heaviest glob
        {".nvo", true, "/usr/bin/other", ""},            // no default: the installed one
        {"image/x-nvtest", true, "/usr/bin/viewer", "--open"},
        {"nvnone", false, "", ""},
        {".nvnone", false, "", ""},
    };
    for (const TCase& C : kCases) {
        String Program, Params;
        EXPECT_EQ(GetFileAssociation(C.Key, Program, Params), C.Found) << C.Key;
        EXPECT_EQ(Program, C.Program) << C.Key;
        EXPECT_EQ(Params, C.Params) << C.Key;
    }

    auto Registry = Owned(TRegistry::Create());
    ASSERT_TRUE(Registry->OpenKey("Software\\Classes\\nvtest\\shell\\open\\command", true));
    Registry->WriteString("", "\"/opt/mine/app.exe\" \"%1\"");
    String Program, Params;
    ASSERT_TRUE(GetFileAssociation("nvtest", Program, Params));
    EXPECT_EQ(Program, "/opt/mine/app.exe");
    Registry->WriteString("", "");   // an empty command falls through to the desktop
    ASSERT_TRUE(GetFileAssociation("nvtest", Program, Params));
    EXPECT_EQ(Program, "/usr/bin/viewer");
    EXPECT_FALSE(ReadShellOpenCommand(HKEY_CURRENT_USER, "Software\\Classes\\nvnone", Program, Params));
}

TEST(TextMeasureTest, ExtentsFollowTheTextAndTheFont)
{
    auto Font = Owned(TFont::Create());
    Font->SetName("DejaVu Sans");
    Font->SetSize(10);
    int Width = 0, Height = 0;
    GetTextExtent("Kalender", Font.get(), Width, Height);
    EXPECT_GT(Width, 0);
    EXPECT_GT(Height, 0);
    EXPECT_EQ(GetTextWidth("Kalender", Font.get()), Width);
    EXPECT_GT(GetTextWidth("Kalender Kalender", Font.get()), Width);
    Font->SetSize(20);
    EXPECT_GT(GetTextWidth("Kalender", Font.get()), Width);
    EXPECT_EQ(GetTextWidth("", Font.get()), 0);
    EXPECT_NE(XMProgressMessage(), 0u);
    EXPECT_EQ(XMProgressMessage(), RegisterWindowMessageW("xm_progress"));
}

class MonitorIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(HeadlessDisplay(), nullptr);
        HeadlessDisplay()->SetMonitors({
            TXMonitor{"DP-1", "amdgpu", Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1080), false, 96},
            TXMonitor{"HDMI-1", "amdgpu", Rect(1920, 0, 3840, 1080), Rect(1920, 0, 3840, 1080), true, 96},
        });
    }
    void TearDown() override { HeadlessDisplay()->Reset(); }
};

TEST_F(MonitorIndexTest, IndicesInTheScreensListWithZeroForNone)
{
    EXPECT_EQ(PrimaryMonitorIndex(), 1);
    EXPECT_EQ(MonitorIndexOfPoint(Point(2000, 10), MONITOR_DEFAULTTONULL), 1);
    EXPECT_EQ(MonitorIndexOfPoint(Point(9000, 10), MONITOR_DEFAULTTONULL), 0);
    EXPECT_EQ(MonitorIndexOfPoint(Point(9000, 10), MONITOR_DEFAULTTOPRIMARY), 1);
    HWND Wnd = CreateTopLevelWindow("TProbe", "Probe", nullptr, Rect(3000, 10, 3100, 60), TWndMethod());
    EXPECT_EQ(MonitorIndexOfWindow(Wnd, MONITOR_DEFAULTTONULL), 1);

    TXHWndArray Handles{nullptr};
    FindTopLevelWindows("TProbe", "Probe", Handles);
    EXPECT_EQ(Handles, TXHWndArray{Wnd});
    FindTopLevelWindows("TProbe", "Other", Handles);
    EXPECT_TRUE(Handles.empty());
    DestroyWindow(Wnd);

    auto Lines = Owned(TStringList::Create());
    Lines->Add("stale");
    GetDisplayDeviceList(Lines.get());
    ASSERT_EQ(Lines->Count(), 2);
    EXPECT_EQ(Lines->Strings(0), "1. DP-1 on amdgpu");
    EXPECT_EQ(Lines->Strings(1), "2. HDMI-1 on amdgpu");
}

// ---- Forms and controls ------------------------------------------------------------------

class FormHelperTest : public UserInputTest {};

TEST_F(FormHelperTest, TheFormOfAControlOrComponent)
{
    auto* Panel = Add<TPanel>(Rect(10, 20, 110, 120));
    auto* Label = Add<TLabel>(Rect(5, 5, 50, 20), Panel);
    auto* Button = Add<TButton>(Rect(5, 30, 80, 55), Panel);
    auto* Loose = TLabel::Create(FForm);   // no parent: its owner is the form
    auto Orphan = Owned(TLabel::Create(nullptr));
    auto* Inner = TForm::Create(FForm);    // a form in a panel of another form is its own form
    Inner->SetParent(Panel);
    auto* InnerLabel = TLabel::Create(Inner);
    InnerLabel->SetParent(Inner);
    auto* Timer = TComponent::Create(Button);   // owned by a windowed control
    auto Alone = Owned(TComponent::Create(nullptr));

    struct TCase {
        const char* Name;
        TCustomForm* Found;
        TCustomForm* Expected;
    };
    const TCase kCases[] = {
        {"label in a panel", GetControlForm(Label), FForm},
        {"button in a panel", GetControlForm(Button), FForm},
        {"the form itself", GetControlForm(FForm), FForm},
        {"parentless, owned by the form", GetControlForm(Loose), FForm},
        {"parentless, no owner", GetControlForm(Orphan.get()), nullptr},
        {"label of the inner form", GetControlForm(InnerLabel), Inner},
        {"no control", GetControlForm(nullptr), nullptr},
        {"component owned by a button", FindComponentForm(Timer), FForm},
        {"label owned by the form", FindComponentForm(Label), FForm},
        {"component with no windowed owner", FindComponentForm(Alone.get()), nullptr},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(C.Found, C.Expected) << C.Name;
}

TEST_F(FormHelperTest, CentringMaximisingAndOrigins)
{
    auto* Panel = Add<TPanel>(Rect(10, 20, 110, 120));
    struct TCase {
        int Width, Height, AreaWidth, AreaHeight;
        TPoint Expected;
    };
    const TCase kCases[] = {
        {200, 50, 100, 100, Point(0, 25)},
        {50, 50, 101, 51, Point(25, 0)},
        {40, 30, 40, 30, Point(0, 0)},
    };
    for (const TCase& C : kCases) {
        Panel->SetBounds(7, 7, C.Width, C.Height);
        CenterControlIn(Panel, C.AreaWidth, C.AreaHeight);
        EXPECT_EQ(Panel->BoundsRect(), Rect(C.Expected.X, C.Expected.Y, C.Expected.X + C.Width, C.Expected.Y + C.Height))
            << C.Width << " in " << C.AreaWidth;
    }
    Panel->SetBounds(0, 0, 20, 10);
    CenterControl(Panel);
    EXPECT_EQ(Panel->Left(), (FForm->ClientWidth() - 20) / 2);
    EXPECT_EQ(Panel->Top(), (FForm->ClientHeight() - 10) / 2);

    auto* Inner = Add<TPanel>(Rect(3, 4, 13, 14), Panel);
    EXPECT_EQ(GetClientOriginInParent(Inner), Point(3, 4));
    const TRect Inset = FForm->NonClientInset();
    EXPECT_EQ(ClientToWindowPoint(FForm, Point(5, 6)), Point(5 + Inset.Left, 6 + Inset.Top));

    CenterControl(FForm);
    EXPECT_EQ(FForm->Left(), (Screen->Width() - FForm->Width()) / 2);
    MaximizeToScreen(FForm);
    EXPECT_EQ(FForm->BoundsRect(), Rect(0, 0, Screen->Width(), Screen->Height()));
}

// The wait cursor shows at once over every window, and the controls' own cursors come back.
TEST_F(FormHelperTest, TheWaitCursorAndTheFrameworksCursors)
{
    auto* Hand = Add<TPanel>(Rect(0, 0, 100, 100));
    Hand->SetCursor(crXHandPoint);
    auto* Other = TForm::Create(FForm);
    Other->Show();
    MouseAt(WM_MOUSEMOVE, Hand, 10, 10);
    EXPECT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), "XCRHPOINT");

    BeginWaitCursor();
    EXPECT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), "wait");
    EXPECT_EQ(HeadlessDisplay()->WindowCursor(Other->Handle()), "wait");
    MouseAt(WM_MOUSEMOVE, Hand, 20, 20);
    EXPECT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), "wait") << "moving keeps the hourglass";
    EndWaitCursor();
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), "XCRHPOINT");

    // Each picture points with a pixel it draws.
    for (const char* Name : {"XCRHMOVE", "XCRHPOINT", "XCRPICK"}) {
        Hand->SetCursor(CursorShape(crXHandMove) == Name ? crXHandMove : CursorShape(crXPick) == Name ? crXPick : crXHandPoint);
        MouseAt(WM_MOUSEMOVE, Hand, 30, 30);
        ASSERT_EQ(HeadlessDisplay()->WindowCursor(FForm->Handle()), Name);
        const TXCursorImage* Image = HeadlessDisplay()->CursorImage(Name);
        ASSERT_NE(Image, nullptr) << Name;
        ASSERT_EQ(Image->Pixels.size(), size_t(Image->Width) * Image->Height) << Name;
        ASSERT_TRUE(Image->HotSpot.X >= 0 && Image->HotSpot.X < Image->Width && Image->HotSpot.Y >= 0
                    && Image->HotSpot.Y < Image->Height) << Name;
        EXPECT_EQ(Image->Pixels[size_t(Image->HotSpot.Y) * Image->Width + Image->HotSpot.X] >> 24, 0xFFu) << Name;
    }
    EXPECT_GT(CaptionButtonWidth(), 0);
    EXPECT_EQ(CaptionButtonWidth(), GetSystemMetrics(SM_CXSIZE));
}

class TMessageCountingForm : public TForm {
    X_CLASS(TMessageCountingForm, TForm)
public:
    int Count = 0;

protected:
    TMessageCountingForm() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == kProbe)
            ++Count;
        inherited::WndProc(AMessage);
    }

public:
    static constexpr UINT kProbe = WM_USER + 77;
};

TEST_F(FormHelperTest, ProcessingAFormsMessagesLeavesOthersAndTheQuitToTheLoop)
{
    auto* Counting = TMessageCountingForm::Create(FForm);
    Counting->Show();
    auto* Other = TMessageCountingForm::Create(FForm);
    Other->Show();
    for (int I = 0; I < 3; ++I) {
        PostMessageW(Counting->Handle(), TMessageCountingForm::kProbe, 0, 0);
        PostMessageW(Other->Handle(), TMessageCountingForm::kProbe, 0, 0);
    }
    ProcessFormMessages(Counting);
    EXPECT_EQ(Counting->Count, 3);
    EXPECT_EQ(Other->Count, 0) << "another window's messages wait for the loop";

    // A quit taken while processing would otherwise end nothing, or be taken again forever.
    PostMessageW(Counting->Handle(), TMessageCountingForm::kProbe, 0, 0);
    PostQuitMessage(7);
    ProcessFormMessages(Counting);
    EXPECT_EQ(Counting->Count, 4);
    EXPECT_FALSE(Application->Terminated());
    Application->ProcessMessages();
    EXPECT_EQ(Other->Count, 3);
    EXPECT_TRUE(Application->Terminated()) << "the quit reached the application's loop";
}

}  // namespace
