// Filers: load-mode dispatch, error precedence, files and the safe save, text groups, the
// strings filer and the data index with its language fall-back.
#include "XCore.Filer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Rtl.TypInfo.h"
#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"
#include "XCore.RStream.h"
#include "XCore.Strings.h"
#include "XCore.TestStartUp.h"

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterCoreStreams>);

using TItems = XCore::Collections::TXCollection<TXCollectionItem>;

// Records which reader the load mode picked; a ReadStream fails with AFailCode when set.
class TXProbeFiler : public TXFiler {
    X_CLASS(TXProbeFiler, TXFiler)
public:
    inline static int Created = 0;
    inline static int32_t FailCode = 0;
    inline static String Payload;   // what WriteStream writes
    String Calls;
    String Read;

    bool ReadStream(TStream* AStream, TXProgress*, bool ARaise) override
    {
        Calls += "Read;";
        if (FailCode != 0) {
            SetFirstError(FailCode);
            return ReportFilerResult(false, kErrRead, ARaise);
        }
        AStream->SetPosition(0);
        Read = ReadStreamUTF8(AStream, -1);
        return true;
    }
    bool ReadStreamEx(TStream*, TXProgress*, bool) override
    {
        Calls += "ReadEx;";
        return true;
    }
    bool WriteStream(TStream* AStream, TXProgress*, bool ARaise) override
    {
        if (FailCode != 0)
            return ReportFilerResult(false, kErrWrite, ARaise);
        WriteRawToStream(AStream, Payload);
        return true;
    }
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override
    {
        inherited::PrepareGroups(ATarget, ASelector, AParts);
        Groups()->AddNamedGroup(this, TXFilerGroup::StaticClass(), ATarget, nullptr, "Items");
    }

protected:
    TXProbeFiler() = default;
    void Construct() override
    {
        inherited::Construct();
        ++Created;
    }
};

class FilerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        TXProbeFiler::Created = 0;
        TXProbeFiler::FailCode = 0;
        TXProbeFiler::Payload = "payload";
    }
};

struct TModeCase {
    const char* Name;
    uint8_t Mode;
    bool OK;
    const char* Calls;
    int ItemsLeft;
};

const TModeCase kModes[] = {
    {"ClearAndRead", lmClearAndRead, true, "Read;", 0},
    {"ReadIntoExisting", lmRead, true, "Read;", 2},
    {"Extended", lmReadEx, true, "ReadEx;", 2},
    {"Unknown", 3, false, "", 2},
};

class LoadModeTest : public FilerTest, public ::testing::WithParamInterface<TModeCase> {};

TEST_P(LoadModeTest, PicksTheReaderAndClearsOnlyInModeZero)
{
    auto Items = Owned(TItems::Create(nullptr));
    Items->Add();
    Items->Add();
    auto Filer = Owned(TXProbeFiler::Create());
    Filer->PrepareGroups(Items.get(), 0, {});
    Filer->SetLoadMode(GetParam().Mode);
    SetError(7);   // a string load reports afresh

    EXPECT_EQ(Filer->LoadFromString("text", nullptr, false), GetParam().OK);
    EXPECT_EQ(Filer->Calls, GetParam().Calls);
    EXPECT_EQ(Items->Count(), GetParam().ItemsLeft);
    EXPECT_EQ(GetErrorCode(), GetParam().OK ? 0 : kErrRead);
}

