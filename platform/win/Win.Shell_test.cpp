// Shell execution: programs start directly with split parameters, everything else goes to the
// opener, and nothing passes through a shell command line.
#include "Win.Shell.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"

namespace {

TEST(ShellTest, CommandLinesSplitAsWindowsSplitsThem)
{
    struct TCase {
        const char* Line;
        std::vector<String> Arguments;
    };
    const TCase kCases[] = {
        {"", {}},
        {"  a   b ", {"a", "b"}},
        {"/file:\"C:\\x y\\cfg.0\"", {"/file:C:\\x y\\cfg.0"}},
        {"\"a \"\"quoted\"\" word\"", {"a \"quoted\" word"}},
        {"a\\\\b c\\\"d", {"a\\\\b", "c\"d"}},
        {"\"ends with\\\\\" x", {"ends with\\", "x"}},
        {"$(rm -rf x) ; `y`", {"$(rm", "-rf", "x)", ";", "`y`"}},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(SplitCommandLine(C.Line), C.Arguments) << C.Line;
}

class ShellRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FOutput = FHome.Root() + "/out.txt";
        // Records its arguments and working folder, one a line.
        const String Part = FOutput + ".part";
        FRecorder = MakeScript("recorder", "for A in \"$@\"; do printf '%s\\n' \"$A\"; done > \"" + Part
                                               + "\"; pwd >> \"" + Part + "\"; mv \"" + Part + "\" \"" + FOutput + "\"");
        SetShellOpener(FRecorder);
    }
    void TearDown() override { SetShellOpener(String()); }

    String MakeScript(const String& AName, const String& ABody)
    {
        String Name = FHome.Root() + "/" + AName;
        std::ofstream(Name) << "#!/bin/sh\n" << ABody << "\n";
        ::chmod(Name.c_str(), 0755);
        return Name;
    }
    // The recorded lines; waits for the started process to write them.
    std::vector<String> Recorded()
    {
        for (int I = 0; I < 500 && !FileExists(FOutput); ++I)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream In(FOutput);
        std::vector<String> Lines;
        for (String Line; std::getline(In, Line);)
            Lines.push_back(Line);
        DeleteFile(FOutput);
        return Lines;
    }

    TTestHome FHome;
    String FOutput, FRecorder;
};

TEST_F(ShellRunTest, ProgramsStartDirectlyInTheirFolder)
{
    ForceDirectories(FHome.Root() + "/work");
    EXPECT_GT(ShellStartProgram("\"" + FRecorder + "\"", "/file:\"a b\" $HOME", FHome.Root() + "\\work"), 32);
    EXPECT_EQ(Recorded(), (std::vector<String>{"/file:a b", "$HOME", FHome.Root() + "/work"}));
    // "x.exe" runs "x"; a relative name is taken from the folder.
    EXPECT_GT(ShellStartProgram("recorder.exe", "", FHome.Root()), 32);
    EXPECT_EQ(Recorded(), (std::vector<String>{FHome.Root()}));
    // A document given as the program is opened, not run.
    std::ofstream(FHome.Root() + "/notes.txt") << "x";
    EXPECT_GT(ShellStartProgram(FHome.Root() + "/notes.txt", "--ignored", String()), 32);
    EXPECT_EQ(Recorded(), (std::vector<String>{FHome.Root() + "/notes.txt", std::filesystem::current_path().string()}));
}

// Opening never runs what it opens. A photo with an execute bit (every file of a FAT card has
// one) goes to the opener like any document; a program, a script or a desktop entry, which the
// opener would run, goes nowhere, whatever its name or mode.
TEST_F(ShellRunTest, OpeningNeverRunsWhatItOpens)
{
    const String Ran = FHome.Root() + "/ran";
    auto Plant = [&](const String& AName, const std::string& AContent, bool AExecutable) {
        String Name = FHome.Root() + "/" + AName;
        std::ofstream(Name, std::ios::binary) << AContent;
        ::chmod(Name.c_str(), AExecutable ? 0755 : 0644);
        return Name;
    };
    String Photo = Plant("photo.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + "JFIF", true);
    EXPECT_GT(ShellExecute("open", Photo, "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(Recorded(), (std::vector<String>{Photo, std::filesystem::current_path().string()}));

    struct TCase {
        const char* Name;
        std::string Content;
        bool Executable;
    };
    const TCase kCases[] = {
        {"photo2.jpg", "#!/bin/sh\ntouch \"" + Ran + "\"\n", true},
        {"notes.txt", "#!/bin/sh\ntouch \"" + Ran + "\"\n", false},
        {"tool", std::string("\x7F" "ELF\x02\x01\x01", 7), true},
        {"setup.exe", "MZ\x90", false},
        {"Viewer.desktop", "# an entry\n[Desktop Entry]\nType=Application\nExec=touch " + Ran + "\n", false},
        {"readme.DESKTOP", "plain words", false},
        {"card.dat", "\n\n[Desktop Entry]\nExec=touch " + Ran + "\n", false},
    };
    for (const TCase& C : kCases) {
        String Name = Plant(C.Name, C.Content, C.Executable);
        EXPECT_EQ(ShellExecute("open", Name, "", "", SW_SHOWNORMAL), SE_ERR_ACCESSDENIED) << C.Name;
        EXPECT_EQ(ShellExecute("open", "\"" + String(C.Name) + "\"", "", FHome.Root(), SW_SHOWNORMAL), SE_ERR_ACCESSDENIED)
            << C.Name;
    }
    EXPECT_FALSE(FileExists(FOutput)) << "the opener was not started";
    EXPECT_FALSE(FileExists(Ran));
    EXPECT_NE(ShellErrorText(SE_ERR_ACCESSDENIED).find("program"), String::npos);
}

TEST_F(ShellRunTest, DocumentsFoldersAndAddressesGoToTheOpener)
{
    std::ofstream(FHome.Root() + "/doc.txt") << "x";
    const String Cwd = std::filesystem::current_path().string();
    struct TCase {
        String Verb, File, Expected;
    };
    const TCase kCases[] = {
        {"open", FHome.Root() + "\\doc.txt", FHome.Root() + "/doc.txt"},
        {"explore", FHome.Root(), FHome.Root()},
        {"open", "http://example.invalid/a?b=c", "http://example.invalid/a?b=c"},
        {"open", "mailto:someone@example.invalid", "mailto:someone@example.invalid"},
    };
    for (const TCase& C : kCases) {
        EXPECT_GT(ShellExecute(C.Verb, C.File, "ignored", String(), SW_SHOWNORMAL), 32) << C.File;
        EXPECT_EQ(Recorded(), (std::vector<String>{C.Expected, Cwd})) << C.File;
    }
}

TEST_F(ShellRunTest, FailuresAreReportedAsSmallResults)
{
    EXPECT_EQ(ShellExecute("open", FHome.Root() + "/missing.doc", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute("print", FHome.Root(), "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecute("open", "", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    // Links reach the opener only as web and mail addresses.
    for (const char* Link : {"file:///etc/passwd", "javascript:alert(1)", "smb://host/share", "x-custom-handler:run"})
        EXPECT_EQ(ShellExecute("open", Link, "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC) << Link;
    SetShellOpener(FHome.Root() + "/no-such-opener");
    EXPECT_LE(ShellExecute("open", "http://example.invalid", "", "", SW_SHOWNORMAL), 32);
}

}  // namespace
