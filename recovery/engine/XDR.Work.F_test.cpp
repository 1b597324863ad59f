// File-system entries and the class table by file-system kind.
#include "XDR.Work.F.h"

#include <gtest/gtest.h>

#include "Rtl.DateUtils.h"
#include "XCode.Trek.h"
#include "XCore.IO.Classes.h"
#include "XDR.Work.F.FAT.h"

namespace {

TEST(FileSystemEntryTest, DumpListsTheEntryThenItsChildren)
{
    TOwned<TXFileSystemFolderEntry> Folder = Owned(TXFileSystemFolderEntry::Create());
    Folder->Name = "DCIM";
    Folder->FirstCluster = 3;
    Folder->Flags = kEntryFolder;
    TXFileSystemEntry* File = TXFileSystemEntry::Create();
    File->Name = "!MG_0002.JPG";
    File->Size = 10000;
    File->FirstCluster = 20;
    File->Created = TDateTime(EncodeDate(2021, 3, 5).Value + EncodeTime(7, 8, 9, 0).Value);
    File->Flags = kEntryDeleted;
    Folder->Entries()->Add(File);

    TOwned<TXCodeTrek> Trek = Owned(TXCodeTrek::Create());
    Folder->Dump(Trek.get());
    ASSERT_EQ(Trek->Lines().Count(), 2);
    EXPECT_EQ(Trek->Lines()[0], "DCIM 0 3 c- m- a- f");
    EXPECT_EQ(Trek->Lines()[1], "!MG_0002.JPG 10000 20 c-2021-03-05T07:08:09 m- a- d");
    EXPECT_EQ(File->Children().Count(), 0);
}

TEST(FileSystemClassTest, FatReadsFat16AndFat32Only)
{
    for (int32_t Kind = -1; Kind <= kFileSystemKindCount; ++Kind) {
        TClass Expected = Kind == fskFat16 || Kind == fskFat32 ? TXFAT::StaticClass() : TXUnknownFileSystem::StaticClass();
        EXPECT_EQ(FileSystemClassOfKind(Kind), Expected) << Kind;
    }
    TOwned<TXFileSystem> FileSystem = Owned(CreateFileSystem(fskFat32));
    EXPECT_NE(AsOrNull<TXFAT>(FileSystem.get()), nullptr);
}

}  // namespace
