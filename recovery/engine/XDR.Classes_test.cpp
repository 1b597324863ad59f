// Found-file status pairs, the extension tables and the file-type switches.
#include "XDR.Classes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Rtl.DateUtils.h"
#include "XCode.Trek.h"

namespace {

std::vector<String> Lines(const TStrings& AList)
{
    std::vector<String> Result;
    for (int I = 0; I < AList.Count(); ++I)
        Result.push_back(AList.Strings(I));
    return Result;
}

std::vector<String> Lines(TStringList* AList)
{
    return Lines(*AList);
}

TEST(FileStatusTest, PairsAreExclusive)
{
    TXDRFileStatusSet Status;
    SetThumbnailState(Status, false);
    SetThumbnailState(Status, true);
    SetDeletedEntryState(Status);
    SetEntryState(Status);
    Status.Include(drScanError);
    SetScanValidState(Status);
    EXPECT_EQ(Status, (TXDRFileStatusSet{drThnValidated, drEntry, drScanValid}));
    EXPECT_FALSE(IsDeletedEntry(Status));
    SetThumbnailState(Status, false);
    SetDeletedEntryState(Status);
    EXPECT_TRUE(IsDeletedEntry(Status));
    EXPECT_EQ(StatusToText(Status), "[drThnError,drDeletedEntry,drScanValid]");
}

TEST(ExtensionTablesTest, GroupsAreLookedUpInAnyLetterCase)
{
    EXPECT_EQ(PhotoExtensions().size(), 46u);
    EXPECT_EQ(VideoExtensions().size(), 17u);
    EXPECT_EQ(AudioExtensions().size(), 10u);
    EXPECT_STREQ(PhotoExtensions().front(), ".jpg");
    EXPECT_STREQ(PhotoExtensions().back(), ".x3f");
    EXPECT_STREQ(VideoExtensions().back(), ".wmv");
    EXPECT_STREQ(AudioExtensions().back(), ".wav");
    const std::pair<const char*, TXDRExtensionGroup> kCases[] = {
        {".JPG", egPhoto}, {".3fr", egPhoto}, {".MOV", egVideo}, {".qt", egVideo},
        {".wav", egAudio}, {".xyz", egNone},  {"jpg", egNone},   {"", egNone}};
    for (auto [Extension, Group] : kCases)
        EXPECT_EQ(ExtensionGroup(Extension), Group) << Extension;
}

class FileTypesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        FTypes->Free();
        FList->Free();
    }
    bool Switch(const char* AName) { return GetOrdProp(FTypes, AName) != 0; }
    void SetSwitch(const char* AName, bool AValue) { SetOrdProp(FTypes, AName, AValue); }

    TXDRFileTypes* FTypes = TXDRFileTypes::Create();
    TStringList* FList = TStringList::Create();
};

TEST_F(FileTypesTest, PublishesGroupSwitchesThenOneSwitchPerExtension)
{
    std::vector<String> Expected = {"Images", "Video", "Audio"};
    for (auto Table : {PhotoExtensions(), VideoExtensions(), AudioExtensions()})
        for (const char* Extension : Table)
            Expected.push_back(String("_").append(Extension + 1));
    std::vector<String> Names;
    for (const TPropInfo* Prop : GetPropList(FTypes))
        Names.push_back(Prop->Name());
    EXPECT_EQ(Names.size(), 76u);
    EXPECT_EQ(Names, Expected);
}

TEST_F(FileTypesTest, NewObjectSelectsEverything)
{
    for (const TPropInfo* Prop : GetPropList(FTypes))
        EXPECT_TRUE(Switch(Prop->Name().c_str())) << Prop->Name();
    FTypes->GetEnabledExtensions(FList);
    std::vector<String> Enabled = Lines(FList);
    FTypes->GetAllExtensions(FList);
    EXPECT_EQ(Lines(FList), Enabled);
    EXPECT_EQ(Enabled.size(), 73u);
    EXPECT_TRUE(std::ranges::is_sorted(Enabled));
}

