// File versions: our programs carry theirs; any other file, damaged ones too, has none.
#include "Win.Version.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "Win.Folders.h"
#include "Win.TestEnvironment.h"

X_FILE_VERSION(7, 2, 0, 650);

namespace {

TEST(FileVersionTest, OurProgramCarriesItsVersion)
{
    VS_FIXEDFILEINFO Info;
    ASSERT_TRUE(GetFileVersionInfo(GetModuleFileName(), Info));
    EXPECT_EQ(Info.dwFileVersionMS, (7u << 16) | 2u);
    EXPECT_EQ(Info.dwFileVersionLS, 650u);
}

TEST(FileVersionTest, OtherFilesHaveNone)
{
    TTestHome Home;
    std::ifstream Self(GetModuleFileName(), std::ios::binary);
    std::string Bytes((std::istreambuf_iterator<char>(Self)), std::istreambuf_iterator<char>());
    struct TCase {
        const char* Name;
        std::string Content;
    };
    const TCase kCases[] = {
        {"text.txt", "just text"},
        {"empty.bin", ""},
        {"head-only", Bytes.substr(0, 64)},
        {"cut-in-half", Bytes.substr(0, Bytes.size() / 2)},
    };
    for (const TCase& C : kCases) {
        std::string Name = Home.Root() + "/" + C.Name;
        std::ofstream(Name, std::ios::binary) << C.Content;
        VS_FIXEDFILEINFO Info;
        EXPECT_FALSE(GetFileVersionInfo(Name, Info)) << C.Name;
        EXPECT_EQ(Info.dwFileVersionMS, 0u);
    }
    VS_FIXEDFILEINFO Info;
    EXPECT_FALSE(GetFileVersionInfo(Home.Root() + "/missing", Info));
}

}  // namespace
