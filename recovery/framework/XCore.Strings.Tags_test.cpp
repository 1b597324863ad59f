// Text helpers: XML escaping in one pass, byte-size texts, hex dumps, byte arrays and FAT12.
#include "XCore.Strings.Tags.h"

#include <gtest/gtest.h>

#include "XCore.Types.Bytes.h"

namespace {

TEST(TagTextTest, EscapingRoundTripsInOnePass)
{
    for (const char* Text : {"", "plain", "a<b>&'\"", "&amp;", "&lt;&gt;", "&&&"}) {
        EXPECT_EQ(UnescapeXMLText(EscapeXMLText(Text)), Text);
    }
    EXPECT_EQ(EscapeXMLText("<&amp;>"), "&lt;&amp;amp;&gt;");
    EXPECT_EQ(UnescapeXMLText("&amp;lt;"), "&lt;");
    const std::string_view Search[] = {"", "ab", "a"};
    const std::string_view Replace[] = {"X", "1", "2"};
    EXPECT_EQ(ReplaceTexts("aab", Search, Replace), "21");
    EXPECT_EQ(WriteTagBlock("x", "v"), "<x>\r\nv\r\n</x>");
    EXPECT_EQ(ReadTagInt64("<n>-42</n>", "n"), -42);
    EXPECT_EQ(ReadTagInt64("<n>4x</n>", "n"), 0);
    EXPECT_EQ(ReadTagText("<n>1</n><n>2</n>", "n", 1), "2");
    EXPECT_EQ(ReadTagText("<n>1", "n"), "");
}

TEST(TagTextTest, ByteSizesPickTheirUnit)
{
    struct {
        double Size;
        const char* Text;
    } const Cases[] = {{0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.00 KB"}, {1048575, "1024.00 KB"},
                       {1048576, "1.00 MB"}, {1073741823, "1024.00 MB"}, {1073741824, "1.00 GB"}};
    for (const auto& C : Cases)
        EXPECT_EQ(FormatByteSize(C.Size), C.Text);
    EXPECT_EQ(FormatQuotient(1, 3), "0.33");
}

TEST(TagTextTest, BytesHelpers)
{
    const uint8_t Dump[] = {0xEB, 0x3C};
    EXPECT_EQ(BytesToHexText(Dump, " "), "EB 3C ");
    EXPECT_EQ(BytesToHexText({}, " "), "");
    const uint8_t Fat12[] = {0x34, 0x12, 0xAB};
    EXPECT_EQ(UnpackFAT12Entry(Fat12, false), 0x234);
    EXPECT_EQ(UnpackFAT12Entry(Fat12, true), 0xAB1);
    TXByteArray Bytes;
    ByteStringToBytes(std::string_view("a\0b\xFFz", 5), Bytes);
    EXPECT_EQ(Bytes, (TXByteArray{'a', 0, 'b', 0xFF, 'z'}));
    TXByteArrays Patterns;
    AddByteArray({0xFF, 0xD8}, Patterns);
    AddByteArray({}, Patterns);
    ASSERT_EQ(Patterns.size(), 2u);
    EXPECT_EQ(Patterns[0], (TXByteArray{0xFF, 0xD8}));
    EXPECT_TRUE(Patterns[1].empty());
}

}  // namespace
