// Stream objects: their stored schema, the "Data" and "CData" binary properties, loading,
// copying, and the items, collections and boxes that hold them.
#include "XCore.Streams.Containers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "Rtl.ComponentStreams.h"
#include "Rtl.ComponentText.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"
#include "XCore.Strings.h"

namespace {

using TStoredData = std::map<String, String>;

// Hears what an object declares through DefineProperties and plays writer or reader with it.
class TRecordingFiler : public TFiler {
    X_CLASS(TRecordingFiler, TFiler)
public:
    struct TBinary {
        String Name;
        TStreamProc Read;
        TStreamProc Write;
        bool HasData = false;
    };
    std::vector<TBinary> Binaries;

    void DefineProperty(const String&, TReaderProc, TWriterProc, bool) override {}
    void DefineBinaryProperty(const String& AName, TStreamProc ARead, TStreamProc AWrite, bool AHasData) override
    {
        Binaries.push_back({AName, ARead, AWrite, AHasData});
    }

protected:
    TRecordingFiler() = default;
};

// What a writer stores for the object: each binary property that has data, with its bytes.
TStoredData Store(TPersistent* AObject)
{
    auto Filer = Owned(TRecordingFiler::Create());
    AObject->DefineProperties(Filer.get());
    TStoredData Stored;
    for (const auto& Binary : Filer->Binaries) {
        if (!Binary.HasData)
            continue;
        auto Stream = Owned(TXRawStringStream::Create());
        Binary.Write(Stream.get());
        Stored[Binary.Name] = Stream->Data();
    }
    return Stored;
}

// What a reader does on meeting each stored binary property.
void Load(TPersistent* AObject, const TStoredData& AStored)
{
    auto Filer = Owned(TRecordingFiler::Create());
    AObject->DefineProperties(Filer.get());
    for (const auto& [Name, Bytes] : AStored)
        for (const auto& Binary : Filer->Binaries)
            if (Binary.Name == Name) {
                auto Stream = Owned(TXRawStringStream::Create(Bytes));
                Binary.Read(Stream.get());
            }
}

String Bytes(TXStreamObject* AObject)
{
    TMemoryStream* Data = AObject->DataStream();
    return String(reinterpret_cast<const char*>(Data->Memory()), static_cast<size_t>(Data->Size()));
}

void SetBytes(TXStreamObject* AObject, const String& ABytes)
{
    auto Source = Owned(TXRawStringStream::Create(ABytes));
    ASSERT_TRUE(AObject->LoadFromStream("bin", Source.get()));
}

// Bytes that zlib cannot shrink, so half of the packed stream holds about half of them.
String Noise(size_t ACount)
{
    String Result(ACount, '\0');
    uint32_t State = 12345;
    for (char& C : Result) {
        State = State * 1103515245 + 12345;
        C = static_cast<char>(State >> 16);
    }
    return Result;
}

// A source that claims bytes it cannot deliver, or a target that takes none.
class TBrokenStream : public TStream {
    X_CLASS(TBrokenStream, TStream)
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Size() override { return 10; }
    void SetSize(int64_t) override {}

protected:
    TBrokenStream() = default;
};

class StreamObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    TOwned<TXStreamObject> FObject = Owned(TXStreamObject::Create());
};

std::vector<String> DeclaredPropertyNames(TClass AClass)
{
    std::vector<String> Names;
    for (const TPropInfo* Info : GetPropList(AClass))
        Names.push_back(Info->Name());
    return Names;
}

TEST(StreamObjectSchemaTest, PublishedPropertiesInStoredOrder)
{
    EXPECT_EQ(DeclaredPropertyNames(TXStreamObject::StaticClass()),
              (std::vector<String>{"Name", "Compressed", "DataClass", "DataStream", "FileName", "Version", "Size",
                                   "TimeStamp"}));
    EXPECT_EQ(DeclaredPropertyNames(TXCustomSizeStreamObject::StaticClass()),
              (std::vector<String>{"Name", "Compressed", "DataClass", "DataStream", "FileName", "Version", "Size",
                                   "TimeStamp", "Width", "Height"}));
    EXPECT_EQ(DeclaredPropertyNames(TXStreamItem::StaticClass()), (std::vector<String>{"Name", "Data"}));

    auto Object = Owned(TXStreamObject::Create());
    EXPECT_FALSE(IsStoredProp(Object.get(), "DataStream"));
    EXPECT_FALSE(IsDefaultPropertyValue(Object.get(), "Compressed"));   // no default: always written
}

