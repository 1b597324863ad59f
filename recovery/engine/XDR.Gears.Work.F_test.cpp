// The FAT stages of a deep scan on FAT16 and FAT32 volumes built in memory (live, deleted and
// lost files, directory trees, damaged links) and on card images made by mkfs.fat and mtools.
#include "XDR.Gears.Work.F.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "Rtl.Streams.h"
#include "XCore.App.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.WorkerThreads.h"
#include "XCore.Errors.h"
#include "XCore.IO.Classes.h"
#include "XCore.Intervals.Blocks.h"
#include "XDR.Classes.h"

#include "../../tests/fixtures/CardImages.h"
#include "../../tests/fixtures/FatImages.h"

namespace {

using XTestFixtures::TFatImage;
using TBlockList = std::vector<std::pair<int64_t, int64_t>>;

struct TFound {
    String Name;
    String FileType;
    TBlockList Blocks;
    bool Deleted = false;
    TXSize ImageSize;
    TXDRFileStatusSet Status;
    bool HasThumbnail = false;
};

TBlockList BlocksOf(const TXBlocks* ABlocks)
{
    TBlockList List;
    for (int I = 0; I < ABlocks->Count(); ++I)
        List.emplace_back(ABlocks->Items(I).Start, ABlocks->Items(I).Size);
    return List;
}

class FatDiskTest : public ::testing::Test {
protected:
    // Thumbnails are resampled through caches stamped with the core application's clock.
    void SetUp() override
    {
        ClearError();
        SetNVCoreApp(TXNVCoreApp::Create());
        FWorker->Subscribe(TXDRFoundFileAspect::StaticClass(), TXNotificationHandler::Bind<&FatDiskTest::Hear>(this));
    }

    void TearDown() override { SetNVCoreApp(nullptr); }

    void Hear(IXNotification* ANotification)
    {
        TXDRFileItem* Item = AspectOf<TXDRFoundFileAspect>(ANotification)->Item();
        FFound.push_back({Item->Name(), Item->FileType(), BlocksOf(Item->Blocks()), IsDeletedEntry(Item->Status()),
                          Item->ImageSize(), Item->Status(), Item->Thumbnail()->Width() > 0});
    }

    bool Open(const TFatImage& AImage)
    {
        FStream->SetSize(0);
        FStream->Write(AImage.Bytes.data(), static_cast<int64_t>(AImage.Bytes.size()));
        return FDisk->Open(FStream.get(), TXDiskInfoRecord());
    }

    void Recover()
    {
        FDisk->RecoverEntries(FUsed.get(), FWorker);
        FDisk->RecoverLostEntries(FUsed.get(), FWorker);
    }

    const TFound* Found(const String& AName) const
    {
        for (const TFound& File : FFound)
            if (File.Name == AName)
                return &File;
        return nullptr;
    }

    std::vector<uint32_t> ClusterNumbers() const
    {
        std::vector<uint32_t> Numbers;
        for (int I = 0; I < FDisk->Clusters()->Count(); ++I)
            Numbers.push_back(FDisk->Clusters()->Items(I)->Cluster);
        return Numbers;
    }

    TXWorker* FWorker = TXWorker::Create(rcmInterlocked, TIntf<IXEngine>());
    TIntf<IXWorker> FWorkerHeld{FWorker};
    TOwned<TMemoryStream> FStream = Owned(TMemoryStream::Create());
    TOwned<TXDRFATDisk> FDisk = Owned(TXDRFATDisk::Create());
    TOwned<TXBlocks> FUsed = Owned(TXBlocks::Create());
    std::vector<TFound> FFound;
};

// ---- Live files --------------------------------------------------------------------------

TEST_F(FatDiskTest, LiveFileFollowsItsChain)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "DATA    BIN", 0x20, 5, 10000);
    Image.Chain({5, 6, 9});
    ASSERT_TRUE(Open(Image));
    Recover();
    ASSERT_EQ(FFound.size(), 1u);
    EXPECT_EQ(FFound[0].Name, "DATA.BIN");
    EXPECT_EQ(FFound[0].FileType, ".BIN");
    EXPECT_FALSE(FFound[0].Deleted);
    EXPECT_EQ(FFound[0].Blocks, (TBlockList{{Image.ClusterOffset(5), 8192}, {Image.ClusterOffset(9), 1808}}));
    // The last cluster's slack is used too, and so is the area before the data.
    EXPECT_EQ(BlocksOf(FUsed.get()), (TBlockList{{0, Image.DataOffset()}, {Image.ClusterOffset(5), 8192},
                                                 {Image.ClusterOffset(9), 4096}}));
}

