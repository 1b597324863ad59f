// Text helpers: search, extraction, replacement, quoting, tags, the radix coding, padding and
// fields, with non-Latin text wherever characters and bytes could be confused.
#include "XCore.Strings.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>

#include "Rtl.Files.h"
#include "Rtl.Strings.h"
#include "Rtl.SysUtils.h"

namespace {

struct TPosCase {
    const char* SubStr;
    const char* Text;
    int Start;
    int Expected;
};

TEST(XCoreStringsTest, PosFromFindsTheFirstOccurrenceAtOrAfterStart)
{
    const TPosCase Cases[] = {
        {"ab", "aab", 1, 2},       // the failed partial match at 1 restarts at 2
        {"b", "abc", 0, 2},        // a start below 1 counts as 1
        {"", "abc", 1, 0},
        {"a", "", 1, 0},
        {"a", "aXa", 2, 3},
        {"a", "abc", 4, 0},        // past the end
        {"при", "Априпри", 4, 9},  // byte positions: "А" and each letter are two bytes
    };
    for (const TPosCase& Case : Cases)
        EXPECT_EQ(PosFrom(Case.SubStr, Case.Text, Case.Start), Case.Expected) << Case.SubStr << " in " << Case.Text;
}

TEST(XCoreStringsTest, PosFromIgnoreCaseMatchesEitherCaseOfThePattern)
{
    const TPosCase Cases[] = {
        {"AB", "xaB", 1, 2},
        {"ПРИ", "жПрИ", 1, 3},   // Cyrillic folds too
        {"σ", "ΑΣ", 1, 3},
        {"b", "aab", 4, 0},
        {"", "a", 1, 0},
    };
    for (const TPosCase& Case : Cases)
        EXPECT_EQ(PosFromIgnoreCase(Case.SubStr, Case.Text, Case.Start), Case.Expected) << Case.SubStr;
}

TEST(XCoreStringsTest, SameTextIgnoreCaseComparesWholeTextsInAnyScript)
{
    EXPECT_TRUE(SameTextIgnoreCase("Ärger", "äRGER"));
    EXPECT_TRUE(SameTextIgnoreCase("", ""));
    EXPECT_FALSE(SameTextIgnoreCase("Name", "Names"));
    EXPECT_FALSE(SameTextIgnoreCase("Names", "Name"));
    EXPECT_FALSE(SameTextIgnoreCase("", "a"));
}

TEST(XCoreStringsTest, RawLastPosStaysWithinTheCount)
{
    EXPECT_EQ(RawLastPos("ab", "abab"), 3);
    EXPECT_EQ(RawLastPos("ab", "abab", 3), 1);   // the second "ab" does not lie wholly within 3 bytes
    EXPECT_EQ(RawLastPos("ab", "abab", 4), 3);
    EXPECT_EQ(RawLastPos("ab", "abab", 0), 0);
    EXPECT_EQ(RawLastPos("", "abab"), 0);
}

TEST(XCoreStringsTest, ExtractionBetweenTags)
{
    const char* Text = "x<a>1</a><a>2</a>";
    EXPECT_EQ(ExtractBetween("<a>", "</a>", Text), "1");
    EXPECT_EQ(ExtractBetween("<a>", "</a>", Text, 6), "2");
    EXPECT_EQ(RawExtractBetweenLast("<a>", "</a>", Text), "1</a><a>2");
    EXPECT_EQ(ExtractBetween("<b>", "</a>", Text), "");
    EXPECT_EQ(ExtractBetween("<a>", "</b>", Text), "");
    EXPECT_EQ(RawExtractBetweenLast("<a>", "</a>", "</a>x<a>"), "");   // the last end lies before the text
    EXPECT_EQ(RawExtractBetweenLast("<a>", "</a>", "<a></a>"), "");
    EXPECT_EQ(ExtractBetweenIgnoreCase("<ТЕГ>", "</ТЕГ>", "<тег>значение</Тег>"), "значение");
}

TEST(XCoreStringsTest, SplittingAtTheFirstSeparator)
{
    String Before, After;
    SplitAtFirst("key=value=more", Before, After, "=");
    EXPECT_EQ(Before, "key");
    EXPECT_EQ(After, "value=more");
    SplitAtFirst("plain", Before, After, "=");
    EXPECT_EQ(Before, "plain");
    EXPECT_EQ(After, "");
    EXPECT_EQ(TextBefore("a|b", "|"), "a");
    EXPECT_EQ(TextAfter("a|b", "|"), "b");
    EXPECT_EQ(TextAfter("ab", "|"), "");
}

TEST(XCoreStringsTest, Replacement)
{
    EXPECT_EQ(ReplaceAll("ab", "X", "abcabAB"), "XcXAB");
    EXPECT_EQ(ReplaceAll("", "X", "abc"), "abc");
    EXPECT_EQ(ReplaceAllIgnoreCase("ab", "X", "abcabAB"), "XcXX");
    EXPECT_EQ(ReplaceAllIgnoreCase("ДОМ", "дом", "Дом и ДоМ"), "дом и дом");
    EXPECT_EQ(ReplaceBetween("[", "]", "X", "a[1]b[2]"), "a[X]b[X]");
    EXPECT_EQ(ReplaceBetween("[", "]", "X", "a[1]b[2]", 4), "a[1]b[X]");
    EXPECT_EQ(ReplaceBetween("[", "]", "[]", "[1][2]"), "[[]][[]]");   // the new text is not searched again
    EXPECT_EQ(ReplaceEnclosed("[", "]", "X", "a[1]b[2]"), "aXbX");
    EXPECT_EQ(ReplaceEnclosed("[", "]", "[]", "[1][2]"), "[][]");
    EXPECT_EQ(ReplaceEnclosed("[", "]", "X", "a[1"), "a[1");
}

TEST(XCoreStringsTest, MultiReplacementIsOnePass)
{
    EXPECT_EQ(UnescapeXMLEntities("&amp;lt;"), "&lt;");
    EXPECT_EQ(UnescapeXMLEntities("&lt;a href=&quot;x&apos;&quot;&gt;"), "<a href=\"x'\">");
    // The first pattern in list order wins at a position; an empty pattern never matches.
    EXPECT_EQ(RawReplaceMulti("abc", {"", "ab", "a"}, {"!", "1", "2"}), "1c");
    EXPECT_THROW(RawReplaceMulti("abc", {"a"}, {}), EArgumentException);
}

TEST(XCoreStringsTest, QuotingAndIdentifiers)
{
    EXPECT_EQ(EnsureQuoted("", '"'), "");
    EXPECT_EQ(EnsureQuoted("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(EnsureQuoted("\"already", '"'), "\"already");
    EXPECT_EQ(UnquoteStr("'a''b'", '\''), "a'b");
    EXPECT_EQ(UnquoteStr("plain", '\''), "plain");
    EXPECT_EQ(UnquoteStr("'open", '\''), "'open");
    EXPECT_EQ(UnquoteStr("''", '\''), "");
    EXPECT_EQ(SanitizeIdentifier("  a/b: ü€ x_1 "), "a_b: __ x_1");
}

TEST(XCoreStringsTest, JoinStringsSkipsEmptyLines)
{
    TOwned<TStringList> Lines = Owned(TStringList::Create());
    EXPECT_EQ(JoinStrings(", ", Lines.get()), "");
    for (const char* Line : {"", "a", "", "b", ""})
        Lines->Add(Line);
    EXPECT_EQ(JoinStrings(", ", Lines.get()), "a, b");
}

TEST(XCoreStringsTest, GuidTextIsFreshUpperCaseAndWithoutBraces)
{
    String First = CreateGUIDText();
    ASSERT_EQ(First.size(), 36u);
    for (size_t Dash : {8, 13, 18, 23})
        EXPECT_EQ(First[Dash], '-');
    EXPECT_EQ(First, UpperCase(First));
    EXPECT_EQ(First[14], '4');   // a random GUID
    EXPECT_NE(CreateGUIDText(), First);
}

TEST(XCoreStringsTest, Tags)
{
    EXPECT_EQ(RawOpenTagNamed("item", "x"), "<item name=\"x\">");
    EXPECT_EQ(RawOpenTagNamed("item", ""), "<item>");
    EXPECT_EQ(RawWriteTag("a", "v"), "<a>\r\nv\r\n</a>");
    EXPECT_EQ(RawWriteTagNamed("g", "n", "t"), "<g name=\"n\">\r\nt\r\n</g>");
    const char* Reply = "<code>12</code><text>no</text><text>more</text>";
    EXPECT_EQ(ReadTagInt("code", Reply), 12);
    EXPECT_EQ(ReadTagInt("text", Reply), 0);
    EXPECT_EQ(ReadTagIntDef("missing", Reply, -1), -1);
    EXPECT_EQ(RawReadTag("text", Reply), "no");
    EXPECT_EQ(RawReadTagToLast("text", Reply), "no</text><text>more");
}

TEST(XCoreStringsTest, RadixNumbers)
{
    EXPECT_EQ(IntToRadix(0, 36), "0");
    EXPECT_EQ(IntToRadix(0, 36, 2), "00");
    EXPECT_EQ(IntToRadix(255, 16), "FF");
    EXPECT_EQ(IntToRadix(35, 36, 3), "00Z");
    EXPECT_EQ(IntToRadix(4294967295u, 2).size(), 32u);
    EXPECT_EQ(RadixToInt("FF", 16), 255);
    EXPECT_EQ(RadixToInt("Z0", 36), 1260);
    EXPECT_EQ(RadixToInt("1a", 16), 16 - 1);   // a small letter is no digit: it counts as -1
    EXPECT_EQ(RadixToInt("ZZZZZZZZ", 36), static_cast<int32_t>(2821109907455ull & 0xFFFFFFFF));
    EXPECT_THROW(IntToRadix(1, 1), EArgumentOutOfRangeException);
    EXPECT_THROW(RadixToInt("1", 37), EArgumentOutOfRangeException);
}

TEST(XCoreStringsTest, RadixByteCodingRoundTripsUtf8)
{
    const struct {
        int Radix;
        int Width;
    } Cases[] = {{36, 2}, {16, 2}, {25, 2}, {8, 4}, {10, 4}, {2, 16}};
    const String Data = "Жук \x01\xFF";
    for (auto Case : Cases) {
        EXPECT_EQ(RadixDigitWidth(Case.Radix), Case.Width);
        String Coded = EncodeRadix(Data, Case.Radix);
        EXPECT_EQ(Coded.size(), Data.size() * static_cast<size_t>(Case.Width));
        EXPECT_EQ(DecodeRadix(Coded, Case.Radix), Data) << "radix " << Case.Radix;
    }
    EXPECT_EQ(EncodeRadix("\x0A\xFF", 16), "0AFF");
    EXPECT_EQ(DecodeOctal("01010102"), "AB");
    EXPECT_EQ(DecodeRadix("41424", 16), "AB");   // a lone last digit is no byte
    EXPECT_EQ(DecodeRadix("", 16), "");
}

TEST(XCoreStringsTest, RadixTextDecodesUtf16CodeUnits)
{
    // U+0416 U+0443 U+043A ("Жук") are 1046, 1091 and 1082: "T2", "UB", "U2" in radix 36.
    EXPECT_EQ(DecodeRadixText("T2UBU2", 36), "Жук");
    EXPECT_EQ(DecodeRadixText("T2 UB\r\nU2", 36), "Ж у\r\nк");
    EXPECT_EQ(DecodeRadixText("1Z", 36), "G");    // 71
    EXPECT_EQ(DecodeRadixText("1Z ", 36), "G");   // a lone last unit is left out
}

TEST(XCoreStringsTest, Padding)
{
    EXPECT_EQ(SafeFormat("%d files", {int64_t(3)}), "3 files");
    EXPECT_EQ(SafeFormat("%d files", {String("three")}), "%d files");
    EXPECT_EQ(ZeroPadInt(-5, 3), "0-5");
    EXPECT_EQ(ZeroPadInt(1234, 2), "1234");
    EXPECT_EQ(PadInt(7, U'·', 3), "··7");   // the width counts characters, not bytes
    EXPECT_EQ(CharString(U'Ж', 2), "ЖЖ");
    EXPECT_EQ(CharString(U'😀', 1), "😀");
    EXPECT_EQ(CharString(U'x', -1), "");
    EXPECT_EQ(RawCharString('x', 0), "");
    EXPECT_EQ(RawPadLeft("ab", ' ', 4), "  ab");
    EXPECT_EQ(RawPadLeft("abcde", ' ', 4), "abcde");
}

TEST(XCoreStringsTest, FieldsSplitAndGrow)
{
    TXStrFields Fields;
    Fields.Split("a;;b", ";");
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"a", "", "b"}));
    Fields.Split("x,y;z", ",;");
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"x", "y", "z"}));
    Fields.Split("", ";");
    EXPECT_TRUE(Fields.Fields.empty());
    Fields.Split("дом·сад", "·");   // a multi-byte separator
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"дом", "сад"}));

    Fields.SplitFixed("abcde", 2);
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"ab", "cd", "e"}));
    Fields.SplitFixed("ЖукЖ", 3);   // characters, never half of one
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"Жук", "Ж"}));
    Fields.SplitFixed("abc", 0);
    EXPECT_TRUE(Fields.Fields.empty());

    Fields.SetField(-1, "ignored");
    EXPECT_TRUE(Fields.Fields.empty());
    Fields.SetField(2, "c");
    EXPECT_EQ(Fields.Fields, (std::vector<String>{"", "", "c"}));
    EXPECT_EQ(Fields.GetField(2), "c");
    EXPECT_EQ(Fields.GetField(3), "");
    EXPECT_EQ(Fields.GetField(-1), "");
}

