// Path-macro expansion and the file helpers on a private folder.
#include "XCore.IO.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"

namespace {

// An expander that replaces one macro, as the application singletons do.
struct TFakeExpander {
    String Macro, Value;
    String Expand(const String& AText)
    {
        String Result = AText;
        for (size_t At; (At = Result.find(Macro)) != String::npos;)
            Result.replace(At, Macro.size(), Value);
        return Result;
    }
    TXPathMacroExpander Method() { return TXPathMacroExpander::Bind<&TFakeExpander::Expand>(this); }
};

TEST(PathMacrosTest, ExpandersRunInOrderThenTheTextMacros)
{
    TFakeExpander Exe{"<exe>", "/Opt/App/"}, Chained{"<App/>", "never"};
    RegisterPathMacroExpander(Exe.Method());
    RegisterPathMacroExpander(Exe.Method());   // held once
    RegisterPathMacroExpander(Chained.Method());
    struct TCase {
        const char* Text;
        const char* Expected;
    };
    const TCase kCases[] = {
        {"plain text", "plain text"},
        {"<exe>Pictures\\", "/Opt/App/Pictures\\"},
        {"<EXE>", "<EXE>"},                                  // macros are case-sensitive
        {"<exe>Data\\<low>File.TXT", "/opt/app/data\\file.txt"},   // the whole text, not only after it
        {"<up>a<low>b", "AB"},
        {"first <exe>\r\nsecond <short><exe>x y\\", "first /Opt/App/\r\nsecond /Opt/App/x y\\"},
        {"  <short>a\n", "a"},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(ExpandPathMacros(C.Text), C.Expected) << C.Text;
    UnregisterPathMacroExpander(Exe.Method());
    UnregisterPathMacroExpander(Chained.Method());
    EXPECT_EQ(ExpandPathMacros("<exe>"), "<exe>");
}

class FileHelpersTest : public ::testing::Test {
protected:
    String Path(const String& AName) const { return FHome.Root() + "/" + AName; }
    void Touch(const String& AName) { std::ofstream(Path(AName)) << "x"; }

    TTestHome FHome;
};

TEST_F(FileHelpersTest, UniqueFileNamesNumberBeforeTheExtension)
{
    EXPECT_EQ(GetUniqueFileName(Path("new\\x.dat")), Path("new\\x.dat"));
    EXPECT_TRUE(DirExists(Path("new")));   // the folder is made
    Touch("new/x.dat");
    Touch("new/x1.dat");
    EXPECT_EQ(GetUniqueFileName(Path("new/x.dat")), Path("new/x2.dat"));
    Touch("new/noext");
    EXPECT_EQ(GetUniqueFileName(Path("new/noext")), Path("new/noext1"));
    ForceDirectories(Path("new/taken.d"));
    EXPECT_EQ(GetUniqueFileName(Path("new/taken.d")), Path("new/taken1.d"));
}

TEST_F(FileHelpersTest, NumberedFoldersSkipFilesAndFolders)
{
    ForceDirectories(Path("base/New Folder"));
    Touch("base/New Folder1");
    EXPECT_EQ(CreateNumberedDirectory(Path("base"), "New Folder"), Path("base/New Folder2"));
    EXPECT_TRUE(DirExists(Path("base/New Folder2")));
    EXPECT_EQ(CreateNumberedDirectory(Path("base/file"), "x"), Path("base/file/x"));
    Touch("blocker");
    EXPECT_EQ(CreateNumberedDirectory(Path("blocker"), "x"), "");
}

// Captions become folder names: whatever they hold, the folder is made inside the base, and
// never through a link planted at its name.
TEST_F(FileHelpersTest, NumberedFoldersFromCaptionsStayInTheirBase)
{
    ForceDirectories(Path("outside"));
    ForceDirectories(Path("base"));
    ASSERT_EQ(::symlink(Path("outside").c_str(), Path("base/Link").c_str()), 0);
    struct TCase {
        String Caption, Made;
    };
    const TCase kCases[] = {
        {"..", "_"},
        {"../../escape", ".._.._escape"},
        {"..\\up", ".._up"},
        {"tab\there", "tab_here"},
        {"Link", "Link1"},
        {String(300, 'n'), String(249, 'n')},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(CreateNumberedDirectory(Path("base"), C.Caption), Path("base/" + C.Made)) << C.Caption;
    EXPECT_EQ(ListDirectory(Path("outside")).size(), 0u);
}

TEST_F(FileHelpersTest, WritabilityProbeLeavesNothingBehind)
{
    EXPECT_TRUE(IsDirectoryWritable(Path("w")));
    Touch("w/tmp.tmp");   // the probe takes a free name beside it
    EXPECT_TRUE(IsDirectoryWritable(Path("w")));
    auto Files = Owned(TStringList::Create());
    GetDirFiles(Path("w"), "*", Files.get(), false);
    EXPECT_EQ(Files->Text(), Path("w/tmp.tmp") + "\r\n");
    ForceDirectories(Path("ro"));
    ::chmod(Path("ro").c_str(), 0500);
    if (::geteuid() != 0) {   // root writes anywhere
        EXPECT_FALSE(IsDirectoryWritable(Path("ro")));
    }
    ::chmod(Path("ro").c_str(), 0700);
    GetDirFiles(Path("ro"), "*", Files.get(), false);
    EXPECT_EQ(Files->Count(), 0);
}

TEST_F(FileHelpersTest, ListingsOfFilesAndSubFolders)
{
    ForceDirectories(Path("d/sub/deeper"));
    ForceDirectories(Path("d/Another"));
    for (const char* Name : {"d/b.jpg", "d/a.JPG", "d/c.txt", "d/sub/s.jpg", "d/sub/deeper/t.jpg"})
        Touch(Name);
    auto Lines = [](TStrings* AList) { return std::vector<String>(AList->begin(), AList->end()); };
    auto Files = Owned(TStringList::Create());
    Files->Add("kept");
    AddDirFiles(Path("d"), "*.jpg", Files.get(), false);
    EXPECT_EQ(Lines(Files.get()), (std::vector<String>{"kept", Path("d/a.JPG"), Path("d/b.jpg")}));
    GetDirFiles(Path("d\\"), "*.jpg", Files.get(), true);   // the folder is used as it is written
    EXPECT_EQ(Lines(Files.get()), (std::vector<String>{Path("d\\a.JPG"), Path("d\\b.jpg"), Path("d\\sub/s.jpg"),
                                                       Path("d\\sub/deeper/t.jpg")}));
    GetSubDirs(Path("d"), Files.get());
    EXPECT_EQ(Lines(Files.get()), (std::vector<String>{"Another/", "sub/"}));
    GetDirFiles(Path("missing"), "*", Files.get(), true);
    EXPECT_EQ(Files->Count(), 0);
}

// A FIFO named like a data file is no file to read (opening it waits for a writer), and a
// folder linked back to its parent must not send a recursive walk round for ever.
TEST_F(FileHelpersTest, WalksListRegularFilesAndStayOutOfLinkedFolders)
{
    ForceDirectories(Path("w/sub"));
    Touch("w/a.xholiday");
    Touch("w/sub/b.xholiday");
    ASSERT_EQ(::mkfifo(Path("w/fifo.xholiday").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("..", Path("w/sub/up").c_str()), 0);
    ASSERT_EQ(::symlink(".", Path("w/sub/here").c_str()), 0);
    auto Files = Owned(TStringList::Create());
    GetDirFiles(Path("w"), "*.xholiday", Files.get(), true);
    EXPECT_EQ(std::vector<String>(Files->begin(), Files->end()),
              (std::vector<String>{Path("w/a.xholiday"), Path("w/sub/b.xholiday")}));
    GetSubDirs(Path("w/sub"), Files.get());
    EXPECT_EQ(Files->Count(), 2);   // listed, only never walked into
}

TEST_F(FileHelpersTest, DeletingReadOnlyFilesAndFolders)
{
    Touch("r.txt");
    FileSetReadOnly(Path("r.txt"), true);
    EXPECT_TRUE(ForceDeleteFile(Path("r.txt")));
    EXPECT_FALSE(FileExists(Path("r.txt")));
    EXPECT_TRUE(ForceDeleteFile(Path("r.txt")));
    Touch("s.txt");
    EXPECT_TRUE(DeleteFileWithRetry(Path("s.txt")));
    ForceDirectories(Path("tree/a"));
    Touch("tree/a/f");
    TryDeleteDirectory(Path("tree"), false);   // not empty: stays
    EXPECT_TRUE(DirExists(Path("tree")));
    TryDeleteDirectory(Path("tree"), true);
    EXPECT_FALSE(FileOrDirExists(Path("tree")));
    EXPECT_TRUE(IsSameFileName(Path("a\\b.txt"), Path("a/b.txt")));
    EXPECT_FALSE(IsSameFileName(Path("a/B.txt"), Path("a/b.txt")));
}

TEST(FilterItemsTest, DescriptionMasksAndBar)
{
    EXPECT_EQ(MakeFilterItem("Pictures", "*.jpg"), "Pictures (*.jpg)|*.jpg");
    EXPECT_EQ(MakeFilterItemMasks("Images", {"*.wfp", "*.wfl"}), "Images (*.wfp;*.wfl)|*.wfp;*.wfl");
}

}  // namespace
