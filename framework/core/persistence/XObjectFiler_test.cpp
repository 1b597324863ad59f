// Objects as component text and back through the wrapping component: the written text, the
// entry points and their error codes, the stored-text sniffing, the hooks, collection items
// and object collections.
#include "XObjectFiler.h"

#include <gtest/gtest.h>

#include "Rtl.Strings.h"
#include "Rtl.TestRestore.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"

namespace {

using XClasses::TXYCollectionItem;

class TZShape : public TXPersistent {
    X_CLASS(TZShape, TXPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TZShape::FCaption, &TZShape::FCaption);
        P.Property("Width", &TZShape::FWidth, &TZShape::FWidth).Default(0);
        P.Property("Lines", &TZShape::FLines);
        P.Property("OnChange", &TZShape::FOnChange, &TZShape::FOnChange);
    }
    bool AssignFrom(TPersistent* ASource) override
    {
        auto* Source = AsOrNull<TZShape>(ASource);
        if (Source == nullptr)
            return false;
        FCaption = Source->FCaption;
        FWidth = Source->FWidth;
        FLines->Assign(Source->FLines);
        return true;
    }
    String FCaption;
    int32_t FWidth = 0;
    TStrings* FLines = nullptr;
    TNotifyEvent FOnChange;

protected:
    TZShape() = default;
    ~TZShape() override { FLines->Free(); }
    void Init() override { FLines = TStringList::Create(); }
};

class TZCircle : public TZShape {
    X_CLASS(TZCircle, TZShape)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Radius", &TZCircle::FRadius, &TZCircle::FRadius); }
    int32_t FRadius = 0;

protected:
    TZCircle() = default;
};

// What a page keeps its embedded objects in.
class TZPage : public TXPersistent {
    X_CLASS(TZPage, TXPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Items", &TZPage::FItems); }
    TXObjectCollection* FItems = nullptr;

protected:
    TZPage() = default;
    ~TZPage() override { FItems->Free(); }
    void Init() override { FItems = TXObjectCollection::Create(TXObjectItem::StaticClass()); }
};

class TZForm : public TComponent {
    X_CLASS(TZForm, TComponent)
public:
    void ShapeChanged(TObject* ASender) { FChanged = ASender; }
    static void DeclareProperties(TPropertyDeclarer& P) { P.Method<&TZForm::ShapeChanged>("ShapeChanged"); }
    TObject* FChanged = nullptr;

protected:
    TZForm() = default;
};

// Counts its constructions: a read that was refused must not have made one.
class TZSpy : public TXPersistent {
    X_CLASS(TZSpy, TXPersistent)
public:
    static inline int Made = 0;

protected:
    TZSpy() = default;
    void Init() override { ++Made; }
};

class ObjectFilerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RegisterClasses({TZShape::StaticClass(), TZCircle::StaticClass(), TZPage::StaticClass(), TZSpy::StaticClass()});
    }
    void SetUp() override { ClearError(); }
};

TOwned<TZShape> MakeShape()
{
    auto Shape = Owned(TZShape::Create());
    Shape->FCaption = "box";
    Shape->FWidth = 5;
    Shape->FLines->Add("a");
    return Shape;
}

TOwned<TMemoryStream> StreamOf(const String& AText)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AText.data(), static_cast<int64_t>(AText.size()));
    Stream->SetPosition(0);
    return Stream;
}

const String kShapeText = "object TXObjectComponent\r\n"
                          "  ObjClassName = 'TZShape'\r\n"
                          "  Obj.Caption = 'box'\r\n"
                          "  Obj.Width = 5\r\n"
                          "  Obj.Lines.Strings = (\r\n"
                          "    'a')\r\n"
                          "end\r\n";

TEST_F(ObjectFilerTest, SavesComponentTextAndLoadsItBack)
{
    auto Shape = MakeShape();
    String Text;
    ASSERT_TRUE(SaveObjectToText(Shape.get(), Text, true, false, nullptr));
    EXPECT_EQ(Text, kShapeText);

    auto Target = Owned(TZShape::Create());
    ASSERT_TRUE(LoadObjectFromText(Target.get(), Text, nullptr, false));
    EXPECT_EQ(Target->FCaption, "box");
    EXPECT_EQ(Target->FWidth, 5);
    EXPECT_EQ(Target->FLines->Text(), "a\r\n");

    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("old bytes that go", 17);
    ASSERT_TRUE(SaveObjectToStream(Shape.get(), Stream.get(), true, false, nullptr));
    TOwned<TObject> Read(ReadObjectFromStream(Stream.get(), nullptr, false));
    auto* Copy = AsOrNull<TZShape>(Read.get());
    ASSERT_NE(Copy, nullptr);
    EXPECT_EQ(Copy->FCaption, "box");
    EXPECT_EQ(GetErrorCode(), 0);
}

