// Stream filers: round trips through container files, the entries a group writes, item kinds,
// filters and indexes, identity checks, damaged containers, failed saves and appending.
#include "XCore.Filer.XStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "Win.TestEnvironment.h"
#include "XClasses.h"
#include "XCore.Errors.h"
#include "XCore.Streams.Containers.h"
#include "XCore.Strings.Containers.h"

namespace {

using TChars = std::vector<char>;

class TZSketch : public TXPersistent {
    X_CLASS(TZSketch, TXPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TZSketch::FCaption, &TZSketch::FCaption);
        P.Property("Width", &TZSketch::FWidth, &TZSketch::FWidth).Default(0);
    }
    bool AssignFrom(TPersistent* ASource) override
    {
        auto* Source = AsOrNull<TZSketch>(ASource);
        if (Source == nullptr)
            return false;
        FCaption = Source->FCaption;
        FWidth = Source->FWidth;
        return true;
    }
    String FCaption;
    int32_t FWidth = 0;

protected:
    TZSketch() = default;
};

// An item that takes part through IXFilerable, with two data items stored apart from it: a
// text and a shape.
class TZMemo : public TXFilerableItem {
    X_CLASS(TZMemo, TXFilerableItem)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TZMemo::FCaption, &TZMemo::FCaption);
    }
    String FCaption;
    TOwned<TXStringCollection> FBody;
    TOwned<TZSketch> FExtra;

    TXStringItem* Body() const { return static_cast<TXStringItem*>(FBody->Items(0)); }

protected:
    TZMemo() = default;
    void Init() override
    {
        inherited::Init();
        FBody = Owned(TXStringCollection::Create(nullptr));
        FBody->Add();
        FExtra = Owned(TZSketch::Create());
    }
};
using TZMemos = XCore::Collections::TXCollection<TZMemo>;

class TZPiece : public TComponent {
    X_CLASS(TZPiece, TComponent)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Caption", &TZPiece::FCaption, &TZPiece::FCaption); }
    String FCaption;

protected:
    TZPiece() = default;
};

// Notes keep their body and extra shape as indexed data items.
class TZNotesGroup : public TXRStreamFilerGroup {
    X_CLASS(TZNotesGroup, TXRStreamFilerGroup)
public:
    void DefineItemData(TObject* AItem) override
    {
        auto* Note = static_cast<TZMemo*>(AItem);
        DataIndex()->DataIndex()->AddEntry("Body", {}, 0)->SetDataTarget(Note->Body());
        DataIndex()->DataIndex()->AddEntry("Extra", {}, 0)->SetDataTarget(Note->FExtra.get());
    }
    void ItemIndexRead(TObject* AItem) override
    {
        auto* Note = static_cast<TZMemo*>(AItem);
        Want("Body", Note->Body());
        Want("Extra", Note->FExtra.get());
    }

protected:
    TZNotesGroup() = default;

private:
    void Want(const String& AName, TObject* ATarget)
    {
        int Index = DataIndex()->DataIndex()->IndexOfName(AName);
        if (Index >= 0) {
            DataIndex()->DataIndex()->Items(Index)->SetWanted(true);
            DataIndex()->DataIndex()->Items(Index)->SetDataTarget(ATarget);
        }
    }
};

// Stores an index whose "Body" entry points past the end of its header, as a crafted file may.
class TZPastTheEndGroup : public TZNotesGroup {
    X_CLASS(TZPastTheEndGroup, TZNotesGroup)
public:
    void DefineItemData(TObject* AItem) override
    {
        inherited::DefineItemData(AItem);
        DataIndex()->DataIndex()->Items(0)->SetIdx(999);
    }

protected:
    TZPastTheEndGroup() = default;
};

// A "Data" group whose written object is refused: the save must fail.
class TZRefusingGroup : public TXRStreamObjectFilerGroup {
    X_CLASS(TZRefusingGroup, TXRStreamObjectFilerGroup)
public:
    bool AfterWriteData(TStream*, bool) override { return false; }

protected:
    TZRefusingGroup() = default;
};

class TZRefusingFiler : public TXRStreamObjectFiler {
    X_CLASS(TZRefusingFiler, TXRStreamObjectFiler)
public:
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override
    {
        TXFiler::PrepareGroups(ATarget, ASelector, AParts);
        Groups()->AddGroup(this, TZRefusingGroup::StaticClass(), nullptr, ATarget);
    }

protected:
    TZRefusingFiler() = default;
};

