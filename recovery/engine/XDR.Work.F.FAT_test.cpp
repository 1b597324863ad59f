// The FAT reader: geometry from the boot sector, the cluster map, damaged boot sectors and the
// directory-entry tests, on FAT16 and FAT32 volumes built in memory.
#include "XDR.Work.F.FAT.h"

#include <gtest/gtest.h>

#include <functional>

#include "Rtl.DateUtils.h"
#include "Rtl.Streams.h"
#include "XCode.Trek.h"
#include "XCore.Errors.h"
#include "XCore.IO.Classes.h"
#include "XCore.TestStartUp.h"

#include "../../tests/fixtures/FatImages.h"

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterRecoveryEngine>);

using XTestFixtures::TFatImage;

double Stamp(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond)
{
    return EncodeDate(AYear, AMonth, ADay).Value + EncodeTime(AHour, AMinute, ASecond, 0).Value;
}

TXBootSector BootOf(const TFatImage& AImage)
{
    TXBootSector Boot;
    std::copy(AImage.Bytes.begin(), AImage.Bytes.begin() + kBootSectorSize, Boot.begin());
    return Boot;
}

class FatReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }

    bool Open(const TFatImage& AImage)
    {
        FStream->SetSize(0);
        FStream->Write(AImage.Bytes.data(), static_cast<int64_t>(AImage.Bytes.size()));
        FFat->BootSector() = BootOf(AImage);
        return FFat->Open(FStream.get(), TXDiskInfoRecord());
    }

    TOwned<TMemoryStream> FStream = Owned(TMemoryStream::Create());
    TOwned<TXFAT> FFat = Owned(TXFAT::Create());
};

TEST(FatGeometryTest, Fat16LayoutFollowsTheBootSector)
{
    TXBootSector Boot{};
    Boot[11] = 0x00, Boot[12] = 0x02;   // 512 bytes per sector
    Boot[13] = 4;
    Boot[14] = 4;
    Boot[16] = 2;
    Boot[17] = 0x00, Boot[18] = 0x02;   // 512 root entries
    Boot[22] = 200;
    std::memcpy(&Boot[54], "FAT16   ", 8);
    EXPECT_EQ(FatTypeOfBootSector(Boot), fskFat16);
    EXPECT_EQ(FatTableOffset(Boot, 0), 2048);
    EXPECT_EQ(FatRootDirOffset(Boot), 206848);
    EXPECT_EQ(FatDataOffset(Boot), 223232);
    EXPECT_EQ(FatClusterOffset(Boot, 2), 223232);
    EXPECT_EQ(FatClusterOffset(Boot, 3), 225280);
}

TEST(FatGeometryTest, Fat32DataFollowsTheFatsAndTheRootIsACluster)
{
    TFatImage Image = TFatImage::Fat32(4096, 8, 5);
    TXBootSector Boot = BootOf(Image);
    EXPECT_EQ(FatTypeOfBootSector(Boot), fskFat32);
    EXPECT_EQ(FatDataOffset(Boot), FatRootDirOffset(Boot));
    EXPECT_EQ(FatDataOffset(Boot), Image.DataOffset());
    EXPECT_EQ(FatRootCluster(Boot), 5u);
    EXPECT_EQ(FatEntryCount(Boot), 4096 / 8 - Image.DataOffset() / 4096 + 2);
}

TEST_F(FatReaderTest, MapStatesFromFat32Entries)
{
    TFatImage Image = TFatImage::Fat32();
    const uint32_t Values[] = {0, 0x0FFFFFF7, 0x0FFFFFF8, 0x0FFFFFFF, 0xFFFFFFFF, 9};
    for (uint32_t I = 0; I < std::size(Values); ++I)
        Image.SetFat(10 + I, Values[I]);
    ASSERT_TRUE(Open(Image));
    const std::vector<ClusterEntry>& Map = FFat->Map();
    EXPECT_EQ(Map[0].State, clStart);
    EXPECT_EQ(Map[1].State, clStart);
    EXPECT_EQ(Map[10].State, clAvailable);
    EXPECT_EQ(Map[11].State, clBad);
    EXPECT_EQ(Map[12].State, clLast);
    EXPECT_EQ(Map[13].State, clLast);
    // The reserved top bits are not masked: the value stands as a link.
    EXPECT_EQ(Map[14].State, clNext);
    EXPECT_EQ(Map[14].Next, 0xFFFFFFFFu);
    EXPECT_EQ(Map[15].Next, 9u);
}