TEST_F(FileTypesTest, DefaultsSelectTheCommonTypes)
{
    FTypes->SetDefaults();
    FTypes->GetEnabledExtensions(FList);
    EXPECT_EQ(Lines(FList), (std::vector<String>{".arw", ".avi", ".cr2", ".dng", ".jpg", ".mov", ".mp3", ".mp4",
                                                 ".mpg", ".nef", ".orf", ".pef", ".raf", ".raw", ".tif", ".wma"}));
    EXPECT_TRUE(Switch("Images") && Switch("Video") && Switch("Audio"));
    EXPECT_FALSE(Switch("_x3f"));
    FTypes->Clear();
    EXPECT_TRUE(Switch("_x3f"));
}

TEST_F(FileTypesTest, EnabledNeedsTheGroupAndTheExtension)
{
    SetSwitch("Images", false);
    SetSwitch("_mov", false);
    FTypes->GetEnabledExtensions(FList);
    std::vector<String> Enabled = Lines(FList);
    EXPECT_EQ(std::ranges::count(Enabled, ".jpg"), 0);
    EXPECT_EQ(std::ranges::count(Enabled, ".avi"), 1);
    EXPECT_EQ(std::ranges::count(Enabled, ".mov"), 0);
    EXPECT_EQ(std::ranges::count(Enabled, ".wav"), 1);
}

TEST_F(FileTypesTest, AssignCopiesEverySwitch)
{
    auto Source = Owned(TXDRFileTypes::Create());
    Source->SetDefaults();
    SetOrdProp(Source.get(), "Audio", 0);
    FTypes->Assign(Source.get());
    for (const TPropInfo* Prop : GetPropList(FTypes))
        EXPECT_EQ(GetOrdProp(FTypes, Prop), GetOrdProp(Source.get(), Prop)) << Prop->Name();
}

// ---- Found files -------------------------------------------------------------------------

class FileCollectionTest : public ::testing::Test {
protected:
    void TearDown() override { FFiles->Free(); }
    TXDRFileItem* AddFile(const char* AType, std::initializer_list<TXBlock> ABlocks, bool ASelected = true)
    {
        TXDRFileItem* Item = FFiles->Add();
        Item->SetFileType(AType);
        Item->SetSelected(ASelected);
        for (const TXBlock& Block : ABlocks)
            Item->Blocks()->Add(Block);
        return Item;
    }

    TXDRFileCollection* FFiles = TXDRFileCollection::Create(static_cast<TPersistent*>(nullptr));
};

TEST_F(FileCollectionTest, NewItemsAreSelectedAndTypesCompareInAnyCase)
{
    TXDRFileItem* Item = AddFile(".jpg", {});
    EXPECT_TRUE(FFiles->Add()->Selected());
    EXPECT_TRUE(Item->IsType(".JPG"));
    EXPECT_FALSE(Item->IsType(".png"));
    const String kTypes[] = {".png", ".Jpg"};
    EXPECT_TRUE(Item->IsOneOfTypes(kTypes));
    EXPECT_FALSE(Item->IsOneOfTypes({}));
}

TEST_F(FileCollectionTest, SelectionBySizeAndType)
{
    AddFile(".jpg", {{0, 100}, {500, 50}});
    AddFile(".NEF", {{1000, 400}});
    AddFile(".mov", {{2000, 7}}, false);
    EXPECT_EQ(FFiles->SelectedSize(), 550);
    const String kRaws[] = {".nef", ".cr2"};
    const String kMovies[] = {".mov"};
    EXPECT_TRUE(FFiles->AnySelectedOfTypes(kRaws));
    EXPECT_FALSE(FFiles->AnySelectedOfTypes(kMovies));
    FFiles->SelectByTypes(kRaws, false);
    FFiles->SelectByTypes(kMovies, true);
    EXPECT_EQ(FFiles->SelectedSize(), 157);
    const String kAll[] = {".jpg", ".nef", ".mov"};
    FFiles->SelectByTypes(kAll, false);
    EXPECT_FALSE(FFiles->AnySelected());
    EXPECT_EQ(FFiles->SelectedSize(), 0);
}

TEST_F(FileCollectionTest, DuplicatesHaveTheSameBlocksInTheSameOrder)
{
    AddFile(".jpg", {{0, 100}});
    AddFile(".jpg", {{1000, 10}, {3000, 10}});
    auto Blocks = Owned(TXBlocks::Create());
    Blocks->Add(1000, 10);
    Blocks->Add(3000, 10);
    EXPECT_EQ(FFiles->IndexOfBlocks(Blocks.get()), 1);
    Blocks->Clear();
    Blocks->Add(3000, 10);
    Blocks->Add(1000, 10);
    EXPECT_EQ(FFiles->IndexOfBlocks(Blocks.get()), -1);
}