struct TBrokenChain {
    const char* Name;
    uint32_t FirstCluster;
    std::function<void(TFatImage&)> Link;
    bool FromTheFirstCluster;   // the clusters after the first can stand in for the chain
};

const TBrokenChain kBrokenChains[] = {
    {"EndsAfterTwoOfThree", 5, [](TFatImage& I) { I.Chain({5, 6}); }, true},
    {"Loops", 5, [](TFatImage& I) { I.SetFat(5, 6); I.SetFat(6, 5); }, true},
    {"LeavesTheVolume", 5, [](TFatImage& I) { I.SetFat(5, 0xFF00); }, true},
    {"PointsAtTheReservedEntries", 5, [](TFatImage& I) { I.SetFat(5, 1); }, true},
    {"StartsAtZero", 0, [](TFatImage&) {}, false},
    {"StartsOutsideTheVolume", 0xFFF0, [](TFatImage&) {}, false},
};

class BrokenChainTest : public FatDiskTest, public ::testing::WithParamInterface<TBrokenChain> {};

// Over clusters that hold nothing, the guess is no file at all.
TEST_P(BrokenChainTest, LiveFileOverEmptyClustersIsNotReported)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "DATA    BIN", 0x20, GetParam().FirstCluster, 10000);
    GetParam().Link(Image);
    ASSERT_TRUE(Open(Image));
    Recover();
    EXPECT_TRUE(FFound.empty());
    EXPECT_EQ(FUsed->TotalSize(), Image.DataOffset());
}

TEST_P(BrokenChainTest, LiveFileTakesTheClustersAfterItsFirst)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "DATA    BIN", 0x20, GetParam().FirstCluster, 10000);
    Image.FillContent(Image.ClusterOffset(5), 3 * 4096);
    GetParam().Link(Image);
    ASSERT_TRUE(Open(Image));
    Recover();
    if (!GetParam().FromTheFirstCluster) {
        EXPECT_TRUE(FFound.empty());
        return;
    }
    ASSERT_EQ(FFound.size(), 1u);
    EXPECT_EQ(FFound[0].Name, "DATA.BIN");
    EXPECT_FALSE(FFound[0].Deleted);
    EXPECT_EQ(FFound[0].Blocks, (TBlockList{{Image.ClusterOffset(5), 10000}}));
    EXPECT_EQ(BlocksOf(FUsed.get()), (TBlockList{{0, Image.DataOffset()}, {Image.ClusterOffset(5), 3 * 4096}}));
}

// A photo's entry whose clusters hold no photo: junk under a real name is not reported.
TEST_F(FatDiskTest, LiveFileThatIsNoFileOfItsTypeIsNotReported)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "IMG_0001JPG", 0x20, 5, 5000);
    Image.Chain({5, 6});
    Image.FillContent(Image.ClusterOffset(5), 2 * 4096);
    ASSERT_TRUE(Open(Image));
    Recover();
    EXPECT_TRUE(FFound.empty());
}

INSTANTIATE_TEST_SUITE_P(Chains, BrokenChainTest, ::testing::ValuesIn(kBrokenChains),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// ---- Deleted files -----------------------------------------------------------------------

TEST_F(FatDiskTest, DeletedFileTakesTheFreeClustersAfterItsFirst)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "DATA    BIN", 0x20, 20, 10000, true);
    Image.SetFat(21, Image.EndOfChain());
    Image.FillContent(Image.ClusterOffset(20), 4096);
    ASSERT_TRUE(Open(Image));
    Recover();
    ASSERT_EQ(FFound.size(), 1u);
    EXPECT_EQ(FFound[0].Name, "!ATA.BIN");
    EXPECT_TRUE(FFound[0].Deleted);
    EXPECT_EQ(FFound[0].Blocks, (TBlockList{{Image.ClusterOffset(20), 4096}, {Image.ClusterOffset(22), 4096 + 1808}}));
    EXPECT_EQ(FUsed->TotalSize(), Image.DataOffset());
}

