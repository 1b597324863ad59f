// Special folders under a private home, user-dirs.dirs, and Windows environment names.
#include "Win.Folders.h"

#include <gtest/gtest.h>

#include <fstream>

#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"

namespace {

TEST(FoldersTest, SpecialFoldersFollowTheXdgDirectories)
{
    TTestHome Home;
    const std::string H = Home.Root();
    ForceDirectories(H + "/.config");
    std::ofstream(H + "/.config/user-dirs.dirs") << "# comment\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    Home.Set("XDG_MUSIC_DIR", H + "/Tunes");

    struct TCase {
        int Csidl;
        std::string Expected;
    };
    const TCase kCases[] = {
        {CSIDL_PERSONAL, H + "/Documents/"},  {CSIDL_MYPICTURES, H + "/Bilder/"},
        {CSIDL_MYMUSIC, H + "/Tunes/"},       {CSIDL_DESKTOP, H + "/Desktop/"},
        {CSIDL_APPDATA, H + "/.config/"},     {CSIDL_LOCAL_APPDATA, H + "/.local/share/"},
        {CSIDL_PROFILE, H + "/"},             {0x7777, ""},
    };
    EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_PERSONAL, false), "");   // missing and not to be created
    for (const TCase& C : kCases) {
        EXPECT_EQ(SHGetSpecialFolderPath(C.Csidl, true), C.Expected) << C.Csidl;
        EXPECT_TRUE(C.Expected.empty() || DirectoryExists(C.Expected)) << C.Csidl;
    }
    EXPECT_EQ(GetTempPath(), H + "/tmp/");
    EXPECT_EQ(GetUserRuntimeFolder(), H + "/run/");
}

TEST(FoldersTest, EnvironmentTextsExpandWindowsNames)
{
    TTestHome Home;
    const std::string H = Home.Root();
    Home.Set("NV_SAMPLE", "value");
    Home.Set("APPDATA", std::nullopt);
    struct TCase {
        std::string Text, Expected;
    };
    const TCase kCases[] = {
        {"%APPDATA%\\Norvale", H + "/.config\\Norvale"},
        {"%HOMEDRIVE%%HOMEPATH%", H},
        {"%appdata%", H + "/.config"},
        {"a%NV_SAMPLE%b", "avalueb"},
        {"%NV_UNKNOWN_NAME%", "%NV_UNKNOWN_NAME%"},
        {"100%", "100%"},
        {"%%", "%%"},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(ExpandEnvironmentStrings(C.Text), C.Expected) << C.Text;
}

TEST(FoldersTest, NamesAreWhole)
{
    // The host name is never cut to a fixed buffer.
    char Buffer[256] = {};
    ::gethostname(Buffer, sizeof Buffer - 1);
    EXPECT_EQ(GetComputerName(), Buffer);
    EXPECT_FALSE(GetUserName().empty());
    EXPECT_TRUE(FileExists(GetModuleFileName()));
}

}  // namespace
