// The system singleton: folders and their macros under a private home, shell execution, and
// item-id lists.
#include "XPlatform.System.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "Display.Headless.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Application.h"
#include "Vcl.Screen.h"
#include "Win.Display.h"
#include "Win.Shell.h"
#include "Win.TestEnvironment.h"
#include "XCore.IO.h"

namespace {

class SystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("APPDATA", std::nullopt);
        FHome.Set("XDG_PICTURES_DIR", FHome.Root() + "/Bilder");
        StartNVSystem();
    }
    void TearDown() override { StopNVSystem(); }

    TTestHome FHome;
};

TEST_F(SystemTest, EveryFolderMacroExpands)
{
    const String H = FHome.Root();
    struct TCase {
        const char* Macro;
        String Expected;
    };
    const TCase kCases[] = {
        {"<win>", "/usr/share/"},           {"<sys>", "/usr/lib/"},
        {"<tmp>", H + "/tmp/"},             {"<pf>", "/opt/"},
        {"<wpf>", ""},                      {"<home>", H + "/"},
        {"<desk>", H + "/Desktop/"},        {"<appdata>", H + "/.config/"},
        {"<mydoc>", H + "/Documents/"},     {"<mymusic>", H + "/Music/"},
        {"<mypictures>", H + "/Bilder/"},   {"<com>", NVSystem()->ComputerName()},
        {"<user>", NVSystem()->UserName()},
    };
    for (const TCase& C : kCases) {
        EXPECT_EQ(NVSystem()->ExpandMacros(String("[") + C.Macro + "]"), "[" + C.Expected + "]") << C.Macro;
        EXPECT_EQ(ExpandPathMacros(C.Macro), C.Expected) << C.Macro;
    }
    EXPECT_FALSE(NVSystem()->UserName().empty());
    // Folder macros are replaced before "<up>" acts on the whole text.
    EXPECT_EQ(ExpandPathMacros("<appdata>Norvale\\Desktop\\<up>"), UpperCase(H + "/.config/Norvale\\Desktop\\"));
    StopNVSystem();
    EXPECT_EQ(ExpandPathMacros("<mydoc>"), "<mydoc>");   // the expander goes with the singleton
    StartNVSystem();
}

TEST_F(SystemTest, ExecuteQuotesNamesAndSendMailPrefixesOnce)
{
    const String Output = FHome.Root() + "/opened.txt";
    const String Opener = FHome.Root() + "/opener";
    std::ofstream(Opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" << Output << "\"\n";
    ::chmod(Opener.c_str(), 0755);
    SetShellOpener(Opener);
    std::ofstream(FHome.Root() + "/a doc.txt") << "x";
    EXPECT_TRUE(NVSystem()->OpenLink(FHome.Root() + "/a doc.txt"));
    EXPECT_TRUE(NVSystem()->Execute(0, "\"" + FHome.Root() + "/a doc.txt\"", "", ""));
    EXPECT_TRUE(NVSystem()->SendMail("someone@example.invalid"));
    EXPECT_TRUE(NVSystem()->SendMail("mailto:someone@example.invalid"));
    EXPECT_FALSE(NVSystem()->Execute(1, FHome.Root() + "/a doc.txt", "", ""));   // no print here
    EXPECT_FALSE(NVSystem()->Execute(9, FHome.Root() + "/a doc.txt", "", ""));
    SetShellOpener(String());

    std::vector<String> Lines;
    for (int I = 0; I < 500 && Lines.size() < 4; ++I) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream In(Output);
        Lines.clear();
        for (String Line; std::getline(In, Line);)
            Lines.push_back(Line);
    }
    std::sort(Lines.begin(), Lines.end());   // the openers run side by side
    const String Doc = FHome.Root() + "/a doc.txt";
    EXPECT_EQ(Lines, (std::vector<String>{Doc, Doc, "mailto:someone@example.invalid",
                                          "mailto:someone@example.invalid"}));
}

