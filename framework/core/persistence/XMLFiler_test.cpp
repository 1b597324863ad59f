#include "XMLFiler.h"

#include <gtest/gtest.h>

#include "Rtl.Streams.h"
#include "Rtl.TypInfo.h"
#include "XCore.Errors.h"

namespace {

class TFiledNote : public TPersistent {
    X_CLASS(TFiledNote, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Text", &TFiledNote::FText, &TFiledNote::FText);
        P.Property("Size", &TFiledNote::FSize, &TFiledNote::FSize);
    }
    String FText;
    int32_t FSize = 0;

protected:
    TFiledNote() = default;
};

String Bytes(TMemoryStream* AStream)
{
    return String(reinterpret_cast<const char*>(AStream->Memory()), static_cast<size_t>(AStream->Size()));
}

class XMLFilerTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
};

TEST_F(XMLFilerTest, StoresItsObjectAsACompactDocument)
{
    auto Source = Owned(TFiledNote::Create());
    Source->FText = "hello";
    Source->FSize = 3;
    auto Stream = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FilerSaveToStream(Stream.get(), TXMLFiler::StaticClass(), Source.get()));
    EXPECT_EQ(Bytes(Stream.get()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><objects><o><p name=\"Text\">hello</p>"
                                   "<p name=\"Size\">3</p></o></objects>");
    // Reading starts from the stream's start wherever the stream stands.
    auto Target = Owned(TFiledNote::Create());
    ASSERT_TRUE(FilerLoadFromStream(Stream.get(), TXMLFiler::StaticClass(), Target.get()));
    EXPECT_EQ(Target->FText, "hello");
    EXPECT_EQ(Target->FSize, 3);
    EXPECT_EQ(GetErrorCode(), 0);
}

TEST_F(XMLFilerTest, MalformedDocumentFailsWithItsReason)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("<objects>\n<o>", 13);
    auto Target = Owned(TFiledNote::Create());
    EXPECT_FALSE(FilerLoadFromStream(Stream.get(), TXMLFiler::StaticClass(), Target.get()));
    EXPECT_EQ(GetErrorCode(), 44);
    EXPECT_NE(GetErrorText().find("line 2"), String::npos) << GetErrorText();
    EXPECT_THROW(FilerLoadFromStream(Stream.get(), TXMLFiler::StaticClass(), Target.get(), true), Exception);
}

TEST_F(XMLFilerTest, WithoutAnObjectThereIsNothingToDo)
{
    auto Filer = Owned(TXMLFiler::Create());
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("not xml", 7);
    EXPECT_TRUE(Filer->ReadStream(Stream.get(), nullptr, false));
    Filer->PrepareGroups(nullptr, 0, {});
    EXPECT_TRUE(Filer->ReadStream(Stream.get(), nullptr, false));
    auto Out = Owned(TMemoryStream::Create());
    EXPECT_TRUE(Filer->WriteStream(Out.get(), nullptr, false));
    EXPECT_EQ(Out->Size(), 0);
}

}  // namespace