struct TLostDeleted {
    const char* Name;
    std::function<void(TFatImage&)> Damage;
};

const TLostDeleted kLostDeleted[] = {
    {"FirstClusterInUse", [](TFatImage& I) { I.SetFat(20, I.EndOfChain()); }},
    {"ContentAllZero", [](TFatImage& I) { std::fill_n(I.Bytes.begin() + I.ClusterOffset(20), 4096, 0); }},
    {"ContentAllFF", [](TFatImage& I) { std::fill_n(I.Bytes.begin() + I.ClusterOffset(20), 4096, 0xFF); }},
    {"NotEnoughFreeClusters", [](TFatImage& I) { for (uint32_t C = 21; C < 258; ++C) I.SetFat(C, I.EndOfChain()); }},
    {"NoJpegWhereAJpegWas", [](TFatImage& I) { std::memcpy(&I.Bytes[I.RootOffset() + 8], "JPG", 3); }},
};

class LostDeletedTest : public FatDiskTest, public ::testing::WithParamInterface<TLostDeleted> {};

TEST_P(LostDeletedTest, DeletedFileIsNotReported)
{
    TFatImage Image = TFatImage::Fat16();
    Image.PutEntry(Image.RootOffset(), "DATA    BIN", 0x20, 20, 10000, true);
    Image.FillContent(Image.ClusterOffset(20), 4096);
    GetParam().Damage(Image);
    ASSERT_TRUE(Open(Image));
    Recover();
    EXPECT_TRUE(FFound.empty());
}

