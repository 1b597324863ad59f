// UTF-8, UTF-16 and Windows-1252 coding, byte-order marks, malformed input.
#include "Rtl.Encoding.h"

#include <gtest/gtest.h>

namespace {

TBytes Bytes(std::string_view AText)
{
    return TBytes(AText.begin(), AText.end());
}

// "A", e acute, euro sign, and U+1F600 (a surrogate pair in UTF-16).
const String kMixed = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";

struct TCodingCase {
    const char* Name;
    const TEncoding* (*Encoding)();
    TBytes Expected;
};
void PrintTo(const TCodingCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class EncodingBytesTest : public ::testing::TestWithParam<TCodingCase> {};

TEST_P(EncodingBytesTest, EncodesAndDecodesMixedText)
{
    const TEncoding* Encoding = GetParam().Encoding();
    EXPECT_EQ(Encoding->GetBytes(kMixed), GetParam().Expected);
    EXPECT_EQ(Encoding->GetString(GetParam().Expected), kMixed);
}

const TCodingCase kCodings[] = {
    {"UTF8", &TEncoding::UTF8, Bytes(kMixed)},
    {"Unicode", &TEncoding::Unicode, {0x41, 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}},
    {"BigEndianUnicode", &TEncoding::BigEndianUnicode, {0, 0x41, 0, 0xE9, 0x20, 0xAC, 0xD8, 0x3D, 0xDE, 0x00}},
};
INSTANTIATE_TEST_SUITE_P(Encodings, EncodingBytesTest, ::testing::ValuesIn(kCodings),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

struct TMalformedCase {
    const char* Name;
    const TEncoding* (*Encoding)();
    TBytes Input;
    String Expected;
};
void PrintTo(const TMalformedCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class MalformedInputTest : public ::testing::TestWithParam<TMalformedCase> {};

TEST_P(MalformedInputTest, DecodesWithReplacementCharacters)
{
    EXPECT_EQ(GetParam().Encoding()->GetString(GetParam().Input), GetParam().Expected);
}

const String kFFFD = "\xEF\xBF\xBD";
const TMalformedCase kMalformedInputs[] = {
    {"LoneContinuation", &TEncoding::UTF8, {0x80, 'a'}, kFFFD + "a"},
    {"TruncatedBeforeAscii", &TEncoding::UTF8, {0xE2, 0x82, 'A'}, kFFFD + "A"},
    {"TruncatedAtEnd", &TEncoding::UTF8, {'x', 0xF0, 0x9F, 0x98}, "x" + kFFFD},
    {"Overlong", &TEncoding::UTF8, {0xC0, 0xAF}, kFFFD + kFFFD},
    {"EncodedSurrogate", &TEncoding::UTF8, {0xED, 0xA0, 0x80}, kFFFD + kFFFD + kFFFD},
    {"PastLastCodePoint", &TEncoding::UTF8, {0xF4, 0x90, 0x80, 0x80}, kFFFD + kFFFD + kFFFD + kFFFD},
    {"InvalidLead", &TEncoding::UTF8, {0xFF, 'b'}, kFFFD + "b"},
    {"LoneHighSurrogate", &TEncoding::Unicode, {0x3D, 0xD8, 0x41, 0x00}, kFFFD + "A"},
    {"LoneLowSurrogate", &TEncoding::BigEndianUnicode, {0xDE, 0x00, 0x00, 0x42}, kFFFD + "B"},
    {"HighSurrogateAtEnd", &TEncoding::Unicode, {0x41, 0x00, 0x3D, 0xD8}, "A" + kFFFD},
    {"OddByteCount", &TEncoding::Unicode, {0x41, 0x00, 0x42}, "A" + kFFFD},
};
INSTANTIATE_TEST_SUITE_P(Inputs, MalformedInputTest, ::testing::ValuesIn(kMalformedInputs),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(EncodingTest, MalformedUtf8TextIsEncodedAsReplacementCharacter)
{
    EXPECT_EQ(TEncoding::Unicode()->GetBytes("a\xFF"), (TBytes{'a', 0, 0xFD, 0xFF}));
}

TEST(EncodingTest, AnsiCodePageRoundTripsEveryByte)
{
    TBytes All(256);
    for (size_t I = 0; I < All.size(); ++I)
        All[I] = static_cast<uint8_t>(I);
    const TEncoding* Ansi = TEncoding::ANSI();
    EXPECT_EQ(Ansi->GetBytes(Ansi->GetString(All)), All);
    // Defined bytes take their 1252 characters, undefined ones the control character of the same value.
    EXPECT_EQ(Ansi->GetString(TBytes{0x80, 0x81, 0x9F, 0xE9}), "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC3\xA9");
    EXPECT_EQ(Ansi->GetBytes("\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80\xC2\x80"), (TBytes{0x80, 0xE9, '?', '?'}));
}

struct TBomCase {
    const char* Name;
    TBytes Buffer;
    const TEncoding* (*Given)();   // nullptr: detect
    const TEncoding* (*Expected)();
    size_t Length;
};
void PrintTo(const TBomCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class BufferEncodingTest : public ::testing::TestWithParam<TBomCase> {};

TEST_P(BufferEncodingTest, FindsEncodingAndPreambleLength)
{
    const TEncoding* Encoding = GetParam().Given ? GetParam().Given() : nullptr;
    EXPECT_EQ(TEncoding::GetBufferEncoding(GetParam().Buffer, Encoding, TEncoding::ANSI()), GetParam().Length);
    EXPECT_EQ(Encoding, GetParam().Expected());
}

const TBomCase kBoms[] = {
    {"Utf8Mark", {0xEF, 0xBB, 0xBF, 'a'}, nullptr, &TEncoding::UTF8, 3},
    {"LittleEndianMark", {0xFF, 0xFE, 'a', 0}, nullptr, &TEncoding::Unicode, 2},
    {"BigEndianMark", {0xFE, 0xFF, 0, 'a'}, nullptr, &TEncoding::BigEndianUnicode, 2},
    {"NoMarkGivesDefault", {'a', 'b'}, nullptr, &TEncoding::ANSI, 0},
    {"PartialMark", {0xEF, 0xBB}, nullptr, &TEncoding::ANSI, 0},
    {"EmptyBuffer", {}, nullptr, &TEncoding::ANSI, 0},
    {"GivenWithItsMark", {0xEF, 0xBB, 0xBF, 'a'}, &TEncoding::UTF8, &TEncoding::UTF8, 3},
    {"GivenOverridesOtherMark", {0xFF, 0xFE, 'a', 0}, &TEncoding::UTF8, &TEncoding::UTF8, 0},
};
INSTANTIATE_TEST_SUITE_P(Buffers, BufferEncodingTest, ::testing::ValuesIn(kBoms),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(EncodingTest, Utf16StringsAndCodePointCount)
{
    std::u16string Wide = Utf8ToUtf16(kMixed);
    EXPECT_EQ(Wide, (std::u16string{u'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16ToUtf8(Wide), kMixed);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDE00, u'x', 0xD83D}), kFFFD + "x" + kFFFD);
    EXPECT_EQ(CodePointCount(kMixed), 4u);
    EXPECT_EQ(CodePointCount("a\xE2\x82"), 2u);
    EXPECT_EQ(CodePointCount(""), 0u);
}

}  // namespace