TEST_F(FatReaderTest, MapStatesFromFat16Entries)
{
    TFatImage Image = TFatImage::Fat16();
    Image.SetFat(10, 0xFFF7);
    Image.SetFat(11, 0xFFF8);
    Image.Chain({12, 13});
    ASSERT_TRUE(Open(Image));
    EXPECT_EQ(FFat->Map()[10].State, clBad);
    EXPECT_EQ(FFat->Map()[11].State, clLast);
    EXPECT_EQ(FFat->Map()[12].State, clNext);
    EXPECT_EQ(FFat->Map()[12].Next, 13u);
    EXPECT_EQ(FFat->Map()[13].State, clLast);
    EXPECT_EQ(FFat->ClusterCount(), FatEntryCount(FFat->BootSector()));
}

struct TDamage {
    const char* Name;
    std::function<void(TFatImage&)> Apply;
};

const TDamage kDamages[] = {
    {"SectorSizeZero", [](TFatImage& I) { I.PutU16(11, 0); }},
    {"SectorSize513", [](TFatImage& I) { I.PutU16(11, 513); }},
    {"ClusterSizeZero", [](TFatImage& I) { I.Bytes[13] = 0; }},
    {"ClusterSizeThree", [](TFatImage& I) { I.Bytes[13] = 3; }},
    {"NoFats", [](TFatImage& I) { I.Bytes[16] = 0; }},
    {"NoReservedSectors", [](TFatImage& I) { I.PutU16(14, 0); }},
    {"FatSizeZero", [](TFatImage& I) { I.PutU16(22, 0); }},
    {"VolumeEndsBeforeTheData", [](TFatImage& I) { I.PutU16(19, 20); }},
    {"Fat12", [](TFatImage& I) { std::memcpy(&I.Bytes[54], "FAT12   ", 8); }},
    {"NoTypeText", [](TFatImage& I) { std::memcpy(&I.Bytes[54], "        ", 8); }},
    {"ImageEndsInTheReservedSectors", [](TFatImage& I) { I.Bytes.resize(1024); }},
};

class FatDamageTest : public FatReaderTest, public ::testing::WithParamInterface<TDamage> {};

