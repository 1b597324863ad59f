#include "Xml.XMLDoc.h"

#include <gtest/gtest.h>

#include "Rtl.Encoding.h"
#include "Rtl.Streams.h"

namespace {

TIntf<IXMLDocument> NewDocument()
{
    TIntf<IXMLDocument> Doc = TXMLDocument::Create(nullptr);
    Doc->SetActive(true);
    return Doc;
}

String Saved(const TIntf<IXMLDocument>& ADoc)
{
    auto Stream = Owned(TMemoryStream::Create());
    ADoc->SaveToStream(Stream.get());
    return String(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size()));
}

TIntf<IXMLDocument> Loaded(const String& ABytes)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
    TIntf<IXMLDocument> Doc = TXMLDocument::Create(nullptr);
    Doc->LoadFromStream(Stream.get());
    return Doc;
}

TIntf<IXMLDocument> SampleDocument()
{
    TIntf<IXMLDocument> Doc = NewDocument();
    Doc->SetEncoding("UTF-8");
    TIntf<IXMLNode> Root = Doc->GetDocBinding("objects", TXMLNode::StaticClass());
    TIntf<IXMLNode> O = Root->AddChild("o");
    O->SetAttribute("name", "Settings");
    TIntf<IXMLNode> P = O->AddChild("p");
    P->SetAttribute("name", "Caption");
    P->SetText("a < b & c");
    O->AddChild("i");
    return Doc;
}

TEST(XMLDocumentTest, WritesCompactAndIndentedForms)
{
    TIntf<IXMLDocument> Doc = SampleDocument();
    EXPECT_EQ(Saved(Doc), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><objects><o name=\"Settings\">"
                          "<p name=\"Caption\">a &lt; b &amp; c</p><i/></o></objects>");
    Doc->SetOptions({doNodeAutoIndent});
    EXPECT_EQ(Saved(Doc), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<objects>\n"
                          "  <o name=\"Settings\">\n"
                          "    <p name=\"Caption\">a &lt; b &amp; c</p>\n"
                          "    <i />\n"
                          "  </o>\n"
                          "</objects>\n");
}

TEST(XMLDocumentTest, SavesAtTheStreamPosition)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("head", 4);
    TIntf<IXMLDocument> Doc = NewDocument();
    Doc->GetDocBinding("objects", TXMLNode::StaticClass());
    Doc->SaveToStream(Stream.get());
    EXPECT_EQ(String(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size())),
              "head<objects/>");
}

TEST(XMLDocumentTest, ValuesSurviveARoundTrip)
{
    const String Values[] = {"a\r\nb\r\n", " ", "\r\n", "  lead and trail  ", "<&>\"'", "Grüße €", "tab\there"};
    for (bool Indented : {false, true}) {
        TIntf<IXMLDocument> Doc = NewDocument();
        Doc->SetOptions(Indented ? TXMLDocOptions{doNodeAutoIndent} : TXMLDocOptions{});
        TIntf<IXMLNode> Root = Doc->GetDocBinding("objects", TXMLNode::StaticClass());
        for (const String& Value : Values) {
            TIntf<IXMLNode> P = Root->AddChild("p");
            P->SetAttribute("name", Value);
            P->SetText(Value);
        }
        TIntf<IXMLNode> Back = Loaded(Saved(Doc))->DocumentElement();
        ASSERT_EQ(Back->ChildNodes()->Count(), static_cast<int>(std::size(Values)));
        for (int I = 0; I < Back->ChildNodes()->Count(); ++I) {
            TIntf<IXMLNode> P = Back->ChildNodes()->Nodes(I);
            EXPECT_EQ(P->Text(), Values[I]) << "indented " << Indented;
            EXPECT_EQ(P->Attributes("name"), Values[I]) << "indented " << Indented;
        }
    }
}

struct TEncodedCase {
    const char* Name;
    String Bytes;
    const char* Encoding;
};

