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

// Opening never runs what it opens: an executable file (every file of a FAT card is one)
// goes to the opener like any document.
TEST_F(ShellRunTest, OpeningAnExecutableFileDoesNotRunIt)
{
    String Planted = MakeScript("photo.jpg", "touch \"" + FHome.Root() + "/ran\"");
    EXPECT_GT(ShellExecute("open", Planted, "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(Recorded(), (std::vector<String>{Planted, std::filesystem::current_path().string()}));
    EXPECT_FALSE(FileExists(FHome.Root() + "/ran"));
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