// ---- Streams ----

TEST(XCoreStringsTest, RawStringStreamWritesInPlaceAndKeepsWhatFollows)
{
    auto Stream = Owned(TXRawStringStream::CreateFromData("abcde"));
    Stream->SetPosition(1);
    EXPECT_EQ(Stream->Write("XY", 2), 2);
    EXPECT_EQ(Stream->Data(), "aXYde");
    EXPECT_EQ(Stream->Position(), 3);
    Stream->Seek(0, soEnd);
    Stream->WriteBuffer("Жук", 6);   // past the end it grows
    EXPECT_EQ(Stream->Data(), "aXYdeЖук");
    Stream->SetSize(2);
    EXPECT_EQ(Stream->Position(), 2);
    EXPECT_EQ(Stream->Write("", 0), 0);
    Stream->Clear();
    EXPECT_EQ(Stream->Data(), "");
    EXPECT_EQ(Stream->Position(), 0);
}

TEST(XCoreStringsTest, RawStringStreamSeeksLikeEveryStreamAndStaysInsideItsData)
{
    const struct {
        int64_t Offset;
        TSeekOrigin Origin;
        int64_t Expected;
    } Cases[] = {
        {-2, soEnd, 8},   // from the end: length + offset
        {2, soEnd, 10},
        {-20, soEnd, 0},
        {3, soBeginning, 3},
        {-1, soBeginning, 0},
        {11, soBeginning, 10},
        {2, soCurrent, 6},   // from 4
        {-9, soCurrent, 0},
        {INT64_MAX, soCurrent, 10},
        {INT64_MIN, soEnd, 0},
    };
    auto Stream = Owned(TXRawStringStream::CreateFromData("0123456789"));
    for (auto Case : Cases) {
        Stream->SetPosition(4);
        EXPECT_EQ(Stream->Seek(Case.Offset, Case.Origin), Case.Expected) << Case.Offset << " from " << Case.Origin;
    }
    Stream->Seek(-3, soEnd);
    char Buffer[8] = {};
    EXPECT_EQ(Stream->Read(Buffer, sizeof Buffer), 3);
    EXPECT_STREQ(Buffer, "789");
    EXPECT_EQ(Stream->Read(Buffer, sizeof Buffer), 0);
}

