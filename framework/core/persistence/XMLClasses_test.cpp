#include "XMLClasses.h"

#include <gtest/gtest.h>

#include "Rtl.Encoding.h"
#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Errors.h"
#include "XCore.TestStartUp.h"
#include "XObjectFiler.h"

X_ENUM(TTestShade, tsLight, tsMedium, tsDark);
using TTestShades = TSet<TTestShade>;

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterCorePersistence>);

class TTestPart : public TPersistent {
    X_CLASS(TTestPart, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Note", &TTestPart::FNote, &TTestPart::FNote);
        P.Property("Level", &TTestPart::FLevel, &TTestPart::FLevel).Default(0);
        P.Property("Back", &TTestPart::FBack, &TTestPart::FBack);
    }
    String FNote;
    int32_t FLevel = 0;
    TPersistent* FBack = nullptr;   // not owned: leads back up the tree when set

protected:
    TTestPart() = default;
};

class TXmlTestItem : public TCollectionItem {
    X_CLASS(TXmlTestItem, TCollectionItem)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Value", &TXmlTestItem::FValue, &TXmlTestItem::FValue).Default(0);
    }
    String GetDisplayName() override { return FName; }
    void SetDisplayName(const String& AValue) override { FName = AValue; }
    String FName;
    int32_t FValue = 0;

protected:
    TXmlTestItem() = default;
};

// Registered, but no persistent object: a document may name it, and nothing reads into it.
class TTestPlain : public TObject {
    X_CLASS(TTestPlain, TObject)
protected:
    TTestPlain() = default;
};

class TTestEntry : public TPersistent {
    X_CLASS(TTestEntry, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Label", &TTestEntry::FLabel, &TTestEntry::FLabel); }
    String FLabel;

protected:
    TTestEntry() = default;
};

class TTestSettings : public TComponent {
    X_CLASS(TTestSettings, TComponent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Count", &TTestSettings::FCount, &TTestSettings::FCount);
        P.Property("Ratio", &TTestSettings::FRatio, &TTestSettings::FRatio);
        P.Property("Title", &TTestSettings::FTitle, &TTestSettings::FTitle);
        P.Property("Shade", &TTestSettings::FShade, &TTestSettings::FShade).Default(tsMedium);
        P.Property("Shades", &TTestSettings::FShades, &TTestSettings::FShades).Default(TTestShades{});
        P.Property("Enabled", &TTestSettings::FEnabled, &TTestSettings::FEnabled).Default(true);
        P.Property("Big", &TTestSettings::FBig, &TTestSettings::FBig);
        P.Property("Letter", &TTestSettings::FLetter, &TTestSettings::FLetter);
        P.Property("Hidden", &TTestSettings::FHidden, &TTestSettings::FHidden).Stored(false);
        P.Property("OnChange", &TTestSettings::FOnChange, &TTestSettings::FOnChange);
        P.Property("Lines", &TTestSettings::FLines, &TTestSettings::FLines);
        P.Property("Part", &TTestSettings::FPart, &TTestSettings::FPart);
        P.Property("Items", &TTestSettings::FItems, &TTestSettings::FItems);
        P.Property("Entries", &TTestSettings::FEntries, &TTestSettings::FEntries);
    }
    int32_t FCount = 0;
    double FRatio = 0;
    String FTitle;
    TTestShade FShade = tsMedium;
    TTestShades FShades;
    bool FEnabled = true;
    int64_t FBig = 0;
    char16_t FLetter = u'x';
    String FHidden;
    TNotifyEvent FOnChange;
    TStringList* FLines = nullptr;
    TTestPart* FPart = nullptr;
    TCollection* FItems = nullptr;
    TObjectList* FEntries = nullptr;

protected:
    TTestSettings() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FLines = TStringList::Create();
        FPart = TTestPart::Create();
        FItems = TCollection::Create(TXmlTestItem::StaticClass());
        FEntries = TObjectList::Create();
    }
    ~TTestSettings() override
    {
        FreeAndNil(FEntries);
        FreeAndNil(FItems);
        FreeAndNil(FPart);
        FreeAndNil(FLines);
    }
};

TOwned<TTestSettings> NewSettings()
{
    return Owned(TTestSettings::Create(static_cast<TComponent*>(nullptr)));
}

String Compact(TObject* AObj)
{
    auto Stream = Owned(TMemoryStream::Create());
    ObjectToXMLStream(AObj, Stream.get(), false);
    return String(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size()));
}

String Wrapped(const String& AObjectElement)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><objects>" + AObjectElement + "</objects>";
}

class XMLObjectFormatTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterClasses({TTestEntry::StaticClass(), TTestPart::StaticClass(), TTestPlain::StaticClass()});
    }
    // The error store keeps the first error: one left by an earlier test would hide this one's.
    void SetUp() override { ClearError(); }
};