TEST_P(FatDamageTest, OpenFailsWithAnEmptyMap)
{
    TFatImage Image = TFatImage::Fat16();
    GetParam().Apply(Image);
    EXPECT_FALSE(Open(Image));
    EXPECT_EQ(FFat->ClusterCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Damaged, FatDamageTest, ::testing::ValuesIn(kDamages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(FatReaderTest, HugeTotalSectorsGiveTheMapTheFatHolds)
{
    TFatImage Image = TFatImage::Fat32();
    Image.PutU16(19, 0);
    Image.PutU32(32, 0xFFFFFFF0);
    ASSERT_TRUE(Open(Image));
    EXPECT_EQ(FFat->ClusterCount(), FatTableSize(FFat->BootSector()) / 4);
}

TEST_F(FatReaderTest, TruncatedFatGivesTheEntriesItStillHolds)
{
    TFatImage Image = TFatImage::Fat16(65535, 4);
    Image.Chain({2, 3});
    Image.Bytes.resize(Image.FatOffset() + 100);
    ASSERT_TRUE(Open(Image));
    EXPECT_EQ(FFat->ClusterCount(), 50u);
    EXPECT_EQ(FFat->Map()[2].Next, 3u);
}

TEST(FatTraceTest, BootSectorReportNamesTheFields)
{
    TXBootSector Boot = BootOf(TFatImage::Fat32());
    TOwned<TStringList> Lines = Owned(TStringList::Create());
    BootSectorToStrings(Boot, Lines.get());
    EXPECT_EQ(Lines->Strings(0), "Jump code: EB 3C 90");
    EXPECT_EQ(Lines->Strings(1), "OEM ID: XTESTFAT");
    EXPECT_EQ(Lines->Strings(7), "Total Sectors: 4096");
    EXPECT_EQ(Lines->Strings(13), "Volume: NO NAME    ");
    EXPECT_EQ(Lines->Strings(14), "FAT ID: FAT32   ");
    EXPECT_EQ(Lines->Strings(15), "Boot end: AA55");
}

// ---- Directory entries -------------------------------------------------------------------

struct TEntryCase {
    const char* Name;
    std::function<void(TFatImage&)> Make;   // writes the entry at offset 0
    bool ValidShort;
    bool Plausible;
    bool File;
    bool Folder;
};

const TEntryCase kEntries[] = {
    {"UpperCaseAndDigits", [](TFatImage& I) { I.PutEntry(0, "IMG_0001JPG", 0x20, 5, 100); }, true, true, true, false},
    {"LowerCase", [](TFatImage& I) { I.PutEntry(0, "img_0001jpg", 0x20, 5, 100); }, false, false, false, false},
    {"DotInName", [](TFatImage& I) { I.PutEntry(0, "IMG.0001JPG", 0x20, 5, 100); }, false, false, false, false},
    {"EmptyFile", [](TFatImage& I) { I.PutEntry(0, "EMPTY   TXT", 0x20, 0, 0); }, true, true, false, false},
    {"Deleted", [](TFatImage& I) { I.PutEntry(0, "IMG_0001JPG", 0x20, 5, 100, true); }, true, true, true, false},
    {"Folder", [](TFatImage& I) { I.PutEntry(0, "DCIM       ", 0x10, 5, 0); }, true, true, false, true},
    {"HiddenFolder", [](TFatImage& I) { I.PutEntry(0, "DCIM       ", 0x12, 5, 0); }, true, true, false, true},
    {"FolderOfSize100", [](TFatImage& I) { I.PutEntry(0, "DCIM       ", 0x10, 5, 100); }, false, false, false, true},
    {"FolderOfSize1024", [](TFatImage& I) { I.PutEntry(0, "DCIM       ", 0x10, 5, 1024); }, true, true, false, true},
    {"Dot", [](TFatImage& I) { I.PutEntry(0, ".          ", 0x10, 5, 0); }, true, true, false, false},
    {"DotDot", [](TFatImage& I) { I.PutEntry(0, "..         ", 0x10, 0, 0); }, false, true, false, false},
    {"DotWithSize", [](TFatImage& I) { I.PutEntry(0, ".          ", 0x10, 5, 512); }, true, false, false, false},
    {"LongName", [](TFatImage& I) { I.PutLongName(0); }, false, true, false, false},
    {"LongNameWithCluster", [](TFatImage& I) { I.PutLongName(0); I.PutU16(26, 7); }, false, false, false, false},
    {"End", [](TFatImage&) {}, false, true, false, false},
    {"EndWithData", [](TFatImage& I) { I.Bytes[28] = 1; }, false, false, false, false},
    {"TenthsOf200", [](TFatImage& I) { I.PutEntry(0, "IMG_0001JPG", 0x20, 5, 100); I.Bytes[13] = 200; }, true, false, true, false},
    {"Attributes40", [](TFatImage& I) { I.PutEntry(0, "IMG_0001JPG", 0x40, 5, 100); }, true, false, true, false},
};

class DirEntryTest : public ::testing::TestWithParam<TEntryCase> {};

TEST_P(DirEntryTest, Classifies)
{
    TFatImage Image = TFatImage::Fat16();
    std::fill_n(Image.Bytes.begin(), kDirEntrySize, 0);   // over the boot sector's first bytes
    GetParam().Make(Image);
    const uint8_t* Entry = Image.Bytes.data();
    EXPECT_EQ(IsValidShortEntry(Entry), GetParam().ValidShort);
    EXPECT_EQ(IsPlausibleDirEntry(Entry), GetParam().Plausible);
    EXPECT_EQ(IsFileEntry(Entry), GetParam().File);
    EXPECT_EQ(IsFolderEntry(Entry), GetParam().Folder);
}

INSTANTIATE_TEST_SUITE_P(Entries, DirEntryTest, ::testing::ValuesIn(kEntries),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(DirEntryFieldsTest, NamesClustersAndDates)
{
    TFatImage Image = TFatImage::Fat32();
    Image.PutEntry(0, "IMG_0001JPG", 0x20, 0x12345, 100, true);
    Image.PutEntry(32, "README     ", 0x20, 7, 100);
    Image.PutEntry(64, "\x05" "BC     TXT", 0x20, 7, 100);
    EXPECT_EQ(DirEntryName(&Image.Bytes[0]), "!MG_0001.JPG");
    EXPECT_EQ(DirEntryName(&Image.Bytes[32]), "README");
    EXPECT_EQ(DirEntryName(&Image.Bytes[64]), "\xC3\xA5" "BC.TXT");
    EXPECT_EQ(DirEntryFirstCluster(&Image.Bytes[0], true), 0x12345u);
    EXPECT_EQ(DirEntryFirstCluster(&Image.Bytes[0], false), 0x2345u);

    TDateTime Created, Modified, Accessed;
    DirEntryDates(&Image.Bytes[0], Created, Modified, Accessed);
    EXPECT_EQ(Created.Value, Stamp(2021, 3, 5, 7, 8, 8));
    EXPECT_EQ(Modified.Value, Stamp(2021, 3, 5, 9, 10, 10));
    EXPECT_EQ(Accessed.Value, Stamp(2021, 3, 6, 0, 0, 0));
    // Month 0 and second 60 make no stamp.
    Image.PutU16(16, (41 << 9) | 5);
    Image.PutU16(22, 30);
    DirEntryDates(&Image.Bytes[0], Created, Modified, Accessed);
    EXPECT_EQ(Created.Value, 0);
    EXPECT_EQ(Modified.Value, 0);
}

}  // namespace