// What a container holds, read with the container's own reader.
struct TEntry {
    int32_t Id;
    int64_t Size;
};
struct THeader {
    int32_t Kind;
    std::vector<TEntry> Entries;
};
struct TGroup {
    String Name;
    int32_t Id;
    std::vector<THeader> Headers;
};

std::vector<TGroup> Layout(const String& AFileName)
{
    auto Container = Owned(TXQStream::Create());
    EXPECT_TRUE(Container->DoOpenFile(rmRead, AFileName, false, nullptr));
    std::vector<TGroup> Result;
    for (int G = 0; G < Container->Groups()->Count(); ++G) {
        TXRGroupObject* Group = Container->Groups()->Items(G);
        TGroup& Out = Result.emplace_back(TGroup{Group->Body().Name, Group->Body().Id, {}});
        for (int H = 0; H < Group->Headers()->Count(); ++H) {
            TXRHeaderObject* Header = Group->Headers()->Items(H);
            THeader& Head = Out.Headers.emplace_back(THeader{Header->Body().Kind, {}});
            for (const TXRResRec& Entry : Header->Table())
                Head.Entries.push_back({Entry.Id, Entry.Size});
        }
    }
    return Result;
}

std::vector<int32_t> EntryIds(const THeader& AHeader)
{
    std::vector<int32_t> Ids;
    for (const TEntry& Entry : AHeader.Entries)
        Ids.push_back(Entry.Id);
    return Ids;
}

TChars FileBytes(const String& AFileName)
{
    std::ifstream File(AFileName, std::ios::binary);
    return TChars(std::istreambuf_iterator<char>(File), {});
}

void WriteBytes(const String& AFileName, const TChars& ABytes)
{
    std::ofstream(AFileName, std::ios::binary | std::ios::trunc).write(ABytes.data(), std::streamsize(ABytes.size()));
}

String PatternBytes(size_t ACount)
{
    String Bytes(ACount, '\0');
    for (size_t I = 0; I < ACount; ++I)
        Bytes[I] = static_cast<char>((I * 7919) >> 5);
    return Bytes;
}

TOwned<TXStreamObject> MakeBlob(const String& ABytes)
{
    auto Blob = Owned(TXStreamObject::Create());
    Blob->SetDataClass(".bin");
    Blob->DataStream()->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
    return Blob;
}

String StreamBytes(TMemoryStream* AStream)
{
    return String(reinterpret_cast<const char*>(AStream->Memory()), static_cast<size_t>(AStream->Size()));
}

TOwned<TXRStreamFiler> MakeFiler(const TXRIdentity& AIdentity = {})
{
    auto Filer = Owned(TXRStreamFiler::Create());
    Filer->SetIdentity(AIdentity);
    return Filer;
}

TZMemo* AddNote(TZMemos* ANotes, const String& ACaption, const String& AXFilter)
{
    TZMemo* Note = ANotes->Add();
    Note->FCaption = ACaption;
    Note->SetXFilter(AXFilter);
    Note->Body()->SetS("body of " + ACaption);
    Note->FExtra->FCaption = "extra of " + ACaption;
    Note->FExtra->FWidth = static_cast<int32_t>(ACaption.size());
    return Note;
}

class StreamFilerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterClasses({TZSketch::StaticClass(), TZMemo::StaticClass(), TZPiece::StaticClass(),
                         TXStreamObject::StaticClass()});
    }
    void SetUp() override { ClearError(); }
    String PathOf(const String& AName) const { return FHome.Root() + "/" + AName; }

    TTestHome FHome;
};

TEST_F(StreamFilerTest, StreamObjectKeepsItsBytesInACompressedEntryOfItsOwn)
{
    const String Bytes = PatternBytes(1 << 20);
    auto Blob = MakeBlob(Bytes);
    const String File = PathOf("blob.dat");
    ASSERT_TRUE(FilerSaveToFile(File, TXRStreamObjectFiler::StaticClass(), Blob.get()));

    std::vector<TGroup> Groups = Layout(File);
    ASSERT_EQ(Groups.size(), 1u);
    EXPECT_EQ(Groups[0].Name, "Data");
    ASSERT_EQ(Groups[0].Headers.size(), 1u);
    const THeader& Header = Groups[0].Headers[0];
    EXPECT_EQ(Header.Kind, 3);
    EXPECT_EQ(EntryIds(Header), (std::vector<int32_t>{kEntryObject, kEntryDataIndex, kEntryStream}));
    // The object's own entry leaves the bytes out; the stream entry is stored compressed.
    EXPECT_LT(Header.Entries[0].Size, 4096);
    EXPECT_LT(Header.Entries[2].Size, static_cast<int64_t>(Bytes.size()));

    auto Read = Owned(TXStreamObject::Create());
    ASSERT_TRUE(FilerLoadFromFile(File, TXRStreamObjectFiler::StaticClass(), Read.get()));
    EXPECT_EQ(Read->DataClass(), ".bin");
    EXPECT_TRUE(StreamBytes(Read->DataStream()) == Bytes);
}

