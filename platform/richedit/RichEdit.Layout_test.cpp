#include <gtest/gtest.h>

#include <cmath>

#include "RichEdit.Layout.h"
#include "RichEdit.Streams.h"

namespace {

TCharFormat TestFont(int32_t ASize = 240)
{
    TCharFormat F;
    F.Face = "DejaVu Sans";
    F.Size = ASize;
    return F;
}

// A document of plain text in the test font, one paragraph per line of AText.
void Fill(TRichDocument& ADocument, std::u32string_view AText, const TParaFormat& APara = {})
{
    ADocument.Clear();
    TRichFragment Fragment = PlainTextFragment(AText, TestFont(), APara);
    ADocument.Insert(0, Fragment, true);
}

double CaretX(TRichLayout& ALayout, int32_t APos)
{
    double X = 0, Top = 0, Height = 0;
    ALayout.CaretPosition(APos, X, Top, Height);
    return X;
}

// The width (pixels at 96 DPI) of a text in the test font, laid out alone.
double Width(std::u32string_view AText)
{
    TRichDocument D;
    Fill(D, AText);
    TRichLayout L(D);
    return CaretX(L, int32_t(AText.size()));
}

TEST(LayoutTest, BreaksLinesAtSpacesWithinTheWidth)
{
    TRichDocument D;
    Fill(D, U"alpha beta alpha beta");
    TRichLayout L(D);
    L.SetWidthTwips(int32_t(std::ceil((Width(U"alpha beta ") + 2) * 15)));
    ASSERT_EQ(L.LineCount(), 2);
    EXPECT_EQ(L.LineIndex(1), 11);
    EXPECT_EQ(L.LineLength(0), 11);
    EXPECT_EQ(L.LineLength(1), 10);
    EXPECT_EQ(L.LineFromChar(12), 1);
    EXPECT_EQ(L.LineIndex(2), -1);
    L.SetWidthTwips(0);
    EXPECT_EQ(L.LineCount(), 1) << "without a width nothing wraps";
}

TEST(LayoutTest, ALineBreakInsideAParagraphStartsALine)
{
    TRichDocument D;
    Fill(D, U"one\vtwo\rthree");
    TRichLayout L(D);
    EXPECT_EQ(L.LineCount(), 3);
    EXPECT_EQ(L.LineIndex(1), 4);
    EXPECT_EQ(L.LineIndex(2), 8);
}

struct TTabCase {
    const char* Name;
    uint32_t Tab;
    std::u32string Text;
    int32_t Pos;        // the caret position measured
    double Expected;    // pixels at 96 DPI
};

// One inch is 1440 twips, 96 pixels.
const TTabCase kTabCases[] = {
    {"Left", MakeTab(1440), U"a\tbc", 2, 96},
    {"Right", MakeTab(2880, 2), U"a\tbc", 4, 192},
    {"Centre", MakeTab(2880, 1), U"a\tbc", 2, 192 - Width(U"bc") / 2},
    {"DefaultEveryHalfInch", 0, U"a\tb", 2, 48},
};

class LayoutTabTest : public ::testing::TestWithParam<TTabCase> {};

TEST_P(LayoutTabTest, PutsTheTextAtTheStop)
{
    TParaFormat Para;
    if (GetParam().Tab != 0)
        Para.Tabs = {GetParam().Tab};
    TRichDocument D;
    Fill(D, GetParam().Text, Para);
    TRichLayout L(D);
    EXPECT_NEAR(CaretX(L, GetParam().Pos), GetParam().Expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Stops, LayoutTabTest, ::testing::ValuesIn(kTabCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

TEST(LayoutTest, DecimalTabsLineUpTheDecimalPoints)
{
    TParaFormat Para;
    Para.Tabs = {MakeTab(2880, 3)};
    TRichDocument D;
    Fill(D, U"a\t12.5\rb\t7.25", Para);
    TRichLayout L(D);
    EXPECT_NEAR(CaretX(L, 4), CaretX(L, 10), 0.5);
    EXPECT_NEAR(CaretX(L, 4), 192, 4);
}

struct TAlignCase {
    const char* Name;
    void (*Apply)(TParaFormat&);
    int32_t Pos;
    double Expected;   // pixels at 96 DPI in a 2-inch (192 pixel) width
};

const TAlignCase kAlignCases[] = {
    {"Right", [](TParaFormat& P) { P.Alignment = PFA_RIGHT; }, 3, 192},
    {"RightWithIndent", [](TParaFormat& P) { P.Alignment = PFA_RIGHT; P.RightIndent = 360; }, 3, 168},
    {"Centre", [](TParaFormat& P) { P.Alignment = PFA_CENTER; }, 0, (192 - Width(U"abc")) / 2},
    {"StartIndent", [](TParaFormat& P) { P.StartIndent = 720; }, 0, 48},
    {"HangingFirstLine", [](TParaFormat& P) { P.StartIndent = 0; P.Offset = 720; }, 0, 0},
    {"BulletMovesTheTextToTheOffset", [](TParaFormat& P) { P.Numbering = 1; P.Offset = 360; }, 0, 24},
};

class LayoutAlignTest : public ::testing::TestWithParam<TAlignCase> {};

TEST_P(LayoutAlignTest, PlacesTheLine)
{
    TParaFormat Para;
    GetParam().Apply(Para);
    TRichDocument D;
    Fill(D, U"abc", Para);
    TRichLayout L(D);
    L.SetWidthTwips(2880);
    EXPECT_NEAR(CaretX(L, GetParam().Pos), GetParam().Expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Paragraphs, LayoutAlignTest, ::testing::ValuesIn(kAlignCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

TEST(LayoutTest, HangingIndentPlacesTheOtherLinesAtTheOffset)
{
    TParaFormat Para;
    Para.Offset = 720;
    TRichDocument D;
    Fill(D, U"word word word word word word word word", Para);
    TRichLayout L(D);
    L.SetWidthTwips(2880);
    ASSERT_GT(L.LineCount(), 1);
    EXPECT_NEAR(CaretX(L, L.LineIndex(1)), 48, 1.0);
}

TEST(LayoutTest, JustifiedLinesReachTheRightEdgeButTheLastDoesNot)
{
    TParaFormat Para;
    Para.Alignment = PFA_JUSTIFY;
    TRichDocument D;
    Fill(D, U"aa bbbbbbb c dd eeeeeee fff gg", Para);
    TRichLayout L(D);
    L.SetWidthTwips(2880);
    ASSERT_GE(L.LineCount(), 2);
    int32_t EndOfFirst = L.LineIndex(1) - 1;   // before the space that broke the line
    EXPECT_NEAR(CaretX(L, EndOfFirst), 192, 1.5);
    EXPECT_LT(CaretX(L, D.Length()), 185);
    Para.Alignment = PFA_LEFT;
    D.SetParaFormat(0, 0, Para, PFM_ALIGNMENT);
    EXPECT_LT(CaretX(L, EndOfFirst), 190) << "the same line unjustified is shorter";
}

TEST(LayoutTest, HiddenTextTakesNoRoom)
{
    TRichDocument D;
    Fill(D, U"aXXXb");
    TCharFormat Hidden;
    Hidden.Effects = CFE_HIDDEN;
    D.SetCharFormat(1, 4, Hidden, CFM_HIDDEN);
    TRichLayout L(D);
    EXPECT_NEAR(CaretX(L, 4), Width(U"a"), 0.5);
}

TEST(LayoutTest, FormatsARangePageByPageWithTheNextCharacterAndTheUsedHeight)
{
    TRichDocument D;
    std::u32string Text;
    for (int I = 0; I < 10; ++I)
        Text += U"line\r";
    Text += U"a long last paragraph that wraps over several lines of the narrow page";
    Fill(D, Text);
    TRichLayout L(D);
    const TRect Page{0, 0, 2880, 0};
    L.SetWidthTwips(2880);
    int32_t LineTwips = int32_t(std::ceil(L.Paragraph(0).Height * 15));
    TRect Rect = Page;
    Rect.Bottom = LineTwips * 4 + LineTwips / 2;   // four lines and a half

    int32_t Bottom = 0;
    int32_t Next = L.FormatRange(nullptr, 0, -1, Rect, Bottom);
    EXPECT_EQ(Next, 20) << "four paragraphs of 'line\\r' fit";
    EXPECT_NEAR(Bottom, 4 * L.Paragraph(0).Height * 15, 4);

    std::vector<int32_t> Starts{0};
    while (Next < D.Length() && Starts.size() < 50) {
        Starts.push_back(Next);
        Next = L.FormatRange(nullptr, Next, -1, Rect, Bottom);
        EXPECT_GT(Next, Starts.back()) << "every page moves on";
    }
    EXPECT_EQ(Next, D.Length());
    EXPECT_GE(Starts.size(), 4u);
    EXPECT_EQ(L.LineIndex(L.LineFromChar(Starts.back())), Starts.back()) << "a page starts at a line";

    TRect Tiny{0, 0, 2880, 10};
    EXPECT_EQ(L.FormatRange(nullptr, 0, -1, Tiny, Bottom), 5) << "a line taller than the page still moves on";
    EXPECT_EQ(L.FormatRange(nullptr, 0, 7, Rect, Bottom), 7) << "the range's end stops it";
}

TEST(LayoutTest, LaysOutOnlyTheParagraphThatChanged)
{
    TRichDocument D;
    std::u32string Text;
    for (int I = 0; I < 200; ++I)
        Text += U"paragraph of a few words\r";
    Fill(D, Text);
    TRichLayout L(D);
    L.SetWidthTwips(4000);
    L.DocumentHeight();
    size_t Before = L.LayoutCount();
    TRichFragment Typed;
    Typed.AppendText(U"x", TestFont());
    D.Insert(D.ParagraphStart(100) + 3, Typed);
    L.DocumentHeight();
    EXPECT_EQ(L.LayoutCount(), Before + 1);
}

TEST(LayoutTest, LinksFromRunsAndFromAddressesInTheText)
{
    TRichDocument D;
    Fill(D, U"see www.example.org/a. and here");
    TCharFormat Link;
    Link.Effects = CFE_LINK;
    Link.LinkUrl = "http://target.example";
    D.SetCharFormat(27, 31, Link, CFM_LINK);
    TRichLayout L(D);
    TLinkRange Found;
    EXPECT_EQ(L.LinkAt(5, Found), nullptr) << "detection is off";
    ASSERT_NE(L.LinkAt(28, Found), nullptr);
    EXPECT_EQ(Found.Url, "http://target.example");
    L.SetAutoUrlDetect(true);
    ASSERT_NE(L.LinkAt(5, Found), nullptr);
    EXPECT_EQ(Found.Start, 4);
    EXPECT_EQ(Found.End, 21);
    EXPECT_EQ(Found.Url, "www.example.org/a");
}

struct TUrlCase {
    const char* Name;
    std::u32string Text;
    std::vector<std::pair<int32_t, int32_t>> Found;
};

const TUrlCase kUrlCases[] = {
    {"Http", U"go http://a.b/c now", {{3, 15}}},
    {"TrailingPunctuation", U"(https://x.org/y).", {{1, 16}}},
    {"Mail", U"mailto:me@x.org", {{0, 15}}},
    {"UpperCase", U"WWW.X.ORG", {{0, 9}}},
    {"InsideAWord", U"nowww.x.org", {}},
    {"PrefixAlone", U"http:// x", {}},
    {"Two", U"ftp://a www.b", {{0, 7}, {8, 13}}},
};

class UrlDetectionTest : public ::testing::TestWithParam<TUrlCase> {};

TEST_P(UrlDetectionTest, FindsTheAddresses)
{
    EXPECT_EQ(DetectUrls(GetParam().Text), GetParam().Found);
}

INSTANTIATE_TEST_SUITE_P(Texts, UrlDetectionTest, ::testing::ValuesIn(kUrlCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

TEST(LayoutTest, CharFromPointAndCaretAgree)
{
    TRichDocument D;
    Fill(D, U"first\rsecond line");
    TRichLayout L(D);
    for (int32_t Pos : {0, 3, 5, 6, 10, 17}) {
        double X = 0, Top = 0, Height = 0;
        L.CaretPosition(Pos, X, Top, Height);
        EXPECT_EQ(L.CharFromPoint(X + 0.5, Top + Height / 2), Pos);
    }
    EXPECT_EQ(L.CharFromPoint(1000, 1000), D.Length());
}

}  // namespace
