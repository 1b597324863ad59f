// Disks: card images written from a volume and read back with their trailer, file-system
// kinds, images without a trailer, and open failures.
#include "XCore.IO.Classes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../../tests/fixtures/CardImages.h"
#include "Win.Volumes.h"
#include "XCore.Errors.h"

namespace {

using XTestFixtures::CardImage;
using XTestFixtures::ScratchFolder;

String FileText(const String& APath)
{
    std::ifstream File(APath, std::ios::binary);
    return String(std::istreambuf_iterator<char>(File), {});
}

String WriteFile(const String& AName, const String& ABytes)
{
    String Path = (ScratchFolder() / AName).string();
    std::ofstream(Path, std::ios::binary) << ABytes;
    return Path;
}

TEST(DiskIOTest, ACardImageIsTheVolumeThenItsTrailerAndReadsBack)
{
    const String Volume = CardImage("--fat 32 --size-mb 40 --serial 89ABCDEF");
    TOwned<TXDiskIO> Disk = Owned(TXDiskIO::Create(nullptr));
    ASSERT_TRUE(Disk->Open(Volume, kIORead));
    EXPECT_EQ(Disk->FileSystemKind(), fskFat32);
    const String Card = (ScratchFolder() / "card.bin").string();
    ASSERT_TRUE(Disk->SaveToFile(Card));
    const String Source = FileText(Volume);
    const String Written = FileText(Card);
    ASSERT_EQ(Written.size(), Source.size() + WriteDiskInfoText(Disk->DiskInfo()).size());
    EXPECT_TRUE(Written.compare(0, Source.size(), Source) == 0);
    EXPECT_EQ(Written.substr(Source.size()), WriteDiskInfoText(Disk->DiskInfo()));

    TOwned<TXFileDiskIO> Image = Owned(TXFileDiskIO::Create(nullptr));
    ASSERT_TRUE(Image->Open(Card, kIORead));
    const TXDiskInfoRecord& Info = Image->DiskInfo();
    const TXDiskInfoRecord& Original = Disk->DiskInfo();
    EXPECT_EQ(Info.Serial, 0x89ABCDEFu);
    EXPECT_EQ(Info.VolumeName, Original.VolumeName);
    EXPECT_EQ(Info.FileSystemName, "FAT32");
    EXPECT_EQ(Info.BytesPerSector, Original.BytesPerSector);
    EXPECT_EQ(Info.ClusterSize, Original.ClusterSize);
    EXPECT_EQ(Info.SectorsPerCluster, Original.SectorsPerCluster);
    EXPECT_EQ(Info.TotalClusters, Original.TotalClusters);
    EXPECT_EQ(Info.DiskSize, static_cast<int64_t>(Written.size()));
    EXPECT_EQ(Image->FileSystemKind(), fskFat32);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST(DiskIOTest, KindsComeFromTheNameThenTheBootSector)
{
    struct {
        const char* Options;
        int32_t Kind;
    } const Cases[] = {{"--fat 12 --size-mb 4", fskFat12}, {"--fat 16 --size-mb 8", fskFat16}};
    for (const auto& C : Cases) {
        TOwned<TXDiskIO> Disk = Owned(TXDiskIO::Create(nullptr));
        ASSERT_TRUE(Disk->Open(CardImage(C.Options), kIORead));
        EXPECT_EQ(Disk->DiskInfo().FileSystemName, "FAT");
        EXPECT_EQ(Disk->FileSystemKind(), C.Kind) << C.Options;
        // A plain image file has no trailer: only its size and its boot sector are known.
        TOwned<TXFileDiskIO> Image = Owned(TXFileDiskIO::Create(nullptr));
        ASSERT_TRUE(Image->Open(CardImage(C.Options), kIORead));
        EXPECT_EQ(Image->DiskInfo().DiskSize, Disk->GetStream()->Size());
        EXPECT_TRUE(Image->DiskInfo().FileSystemName.empty());
        EXPECT_EQ(Image->FileSystemKind(), C.Kind);
    }
}

TEST(DiskIOTest, OnlyATrailerThatEndsTheFileCounts)
{
    TXDiskInfoRecord Info;
    Info.Serial = 7;
    Info.FileSystemName = "exFAT";
    Info.ClusterSize = 4096;
    Info.BytesPerSector = 512;
    Info.TotalClusters = 3;
    struct {
        const char* Name;
        String Bytes;
        uint32_t Serial;
    } const Cases[] = {
        {"small.bin", "tiny card" + WriteDiskInfoText(Info), 7},
        {"decoy.bin", "<xml>not a trailer" + String(100, 'x'), 0},
        {"twice.bin", "<xml><volume_serial>9</volume_serial>" + WriteDiskInfoText(Info), 7},
    };
    for (const auto& C : Cases) {
        TOwned<TXFileDiskIO> Image = Owned(TXFileDiskIO::Create(nullptr));
        ASSERT_TRUE(Image->Open(WriteFile(C.Name, C.Bytes), kIORead));
        EXPECT_EQ(Image->DiskInfo().Serial, C.Serial) << C.Name;
        EXPECT_EQ(Image->DiskInfo().DiskSize, static_cast<int64_t>(C.Bytes.size())) << C.Name;
    }
}

TEST(DiskIOTest, OpenFailuresAnswerFalseAndKeepTheirCode)
{
    ClearError();
    TOwned<TXDiskIO> Disk = Owned(TXDiskIO::Create(nullptr));
    EXPECT_FALSE(Disk->Open((ScratchFolder() / "no-such-device").string(), kIORead));
    EXPECT_EQ(GetErrorCode(), kVolumeMissing);
    EXPECT_EQ(Disk->GetStream(), nullptr);
    EXPECT_FALSE(Disk->SaveToFile((ScratchFolder() / "never.bin").string()));
    ClearError();
    TOwned<TXFileDiskIO> Image = Owned(TXFileDiskIO::Create(nullptr));
    EXPECT_FALSE(Image->Open((ScratchFolder() / "no-such-image").string(), kIORead));
    EXPECT_EQ(GetErrorCode(), kErrFileNotFound);
}

}  // namespace
