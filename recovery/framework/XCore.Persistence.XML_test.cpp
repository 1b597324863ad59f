// The recovery program's form of the XML object format: streams left out, binary defined
// properties as hexadecimal lines, the document's text, and the hooks that use them.
#include "XCore.Persistence.XML.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.Encoding.h"
#include "XCore.TestStartUp.h"
#include "XObjectFiler.h"

namespace RX = XCore::Persistence::XML;

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterRecoveryFramework>);

// Published text and a nested object; a stream; binary data it defines itself.
class TTestView : public TPersistent {
    X_CLASS(TTestView, TPersistent)
public:
    int Zoom = 0;
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Zoom", &TTestView::Zoom, &TTestView::Zoom).Default(0); }

protected:
    TTestView() = default;
};

class TTestBlob : public TComponent {
    X_CLASS(TTestBlob, TComponent)
public:
    String Caption;
    std::string Data;
    TTestView* View() const { return FView.get(); }
    TMemoryStream* Stream() const { return FStream.get(); }
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TTestBlob::Caption, &TTestBlob::Caption);
        P.Property("View", &TTestBlob::View);
        P.Property("Stream", &TTestBlob::Stream);
    }
    void DefineProperties(TFiler* AFiler) override
    {
        AFiler->DefineBinaryProperty("Data", TStreamProc::Bind<&TTestBlob::ReadData>(this),
                                     TStreamProc::Bind<&TTestBlob::WriteData>(this), !Data.empty());
    }

protected:
    TTestBlob() = default;
    void Construct(TComponent* AOwner) override
    {
        FView = Owned(TTestView::Create());
        FStream = Owned(TMemoryStream::Create());
        inherited::Construct(AOwner);
    }

private:
    void ReadData(TStream* AStream)
    {
        Data.resize(static_cast<size_t>(AStream->Size()));
        AStream->ReadBuffer(Data.data(), AStream->Size());
    }
    void WriteData(TStream* AStream) { AStream->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size())); }

    TOwned<TTestView> FView;
    TOwned<TMemoryStream> FStream;
};

String Compact(TObject* AObj)
{
    auto Stream = Owned(TMemoryStream::Create());
    EXPECT_TRUE(xCompactXMLObjectFiler::SaveObject(AObj, Stream.get()));
    return String(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size()));
}

String Wrapped(const String& AObjectElement)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><objects>" + AObjectElement + "</objects>";
}

class RecoveryXMLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterClass(TTestBlob::StaticClass()); }
    TOwned<TTestBlob> Blob = Owned(TTestBlob::Create(nullptr));
};

TEST_F(RecoveryXMLTest, DefaultObjectKeepsItsNameAndNestedObjectsButNeverStreams)
{
    Blob->Stream()->WriteBuffer("abc", 3);
    EXPECT_EQ(Compact(Blob.get()), Wrapped("<o name=\"\"><o name=\"View\"/></o>"));
    Blob->SetName("Blob1");
    Blob->Caption = "x";
    Blob->Data = "\x01\xAB";
    EXPECT_EQ(Compact(Blob.get()), Wrapped("<o name=\"Blob1\"><p name=\"Caption\">x</p><o name=\"View\"/>"
                                           "<p name=\"Data\">01AB</p></o>"));
}

struct THexCase {
    const char* Name;
    size_t Size;
    String Expected;
};

// The bytes AFrom, AFrom + 1, ... as upper-case digit pairs.
String HexOf(size_t AFrom, size_t ACount)
{
    static const char kDigits[] = "0123456789ABCDEF";
    String Text;
    for (size_t I = AFrom; I < AFrom + ACount; ++I)
        Text += {kDigits[(I & 0xFF) >> 4], kDigits[I & 0x0F]};
    return Text;
}

class HexLinesTest : public RecoveryXMLTest, public ::testing::WithParamInterface<THexCase> {};