TEST_F(StreamFilerTest, EmptyGroupWritesOneEmptyHeader)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TXRStreamFilerGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("empty.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));

    std::vector<TGroup> Groups = Layout(File);
    ASSERT_EQ(Groups.size(), 1u);
    ASSERT_EQ(Groups[0].Headers.size(), 1u);
    ASSERT_EQ(Groups[0].Headers[0].Entries.size(), 1u);
    EXPECT_EQ(Groups[0].Headers[0].Entries[0].Id, 0);
    EXPECT_EQ(Groups[0].Headers[0].Entries[0].Size, 0);
}

TEST_F(StreamFilerTest, ItemsWithTheirDataIndexSurviveSaveAndReload)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    AddNote(Notes.get(), "first", "a");
    AddNote(Notes.get(), "second", "b");
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TZNotesGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("notes.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));
    // Writing hands each item the index of its header.
    EXPECT_EQ(Notes->Items(0)->GetIdx(), 1);
    EXPECT_EQ(Notes->Items(1)->GetIdx(), 2);

    const std::vector<TGroup> Groups = Layout(File);
    const THeader& Item = Groups[0].Headers[1];
    EXPECT_EQ(Item.Kind, 4);
    EXPECT_EQ(EntryIds(Item),
              (std::vector<int32_t>{kEntryText, kEntryCollectionItem, kEntryDataIndex, kEntryText, kEntryObject}));

    Notes->Clear();
    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false)) << GetErrorCode();
    ASSERT_EQ(Notes->Count(), 2);
    for (int I = 0; I < 2; ++I) {
        TZMemo* Note = Notes->Items(I);
        SCOPED_TRACE(Note->FCaption);
        EXPECT_EQ(Note->GetIdx(), I + 1);
        EXPECT_EQ(Note->Body()->s(), "body of " + Note->FCaption);
        EXPECT_EQ(Note->FExtra->FCaption, "extra of " + Note->FCaption);
        EXPECT_EQ(Note->FExtra->FWidth, static_cast<int32_t>(Note->FCaption.size()));
    }
    EXPECT_EQ(Notes->Items(1)->FCaption, "second");
    // The index read last is the second note's, with the entries after the fixed three.
    TXDataIndexCollection* Index = static_cast<TXRStreamFilerGroup*>(Filer->Groups()->Groups(0))->DataIndex()->DataIndex();
    ASSERT_EQ(Index->Count(), 2);
    EXPECT_EQ(Index->Items(0)->GetDisplayName(), "Body");
    EXPECT_EQ(Index->Items(0)->GetIdx(), 3);
    EXPECT_EQ(Index->Items(1)->GetDisplayName(), "Extra");
    EXPECT_EQ(Index->Items(1)->GetIdx(), 4);
}

TEST_F(StreamFilerTest, FilterLoadsOnlyListedItemsWithoutFailing)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    for (const char* Filter : {"a", "b", "a", ""})
        AddNote(Notes.get(), String("note ") + Filter, Filter);
    auto Filer = MakeFiler();
    TXFilerGroup* Group =
        Filer->Groups()->AddNamedGroup(Filer.get(), TZNotesGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("filtered.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));

    Group->Filter()->Add("a");
    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false));
    ASSERT_EQ(Notes->Count(), 2);
    // Each keeps the index of the header it came from.
    EXPECT_EQ(Notes->Items(0)->GetIdx(), 1);
    EXPECT_EQ(Notes->Items(1)->GetIdx(), 3);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(StreamFilerTest, ObjectListsAndComponentListsRoundTrip)
{
    auto Shapes = Owned(TObjectList::Create());
    auto Parts = Owned(TComponentList::Create());
    for (int I = 0; I < 3; ++I) {
        auto* Shape = TZSketch::Create();
        Shape->FCaption = "shape " + std::to_string(I);
        Shape->FWidth = I;
        Shapes->Add(Shape);
        auto* Part = TZPiece::Create(nullptr);
        Part->FCaption = "part " + std::to_string(I);
        Parts->Add(Part);
    }
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TXRStreamFilerGroup::StaticClass(), Shapes.get(), nullptr, "Shapes");
    Filer->Groups()->AddNamedGroup(Filer.get(), TXRStreamFilerGroup::StaticClass(), Parts.get(), nullptr, "Parts");
    const String File = PathOf("lists.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));

    std::vector<TGroup> Groups = Layout(File);
    ASSERT_EQ(Groups.size(), 2u);
    EXPECT_EQ(Groups[0].Headers[1].Entries[1].Id, kEntryObject);
    EXPECT_EQ(Groups[1].Headers[1].Entries[1].Id, kEntryComponent);

    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false)) << GetErrorCode();
    ASSERT_EQ(Shapes->Count(), 3);
    ASSERT_EQ(Parts->Count(), 3);
    for (int I = 0; I < 3; ++I) {
        EXPECT_EQ(static_cast<TZSketch*>(Shapes->Items(I))->FCaption, "shape " + std::to_string(I));
        EXPECT_EQ(static_cast<TZSketch*>(Shapes->Items(I))->FWidth, I);
        EXPECT_EQ(static_cast<TZPiece*>(Parts->Items(I))->FCaption, "part " + std::to_string(I));
    }
}