TEST_F(FileCollectionTest, FoundFilesAreCopiedWithTheirBlocks)
{
    auto Found = Owned(TXDRFoundFileAspect::Create());
    TXDRFileItem* Item = Found->Item();
    EXPECT_TRUE(Item->Selected());
    Item->SetName("000001.jpg");
    Item->SetFileType(".jpg");
    Item->SetModified(TDateTime(45000.5));
    SetScanValidState(Item->Status());
    Item->Blocks()->Add(4096, 8192);
    Item->SetImageSize(TXSize::Create(640, 480));
    Item->Thumbnail()->SetDataClass("TJPEGImage");
    Item->Thumbnail()->SetWidth(72);
    Item->Thumbnail()->DataStream()->Write("\xFF\xD8", 2);
    TXDRFileItem* Copy = FFiles->Add();
    Copy->Assign(Item);
    EXPECT_EQ(Copy->ImageSize(), TXSize::Create(640, 480));
    EXPECT_EQ(Copy->Thumbnail()->DataClass(), "TJPEGImage");
    EXPECT_EQ(Copy->Thumbnail()->Width(), 72);
    EXPECT_EQ(Copy->Thumbnail()->DataStream()->Size(), 2);
    EXPECT_NE(Copy->Thumbnail(), Item->Thumbnail());
    EXPECT_EQ(Copy->Name(), "000001.jpg");
    EXPECT_EQ(Copy->FileType(), ".jpg");
    EXPECT_EQ(Copy->Modified().Value, 45000.5);
    EXPECT_EQ(Copy->Status(), TXDRFileStatusSet{drScanValid});
    EXPECT_TRUE(Copy->Blocks()->Equals(Item->Blocks()));
    EXPECT_EQ(Copy->GetSize(), 8192);
    auto Added = Owned(TXDRAddFileAspect::Create(Copy));
    EXPECT_EQ(Added->Item, Copy);
}

TEST_F(FileCollectionTest, TraceDumpListsTheFileOnlyWhileTracingIsOn)
{
    TXDRFileItem* Item = AddFile(".jpg", {{1000, 10}, {3000, 512}});
    Item->SetName("000002.jpg");
    Item->SetCreated(EncodeDate(2024, 3, 7) + EncodeTime(9, 5, 1, 0));
    Item->SetImageSize(TXSize::Create(2001, 1601));
    SetScanValidState(Item->Status());
    CodeTrek()->Clear();
    Item->TraceDump();
    EXPECT_TRUE(Lines(static_cast<TXCodeTrek*>(CodeTrek())->Lines()).empty());

    SetTraceOn(true);
    Item->TraceDump();
    SetTraceOn(false);
    EXPECT_EQ(Lines(static_cast<TXCodeTrek*>(CodeTrek())->Lines()),
              (std::vector<String>{"<file>000002.jpg 522 [drScanValid]", "  <created>07.03.2024 09:05:01</created>",
                                   "  <modified>30.12.1899 00:00:00</modified>",
                                   "  <accessed>30.12.1899 00:00:00</accessed>", "  1000-1009", "  3000-3511",
                                   "  <size>2001x1601</size>", "</file>"}));
    CodeTrek()->Clear();
}

TEST(RecoveryAspectsTest, ByteAspectsCopyTheirValue)
{
    auto Chosen = Owned(TXDRSelectedActionAspect::Create(uint8_t(2)));
    auto Copy = Owned(TXDRSelectedActionAspect::Create(uint8_t(0)));
    EXPECT_TRUE(Copy->AssignFrom(Chosen.get()));
    EXPECT_EQ(Copy->Value, 2);

    auto Preview = Owned(TXDRDialogInitPageDataPreviewAspect::Create(uint8_t(5)));
    EXPECT_TRUE(Preview->Is<TXDialogInitPageDataAspect>());
    EXPECT_EQ(Preview->ClassName(), "TXDRDialogInitPageDataPreviewAspect");
    EXPECT_EQ(Preview->Value, 5);
}

}  // namespace
