// Restore: selected files written with their bytes and unique, safe names, progress by item,
// the image the scan opened used again, and a cancel that keeps what was written.
#include "XDR.Gears.Work.R.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Win.Volumes.h"

#include "../../tests/fixtures/ReadFaults.h"
#include "XDR.JobFixture.h"

using namespace XDR::Gears::Work;
using namespace XDRTesting;
namespace fs = std::filesystem;

namespace {

// Bytes that differ at every offset, so a copy from the wrong place shows.
TCard NumberedCard(size_t ASize)
{
    TCard Card(ASize);
    for (size_t I = 0; I < ASize; ++I)
        Card.Bytes[I] = static_cast<uint8_t>(I * 7 + I / 251);
    return Card;
}

TBytes Slice(const TBytes& ABytes, size_t AStart, size_t ASize)
{
    return TBytes(ABytes.begin() + AStart, ABytes.begin() + AStart + ASize);
}

class RestoreTest : public JobTest {
protected:
    void AddItem(const String& AName, int64_t AStart, int64_t ASize, bool ASelected)
    {
        TXDRFileItem* Item = Files->Add();
        Item->SetName(AName);
        Item->Blocks()->Add(AStart, ASize);
        Item->SetSelected(ASelected);
    }
    fs::path Folder(const char* AName) const { return XTestFixtures::ScratchFolder() / AName / "out"; }
};

TEST_F(RestoreTest, WritesTheSelectedFilesUnderUniqueNamesInsideTheFolder)
{
    const TCard Card = NumberedCard(1 << 20);
    const std::string Path = Card.Save("restore.img");
    AddItem("000001.jpg", 4096, 3000, true);
    AddItem("skipped.jpg", 0, 100, false);
    AddItem("000001.jpg", 10000, 100, true);
    AddItem("../!scape.jpg", 20000, 50, true);   // a damaged directory entry
    const fs::path Out = Folder("names");
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, Out.string() + "/"));

    EXPECT_EQ(Heard.EndName, "Restore");
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(ReadBytes(Out / "000001.jpg"), Slice(Card.Bytes, 4096, 3000));
    EXPECT_EQ(ReadBytes(Out / "0000011.jpg"), Slice(Card.Bytes, 10000, 100));
    EXPECT_EQ(ReadBytes(Out / ".._!scape.jpg"), Slice(Card.Bytes, 20000, 50));
    EXPECT_FALSE(fs::exists(Out / "skipped.jpg"));
    EXPECT_FALSE(fs::exists(Out.parent_path() / "!scape.jpg"));
    EXPECT_EQ(Heard.Positions, (std::vector<int32_t>{250, 500, 750, 1000}));
}