String Utf16(const String& AText, bool ABigEndian, bool AMark)
{
    String Result;
    if (AMark)
        Result = ABigEndian ? String("\xFE\xFF") : String("\xFF\xFE");
    for (char16_t C : Utf8ToUtf16(AText)) {
        char Low = static_cast<char>(C & 0xFF);
        char High = static_cast<char>(C >> 8);
        Result += ABigEndian ? String{High, Low} : String{Low, High};
    }
    return Result;
}

const String kUtf16Doc = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a x=\"é€\">é€</a>";

const TEncodedCase kEncodedCases[] = {
    {"Utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a x=\"é€\">é€</a>", "UTF-8"},
    {"Utf8Mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><a x=\"é€\">é€</a>", ""},
    {"NoDeclaration", "<a x=\"é€\">é€</a>", ""},
    {"Utf16LittleMark", Utf16(kUtf16Doc, false, true), "UTF-16"},
    {"Utf16BigMark", Utf16(kUtf16Doc, true, true), "UTF-16"},
    {"Utf16LittleBare", Utf16(kUtf16Doc, false, false), "UTF-16"},
    {"Latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a x=\"\xE9&#8364;\">\xE9&#x20AC;</a>", "ISO-8859-1"},
    {"Windows1252", "<?xml version='1.0' encoding='windows-1252'?><a x=\"\xE9\x80\">\xE9\x80</a>", "windows-1252"},
};

class XMLEncodingTest : public ::testing::TestWithParam<TEncodedCase> {};

