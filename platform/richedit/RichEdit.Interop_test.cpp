#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "RichEdit.Streams.h"

namespace {

// RTF that another program wrote, and what it reads of ours: pandoc both ways.
class PandocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("pandoc --version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "pandoc is not installed (scripts/install-deps installs it)";
        Folder = std::filesystem::temp_directory_path() / ("pandoc-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override
    {
        if (!Folder.empty())
            std::filesystem::remove_all(Folder);
    }

    // Runs pandoc on AInput (a file's text) and answers what it wrote.
    String Pandoc(const String& AArguments, const String& AInput)
    {
        std::filesystem::path In = Folder / "in", Out = Folder / "out";
        std::ofstream(In, std::ios::binary) << AInput;
        String Command = "pandoc " + AArguments + " -o '" + Out.string() + "' '" + In.string() + "'";
        EXPECT_EQ(std::system(Command.c_str()), 0) << Command;
        std::ifstream Result(Out, std::ios::binary);
        return String(std::istreambuf_iterator<char>(Result), {});
    }

    std::filesystem::path Folder;
};

String Squeezed(const String& AText)
{
    String Out;
    for (char C : AText) {
        bool Space = C == ' ' || C == '\n' || C == '\r' || C == '\t';
        if (Space && (Out.empty() || Out.back() == ' '))
            continue;
        Out += Space ? ' ' : C;
    }
    while (!Out.empty() && Out.back() == ' ')
        Out.pop_back();
    return Out;
}

TEST_F(PandocTest, ReadsTheTextAndFormattingPandocWrites)
{
    String Rtf = Pandoc("-f markdown -t rtf -s",
                        "# Title\n\nSome **bold** and *italic* text with a [link](http://example.org/x).\n\n"
                        "- item one\n- item two\n\nAccents \xc3\xa9\xc3\xbc, euro \xe2\x82\xac and \xe6\x97\xa5\xe6\x9c\xac.\n");
    TRichDocument D;
    int32_t End = -1;
    ASSERT_TRUE(StreamIn(D, 0, End, Rtf, SF_RTF)) << Rtf;
    String Text = ToUtf8(D.Text(0, -1));
    EXPECT_EQ(Squeezed(Text),
              "Title Some bold and italic text with a link. \xe2\x80\xa2 item one \xe2\x80\xa2 item two "
              "Accents \xc3\xa9\xc3\xbc, euro \xe2\x82\xac and \xe6\x97\xa5\xe6\x9c\xac.")
        << Text;
    auto At = [&](const char* AWord) { return int32_t(ToUtf32(Text.substr(0, Text.find(AWord))).size()); };
    EXPECT_TRUE(D.CharFormatAt(At("Title") + 1).Has(CFE_BOLD));
    EXPECT_EQ(D.CharFormatAt(At("Title") + 1).Size, 360);
    EXPECT_TRUE(D.CharFormatAt(At("bold") + 1).Has(CFE_BOLD));
    EXPECT_FALSE(D.CharFormatAt(At("Some") + 1).Has(CFE_BOLD));
    EXPECT_TRUE(D.CharFormatAt(At("italic") + 1).Has(CFE_ITALIC));
    const TCharFormat& Link = D.CharFormatAt(At("link") + 1);
    EXPECT_TRUE(Link.Has(CFE_LINK));
    EXPECT_EQ(Link.LinkUrl, "http://example.org/x");
    EXPECT_EQ(D.Paragraph(D.ParagraphOf(At("item one"))).Format.Offset, 360) << "a hanging indent";
}

TEST_F(PandocTest, PandocReadsTheTextWeWrite)
{
    const char* Source =
        R"({\rtf1{\fonttbl{\f0 DejaVu Sans;}{\f1\fcharset204 DejaVu Sans;}}\pard\qc {\b Heading}\par)"
        R"(\pard Plain, {\i italic} and {\ul underlined} text; {\f1 \'cf\'f0\'e8\'e2\'e5\'f2} and \u26085?\u26412? here.\par )"
        R"(A {\field{\*\fldinst{HYPERLINK "http://example.org"}}{\fldrslt{link}}} and a\tab tab.\par)"
        R"(\pard\li720\fi-360{\*\pn\pnlvlblt} bullet\par})";
    TRichDocument D;
    int32_t End = -1;
    ASSERT_TRUE(StreamIn(D, 0, End, Source, SF_RTF));
    String Ours = StreamOut(D, 0, -1, SF_RTF);
    // Bullets are paragraph numbering here and text for pandoc.
    String Theirs = Pandoc("-f rtf -t plain", Ours);
    for (size_t At = Theirs.find("\u2022"); At != String::npos; At = Theirs.find("\u2022"))
        Theirs.erase(At, 3);
    String Expected = ToUtf8(D.Text(0, -1));
    EXPECT_EQ(Squeezed(Theirs), Squeezed(Expected)) << Ours;
    EXPECT_NE(Pandoc("-f rtf -t markdown", Ours).find("[link](http://example.org)"), String::npos) << Ours;
}

}  // namespace
