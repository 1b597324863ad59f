#include "XNet.Jobs.h"

#include <gtest/gtest.h>

#include "XCore.Errors.h"
#include "XCore.Strings.h"

namespace {

struct TReplyCase {
    const char* Name;
    const char* Reply;
    bool Parsed;
    int32_t Error;
    uint8_t Code;
    const char* Data;
};

String Status(const char* ACode, const char* AFormat)
{
    return String("<cgi_status><code>") + ACode + "</code><format>" + AFormat + "</format></cgi_status>";
}

class NetDataFilerTest : public ::testing::TestWithParam<TReplyCase> {
protected:
    void SetUp() override { ClearError(); }
};

TEST_P(NetDataFilerTest, ParsesStatusAndPayload)
{
    auto Parser = Owned(TXNetDataFiler::Create());
    Parser->Buffer()->WriteString(GetParam().Reply);
    EXPECT_EQ(Parser->Parse(), GetParam().Parsed);
    EXPECT_EQ(GetErrorCode(), GetParam().Error);
    EXPECT_EQ(Parser->Code(), GetParam().Code);
    EXPECT_EQ(Parser->Data(), GetParam().Data);
    EXPECT_EQ(Parser->Buffer()->Size(), 0);
}

const String kOk = Status("1", "0");
const String kAbc = kOk + "<cgi_data>abc</cgi_data>";
const String kNested = kOk + "<cgi_data>a</cgi_data>b</cgi_data>";
const String kFormat7 = Status("1", "7") + "<cgi_data>x y</cgi_data>";
const String kCoded = Status("1", "1") + "<cgi_data>" + EncodeRadix("Hi", 25) + "</cgi_data>";
const String kNothingNew = Status("2", "0") + "<cgi_data>abc</cgi_data>";
const String kServerFailure = Status("3", "0");
const String kCode9 = Status("9", "0") + "<cgi_data>abc</cgi_data>";
const String kCodeOutside = "<code>1</code><cgi_status></cgi_status><cgi_data>abc</cgi_data>";
const String kTruncated = "<cgi_status><code>1</code><format>0</format><cgi_data>abc";

const TReplyCase kReplies[] = {
    {"Success", kAbc.c_str(), true, 0, rsOK, "abc"},
    {"PayloadHoldsTheClosingTag", kNested.c_str(), true, 0, rsOK, "a</cgi_data>b"},
    {"UnknownFormatIsTakenUnchanged", kFormat7.c_str(), true, 0, rsOK, "x y"},
    {"Format1IsRadixCoded", kCoded.c_str(), true, 0, rsOK, "Hi"},
    {"NothingNew", kNothingNew.c_str(), true, nrNothingNew, rsNothingNew, ""},
    {"ServerFailure", kServerFailure.c_str(), false, nrServerFailure, rsServerFailure, ""},
    {"UnknownCode", kCode9.c_str(), false, nrBadReply, rsBad, ""},
    {"NoStatusBlock", "<cgi_data>abc</cgi_data>", false, nrBadReply, rsBad, ""},
    {"CodeOutsideTheStatusBlock", kCodeOutside.c_str(), false, nrBadReply, rsBad, ""},
    {"TruncatedStatus", kTruncated.c_str(), false, nrBadReply, rsBad, ""},
    {"NotANumber", "<cgi_status><code>x1</code></cgi_status>", false, nrBadReply, rsBad, ""},
    {"Empty", "", false, nrBadReply, rsBad, ""},
};
INSTANTIATE_TEST_SUITE_P(Replies, NetDataFilerTest, ::testing::ValuesIn(kReplies),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(NetFileCollectionTest, AddFindsExistingItemsAndTellsSizes)
{
    auto Files = Owned(TXNetFileCollection::Create(nullptr));
    TXNetFileItem* Get = Files->AddFile("http://a/1", "/tmp/1");
    EXPECT_EQ(Files->AddFile("http://a/1", "/tmp/1"), Get);
    EXPECT_NE(Files->AddFile("http://a/1", "/tmp/other"), Get);
    TXNetFileItem* Post = Files->AddPost("http://a/1", "/tmp/1", "a=1\r\nb=2");
    EXPECT_NE(Post, Get);
    EXPECT_TRUE(Post->IsPost());
    EXPECT_EQ(Post->PostFields()->Count(), 2);
    EXPECT_EQ(Files->AddPost("http://a/1", "/tmp/1", "a=1\r\nb=2"), Post);
    EXPECT_FALSE(Get->IsPost());

    EXPECT_EQ(Files->FindByUrl("http://a/1"), Get);
    EXPECT_EQ(Files->FindByUrl("HTTP://a/1"), nullptr);
    EXPECT_EQ(Files->FindByUrl(""), nullptr);

    EXPECT_FALSE(Files->AllSized());
    for (int I = 0; I < Files->Count(); ++I)
        Files->Items(I)->SetSize(I == 0 ? -1 : 10);
    Files->Items(0)->SetUrl("");   // skipped items need no size
    EXPECT_TRUE(Files->AllSized());
    EXPECT_FALSE(Files->AnyOfferOpen());
    Post->SetOfferOpen(true);
    EXPECT_TRUE(Files->AnyOfferOpen());
}

TEST(NetFileCollectionTest, AssignCopiesFieldsAndData)
{
    auto Files = Owned(TXNetFileCollection::Create(nullptr));
    TXNetFileItem* Item = Files->AddPost("http://a/q.cgi", "", "x=1");
    Item->Data()->WriteBuffer("body", 4);
    Item->SetSize(4);
    Item->SetFetched(true);
    auto Copy = Owned(TXNetFileCollection::Create(nullptr));
    Copy->Assign(Files.get());
    TXNetFileItem* Copied = Copy->Items(0);
    EXPECT_EQ(Copied->Url(), "http://a/q.cgi");
    EXPECT_EQ(Copied->PostFields()->Text(), "x=1\r\n");
    EXPECT_TRUE(Copied->IsPost());
    EXPECT_EQ(Copied->Size(), 4);
    EXPECT_TRUE(Copied->Fetched());
    EXPECT_EQ(Copied->Data()->Size(), 4);
}

}  // namespace
