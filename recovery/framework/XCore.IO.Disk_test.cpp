// The disk-info text: round trips, large serials, missing elements and escaped names.
#include "XCore.IO.Disk.h"

#include <gtest/gtest.h>

namespace {

TEST(DiskInfoTextTest, RoundTripsEveryStoredField)
{
    TXDiskInfoRecord Info;
    Info.RootPath = "/dev/sdb1";
    Info.Flags = 6;
    Info.MaxComponentLength = 255;
    Info.VolumeName = "A<&>'\"B";
    Info.FileSystemName = "FAT32";
    Info.BytesPerSector = 512;
    Info.ClusterSize = 4096;
    Info.TotalClusters = 5000000000;
    Info.FreeClusters = 12;
    for (uint32_t Serial : {0u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        Info.Serial = Serial;
        TXDiskInfoRecord Back;
        Back.Flags = 99;
        ReadDiskInfoText(Back, WriteDiskInfoText(Info));
        EXPECT_EQ(Back.Serial, Serial);
        EXPECT_EQ(Back.VolumeName, Info.VolumeName);
        EXPECT_EQ(Back.FileSystemName, "FAT32");
        EXPECT_EQ(Back.MaxComponentLength, 255u);
        EXPECT_EQ(Back.SectorsPerCluster, 8u);
        EXPECT_EQ(Back.TotalBytes, 5000000000 * 4096);
        EXPECT_EQ(Back.DiskSize, Back.TotalBytes);
        EXPECT_EQ(Back.FreeBytes, 12 * 4096);
        EXPECT_EQ(Back.Flags, 0u);   // not stored
        EXPECT_TRUE(Back.RootPath.empty());
    }
    const String Text = WriteDiskInfoText(Info);
    EXPECT_TRUE(Text.starts_with("<xml>\r\n<volume_serial>4294967295</volume_serial><volume_max_length>"));
    EXPECT_TRUE(Text.ends_with("<free_clusters>12</free_clusters>\r\n</xml>"));
    EXPECT_NE(Text.find("<volume_name>A&lt;&amp;&gt;&apos;&quot;B</volume_name>"), String::npos);
}

TEST(DiskInfoTextTest, MissingOrBrokenElementsReadAsNothing)
{
    TXDiskInfoRecord Info;
    ReadDiskInfoText(Info, "<xml><cluster_size>4096</cluster_size><sector_size>x</sector_size></xml>");
    EXPECT_EQ(Info.ClusterSize, 4096u);
    EXPECT_EQ(Info.BytesPerSector, 0u);
    EXPECT_EQ(Info.SectorsPerCluster, 0u);
    EXPECT_EQ(Info.TotalBytes, 0);
    EXPECT_EQ(Info.DiskSize, 0);
    // Counts whose bytes no number holds, and negative ones, are damage: none.
    ReadDiskInfoText(Info, "<xml><cluster_size>4096</cluster_size><total_clusters>9223372036854775807</total_clusters>"
                           "<free_clusters>-1</free_clusters></xml>");
    EXPECT_EQ(Info.TotalClusters, 0);
    EXPECT_EQ(Info.TotalBytes, 0);
    EXPECT_EQ(Info.FreeClusters, 0);
    EXPECT_EQ(Info.FreeBytes, 0);
    ReadDiskInfoText(Info, "");
    EXPECT_EQ(DiskInfoClusterSize(Info), 1024u);
    Info.ClusterSize = 2048;
    EXPECT_EQ(DiskInfoClusterSize(Info), 2048u);
}

TEST(DiskInfoTextTest, ListsTheInformationForTheDiskPage)
{
    TXDiskInfoRecord Info;
    Info.RootPath = "/dev/sdb1";
    Info.Flags = 0x80006;
    Info.TotalBytes = 1536;
    TOwned<TStringList> List = Owned(TStringList::Create());
    List->Add("kept");
    DiskInfoToStrings(Info, List.get());
    ASSERT_EQ(List->Count(), 16);
    EXPECT_EQ((*List)[0], "kept");
    List->Delete(0);
    const TStrings& Lines = *List;
    EXPECT_EQ(Lines[0], "/dev/sdb1");
    EXPECT_EQ(Lines[5], "Flags: 524294 , IsReadOnly, FilePreserveCase, SupportsUnicode");
    EXPECT_EQ(Lines[6], "");
    EXPECT_EQ(Lines[11], "Total space: 1536 1.50 KB");
}

}  // namespace