TEST_F(XMLObjectFormatTest, WritesStoredPropertiesThatDifferFromTheirDefaults)
{
    auto Settings = NewSettings();
    Settings->SetName("Settings1");
    EXPECT_EQ(Compact(Settings.get()),
              Wrapped("<o name=\"Settings1\"><p name=\"Count\">0</p><p name=\"Lines\"></p><o name=\"Part\"/>"
                      "<o name=\"Items\"/><o name=\"Entries\"/></o>"));

    Settings->FCount = -3;
    Settings->FRatio = 1.5;
    Settings->FTitle = "Grüße & <mehr>";
    Settings->FShade = tsDark;
    Settings->FShades = {tsLight, tsDark};
    Settings->FEnabled = false;
    Settings->FBig = int64_t(1) << 40;
    Settings->FHidden = "never";
    Settings->FLines->SetText("a\r\nb");
    Settings->FPart->FNote = "n";
    auto* Item = static_cast<TXmlTestItem*>(Settings->FItems->Add());
    Item->FName = "x";
    Item->FValue = 4;
    auto* Entry = TTestEntry::Create();
    Entry->FLabel = "e";
    Settings->FEntries->Add(Entry);
    EXPECT_EQ(Compact(Settings.get()),
              Wrapped("<o name=\"Settings1\"><p name=\"Count\">-3</p><p name=\"Ratio\">1.5</p>"
                      "<p name=\"Title\">Grüße &amp; &lt;mehr&gt;</p><p name=\"Shade\">tsDark</p>"
                      "<p name=\"Shades\">[tsLight,tsDark]</p><p name=\"Enabled\">False</p>"
                      "<p name=\"Big\">1099511627776</p><p name=\"Lines\">a\r\nb\r\n</p>"
                      "<o name=\"Part\"><p name=\"Note\">n</p></o>"
                      "<o name=\"Items\"><i name=\"x\"><p name=\"Value\">4</p></i></o>"
                      "<o name=\"Entries\"><i type=\"TTestEntry\"><p name=\"Label\">e</p></i></o></o>"));
}

TEST_F(XMLObjectFormatTest, RootOfAnObjectThatIsNoComponentHasNoName)
{
    auto Part = Owned(TTestPart::Create());
    Part->FLevel = 2;
    EXPECT_EQ(Compact(Part.get()), Wrapped("<o><p name=\"Level\">2</p></o>"));
    auto Settings = NewSettings();
    EXPECT_NE(Compact(Settings.get()).find("<o name=\"\">"), String::npos);
}

TEST_F(XMLObjectFormatTest, ReadsBackWhatItWrote)
{
    auto Source = NewSettings();
    Source->FCount = 7;
    Source->FRatio = -0.125;
    Source->FTitle = "line\r\nnext ";
    Source->FShade = tsLight;
    Source->FShades = {tsMedium};
    Source->FEnabled = false;
    Source->FBig = -5;
    Source->FLines->SetText("a\r\n\r\nc");
    Source->FPart->FNote = "note";
    Source->FPart->FLevel = 3;
    for (const char* Name : {"x", "y"})
        static_cast<TXmlTestItem*>(Source->FItems->Add())->FName = Name;
    for (bool Indented : {false, true}) {
        auto Stream = Owned(TMemoryStream::Create());
        ObjectToXMLStream(Source.get(), Stream.get(), Indented);
        auto Target = NewSettings();
        LoadObjectFromXMLStream(Target.get(), Stream.get());
        EXPECT_EQ(Target->FCount, 7);
        EXPECT_EQ(Target->FRatio, -0.125);
        EXPECT_EQ(Target->FTitle, "line\r\nnext ");
        EXPECT_EQ(Target->FShade, tsLight);
        EXPECT_EQ(Target->FShades, TTestShades{tsMedium});
        EXPECT_FALSE(Target->FEnabled);
        EXPECT_EQ(Target->FBig, -5);
        EXPECT_EQ(Target->FLines->Text(), "a\r\n\r\nc\r\n");
        EXPECT_EQ(Target->FPart->FNote, "note");
        EXPECT_EQ(Target->FPart->FLevel, 3);
        ASSERT_EQ(Target->FItems->Count(), 2);
        EXPECT_EQ(static_cast<TXmlTestItem*>(Target->FItems->Items(1))->FName, "y");
    }
}

