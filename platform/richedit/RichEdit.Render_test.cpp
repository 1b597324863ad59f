#include <gtest/gtest.h>

#include <memory>

#include "RichEdit.Render.h"
#include "RichEdit.Streams.h"
#include "Vcl.TestGolden.h"

namespace {

// Every kind of formatting the engine draws, in the test fonts.
const char* const kSample =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss DejaVu Sans;}{\f1\froman DejaVu Serif;}{\f2\fmodern DejaVu Sans Mono;}})"
    R"({\colortbl ;\red192\green0\blue0;\red255\green255\blue128;\red0\green96\blue0;})"
    R"(\pard\qc\b\fs28 A Formatted Document\b0\fs20\par)"
    R"(\pard\qj\f1 Justified text in a serif face runs from margin to margin, with {\i italic}, {\ul underlined},)"
    R"( {\strike struck}, {\cf1 red} and {\highlight2 marked} words, x{\up6 2} and H{\dn4 2}O.\par)"
    R"(\pard\f0{\pntext\'b7\tab}{\*\pn\pnlvlblt\pnindent0}\fi-240\li480 First bullet\par)"
    R"({\pntext\'b7\tab}Second bullet, long enough to wrap under the first line of its own text\par)"
    R"(\pard\tx1440\tqr\tx4800 Name\tab Value\tab 12.50\par)"
    R"(\pard\qr\f2\cf3 right in mono\cf0\par)"
    R"(\pard\f0 See {\field{\*\fldinst{HYPERLINK "http://example.org"}}{\fldrslt{the site}}} for more {\object\objemb\objw600\objh300{\*\objdata 00}}.})";

TRichDocument Sample()
{
    TRichDocument D;
    int32_t End = -1;
    EXPECT_TRUE(StreamIn(D, 0, End, kSample, SF_RTF));
    return D;
}

using TBitmapPtr = std::unique_ptr<TBitmap, TFreeDeleter>;

class RenderGoldenTest : public ::testing::TestWithParam<int> {};

TEST_P(RenderGoldenTest, DrawsTheFormattedDocument)
{
    const int Dpi = GetParam();
    const int Scale = Dpi / 96;
    TRichDocument D = Sample();
    TBitmapPtr Bitmap(TBitmap::Create());
    int Margin = 10 * Scale;
    EXPECT_TRUE(RenderToBitmap(D, Bitmap.get(), 400 * Scale, 2000 * Scale, {Margin, Margin, Margin, Margin}, clWhite, Dpi));
    EXPECT_GT(Bitmap->Height(), 150 * Scale);
    EXPECT_TRUE(MatchesGolden(Bitmap.get(), "platform/richedit/testdata/document_" + std::to_string(Dpi) + ".png"));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, RenderGoldenTest, ::testing::Values(96, 192));

TEST(RenderTest, ABitmapTooShortShowsWhatFittedAndSaysTextWasLeft)
{
    TRichDocument D = Sample();
    TBitmapPtr Bitmap(TBitmap::Create());
    EXPECT_FALSE(RenderToBitmap(D, Bitmap.get(), 400, 60, {10, 10, 10, 10}, clWhite));
    EXPECT_GT(Bitmap->Height(), 0);
    EXPECT_LE(Bitmap->Height(), 50);
}

TEST(RenderTest, AnEmptyDocumentGivesAnEmptyBitmap)
{
    TRichDocument D;
    TBitmapPtr Bitmap(TBitmap::Create());
    EXPECT_TRUE(RenderToBitmap(D, Bitmap.get(), 400, 300, {}, clWhite));
    EXPECT_EQ(Bitmap->Height(), 0);
    EXPECT_EQ(Bitmap->Width(), 400);
}

}  // namespace
