// Size, duration and Boolean texts, ANSI text files and folding.
#include "XCore.Strings.Utils.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "XCore.Strings.h"

namespace {

TEST(TextHelpersTest, SizesDurationsAndDimensions)
{
    EXPECT_EQ(FormatSizeKBMB(1024, 500 * 1024), "500.00 KB");
    EXPECT_EQ(FormatSizeKBMB(1024, 2 * 1048576), "2.00 MB");
    EXPECT_EQ(FormatSizeKBMB(1024, 1024 * 1024), "1.00 MB");   // the limit itself is MB
    EXPECT_EQ(FormatSizeKBMB(900, 1536), "1.50 KB");

    struct TCase {
        int64_t Seconds;
        const char* Text;
    };
    const TCase kDurations[] = {
        {3725, "1 h 2 min"},
        {125, "2 min 5 s"},
        {0, "0 min 0 s"},
        {3600, "1 h 0 min"},
        {100000, "27 h 46 min"},   // a day and more is still told in hours
        {-5, "0 min 0 s"},
    };
    for (const TCase& Case : kDurations)
        EXPECT_EQ(FormatDuration("h", "min", "s", Case.Seconds), Case.Text) << Case.Seconds;

    EXPECT_EQ(FormatDimensions(640, 480), "640x480");
}

TEST(TextHelpersTest, ParseBoolText)
{
    struct TCase {
        const char* Text;
        bool Value;
    };
    const TCase kCases[] = {
        {"", false},   {"true", true}, {"True", true}, {"False", false}, {"f", false},
        {"0", false},  {"2", true},    {"-1", true},   {"x", false},     {" 1", false},
    };
    for (const TCase& Case : kCases)
        EXPECT_EQ(ParseBoolText(Case.Text), Case.Value) << '"' << Case.Text << '"';
}

TEST(TextHelpersTest, FoldAndUnfoldAreInversesOverWholeCharacters)
{
    EXPECT_EQ(FoldText("abcde"), "aebdc");
    EXPECT_EQ(UnfoldText("aebdc"), "abcde");
    EXPECT_EQ(FoldText("abcd"), "adbc");
    const char* kTexts[] = {"", "a", "ab", "abcdef", "p\xC3\xA4ss w\xE2\x82\xAC rd"};
    for (const char* Text : kTexts)
        EXPECT_EQ(UnfoldText(FoldText(Text)), Text) << Text;
    EXPECT_EQ(FoldText("\xC3\xA4" "b"), "\xC3\xA4" "b");   // "äb": two characters, not three bytes
}

TEST(TextHelpersTest, ReadStreamTextCountsAndFailures)
{
    auto Stream = Owned(TXRawStringStream::Create(String("caf\xE9 au lait")));   // 1252 bytes
    String Text = "before";
    Stream->SetPosition(0);
    ASSERT_TRUE(ReadStreamText(Stream.get(), 4, Text));
    EXPECT_EQ(Text, "caf\xC3\xA9");
    ASSERT_TRUE(ReadStreamText(Stream.get(), -1, Text));
    EXPECT_EQ(Text, " au lait");
    ASSERT_TRUE(ReadStreamText(Stream.get(), 0, Text));
    EXPECT_EQ(Text, "");

    Text = "kept";
    Stream->SetPosition(10);
    EXPECT_FALSE(ReadStreamText(Stream.get(), 5, Text));
    EXPECT_FALSE(ReadStreamText(Stream.get(), int64_t(1) << 50, Text));
    EXPECT_EQ(Text, "kept");
}

TEST(TextHelpersTest, TextFilesRoundTripInTheAnsiCodePage)
{
    char Folder[] = "/tmp/strutils-XXXXXX";
    ASSERT_NE(mkdtemp(Folder), nullptr);
    String FileName = String(Folder) + "/colours.txt";
    SaveTextToFile(FileName, "Gr\xC3\xBCn");
    TBytes Bytes = ReadFileBytes(FileName);
    EXPECT_EQ(Bytes, (TBytes{'G', 'r', 0xFC, 'n'}));
    EXPECT_EQ(LoadTextFromFile(FileName), "Gr\xC3\xBCn");

    SaveTextToFile(FileName, "x");
    EXPECT_EQ(LoadTextFromFile(FileName), "x");
    EXPECT_THROW(LoadTextFromFile(String(Folder) + "/missing.txt"), EFOpenError);
    RemoveDirRecursive(Folder);
}

}  // namespace