TEST_F(XMLObjectFormatTest, CollectionsAreReplacedAndObjectListsAppendedTo)
{
    auto Settings = NewSettings();
    for (int I = 0; I < 5; ++I)
        Settings->FItems->Add();
    Settings->FEntries->Add(TTestEntry::Create());
    LoadObjectFromXMLString(Settings.get(),
                            Wrapped("<o><o name=\"Items\"><i name=\"x\"><p name=\"Value\">1</p></i><i name=\"y\"/></o>"
                                    "<o name=\"Entries\"><i type=\"TNoSuchClass\"><p name=\"Label\">lost</p></i>"
                                    "<i type=\"TTestPlain\"/><i type=\"TTestEntry\"><p name=\"Label\">kept</p></i>"
                                    "</o></o>"));
    ASSERT_EQ(Settings->FItems->Count(), 2);
    EXPECT_EQ(static_cast<TXmlTestItem*>(Settings->FItems->Items(0))->FName, "x");
    EXPECT_EQ(static_cast<TXmlTestItem*>(Settings->FItems->Items(0))->FValue, 1);
    EXPECT_EQ(static_cast<TXmlTestItem*>(Settings->FItems->Items(1))->FName, "y");
    ASSERT_EQ(Settings->FEntries->Count(), 2);
    EXPECT_EQ(static_cast<TTestEntry*>(Settings->FEntries->Items(1))->FLabel, "kept");
    // A registered class that is no persistent object is never made for a list.
    EXPECT_NE(GetErrorText().find("The data holds a TTestPlain where a TPersistent belongs"), String::npos) << GetErrorText();
}

struct TValueCase {
    const char* Name;
    const char* Element;
    void (*Check)(TTestSettings*);
};

// Every settings object starts from Count 5, Shade tsDark, Shades [tsLight], Ratio 2, Title "t".
const TValueCase kValueCases[] = {
    {"UnparsableIntegerIsZero", "<p name=\"Count\">abc</p>", [](TTestSettings* S) { EXPECT_EQ(S->FCount, 0); }},
    {"UnparsableFloatIsZero", "<p name=\"Ratio\">1,5</p>", [](TTestSettings* S) { EXPECT_EQ(S->FRatio, 0); }},
    {"OutOfRangeIntegerIsSkipped", "<p name=\"Count\">99999999999</p>",
     [](TTestSettings* S) { EXPECT_EQ(S->FCount, 5); }},
    {"UnknownEnumerationNameIsSkipped", "<p name=\"Shade\">tsPurple</p>",
     [](TTestSettings* S) { EXPECT_EQ(S->FShade, tsDark); }},
    {"UnknownSetMemberIsSkipped", "<p name=\"Shades\">[tsMedium,tsPurple]</p>",
     [](TTestSettings* S) { EXPECT_EQ(S->FShades, TTestShades{tsLight}); }},
    {"SetWithoutBrackets", "<p name=\"Shades\">tsMedium,tsDark</p>",
     [](TTestSettings* S) { EXPECT_EQ(S->FShades, (TTestShades{tsMedium, tsDark})); }},
    {"PropertyNamesIgnoreCase", "<p name=\"title\">T</p>", [](TTestSettings* S) { EXPECT_EQ(S->FTitle, "T"); }},
    {"UnknownPropertyIsIgnored", "<p name=\"Colour\">red</p><p name=\"Count\">6</p>",
     [](TTestSettings* S) { EXPECT_EQ(S->FCount, 6); }},
    {"ValueForAnObjectIsIgnored", "<p name=\"Part\">text</p>", [](TTestSettings* S) { EXPECT_EQ(S->FPart->FNote, ""); }},
    {"ObjectForAValueIsIgnored", "<o name=\"Title\"><p name=\"Note\">n</p></o>",
     [](TTestSettings* S) { EXPECT_EQ(S->FTitle, "t"); }},
    {"ItemsNameNoProperties", "<i name=\"Title\">x</i>", [](TTestSettings* S) { EXPECT_EQ(S->FTitle, "t"); }},
    {"EmptyElementIsAnEmptyText", "<p name=\"Title\"/>", [](TTestSettings* S) { EXPECT_EQ(S->FTitle, ""); }},
};

class XMLValueTest : public XMLObjectFormatTest, public ::testing::WithParamInterface<TValueCase> {};

TEST_P(XMLValueTest, AppliesOrSkipsTheValue)
{
    auto Settings = NewSettings();
    Settings->FCount = 5;
    Settings->FShade = tsDark;
    Settings->FShades = {tsLight};
    Settings->FRatio = 2;
    Settings->FTitle = "t";
    LoadObjectFromXMLString(Settings.get(), Wrapped(String("<o>") + GetParam().Element + "</o>"));
    GetParam().Check(Settings.get());
}