TEST_P(HexLinesTest, BinaryDataIsWrittenInLinesOf32BytesAndReadBack)
{
    for (size_t I = 0; I < GetParam().Size; ++I)
        Blob->Data += static_cast<char>(I);
    TIntf<IXMLObjectsType> Root = NewObjectsDocument();
    Root->AddChild("o");
    TIntf<IXMLObjectType> Node = Root->O();
    ASSERT_TRUE(Node);
    ASSERT_TRUE(RX::WriteObjectToXMLNode(Blob.get(), Node.Get()));
    TIntf<IXMLNode> Data = Node->ChildNodes()->FindNode("p");
    if (GetParam().Size == 0) {
        EXPECT_FALSE(Data);   // nothing to store
        return;
    }
    ASSERT_TRUE(Data);
    EXPECT_EQ(Data->Text(), GetParam().Expected);
    auto Copy = Owned(TTestBlob::Create(nullptr));
    ASSERT_TRUE(RX::ReadObjectFromXMLNode(Copy.get(), Node.Get()));
    EXPECT_EQ(Copy->Data, Blob->Data);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HexLinesTest,
                         ::testing::Values(THexCase{"None", 0, ""}, THexCase{"One", 1, "00"},
                                           THexCase{"OneLine", 32, HexOf(0, 32)},
                                           THexCase{"OneMore", 33, HexOf(0, 32) + "\r\n" + HexOf(32, 1)},
                                           THexCase{"ThreeLines", 65,
                                                    HexOf(0, 32) + "\r\n" + HexOf(32, 32) + "\r\n" + HexOf(64, 1)}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(DecodeRadixToStreamTest, SkipsSeparatorsBetweenPairsAndALoneLastDigit)
{
    auto Stream = Owned(TMemoryStream::Create());
    RX::DecodeRadixToStream("0A \r\n1B\b2c\rFF7", Stream.get(), 16);
    ASSERT_EQ(Stream->Size(), 4);
    const auto* Bytes = static_cast<const uint8_t*>(Stream->Memory());
    EXPECT_EQ(Bytes[0], 0x0A);
    EXPECT_EQ(Bytes[1], 0x1B);
    EXPECT_NE(Bytes[2], 0x2C);   // lower-case is no digit of the alphabet
    EXPECT_EQ(Bytes[3], 0xFF);
}

TEST_F(RecoveryXMLTest, ReadingMatchesBinaryNamesIgnoringCaseAndSkipsWhatTheObjectLacks)
{
    Blob->Caption = "kept";
    auto Stream = Owned(TMemoryStream::Create());
    String Text = Wrapped("<o><p name=\"Unknown\">1</p><p name=\"DATA\">41\r\n42</p><p name=\"Other\">43</p>"
                          "<o name=\"Stream\"><p name=\"Size\">9</p></o></o>");
    Stream->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    ASSERT_TRUE(xXMLObjectFiler::LoadObject(Blob.get(), Stream.get()));
    EXPECT_EQ(Blob->Data, "AB");
    EXPECT_EQ(Blob->Caption, "kept");
    EXPECT_EQ(Blob->Stream()->Size(), 0);
}

TEST_F(RecoveryXMLTest, TextIsTheDocumentsTextAndEitherTextFormReadsBack)
{
    Blob->Caption = "Grüße Фото";
    Blob->Data = "\x00\xFF";
    String Text = RX::ObjectToXMLText(Blob.get(), false);
    EXPECT_EQ(Text, Compact(Blob.get()));
    TBytes Bytes(Text.begin(), Text.end());
    String AnsiForm = TEncoding::ANSI()->GetString(Bytes);   // as the stored-object readers give it
    for (const String& Form : {Text, AnsiForm}) {
        auto Copy = Owned(TTestBlob::Create(nullptr));
        RX::LoadObjectFromXMLString(Copy.get(), Form);
        EXPECT_EQ(Copy->Caption, "Grüße Фото");
        EXPECT_EQ(Copy->Data, Blob->Data);
    }
}

TEST_F(RecoveryXMLTest, SerializerHooksCarryBinaryDataThroughTheWrappingComponent)
{
    Blob->Caption = "Grüße";
    Blob->Data = "\x10\x20\x30";
    String Text;
    ASSERT_TRUE(SaveObjectToText(Blob.get(), Text, false, false, nullptr));
    EXPECT_NE(Text.find("<p name=\"Data\">102030</p>"), String::npos) << Text;
    // Read back from the stored bytes, which the reader hands over in the ANSI code page.
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    auto Copy = Owned(AsOrNull<TTestBlob>(ReadObjectFromStream(Stream.get(), nullptr, false)));
    ASSERT_TRUE(Copy);
    EXPECT_EQ(Copy->Caption, "Grüße");
    EXPECT_EQ(Copy->Data, Blob->Data);
}

}  // namespace
