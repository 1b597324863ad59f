// Found-file status pairs, the extension tables and the file-type switches.
#include "XDR.Classes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<String> Lines(TStringList* AList)
{
    std::vector<String> Result;
    for (int I = 0; I < AList->Count(); ++I)
        Result.push_back(AList->Strings(I));
    return Result;
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

TEST(RecoveryAspectsTest, SelectedActionCopiesItsValue)
{
    auto Chosen = Owned(TXDRSelectedActionAspect::Create(uint8_t(2)));
    auto Copy = Owned(TXDRSelectedActionAspect::Create(uint8_t(0)));
    EXPECT_TRUE(Copy->AssignFrom(Chosen.get()));
    EXPECT_EQ(Copy->Value, 2);
}

}  // namespace