INSTANTIATE_TEST_SUITE_P(Deleted, LostDeletedTest, ::testing::ValuesIn(kLostDeleted),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// ---- Directory trees ---------------------------------------------------------------------

// Root: a label, a long name, DCIM (cluster 3) and a deleted folder; DCIM: dot entries and
// 100TEST (clusters 4 and 7), which holds a file in each of its clusters.
TFatImage MakeTree(TFatImage AImage, int64_t ARoot)
{
    AImage.PutEntry(TFatImage::Slot(ARoot, 0), "CARD       ", 0x08, 0, 0);
    AImage.PutLongName(TFatImage::Slot(ARoot, 1));
    AImage.PutEntry(TFatImage::Slot(ARoot, 2), "DCIM       ", 0x10, 3, 0);
    AImage.PutEntry(TFatImage::Slot(ARoot, 3), "OLD        ", 0x10, 12, 0, true);
    AImage.SetFat(3, AImage.EndOfChain());
    int64_t Dcim = AImage.ClusterOffset(3);
    AImage.PutEntry(TFatImage::Slot(Dcim, 0), ".          ", 0x10, 3, 0);
    AImage.PutEntry(TFatImage::Slot(Dcim, 1), "..         ", 0x10, 0, 0);
    AImage.PutEntry(TFatImage::Slot(Dcim, 2), "100TEST    ", 0x10, 4, 0);
    AImage.Chain({4, 7});
    AImage.PutEntry(TFatImage::Slot(AImage.ClusterOffset(4), 0), "A       BIN", 0x20, 8, 100);
    for (int Slot = 1; Slot < 128; ++Slot)   // a full first cluster, so the folder goes on
        AImage.PutLongName(TFatImage::Slot(AImage.ClusterOffset(4), Slot));
    AImage.PutEntry(TFatImage::Slot(AImage.ClusterOffset(7), 0), "B       BIN", 0x20, 9, 100);
    AImage.SetFat(8, AImage.EndOfChain());
    AImage.SetFat(9, AImage.EndOfChain());
    return AImage;
}

TEST_F(FatDiskTest, Fat16TreeIsWalkedFromTheRootArea)
{
    TFatImage Image = TFatImage::Fat16();
    ASSERT_TRUE(Open(MakeTree(Image, Image.RootOffset())));
    Recover();
    EXPECT_EQ(ClusterNumbers(), (std::vector<uint32_t>{1, 3, 4, 7}));
    TXDRDirClusterList* Clusters = FDisk->Clusters();
    EXPECT_EQ(Clusters->Items(1)->Flags, kDirClusterDotFirst | kDirClusterWalked);
    EXPECT_EQ(Clusters->Items(0)->Flags, kDirClusterWalked);
    // The label and the long name are no entries; the deleted folder is listed, not walked.
    ASSERT_EQ(Clusters->Items(0)->Entries()->Count(), 2);
    EXPECT_EQ(Clusters->Items(0)->Entries()->Items(1)->Name, "!LD");
    EXPECT_NE(Found("A.BIN"), nullptr);
    EXPECT_NE(Found("B.BIN"), nullptr);
}

TEST_F(FatDiskTest, Fat32TreeStartsAtTheBootSectorsRootCluster)
{
    TFatImage Image = TFatImage::Fat32(4096, 8, 20);
    ASSERT_TRUE(Open(MakeTree(Image, Image.ClusterOffset(20))));
    Recover();
    EXPECT_EQ(ClusterNumbers(), (std::vector<uint32_t>{3, 4, 7, 20}));
    EXPECT_NE(Found("B.BIN"), nullptr);
}

struct TBadLink {
    const char* Name;
    std::function<void(TFatImage&)> Damage;
};

const TBadLink kBadLinks[] = {
    {"FolderHoldsItsParent",
     [](TFatImage& I) { I.PutEntry(TFatImage::Slot(I.ClusterOffset(7), 1), "UP         ", 0x10, 3, 0); }},
    {"FolderHoldsItself",
     [](TFatImage& I) { I.PutEntry(TFatImage::Slot(I.ClusterOffset(3), 3), "SELF       ", 0x10, 3, 0); }},
    {"ChainLoops", [](TFatImage& I) { I.SetFat(7, 4); }},
    {"ChainLeavesTheVolume", [](TFatImage& I) { I.SetFat(7, 0xFF00); }},
    {"FolderOutsideTheVolume",
     [](TFatImage& I) { I.PutEntry(TFatImage::Slot(I.ClusterOffset(3), 3), "FAR        ", 0x10, 0xFF00, 0); }},
};

class BadLinkTest : public FatDiskTest, public ::testing::WithParamInterface<TBadLink> {};

TEST_P(BadLinkTest, WalkReadsEachClusterOnce)
{
    TFatImage Image = TFatImage::Fat16();
    Image = MakeTree(Image, Image.RootOffset());
    GetParam().Damage(Image);
    ASSERT_TRUE(Open(Image));
    Recover();
    EXPECT_EQ(ClusterNumbers(), (std::vector<uint32_t>{1, 3, 4, 7}));
    EXPECT_NE(Found("B.BIN"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Links, BadLinkTest, ::testing::ValuesIn(kBadLinks),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// ---- Lost directory clusters -------------------------------------------------------------

TEST_F(FatDiskTest, FreeClusterOfEntriesIsReadAsALostDirectory)
{
    TFatImage Image = TFatImage::Fat32();
    int64_t Lost = Image.ClusterOffset(30);
    Image.PutEntry(TFatImage::Slot(Lost, 0), ".          ", 0x10, 30, 0);
    Image.PutEntry(TFatImage::Slot(Lost, 1), "..         ", 0x10, 0, 0);
    Image.PutEntry(TFatImage::Slot(Lost, 2), "KEPT    BIN", 0x20, 31, 5000);
    Image.PutEntry(TFatImage::Slot(Lost, 3), "GONE    BIN", 0x20, 40, 100, true);
    Image.FillContent(Image.ClusterOffset(31), 8192);
    Image.FillContent(Image.ClusterOffset(40), 100);
    // Neither a cluster of other data nor an empty one reads as a directory.
    Image.FillContent(Image.ClusterOffset(50), 4096);
    ASSERT_TRUE(Open(Image));
    Recover();
    EXPECT_EQ(FDisk->FAT()->Map()[30].State, clAvailableFolder);
    EXPECT_EQ(ClusterNumbers(), (std::vector<uint32_t>{2, 30}));
    EXPECT_EQ(FDisk->Clusters()->Items(1)->Flags, kDirClusterDotFirst | kDirClusterLost);
    ASSERT_EQ(FFound.size(), 2u);
    const TFound* Kept = Found("KEPT.BIN");
    ASSERT_NE(Kept, nullptr);
    EXPECT_TRUE(Kept->Deleted);
    EXPECT_EQ(Kept->Blocks, (TBlockList{{Image.ClusterOffset(31), 5000}}));
    EXPECT_NE(Found("!ONE.BIN"), nullptr);
}

// ---- Cancellation and whole cards --------------------------------------------------------

TEST_F(FatDiskTest, CancelledScanReadsNothing)
{
    TFatImage Image = TFatImage::Fat16();
    ASSERT_TRUE(Open(MakeTree(Image, Image.RootOffset())));
    FWorker->Terminate();
    Recover();
    EXPECT_EQ(FDisk->Clusters()->Count(), 0);
    EXPECT_TRUE(FFound.empty());
}

struct TCardImageCase {
    const char* Name;
    const char* Options;   // make-card-image's, as other tests use them, so the images are shared
};

class FatCardTest : public FatDiskTest, public ::testing::WithParamInterface<TCardImageCase> {
protected:
    // Skips when the image cannot be made here (no mkfs.fat or mtools).
    void OpenCard()
    {
        std::string Path;
        try {
            Path = XTestFixtures::CardImage(GetParam().Options);
        } catch (const std::exception& E) {
            GTEST_SKIP() << E.what();
        }
        FIO = Owned(TXFileDiskIO::Create(static_cast<TComponent*>(nullptr)));
        ASSERT_TRUE(FIO->Open(Path, kIORead));
        ASSERT_TRUE(FDisk->Open(FIO.get()));
    }

    TOwned<TXFileDiskIO> FIO;
};

TEST_P(FatCardTest, FindsLiveAndDeletedPhotos)
{
    OpenCard();
    if (IsSkipped() || HasFatalFailure())
        return;
    Recover();
    std::set<String> Names;
    for (const TFound& File : FFound)
        Names.insert(File.Name);
    EXPECT_EQ(Names, (std::set<String>{"IMG_0001.JPG", "IMG_0003.JPG", "MVI_0004.AVI", "!MG_0002.JPG"}));
    EXPECT_EQ(Found("IMG_0001.JPG")->ImageSize.Width, 320);
    const TFound* Deleted = Found("!MG_0002.JPG");
    EXPECT_TRUE(Deleted->Deleted);
    EXPECT_EQ(Deleted->ImageSize.Height, 480);
    for (const char* Photo : {"IMG_0003.JPG", "!MG_0002.JPG"}) {
        EXPECT_TRUE(Found(Photo)->Status.Contains(drThnValidated)) << Photo;
        EXPECT_TRUE(Found(Photo)->HasThumbnail) << Photo;
    }
    // A video has no thumbnail to make: that counts as done, with nothing drawn.
    EXPECT_TRUE(Found("MVI_0004.AVI")->Status.Contains(drThnValidated));
    EXPECT_GT(FUsed->TotalSize(), 0);
}

// Without thumbnails the sizes still come from the photos' headers.
TEST_P(FatCardTest, WithoutThumbnailsPhotosKeepTheirSizesAndHaveNoThumbnailState)
{
    OpenCard();
    if (IsSkipped() || HasFatalFailure())
        return;
    FDisk->SetThumbnails(false);
    Recover();
    ASSERT_EQ(FFound.size(), 4u);
    EXPECT_EQ(Found("IMG_0001.JPG")->ImageSize.Width, 320);
    EXPECT_EQ(Found("!MG_0002.JPG")->ImageSize.Height, 480);
    for (const TFound& File : FFound) {
        EXPECT_FALSE(File.Status.Contains(drThnValidated) || File.Status.Contains(drThnError)) << File.Name;
        EXPECT_FALSE(File.HasThumbnail) << File.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, FatCardTest,
                         ::testing::Values(TCardImageCase{"Fat16", "--fat 16 --size-mb 8"},
                                           TCardImageCase{"Fat32", "--fat 32 --size-mb 40 --serial 89ABCDEF"}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(FatDiskTest, Fat12CardDoesNotOpen)
{
    std::string Path;
    try {
        Path = XTestFixtures::CardImage("--fat 12 --size-mb 4");
    } catch (const std::exception& E) {
        GTEST_SKIP() << E.what();
    }
    TOwned<TXFileDiskIO> IO = Owned(TXFileDiskIO::Create(static_cast<TComponent*>(nullptr)));
    ASSERT_TRUE(IO->Open(Path, kIORead));
    EXPECT_FALSE(FDisk->Open(IO.get()));
    EXPECT_FALSE(FDisk->Opened());
}

}  // namespace