TEST(ItemIdListTest, SizesCopiesAndConcatenation)
{
    // Two items of 5 and 3 bytes, then the terminator.
    const unsigned char Bytes[] = {5, 0, 'a', 'b', 'c', 3, 0, 'd', 0, 0};
    PItemIDList List = AllocItemIdList(sizeof Bytes);
    std::memcpy(List, Bytes, sizeof Bytes);
    EXPECT_EQ(GetItemIdListSize(List), sizeof Bytes);
    EXPECT_EQ(GetItemIdListSize(nullptr), 0u);
    EXPECT_EQ(reinterpret_cast<char*>(NextItemId(List)), reinterpret_cast<char*>(List) + 5);

    PItemIDList Empty = AllocItemIdList(2);
    EXPECT_EQ(GetItemIdListSize(Empty), 2u);
    PItemIDList Copy = ConcatItemIdLists(nullptr, List);
    EXPECT_EQ(std::memcmp(Copy, Bytes, sizeof Bytes), 0);
    PItemIDList Twice = ConcatItemIdLists(List, List);
    EXPECT_EQ(GetItemIdListSize(Twice), 2 * sizeof Bytes - 2);
    PItemIDList Alone = ConcatItemIdLists(List, nullptr);
    EXPECT_EQ(GetItemIdListSize(Alone), sizeof Bytes);   // still ends in a terminator
    for (PItemIDList P : {List, Empty, Copy, Twice, Alone})
        FreeItemIdList(P);
}

class ScreenDpiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(HeadlessDisplay(), nullptr);
        HeadlessDisplay()->SetMonitors({
            TXMonitor{"Side", "Card", Rect(-1280, 0, 0, 1024), Rect(-1280, 0, 0, 1024), false, 96},
            TXMonitor{"Main", "Card", Rect(0, 0, 2560, 1440), Rect(0, 0, 2560, 1440), true, 144},
        });
    }
    void TearDown() override
    {
        HeadlessDisplay()->Reset();
        Screen->SetPixelsPerInch(96);
        ASSERT_EQ(SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE), S_OK);
    }
};

TEST_F(ScreenDpiTest, OnlyAPerMonitorAwareProcessTakesThePrimaryMonitorsDpi)
{
    struct TCase {
        PROCESS_DPI_AWARENESS Awareness;
        int Expected;
    } const kCases[] = {
        {PROCESS_PER_MONITOR_DPI_AWARE, 144},
        {PROCESS_SYSTEM_DPI_AWARE, 96},
        {PROCESS_DPI_UNAWARE, 96},
    };
    for (const TCase& C : kCases) {
        Screen->SetPixelsPerInch(96);
        ASSERT_EQ(SetProcessDpiAwareness(C.Awareness), S_OK);
        AdjustScreenDpi();
        EXPECT_EQ(Screen->PixelsPerInch(), C.Expected) << C.Awareness;
    }
}

class WindowSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(HeadlessDisplay(), nullptr);
        Application->Handle();
        FOurs = CreateTopLevelWindow("TXMessageWindow", "Kalender", nullptr, TRect(), TWndMethod());
        FOther = HeadlessDisplay()->AddForeignWindow("TXMessageWindow", "Other");
        FShell = HeadlessDisplay()->AddForeignWindow("Progman", "Program Manager");
    }
    void TearDown() override
    {
        DestroyWindow(FOurs);
        HeadlessDisplay()->Reset();
    }
    TXHWndArray Search(const String& AClassName, const String& ACaption)
    {
        TXWindowSearch Search{AClassName, ACaption, {}};
        EnumWindows(&EnumTopLevelWindow, reinterpret_cast<LPARAM>(&Search));
        return Search.Handles;
    }

    HWND FOurs = nullptr, FOther = nullptr, FShell = nullptr;
};

TEST_F(WindowSearchTest, FiltersByClassAndCaptionAndNeverListsTheApplicationWindow)
{
    EXPECT_EQ(Search("", ""), (TXHWndArray{FOurs, FShell, FOther}));
    EXPECT_EQ(Search("TXMessageWindow", ""), (TXHWndArray{FOurs, FOther}));
    EXPECT_EQ(Search("TXMessageWindow", "Other"), (TXHWndArray{FOther}));
    EXPECT_EQ(Search("", "Program Manager"), (TXHWndArray{FShell}));
    EXPECT_EQ(Search("progman", ""), (TXHWndArray{}));   // letter case counts
    EXPECT_EQ(Search("TApplication", ""), (TXHWndArray{}));
    EXPECT_EQ(GetWindowClassText(FShell), "Progman");
    EXPECT_EQ(GetWindowCaptionText(FOurs), "Kalender");
}

TEST_F(WindowSearchTest, LongTextsAreCutAt300Characters)
{
    SetWindowTextW(FOurs, String(299, 'x') + "\xC3\xA4\xC3\xB6");   // 301 characters, the last two two bytes each
    EXPECT_EQ(GetWindowCaptionText(FOurs), String(299, 'x') + "\xC3\xA4");
}

TEST(WindowsVersionTest, ThisPlatformAnswersAsACurrentSystem)
{
    EXPECT_TRUE(IsWindows8OrLater());
    EXPECT_TRUE(IsWindows81OrLater());
}

}  // namespace