INSTANTIATE_TEST_SUITE_P(Values, XMLValueTest, ::testing::ValuesIn(kValueCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(XMLObjectFormatTest, ACycleInTheObjectsIsWalkedOnce)
{
    auto Settings = NewSettings();
    Settings->FPart->FBack = Settings.get();
    Settings->FPart->FNote = "n";
    String Text = Compact(Settings.get());
    EXPECT_NE(Text.find("<o name=\"Part\"><p name=\"Note\">n</p></o>"), String::npos) << Text;

    // A document nested far deeper than the objects reads without recursing down its depth.
    String Deep;
    for (int I = 0; I < 100000; ++I)
        Deep += "<o name=\"Back\">";
    for (int I = 0; I < 100000; ++I)
        Deep += "</o>";
    LoadObjectFromXMLString(Settings.get(), Wrapped("<o><o name=\"Part\"><p name=\"Note\">m</p>" + Deep + "</o></o>"));
    EXPECT_EQ(Settings->FPart->FNote, "m");
}

TEST_F(XMLObjectFormatTest, EmptyOrMalformedInput)
{
    auto Settings = NewSettings();
    Settings->FCount = 5;
    auto Empty = Owned(TMemoryStream::Create());
    LoadObjectFromXMLStream(Settings.get(), Empty.get());
    EXPECT_EQ(Settings->FCount, 5);
    EXPECT_THROW(LoadObjectFromXMLString(Settings.get(), "<objects><o><p name=\"Count\">1</o>"), EDOMParseError);
    EXPECT_THROW(LoadObjectFromXMLString(Settings.get(), "objec"), EDOMParseError);
    // A document without an object reads nothing; one of another kind is no stored object.
    LoadObjectFromXMLString(Settings.get(), "<objects/>");
    EXPECT_THROW(LoadObjectFromXMLString(Settings.get(), "<html><o><p name=\"Count\">1</p></o></html>"),
                 EXMLDocError);
    EXPECT_EQ(Settings->FCount, 5);
}

TEST_F(XMLObjectFormatTest, TextFormHoldsTheDocumentBytesOneCharacterEach)
{
    auto Source = Owned(TTestPart::Create());
    Source->FNote = "Grüße €";
    String Text;
    ObjectToXMLText(Source.get(), false, Text);
    TBytes Bytes = TEncoding::ANSI()->GetBytes(Text);
    EXPECT_EQ(String(Bytes.begin(), Bytes.end()), Compact(Source.get()));
    auto Target = Owned(TTestPart::Create());
    LoadObjectFromXMLString(Target.get(), Text);
    EXPECT_EQ(Target->FNote, "Grüße €");
}

TEST_F(XMLObjectFormatTest, WrappedObjectsAreWrittenAsXMLAndReadBack)
{
    auto Source = Owned(TTestPart::Create());
    Source->FNote = "Grüße";
    Source->FLevel = 4;
    String Text;
    ASSERT_TRUE(SaveObjectToText(Source.get(), Text, false, false, nullptr));
    EXPECT_TRUE(Text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?><objects><o name=\"\"><p name=\"ObjClassName\">TTestPart"))
        << Text;
    auto Stream = Owned(TMemoryStream::Create());
    ASSERT_TRUE(SaveObjectToStream(Source.get(), Stream.get(), false, false, nullptr));
    TOwned<TObject> Read(ReadObjectFromStream(Stream.get(), nullptr, false));
    ASSERT_TRUE(Read && Read->Is<TTestPart>()) << GetErrorCode() << " " << GetErrorText();
    EXPECT_EQ(static_cast<TTestPart*>(Read.get())->FNote, "Grüße");
    EXPECT_EQ(static_cast<TTestPart*>(Read.get())->FLevel, 4);
}

TEST_F(XMLObjectFormatTest, IndentedFormPutsEachElementOnItsOwnLine)
{
    auto Part = Owned(TTestPart::Create());
    Part->FNote = "n";
    String Text;
    ObjectToXMLText(Part.get(), true, Text);
    EXPECT_EQ(Text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<objects>\n  <o>\n    <p name=\"Note\">n</p>\n"
                    "  </o>\n</objects>\n");
}

TEST_F(XMLObjectFormatTest, DocumentsBindTheirElements)
{
    TIntf<IXMLObjectsType> Root = NewObjectsDocument();
    EXPECT_FALSE(Root->O());
    TIntf<IXMLObjectType> O;
    ASSERT_TRUE(Supports(Root->AddChild("o").Get(), O));
    O->SetName("n");
    TIntf<IXMLObjectType> Second = O->I()->Add();
    O->I()->Insert(0)->SetType("T");
    O->P()->Add()->SetName("p1");
    ASSERT_EQ(O->I()->Count(), 2);
    EXPECT_EQ(O->I()->Items(0)->Type(), "T");
    EXPECT_EQ(O->I()->Items(1), Second);
    EXPECT_EQ(O->P()->Items(0)->Name(), "p1");
    EXPECT_EQ(GetObjectsRoot(Root->OwnerDocument().Get())->O()->Name(), "n");
}

}  // namespace