TEST_P(XMLEncodingTest, ReadsTheDeclaredEncodingAndWritesUtf8)
{
    TIntf<IXMLDocument> Doc = Loaded(GetParam().Bytes);
    EXPECT_EQ(Doc->Encoding(), GetParam().Encoding);
    TIntf<IXMLNode> Root = Doc->DocumentElement();
    EXPECT_EQ(Root->Text(), "é€");
    EXPECT_EQ(Root->Attributes("x"), "é€");
    // Written back, the bytes are UTF-8 and the declaration says so.
    TIntf<IXMLDocument> Again = Loaded(Saved(Doc));
    EXPECT_EQ(Again->DocumentElement()->Text(), "é€");
    if (!String(GetParam().Encoding).empty()) {
        EXPECT_EQ(Again->Encoding(), "UTF-8");
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, XMLEncodingTest, ::testing::ValuesIn(kEncodedCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

struct TMalformedCase {
    const char* Name;
    String Bytes;
    const char* Message;
};

const TMalformedCase kMalformedCases[] = {
    {"Empty", "", "line 1, column 1"},
    {"OnlyDeclaration", "<?xml version=\"1.0\"?>", "line 1"},
    {"Unclosed", "<a>\n<b>", "line 2"},
    {"Mismatched", "<a>\n  <b></c></a>", "line 2, column"},
    {"TwoRoots", "<a/>\n<b/>", "More than one document element"},
    {"TextBesideRoot", "<a/>text", "Text outside the document element"},
    {"BadAttribute", "<a x=1/>", "line 1"},
    {"Garbage", String("\x00\x01\xFF\x10<", 5), "XML parse error"},
    {"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-no-such\"?><a/>", "Unsupported encoding"},
    {"InvalidBytesOfTheEncoding", "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a>\xA1</a>", "Invalid EUC-JP text"},
};

class XMLMalformedTest : public ::testing::TestWithParam<TMalformedCase> {};

TEST_P(XMLMalformedTest, RaisesAParseErrorAndLeavesTheDocumentInactive)
{
    TIntf<IXMLDocument> Doc = NewDocument();
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(GetParam().Bytes.data(), static_cast<int64_t>(GetParam().Bytes.size()));
    try {
        Doc->LoadFromStream(Stream.get());
        FAIL() << "no exception";
    } catch (const EDOMParseError& E) {
        EXPECT_NE(E.Message().find(GetParam().Message), String::npos) << E.Message();
    }
    EXPECT_FALSE(Doc->Active());
    EXPECT_THROW(Doc->DocumentElement(), EXMLDocError);
}

INSTANTIATE_TEST_SUITE_P(Malformed, XMLMalformedTest, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(XMLDocumentTest, RefusesWhatWouldWriteMalformedXML)
{
    TIntf<IXMLDocument> Doc = NewDocument();
    TIntf<IXMLNode> Root = Doc->GetDocBinding("objects", TXMLNode::StaticClass());
    for (const char* Name : {"", "1a", "a b", "a<b", "a\"b"}) {
        EXPECT_THROW(Root->AddChild(Name), EXMLDocError) << Name;
        EXPECT_THROW(Root->SetAttribute(Name, "v"), EXMLDocError) << Name;
    }
    Root->SetText("t");
    EXPECT_THROW(Root->ChildNodes()->Nodes(0)->SetAttribute("a", "v"), EXMLDocError);
    EXPECT_THROW(Root->ChildNodes()->Nodes(0)->AddChild("a"), EXMLDocError);
}

TEST(XMLDocumentTest, InactiveDocumentHasNoContent)
{
    TIntf<IXMLDocument> Doc = TXMLDocument::Create(nullptr);
    EXPECT_FALSE(Doc->Active());
    EXPECT_THROW(Doc->DocumentElement(), EXMLDocError);
    EXPECT_THROW(Doc->SetEncoding("UTF-8"), EXMLDocError);
    auto Stream = Owned(TMemoryStream::Create());
    EXPECT_THROW(Doc->SaveToStream(Stream.get()), EXMLDocError);
    Doc->SetActive(true);
    EXPECT_FALSE(Doc->DocumentElement());
}

TEST(XMLDocumentTest, NodesOfReplacedContentSeeNothing)
{
    TIntf<IXMLDocument> Doc = Loaded("<a><b>text</b></a>");
    TIntf<IXMLNode> OldB = Doc->DocumentElement()->ChildNodes()->FindNode("b");
    ASSERT_TRUE(OldB);
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("<c/>", 4);
    Doc->LoadFromStream(Stream.get());
    EXPECT_EQ(OldB->Text(), "");
    EXPECT_EQ(OldB->ChildNodes()->Count(), 0);
    EXPECT_THROW(OldB->AddChild("x"), EXMLDocError);
    EXPECT_THROW(OldB->SetText("x"), EXMLDocError);
    EXPECT_EQ(Doc->DocumentElement()->NodeName(), "c");
}

TEST(XMLDocumentTest, NodesKeepADocumentWithoutOwnerAlive)
{
    TIntf<IXMLNode> Root;
    {
        TIntf<IXMLDocument> Doc = Loaded("<a>x</a>");
        Root = Doc->DocumentElement();
    }
    EXPECT_EQ(Root->Text(), "x");
    EXPECT_EQ(Root->OwnerDocument()->DocumentElement(), Root);
}

TEST(XMLDocumentTest, OwnedDocumentIsFreedByItsOwner)
{
    auto Owner = Owned(TComponent::Create(nullptr));
    TXMLDocument* Doc = TXMLDocument::Create(Owner.get());
    Doc->SetActive(true);
    {
        TIntf<IXMLNode> Root = Doc->GetDocBinding("a", TXMLNode::StaticClass());
        Root->AddChild("b");
    }
    EXPECT_EQ(Doc->DocumentElement()->ChildNodes()->Count(), 1);
}

TEST(XMLDocumentTest, ChildNodesFollowTheTree)
{
    TIntf<IXMLDocument> Doc = Loaded("<a>lead<b/><c/></a>");
    TIntf<IXMLNode> Root = Doc->DocumentElement();
    TIntf<IXMLNodeList> Children = Root->ChildNodes();
    ASSERT_EQ(Children->Count(), 3);
    EXPECT_EQ(Children->Nodes(0)->NodeType(), ntText);
    EXPECT_EQ(Children->Nodes(0)->NodeName(), "#text");
    TIntf<IXMLNode> B = Children->Nodes(1);
    Root->AddChild("first", 0);
    Root->AddChild("last");
    ASSERT_EQ(Children->Count(), 5);
    EXPECT_EQ(Children->Nodes(0)->NodeName(), "first");
    EXPECT_EQ(Children->Nodes(2), B);   // the same node object after the list changed
    EXPECT_EQ(Children->Nodes(4)->NodeName(), "last");
    EXPECT_EQ(Children->FindNode("c"), Children->Nodes(3));
    EXPECT_FALSE(Children->FindNode("#text"));
    EXPECT_THROW(Children->Nodes(5), EListError);
    EXPECT_THROW(Children->Nodes(-1), EListError);
}

// ---- Data binding ------------------------------------------------------------------------

class TTestEntry : public TXMLNode {
    X_CLASS(TTestEntry, TXMLNode)
public:
    String Key() { return Attributes("key"); }

protected:
    TTestEntry() = default;
};

class TTestEntryList : public TXMLNodeCollection {
    X_CLASS(TTestEntryList, TXMLNodeCollection)
public:
    TTestEntry* Add() { return Entry(AddItem(-1)); }
    TTestEntry* Insert(int AIndex) { return Entry(AddItem(AIndex)); }
    TTestEntry* Items(int AIndex) { return Entry(Nodes(AIndex)); }

protected:
    TTestEntryList() = default;

private:
    static TTestEntry* Entry(const TIntf<IXMLNode>& ANode) { return As<TTestEntry>(ObjectOf(ANode.Get())); }
};

class TTestBook : public TXMLNode {
    X_CLASS(TTestBook, TXMLNode)
public:
    void AfterConstruction() override
    {
        inherited::AfterConstruction();
        RegisterChildNode("e", TTestEntry::StaticClass());
        FEntries = CreateCollection<TTestEntryList>("e");
    }
    TTestEntryList* Entries() { return FEntries; }

protected:
    TTestBook() = default;

private:
    TTestEntryList* FEntries = nullptr;
};

TEST(XMLBindingTest, RegisteredChildrenAreMadeOfTheirClass)
{
    TIntf<IXMLDocument> Doc = Loaded("<book><e key=\"1\"/><note/><e key=\"2\"/></book>");
    auto* Book = As<TTestBook>(ObjectOf(Doc->GetDocBinding("book", TTestBook::StaticClass()).Get()));
    TTestEntryList* Entries = Book->Entries();
    ASSERT_EQ(Entries->Count(), 2);
    EXPECT_EQ(Entries->Items(0)->Key(), "1");
    EXPECT_EQ(Entries->Items(1)->Key(), "2");
    EXPECT_FALSE(ObjectOf(Book->ChildNodes()->Nodes(1).Get())->Is<TTestEntry>());
    EXPECT_THROW(Entries->Items(2), EListError);
}

TEST(XMLBindingTest, CollectionsAddAndInsertAmongTheirItems)
{
    TIntf<IXMLDocument> Doc = NewDocument();
    auto* Book = As<TTestBook>(ObjectOf(Doc->GetDocBinding("book", TTestBook::StaticClass()).Get()));
    TTestEntryList* Entries = Book->Entries();
    Entries->Add()->SetAttribute("key", "a");
    Book->AddChild("note");
    Entries->Add()->SetAttribute("key", "c");
    Entries->Insert(1)->SetAttribute("key", "b");
    Entries->Insert(9)->SetAttribute("key", "d");
    EXPECT_EQ(Saved(Doc), "<book><e key=\"a\"/><note/><e key=\"b\"/><e key=\"c\"/><e key=\"d\"/></book>");
    ASSERT_EQ(Entries->Count(), 4);
    EXPECT_EQ(Entries->Items(2)->Key(), "c");
}

}  // namespace
