// File names in both separator forms, masks, and the file system routines on a scratch folder.
#include "Rtl.Files.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Rtl.SysUtils.h"

namespace {

TEST(FilesTest, NamePartsReadBothSeparators)
{
    struct TCase {
        const char* Name;
        const char* Path;
        const char* FileName;
        const char* Ext;
    };
    const TCase kCases[] = {
        {"C:\\data\\Pictures\\a.jpg", "C:\\data\\Pictures\\", "a.jpg", ".jpg"},
        {"/home/u/x.tar.gz", "/home/u/", "x.tar.gz", ".gz"},
        {"/home/u.d/readme", "/home/u.d/", "readme", ""},
        {"plain", "", "plain", ""},
        {"dir/", "dir/", "", ""},
    };
    for (const TCase& C : kCases) {
        SCOPED_TRACE(C.Name);
        EXPECT_EQ(ExtractFilePath(C.Name), C.Path);
        EXPECT_EQ(ExtractFileName(C.Name), C.FileName);
        EXPECT_EQ(ExtractFileExt(C.Name), C.Ext);
    }
    EXPECT_EQ(ChangeFileExt("/a.b/c.txt", ".tmp"), "/a.b/c.tmp");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".tmp"), "/a.b/c.tmp");
    EXPECT_EQ(IncludeTrailingPathDelimiter("a\\"), "a\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("a"), "a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("a/"), "a");
}

TEST(FilesTest, MasksFollowWindowsRules)
{
    struct TCase {
        const char* Name;
        const char* Mask;
        bool Matches;
    };
    const TCase kCases[] = {
        {"IMG_001.JPG", "*.jpg", true}, {"a.jpeg", "*.jpg", false}, {"readme", "*.*", true},
        {"a1.txt", "a?.txt", true},      {"a12.txt", "a?.txt", false}, {"x.wfp", "*.wf?", true},
        {"abc", "*", true},              {"", "*", true},             {"abc", "a*c*", true},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(MatchesMask(C.Name, C.Mask), C.Matches) << C.Name << " " << C.Mask;
}

class FilesOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "nvfiles-XXXXXX").string();
        FRoot = ::mkdtemp(Pattern.data());
    }
    void TearDown() override { std::filesystem::remove_all(FRoot); }
    void Touch(const std::string& AName) { std::ofstream(FRoot + "/" + AName) << "x"; }

    std::string FRoot;
};

TEST_F(FilesOnDiskTest, BackslashNamesReachTheFileSystem)
{
    ASSERT_TRUE(ForceDirectories(FRoot + "\\a\\b\\"));
    EXPECT_TRUE(DirectoryExists(FRoot + "/a/b"));
    Touch("a/b/f.txt");
    EXPECT_TRUE(FileExists(FRoot + "\\a\\b\\f.txt"));
    EXPECT_FALSE(FileExists(FRoot + "\\a\\b"));   // a folder is no file
    EXPECT_TRUE(RenameFile(FRoot + "\\a\\b\\f.txt", FRoot + "\\a\\g.txt"));
    EXPECT_TRUE(DeleteFile(FRoot + "\\a\\g.txt"));
    EXPECT_FALSE(DeleteFile(FRoot + "\\a\\g.txt"));
    EXPECT_TRUE(RemoveDirRecursive(FRoot + "\\a"));
    EXPECT_FALSE(DirectoryExists(FRoot + "/a"));
}

TEST_F(FilesOnDiskTest, AnExeNameFindsTheProgramWithoutExtension)
{
    Touch("tool");
    EXPECT_TRUE(FileExists(FRoot + "\\tool.exe"));
    EXPECT_EQ(NativePath(FRoot + "\\tool.EXE"), FRoot + "/tool");
    Touch("both.exe");
    Touch("both");
    EXPECT_EQ(NativePath(FRoot + "\\both.exe"), FRoot + "/both.exe");   // the real name wins
    EXPECT_FALSE(FileExists(FRoot + "\\none.exe"));
}

TEST_F(FilesOnDiskTest, ReadOnlyAndListing)
{
    Touch("r.txt");
    ASSERT_TRUE(FileSetReadOnly(FRoot + "/r.txt", true));
    EXPECT_TRUE(FileIsReadOnly(FRoot + "/r.txt"));
    ASSERT_TRUE(FileSetReadOnly(FRoot + "/r.txt", false));
    EXPECT_FALSE(FileIsReadOnly(FRoot + "/r.txt"));
    ForceDirectories(FRoot + "/sub");
    auto Entries = ListDirectory(FRoot);
    std::sort(Entries.begin(), Entries.end(), [](auto& A, auto& B) { return A.Name < B.Name; });
    ASSERT_EQ(Entries.size(), 2u);
    EXPECT_EQ(Entries[0].Name, "r.txt");
    EXPECT_FALSE(Entries[0].IsDirectory);
    EXPECT_EQ(Entries[1].Name, "sub");
    EXPECT_TRUE(Entries[1].IsDirectory);
    EXPECT_TRUE(ListDirectory(FRoot + "/missing").empty());
}

// Small files of the desktop are read whole, but a FIFO in their place must not stop the
// program, nor a folder, a device or a huge file take it over: each is refused with its reason.
TEST_F(FilesOnDiskTest, SmallFilesAreRegularFilesWithinTheirLimit)
{
    std::ofstream(FRoot + "/list") << "[Group]\nKey=value\n";
    std::filesystem::create_symlink(FRoot + "/list", FRoot + "/link");
    EXPECT_EQ(ReadSmallFile(FRoot + "/list"), "[Group]\nKey=value\n");
    EXPECT_EQ(ReadSmallFile(FRoot + "/link"), "[Group]\nKey=value\n");
    ASSERT_EQ(::mkfifo((FRoot + "/fifo").c_str(), 0600), 0);
    ForceDirectories(FRoot + "/folder");
    const struct {
        std::string Name;
        int64_t Limit;
        const char* Reason;
    } kRefused[] = {
        {"fifo", kSmallFileLimit, "not a regular file"},
        {"folder", kSmallFileLimit, "directory"},
        {"/dev/zero", kSmallFileLimit, "not a regular file"},
        {"list", 10, "larger than 10 bytes"},
        {"missing", kSmallFileLimit, "No such file"},
    };
    for (const auto& Case : kRefused) {
        String Path = Case.Name.front() == '/' ? Case.Name : FRoot + "/" + Case.Name;
        try {
            (void)ReadSmallFile(Path, Case.Limit);
            ADD_FAILURE() << Case.Name << " was read";
        } catch (const EStreamError& E) {
            EXPECT_NE(String(E.what()).find(Case.Reason), String::npos) << Case.Name << ": " << E.what();
        }
    }
}

}  // namespace