// The file names the class of each object: a list that holds language objects makes no
// sketch, nor anything else the file names, and says why.
TEST_F(StreamFilerTest, ObjectListsTakeOnlyTheClassTheyHold)
{
    auto Shapes = Owned(TObjectList::Create());
    Shapes->Add(TZSketch::Create());
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TXRStreamFilerGroup::StaticClass(), Shapes.get(), nullptr, "Shapes");
    const String File = PathOf("sketches.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));

    auto Others = Owned(XCore::Collections::TXObjectList<XClasses::TXLgObject>::Create());
    auto Reader = MakeFiler();
    Reader->Groups()->AddNamedGroup(Reader.get(), TXRStreamFilerGroup::StaticClass(), Others.get(), nullptr, "Shapes");
    (void)Reader->LoadFromFile(File, nullptr, false);
    EXPECT_EQ(Others->Count(), 0);
    EXPECT_NE(GetErrorText().find("The data holds a TZSketch where a TXLgObject belongs"), String::npos)
        << GetErrorText();
}

TEST_F(StreamFilerTest, GroupMissingFromTheContainerIsLeftAsItIs)
{
    auto Blob = MakeBlob("bytes");
    const String File = PathOf("blob.dat");
    ASSERT_TRUE(FilerSaveToFile(File, TXRStreamObjectFiler::StaticClass(), Blob.get()));

    auto Read = MakeBlob("mine");
    auto Notes = Owned(TZMemos::Create(nullptr));
    AddNote(Notes.get(), "kept", "");
    auto Filer = MakeFiler();
    Filer->SetLoadMode(lmRead);
    Filer->Groups()->AddNamedGroup(Filer.get(), TXRStreamObjectFilerGroup::StaticClass(), nullptr, Read.get(), "Data");
    Filer->Groups()->AddNamedGroup(Filer.get(), TZNotesGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    ASSERT_TRUE(Filer->LoadFromFile(File, nullptr, false));
    EXPECT_EQ(StreamBytes(Read->DataStream()), "bytes");
    ASSERT_EQ(Notes->Count(), 1);
    EXPECT_EQ(Notes->Items(0)->FCaption, "kept");
}

struct TIdentityCase {
    const char* Name;
    TXRIdentity Writer;
    TXRIdentity Reader;
    bool Accepted;
};

TXRIdentity Identity(uint32_t AV1, const String& AName)
{
    TXRIdentity Result;
    SetFilerIdentity(Result, AV1, 0, 0, 0, 0, AName);
    return Result;
}

class IdentityTest : public StreamFilerTest, public ::testing::WithParamInterface<TIdentityCase> {};

TEST_P(IdentityTest, ReaderChecksTheWritersIdentity)
{
    auto Blob = MakeBlob("payload");
    auto Writer = MakeFiler(GetParam().Writer);
    Writer->Groups()->AddNamedGroup(Writer.get(), TXRStreamObjectFilerGroup::StaticClass(), nullptr, Blob.get(), "Data");
    const String File = PathOf("identity.dat");
    ASSERT_TRUE(Writer->SaveToFile(File, nullptr, false));

    auto Read = MakeBlob("untouched");
    auto Reader = MakeFiler(GetParam().Reader);
    Reader->Groups()->AddNamedGroup(Reader.get(), TXRStreamObjectFilerGroup::StaticClass(), nullptr, Read.get(), "Data");
    EXPECT_EQ(Reader->LoadFromFile(File, nullptr, false), GetParam().Accepted);
    EXPECT_EQ(GetErrorCode(), GetParam().Accepted ? 0 : kErrIdentity);
    EXPECT_EQ(StreamBytes(Read->DataStream()), GetParam().Accepted ? "payload" : "untouched");
}

const TIdentityCase kIdentityCases[] = {
    {"SameIdentity", Identity(7, "Notes"), Identity(7, "Notes"), true},
    {"EmptyReaderReadsAny", Identity(7, "Notes"), TXRIdentity{}, true},
    {"ForeignValues", Identity(8, "Notes"), Identity(7, "Notes"), false},
    {"ForeignName", Identity(7, "Other"), Identity(7, "Notes"), false},
    {"ValuesOnlyReader", Identity(8, ""), Identity(7, ""), false},
    {"NoIdentityWritten", TXRIdentity{}, Identity(7, "Notes"), false},
};
INSTANTIATE_TEST_SUITE_P(Identities, IdentityTest, ::testing::ValuesIn(kIdentityCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// Damage in the part of the file that holds the notes.
struct TDamage {
    const char* Name;
    void (*Apply)(TChars&);
};
const TDamage kDamages[] = {
    {"Truncated", [](TChars& B) { B.resize(B.size() / 2); }},
    {"FlippedByteInData", [](TChars& B) { B[B.size() * 3 / 4] ^= 0x5A; }},
    {"NotAContainer", [](TChars& B) { B.assign(B.size(), 'x'); }},
};

class DamageTest : public StreamFilerTest, public ::testing::WithParamInterface<TDamage> {};

TEST_P(DamageTest, DamagedContainerFailsWithARecordedError)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    for (int I = 0; I < 8; ++I)
        AddNote(Notes.get(), PatternBytes(200 + I), "");
    auto Filer = MakeFiler(Identity(7, "Notes"));
    Filer->Groups()->AddNamedGroup(Filer.get(), TZNotesGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("damaged.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));
    TChars Bytes = FileBytes(File);
    GetParam().Apply(Bytes);
    WriteBytes(File, Bytes);

    EXPECT_FALSE(Filer->LoadFromFile(File, nullptr, false));
    EXPECT_NE(GetErrorCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Damaged, DamageTest, ::testing::ValuesIn(kDamages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(StreamFilerTest, IndexEntryPastTheEndOfItsHeaderFailsTheLoad)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    AddNote(Notes.get(), "crafted", "");
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TZPastTheEndGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("crafted.dat");
    ASSERT_TRUE(Filer->SaveToFile(File, nullptr, false));

    EXPECT_FALSE(Filer->LoadFromFile(File, nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_EQ(Notes->Count(), 0);   // the half-read item is dropped again
}

TEST_F(StreamFilerTest, FailedSafeSaveLeavesTheOldFileIntact)
{
    auto Blob = MakeBlob("old contents");
    const String File = PathOf("safe.dat");
    ASSERT_TRUE(FilerSafeSaveToFile(File, TXRStreamObjectFiler::StaticClass(), Blob.get()));
    const TChars Before = FileBytes(File);

    auto Changed = MakeBlob("new contents");
    EXPECT_FALSE(FilerSafeSaveToFile(File, TZRefusingFiler::StaticClass(), Changed.get()));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_EQ(FileBytes(File), Before);
    EXPECT_FALSE(std::filesystem::exists(PathOf("safe.tmp")));
}

TEST_F(StreamFilerTest, UpdateFileAppendsToTheGroupOfTheSameName)
{
    auto Notes = Owned(TZMemos::Create(nullptr));
    AddNote(Notes.get(), "first", "");
    auto Filer = MakeFiler();
    Filer->Groups()->AddNamedGroup(Filer.get(), TZNotesGroup::StaticClass(), Notes.get(), nullptr, "Notes");
    const String File = PathOf("update.dat");
    ASSERT_TRUE(Filer->UpdateFile(File, nullptr, false));   // a new file is saved whole

    Notes->Clear();
    AddNote(Notes.get(), "second", "");
    ASSERT_TRUE(Filer->UpdateFile(File, nullptr, false));
    std::vector<TGroup> Groups = Layout(File);
    ASSERT_EQ(Groups.size(), 1u);
    EXPECT_EQ(Groups[0].Headers.size(), 4u);   // object, first, object, second

    ASSERT_TRUE(Filer->UpdateFileEx(File, nullptr, false));
    Groups = Layout(File);
    ASSERT_EQ(Groups.size(), 2u);
    EXPECT_NE(Groups[1].Id, Groups[0].Id);
    EXPECT_EQ(Groups[1].Headers.size(), 2u);
}

}  // namespace