INSTANTIATE_TEST_SUITE_P(Modes, LoadModeTest, ::testing::ValuesIn(kModes),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(FilerTest, DeepErrorSurvivesTheFilersCodeAndIsRaised)
{
    TXProbeFiler::FailCode = kErrIdentity;
    auto Filer = Owned(TXProbeFiler::Create());
    EXPECT_FALSE(Filer->LoadFromRawString("x", nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrIdentity);

    ClearError();
    auto Items = Owned(TItems::Create(nullptr));
    try {
        (void)FilerLoadFromRawString("x", TXProbeFiler::StaticClass(), Items.get(), true);
        FAIL() << "no EXError";
    } catch (const EXError& E) {
        EXPECT_EQ(E.Message(), "42");
    }
}

TEST_F(FilerTest, HelpersPrepareTheGroupsAndReadTheText)
{
    auto Items = Owned(TItems::Create(nullptr));
    auto Stream = Owned(TStringStream::Create("héllo"));
    EXPECT_TRUE(FilerLoadFromStream(Stream.get(), TXProbeFiler::StaticClass(), Items.get()));
    EXPECT_EQ(TXProbeFiler::Created, 1);

    auto Out = Owned(TStringStream::Create());
    EXPECT_TRUE(FilerSaveToStream(Out.get(), TXProbeFiler::StaticClass(), Items.get()));
    EXPECT_EQ(Out->DataString(), "payload");
}

TEST_F(FilerTest, AClassThatIsNoFilerFailsWithoutRaising)
{
    auto Items = Owned(TItems::Create(nullptr));
    EXPECT_FALSE(FilerLoadFromRawString("x", TXCollectionItem::StaticClass(), Items.get()));
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

// ---- Files -------------------------------------------------------------------------------

class FilerFileTest : public FilerTest {
protected:
    String PathOf(const String& AName) const { return FHome.Root() + "/" + AName; }
    static String ContentOf(const String& APath)
    {
        std::ifstream File(APath, std::ios::binary);
        std::stringstream Content;
        Content << File.rdbuf();
        return Content.str();
    }
    static void Put(const String& APath, const String& AContent) { std::ofstream(APath, std::ios::binary) << AContent; }
    std::vector<String> Names() const
    {
        std::vector<String> Result;
        for (const auto& Entry : std::filesystem::directory_iterator(FHome.Root()))
            Result.push_back(Entry.path().filename().string());
        std::sort(Result.begin(), Result.end());
        return Result;
    }

    TTestHome FHome;
    TOwned<TItems> FItems = Owned(TItems::Create(nullptr));
};

TEST_F(FilerFileTest, MissingFileFailsWith31AndItsNameWithoutAFiler)
{
    String Name = PathOf("absent.xev");
    EXPECT_FALSE(FilerLoadFromFile(Name, TXProbeFiler::StaticClass(), FItems.get()));
    EXPECT_EQ(GetErrorCode(), kErrFileMissing);
    EXPECT_EQ(GetErrorText(), Name);
    EXPECT_EQ(TXProbeFiler::Created, 0);
}

TEST_F(FilerFileTest, FileRoundTripAndOpenFailures)
{
    String Name = PathOf("data.xev");
    ASSERT_TRUE(FilerSaveToFile(Name, TXProbeFiler::StaticClass(), FItems.get()));
    auto Filer = Owned(TXProbeFiler::Create());
    Filer->PrepareGroups(FItems.get(), 0, {});
    EXPECT_TRUE(Filer->LoadFromFile(Name, nullptr, false));
    EXPECT_EQ(Filer->Read, "payload");

    EXPECT_FALSE(Filer->LoadFromFile(PathOf("absent.xev"), nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrFileOpen);
    EXPECT_EQ(GetErrorData().Value, ENOENT);
    EXPECT_FALSE(Filer->LoadFromFile(FHome.Root(), nullptr, false));   // a folder is no data file
    EXPECT_EQ(GetErrorCode(), kErrFileOpen);
    EXPECT_EQ(GetErrorData().Value, EISDIR);
    EXPECT_FALSE(Filer->SaveToFile(PathOf("no/such/folder/x.xev"), nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrFileOpen);
    EXPECT_EQ(GetErrorData().Value, ENOENT);
}

TEST_F(FilerFileTest, SafeSaveReplacesTheTargetAndLeavesOtherFilesAlone)
{
    String Name = PathOf("data.xev");
    Put(Name, "old");
    Put(PathOf("data.tmp"), "someone else's");
    ASSERT_TRUE(FilerSafeSaveToFile(Name, TXProbeFiler::StaticClass(), FItems.get()));
    EXPECT_EQ(ContentOf(Name), "payload");
    EXPECT_EQ(ContentOf(PathOf("data.tmp")), "someone else's");
    EXPECT_EQ(Names(), (std::vector<String>{"data.tmp", "data.xev", "run", "tmp"}));
}

TEST_F(FilerFileTest, SafeSaveToAFreeTmpNameKeepsTheSavedFile)
{
    String Name = PathOf("data.tmp");
    ASSERT_TRUE(FilerSafeSaveToFile(Name, TXProbeFiler::StaticClass(), FItems.get()));
    EXPECT_EQ(ContentOf(Name), "payload");
}

TEST_F(FilerFileTest, FailedSafeSaveKeepsTheOldFileAndLeavesNoTemporary)
{
    String Name = PathOf("data.xev");
    Put(Name, "old");
    TXProbeFiler::FailCode = kErrWrite;
    EXPECT_FALSE(FilerSafeSaveToFile(Name, TXProbeFiler::StaticClass(), FItems.get()));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_EQ(ContentOf(Name), "old");
    EXPECT_EQ(Names(), (std::vector<String>{"data.xev", "run", "tmp"}));
}

// ---- Text groups and the strings filer ---------------------------------------------------

// Writes "[object]" and "[item name]" as its texts.
class TXBracketGroup : public TXTextFilerGroup {
    X_CLASS(TXBracketGroup, TXTextFilerGroup)
public:
    bool WriteObjectText(String& AText, TXProgress*, bool) override
    {
        AText = "[object]";
        return true;
    }
    bool WriteItemText(TObject* AItem, String& AText, bool, TXProgress*) override
    {
        AText = "[" + static_cast<TCollectionItem*>(AItem)->GetDisplayName() + "]";
        return true;
    }

protected:
    TXBracketGroup() = default;
};

struct TTextGroupCase {
    const char* Name;
    bool ObjectList;
    TXFilerOptions WriteOptions;
    const char* Expected;
};

const TTextGroupCase kTextGroups[] = {
    {"ObjectAndItems", false, {woObject}, "[object][a][b]"},
    {"ItemsOnly", false, {}, "[a][b]"},
    {"ObjectListWritesOnlyTheObject", true, {woObject}, "[object]"},
};

class TextGroupTest : public FilerTest, public ::testing::WithParamInterface<TTextGroupCase> {};

TEST_P(TextGroupTest, WritesObjectThenCollectionItems)
{
    auto Items = Owned(TItems::Create(nullptr));
    Items->Add()->SetDisplayName("a");
    Items->Add()->SetDisplayName("b");
    auto List = Owned(TObjectList::Create());
    auto Group = Owned(TXBracketGroup::Create());
    Group->SetItems(GetParam().ObjectList ? static_cast<TObject*>(List.get()) : Items.get());
    Group->SetWriteOptions(GetParam().WriteOptions);
    String Text;
    EXPECT_TRUE(Group->WriteText(Text, nullptr, false));
    EXPECT_EQ(Text, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Groups, TextGroupTest, ::testing::ValuesIn(kTextGroups),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(FilerTest, StringsFilerLoadsTrimmedLinesAndSavesThem)
{
    auto Lines = Owned(TStringList::Create());
    EXPECT_TRUE(FilerLoadFromRawString("\r\n  one\r\ntwo  \r\n\r\n", TXStringsFiler::StaticClass(), Lines.get()));
    EXPECT_EQ(Lines->Count(), 2);
    EXPECT_EQ(Lines->Strings(0), "one");
    EXPECT_EQ(Lines->Strings(1), "two");

    auto Out = Owned(TStringStream::Create());
    EXPECT_TRUE(FilerSaveToStream(Out.get(), TXStringsFiler::StaticClass(), Lines.get()));
    EXPECT_EQ(Out->DataString(), "one\r\ntwo\r\n");
}

TEST_F(FilerTest, TextFilerWithoutReaderFailsInsteadOfLooping)
{
    auto Stream = Owned(TStringStream::Create("text"));
    EXPECT_FALSE(FilerLoadFromStream(Stream.get(), TXTextFiler::StaticClass(), nullptr));
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

// ---- Filerable objects and the data index ------------------------------------------------

TEST_F(FilerTest, FilerableObjectsClearAndCopyIndexAndFilter)
{
    auto Source = Owned(TXFilerablePersistent::Create());
    EXPECT_EQ(Source->GetIdx(), -1);
    Source->SetIdx(4);
    Source->SetXFilter("a");
    Source->SetName("n");
    auto Dest = Owned(TXFilerablePersistent::Create());
    Dest->Assign(Source.get());
    EXPECT_EQ(Dest->GetIdx(), 4);
    EXPECT_EQ(Dest->GetXFilter(), "a");
    EXPECT_EQ(Dest->GetName(), "n");
    Dest->Clear();
    EXPECT_EQ(Dest->GetIdx(), -1);
    EXPECT_EQ(Dest->GetXFilter(), "");

    auto Index = Owned(TXDataIndex::Create());
    auto* Item = Index->DataIndex()->AddEntry("Data", "f", 9);
    TIntf<IXFilerable> Filerable;
    ASSERT_TRUE(Supports(Item, Filerable));
    EXPECT_EQ(Filerable->GetXFilter(), "f");
}

TEST_F(FilerTest, DataIndexNumbersEntriesFromItsBaseAndFindsThemByName)
{
    auto Index = Owned(TXDataIndex::Create());
    TXDataIndexCollection* Entries = Index->DataIndex();
    Entries->SetIndexBase(3);
    Entries->AddEntry("Data", "", 0);
    Entries->AddEntry("ThnData", "", 0);
    EXPECT_EQ(Entries->FindIdx("thndata"), 4);
    EXPECT_EQ(Entries->FindIdx("Data"), 3);
    EXPECT_EQ(Entries->FindIdx("Other"), 0);

    Index->SetIndexing(true);
    Index->SetLgID(7);
    EXPECT_EQ(Entries->Header()->GetLgID(), 7u);
    auto Copy = Owned(TXDataIndex::Create());
    Copy->Assign(Index.get());
    EXPECT_TRUE(Copy->Indexing());
    EXPECT_EQ(Copy->DataIndex()->FindIdx("ThnData"), 4);

    Index->Clear();
    EXPECT_FALSE(Index->Indexing());
    EXPECT_EQ(Entries->Count(), 0);
    EXPECT_EQ(Entries->Header()->GetLgID(), 0u);
    EXPECT_EQ(GetClass("TXDataIndex"), TXDataIndex::StaticClass());
}

std::vector<String> PropertyNames(TClass AClass)
{
    std::vector<String> Names;
    for (const TPropInfo* Info : GetPropList(AClass))
        Names.push_back(Info->Name());
    return Names;
}

TEST_F(FilerTest, DataIndexPublishesWhatIsStored)
{
    EXPECT_EQ(PropertyNames(TXDataIndex::StaticClass()), (std::vector<String>{"LgID", "DataIndex"}));
    EXPECT_EQ(PropertyNames(TXDataIndexItem::StaticClass()), (std::vector<String>{"Name", "LgID", "Idx", "XFilter"}));
}

struct TFallbackCase {
    const char* Name;
    std::vector<uint32_t> Stored;   // one entry "Text" per language, Idx in this order from 1
    uint32_t IndexLgID;
    uint32_t Wanted;
    bool UseEnglish;
    int Expected;   // index of the entry found, -1 for none
};

const TFallbackCase kFallbacks[] = {
    {"Exact", {0x0007, 0x0807}, 0, 0x0807, false, 1},
    {"PrimaryLanguage", {0x0009, 0x0007}, 0, 0x0807, false, 1},
    {"IndexLanguage", {0x0009, 0x0010}, 0x0010, 0x0807, false, 1},
    {"Neutral", {0x0009, 0x0000}, 0x0010, 0x0807, false, 1},
    {"EnglishOnlyWhenAsked", {0x0009}, 0x0010, 0x0807, true, 0},
    {"NoEnglishWhenNotAsked", {0x0009}, 0x0010, 0x0807, false, -1},
};

class FallbackTest : public FilerTest, public ::testing::WithParamInterface<TFallbackCase> {};

TEST_P(FallbackTest, FindsTheNameInTheNearestLanguage)
{
    auto Index = Owned(TXDataIndex::Create());
    Index->SetLgID(GetParam().IndexLgID);
    TXDataIndexCollection* Entries = Index->DataIndex();
    Entries->SetIndexBase(1);
    for (uint32_t LgID : GetParam().Stored)
        Entries->AddEntry("Text", "", LgID);
    Entries->AddEntry("text", "", GetParam().Wanted);   // the exact step is case-sensitive

    EXPECT_EQ(Entries->IndexOfNameFallback("Text", GetParam().Wanted, GetParam().UseEnglish), GetParam().Expected);
    if (!GetParam().UseEnglish) {
        EXPECT_EQ(Entries->FindLocalizedIdx("Text", GetParam().Wanted), GetParam().Expected + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, FallbackTest, ::testing::ValuesIn(kFallbacks),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(FilerStatusTest, DataLoadedIsBitFive)
{
    EXPECT_TRUE(IsDataLoaded(0x20));
    EXPECT_FALSE(IsDataLoaded(0xFFFFFFDF));
}

}  // namespace