TEST_F(RestoreTest, RestoresWhatTheScanFoundFromTheImageItOpened)
{
    TCard Card(1 << 20);
    const TBytes Photo = MakeJpeg(64, 48, clRed);
    Card.Put(8192, Photo);
    Run(TXDRDiskImageDeepScanWorkCommand::Create(Gear, Card.Save("scanned.img")));
    ASSERT_EQ(Files->Count(), 1);
    const fs::path Out = Folder("scanned");
    Run(TXDRDiskImageRestoreFilesWorkCommand::Create(Gear, Out.string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(ReadBytes(Out / "000001.jpg"), Photo);
}

TEST_F(RestoreTest, WithoutAScanBeforeItThereIsNothingToRestoreFrom)
{
    AddItem("a.jpg", 0, 10, true);
    Run(TXDRDiskImageRestoreFilesWorkCommand::Create(Gear, Folder("none").string() + "/"));
    EXPECT_NE(Heard.EndError.Code, 0);
    EXPECT_FALSE(fs::exists(Folder("none") / "a.jpg"));
}

TEST_F(RestoreTest, ACancelStopsBeforeTheNextFileAndKeepsTheWrittenOnes)
{
    const TCard Card = NumberedCard(4 << 20);
    const std::string Path = Card.Save("cancel.img");
    AddItem("1.jpg", 0, 1000, true);
    AddItem("2.jpg", 1 << 20, 1000, true);
    AddItem("3.jpg", 3 << 20, 1000, true);
    const fs::path Out = Folder("cancel");
    // The second file's bytes come slowly; the wizard cancels once it is being written.
    XTestFixtures::TReadFaults Slow(Path, "1048576-1049600=SLOW1000");
    bool Cancelled = false;
    OnIdle = [&] {
        if (!Cancelled && fs::exists(Out / "2.jpg.~tmp")) {
            Cancelled = true;
            CancelFromTheWizard();
        }
    };
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, Out.string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, kErrCancelled);
    EXPECT_EQ(ReadBytes(Out / "1.jpg"), Slice(Card.Bytes, 0, 1000));
    EXPECT_EQ(ReadBytes(Out / "2.jpg"), Slice(Card.Bytes, 1 << 20, 1000));
    EXPECT_FALSE(fs::exists(Out / "3.jpg"));
}

// Every readable byte is written, unreadable sectors as zeros, and the damaged file is named.
TEST_F(RestoreTest, UnreadableSectorsAreWrittenAsZerosAndTheFileIsNamed)
{
    const TCard Card = NumberedCard(1 << 20);
    const std::string Path = Card.Save("faults.img");
    AddItem("bad.jpg", 4096, 200000, true);
    AddItem("good.jpg", 600000, 512, true);
    XTestFixtures::TReadFaults Faults(Path, "135168-135680=EIO");
    const fs::path Out = Folder("eio");
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, Out.string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(Heard.EndError.Value, 1);
    EXPECT_NE(Heard.EndError.Text.find("bad.jpg"), String::npos) << Heard.EndError.Text;
    TBytes Expected = Slice(Card.Bytes, 4096, 200000);
    std::fill_n(Expected.begin() + (135168 - 4096), 512, 0);
    EXPECT_EQ(ReadBytes(Out / "bad.jpg"), Expected);
    EXPECT_EQ(ReadBytes(Out / "good.jpg"), Slice(Card.Bytes, 600000, 512));
    ASSERT_EQ(Heard.Log.size(), 1u);
    EXPECT_NE(Heard.Log[0].find("bad.jpg"), String::npos);
}

// The file being written when the card goes is not left behind, half, under its name.
TEST_F(RestoreTest, ARemovedCardFailsTheJobAndLeavesNoHalfFile)
{
    const TCard Card = NumberedCard(1 << 20);
    const std::string Path = Card.Save("removed.img");
    AddItem("bad.jpg", 4096, 200000, true);
    XTestFixtures::TReadFaults Faults(Path, "135168-135680=ENODEV");
    const fs::path Out = Folder("enodev");
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, Out.string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, kVolumeMissing);
    EXPECT_TRUE(fs::is_empty(Out));
}

// Files that cannot be written are each reported and counted, and the job fails with why.
TEST_F(RestoreTest, FilesThatCannotBeWrittenFailTheJob)
{
    const TCard Card = NumberedCard(1 << 20);
    const std::string Path = Card.Save("nowhere.img");
    AddItem("a.jpg", 4096, 100, true);
    AddItem("b.jpg", 8192, 100, true);
    const fs::path Blocker = XTestFixtures::ScratchFolder() / "a-file";
    WriteBytes(Blocker, {1});
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, (Blocker / "out").string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, kErrLocalWriteFailed);
    EXPECT_EQ(Heard.EndError.Value, 2);
    ASSERT_EQ(Heard.Log.size(), 2u);
    EXPECT_EQ(Heard.Log[0].rfind("a.jpg: ", 0), 0u) << Heard.Log[0];
}

// Names from a card never lead the restore out of its folder: a planted link is passed by, and
// a name too long for the file system is cut, keeping its extension.
TEST_F(RestoreTest, NamesStayInsideTheFolder)
{
    const TCard Card = NumberedCard(1 << 20);
    const std::string Path = Card.Save("links.img");
    const fs::path Out = Folder("links"), Outside = XTestFixtures::ScratchFolder() / "outside.jpg";
    fs::create_directories(Out);
    WriteBytes(Outside, {42});
    fs::create_symlink(Outside, Out / "000001.jpg");
    fs::create_symlink(Outside, Out / "000002.jpg.~tmp");
    AddItem("000001.jpg", 4096, 100, true);
    AddItem("000002.jpg", 8192, 100, true);
    AddItem(String(300, 'L') + ".jpg", 12288, 100, true);
    Run(TXDRDiskRestoreFilesWorkCommand::Create(Gear, 0, Path, Out.string() + "/"));
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(ReadBytes(Outside), TBytes{42});
    EXPECT_EQ(ReadBytes(Out / "0000011.jpg"), Slice(Card.Bytes, 4096, 100));
    EXPECT_EQ(ReadBytes(Out / "000002.jpg"), Slice(Card.Bytes, 8192, 100));
    EXPECT_EQ(ReadBytes(Out / (String(251, 'L') + ".jpg")), Slice(Card.Bytes, 12288, 100));
}

}  // namespace
