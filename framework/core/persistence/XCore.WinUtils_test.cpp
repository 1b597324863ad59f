// Autorun entries in a private home (registry file and autostart folder), the window search,
// and monitor indices on the headless display.
#include "XCore.WinUtils.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Vcl.Application.h"
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

}  // namespace