struct TBadFilerData {
    const char* Name;
    String Data;
};

const TBadFilerData kBadData[] = {
    {"Empty", ""},
    {"UnknownClass", "object TXObjectComponent\r\n  ObjClassName = 'TZNoSuch'\r\nend\r\n"},
    {"NoClassName", "object TXObjectComponent\r\nend\r\n"},
    {"Truncated", kShapeText.substr(0, 60)},
    {"MalformedValue", "object TXObjectComponent\r\n  ObjClassName = 'TZShape'\r\n  Obj.Width = (\r\nend\r\n"},
};

class BadDataTest : public ObjectFilerTest, public ::testing::WithParamInterface<TBadFilerData> {};

TEST_P(BadDataTest, FailsWithReadError)
{
    auto Stream = StreamOf(GetParam().Data);
    EXPECT_EQ(ReadObjectFromStream(Stream.get(), nullptr, false), nullptr);
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_THROW(ReadObjectFromStream(Stream.get(), nullptr, true), EXError);

    auto Target = MakeShape();
    ClearError();
    EXPECT_FALSE(LoadObjectFromStream(Target.get(), Stream.get(), nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_EQ(Target->FCaption, "box");
}

INSTANTIATE_TEST_SUITE_P(Data, BadDataTest, ::testing::ValuesIn(kBadData),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// The class a file names is checked against what the reader expects before anything is
// made: a shape's file may hold a circle, never a class of another family.
TEST_F(ObjectFilerTest, ReadersRefuseClassesTheyDoNotExpectBeforeMakingThem)
{
    const String SpyText = "object TXObjectComponent\r\n  ObjClassName = 'TZSpy'\r\nend\r\n";
    TZSpy::Made = 0;
    auto Target = MakeShape();
    EXPECT_FALSE(LoadObjectFromText(Target.get(), SpyText, nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_NE(GetErrorText().find("TZSpy"), String::npos) << GetErrorText();
    EXPECT_FALSE(LoadObjectFromStream(Target.get(), StreamOf(SpyText).get(), nullptr, false));
    EXPECT_EQ(ReadObjectFromStream(StreamOf(SpyText).get(), nullptr, false, TZShape::StaticClass()), nullptr);
    EXPECT_EQ(TZSpy::Made, 0);
    EXPECT_EQ(Target->FCaption, "box");

    auto Circle = Owned(TZCircle::Create());
    Circle->FRadius = 3;
    String Text;
    ASSERT_TRUE(SaveObjectToText(Circle.get(), Text, true, false, nullptr));
    TOwned<TObject> Read(ReadObjectFromStream(StreamOf(Text).get(), nullptr, false, TZShape::StaticClass()));
    EXPECT_NE(AsOrNull<TZCircle>(Read.get()), nullptr);
}

TEST_F(ObjectFilerTest, ReaderSkipsWhatItCannotApplyAndFindsHandlersOnTheOwner)
{
    auto Form = Owned(TZForm::Create(nullptr));
    auto* Component = TXObjectComponent::Create(Form.get());
    Component->SetName("Wrapper");
    auto Shape = Owned(TZShape::Create());
    Component->SetObj(Shape.get());
    TextToComponent("object Obj1: TXObjectComponent\r\n"
                    "  ObjClassName = 'TZShape'\r\n"
                    "  Obj.Bogus = 1\r\n"
                    "  Obj.Width = 'not a number'\r\n"
                    "  Obj.OnChange = ShapeChanged\r\n"
                    "  Obj.Caption = 'kept'\r\n"
                    "end\r\n",
                    Component);
    EXPECT_EQ(Component->Name(), "Wrapper");
    EXPECT_EQ(Component->Obj(), Shape.get());
    EXPECT_EQ(Shape->FCaption, "kept");
    EXPECT_EQ(Shape->FWidth, 0);
    ASSERT_TRUE(Shape->FOnChange);
    Shape->FOnChange(Shape.get());
    EXPECT_EQ(Form->FChanged, Shape.get());
}

TEST_F(ObjectFilerTest, ReadObjectTextTellsStoredFormsApart)
{
    const String Xml = "<?xml version=\"1.0\"?><objects/>";
    const String BomXml = "\xEF\xBB\xBF<?xml version=\"1.0\"?>";
    for (const String& Plain : {kShapeText, Xml, BomXml}) {
        String Text;
        auto Stream = StreamOf(Plain);
        ASSERT_TRUE(ReadObjectText(Stream.get(), Text));
        EXPECT_EQ(TEncoding::ANSI()->GetBytes(Text), TBytes(Plain.begin(), Plain.end()));
    }

    auto Source = StreamOf(kShapeText);
    auto Packed = Owned(TMemoryStream::Create());
    ASSERT_TRUE(WriteObjectData(Source.get(), Packed.get(), true));
    EXPECT_NE(Packed->Size(), Source->Size());
    String Text;
    ASSERT_TRUE(ReadObjectText(Packed.get(), Text));
    EXPECT_EQ(Text, kShapeText);

    auto Raw = Owned(TMemoryStream::Create());
    ASSERT_TRUE(WriteObjectData(Source.get(), Raw.get(), false));
    EXPECT_EQ(Raw->Size(), Source->Size());

    auto Garbage = StreamOf("not zlib at all");
    EXPECT_FALSE(ReadObjectText(Garbage.get(), Text));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_EQ(Text, "");

    // Settings are a few kilobytes: a small file that inflates past the bound of such
    // documents is refused instead of filling memory.
    auto Bomb = StreamOf(kShapeText + String(kXZDocumentLimit, ' '));
    auto PackedBomb = Owned(TMemoryStream::Create());
    ASSERT_TRUE(WriteObjectData(Bomb.get(), PackedBomb.get(), true));
    EXPECT_LT(PackedBomb->Size(), 64 * 1024);
    EXPECT_FALSE(ReadObjectText(PackedBomb.get(), Text));
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

TEST_F(ObjectFilerTest, ExtractTextValue)
{
    const String Text = "object X\r\n  objclassname =   'TZShape'  \r\n  Width = 5\r\n  Last = 1";
    EXPECT_EQ(ExtractTextValue(Text, "ObjClassName"), "'TZShape'");
    EXPECT_EQ(ExtractTextValue(Text, "Width"), "5");
    EXPECT_EQ(ExtractTextValue(Text, "Height"), "");
    EXPECT_EQ(ExtractTextValue(Text, "Last"), "");   // no line end after it
}

// Hooks that record what reached them, standing in for the XML format.
struct THookLog {
    static inline std::vector<String> Calls;
    static String ObjectToText(TComponent*)
    {
        Calls.push_back("ObjectToText");
        return "<xml/>";
    }
    static TComponent* TextToObject(const String& AText, TComponent* AComponent)
    {
        Calls.push_back("TextToObject " + AText.substr(0, 5));
        return AComponent;
    }
    static void ObjectToStream(TComponent*, TStream* AStream)
    {
        Calls.push_back("ObjectToStream");
        AStream->WriteBuffer("<x/>", 4);
    }
    static TComponent* StreamToObject(TStream* AStream, TComponent* AComponent)
    {
        Calls.push_back("StreamToObject " + IntToStr(AStream->Position()));
        return AComponent;
    }
};

class HookTest : public ObjectFilerTest {
protected:
    void SetUp() override
    {
        ObjectFilerTest::SetUp();
        THookLog::Calls.clear();
        ObjectToTextHook = &THookLog::ObjectToText;
        TextToObjectHook = &THookLog::TextToObject;
        ObjectToStreamHook = &THookLog::ObjectToStream;
        StreamToObjectHook = &THookLog::StreamToObject;
    }

    // The hooks the process had, back after each test.
    TRestore<TXObjectToTextHook> FObjectToText{ObjectToTextHook};
    TRestore<TXTextToObjectHook> FTextToObject{TextToObjectHook};
    TRestore<TXObjectToStreamHook> FObjectToStream{ObjectToStreamHook};
    TRestore<TXStreamToObjectHook> FStreamToObject{StreamToObjectHook};
};

TEST_F(HookTest, EverythingButComponentTextGoesThroughTheHooks)
{
    auto Shape = MakeShape();
    String Text;
    ASSERT_TRUE(SaveObjectToText(Shape.get(), Text, false, false, nullptr));
    EXPECT_EQ(Text, "<xml/>");
    auto Stream = Owned(TMemoryStream::Create());
    ASSERT_TRUE(SaveObjectToStream(Shape.get(), Stream.get(), false, false, nullptr));

    // XML names its class in the first ObjClassName property element.
    auto Target = Owned(TZShape::Create());
    ASSERT_TRUE(LoadObjectFromText(Target.get(),
                                   "<?xml?><objects><o><p name=\"ObjClassName\">TZCircle</p></o></objects>",
                                   nullptr, false));
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    EXPECT_EQ(StreamToComponent(Owned(TMemoryStream::Create()).get(), Component.get()), Component.get());
    auto Xml = StreamOf("<?xml?>");
    Xml->SetPosition(3);
    StreamToComponent(Xml.get(), Component.get());
    EXPECT_EQ(THookLog::Calls, (std::vector<String>{"ObjectToText", "ObjectToStream", "TextToObject <?xml",
                                                    "StreamToObject 0"}));
}

TEST_F(ObjectFilerTest, ObjClassNameSetters)
{
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    auto Shape = MakeShape();
    Component->SetObj(Shape.get());
    Component->SetObjClassName("TZShape");
    EXPECT_EQ(Component->Obj(), Shape.get());
    Component->SetObjClassName("TZCircle");
    EXPECT_EQ(Component->Obj(), nullptr);
    EXPECT_EQ(Component->ObjClass(), TZCircle::StaticClass());
    EXPECT_THROW(Component->SetObjClassName("TZNoSuch"), EClassNotFound);
    Component->SetObjClass(nullptr);
    EXPECT_EQ(Component->ObjClassName(), "");
}

TEST_F(ObjectFilerTest, CollectionItemKeepsItsClassAndAFailedReadRemovesIt)
{
    auto Items = Owned(TCollection::Create(TXYCollectionItem::StaticClass()));
    auto Item = Owned(TXYCollectionItem::Create(nullptr));
    Item->SetDisplayName("hello");
    Item->SetLgID(7);
    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXObjectComponent::Create(nullptr));
    ASSERT_TRUE(Writer->SaveObject(Item.get(), Stream.get(), false, true));

    auto Reader = Owned(TXObjectComponent::Create(nullptr));
    // The text names another class; the collection's item class is what gets read.
    String Text = TEncoding::ANSI()->GetString(TBytes(Stream->Memory(), Stream->Memory() + Stream->Size()));
    auto Renamed = StreamOf(Text.replace(Text.find("'TXYCollectionItem'"), 19, "'TZShape'"));
    ASSERT_TRUE(Reader->ReadCollectionItem(Items.get(), Renamed.get(), false));
    ASSERT_EQ(Items->Count(), 1);
    auto* Read = As<TXYCollectionItem>(Items->Items(0));
    EXPECT_EQ(Read->GetDisplayName(), "hello");
    EXPECT_EQ(Read->LgID(), 7u);

    auto Bad = StreamOf("object TXObjectComponent\r\n  Obj.Name = (\r\n");
    EXPECT_FALSE(Reader->ReadCollectionItem(Items.get(), Bad.get(), false));
    EXPECT_EQ(Items->Count(), 1);
    EXPECT_EQ(GetErrorCode(), kErrRead);
}

TEST_F(ObjectFilerTest, ObjectCollectionMakesEachItemsClassAndHandsTheObjectsOut)
{
    auto Page = Owned(TZPage::Create());
    auto* First = static_cast<TXObjectItem*>(Page->FItems->Add());
    auto Circle = TZCircle::Create();
    Circle->FRadius = 3;
    Circle->FCaption = "round";
    First->SetObj(Circle);
    auto* Second = static_cast<TXObjectItem*>(Page->FItems->Add());
    Second->SetObjClassName("TZShape");
    static_cast<TZShape*>(Second->Obj())->FWidth = 9;
    String Text;
    ASSERT_TRUE(SaveObjectToText(Page.get(), Text, true, false, nullptr));
    auto Written = Owned(TObjectList::Create());
    Page->FItems->ExtractObjects(Written.get());
    EXPECT_EQ(Page->FItems->Count(), 0);
    ASSERT_EQ(Written->Count(), 2);

    auto Stream = StreamOf(Text);
    TOwned<TObject> Read(ReadObjectFromStream(Stream.get(), nullptr, false));
    auto* ReadPage = As<TZPage>(Read.get());
    ASSERT_EQ(ReadPage->FItems->Count(), 2);
    auto Objects = Owned(TObjectList::Create());
    Objects->Add(TZShape::Create());   // cleared first
    ReadPage->FItems->ExtractObjects(Objects.get());
    ASSERT_EQ(Objects->Count(), 2);
    auto* ReadCircle = As<TZCircle>(Objects->Items(0));
    EXPECT_EQ(ReadCircle->FRadius, 3);
    EXPECT_EQ(ReadCircle->FCaption, "round");
    EXPECT_EQ(As<TZShape>(Objects->Items(1))->FWidth, 9);
    EXPECT_EQ(Objects->Items(1)->ClassType(), TZShape::StaticClass());
}

}  // namespace
