// Saves through temporary files (permissions, links, a full disk, cancelling), exclusive
// creation, untrusted names and the clean-up of stale temporary files, in scratch folders.
#include "Rtl.SafeFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../tests/fixtures/ScratchFolders.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

namespace {

namespace fs = std::filesystem;
using XTestFixtures::TScratchFolder;
using XTestFixtures::TSmallDisk;

std::string Slurp(const std::string& APath)
{
    std::ifstream In(APath, std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

void Put(const std::string& APath, const std::string& AText)
{
    std::ofstream(APath, std::ios::binary) << AText;
}

unsigned ModeOf(const std::string& APath)
{
    struct stat Info {};
    EXPECT_EQ(::stat(APath.c_str(), &Info), 0) << APath;
    return Info.st_mode & 07777;
}

// Names in the folder other than the ones a test made on purpose.
std::vector<std::string> Names(const std::string& AFolder)
{
    std::vector<std::string> Result;
    for (const auto& Entry : fs::directory_iterator(AFolder))
        Result.push_back(Entry.path().filename().string());
    std::sort(Result.begin(), Result.end());
    return Result;
}

void SaveText(const std::string& AFileName, const std::string& AText)
{
    SafeWriteFileBytes(AFileName, TBytes(AText.begin(), AText.end()));
}

TEST(SafeSaveTest, ReplacesKeepingPermissionsAndLinks)
{
    TScratchFolder Folder;
    // A private file stays private.
    Put(Folder / "private.xml", "old");
    ::chmod((Folder / "private.xml").c_str(), 0600);
    SaveText(Folder / "private.xml", "new");
    EXPECT_EQ(Slurp(Folder / "private.xml"), "new");
    EXPECT_EQ(ModeOf(Folder / "private.xml"), 0600u);

    // A new file gets the default: what the umask leaves of 0666.
    mode_t Mask = ::umask(022);
    SaveText(Folder / "fresh.xml", "x");
    ::umask(Mask);
    EXPECT_EQ(ModeOf(Folder / "fresh.xml"), 0644u);

    // A link is followed to its file, which is replaced beside itself; the link stays a link.
    fs::create_directory(Folder / "real");
    Put(Folder / "real/settings.xml", "old");
    ::chmod((Folder / "real/settings.xml").c_str(), 0640);
    fs::create_symlink("real/settings.xml", Folder / "settings.xml");
    SaveText(Folder / "settings.xml", "new");
    EXPECT_TRUE(fs::is_symlink(Folder / "settings.xml"));
    EXPECT_EQ(Slurp(Folder / "real/settings.xml"), "new");
    EXPECT_EQ(ModeOf(Folder / "real/settings.xml"), 0640u);

    EXPECT_EQ(Names(Folder.Path()), (std::vector<std::string>{"fresh.xml", "private.xml", "real", "settings.xml"}));
    EXPECT_EQ(Names(Folder / "real"), std::vector<std::string>{"settings.xml"});
}

TEST(SafeSaveTest, AFullDiskKeepsTheOldFileAndSaysWhy)
{
    TSmallDisk Disk(64 * 1024);
    if (!Disk.Mounted())
        GTEST_SKIP() << Disk.Why();
    Put(Disk / "settings.xml", "old");
    Disk.Fill();
    try {
        SaveText(Disk / "settings.xml", std::string(100000, 'n'));
        FAIL() << "a save onto a full disk succeeded";
    } catch (const EStreamError& E) {
        EXPECT_EQ(E.OSError(), ENOSPC);
        EXPECT_NE(E.Message().find("No space left on device"), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Slurp(Disk / "settings.xml"), "old");
    Disk.Free();
    EXPECT_EQ(Names(Disk.Path()), std::vector<std::string>{"settings.xml"});   // no temporary file left
}

TEST(SafeSaveTest, AnAbandonedFileLeavesNothingAndACommittedOneAppearsWhole)
{
    TScratchFolder Folder;
    Put(Folder / "card.img", "old image");
    {
        TOwned<TSafeFileStream> File = Owned(TSafeFileStream::Create(Folder / "card.img"));
        File->WriteBuffer("half", 4);
        EXPECT_EQ(Slurp(Folder / "card.img"), "old image");   // nothing under the final name yet
    }   // freed without Commit: a cancelled job
    EXPECT_EQ(Slurp(Folder / "card.img"), "old image");
    EXPECT_EQ(Names(Folder.Path()), std::vector<std::string>{"card.img"});

    TOwned<TSafeFileStream> File = Owned(TSafeFileStream::Create(Folder / "card.img"));
    for (int Chunk = 0; Chunk < 4; ++Chunk)
        File->WriteBuffer("0123456789", 10);
    File->Commit();
    EXPECT_TRUE(File->Committed());
    EXPECT_EQ(Slurp(Folder / "card.img").size(), 40u);
    EXPECT_EQ(Names(Folder.Path()), std::vector<std::string>{"card.img"});
}

TEST(SafeSaveTest, ANewFileNeverReplacesNorFollowsWhatIsThere)
{
    TScratchFolder Folder;
    TScratchFolder Outside;
    Put(Folder / "IMG_1.JPG", "user's own");
    fs::create_symlink(Outside / "victim", Folder / "IMG_11.JPG");   // planted, leads out
    // A link planted at the temporary name must not be written through either.
    fs::create_symlink(Outside / "victim.tmp", Folder / "IMG_1.JPG.~tmp");

    TOwned<TSafeFileStream> File = Owned(TSafeFileStream::Create(Folder / "IMG_1.JPG", ssNewFile));
    File->WriteBuffer("restored", 8);
    File->Commit();
    EXPECT_EQ(File->TargetName(), Folder / "IMG_12.JPG");
    EXPECT_EQ(Slurp(Folder / "IMG_12.JPG"), "restored");
    EXPECT_EQ(Slurp(Folder / "IMG_1.JPG"), "user's own");
    EXPECT_TRUE(fs::is_symlink(Folder / "IMG_11.JPG"));
    EXPECT_TRUE(Names(Outside.Path()).empty());
}

TEST(SafeSaveTest, CreateNewFileTakesTheNextFreeNumber)
{
    TScratchFolder Folder;
    TScratchFolder Outside;
    Put(Folder / "a.txt", "x");
    fs::create_symlink(Outside / "gone", Folder / "a1.txt");   // dangling: open would create outside
    String Name = Folder / "a.txt";
    int Handle = CreateNewFile(Name);
    ASSERT_GE(Handle, 0);
    ::close(Handle);
    EXPECT_EQ(Name, Folder / "a2.txt");
    EXPECT_TRUE(Names(Outside.Path()).empty());

    String Missing = Folder / "no/such/folder.txt";
    EXPECT_THROW(CreateNewFile(Missing), EFCreateError);
}

TEST(SafeSaveTest, UntrustedNamesStayInTheirFolder)
{
    struct TCase {
        std::string Name;
        bool Plain;
    };
    const TCase kCases[] = {
        {"IMG_0001.JPG", true},   {"été.jpg", true},        {"", false},
        {".", false},             {"..", false},            {"/etc/passwd", false},
        {"../x", false},          {"a/b", false},           {"a\\b", false},
        {std::string("a\0b", 3), false},                     {"tab\there", false},
        {"del\x7f", false},       {std::string(255, 'n'), true}, {std::string(256, 'n'), false},
    };
    TScratchFolder Folder;
    for (const TCase& C : kCases) {
        SCOPED_TRACE(C.Name);
        EXPECT_EQ(IsPlainFileName(C.Name), C.Plain);
        EXPECT_EQ(JoinUntrustedName(Folder.Path(), C.Name).empty(), !C.Plain);
    }
    EXPECT_EQ(JoinUntrustedName(Folder.Path(), "a.jpg"), Folder / "a.jpg");

    TScratchFolder Outside;
    fs::create_directory(Folder / "inside");
    fs::create_symlink(Folder / "inside", Folder / "near");
    fs::create_symlink(Outside.Path(), Folder / "far");
    fs::create_symlink(Outside / "gone", Folder / "nowhere");
    EXPECT_EQ(JoinUntrustedName(Folder.Path(), "near"), Folder / "near");
    EXPECT_EQ(JoinUntrustedName(Folder.Path(), "far"), "");
    EXPECT_EQ(JoinUntrustedName(Folder.Path(), "nowhere"), "");
}

TEST(SafeSaveTest, AnyNameCanBeMadePlain)
{
    EXPECT_EQ(MakePlainFileName("Work/Home\\x"), "Work_Home_x");
    EXPECT_EQ(MakePlainFileName(std::string("a\0\n", 3)), "a__");
    EXPECT_EQ(MakePlainFileName(".."), "_");
    EXPECT_EQ(MakePlainFileName(""), "_");
    EXPECT_EQ(MakePlainFileName("..."), "...");
    // Too long: cut on a character's boundary, the extension kept.
    String Long;
    for (int I = 0; I < 200; ++I)
        Long += "é";   // two bytes each
    String Made = MakePlainFileName(Long + ".jpg", 255);
    EXPECT_TRUE(IsPlainFileName(Made));
    EXPECT_EQ(Made, Long.substr(0, 250) + ".jpg");
    EXPECT_EQ(MakePlainFileName(std::string(300, 'x') + "." + std::string(40, 'e'), 255), std::string(255, 'x'));
}

TEST(SafeSaveTest, StaleTemporaryFilesGoAndRunningSavesStay)
{
    TScratchFolder Folder;
    TScratchFolder Outside;
    Put(Folder / "settings.xml.~tmp", "crashed save");
    Put(Folder / "keep.txt", "user's");
    Put(Outside / "target", "not ours");
    fs::create_symlink(Outside / "target", Folder / "link.~tmp");
    ASSERT_EQ(::mkfifo((Folder / "pipe.~tmp").c_str(), 0600), 0);
    TOwned<TSafeFileStream> Running = Owned(TSafeFileStream::Create(Folder / "image.img"));

    RemoveStaleTempFiles(Folder.Path());
    EXPECT_EQ(Names(Folder.Path()),
              (std::vector<std::string>{"image.img.~tmp", "keep.txt", "link.~tmp", "pipe.~tmp"}));
    EXPECT_EQ(Slurp(Outside / "target"), "not ours");
    Running->Commit();
}

TEST(FileStreamTest, SpecialFilesAreRefusedWithoutBlocking)
{
    TScratchFolder Folder;
    ASSERT_EQ(::mkfifo((Folder / "x.xholiday").c_str(), 0600), 0);
    for (uint16_t Mode : {fmOpenRead, fmOpenReadWrite, fmCreate}) {
        try {
            Owned(TFileStream::Create(Folder / "x.xholiday", Mode));
            ADD_FAILURE() << "a FIFO opened with mode " << Mode;
        } catch (const EStreamError& E) {
            EXPECT_EQ(E.OSError(), ESPIPE) << E.Message();
        }
    }
    try {
        Owned(TFileStream::Create(Folder.Path(), fmOpenRead));
        ADD_FAILURE() << "a folder opened as a file";
    } catch (const EStreamError& E) {
        EXPECT_EQ(E.OSError(), EISDIR);
    }
    EXPECT_THROW(ReadFileBytes(Folder / "x.xholiday"), EFOpenError);
}

}  // namespace