TEST(XCoreStringsTest, ReadingStreamStrings)
{
    auto Stream = Owned(TXRawStringStream::CreateFromData("ab\xE9\xC3\xA9"));   // "é" in 1252, then in UTF-8
    EXPECT_EQ(ReadStreamString(Stream.get(), 0), "");
    EXPECT_EQ(ReadStreamString(Stream.get(), 2), "ab");
    EXPECT_EQ(ReadStreamString(Stream.get(), 1), "é");
    EXPECT_EQ(ReadStreamString(Stream.get(), 5), "");   // short: no text, and no exception
    Stream->SetPosition(1);
    EXPECT_EQ(ReadStreamString(Stream.get(), -1), "bé\u00C3\u00A9");

    Stream->SetPosition(3);
    EXPECT_EQ(ReadStreamUTF8(Stream.get(), 2), "é");
    EXPECT_EQ(ReadStreamUTF8(Stream.get(), -1), "");
    Stream->SetPosition(1);
    EXPECT_THROW(ReadStreamUTF8(Stream.get(), 5), EReadError);
    EXPECT_THROW(ReadStreamUTF8(Stream.get(), INT64_MAX), EReadError);   // a count from a damaged file
    EXPECT_EQ(ReadStreamUTF8(Stream.get(), -1), "b\xE9\xC3\xA9");
}

TEST(XCoreStringsTest, RawBytesGoToStreamsAndFiles)
{
    auto Stream = Owned(TXRawStringStream::Create());
    WriteRawToStream(Stream.get(), "Жук");
    WriteRawToStream(Stream.get(), "");
    EXPECT_EQ(Stream->Data(), "Жук");

    char Template[] = "/tmp/xcore_strings_XXXXXX";
    String Folder = ::mkdtemp(Template);
    String File = Folder + "/raw.bin";
    SaveRawToFile(File, String("longer old content"));
    SaveRawToFile(File, String("\0Жук", 7));
    TBytes Saved = ReadFileBytes(File);
    EXPECT_EQ(String(Saved.begin(), Saved.end()), String("\0Жук", 7));
    EXPECT_THROW(SaveRawToFile(Folder + "/missing/raw.bin", "x"), EFCreateError);
    std::filesystem::remove_all(Folder);
}

}  // namespace
