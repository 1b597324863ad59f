// Opening through the desktop: names reach the opener exactly, whatever quotes and blanks they
// hold, and what cannot or must not be opened fails with its reason in the error store.
#include "XShellUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "Rtl.Files.h"
#include "Win.Shell.h"
#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"

namespace {

class ShellExecuteFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        FOutput = FHome.Root() + "/opened.txt";
        FOpener = FHome.Root() + "/opener";
        std::ofstream(FOpener) << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << FOutput << ".part\"; mv \"" << FOutput
                               << ".part\" \"" << FOutput << "\"\n";
        ::chmod(FOpener.c_str(), 0755);
        SetShellOpener(FOpener);
    }
    void TearDown() override
    {
        SetShellOpener(String());
        ClearError();
    }
    // What the opener was given; waits (with a deadline) for the started process to say.
    String Opened()
    {
        for (int I = 0; I < 500 && !FileExists(FOutput); ++I)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream In(FOutput);
        String Target((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
        DeleteFile(FOutput);
        return Target;
    }
    String Plant(const String& AName, const std::string& AContent)
    {
        String Name = FHome.Root() + "/" + AName;
        std::ofstream(Name) << AContent;
        return Name;
    }

    TTestHome FHome;
    String FOutput, FOpener;
};

TEST_F(ShellExecuteFileTest, TheOpenerGetsTheExactTarget)
{
    const String Quoted = Plant("say \"cheese\".jpg", "\xFF\xD8\xFF");
    const String Blank = Plant("two words.txt", "x");
    ForceDirectories(FHome.Root() + "/album");
    struct TCase {
        String Operation, File, Directory, Expected;
    };
    const TCase kCases[] = {
        {"open", Quoted, "", Quoted},
        {"open", "\"" + Blank + "\"", "", Blank},
        {"", "two words.txt", FHome.Root(), Blank},
        {"explore", FHome.Root() + "/album", "", FHome.Root() + "/album"},
        {"open", "https://example.invalid/a b?c=\"d\"", "", "https://example.invalid/a b?c=\"d\""},
    };
    for (const TCase& C : kCases) {
        ASSERT_TRUE(ShellExecuteFile(C.Operation, C.File, "--ignored", C.Directory)) << C.File << ": " << GetErrorText();
        EXPECT_EQ(Opened(), C.Expected) << C.File;
    }
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(ShellExecuteFileTest, RefusalsAndFailuresSayWhy)
{
    struct TCase {
        const char* Name;
        String File;
        String Operation;
        int32_t Value;
    };
    const TCase kCases[] = {
        {"missing", FHome.Root() + "/gone.jpg", "open", 2},
        {"desktop entry", Plant("Viewer.desktop", "[Desktop Entry]\nExec=true\n"), "open", 5},
        {"script", Plant("run.txt", "#!/bin/sh\ntrue\n"), "open", 5},
        {"no such verb", Plant("doc.txt", "x"), "print", 31},
        {"empty", "", "open", 2},
    };
    for (const TCase& C : kCases) {
        ClearError();
        EXPECT_FALSE(ShellExecuteFile(C.Operation, C.File, "", "")) << C.Name;
        EXPECT_EQ(GetErrorCode(), 4) << C.Name;
        EXPECT_EQ(GetErrorData().Value, C.Value) << C.Name;
        EXPECT_NE(GetErrorText().find(ShellErrorText(C.Value)), String::npos) << C.Name << ": " << GetErrorText();
        EXPECT_EQ(GetErrorText().rfind(C.File, 0), 0u) << C.Name << " names the file";
    }
    EXPECT_FALSE(FileExists(FOutput)) << "nothing reached the opener";
}

}  // namespace