struct TBinaryCase {
    const char* Name;
    bool Compressed;
    bool DataStorable;
    const char* Data;
    const char* Stored;   // the one property written, or "" for none
};

class StreamObjectBinaryTest : public ::testing::TestWithParam<TBinaryCase> {};

TEST_P(StreamObjectBinaryTest, StoresAtMostOneBinaryPropertyAndReadsItBack)
{
    const TBinaryCase& Case = GetParam();
    auto Object = Owned(TXStreamObject::Create());
    if (*Case.Data != '\0')
        SetBytes(Object.get(), Case.Data);
    Object->SetCompressed(Case.Compressed);
    Object->SetDataStorable(Case.DataStorable);

    TStoredData Stored = Store(Object.get());
    ASSERT_EQ(Stored.size(), *Case.Stored != '\0' ? 1u : 0u);
    if (Stored.empty())
        return;
    EXPECT_EQ(Stored.begin()->first, Case.Stored);

    auto Copy = Owned(TXStreamObject::Create());
    Load(Copy.get(), Stored);
    EXPECT_EQ(Bytes(Copy.get()), Case.Data);
}

const TBinaryCase kBinaryCases[] = {
    {"EmptyRaw", false, true, "", ""},
    {"EmptyCompressed", true, true, "", ""},
    {"Raw", false, true, "abc", "Data"},
    {"Compressed", true, true, "abc", "CData"},
    {"RawNotStorable", false, false, "abc", ""},
    {"CompressedNotStorable", true, false, "abc", ""},
};
INSTANTIATE_TEST_SUITE_P(Cases, StreamObjectBinaryTest, ::testing::ValuesIn(kBinaryCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(StreamObjectTest, CompressedDataIsShortAndReadsBackWhole)
{
    String Repeated(100 * 1024, 'x');
    SetBytes(FObject.get(), Repeated);
    FObject->SetCompressed(true);
    TStoredData Stored = Store(FObject.get());
    ASSERT_EQ(Stored.count("CData"), 1u);
    EXPECT_LT(Stored["CData"].size(), 1024u);
    EXPECT_EQ(Stored["CData"].substr(0, 1), "\x78");   // a zlib header, window bits 15

    auto Copy = Owned(TXStreamObject::Create());
    Load(Copy.get(), Stored);
    EXPECT_EQ(Bytes(Copy.get()), Repeated);
}

TEST_F(StreamObjectTest, DamagedCompressedDataKeepsWhatInflatedBeforeTheDamage)
{
    String Original = Noise(300 * 1024);
    SetBytes(FObject.get(), Original);
    FObject->SetCompressed(true);
    String Packed = Store(FObject.get())["CData"];

    auto Truncated = Owned(TXStreamObject::Create());
    Load(Truncated.get(), {{"CData", Packed.substr(0, Packed.size() / 2)}});
    String Read = Bytes(Truncated.get());
    EXPECT_GT(Read.size(), 0u);
    EXPECT_LT(Read.size(), Original.size());
    EXPECT_EQ(Read, Original.substr(0, Read.size()));

    auto Copy = Owned(TXStreamObject::Create());
    SetBytes(Copy.get(), "old");
    Load(Copy.get(), {{"CData", "not zlib at all"}});
    EXPECT_EQ(Bytes(Copy.get()), "");
}

TEST_F(StreamObjectTest, CompressionFailureReachesTheWriter)
{
    SetBytes(FObject.get(), "abc");
    FObject->SetCompressed(true);
    auto Filer = Owned(TRecordingFiler::Create());
    FObject->DefineProperties(Filer.get());
    auto Broken = Owned(TBrokenStream::Create());
    ASSERT_EQ(Filer->Binaries.at(1).Name, "CData");
    ASSERT_TRUE(Filer->Binaries.at(1).HasData);
    EXPECT_THROW(Filer->Binaries.at(1).Write(Broken.get()), EWriteError);
}

TEST_F(StreamObjectTest, LoadFromStreamCopiesTheWholeSourceAndClearsOnFailure)
{
    auto Source = Owned(TXRawStringStream::Create(String("hello")));
    Source->SetPosition(3);
    FObject->SetFileName("old.txt");
    ASSERT_TRUE(FObject->LoadFromStream("txt", Source.get()));
    EXPECT_EQ(Bytes(FObject.get()), "hello");
    EXPECT_EQ(FObject->Size(), 5);
    EXPECT_EQ(FObject->DataClass(), "txt");
    EXPECT_EQ(FObject->FileName(), "");

    auto Broken = Owned(TBrokenStream::Create());
    EXPECT_FALSE(FObject->LoadFromStream("txt", Broken.get()));
    EXPECT_TRUE(FObject->IsEmpty());
    EXPECT_EQ(FObject->DataClass(), "");
    EXPECT_EQ(FObject->Size(), 0);
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

TEST_F(StreamObjectTest, LoadFromFileTakesTheLowerCaseExtension)
{
    char Folder[] = "/tmp/streamobj-XXXXXX";
    ASSERT_NE(mkdtemp(Folder), nullptr);
    String FileName = String(Folder) + "/Photo.JPG";
    SafeWriteFileBytes(FileName, TBytes{1, 2, 3, 4});

    ASSERT_TRUE(FObject->LoadFromFile(FileName));
    EXPECT_EQ(FObject->DataClass(), ".jpg");
    EXPECT_EQ(FObject->Size(), 4);
    EXPECT_EQ(Bytes(FObject.get()), String("\x01\x02\x03\x04"));
    EXPECT_EQ(FObject->FileName(), "");

    EXPECT_FALSE(FObject->LoadFromFile(String(Folder) + "/missing.png"));
    EXPECT_TRUE(FObject->IsEmpty());
    EXPECT_EQ(FObject->DataClass(), "");
    EXPECT_EQ(GetErrorCode(), kErrRead);
    RemoveDirRecursive(Folder);
}

TEST_F(StreamObjectTest, AssignCopiesAllButTheLanguageAndSizeFollowsTheBytes)
{
    auto Source = Owned(TXCustomSizeStreamObject::Create());
    SetBytes(Source.get(), "12345");
    Source->SetName("Logo");
    Source->SetDataClass("TPngImage");
    Source->SetFileName("logo.png");
    Source->SetVersion("2");
    Source->SetSize(99);
    Source->SetTimeStamp(45000.5);
    Source->SetCompressed(true);
    Source->SetLgID(7);
    Source->SetWidth(16);
    Source->SetHeight(32);

    auto Target = Owned(TXCustomSizeStreamObject::Create());
    Target->Assign(Source.get());
    EXPECT_EQ(Target->GetName(), "Logo");
    EXPECT_EQ(Target->DataClass(), "TPngImage");
    EXPECT_EQ(Bytes(Target.get()), "12345");
    EXPECT_EQ(Target->FileName(), "logo.png");
    EXPECT_EQ(Target->Version(), "2");
    EXPECT_EQ(Target->Size(), 5);
    EXPECT_EQ(double(Target->TimeStamp()), 45000.5);
    EXPECT_TRUE(Target->Compressed());
    EXPECT_EQ(Target->GetLgID(), 0u);
    EXPECT_EQ(Target->Width(), 16);
    EXPECT_EQ(Target->Height(), 32);

    // A plain stream object into a sized one: the size stays, the rest is copied.
    auto Plain = Owned(TXStreamObject::Create());
    SetBytes(Plain.get(), "ab");
    Target->Assign(Plain.get());
    EXPECT_EQ(Bytes(Target.get()), "ab");
    EXPECT_EQ(Target->Width(), 16);
}

TEST_F(StreamObjectTest, ClearKeepsTheStorageSwitches)
{
    auto Object = Owned(TXCustomSizeStreamObject::Create());
    SetBytes(Object.get(), "abc");
    Object->SetCompressed(true);
    Object->SetDataStorable(false);
    Object->SetWidth(3);
    Object->SetVersion("1");
    Object->Clear();
    EXPECT_TRUE(Object->IsEmpty());
    EXPECT_EQ(Object->Version(), "");
    EXPECT_EQ(Object->Width(), 0);
    EXPECT_TRUE(Object->Compressed());
    EXPECT_FALSE(Object->DataStorable());
}

TEST_F(StreamObjectTest, LoadFromObjectTakesOnlyStreamObjects)
{
    auto Source = Owned(TXStreamObject::Create());
    SetBytes(Source.get(), "xyz");
    SetBytes(FObject.get(), "old");
    EXPECT_TRUE(FObject->LoadFromObject(Source.get()));
    EXPECT_EQ(Bytes(FObject.get()), "xyz");

    auto Lines = Owned(TStringList::Create());
    EXPECT_FALSE(FObject->LoadFromObject(Lines.get()));
    EXPECT_TRUE(FObject->IsEmpty());
    EXPECT_FALSE(FObject->LoadFromObject(nullptr));
}

TEST_F(StreamObjectTest, TheDataStorableSwitchAnswersThroughItsInterface)
{
    TIntf<IXDataStorable> Storable;
    ASSERT_TRUE(Supports(FObject.get(), Storable));
    Storable->SetDataStorable(false);
    EXPECT_FALSE(FObject->DataStorable());
}

// ---- Items, collections, boxes -----------------------------------------------------------

using TXTestStreamCollection = TXStreamCollection<TXStreamItem>;

class StreamItemTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    TOwned<TXTestStreamCollection> FItems = Owned(TXTestStreamCollection::Create(nullptr));
};

TEST_F(StreamItemTest, ItemsPassTheirSwitchAndClearToTheirObject)
{
    TXStreamItem* Item = FItems->Add();
    EXPECT_TRUE(Item->Data()->DataStorable());
    Item->SetDataStorable(false);
    EXPECT_FALSE(Item->Data()->DataStorable());
    EXPECT_TRUE(Store(Item->Data()).empty());

    SetBytes(Item->Data(), "abc");
    EXPECT_FALSE(Item->IsEmpty());
    Item->Clear();
    EXPECT_TRUE(Item->IsEmpty());
    EXPECT_EQ(Item->Data()->DataClass(), "");
}

TEST_F(StreamItemTest, AssignTakesAnItemOrAStreamObject)
{
    TXStreamItem* Source = FItems->Add();
    Source->SetDisplayName("First");
    Source->SetLgID(9);
    SetBytes(Source->Data(), "one");

    TXStreamItem* Target = FItems->Add();
    Target->Assign(Source);
    EXPECT_EQ(Target->GetDisplayName(), "First");
    EXPECT_EQ(Target->GetLgID(), 9u);
    EXPECT_EQ(Bytes(Target->Data()), "one");
    EXPECT_NE(Target->Data(), Source->Data());

    auto Object = Owned(TXStreamObject::Create());
    Object->SetName("Loose");
    SetBytes(Object.get(), "two");
    Target->Assign(Object.get());
    EXPECT_EQ(Bytes(Target->Data()), "two");
    EXPECT_EQ(Target->GetDisplayName(), "Loose");
}

TEST_F(StreamItemTest, AddItemKeepsTheCollectionUnchangedWhenTheStreamFails)
{
    auto Good = Owned(TXRawStringStream::Create(String("payload")));
    TXStreamItem* Item = FItems->AddItem(".bin", Good.get(), "Blob");
    ASSERT_NE(Item, nullptr);
    EXPECT_EQ(Item->GetDisplayName(), "Blob");
    EXPECT_EQ(Item->Data()->DataClass(), ".bin");
    EXPECT_EQ(Bytes(Item->Data()), "payload");

    auto Broken = Owned(TBrokenStream::Create());
    EXPECT_EQ(FItems->AddItem(".bin", Broken.get(), "Bad"), nullptr);
    EXPECT_EQ(FItems->Count(), 1);
    EXPECT_EQ(FItems->Items(0), Item);
}

TEST(StreamBoxTest, AssignCopiesTheObjectAndSettingDataCopiesIntoTheBox)
{
    auto Owner = Owned(TXComponent::Create(nullptr));
    auto* Source = TXStreamBox::Create(Owner.get());
    auto* Target = TXStreamBox::Create(Owner.get());
    SetBytes(Source->Data(), "boxed");
    Target->Assign(Source);
    EXPECT_EQ(Bytes(Target->Data()), "boxed");
    EXPECT_NE(Target->Data(), Source->Data());

    auto Loose = Owned(TXStreamObject::Create());
    SetBytes(Loose.get(), "set");
    TXStreamObject* Own = Target->Data();
    SetObjectProp(Target, "Data", Loose.get());
    EXPECT_EQ(Target->Data(), Own);
    EXPECT_EQ(Bytes(Own), "set");

    EXPECT_EQ(TXStreamBox::StaticClass()->ClassName(), "TXStreamBox");
}

// Through the real writer and reader and the component text that files hold.
TOwned<TXStreamBox> ThroughComponentText(TXStreamBox* ASource, String& AText)
{
    auto Binary = Owned(TMemoryStream::Create());
    WriteComponent(Binary.get(), ASource);
    Binary->SetPosition(0);
    auto Text = Owned(TStringStream::Create());
    ObjectBinaryToText(Binary.get(), Text.get());
    AText = Text->DataString();
    Text->SetPosition(0);
    auto Back = Owned(TMemoryStream::Create());
    ObjectTextToBinary(Text.get(), Back.get());
    Back->SetPosition(0);
    auto Target = Owned(TXStreamBox::Create(nullptr));
    ReadComponent(Back.get(), Target.get());
    return Target;
}

TEST(StreamBoxStreamingTest, TheBytesSurviveComponentTextRawOrCompressed)
{
    const String Payload = String(5000, 'a') + "\x01\xFF tail";
    for (bool Compressed : {false, true}) {
        auto Source = Owned(TXStreamBox::Create(nullptr));
        Source->SetName("LgEnglish");
        SetBytes(Source->Data(), Payload);
        Source->Data()->SetCompressed(Compressed);
        Source->Data()->SetFileName("en.lng");
        String Text;
        auto Target = ThroughComponentText(Source.get(), Text);
        EXPECT_EQ(Text.find("CData") != String::npos, Compressed) << Text;
        EXPECT_EQ(Bytes(Target->Data()), Payload) << Compressed;
        EXPECT_EQ(Target->Data()->FileName(), "en.lng");
        EXPECT_EQ(Target->Data()->Size(), int64_t(Payload.size()));
        EXPECT_EQ(Target->Data()->Compressed(), Compressed);
    }
}

TEST(StreamBoxStreamingTest, WithoutStorableDataOnlyTheOtherPropertiesTravel)
{
    auto Source = Owned(TXStreamBox::Create(nullptr));
    SetBytes(Source->Data(), "secret");
    Source->Data()->SetDataStorable(false);
    String Text;
    auto Target = ThroughComponentText(Source.get(), Text);
    EXPECT_EQ(Text.find("Data.Data ="), String::npos) << Text;
    EXPECT_EQ(Text.find("Data.CData ="), String::npos) << Text;
    EXPECT_TRUE(Target->Data()->IsEmpty());
    EXPECT_EQ(Target->Data()->DataClass(), "bin");
    EXPECT_EQ(Target->Data()->Size(), 6);
}

}  // namespace
