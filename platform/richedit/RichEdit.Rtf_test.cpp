#include <gtest/gtest.h>

#include "RichEdit.Streams.h"

namespace {

TRichDocument Load(std::string_view AData, uint32_t AFlags = SF_RTF)
{
    TRichDocument Document;
    int32_t End = -1;
    EXPECT_TRUE(StreamIn(Document, 0, End, AData, AFlags)) << AData;
    return Document;
}

String Text(const TRichDocument& ADocument)
{
    return ToUtf8(ADocument.Text(0, -1));
}

// "one TWO three" with TWO formatted by the case, in a second paragraph formatted by the case.
struct TRunCase {
    const char* Name;
    void (*Apply)(TCharFormat&);
    std::u32string Middle = U"TWO";
};

const TRunCase kRunCases[] = {
    {"Bold", [](TCharFormat& F) { F.Effects |= CFE_BOLD; F.Weight = 700; }},
    {"Italic", [](TCharFormat& F) { F.Effects |= CFE_ITALIC; }},
    {"Underline", [](TCharFormat& F) { F.Effects |= CFE_UNDERLINE; }},
    {"StrikeOut", [](TCharFormat& F) { F.Effects |= CFE_STRIKEOUT; }},
    {"Protected", [](TCharFormat& F) { F.Effects |= CFE_PROTECTED; }},
    {"Hidden", [](TCharFormat& F) { F.Effects |= CFE_HIDDEN; }},
    {"LinkToItself", [](TCharFormat& F) { F.Effects |= CFE_LINK; }, U"http://example.org/a{b}"},
    {"LinkWithTarget", [](TCharFormat& F) { F.Effects |= CFE_LINK; F.LinkUrl = "mailto:someone@example.org"; }},
    {"Colour", [](TCharFormat& F) { F.Effects &= ~CFE_AUTOCOLOR; F.Color = RGB(200, 10, 30); }},
    {"BackColour", [](TCharFormat& F) { F.Effects &= ~CFE_AUTOBACKCOLOR; F.BackColor = RGB(255, 255, 0); }},
    {"FaceCharsetPitch", [](TCharFormat& F) { F.Face = "DejaVu Serif"; F.Charset = 0; F.PitchAndFamily = 0x12; }},
    {"Size", [](TCharFormat& F) { F.Size = 370; }},
    {"Raised", [](TCharFormat& F) { F.Offset = 60; }},
    {"Lowered", [](TCharFormat& F) { F.Offset = -40; }},
    {"CyrillicCharset", [](TCharFormat& F) { F.Charset = 204; }, U"\u041f\u0440\u0438\u0432\u0435\u0442"},
    {"BeyondTheCodePage", [](TCharFormat&) {}, U"\u20ac \u3042 \U0001F600 \u0142"},
    {"Specials", [](TCharFormat&) {}, U"a\tb\vc\u00a0d\u00ade\u2011f \\ { }"},
    {"HyphensAndDigitsAfterWords", [](TCharFormat& F) { F.Effects |= CFE_BOLD; F.Weight = 700; }, U"-1 2-"},
};

class RtfRunTest : public ::testing::TestWithParam<TRunCase> {};

TEST_P(RtfRunTest, RoundTripsTheRunAndItsNeighbours)
{
    TCharFormat Plain;
    Plain.Face = "DejaVu Sans";
    Plain.Size = 200;
    TCharFormat Special = Plain;
    GetParam().Apply(Special);
    TRichFragment Source;
    TParaFormat Para;
    Source.AppendText(U"one ", Plain);
    Source.AppendText(GetParam().Middle, Special);
    Source.AppendText(U" three", Plain);
    Source.AppendMark(Plain, Para);
    Source.AppendText(GetParam().Middle, Special);
    Source.Tail = Para;
    TRichDocument Written;
    Written.Insert(0, Source, true);

    String Rtf = StreamOut(Written, 0, -1, SF_RTF);
    TRichDocument Read = Load(Rtf);

    EXPECT_EQ(Text(Read), Text(Written)) << Rtf;
    TRichFragment Back = Read.Extract(0, -1);
    TRichFragment Expected = Written.Extract(0, -1);
    ASSERT_EQ(Back.Pieces.size(), Expected.Pieces.size()) << Rtf;
    for (size_t I = 0; I < Back.Pieces.size(); ++I) {
        EXPECT_EQ(Back.Pieces[I].Text, Expected.Pieces[I].Text) << I;
        EXPECT_TRUE(Back.Pieces[I].Format == Expected.Pieces[I].Format) << "piece " << I << " of\n" << Rtf;
    }
}

INSTANTIATE_TEST_SUITE_P(Attributes, RtfRunTest, ::testing::ValuesIn(kRunCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

struct TParaCase {
    const char* Name;
    void (*Apply)(TParaFormat&);
};

const TParaCase kParaCases[] = {
    {"Right", [](TParaFormat& P) { P.Alignment = PFA_RIGHT; }},
    {"Centre", [](TParaFormat& P) { P.Alignment = PFA_CENTER; }},
    {"Justify", [](TParaFormat& P) { P.Alignment = PFA_JUSTIFY; }},
    {"HangingIndent", [](TParaFormat& P) { P.StartIndent = 360; P.Offset = 720; P.RightIndent = 200; }},
    {"FirstLineIndent", [](TParaFormat& P) { P.StartIndent = 1000; P.Offset = -400; }},
    {"Bullets", [](TParaFormat& P) { P.Numbering = 1; P.Offset = 200; }},
    {"Tabs", [](TParaFormat& P) { P.Tabs = {MakeTab(720), MakeTab(1440, 1, 1), MakeTab(2880, 2, 2), MakeTab(3000, 3, 3),
                                            MakeTab(3600, 4), MakeTab(4320, 0, 5), MakeTab(5000, 2, 4)}; }},
    {"ThirtyTwoTabs", [](TParaFormat& P) { for (int I = 1; I <= 32; ++I) P.Tabs.push_back(MakeTab(I * 100)); }},
};

class RtfParagraphTest : public ::testing::TestWithParam<TParaCase> {};

TEST_P(RtfParagraphTest, RoundTripsTheParagraphBetweenPlainOnes)
{
    TParaFormat Special;
    GetParam().Apply(Special);
    TCharFormat Format;
    TRichFragment Source;
    Source.AppendText(U"before", Format);
    Source.AppendMark(Format, TParaFormat{});
    Source.AppendText(U"the paragraph", Format);
    Source.AppendMark(Format, Special);
    Source.AppendText(U"after", Format);
    TRichDocument Written;
    Written.Insert(0, Source, true);

    String Rtf = StreamOut(Written, 0, -1, SF_RTF);
    TRichDocument Read = Load(Rtf);

    ASSERT_EQ(Read.ParagraphCount(), 3u) << Rtf;
    EXPECT_EQ(Text(Read), "before\rthe paragraph\rafter");
    for (size_t I = 0; I < 3; ++I)
        EXPECT_TRUE(Read.Paragraph(I).Format == Written.Paragraph(I).Format) << "paragraph " << I << " of\n" << Rtf;
}

INSTANTIATE_TEST_SUITE_P(Attributes, RtfParagraphTest, ::testing::ValuesIn(kParaCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

struct TReadCase {
    const char* Name;
    const char* Rtf;
    const char* Text;
};

const TReadCase kReadCases[] = {
    {"UnicodeWithFallback", R"({\rtf1\ansi \u8364?x})", "\u20acx"},
    {"UnicodeSkipsTwoFallbacks", R"({\rtf1\ansi\uc2 \u8364\'80\'80y})", "\u20acy"},
    {"FallbackCountIsPerGroup", R"({\rtf1\ansi\uc2{\uc1 \u8364?}ab})", "\u20acab"},
    {"SurrogatePair", R"({\rtf1\ansi \u-10179?\u-8704?})", "\U0001F600"},
    {"AnsiCodePage", R"({\rtf1\ansi\ansicpg1252 caf\'e9})", "caf\u00e9"},
    {"DocumentCodePage", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0})", "\u041f\u0440"},
    {"FontCharset", R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial Cyr;}}\f1 \'cf\f0\'e9})", "\u041f\u00e9"},
    {"DoubleByteCharset", R"({\rtf1\ansi{\fonttbl{\f0\fcharset128 MS Gothic;}}\f0 \'82\'a0\'82\'a2})", "\u3042\u3044"},
    {"FontCodePage", R"({\rtf1\ansi{\fonttbl{\f0\cpg1253 Greek;}}\f0 \'e1})", "\u03b1"},
    {"SpecialCharacters", R"({\rtf1 a\tab b\line c\~d\emdash\lquote\rquote\bullet})", "a\tb\vc\u00a0d\u2014\u2018\u2019\u2022"},
    {"SkipsUnknownDestinations", R"({\rtf1{\*\generator Writer 1.0;}{\info{\title T}}{\stylesheet{\s0 Normal;}}x\foo y})", "xy"},
    {"HeaderAndFootnoteLeftOut", R"({\rtf1{\header head}{\footer foot}body})", "body"},
    {"BulletTextLeftOut", R"({\rtf1{\pntext\'b7\tab}{\*\pn\pnlvlblt{\pntxtb\'b7}}item\par})", "item"},
    {"OtherFieldsShowTheirResult", R"({\rtf1{\field{\*\fldinst{PAGE}}{\fldrslt{7}}} pages})", "7 pages"},
    {"TextAfterTheDocumentIgnored", R"({\rtf1 in}out)", "in"},
    {"TruncatedKeepsWhatWasRead", R"({\rtf1{\b bold)", "bold"},
    {"EscapedBraces", R"({\rtf1 \{\}\\})", "{}\\"},
    {"BinaryDataSkipped", "{\\rtf1 a\\bin3 }}}b}", "ab"},
    {"ObjectWordInsideAnotherGroupIsNoObject", R"({\rtf1 {\b A\object\objw20 x}B})", "AB"},
    {"PictureWordAfterAnEmptyGroupIsNoPicture", R"({\rtf1 {\b A{}\pict\picw2 ff}B})", "AB"},
    {"HyphenAfterAWordIsText", R"({\rtf1\pard-x\b -y})", "-x-y"},
    {"HugeNumbers", R"({\rtf1\fs99999999999999\up-99999999999 x})", "x"},
};

class RtfReadTest : public ::testing::TestWithParam<TReadCase> {};

TEST_P(RtfReadTest, ReadsTheText)
{
    EXPECT_EQ(Text(Load(GetParam().Rtf)), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Inputs, RtfReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

TEST(RtfTest, ReadsHyperlinkFieldsAsLinksWithTheirTarget)
{
    TRichDocument D = Load(R"({\rtf1 go {\field{\*\fldinst{HYPERLINK "http://example.org/x"}}{\fldrslt{\ul site}}} now})");
    EXPECT_EQ(Text(D), "go site now");
    uint32_t Mask = 0;
    TCharFormat Link = D.GetCharFormat(3, 7, Mask);
    EXPECT_TRUE(Link.Has(CFE_LINK));
    EXPECT_EQ(Link.LinkUrl, "http://example.org/x");
    EXPECT_TRUE(Mask & CFM_LINK);
    EXPECT_FALSE(D.CharFormatAt(9).Has(CFE_LINK)) << "the field's formatting ends with it";
    EXPECT_FALSE(D.CharFormatAt(9).Has(CFE_UNDERLINE));
}

TEST(RtfTest, KeepsObjectsAndPicturesAsTheyStand)
{
    const String Object = R"({\object\objemb{\*\objclass Paint.Picture}\objw2000\objh1000{\*\objdata 01050000}{\result{\pict\wmetafile8 0100}}})";
    const String Picture = R"({\pict\pngblip\picw10\pich20\picwgoal300\pichgoal600 89504e47\bin2 }{})";
    TRichDocument D = Load("{\\rtf1 a" + Object + "b{\\*\\shppict" + Picture + "}{\\nonshppict{\\pict\\wmetafile8 00}}c}");
    EXPECT_EQ(D.Text(0, -1), U"a\uFFFCb\uFFFCc");
    auto ObjectAt = [&](int32_t APos) { int32_t Offset = 0; return D.Paragraph(D.ParagraphOf(APos, &Offset)).FormatAt(Offset).Object; };
    ASSERT_TRUE(ObjectAt(1));
    EXPECT_EQ(ObjectAt(1)->Width, 2000);
    EXPECT_EQ(ObjectAt(1)->Height, 1000);
    ASSERT_TRUE(ObjectAt(3));
    EXPECT_EQ(ObjectAt(3)->Height, 600);
    EXPECT_TRUE(ObjectAt(3)->IsPicture);

    String Out = StreamOut(D, 0, -1, SF_RTF);
    EXPECT_NE(Out.find(Object), String::npos) << Out;
    EXPECT_NE(Out.find(Picture), String::npos) << Out;
    String WithoutObjects = StreamOut(D, 0, -1, SF_RTFNOOBJS);
    EXPECT_EQ(WithoutObjects.find("\\object"), String::npos);
    EXPECT_EQ(WithoutObjects.find("\\pict"), String::npos);
    EXPECT_EQ(Text(Load(WithoutObjects)), "abc");
    EXPECT_EQ(Text(Load("{\\rtf1 a" + Object + "b}", SF_RTFNOOBJS)), "ab");
}

TEST(RtfTest, RefusesWhatIsNotRtfAndLeavesTheDocumentAlone)
{
    TRichDocument D = Load("kept", SF_TEXT);
    for (const String& Bad : {String("plain words"), String(""), "{\\rtf1 " + String(2000, '{') + "x"}) {
        int32_t End = -1;
        EXPECT_FALSE(StreamIn(D, 0, End, Bad, SF_RTF)) << Bad.substr(0, 20);
        EXPECT_EQ(Text(D), "kept");
    }
}

TEST(RtfTest, TheLastParOfADocumentIsItsFinalMark)
{
    TRichDocument D = Load(R"({\rtf1\pard\qc one\par\pard\qr two\par})");
    EXPECT_EQ(Text(D), "one\rtwo");
    EXPECT_EQ(D.Paragraph(1).Format.Alignment, PFA_RIGHT);
    String Out = StreamOut(D, 0, -1, SF_RTF);
    EXPECT_EQ(Text(Load(Out)), "one\rtwo") << Out;
}

TEST(RtfTest, PlainRtfLeavesOutTheExtras)
{
    TRichDocument D = Load("x", SF_TEXT);
    String Plain = StreamOut(D, 0, -1, SF_RTF | SFF_PLAINRTF);
    EXPECT_EQ(Plain.find("viewkind"), String::npos);
    EXPECT_EQ(Text(Load(Plain)), "x");
}

TEST(RtfTest, StreamsTheSelectionOnly)
{
    TRichDocument D = Load(R"({\rtf1 keep {\b this} keep})");
    String Part = StreamOut(D, 5, 9, SF_RTF | SFF_SELECTION);
    EXPECT_EQ(Text(Load(Part)), "this");
    int32_t End = 9;
    ASSERT_TRUE(StreamIn(D, 5, End, R"({\rtf1 {\i that}\par new})", SF_RTF | SFF_SELECTION));
    EXPECT_EQ(Text(D), "keep that\rnew keep");
    EXPECT_EQ(End, 13);
    EXPECT_TRUE(D.CharFormatAt(6).Has(CFE_ITALIC));
}

struct TPlainCase {
    const char* Name;
    String Data;
    uint32_t Flags;
    const char* Text;
};

const TPlainCase kPlainCases[] = {
    {"LineBreaks", "a\rb\nc\r\nd", SF_TEXT, "a\rb\rc\rd"},
    {"Ansi", "caf\xe9", SF_TEXT, "caf\u00e9"},
    {"Utf16", String("h\0\xe9\0\x3d\xd8\x00\xde", 8), SF_TEXT | SF_UNICODE, "h\u00e9\U0001F600"},
    {"Utf8", "\xc3\xa9t\xc3\xa9", SF_TEXT | SF_USECODEPAGE | (CP_UTF8 << 16), "\u00e9t\u00e9"},
};

class PlainTextTest : public ::testing::TestWithParam<TPlainCase> {};

TEST_P(PlainTextTest, ReadsAndWritesTheEncoding)
{
    TRichDocument D = Load(GetParam().Data, GetParam().Flags);
    EXPECT_EQ(Text(D), GetParam().Text);
    String Expected = GetParam().Data;
    if (String(GetParam().Name) == "LineBreaks")
        Expected = "a\r\nb\r\nc\r\nd";
    EXPECT_EQ(StreamOut(D, 0, -1, GetParam().Flags), Expected);
}

INSTANTIATE_TEST_SUITE_P(Encodings, PlainTextTest, ::testing::ValuesIn(kPlainCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

}  // namespace
