#include "XNetClasses.h"

#include <gtest/gtest.h>

namespace {

std::vector<String> Names(TStrings* AList)
{
    std::vector<String> Result;
    for (int I = 0; I < AList->Count(); ++I)
        Result.push_back(AList->Names(I));
    return Result;
}

TEST(HTTPParamsWriterTest, AddAppWritesTheStandardFieldsInOrder)
{
    auto List = Owned(TStringList::Create());
    CreatePostParamsWriter(List.get())->AddApp("x", "1", "toc");
    EXPECT_EQ(Names(List.get()), (std::vector<String>{"app", "release", "cgi", "lg", "lgiso", "loc", "locp", "lociso"}));
    EXPECT_EQ(List->Strings(0), "app=x");
    EXPECT_EQ(List->Strings(1), "release=1");
    EXPECT_EQ(List->Strings(2), "cgi=toc");
}

TEST(HTTPParamsWriterTest, ScreenAndVersionFields)
{
    auto List = Owned(TStringList::Create());
    CreatePostParamsWriter(List.get())->AddLanguageAndScreen()->AddVersion();
    EXPECT_EQ(Names(List.get()), (std::vector<String>{"lg", "lgiso", "loc", "locp", "lociso", "scr", "scrr", "version"}));
    EXPECT_NE(List->Values("scr").find('x'), String::npos);
}

TEST(HTTPParamsWriterTest, PostWriterEmptiesTheListAndAppenderKeepsIt)
{
    auto List = Owned(TStringList::Create());
    List->Add("old=1");
    CreatePostParamsAppender(List.get())->Add("a", "1");
    EXPECT_EQ(List->Text(), "old=1\r\na=1\r\n");
    auto Writer = CreatePostParamsWriter(List.get());
    Writer->Add("b", "2");
    EXPECT_EQ(Writer->GetText(), "b=2\r\n");
    EXPECT_EQ(CreateOwnedPostParamsWriter("first=0")->Add("c", "3")->GetText(), "first=0\r\nc=3\r\n");
}

TEST(HTTPParamsWriterTest, GetWriterJoinsPairsUnescaped)
{
    EXPECT_EQ(CreateGetParamsWriter()->Add("a", "1")->Add("b", "2")->GetText(), "a=1&b=2");
    EXPECT_EQ(CreateGetParamsWriter()->Add("q", "x&y z")->GetText(), "q=x&y z");
}

TEST(HTTPParamsWriterTest, ScreenRatioIsTheFirstDecimal)
{
    struct TCase { int Width, Height; const char* Expected; };
    const TCase kCases[] = {{1920, 1080, "7"}, {1280, 720, "7"}, {1024, 768, "3"}, {1600, 1200, "3"},
                            {1280, 1024, "2"}, {1000, 1000, "0"}, {800, 0, "0"}};
    for (const TCase& C : kCases)
        EXPECT_EQ(FormatScreenRatio(C.Width, C.Height), C.Expected) << C.Width << "x" << C.Height;
}

}  // namespace
