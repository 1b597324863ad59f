// Volumes: errno mapping, boot sectors of real FAT images, reads at the end, the drive list.
#include "Win.Volumes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "../../tests/fixtures/CardImages.h"

namespace {

namespace fs = std::filesystem;
using XTestFixtures::CardImage;
using XTestFixtures::ScratchFolder;

struct TErrnoCase {
    int Errno;
    int32_t OpenCode;
    int32_t ReadCode;
};

TEST(VolumeErrorsTest, MapErrnoToTheRecoveryCodes)
{
    const TErrnoCase Cases[] = {
        {ENOENT, kVolumeMissing, kVolumeMissing},      {ENODEV, kVolumeMissing, kVolumeMissing},
        {ENXIO, kVolumeMissing, kVolumeMissing},       {ENOMEDIUM, kVolumeMissing, kVolumeMissing},
        {EACCES, kVolumeAccessDenied, kVolumeReadFailed}, {EPERM, kVolumeAccessDenied, kVolumeReadFailed},
        {EIO, kVolumeOpenFailed, kVolumeReadFailed},   {EBUSY, kVolumeOpenFailed, kVolumeReadFailed},
    };
    for (const TErrnoCase& C : Cases) {
        SCOPED_TRACE(C.Errno);
        EXPECT_EQ(VolumeOpenErrorCode(C.Errno), C.OpenCode);
        EXPECT_EQ(VolumeReadErrorCode(C.Errno), C.ReadCode);
    }
    EXPECT_NE(VolumeErrorText("/dev/sdb1", EACCES).find("\"disk\" group"), String::npos);
    EXPECT_EQ(VolumeErrorText("/dev/sdb1", ENOENT), "/dev/sdb1");
}

struct TImageCase {
    const char* Options;
    const char* FileSystemName;
    uint32_t SectorsPerCluster;
    int64_t TotalClusters;
    uint32_t Serial;
};

void PrintTo(const TImageCase& ACase, std::ostream* AStream)
{
    *AStream << ACase.Options;
}

class VolumeInformationTest : public ::testing::TestWithParam<TImageCase> {};

TEST_P(VolumeInformationTest, ComesFromTheBootSector)
{
    const TImageCase& C = GetParam();
    TVolumeInformation Info;
    int Errno = -1;
    ASSERT_TRUE(GetVolumeInformation(CardImage(C.Options), Info, Errno));
    EXPECT_EQ(Info.FileSystemName, C.FileSystemName);
    EXPECT_EQ(Info.BytesPerSector, 512u);
    EXPECT_EQ(Info.SectorsPerCluster, C.SectorsPerCluster);
    EXPECT_EQ(Info.TotalClusters, C.TotalClusters);
    EXPECT_EQ(Info.Serial, C.Serial);
    EXPECT_EQ(Info.VolumeName, "CARD");
    EXPECT_EQ(Info.MaxComponentLength, 255u);
    // An image file is never mounted: no free space is known.
    EXPECT_EQ(Info.FreeClusters, 0);
    EXPECT_TRUE(Info.MountPoint.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Widths, VolumeInformationTest,
    ::testing::Values(TImageCase{"--fat 12 --size-mb 4", "FAT", 4, 2036, 0x1A2B3C4D},
                      TImageCase{"--fat 16 --size-mb 8", "FAT", 2, 8143, 0x1A2B3C4D},
                      TImageCase{"--fat 32 --size-mb 40 --serial 89ABCDEF", "FAT32", 1, 80628, 0x89ABCDEF}),
    [](const auto& AInfo) { return "Fat" + std::to_string(AInfo.index); });

std::vector<uint8_t> ReadHead(const String& APath, size_t ACount)
{
    std::vector<uint8_t> Bytes(ACount);
    std::ifstream(APath, std::ios::binary).read(reinterpret_cast<char*>(Bytes.data()), static_cast<std::streamsize>(ACount));
    return Bytes;
}

struct TDamage {
    const char* Name;
    void (*Apply)(std::vector<uint8_t>&);
};

TEST(BootSectorTest, RejectsFieldsFatDoesNotAllow)
{
    const TDamage Damages[] = {
        {"SectorSize513", [](std::vector<uint8_t>& B) { B[11] = 0x01, B[12] = 0x02; }},
        {"SectorSizeZero", [](std::vector<uint8_t>& B) { B[11] = 0, B[12] = 0; }},
        {"ClusterThreeSectors", [](std::vector<uint8_t>& B) { B[13] = 3; }},
        {"NoFats", [](std::vector<uint8_t>& B) { B[16] = 0; }},
        {"NoSignature", [](std::vector<uint8_t>& B) { B[510] = 0; }},
        {"FatsLargerThanVolume", [](std::vector<uint8_t>& B) { B[0x16] = 0xFF, B[0x17] = 0xFF; }},
    };
    const std::vector<uint8_t> Good = ReadHead(CardImage("--fat 16 --size-mb 8"), 512);
    TVolumeInformation Info;
    ASSERT_TRUE(ParseBootSector(Good.data(), Good.size(), Info));
    for (const TDamage& D : Damages) {
        SCOPED_TRACE(D.Name);
        std::vector<uint8_t> Sector = Good;
        D.Apply(Sector);
        EXPECT_FALSE(ParseBootSector(Sector.data(), Sector.size(), Info));
        EXPECT_TRUE(Info.FileSystemName.empty());
    }
    EXPECT_FALSE(ParseBootSector(Good.data(), 511, Info));
}

TEST(VolumeTest, OpensAFileAsAVolumeAndReadsUpToItsEnd)
{
    const String Path = CardImage("--fat 12 --size-mb 4");
    int Errno = 0;
    int Volume = OpenVolume(Path, false, Errno);
    ASSERT_NE(Volume, kInvalidVolume);
    EXPECT_EQ(GetVolumeSize(Volume, Errno), 4 << 20);
    EXPECT_EQ(GetVolumeSectorSize(Volume), 512u);
    uint8_t Buffer[1024];
    EXPECT_EQ(ReadVolume(Volume, Buffer, sizeof Buffer, (4 << 20) - 100, Errno), 100);
    EXPECT_EQ(ReadVolume(Volume, Buffer, sizeof Buffer, 4 << 20, Errno), 0);
    EXPECT_EQ(ReadVolume(Volume, Buffer, 512, 0, Errno), 512);
    EXPECT_EQ(Buffer[510], 0x55);
    CloseVolume(Volume);

    EXPECT_EQ(OpenVolume((ScratchFolder() / "absent").string(), false, Errno), kInvalidVolume);
    EXPECT_EQ(Errno, ENOENT);
    TVolumeInformation Info;
    EXPECT_FALSE(GetVolumeInformation((ScratchFolder() / "absent").string(), Info, Errno));
    EXPECT_EQ(Errno, ENOENT);
}

void WriteSys(const fs::path& APath, const String& AText)
{
    fs::create_directories(APath.parent_path());
    std::ofstream(APath) << AText << "\n";
}

void MakeSysDisk(const fs::path& ABlock, const String& AName, const String& ARemovable, const String& ASectors)
{
    WriteSys(ABlock / AName / "removable", ARemovable);
    WriteSys(ABlock / AName / "size", ASectors);
    WriteSys(ABlock / AName / "ro", "0");
}

TEST(DriveListTest, ListsRemovableDisksWithTheirPartitions)
{
    const fs::path Block = ScratchFolder() / "sys" / "block";
    MakeSysDisk(Block, "sda", "0", "1000000");       // the system disk
    MakeSysDisk(Block, "sdb", "1", "2048");
    WriteSys(Block / "sdb" / "device" / "vendor", "Generic ");
    WriteSys(Block / "sdb" / "device" / "model", "SD Reader   ");
    MakeSysDisk(Block / "sdb", "sdb2", "0", "512");
    WriteSys(Block / "sdb" / "sdb2" / "partition", "2");
    MakeSysDisk(Block / "sdb", "sdb1", "0", "1024");
    WriteSys(Block / "sdb" / "sdb1" / "partition", "1");
    WriteSys(Block / "sdb" / "sdb1" / "ro", "1");
    MakeSysDisk(Block, "sdc", "1", "0");             // a reader slot without a card
    MakeSysDisk(Block, "mmcblk0", "0", "4096");      // built-in slots say "not removable"

    std::vector<TDriveEntry> Drives = GetRemovableDrives(Block.string());
    ASSERT_EQ(Drives.size(), 4u);
    EXPECT_EQ(Drives[0].DevicePath, "/dev/mmcblk0");
    EXPECT_EQ(Drives[1].DevicePath, "/dev/sdb");
    EXPECT_EQ(Drives[1].Size, 2048 * 512);
    EXPECT_EQ(Drives[1].Model, "Generic SD Reader");
    EXPECT_FALSE(Drives[1].IsPartition);
    EXPECT_EQ(Drives[2].DevicePath, "/dev/sdb1");
    EXPECT_TRUE(Drives[2].IsPartition);
    EXPECT_TRUE(Drives[2].ReadOnly);
    EXPECT_EQ(Drives[2].Disk, "sdb");
    EXPECT_EQ(Drives[3].Name, "sdb2");
    EXPECT_TRUE(GetRemovableDrives((ScratchFolder() / "nothing").string()).empty());
}

}  // namespace
